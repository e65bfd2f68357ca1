#include "analysis/DisplayTexts.h"

#include <algorithm>
#include <charconv>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "platform/Cp932.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"
#include "store/MailSendList.h"
#include "store/MemberList.h"

namespace vorn {
namespace {

constexpr int32_t kTreeFlagDepths = 256;

void AppendNumber(int32_t value, std::string& out) {
  char buf[16];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  out.append(buf, end);
}

// printf's "%<width>d" and "%<width>s": right-aligned, never cut.
void AppendRightAligned(std::string_view text, size_t width, std::string& out) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out.append(text);
}

void AppendNumberRightAligned(int32_t value, size_t width, std::string& out) {
  char buf[16];
  const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
  AppendRightAligned(std::string_view(buf, static_cast<size_t>(end - buf)), width, out);
}

bool IsBinaryKind(uint8_t kind) {
  return kind == ArticleKindBinaryRoot || kind == ArticleKindBinaryRess ||
         kind == ArticleKindBinaryMail;
}

}  // namespace

std::string BoardListLine(const TBBSProcess& process, int32_t boardIndex) {
  const TBoardList& boards = process.Boards;
  std::string line;
  const uint8_t type = boards.GetBoardType(boardIndex);
  const uint8_t attr = boards.GetBoardAttr(boardIndex);
  line += type == 1 ? 'B' : type == 2 ? 'M' : '-';
  line += attr == 1 ? 'R' : attr == 2 ? 'W' : '-';
  int32_t count = 0;
  if (const TArticleList* articles = boards.GetArticles(boardIndex)) {
    const int32_t n = articles->OrderCount(ArticleSortNormal);
    for (int32_t p = 0; p < n; ++p) {
      const ArticleRecord* entry = articles->GetArticle(ArticleSortNormal, p);
      if (entry && entry->WriteFlag == 0) ++count;
    }
  }
  line += '(';
  AppendNumberRightAligned(count, 4, line);
  line += ") ";
  line += process.GetBoardLabel(boardIndex, true);
  line += " / ";
  line += boards.GetBoardTitle(boardIndex);
  return line;
}

std::vector<std::string> FillBoardList(TBBSProcess& process) {
  std::vector<std::string> lines;
  lines.reserve(static_cast<size_t>(process.Boards.Count()));
  for (int32_t b = 0; b < process.Boards.Count(); ++b) {
    lines.push_back(BoardListLine(process, b));
    if (TArticleList* articles = process.Boards.GetArticles(b)) articles->Modified = 0;
  }
  return lines;
}

TreeStrings TreeStringsFor(int32_t treeLineType) {
  switch (treeLineType) {
    case 1:
      return {" ", "|", "+", "+"};
    case 2:
      return {Cp932("　"), Cp932("｜"), Cp932("├"), Cp932("└")};
    default:
      // None, and the drawn style, which indents with blanks alone.
      return {" ", " ", " ", " "};
  }
}

// ---------------------------------------------------------------------------------------------

TMemberLookup::TMemberLookup(const TMemberList& members) : members_(members) {}

bool TMemberLookup::TextIds() const {
  return members_.TextIds != 0;
}

void TMemberLookup::Rebuild() {
  byNumber_.clear();
  byText_.clear();
  count_ = members_.Count();
  deleted_ = members_.DeletedCount;
  for (int32_t i = 0; i < count_; ++i) {
    const MemberRecord* m = members_.Member(i);
    if (!m || m->Deleted) continue;
    // emplace keeps the first entry of an ID, as the list's own search does.
    if (members_.TextIds) {
      byText_.emplace(std::string(m->IdText.View()), i);
    } else {
      byNumber_.emplace(m->IdNo, i);
    }
  }
  built_ = true;
}

void TMemberLookup::Follow() {
  if (!built_ || count_ != members_.Count() || deleted_ != members_.DeletedCount) Rebuild();
}

int32_t TMemberLookup::FindIdNo(int32_t id) {
  Follow();
  const auto it = byNumber_.find(id);
  return it == byNumber_.end() ? -1 : it->second;
}

int32_t TMemberLookup::FindIdText(std::string_view id) {
  Follow();
  const auto it = byText_.find(std::string(id.substr(0, 31)));
  return it == byText_.end() ? -1 : it->second;
}

