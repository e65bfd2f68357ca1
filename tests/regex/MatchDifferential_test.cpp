// Random patterns against two references: a brute-force leftmost-longest matcher over the
// pattern's meaning, and the matching routines written out plainly over the automaton's sorted
// transition lists (no skipping, no tables). Set VORN_REGEX_SEED to replay a failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "regex/AWKStr.h"

namespace vorn {
namespace {

struct Char {
  RECharCode code;
  std::string bytes;
};

// Two double-byte characters: "あ", and "ヂ" whose second byte is an "a"; the texts also hold
// "い", which begins as "あ" does.
const std::vector<Char> kPatternChars = {
    {'a', "a"}, {'b', "b"}, {'c', "c"}, {0x82A0, "\x82\xA0"}, {0x8361, "\x83\x61"}};
const std::vector<Char> kTextChars = {
    {'a', "a"},           {'b', "b"},           {'c', "c"},          {'x', "x"},
    {0x82A0, "\x82\xA0"}, {0x8361, "\x83\x61"}, {0x82A2, "\x82\xA2"}};

struct Node {
  enum Kind { Lit, Any, Class, Concat, Alt, Star, Plus, Opt, Group, Empty, Caret, Dollar };
  Kind kind = Empty;
  RECharCode code = 0;
  std::string bytes;
  bool negated = false;
  std::vector<RECharRange> members;
  std::vector<std::string> memberText;
  std::unique_ptr<Node> a, b;
};

class PatternMaker {
 public:
  PatternMaker(std::mt19937& rng, bool anchors) : rng_(rng), anchors_(anchors) {}

  std::unique_ptr<Node> Make(int depth) {
    auto n = std::make_unique<Node>();
    const int r = Pick(100);
    if (depth <= 0 || r < 35) {
      MakeAtom(*n);
    } else if (r < 55) {
      n->kind = Node::Concat;
      n->a = Make(depth - 1);
      n->b = Make(depth - 1);
    } else if (r < 70) {
      n->kind = Node::Alt;
      n->a = Pick(10) == 0 ? std::make_unique<Node>() : Make(depth - 1);
      n->b = Pick(10) == 0 ? std::make_unique<Node>() : Make(depth - 1);
    } else if (r < 90) {
      const Node::Kind kinds[] = {Node::Star, Node::Plus, Node::Opt};
      n->kind = kinds[Pick(3)];
      n->a = Make(depth - 1);
    } else {
      n->kind = Node::Group;
      n->a = Pick(10) == 0 ? std::make_unique<Node>() : Make(depth - 1);
    }
    return n;
  }

  int Pick(int n) { return int(rng_() % unsigned(n)); }

 private:
  void MakeAtom(Node& n) {
    const int r = Pick(100);
    if (anchors_ && r < 12) {
      n.kind = r < 6 ? Node::Caret : Node::Dollar;
    } else if (r < 60) {
      const Char& c = kPatternChars[size_t(Pick(int(kPatternChars.size())))];
      n.kind = Node::Lit;
      n.code = c.code;
      n.bytes = c.bytes;
    } else if (r < 75) {
      n.kind = Node::Any;
    } else {
      n.kind = Node::Class;
      n.negated = Pick(3) == 0;
      const int count = 1 + Pick(3);
      for (int i = 0; i < count; ++i) {
        if (Pick(4) == 0) {
          n.members.push_back({'a', 'b'});
          n.memberText.push_back("a-b");
        } else if (Pick(6) == 0) {
          n.members.push_back({0x829F, 0x82F1});  // the hiragana, "あ" among them
          n.memberText.push_back("\x82\x9F-\x82\xF1");
        } else {
          const Char& c = kPatternChars[size_t(Pick(int(kPatternChars.size())))];
          n.members.push_back({c.code, c.code});
          n.memberText.push_back(c.bytes);
        }
      }
    }
  }

  std::mt19937& rng_;
  bool anchors_;
};

bool IsPrimary(const Node& n) {
  return n.kind == Node::Lit || n.kind == Node::Any || n.kind == Node::Class ||
         n.kind == Node::Group || n.kind == Node::Caret || n.kind == Node::Dollar;
}

std::string Print(const Node& n) {
  switch (n.kind) {
    case Node::Lit:
      return n.bytes;
    case Node::Any:
      return ".";
    case Node::Caret:
      return "^";
    case Node::Dollar:
      return "$";
    case Node::Class: {
      std::string s = n.negated ? "[^" : "[";
      for (const std::string& m : n.memberText)
        s += m;
      return s + "]";
    }
    case Node::Concat: {
      const auto part = [](const Node& c) {
        return c.kind == Node::Alt ? "(" + Print(c) + ")" : Print(c);
      };
      return part(*n.a) + part(*n.b);
    }
    case Node::Alt:
      return Print(*n.a) + "|" + Print(*n.b);
    case Node::Star:
    case Node::Plus:
    case Node::Opt: {
      const std::string operand = IsPrimary(*n.a) ? Print(*n.a) : "(" + Print(*n.a) + ")";
      return operand + (n.kind == Node::Star ? "*" : n.kind == Node::Plus ? "+" : "?");
    }
    case Node::Group:
      return "(" + Print(*n.a) + ")";
    case Node::Empty:
      return "";
  }
  return "";
}

// Ends (as a bit mask over character indexes) of every way the node matches from index i.
class BruteForce {
 public:
  explicit BruteForce(const std::vector<RECharCode>& codes) : codes_(codes) {}

