#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn {

// Every string inside the core holds CP932 (Shift-JIS) bytes. These are the only places where
// text crosses to or from Unicode: the Qt boundary, the command-line tool's output and file
// names handed to the operating system.

// Decodes CP932 to UTF-8. A malformed or truncated double-byte sequence becomes U+FFFD and the
// bytes after it are decoded normally.
std::string Cp932ToUtf8(std::string_view cp932);

// Appends the UTF-8 form of CP932 text to out, for files written in UTF-8 (the archive export).
// Every byte that does not decode (a lead byte without a valid trail byte, a byte or pair with
// no character in the table) becomes U+FFFD; the result is how many bytes did so. ASCII bytes,
// control characters included, stay exactly what they are.
size_t AppendCp932AsUtf8(std::string_view cp932, std::string& out);

// Encodes UTF-8 to CP932. A character CP932 cannot hold becomes '?'; malformed UTF-8 likewise.
std::string Utf8ToCp932(std::string_view utf8);

// The core's Japanese literals are written in UTF-8 in the source; this turns one into the
// CP932 bytes the core compares and writes. Keep the result (a static const) where the same
// literal is used on a hot path.
inline std::string Cp932(std::string_view utf8Literal) {
  return Utf8ToCp932(utf8Literal);
}

// File names: the core keeps them in CP932 like every other text (they come from ini files and
// are shown to the user); the file system on this platform names files in UTF-8.
std::string NativePath(std::string_view cp932Path);
std::string FromNativePath(std::string_view nativePath);

}  // namespace vorn