std::string_view TMemberLookup::TrueHandleOf(int32_t id) {
  const MemberRecord* m = members_.Member(FindIdNo(id));
  return m && !m->Deleted ? m->TrueHandle.View() : std::string_view();
}

std::string_view TMemberLookup::TrueHandleOfText(std::string_view id) {
  const MemberRecord* m = members_.Member(FindIdText(id));
  return m && !m->Deleted ? m->TrueHandle.View() : std::string_view();
}

// ---------------------------------------------------------------------------------------------

void AppendNumberText(const ArticleRecord& entry, std::string& out) {
  if (entry.WriteFlag != 0) {
    static const std::string kWrite = Cp932("[書込]");
    if (IsBinaryKind(entry.Kind) && entry.BatchFlag == 0) out += 'B';
    out += kWrite;
    return;
  }
  if (IsBinaryKind(entry.Kind)) out += entry.BatchFlag == 1 ? 'S' : 'B';
  if (entry.Number < 0) {
    static const std::string kUnknown = Cp932("-不明-");
    out += kUnknown;
    return;
  }
  char open = '[', close = ']';
  if (entry.Kind == ArticleKindMissingRoot) {
    open = close = '-';
  } else if (entry.Maintained == 1) {
    open = entry.NewFlag == 1 ? '(' : '|';
    close = entry.NewFlag == 1 ? ')' : '|';
  } else if (entry.NewFlag == 1) {
    open = '<';
    close = '>';
  }
  out += open;
  AppendNumber(entry.Number, out);
  out += close;
}

TArticleRows::TArticleRows(const TArticleList& board, int32_t order, const TMemberList& members,
                           int32_t treeLineType)
    : board_(board),
      order_(order == ArticleSortTree ? ArticleSortTree : ArticleSortNormal),
      members_(members),
      tree_(TreeStringsFor(treeLineType)) {}

int32_t TArticleRows::Count() const {
  return board_.OrderCount(order_);
}

void TArticleRows::Refresh() {
  treeBuilt_ = false;
  flagStart_.clear();
  flags_.clear();
  members_.Rebuild();
}

// Walks the tree bottom-up once, as the grid's fill does, and keeps for every position the
// flags its prefix is drawn from: flag d tells whether a node of depth d + 1 follows further
// down before any shallower node, so that a line passes down (or a branch has a sibling).
void TArticleRows::BuildTree() {
  treeBuilt_ = true;
  const int32_t n = board_.OrderCount(ArticleSortTree);
  // Each entry is reached once: on a big board the records lie far apart in memory.
  std::vector<int32_t> levels(static_cast<size_t>(n));
  flagStart_.assign(static_cast<size_t>(n) + 1, 0);
  for (int32_t p = 0; p < n; ++p) {
    const int32_t level = std::max(board_.GetLevel(ArticleSortTree, p), 0);
    levels[static_cast<size_t>(p)] = level;
    flagStart_[static_cast<size_t>(p) + 1] =
        flagStart_[static_cast<size_t>(p)] +
        static_cast<uint32_t>(std::min(level, kTreeFlagDepths));
  }
  flags_.assign(flagStart_.back(), 0);

  uint8_t flag[kTreeFlagDepths] = {};
  int32_t top = 0;  // flags at and above this depth index are 0
  for (int32_t p = n - 1; p >= 0; --p) {
    const int32_t level = levels[static_cast<size_t>(p)];
    uint8_t* kept = flags_.data() + flagStart_[static_cast<size_t>(p)];
    if (level == 0) {
      std::fill(flag, flag + top, 0);
      top = 0;
    } else if (level < kTreeFlagDepths) {
      std::copy(flag, flag + level, kept);
      flag[level - 1] = 1;
      if (top > level) std::fill(flag + level, flag + top, 0);
      top = level;
    } else {
      // Deeper than the flags reach: drawn from them, and they stay as they are.
      std::copy(flag, flag + kTreeFlagDepths, kept);
    }
  }
}

