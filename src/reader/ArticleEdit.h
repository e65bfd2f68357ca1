#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/StyledArticle.h"
#include "settings/IniFilePlus.h"
#include "text/ArticleText.h"

class QAbstractScrollArea;
class QPagedPaintDevice;
class QPlainTextEdit;
class QStackedLayout;
class QTextDocument;
class QUrl;

namespace vorn {

class TArticleTextView;
class TVerticalTextView;
struct ArticleViewLooks;
struct CommonSettings;

// The read-only view of one article: the lines cleaned and folded, big-font lines, quote runs
// and the end marker coloured, web and mail addresses coloured, underlined and clickable, in
// horizontal or vertical writing, with the line and page scrolling the reading keys use.
class TArticleEdit final : public QWidget {
  Q_OBJECT
 public:
  enum TEditStyle : int32_t { esNormal = 0, esVertical = 1 };

  explicit TArticleEdit(QWidget* parent = nullptr);
  ~TArticleEdit() override;

  // Shows an article's lines (CP932) from their start, nothing selected.
  void ShowArticleText(const std::vector<std::string>& lines);
  // Shows nothing at all (not even the end marker).
  void Clear();
  // Prepares the lines shown last again with the settings as they are now.
  void Refresh();

  // The link under a point of the view showing the text (viewport coordinates); empty when
  // there is none or links are off.
  std::string LinkAt(const QPoint& point) const;
  // Opens a link as a click on it does: the user's browser or mailer when set, the desktop's
  // handler otherwise; a failure is told as a warning.
  void OpenLink(const std::string& link);

  void ScrollLineBack();
  void ScrollLineForward();
  void PageBack();
  void PageForward();
  // True, without scrolling, when the end is already shown; otherwise a page forward.
  bool PageForwardOrEnd();
  // Horizontal writing: the last line is shown.
  bool AtEnd() const;

  void SetBigLinePrefixes(std::string_view text);
  void SetQuoteMarks(std::string_view text);
  void SetUrlPatterns(std::string_view text);

  TEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TEditStyle style);
  void SetWordWrap(bool wrap);
  bool WordWrap() const { return wordWrap_; }
  // The view's own font and colours.
  void SetViewFont(const std::string& name, int32_t size, TColor color, TFontStyles style);
  void SetBackgroundColor(TColor color);

  // Everything the common settings (section ArticleEdit, and the Internet keys of link
  // clicking) decide for the view. Shows the current article again.
  void ApplyDisplaySettings(const CommonSettings& settings);
  // ScrollStep from the view's size: lines of the view (columns when vertical) times 0.3,
  // 0.5 or 0.8 for vScrollSize 0, 1, 2 (otherwise all of them), at least one.
  void SetArticleScrollStep(int32_t vScrollSize);
  // Height of a character of the view's font.
  int CharacterHeight() const;

  int32_t DisplayLineCount() const { return prepared_.DisplayLineCount(); }
  const std::vector<ArticleLink>& Links() const { return prepared_.Links; }
  const PreparedArticleText& Prepared() const { return prepared_; }
  bool HasSelection() const;
  // The selected text in CP932, lines separated by CR LF.
  std::string SelectedText() const;
  // Prints the article as the horizontal view lays it out, as one job.
  void Print(QPagedPaintDevice* printer);

  // The widget that shows the text now, and the two views themselves.
  QAbstractScrollArea* ActiveView() const;
  QPlainTextEdit* HorizontalView() const;
  TVerticalTextView* VerticalView() const { return vertical_; }

  // What the view does to the lines (lists, end marker, tab width, switches).
  ArticleTextSettings TextSettings;
  // The big-font lines' font; an empty name or a size of 0 takes the view's own.
  std::string BigLineFontName;
  int32_t BigLineFontSize = 0;
  TColor BigLineFontColor = clBlack;
  TFontStyles BigLineFontStyle = 0;
  TColor QuoteColor = 32768;
  TColor EofColor = 16711680;
  TColor UrlColor = 255;
  int32_t ScrollStep = 5;
  // Link clicking.
  bool URLClick = true;
  bool WWWSet = false;
  std::string WWW;
  bool MailerSet = false;
  std::string Mailer;
  // The desktop's open action; tests put a recorder here.
  std::function<bool(const QUrl&)> DesktopOpen;

 signals:
  // A link was clicked and is about to be opened (the owner moves the focus to the grid).
  void LinkClicked(const QString& link);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ArticleViewLooks Looks() const;
  void Render();
  void FillDocument(QTextDocument* document) const;
  int32_t PositionAt(const QPoint& point) const;

  TArticleTextView* horizontal_;
  TVerticalTextView* vertical_;
  QStackedLayout* stack_;
  TEditStyle editStyle_ = esNormal;
  bool wordWrap_ = true;
  std::string fontName_;
  int32_t fontSize_ = 9;
  TColor fontColor_ = clBlack;
  TFontStyles fontStyle_ = 0;
  TColor background_ = clWindow;
  std::vector<std::string> lines_;
  bool shown_ = false;
  PreparedArticleText prepared_;
  StyledArticle styled_;
  // The horizontal document does not hold the article shown vertically until it is needed.
  bool horizontalStale_ = false;
};

}  // namespace vorn
