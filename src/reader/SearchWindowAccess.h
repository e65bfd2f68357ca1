#pragma once

#include <QRect>
#include <QString>
#include <Qt>
#include <cstdint>
#include <optional>
#include <string>

class QPagedPaintDevice;
class QWidget;

namespace vorn {

class TBBSProcess;
class TBoardView;
class TLogList;
class TLogSession;
class TMainCommands;
class TReadingState;
class TReadModeSwitch;
class TStatusLine;
struct CommonSettings;

// What the search, export, copy and print commands need of the main window's reading state:
// the loaded set, the board and article shown, the reading modes, the article view. The
// commands reach the window only through this, so they are tested on the window as it is
// and do not change when its grid and view are replaced.
class TWindowAccess {
 public:
  virtual ~TWindowAccess() = default;

  // The analyser of the loaded set; null while nothing is loaded.
  virtual TBBSProcess* Analyser() const = 0;
  virtual const TLogList& Log() const = 0;
  virtual CommonSettings& Common() const = 0;
  // A path the loaded set names (its log folder...), resolved as the set's files are.
  virtual std::string SetPath(const std::string& path) const = 0;
  // The order the grid shows (TArticleSort).
  virtual int32_t Order() const = 0;
  // The board selected in the board list, -1 when none; the position of the grid's current
  // row in the order shown, -1 when the board shows nothing.
  virtual int32_t CurrentBoard() const = 0;
  virtual int32_t CurrentPosition() const = 0;
  // Selects the board in the board list (without the list's own click handling) and shows it
  // at the position, which displays the article.
  virtual void ShowArticleAt(int32_t board, int32_t position) = 0;
  virtual void SetStatusText(int panel, const QString& text) = 0;

  virtual bool NewReadMode() const = 0;
  virtual bool SearchReadMode() const = 0;
  // Switches the search reading mode as its menu item does.
  virtual void SetSearchReadMode(bool on) = 0;
  // Enables the search mode's menu item and button.
  virtual void EnableSearchMode() = 0;

  // The article view: the selected text (CP932, lines separated by CR LF), nullopt when
  // nothing is selected; printing its formatted text.
  virtual std::optional<std::string> ViewSelection() const = 0;
  virtual void PrintView(QPagedPaintDevice& printer) = 0;

  // The window, as the parent of dialogs, and its frame on the screen.
  virtual QWidget* Window() const = 0;
  virtual QRect WindowRect() const = 0;
  // Moves the keyboard focus to the grid.
  virtual void FocusGrid() = 0;
};

// The access on the main window's parts: the loaded session, the reading state, the board view,
// the commands, the status line and the reading modes, and the window as the dialogs' parent.
class TMainWindowAccess final : public TWindowAccess {
 public:
  TMainWindowAccess(TLogSession& session, CommonSettings& common, TReadingState& state,
                    TBoardView& view, TMainCommands& commands, TStatusLine& status,
                    TReadModeSwitch& modes, QWidget& window)
      : session_(session),
        common_(common),
        state_(state),
        view_(view),
        commands_(commands),
        status_(status),
        modes_(modes),
        window_(window) {}

  TBBSProcess* Analyser() const override;
  const TLogList& Log() const override;
  CommonSettings& Common() const override;
  std::string SetPath(const std::string& path) const override;
  int32_t Order() const override;
  int32_t CurrentBoard() const override;
  int32_t CurrentPosition() const override;
  void ShowArticleAt(int32_t board, int32_t position) override;
  void SetStatusText(int panel, const QString& text) override;
  bool NewReadMode() const override;
  bool SearchReadMode() const override;
  void SetSearchReadMode(bool on) override;
  void EnableSearchMode() override;
  std::optional<std::string> ViewSelection() const override;
  void PrintView(QPagedPaintDevice& printer) override;
  QWidget* Window() const override;
  QRect WindowRect() const override;
  void FocusGrid() override;

 private:
  TLogSession& session_;
  CommonSettings& common_;
  TReadingState& state_;
  TBoardView& view_;
  TMainCommands& commands_;
  TStatusLine& status_;
  TReadModeSwitch& modes_;
  QWidget& window_;
};

}  // namespace vorn
