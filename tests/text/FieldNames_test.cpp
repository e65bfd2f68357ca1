#include "text/FieldNames.h"

#include <gtest/gtest.h>

namespace vorn {
namespace {

TEST(FieldNames, LookupIsCaseInsensitiveAndWhole) {
  EXPECT_EQ(TextFieldIndex("btitle"), TextField::BTITLE);
  EXPECT_EQ(TextFieldIndex("BTitle"), 1);
  EXPECT_EQ(TextFieldIndex("BTITLE "), -1);
  EXPECT_EQ(TextFieldIndex(" BTITLE"), -1);
  EXPECT_EQ(TextFieldIndex(""), -1);
  EXPECT_EQ(TextFieldIndex("RID"), 8);
  EXPECT_EQ(TextFieldIndex("WID"), 7);
  EXPECT_EQ(TextFieldIndex("WIDNO"), -1);
  EXPECT_EQ(NumberFieldIndex("widno"), NumberField::WIDNO);
  EXPECT_EQ(NumberFieldIndex("BNO"), 0);
  EXPECT_EQ(NumberFieldIndex("Second"), 11);
  EXPECT_EQ(NumberFieldIndex("BTITLE"), -1);
  EXPECT_EQ(NumberFieldIndex(""), -1);
  for (int i = 0; i < TextFieldCount; ++i)
    EXPECT_EQ(TextFieldIndex(TextFieldName(i)), i);
  for (int i = 0; i < NumberFieldCount; ++i)
    EXPECT_EQ(NumberFieldIndex(NumberFieldName(i)), i);
  EXPECT_EQ(TextFieldName(9), "");
  EXPECT_EQ(NumberFieldName(-1), "");
}

}  // namespace
}  // namespace vorn
