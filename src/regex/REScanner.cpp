#include "regex/REScanner.h"

#include <algorithm>
#include <array>
#include <climits>

#include "platform/Cp932.h"
#include "text/ShiftJisText.h"

namespace vorn {

const std::string& RegExpErrorText(RegExpError error) {
  static const std::array<std::string, 12> texts = {
      Cp932("不正な２バイト文字コードです。"),
      Cp932("右ブラケット\"]\"が必要です"),
      Cp932("\"\\\"の次には文字が必要です。"),
      Cp932("不正な１６進数コード表記です。"),
      Cp932("不正な８進数コード表記です。"),
      Cp932("不正なキャラクタ範囲です"),
      Cp932("不正なキャラクタクラス指定です。"),
      Cp932("普通の文字、または左括弧\"(\"が必要です"),
      Cp932("右(閉じ)括弧が必要です"),
      Cp932("正規表現に余分な文字があります"),
      Cp932("否定のキャラクタクラスに当てはまる文字がありません。"),
      Cp932("正規表現が複雑すぎます。"),
  };
  static_assert(static_cast<size_t>(RegExpError::TooComplex) + 1 == texts.size());
  return texts[static_cast<size_t>(error)];
}

ERegExpParser::ERegExpParser(RegExpError error, int position)
    : std::runtime_error(RegExpErrorText(error)), error_(error), position_(position) {}

TREScanner::TREScanner(std::string_view pattern)
    // Positions are ints; a pattern of 2 GB is not a search word, so the tail is ignored.
    : pattern_(pattern.substr(0, std::min<size_t>(pattern.size(), INT_MAX / 2))) {}

void TREScanner::Fail(RegExpError error, int offset) const {
  throw ERegExpParser(error, offset + 1);
}

TREScanner::PatternChar TREScanner::ReadChar() {
  PatternChar c;
  c.start = pos_;
  const int size = static_cast<int>(pattern_.size());
  if (pos_ >= size) {
    c.atEnd = true;
    return c;
  }
  const auto b = static_cast<unsigned char>(pattern_[size_t(pos_)]);
  if (IsLeadByte(b)) {
    if (pos_ + 1 >= size) Fail(RegExpError::InvalidDoubleByteCode, pos_);
    c.code = RECharCode(b << 8 | static_cast<unsigned char>(pattern_[size_t(pos_) + 1]));
    pos_ += 2;
  } else {
    c.code = b;
    ++pos_;
  }
  return c;
}

namespace {

int HexDigitValue(const RECharCode code) {
  if (code >= '0' && code <= '9') return code - '0';
  if (code >= 'A' && code <= 'F') return code - 'A' + 10;
  if (code >= 'a' && code <= 'f') return code - 'a' + 10;
  return -1;
}

}  // namespace

// The backslash has been read.
RECharCode TREScanner::ReadEscape() {
  // The codes that stand for a line's start and end inside the automaton are never characters
  // of a text: a pattern that names them would match where the text's lines happen to end.
  const int backslash = pos_ - 1;
  const auto refuseMarker = [&](const unsigned value, const RegExpError error) {
    if (value == RE_LineStartCode || value == RE_LineEndCode) Fail(error, backslash);
  };
  const PatternChar c = ReadChar();
  if (c.atEnd) Fail(RegExpError::CharacterAfterBackslashNeeded, c.start);
  switch (c.code) {
    case 'b':
      return 8;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 't':
      return 9;
    case 'x': {
      unsigned value = 0;
      int digits = 0;
      while (digits < 4) {
        const int saved = pos_;
        const PatternChar d = ReadChar();
        const int v = d.atEnd ? -1 : HexDigitValue(d.code);
        if (v < 0) {
          pos_ = saved;
          if (digits == 0) Fail(RegExpError::InvalidHexCode, d.start);
          break;
        }
        value = value * 16 + unsigned(v);
        ++digits;
      }
      refuseMarker(value, RegExpError::InvalidHexCode);
      return RECharCode(value);
    }
    default:
      break;
  }
  if (c.code >= '0' && c.code <= '7') {
    unsigned value = c.code - '0';
    int digits = 1;
    int lastDigit = c.start;
    while (digits < 6) {
      const int saved = pos_;
      const PatternChar d = ReadChar();
      if (d.atEnd || d.code < '0' || d.code > '7') {
        pos_ = saved;
        break;
      }
      value = value * 8 + (d.code - '0');
      lastDigit = d.start;
      ++digits;
    }
    if (value > 0xFFFF) Fail(RegExpError::InvalidOctalCode, lastDigit);
    refuseMarker(value, RegExpError::InvalidOctalCode);
    return RECharCode(value);
  }
  return c.code;
}

RECharCode TREScanner::ReadMemberCode(const PatternChar& c) {
  return c.code == '\\' ? ReadEscape() : c.code;
}

const REToken& TREScanner::GetToken() {
  token_ = REToken{};
  token_.start = pos_;
  token_.inClass = inBracket_;
  if (inBracket_) {
    ScanBracket();
  } else {
    ScanOutside();
  }
  token_.end = pos_;
  return token_;
}

void TREScanner::ScanOutside() {
  const PatternChar c = ReadChar();
  if (c.atEnd) {
    token_.kind = RETokenKind::End;
    return;
  }
  token_.kind = RETokenKind::Literal;
  switch (c.code) {
    case '\\':
      token_.low = token_.high = ReadEscape();
      return;
    case '$':
      token_.kind = RETokenKind::LineEnd;
      return;
    case '(':
      token_.kind = RETokenKind::GroupOpen;
      return;
    case ')':
      token_.kind = RETokenKind::GroupClose;
      return;
    case '*':
      token_.kind = RETokenKind::Star;
      return;
    case '+':
      token_.kind = RETokenKind::Plus;
      return;
    case '.':
      token_.kind = RETokenKind::AnyChar;
      return;
    case '?':
      token_.kind = RETokenKind::Optional;
      return;
    case ']':
      token_.kind = RETokenKind::ClassClose;
      return;
    case '^':
      token_.kind = RETokenKind::LineStart;
      return;
    case '|':
      token_.kind = RETokenKind::Alternation;
      return;
    case '[': {
      const int saved = pos_;
      const PatternChar d = ReadChar();
      if (d.atEnd) Fail(RegExpError::ClosingBracketNeeded, d.start);
      if (d.code == '^') {
        token_.kind = RETokenKind::NegatedClassOpen;
      } else {
        pos_ = saved;
        token_.kind = RETokenKind::ClassOpen;
      }
      inBracket_ = true;
      return;
    }
    default:
      token_.low = token_.high = c.code;
      return;
  }
}

void TREScanner::ScanBracket() {
  const PatternChar c = ReadChar();
  if (c.atEnd) Fail(RegExpError::ClosingBracketNeeded, c.start);
  if (c.code == ']') {
    token_.kind = RETokenKind::ClassClose;
    inBracket_ = false;
    return;
  }
  const RECharCode low = ReadMemberCode(c);
  token_.kind = RETokenKind::Literal;
  token_.low = token_.high = low;
  const int afterFirst = pos_;
  const PatternChar dash = ReadChar();
  if (dash.atEnd || dash.code != '-') {
    pos_ = afterFirst;
    return;
  }
  const PatternChar last = ReadChar();
  if (last.atEnd) Fail(RegExpError::ClosingBracketNeeded, last.start);
  if (last.code == ']') {
    // A dash right before the closing bracket is a member of its own.
    pos_ = afterFirst;
    return;
  }
  const RECharCode high = ReadMemberCode(last);
  if (high < low) Fail(RegExpError::InvalidCharacterRange, last.start);
  token_.kind = RETokenKind::Range;
  token_.high = high;
}

}  // namespace vorn