void TArticleRows::AppendTreePrefix(int32_t position, std::string& out) {
  if (order_ != ArticleSortTree || position < 0 || position >= Count()) return;
  if (!treeBuilt_ || flagStart_.size() != static_cast<size_t>(Count()) + 1) BuildTree();
  const int32_t level = std::max(board_.GetLevel(ArticleSortTree, position), 0);
  if (level == 0) return;
  const uint8_t* kept = flags_.data() + flagStart_[static_cast<size_t>(position)];
  if (level < kTreeFlagDepths) {
    for (int32_t d = 0; d + 1 < level; ++d)
      out += kept[d] ? tree_.Vert : tree_.Blank;
    out += kept[level - 1] ? tree_.Branch : tree_.Last;
  } else {
    for (int32_t d = 0; d < level; ++d)
      out += d < kTreeFlagDepths && kept[d] ? tree_.Vert : tree_.Blank;
  }
}

std::string TArticleRows::TreePrefix(int32_t position) {
  std::string prefix;
  AppendTreePrefix(position, prefix);
  return prefix;
}

void TArticleRows::WriterText(const ArticleRecord& entry, std::string& out) {
  if (entry.WriteFlag == 0) {
    if (members_.TextIds()) {
      if (entry.WriterIdText().Empty()) return;
      AppendRightAligned(entry.WriterIdText().View(), 8, out);
      if (members_.FindIdText(entry.WriterIdText().View()) >= 0) {
        out += ':';
        out += members_.TrueHandleOfText(entry.WriterIdText().View());
      }
    } else {
      if (entry.WriterId < 0) return;
      AppendNumberRightAligned(entry.WriterId, 4, out);
      if (members_.FindIdNo(entry.WriterId) >= 0) {
        out += ':';
        out += members_.TrueHandleOf(entry.WriterId);
      }
    }
    return;
  }
  if (entry.Kind != ArticleKindMail && entry.Kind != ArticleKindBinaryMail) return;
  const TMailSendList* to = entry.MailTo();
  if (!to || to->Count() == 0) {
    static const std::string kNotSet = Cp932("未設定");
    out += kNotSet;
    return;
  }
  // As the log's own rows show a writer: the handle after a colon when the member is known.
  if (members_.TextIds()) {
    const std::string id = TMailSendList::GetRecipientText(to, 0);
    AppendRightAligned(id, 8, out);
    if (members_.FindIdText(id) >= 0) {
      out += ':';
      out += members_.TrueHandleOfText(id);
    }
  } else {
    const int32_t id = TMailSendList::GetRecipientId(to, 0);
    AppendNumberRightAligned(id, 4, out);
    if (members_.FindIdNo(id) >= 0) {
      out += ':';
      out += members_.TrueHandleOf(id);
    }
  }
}

void TArticleRows::ArticleCellTexts(int32_t position, ArticleCells& cells) {
  cells.Number.clear();
  cells.Writer.clear();
  cells.Title.clear();
  const ArticleRecord* entry = board_.GetArticle(order_, position);
  if (!entry) return;
  AppendTreePrefix(position, cells.Number);
  AppendNumberText(*entry, cells.Number);
  WriterText(*entry, cells.Writer);
  cells.Title.assign(entry->Title().View());
}

ArticleCells TArticleRows::ArticleCellTexts(int32_t position) {
  ArticleCells cells;
  ArticleCellTexts(position, cells);
  return cells;
}

// ---------------------------------------------------------------------------------------------

ArticleViewText ArticleViewLines(const TArticleList* board, int32_t order, int32_t position,
                                 const TLogList& log) {
  ArticleViewText view;
  if (!board || board->OrderCount(order) <= 0) return view;
  view.Result = ArticleViewText::NoText;
  const ArticleRecord* entry = board->GetArticle(order, position);
  if (!entry) return view;
  if (entry->WriteFlag != 0) {
    if (!entry->Text() || entry->Text()->empty()) return view;
    view.Lines = *entry->Text();
  } else {
    if (entry->FirstLine < 0) return view;
    const int32_t last = std::min(entry->LastLine, log.Count() - 1);
    for (int32_t line = entry->FirstLine; line <= last; ++line)
      view.Lines.emplace_back(log.LineView(line));
  }
  view.Result = ArticleViewText::Text;
  return view;
}

}  // namespace vorn
