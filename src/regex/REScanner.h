#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vorn {

// A character of the engine: one byte, or a Shift-JIS lead byte * 256 + its trail byte.
using RECharCode = uint16_t;
constexpr RECharCode RE_MaxCharCode = 0xFCFC;
// Pseudo-characters the automaton uses for the two line anchors; text never holds them.
constexpr RECharCode RE_LineStartCode = 0xFFFD;
constexpr RECharCode RE_LineEndCode = 0xFFFE;

// Everything that can be wrong with a pattern. The texts are what the user sees.
enum class RegExpError : uint8_t {
  InvalidDoubleByteCode,
  ClosingBracketNeeded,
  CharacterAfterBackslashNeeded,
  InvalidHexCode,
  InvalidOctalCode,
  InvalidCharacterRange,
  InvalidCharacterClass,
  OrdinaryCharacterNeeded,
  ClosingParenthesisNeeded,
  ExtraCharacters,
  EmptyNegatedClass,
  TooComplex,
};

// The message of an error in CP932.
const std::string& RegExpErrorText(RegExpError error);

// A pattern that cannot be compiled. what() is the CP932 message; Position() is the 1-based byte
// index in the pattern being compiled of the character (or token) where the fault was found, one
// past the last byte when the pattern ended too early.
class ERegExpParser final : public std::runtime_error {
 public:
  ERegExpParser(RegExpError error, int position);

  RegExpError Error() const { return error_; }
  int Position() const { return position_; }

 private:
  RegExpError error_;
  int position_;
};

enum class RETokenKind : uint8_t {
  Literal,
  Range,
  Alternation,
  GroupOpen,
  GroupClose,
  Star,
  Plus,
  Optional,
  ClassOpen,
  NegatedClassOpen,
  ClassClose,
  AnyChar,
  LineStart,
  LineEnd,
  End,
};

struct REToken {
  RETokenKind kind = RETokenKind::End;
  // A literal's code is low (== high); a range runs from low to high.
  RECharCode low = 0;
  RECharCode high = 0;
  // The token's own text in the pattern: bytes [start, end).
  int start = 0;
  int end = 0;
  // Scanned in bracket mode (a class member or the closing bracket).
  bool inClass = false;
};

// Splits a CP932 pattern into tokens. Outside brackets the metacharacters $ ( ) * + . ? [ ] ^ |
// make their tokens; after [ or [^ the scanner is in bracket mode, where it yields members and
// ranges until the closing bracket. An escape always yields a literal.
class TREScanner final {
 public:
  explicit TREScanner(std::string_view pattern);

  // Reads the next token; raises ERegExpParser on a malformed character, escape or class.
  const REToken& GetToken();
  const REToken& Token() const { return token_; }
  bool InBracket() const { return inBracket_; }

 private:
  struct PatternChar {
    RECharCode code = 0;
    bool atEnd = false;
    int start = 0;  // byte offset of the character
  };

  PatternChar ReadChar();
  RECharCode ReadEscape();
  RECharCode ReadMemberCode(const PatternChar& c);
  void ScanOutside();
  void ScanBracket();
  [[noreturn]] void Fail(RegExpError error, int offset) const;

  std::string_view pattern_;
  int pos_ = 0;
  bool inBracket_ = false;
  REToken token_;
};

}  // namespace vorn
