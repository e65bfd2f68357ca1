#include "qtsupport/QtSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "dialoglogic/NetSelectLogic.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

TEST(QtSupport, FiltersAndMessageLines) {
  EXPECT_EQ(QtFileFilter(LogFileFilter("NET*.log", "log")),
            QStringLiteral("指定BBSログファイル (NET*.log);;ログファイル (*.log);;"
                           "すべてのファイル (*)"));
  EXPECT_EQ(QtMessageText(J("一\r\n二\n\r三\r四")), QStringLiteral("一\n二\n三\n四"));
  const std::string path = J("/tmp/ログ/NET.log");
  EXPECT_EQ(CorePath(QtPath(path)), path);
}

}  // namespace
}  // namespace vorn
