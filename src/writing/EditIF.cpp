#include "writing/EditIF.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/FileQuery.h"
#include "platform/Process.h"
#include "platform/TextFile.h"
#include "platform/UiServices.h"
#include "text/Dates.h"
#include "text/ShiftJisText.h"

namespace vorn {
namespace {

// Where the extension of the file's name begins (its '.'), or the end when it has none.
size_t ExtensionStart(const std::string& path) {
  const size_t name = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (name != std::string::npos && dot < name)) return path.size();
  return dot;
}

// A title may hold line breaks (a template's "\n"); each part becomes a line of its own. A
// trailing break adds no empty line, but the title always yields at least one line.
void AppendTitleLines(std::string_view title, TStringList& out) {
  const size_t before = out.size();
  size_t start = 0;
  while (start < title.size()) {
    size_t end = title.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      out.emplace_back(title.substr(start));
      break;
    }
    out.emplace_back(title.substr(start, end - start));
    start = end + 1;
    if (title[end] == '\r' && start < title.size() && title[start] == '\n') ++start;
  }
  if (out.size() == before) out.emplace_back();
}

std::string JoinCrLf(const TStringList& lines) {
  CrLfTextBuilder text;
  for (const std::string& line : lines)
    text.Line(line);
  return text.Data();
}

// The lines of the edited file. Editors of this platform save with LF, others with CR LF, old
// ones with CR alone: each of the three ends a line, so that no line end is ever kept inside a
// line (it would reach the host as part of a command line). Byte 0x1A ends the text, as the
// classic text files have it.
TStringList EditedLines(std::string_view bytes) {
  bytes = bytes.substr(0, std::min(bytes.find('\x1a'), bytes.size()));
  TStringList lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(start));
      break;
    }
    lines.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
    if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
  }
  return lines;
}

}  // namespace

void TPollingEditorWait::WaitUntilDone(TEditIF& editor) {
  while (!editor.EditingEnded()) {
    Ui().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs_));
  }
}

TEditIF::TEditIF(const std::string& TempFile, int32_t Number) {
  const size_t ext = ExtensionStart(TempFile);
  TempFileName = TempFile.substr(0, ext) + "_" + std::to_string(Number) + TempFile.substr(ext);
}

TEditIF::~TEditIF() = default;

std::string TEditIF::BackupFileName(const std::string& fileName) {
  return fileName.substr(0, ExtensionStart(fileName)) + ".BAK";
}

void TEditIF::SetHeadMarkers(std::string_view List) {
  HeadMarkerText = std::string(List);
  std::string current;
  auto close = [&] {
    HeadMarkers.emplace_back(current, static_cast<int32_t>(current.size()));
    current.clear();
  };
  for (size_t i = 0; i < List.size(); ++i) {
    const char c = List[i];
    if (IsLeadByte(c) && i + 1 < List.size()) {
      // The full-width blank is dropped like the half-width one.
      if (static_cast<unsigned char>(c) != 0x81 || List[i + 1] != 0x40)
        current += List.substr(i, 2);
      ++i;
      continue;
    }
    if (c == ',' && !current.empty()) {
      close();
    } else if (c != ' ') {
      current += c;
    }
  }
  if (!current.empty()) close();
}

void TEditIF::AppendFooter(TStringList& Target) const {
  if (FooterFile.empty()) return;
  std::vector<std::string> footer;
  if (!ReadClassicTextFile(FooterFile, footer)) {
    footer.assign(1, "FotterFile:" + FooterFile + " Load Error");
  }
  const std::tm now = CurrentLocalTime();
  for (const std::string& line : footer) {
    if (!Delimiter.empty() && line == Delimiter) break;
    Target.push_back(ExpandDatePlaceholders(line, now));
  }
}

std::pair<std::string, std::string> TEditIF::BinaryLines(const std::string& BinaryFile) const {
  return {UpFileLabel + BinaryFile, WriteFileLabel + ShortFileNameUpper(BinaryFile)};
}

