#include "threadview/ThreadLists.h"

#include "platform/TextFile.h"
#include "platform/UserDataFile.h"
#include "store/ArticleList.h"
#include "threadview/ArticleFlags.h"

namespace vorn {
namespace {

constexpr std::string_view kWatch = "Watch";
constexpr std::string_view kIgnore = "Ignore";
constexpr std::string_view kCollapse = "Collapse";
constexpr std::string_view kExpand = "Expand";
constexpr std::string_view kCollapseAll = "CollapseAll";

}  // namespace

bool TThreadLists::Section::Empty() const {
  return Watched.empty() && Ignored.empty() && !Collapse.AnyCollapsed();
}

const TThreadLists::Section* TThreadLists::SectionOf(const TArticleList& board) const {
  const auto found = byName_.find(BoardLineText(board));
  return found == byName_.end() ? nullptr : &sections_[found->second];
}

TThreadLists::Section& TThreadLists::SectionNamed(const std::string& name) {
  const auto [at, added] = byName_.try_emplace(name, sections_.size());
  if (added) sections_.push_back({name, {}, {}, {}});
  return sections_[at->second];
}

WriterMark TThreadLists::MarkOf(const TArticleList& board, int32_t top) const {
  const Section* section = SectionOf(board);
  ThreadKey key;
  if (!section || !ThreadKeyAt(board, top, key)) return WriterMark::None;
  if (section->Watched.contains(key)) return WriterMark::Watched;
  if (section->Ignored.contains(key)) return WriterMark::Ignored;
  return WriterMark::None;
}

bool TThreadLists::SetMark(const TArticleList& board, int32_t top, WriterMark mark) {
  ThreadKey key;
  if (!ThreadKeyAt(board, top, key)) return false;
  Section& section = SectionNamed(BoardLineText(board));
  section.Watched.erase(key);
  section.Ignored.erase(key);
  if (mark == WriterMark::Watched) section.Watched.insert(key);
  if (mark == WriterMark::Ignored) section.Ignored.insert(key);
  return true;
}

bool TThreadLists::AnyMarked(const TArticleList& board) const {
  const Section* section = SectionOf(board);
  return section && !(section->Watched.empty() && section->Ignored.empty());
}

void TThreadLists::MarkMask(const TArticleList& board, int32_t order,
                            std::vector<uint8_t>& mask) const {
  const int32_t n = board.OrderCount(order);
  mask.assign(size_t(n), 0);
  if (!AnyMarked(board)) return;
  // The marks by position of tree order: each thread's mark goes to every entry under its top.
  const int32_t treeCount = board.OrderCount(ArticleSortTree);
  std::vector<uint8_t> tree(size_t(treeCount), 0);
  uint8_t current = 0;
  for (int32_t p = 0; p < treeCount; ++p) {
    if (board.GetLevel(ArticleSortTree, p) == 0) current = uint8_t(MarkOf(board, p));
    tree[size_t(p)] = current;
  }
  if (order == ArticleSortTree) {
    mask = std::move(tree);
    return;
  }
  // Another order reaches the same entries through their storage.
  std::vector<int32_t> treeOfStorage(size_t(std::max(board.Count(), 0)), -1);
  for (int32_t p = 0; p < treeCount; ++p) {
    const int32_t storage = board.StorageIndex(ArticleSortTree, p);
    if (storage >= 0 && size_t(storage) < treeOfStorage.size()) treeOfStorage[size_t(storage)] = p;
  }
  for (int32_t p = 0; p < n; ++p) {
    const int32_t storage = board.StorageIndex(order, p);
    if (storage < 0 || size_t(storage) >= treeOfStorage.size()) continue;
    const int32_t t = treeOfStorage[size_t(storage)];
    if (t >= 0) mask[size_t(p)] = tree[size_t(t)];
  }
}

TThreadCollapse& TThreadLists::Collapse(const TArticleList& board) {
  return SectionNamed(BoardLineText(board)).Collapse;
}

int32_t TThreadLists::MarkCount() const {
  size_t n = 0;
  for (const Section& s : sections_)
    n += s.Watched.size() + s.Ignored.size();
  return int32_t(n);
}

void TThreadLists::Clear() {
  sections_.clear();
  byName_.clear();
}

bool TThreadLists::AddLine(Section& section, std::string_view line) {
  if (line == kCollapseAll) {
    section.Collapse.SetAllCollapsed(true);
    return true;
  }
  const size_t comma = line.find(',');
  ThreadKey key;
  if (comma == std::string_view::npos || !ParseThreadKey(line.substr(comma + 1), key)) return false;
  const std::string_view what = line.substr(0, comma);
  if (what == kWatch || what == kIgnore) {
    // A thread given twice keeps the list of its first line.
    if (section.Watched.contains(key) || section.Ignored.contains(key)) return true;
    (what == kWatch ? section.Watched : section.Ignored).insert(key);
    return true;
  }
  // The collapse lines name the exceptions to the board's switch, which comes first.
  if (what == (section.Collapse.AllCollapsed() ? kExpand : kCollapse)) {
    section.Collapse.AddException(key);
    return true;
  }
  return false;
}

ListFileReport TThreadLists::LoadFromFile(const std::string& path) {
  Clear();
  Section* current = nullptr;
  return ReadTolerantListFile(
      path, ThreadListFileHeader,
      [&](std::string_view line) {
        if (line[0] == '\\') {
          if (line.size() < 2) return false;
          current = &SectionNamed(std::string(line.substr(1)));
          return true;
        }
        return current && AddLine(*current, line);
      },
      [this] { return FileText(); });
}

std::string TThreadLists::FileText() const {
  bool any = false;
  for (const Section& section : sections_)
    any = any || !section.Empty();
  if (!any) return {};
  CrLfTextBuilder out;
  out.Line(ThreadListFileHeader);
  for (const Section& section : sections_) {
    if (section.Empty()) continue;
    out.Line("\\" + section.Board);
    for (const ThreadKey& key : section.Watched)
      out.Line(std::string(kWatch) + "," + ThreadKeyText(key));
    for (const ThreadKey& key : section.Ignored)
      out.Line(std::string(kIgnore) + "," + ThreadKeyText(key));
    const bool all = section.Collapse.AllCollapsed();
    if (all) out.Line(kCollapseAll);
    for (const ThreadKey& key : section.Collapse.Exceptions())
      out.Line(std::string(all ? kExpand : kCollapse) + "," + ThreadKeyText(key));
  }
  return out.Data();
}

bool TThreadLists::SaveToFile(const std::string& path) const {
  if (path.empty()) return false;
  const std::string text = FileText();
  return text.empty() ? RemoveUserFile(path) : WriteUserFile(path, text);
}

}  // namespace vorn