  uint32_t Ends(const Node& n, int i) const {
    const int size = int(codes_.size());
    const uint32_t next = i < size ? uint32_t{1} << (i + 1) : 0;
    switch (n.kind) {
      case Node::Lit:
        return i < size && codes_[size_t(i)] == n.code ? next : 0;
      case Node::Any:
        return i < size && InAny(codes_[size_t(i)]) ? next : 0;
      case Node::Class: {
        if (i >= size) return 0;
        const RECharCode c = codes_[size_t(i)];
        bool member = false;
        for (const RECharRange& m : n.members)
          member = member || (c >= m.low && c <= m.high);
        return (n.negated ? InAny(c) && !member : member) ? next : 0;
      }
      case Node::Concat: {
        uint32_t out = 0;
        ForEach(Ends(*n.a, i), [&](int k) { out |= Ends(*n.b, k); });
        return out;
      }
      case Node::Alt:
        return Ends(*n.a, i) | Ends(*n.b, i);
      case Node::Star:
        return StarEnds(*n.a, i);
      case Node::Plus: {
        uint32_t out = 0;
        ForEach(Ends(*n.a, i), [&](int k) { out |= StarEnds(*n.a, k); });
        return out;
      }
      case Node::Opt:
        return (uint32_t{1} << i) | Ends(*n.a, i);
      case Node::Group:
        return Ends(*n.a, i);
      case Node::Empty:
        return uint32_t{1} << i;
      case Node::Caret:
      case Node::Dollar:
        break;
    }
    ADD_FAILURE() << "anchors have no brute-force meaning";
    return 0;
  }

 private:
  static bool InAny(RECharCode c) { return c != 0 && c != '\n' && c != '\r' && c <= 0xFCFC; }

  template <typename F>
  static void ForEach(uint32_t mask, F&& f) {
    for (int k = 0; mask != 0; ++k, mask >>= 1) {
      if (mask & 1) f(k);
    }
  }

  uint32_t StarEnds(const Node& operand, int i) const {
    uint32_t reached = uint32_t{1} << i;
    uint32_t frontier = reached;
    while (frontier != 0) {
      uint32_t found = 0;
      ForEach(frontier, [&](int k) { found |= Ends(operand, k); });
      frontier = found & ~reached;
      reached |= found;
    }
    return reached;
  }