TStringList TEditIF::LayOut(const TStringList& Lines, const std::string& BinaryFile,
                            bool AsIs) const {
  if (AsIs) return Lines;
  TStringList work;
  AppendTitleLines(Lines.empty() ? std::string_view(DefaultTitle) : std::string_view(Lines[0]),
                   work);
  if (!BinaryFile.empty()) {
    auto [fileLine, nameLine] = BinaryLines(BinaryFile);
    if (work.size() > 1) {
      work.insert(work.begin() + 1, {std::move(fileLine), std::move(nameLine)});
    } else {
      work.push_back(std::move(fileLine));
      work.push_back(std::move(nameLine));
    }
  }
  for (size_t i = 1; i < Lines.size(); ++i) {
    const std::string& line = Lines[i];
    if (CutBlankQuoteLines && IsBlankText(line)) continue;
    bool marked = false;
    for (const auto& [marker, length] : HeadMarkers) {
      if (std::string_view(line).starts_with(marker)) {
        work.push_back(marker + QuotePrefix + line.substr(static_cast<size_t>(length)));
        marked = true;
        break;
      }
    }
    if (!marked) work.push_back(QuotePrefix + line);
  }
  if (FooterBeforeEdit) AppendFooter(work);
  return work;
}

TEditResult TEditIF::BeginEdit(const TStringList& Lines, const std::string& BinaryFile, bool AsIs) {
  process_.reset();
  // A temporary file that cannot be written is reported like one that cannot be read, so that
  // the user learns why no editor came up.
  if (!WriteFileAtomic(TempFileName, JoinCrLf(LayOut(Lines, BinaryFile, AsIs))))
    return EditTempFileError;
  startTime_ = FileModTimeNs(TempFileName);
  if (startTime_ < 0 || !ReadWholeFile(TempFileName, startBytes_)) return EditTempFileError;
  Activated = false;
  // The file's name is quoted so that the editor receives it unchanged whatever it holds (a
  // blank, a double quote or a backslash in the settings folder's name).
  process_ = StartedProcess::Start(EditorPath + " " + QuoteCommandLineArgument(TempFileName));
  if (process_) return EditDone;
  // No editor will ever save it.
  DeleteFileAt(TempFileName);
  return EditLaunchError;
}

bool TEditIF::FileChanged() const {
  std::string bytes;
  return FileModTimeNs(TempFileName) != startTime_ || !ReadWholeFile(TempFileName, bytes) ||
         bytes != startBytes_;
}

bool TEditIF::EditingEnded() {
  if (!process_) return true;
  if (!WaitForActivation) return process_->HasEnded();
  if (!Activated) return false;
  // The user came back to the program, maybe only to look something up while the editor is
  // still open: as long as it runs and the file is as it was, the wait goes on until the next
  // time the user comes back.
  if (process_->HasEnded() || FileChanged()) return true;
  Activated = false;
  return false;
}

TEditResult TEditIF::FinishEdit(TStringList& Lines, bool AsIs) {
  const int64_t endTime = FileModTimeNs(TempFileName);
  std::string endBytes;
  // The temporary file stays when it cannot be read: it may hold the user's text.
  if (endTime < 0 || !ReadWholeFile(TempFileName, endBytes)) return EditTempFileError;

  TEditResult result = EditUnchanged;
  if (endTime > startTime_ || endBytes != startBytes_) {
    const std::vector<std::string> read = EditedLines(endBytes);
    result = EditDone;
    Lines.clear();
    int64_t last = static_cast<int64_t>(read.size()) - 1;
    if (!Delimiter.empty()) {
      for (size_t i = 0; i < read.size(); ++i) {
        if (read[i] == Delimiter) {
          last = static_cast<int64_t>(i) - 1;
          break;
        }
      }
      if (last < 0 && !read.empty()) result = EditUnchanged;
    }
    if (last >= 0) {
      bool hasBody = false;
      for (int64_t i = 1; i <= last && !hasBody; ++i)
        hasBody = !IsBlankText(read[static_cast<size_t>(i)]);
      if (!hasBody) last = 0;
      Lines.assign(read.begin(), read.begin() + last + 1);
      if (hasBody && !AsIs && !FooterBeforeEdit) AppendFooter(Lines);
    }
  }
  DeleteFileAt(TempFileName);
  DeleteFileAt(BackupFileName(TempFileName));
  // Editors of this platform keep their backup beside the file with a '~' added.
  DeleteFileAt(TempFileName + "~");
  return result;
}

TEditResult TEditIF::EditText(TStringList& Lines, const std::string& BinaryFile, bool AsIs,
                              TEditorWait& wait) {
  const TEditResult started = BeginEdit(Lines, BinaryFile, AsIs);
  if (started != EditDone) return started;
  wait.WaitUntilDone(*this);
  return FinishEdit(Lines, AsIs);
}

}  // namespace vorn
