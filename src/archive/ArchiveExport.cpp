#include "archive/ArchiveExport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/LogList.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveWriters.h"
#include "platform/Cp932.h"
#include "settings/BBSIniFile.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "store/BoardList.h"

namespace vorn {
namespace {

enum class FolderState { Missing, Empty, HoldsFiles, NotAFolder, Unreadable };

FolderState StateOf(const std::string& native, int& error) {
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) {
    error = errno;
    return error == ENOENT ? FolderState::Missing : FolderState::Unreadable;
  }
  if (!S_ISDIR(st.st_mode)) return FolderState::NotAFolder;
  DIR* dir = ::opendir(native.c_str());
  if (!dir) {
    error = errno;
    return FolderState::Unreadable;
  }
  FolderState state = FolderState::Empty;
  while (const dirent* e = ::readdir(dir)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
      state = FolderState::HoldsFiles;
      break;
    }
  }
  ::closedir(dir);
  return state;
}

// Makes the folder and those above it that are missing. 0 or the system's reason.
int MakeFolders(const std::string& native) {
  if (::mkdir(native.c_str(), 0777) == 0 || errno == EEXIST) return 0;
  if (errno != ENOENT) return errno;
  size_t end = native.size();
  while (end > 1 && native[end - 1] == '/')
    --end;
  const size_t slash = native.rfind('/', end - 1);
  if (slash == std::string::npos || slash == 0) return ENOENT;
  if (const int error = MakeFolders(native.substr(0, slash)); error != 0) return error;
  return ::mkdir(native.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

// The export folder, held for one export: made with the folders above it, or an empty one
// taken. A lock on it keeps a second export (another window, the tool) out meanwhile, and it
// tells the scratch files of an export that was killed, which are removed, from those of one
// that is still writing.
class ExportFolder final {
 public:
  ExportFolder() = default;
  ~ExportFolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  ExportFolder(const ExportFolder&) = delete;
  ExportFolder& operator=(const ExportFolder&) = delete;

  // The message names the folder and the reason.
  bool Take(const std::string& native, std::string& error);

 private:
  int fd_ = -1;
};

bool ExportFolder::Take(const std::string& native, std::string& error) {
  const std::string shown = FromNativePath(native);
  if (native.empty()) {
    error = Cp932("出力先のフォルダが指定されていません");
    return false;
  }
  const auto cannot = [&](int reason) {
    error = Cp932("出力先のフォルダを作成できませんでした: ") + shown + " (" +
            std::strerror(reason) + ")";
    return false;
  };
  if (const int reason = MakeFolders(native); reason != 0) return cannot(reason);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) return cannot(errno);
  if (!S_ISDIR(st.st_mode)) {
    error = Cp932("出力先はフォルダではありません: ") + shown;
    return false;
  }
  fd_ = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return cannot(errno);
  const bool locked = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  if (!locked && errno == EWOULDBLOCK) {
    error = Cp932("別のアーカイブ出力がこのフォルダに書き込んでいます: ") + shown;
    return false;
  }
  // Where the file system has no such locks, nobody can tell a killed export's scratch files
  // from a running one's: they are left alone and named.
  std::vector<std::string> scratch, others;
  DIR* dir = ::opendir(native.c_str());
  if (!dir) return cannot(errno);
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    (ArchiveFile::IsScratchName(name) ? scratch : others).emplace_back(name);
  }
  ::closedir(dir);
  if (others.empty() && (locked || scratch.empty())) {
    for (const std::string& name : scratch) {
      if (::unlinkat(fd_, name.c_str(), 0) != 0 && errno != ENOENT) {
        error = Cp932("前回のアーカイブ出力の作業ファイルを削除できませんでした: ") + shown + "/" +
                FromNativePath(name) + " (" + std::strerror(errno) + ")";
        return false;
      }
    }
    return true;
  }
  error = Cp932("出力先のフォルダが空ではありません: ") + shown;
  // Names the listing does not show (a dot first) are named here.
  others.insert(others.end(), scratch.begin(), scratch.end());
  const bool hidden = std::all_of(others.begin(), others.end(),
                                  [](const std::string& name) { return name[0] == '.'; });
  if (hidden) error += Cp932("\r隠しファイルがあります: ") + FromNativePath(others.front());
  error += Cp932("\r新しいフォルダか空のフォルダを指定して下さい");
  return false;
}

}  // namespace

bool ParseArchiveFormat(std::string_view name, ArchiveFormat& format) {
  if (name == "jsonl") {
    format = ArchiveFormat::Jsonl;
  } else if (name == "mbox") {
    format = ArchiveFormat::Mbox;
  } else if (name == "html") {
    format = ArchiveFormat::Html;
  } else {
    return false;
  }
  return true;
}

std::string_view ArchiveFormatName(ArchiveFormat format) {
  switch (format) {
    case ArchiveFormat::Mbox:
      return "mbox";
    case ArchiveFormat::Html:
      return "html";
    default:
      return "jsonl";
  }
}