  const std::vector<RECharCode>& codes_;
};

struct Text {
  std::string bytes;
  std::vector<RECharCode> codes;
  std::vector<int> offsets;  // byte offset of each character, and of the end
};

Text MakeText(PatternMaker& pick, const std::vector<Char>& alphabet, int maxLength) {
  Text t;
  const int length = pick.Pick(maxLength + 1);
  for (int i = 0; i < length; ++i) {
    const Char& c = alphabet[size_t(pick.Pick(int(alphabet.size())))];
    t.offsets.push_back(int(t.bytes.size()));
    t.bytes += c.bytes;
    t.codes.push_back(c.code);
  }
  t.offsets.push_back(int(t.bytes.size()));
  return t;
}

unsigned BaseSeed() {
  if (const char* env = std::getenv("VORN_REGEX_SEED"))
    return unsigned(std::strtoul(env, nullptr, 10));
  return std::random_device{}();
}

TEST(MatchDifferential, LeftmostLongestAgreesWithBruteForce) {
  const unsigned seed = BaseSeed();
  SCOPED_TRACE("VORN_REGEX_SEED=" + std::to_string(seed));
  std::mt19937 rng(seed);
  PatternMaker maker(rng, false);
  TAWKStr awk;
  // One that keeps no state of its searches: each is made again when needed.
  TAWKStr forgetful;
  forgetful.SetSearchMemoryLimit(0);
  int cases = 0;
  int leadless = 0;
  for (int p = 0; p < 3000; ++p) {
    const std::unique_ptr<Node> root = maker.Make(4);
    const std::string pattern = Print(*root);
    ASSERT_NO_THROW(awk.SetRegExp(pattern)) << pattern;
    forgetful.SetRegExp(pattern);
    // A pattern that begins with a part that may match nothing is tested for a match without it.
    leadless += &awk.ContainsDFA() != &awk.CurrentDFA();
    for (int k = 0; k < 6; ++k) {
      // Texts longer than sixteen bytes are also searched sixteen bytes at a time.
      const Text text = MakeText(maker, kTextChars, k % 2 ? 30 : 12);
      const BruteForce brute(text.codes);
      int wantPosition = 0, wantLength = 0;
      for (size_t s = 0; s < text.offsets.size(); ++s) {
        const uint32_t ends = brute.Ends(*root, int(s));
        if (ends == 0) continue;
        const int longest = 31 - __builtin_clz(ends);
        wantPosition = text.offsets[s] + 1;
        wantLength = text.offsets[size_t(longest)] - text.offsets[s];
        break;
      }
      ++cases;
      for (const TAWKStr* engine : {&awk, &forgetful}) {
        int position = -1, length = -1;
        engine->Match(text.bytes, position, length);
        if (engine->Contains(text.bytes) != (wantPosition > 0)) {
          ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text.bytes
                        << "\": Contains is " << !(wantPosition > 0);
          return;
        }
        if (position != wantPosition || length != wantLength) {
          ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text.bytes << "\": got ("
                        << position << ", " << length << "), want (" << wantPosition << ", "
                        << wantLength << ")";
          return;
        }
      }
    }
  }
  EXPECT_EQ(cases, 18000);
  EXPECT_GT(leadless, 100);
}

// The matching routines as plainly as they can be put: every start position, each step found by
// walking the state's sorted transition list.
class PlainMatcher {
 public:
  PlainMatcher(const TRE_DFA& dfa, const std::string& text, unsigned char separator)
      : dfa_(dfa), text_(text), separator_(separator) {}

  std::pair<int, int> Match() const {
    if (dfa_.UsesLineStart() || dfa_.UsesLineEnd()) return Anchored();
    for (int pos = 0;; pos += Length(pos)) {
      if (const int end = Run(0, pos); end >= 0) return {pos, end};
      if (pos >= Size()) return {-1, -1};
    }
  }

 private:
  int Size() const { return int(text_.size()); }
  int Length(int pos) const { return IsLeadByte(text_[size_t(pos)]) && pos + 1 < Size() ? 2 : 1; }
  RECharCode CodeAt(int pos) const {
    const auto b = static_cast<unsigned char>(text_[size_t(pos)]);
    if (Length(pos) == 2)
      return RECharCode(b << 8 | static_cast<unsigned char>(text_[size_t(pos) + 1]));
    return b;
  }

  int Run(int state, int pos) const {
    int last = -1;
    for (;;) {
      if (dfa_.GetState(state).accepting) last = pos;
      if (pos >= Size()) break;
      const int next = dfa_.FindTransition(state, CodeAt(pos));
      if (next < 0) break;
      state = next;
      pos += Length(pos);
    }
    const bool atLineEnd = pos >= Size() || text_[size_t(pos)] == char(separator_);
    if (atLineEnd && dfa_.FindTransition(state, RE_LineEndCode) >= 0) return pos;
    return last;
  }

  int LineStartRun(int pos) const {
    const int plain = Run(0, pos);
    if (!dfa_.UsesLineStart()) return plain;
    const int after = dfa_.FindTransition(0, RE_LineStartCode);
    return after < 0 ? plain : std::max(plain, Run(after, pos));
  }

  std::pair<int, int> Anchored() const {
    if (const int end = LineStartRun(0); end >= 0) return {0, end};
    for (int pos = 0; pos < Size();) {
      if (const int end = Run(0, pos); end >= 0) return {pos, end};
      const bool lineFeed = text_[size_t(pos)] == '\n';
      pos += Length(pos);
      if (lineFeed && dfa_.UsesLineStart()) {
        if (const int end = LineStartRun(pos); end >= 0) return {pos, end};
      }
    }
    if (dfa_.UsesLineEnd() && dfa_.FindTransition(0, RE_LineEndCode) >= 0) {
      return {Size(), Size()};
    }
    return {-1, -1};
  }

