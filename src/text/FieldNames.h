#pragma once

#include <string_view>

namespace vorn {

// Field names of the pattern language. A compiled pattern names text slot i by the letter
// 'A' + i and number slot i by 'a' + i; the analysers index the capture arrays with these:
// texts[TextField::BTITLE], numbers[NumberField::YEAR].
int TextFieldIndex(std::string_view name);
int NumberFieldIndex(std::string_view name);
constexpr int TextFieldCount = 9;
constexpr int NumberFieldCount = 12;
namespace TextField {
enum Slot : int { BINDEX, BTITLE, FNAME, WHANDLE, WTITLE, RHANDLE, RTITLE, WID, RID };
}
namespace NumberField {
enum Slot : int { BNO, FSIZE, WNO, RNO, WIDNO, RIDNO, YEAR, MONTH, DAY, HOUR, MINUTE, SECOND };
}
// The names by index ("BINDEX" ...); empty outside the tables.
std::string_view TextFieldName(int index);
std::string_view NumberFieldName(int index);

}  // namespace vorn