ArchiveOptions ArchiveOptionsFrom(const TCommonIniFile& s) {
  ArchiveOptions options;
  options.TreeLineType = s.ArticleGridTreeLineType;
  ArticleTextSettings& t = options.Text;
  t.BigLinePrefixes = ParseMarkList(s.ArticleEditBigFontPrefix);
  t.QuoteMarks = ParseMarkList(s.ArticleEditBouteChr);
  t.UrlPatterns = ParseUrlPatterns(s.ArticleEditURLChr);
  t.TabWidth = 8;
  t.EscCut = true;  // the pages are UTF-8 text: terminal sequences have no place in them
  // A browser wraps lines itself, and the page has no end marker.
  t.FoldLines = false;
  t.EofMarker.clear();
  t.ColorRuns = s.ArticleEditColor;
  t.UrlEnabled = s.ArticleEditURL;
  return options;
}

ArchiveContext::ArchiveContext(const ArchiveRequest& request, std::string nativeFolder)
    : Request(request),
      Folder(std::move(nativeFolder)),
      Boards(ArchiveBoards(*request.Process)),
      Members(request.Process->Members),
      SerialTimes(request.Process->IniFile && request.Process->IniFile->SerialHeader) {}

std::unique_ptr<ArchiveBoardReader> ArchiveContext::Reader(const ArchiveBoardInfo& board) {
  const TArticleList* list = Request.Process->Boards.GetArticles(board.Index);
  if (!list) return nullptr;
  return std::make_unique<ArchiveBoardReader>(*list, Members, SerialTimes);
}

bool ArchiveContext::Step() {
  ++done_;
  if (Request.Progress && (done_ & 255) == 0 && !Request.Progress->Step(done_)) {
    Result.Result = ArchiveResult::Cancelled;
    return false;
  }
  return true;
}

bool ArchiveContext::Fail(const std::string& error) {
  Result.Result = ArchiveResult::Failed;
  if (Result.Error.empty()) Result.Error = error;
  return false;
}

bool ArchiveContext::Finish(ArchiveFile& file) {
  if (!file.Commit()) return Fail(file.Error());
  ++Result.Files;
  return true;
}

ArchiveResult ExportArchive(const ArchiveRequest& request) {
  ArchiveResult result;
  if (!request.Process || !request.Log) {
    result.Error = Cp932("出力するログが読み込まれていません");
    return result;
  }
  const std::string folder = NativePath(request.Folder);
  ExportFolder held;
  if (!held.Take(folder, result.Error)) return result;

  ArchiveContext context(request, folder);
  int64_t total = 0;
  for (const ArchiveBoardInfo& board : context.Boards) {
    if (const TArticleList* list = request.Process->Boards.GetArticles(board.Index))
      total += list->OrderCount(ArticleSortTree);
  }
  if (request.Progress) request.Progress->Start(total);
  context.Result.Result = ArchiveResult::Done;
  bool ok = false;
  try {
    switch (request.Format) {
      case ArchiveFormat::Jsonl:
        ok = WriteJsonLines(context);
        break;
      case ArchiveFormat::Mbox:
        ok = WriteMbox(context);
        break;
      case ArchiveFormat::Html:
        ok = WriteHtml(context);
        break;
    }
  } catch (const std::bad_alloc&) {
    // A big archive may not leave enough memory for a board's threads or pages. The file being
    // written went with its writer; the loaded logs and the user's writes are untouched.
    context.Fail(Cp932("アーカイブ出力中にメモリ不足が発生しました"));
  }
  // Every line of the archive was looked at: their pages need not stay with the process.
  request.Log->ReleasePages();
  result = context.Result;
  if (ok) result.Result = ArchiveResult::Done;
  result.UndecodedBytes = context.Text.UndecodedBytes();
  if (request.Progress && ok) request.Progress->Step(total);
  return result;
}

std::string SuggestArchiveFolder(const std::string& parent, const std::string& prefix) {
  std::string base = parent;
  while (base.size() > 1 && base.back() == '/')
    base.pop_back();
  base += "/" + (prefix.empty() ? std::string("log") : prefix) + "-archive";
  for (int n = 1;; ++n) {
    const std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
    int error = 0;
    const FolderState state = StateOf(NativePath(candidate), error);
    if (state == FolderState::Missing || state == FolderState::Empty || n >= 999) return candidate;
  }
}

std::string ArchiveSummary(const ArchiveRequest& request, const ArchiveResult& result) {
  std::string text;
  switch (result.Result) {
    case ArchiveResult::Done:
      text = Cp932("アーカイブ出力が終わりました");
      break;
    case ArchiveResult::Cancelled:
      text = Cp932("アーカイブ出力を中止しました（書き終えたファイルだけが残っています）");
      break;
    case ArchiveResult::Failed:
      text = Cp932("アーカイブ出力に失敗しました");
      if (!result.Error.empty()) text += "\r" + result.Error;
      if (result.Files > 0) text += Cp932("\r（書き終えたファイルだけが残っています）");
      break;
  }
  text += "\r" + Cp932("形式: ") + std::string(ArchiveFormatName(request.Format)) + "  " +
          Cp932("出力先: ") + request.Folder;
  text += "\r" + Cp932("ボード: ") + std::to_string(result.Boards) + "  " + Cp932("記事: ") +
          std::to_string(result.Articles) + "  " + Cp932("ファイル: ") +
          std::to_string(result.Files);
  text += "\r" + Cp932("変換できなかったバイト: ") + std::to_string(result.UndecodedBytes) +
          Cp932("（U+FFFD で表示）");
  return text;
}

}  // namespace vorn
