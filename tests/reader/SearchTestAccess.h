#pragma once

#include <QPagedPaintDevice>
#include <QTextEdit>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/BBSProcess.h"
#include "analysis/DisplayTexts.h"
#include "qtsupport/QtSupport.h"
#include "reader/SearchWindowAccess.h"
#include "settings/CommonIniFile.h"
#include "store/ArticleList.h"
#include "support/SampleSession.h"

namespace vorn::test {

// The reading state of a window over a loaded sample capture, for the commands that reach the
// window through TWindowAccess: a board and position shown, the two reading modes, a text view
// that shows the article, and what the commands did to it.
class SampleWindowAccess final : public TWindowAccess {
 public:
  explicit SampleWindowAccess(SampleSession& sample) : sample_(sample) {}

  TBBSProcess* Analyser() const override { return &sample_.Process(); }
  const TLogList& Log() const override { return sample_.Log(); }
  CommonSettings& Common() const override { return common; }
  std::string SetPath(const std::string& path) const override {
    return sample_.session->SetPath(path);
  }
  int32_t Order() const override { return order; }
  int32_t CurrentBoard() const override { return board; }
  int32_t CurrentPosition() const override { return position; }
  void ShowArticleAt(int32_t b, int32_t p) override {
    board = b;
    position = p;
    shown.emplace_back(b, p);
  }
  void SetStatusText(int panel, const QString& text) override {
    if (panel == 0) status = text;
  }
  bool NewReadMode() const override { return newReadMode; }
  bool SearchReadMode() const override { return searchReadMode; }
  void SetSearchReadMode(bool on) override { searchReadMode = on; }
  void EnableSearchMode() override { searchModeEnabled = true; }
  std::optional<std::string> ViewSelection() const override { return selection; }
  void PrintView(QPagedPaintDevice& printer) override {
    QTextEdit view;
    QString text;
    const ArticleViewText article = ArticleViewLines(sample_.Process().Boards.GetArticles(board),
                                                     order, position, sample_.Log());
    for (const std::string& line : article.Lines)
      text += QtText(line) + QLatin1Char('\n');
    view.setPlainText(text);
    view.print(&printer);
    ++prints;
  }
  QWidget* Window() const override { return nullptr; }
  QRect WindowRect() const override { return QRect(100, 100, 600, 440); }
  void FocusGrid() override {}

  // The article at a board's position in the order, as the title the grid shows.
  std::string TitleAt(int32_t b, int32_t p) const {
    return sample_.Process().Boards.GetArticles(b)->GetTitle(order, p);
  }

  mutable CommonSettings common;
  int32_t order = ArticleSortTree;
  int32_t board = 0;
  int32_t position = 0;
  bool newReadMode = false;
  bool searchReadMode = false;
  bool searchModeEnabled = false;
  std::optional<std::string> selection;
  std::vector<std::pair<int32_t, int32_t>> shown;
  QString status;
  int prints = 0;

 private:
  SampleSession& sample_;
};

}  // namespace vorn::test
