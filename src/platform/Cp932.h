#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorn {

// Every string inside the core holds CP932 (Shift-JIS) bytes. These are the only places where
// text crosses to or from Unicode: the Qt boundary, the command-line tool's output and file
// names handed to the operating system.

// Decodes CP932 to UTF-8: the one decoding of log text, the same for the window, the
// command-line tool and the archive files. Every byte that does not decode (a lead byte without
// a valid trail byte, a byte or pair with no character in the table) becomes U+FFFD; a pair
// whose second byte is ASCII is one undecoded byte and that ASCII character, so a broken
// character never swallows the text after it. ASCII bytes, control characters included, stay
// exactly what they are. A file name's characters that CP932 cannot hold (see FromNativePath)
// show as themselves, its bytes that are no UTF-8 as U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// Appends the UTF-8 form of CP932 text to out, decoded as Cp932ToUtf8 decodes (file-name
// escapes aside), for files written in UTF-8 (the archive export). The result is how many
// bytes did not decode.
size_t AppendCp932AsUtf8(std::string_view cp932, std::string& out);

// Control characters in text shown to a reader (the article view, the tool's output, the
// archive files): C0 controls but the tab, and DEL, show as their pictures (U+2400 + c, U+2421
// for DEL), so that nothing of a log steers a terminal or vanishes from a page unseen.
constexpr bool IsPicturedControl(unsigned char c) {
  return (c < 0x20 && c != '\t') || c == 0x7F;
}
// The picture of such a character, in UTF-8.
void AppendControlPicture(unsigned char c, std::string& out);
// Appends utf8 with every such control character as its picture.
void AppendWithControlPictures(std::string_view utf8, std::string& out);

// Encodes UTF-8 to CP932. A character CP932 cannot hold becomes '?'; malformed UTF-8 likewise.
// ASCII, control characters included, stays what it is.
std::string Utf8ToCp932(std::string_view utf8);

// The core's Japanese literals are written in UTF-8 in the source; this turns one into the
// CP932 bytes the core compares and writes. Keep the result (a static const) where the same
// literal is used on a hot path.
inline std::string Cp932(std::string_view utf8Literal) {
  return Utf8ToCp932(utf8Literal);
}

// File names: the core keeps them in CP932 like every other text (they come from ini files and
// are shown to the user); the file system on this platform names files in UTF-8, or in any
// bytes at all. A name must reach the system exactly as the system gave it, so the mapping
// round-trips every byte: FromNativePath turns each character CP932 holds into CP932 and
// carries every other byte (an é, an emoji, a byte that is no UTF-8) as a two-byte escape that
// no CP932 text contains (0xFE or 0xFF, then a half-width katakana byte 0xA0-0xDF); NativePath
// turns the escapes back into those bytes. Neither escape byte is a lead byte, an ASCII letter,
// a digit, a dot or a separator, so byte-wise scans of a path step over them unharmed.
// NativePath(FromNativePath(n)) == n for every n.
std::string NativePath(std::string_view cp932Path);
std::string FromNativePath(std::string_view nativePath);

// The length of the well-formed UTF-8 sequence at the start of text (1 to 4; an overlong form,
// a surrogate or a value past U+10FFFF is not one), 0 when there is none.
size_t Utf8SequenceLength(std::string_view text);

}  // namespace vorn
