#include "text/FieldNames.h"

#include <cstddef>

namespace vorn {

namespace {

constexpr unsigned char AsciiUpper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

constexpr std::string_view kTextFieldNames[TextFieldCount] = {
    "BINDEX", "BTITLE", "FNAME", "WHANDLE", "WTITLE", "RHANDLE", "RTITLE", "WID", "RID"};
constexpr std::string_view kNumberFieldNames[NumberFieldCount] = {
    "BNO",  "FSIZE", "WNO", "RNO",  "WIDNO",  "RIDNO",
    "YEAR", "MONTH", "DAY", "HOUR", "MINUTE", "SECOND"};

bool EqualsUpper(std::string_view name, std::string_view upperName) {
  if (name.size() != upperName.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (AsciiUpper(static_cast<unsigned char>(name[i])) != static_cast<unsigned char>(upperName[i]))
      return false;
  return true;
}

template <size_t N>
int FindFieldName(const std::string_view (&table)[N], std::string_view name) {
  for (size_t i = 0; i < N; ++i)
    if (EqualsUpper(name, table[i])) return static_cast<int>(i);
  return -1;
}

}  // namespace

int TextFieldIndex(std::string_view name) {
  return FindFieldName(kTextFieldNames, name);
}
int NumberFieldIndex(std::string_view name) {
  return FindFieldName(kNumberFieldNames, name);
}

std::string_view TextFieldName(int index) {
  return (index >= 0 && index < TextFieldCount) ? kTextFieldNames[index] : std::string_view();
}
std::string_view NumberFieldName(int index) {
  return (index >= 0 && index < NumberFieldCount) ? kNumberFieldNames[index] : std::string_view();
}

}  // namespace vorn
