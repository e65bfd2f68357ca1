#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Splits one line of a list file into its fields by the comma-text rules the list files were
// written for: control characters and blanks before a field are skipped; a field that starts
// with a double quote runs to the matching closing quote, a doubled quote inside standing for
// one and double-byte characters stepped over whole; any other field runs to the next comma or
// blank; after a field, blanks and then one comma with the blanks after it are consumed. An
// empty field between two commas is an empty string. A zero byte ends the text.
std::vector<std::string> SplitCommaText(std::string_view text);

// A text field for a list file: enclosed in double quotes, each quote that is not the second
// byte of a double-byte character written twice. A text cut to its capacity may end in the
// first byte of a double-byte character; written as it is, that byte would take the closing
// quote for its second byte when the file is read and run the field into the next ones, so it
// is left out.
std::string QuotedField(std::string_view text);

}  // namespace vorn
