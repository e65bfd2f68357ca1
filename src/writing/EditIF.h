#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/ArticleRecord.h"

namespace vorn {

class StartedProcess;
class TEditIF;

// What became of one editing session.
enum TEditResult : int32_t {
  // The editor changed the file and the text has been read back into the caller's lines.
  EditDone = 0,
  // The file was not changed, or holds nothing before the delimiter line.
  EditUnchanged = 1,
  // The editor could not be started.
  EditLaunchError = 2,
  // The temporary file could not be written or read.
  EditTempFileError = 3,
};

// Keeps the program working while an editor is open and returns once the editor says it is
// done (TEditIF::EditingEnded). The window runs a nested event loop; tools and tests poll.
class TEditorWait {
 public:
  virtual ~TEditorWait() = default;
  virtual void WaitUntilDone(TEditIF& editor) = 0;
};

// Polls the editor, pumping Ui() messages and sleeping a little between polls.
class TPollingEditorWait final : public TEditorWait {
 public:
  explicit TPollingEditorWait(int intervalMs = 10) : intervalMs_(intervalMs) {}
  void WaitUntilDone(TEditIF& editor) override;

 private:
  int intervalMs_;
};

// One write composed in the external editor: the material is laid out in a temporary file of
// its own, the editor is started on it as a program (no shell), and after the wait the edited
// text is read back up to the host's end-of-text line, the signature is added, and the
// temporary file and the editor's backups are removed.
class TEditIF final {
 public:
  // The temporary file is TempFile with "_" and the number put before its extension, so that
  // several writes can be open at once: vorntemp.txt and 7 give vorntemp_7.txt.
  TEditIF(const std::string& TempFile, int32_t Number);
  ~TEditIF();
  TEditIF(const TEditIF&) = delete;
  TEditIF& operator=(const TEditIF&) = delete;

  // Parses a comma list of markers that stay in front of a quoted line. Blanks (also the
  // full-width blank) are dropped; a comma only ends a marker that has begun, so a list that
  // starts with a comma keeps it as the marker's first byte. Appends to the markers there are.
  void SetHeadMarkers(std::string_view List);
  // Appends the signature file, each line's date placeholders expanded with one moment, up to
  // a line equal to the delimiter. An unreadable file gives one line that says so.
  void AppendFooter(TStringList& Target) const;

  // Lays out the material, runs the editor, waits through wait and reads the result back.
  // Lines holds the title (line 0, may contain line breaks) and the text to quote, or with AsIs
  // the whole text of a queued write. On EditDone it holds the title line and the body.
  TEditResult EditText(TStringList& Lines, const std::string& BinaryFile, bool AsIs,
                       TEditorWait& wait);

  // The steps of EditText, for a caller that waits in its own way. BeginEdit saves the material
  // and starts the editor (EditDone when it runs); FinishEdit reads the result back.
  TEditResult BeginEdit(const TStringList& Lines, const std::string& BinaryFile, bool AsIs);
  TEditResult FinishEdit(TStringList& Lines, bool AsIs);
  // Whether the wait may end: without WaitForActivation once the editor's process has ended;
  // with it once Activated is set and the editor has ended or the file has changed (an
  // activation that finds neither is forgotten). True when no editor was started.
  bool EditingEnded();

  // The two lines a binary write starts its body with: the file to upload and the name it is
  // written under (the file's short name, upper-cased).
  std::pair<std::string, std::string> BinaryLines(const std::string& BinaryFile) const;
  // The file as the editor will see it (without saving it).
  TStringList LayOut(const TStringList& Lines, const std::string& BinaryFile, bool AsIs) const;
  // The name of the editor's backup file that is removed with the temporary file.
  static std::string BackupFileName(const std::string& fileName);

  std::string EditorPath = "notepad.exe";
  std::string TempFileName;
  std::string DefaultTitle = "Title None";
  // Empty: no signature.
  std::string FooterFile;
  std::string QuotePrefix = ">";
  bool CutBlankQuoteLines = false;
  bool FooterBeforeEdit = false;
  // The wait ends when the program is activated again rather than when the editor ends.
  bool WaitForActivation = false;
  // Set by the window's activation handler on every running editor.
  bool Activated = false;
  std::string HeadMarkerText;
  std::vector<std::pair<std::string, int32_t>> HeadMarkers;
  std::string UpFileLabel;
  std::string WriteFileLabel;
  // The line that ends a text; empty: none.
  std::string Delimiter;

 private:
  // The temporary file is no longer what the editor was started on.
  bool FileChanged() const;

  std::unique_ptr<StartedProcess> process_;
  // The file as it stood when the editor started: its modification time in nanoseconds and
  // its bytes. A change is noticed by a later time, or by other bytes under the same time
  // (a save within the file system's time grain).
  int64_t startTime_ = -1;
  std::string startBytes_;
};

}  // namespace vorn