  const TRE_DFA& dfa_;
  const std::string& text_;
  unsigned char separator_;
};

TEST(MatchDifferential, TablesAndSkippingAgreeWithThePlainRoutines) {
  const unsigned seed = BaseSeed();
  SCOPED_TRACE("VORN_REGEX_SEED=" + std::to_string(seed));
  std::mt19937 rng(seed);
  PatternMaker maker(rng, true);
  std::vector<Char> alphabet = kTextChars;
  alphabet.push_back({'\r', "\r"});
  alphabet.push_back({'\n', "\n"});
  alphabet.push_back({'^', "^"});
  alphabet.push_back({'$', "$"});
  alphabet.push_back({0x82, "\x82"});  // a lead byte; at the very end it stands alone
  TAWKStr awk;
  TAWKStr forgetful;
  forgetful.SetSearchMemoryLimit(0);
  for (int p = 0; p < 2000; ++p) {
    const std::string pattern = Print(*maker.Make(4));
    ASSERT_NO_THROW(awk.SetRegExp(pattern)) << pattern;
    forgetful.SetRegExp(pattern);
    for (int k = 0; k < 6; ++k) {
      const bool lineFeed = maker.Pick(2) == 0;
      awk.SetLineSeparator(lineFeed ? mcls_LF : mcls_CRLF);
      forgetful.SetLineSeparator(awk.LineSeparator());
      const Text text = MakeText(maker, alphabet, k % 2 ? 40 : 12);
      const auto [start, end] =
          PlainMatcher(awk.CurrentDFA(), text.bytes, lineFeed ? '\n' : '\r').Match();
      const int wantPosition = start < 0 ? 0 : start + 1;
      const int wantLength = start < 0 ? 0 : end - start;
      for (const TAWKStr* engine : {&awk, &forgetful}) {
        int position = -1, length = -1;
        engine->Match(text.bytes, position, length);
        if (engine->Contains(text.bytes) != (wantPosition > 0)) {
          ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text.bytes << "\" LF "
                        << lineFeed << ": Contains is " << !(wantPosition > 0);
          return;
        }
        if (position != wantPosition || length != wantLength) {
          ADD_FAILURE() << "pattern \"" << pattern << "\" text \"" << text.bytes << "\" LF "
                        << lineFeed << ": got (" << position << ", " << length << "), want ("
                        << wantPosition << ", " << wantLength << ")";
          return;
        }
      }
    }
  }
}

// A search rules out an article by one match over its stored lines, each followed by a NUL
// (and, where the line ended in CR LF, the LF), or in a mapped log file by its line end (CR, LF
// or CR LF): whenever the engine says that this finds every match of a line, a line with a match
// makes the joined text match.
TEST(MatchDifferential, JoinedLinesHoldEveryMatchOfTheirLines) {
  const unsigned seed = BaseSeed();
  SCOPED_TRACE("VORN_REGEX_SEED=" + std::to_string(seed));
  std::mt19937 rng(seed);
  PatternMaker maker(rng, false);
  std::vector<Char> alphabet = kTextChars;
  alphabet.push_back({0x82, "\x82"});
  TAWKStr awk;
  int joinable = 0;
  int joinableByEnds = 0;
  for (int p = 0; p < 2000; ++p) {
    const std::string pattern = Print(*maker.Make(4));
    ASSERT_NO_THROW(awk.SetRegExp(pattern)) << pattern;
    for (const bool lineEnds : {false, true}) {
      if (!awk.FindsEveryLineMatchInJoinedLines(lineEnds)) continue;
      ++(lineEnds ? joinableByEnds : joinable);
      for (int k = 0; k < 4; ++k) {
        std::string joined;
        bool anyLine = false;
        const int lines = 1 + maker.Pick(4);
        for (int i = 0; i < lines; ++i) {
          std::string line = MakeText(maker, alphabet, 10).bytes;
          if (maker.Pick(3) == 0) line += '\x82';  // a lone lead byte ends the line
          anyLine = anyLine || awk.Contains(line);
          joined += line;
          if (!lineEnds) {
            joined += '\0';
            if (maker.Pick(2) == 0) joined += '\n';
          } else {
            joined += maker.Pick(3) == 0 ? "\r" : maker.Pick(2) == 0 ? "\n" : "\r\n";
          }
        }
        if (anyLine && !awk.Contains(joined)) {
          ADD_FAILURE() << "pattern \"" << pattern << "\" joined \"" << joined << "\" by "
                        << (lineEnds ? "line ends" : "NUL");
          return;
        }
      }
    }
  }
  // Most patterns are neither anchored nor take a lone lead byte apart from one with a NUL or a
  // line end.
  EXPECT_GT(joinable, 1000);
  EXPECT_GT(joinableByEnds, 1000);
  // One that takes the lone lead byte alone is not searched joined.
  awk.SetRegExp("x\\x82");
  EXPECT_GT(awk.Match("x\x82"), 0);
  EXPECT_FALSE(awk.FindsEveryLineMatchInJoinedLines());
  EXPECT_FALSE(awk.FindsEveryLineMatchInJoinedLines(true));
  awk.SetRegExp("^x");
  EXPECT_FALSE(awk.FindsEveryLineMatchInJoinedLines());
}

}  // namespace
}  // namespace vorn
