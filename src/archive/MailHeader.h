#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Message headers of the mbox export, written by hand rather than through a mail library: the
// few forms needed here are small, and the tests hold every title and handle of the samples
// and of a generated capture against Python's email parser. Lines end with LF, as mbox files
// on this platform do.

// "Name: value" for unstructured text (the Subject). Printable ASCII that reads the same once
// parsed goes as it is; anything else as RFC 2047 encoded words (UTF-8, base64), never splitting
// a character, each header line within 76 characters.
void AppendTextHeader(std::string_view name, std::string_view utf8, std::string& out);

// "Name: display <address>", the display name quoted or encoded as needed; only the address
// when the name is empty. An encoded name goes on lines of its own, in words of up to 45 bytes,
// so that the handles of the logs (31 bytes of CP932) stay one word: some readers put a blank
// between the words of a name.
void AppendAddressHeader(std::string_view name, std::string_view displayUtf8,
                         std::string_view addrSpec, std::string& out);

// "Name: value" for values that are already header syntax (message IDs, dates), folded at
// blanks so that no line grows past 78 characters where a blank allows it.
void AppendStructuredHeader(std::string_view name, std::string_view value, std::string& out);

// Text made safe as a dot-atom part (an address's local part, a message ID's parts): every
// byte outside the RFC 5322 atom characters, '.' and '=' included, as '=' and two hexadecimal
// digits. Different texts give different results. Empty stays empty.
std::string AtomText(std::string_view bytes);

// Appends one body line of an mbox file (mboxrd): a line that is "From " after any number of
// '>' gets one more '>', so that a reader takes it back exactly.
void AppendMboxBodyLine(std::string_view utf8Line, std::string& out);

// A message line may hold at most 998 octets (RFC 5322). True when the line, as
// AppendMboxBodyLine writes it, stays within that.
bool FitsMessageLine(std::string_view utf8Line);

// Appends one body line quoted-printable (RFC 2045), for a body with a line too long to go as
// it is: '=' and every byte outside printable ASCII as "=XX", a blank or tab at the line's end
// likewise, and soft line breaks so that no written line exceeds 76 characters. Each written
// line goes through AppendMboxBodyLine.
void AppendQuotedPrintableLine(std::string_view utf8Line, std::string& out);

}  // namespace vorn
