#include "reader/ArticleEdit.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "platform/Cp932.h"
#include "platform/Process.h"
#include "platform/UiServices.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/VerticalTextView.h"
#include "settings/CommonIniFile.h"

namespace vorn {

// The horizontal view: a plain-text box (it lays out by lines and scrolls by lines) that can
// tell the character under a point.
class TArticleTextView final : public QPlainTextEdit {
 public:
  explicit TArticleTextView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    setCenterOnScroll(false);
  }

  int32_t PositionAt(const QPoint& point) const {
    const QTextBlock block = cursorForPosition(point).block();
    if (!block.isValid()) return -1;
    const QRectF box = blockBoundingGeometry(block).translated(contentOffset());
    if (!box.contains(point)) return -1;
    const QTextLayout* layout = block.layout();
    const QPointF local = QPointF(point) - box.topLeft();
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      if (local.y() < line.y() || local.y() >= line.y() + line.height()) continue;
      if (local.x() < line.x() || local.x() >= line.x() + line.naturalTextWidth()) return -1;
      return block.position() + line.xToCursor(local.x(), QTextLine::CursorOnCharacter);
    }
    return -1;
  }
};

namespace {

QTextCharFormat FormatOf(uint8_t look, const ArticleViewLooks& looks) {
  QTextCharFormat format;
  format.setFont(look & StyledArticle::BigFont ? looks.bigFont : looks.font);
  QColor color = looks.text;
  switch (look & StyledArticle::ColorMask) {
    case StyledArticle::ColorBig:
      color = looks.big;
      break;
    case StyledArticle::ColorQuote:
      color = looks.quote;
      break;
    case StyledArticle::ColorEof:
      color = looks.eof;
      break;
    case StyledArticle::ColorUrl:
      color = looks.url;
      break;
    default:
      break;
  }
  format.setForeground(color);
  if (look & StyledArticle::Underline) format.setFontUnderline(true);
  return format;
}

// Widget text back to CP932: line breaks as CR LF, the pictures of control characters as the
// bytes they stand for.
std::string ToCp932Lines(QString text) {
  text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u == '\n') {
      out += QStringLiteral("\r\n");
    } else if (u >= 0x2400 && u < 0x2420) {
      out += QChar(char16_t(u - 0x2400));
    } else if (u == 0x2421) {
      out += QChar(char16_t(0x7F));
    } else {
      out += c;
    }
  }
  return Utf8ToCp932(out.toStdString());
}

}  // namespace

TArticleEdit::TArticleEdit(QWidget* parent)
    : QWidget(parent),
      horizontal_(new TArticleTextView(this)),
      vertical_(new TVerticalTextView(this)),
      stack_(new QStackedLayout(this)) {
  stack_->setContentsMargins(0, 0, 0, 0);
  stack_->addWidget(horizontal_);
  stack_->addWidget(vertical_);
  stack_->setCurrentWidget(horizontal_);
  setFocusProxy(horizontal_);
  horizontal_->viewport()->installEventFilter(this);
  vertical_->viewport()->installEventFilter(this);
  horizontal_->viewport()->setMouseTracking(true);
  vertical_->viewport()->setMouseTracking(true);
  fontName_ = DefaultFontName();
  DesktopOpen = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  SetWordWrap(true);
  SetBackgroundColor(clWindow);
  SetViewFont(fontName_, 9, clBlack, 0);
}

TArticleEdit::~TArticleEdit() = default;

QAbstractScrollArea* TArticleEdit::ActiveView() const {
  if (editStyle_ == esVertical) return vertical_;
  return horizontal_;
}

QPlainTextEdit* TArticleEdit::HorizontalView() const {
  return horizontal_;
}

ArticleViewLooks TArticleEdit::Looks() const {
  ArticleViewLooks looks;
  looks.font = QtFont(fontName_, fontSize_, fontStyle_);
  looks.bigFont = QtFont(BigLineFontName.empty() ? fontName_ : BigLineFontName,
                         BigLineFontSize > 0 ? BigLineFontSize : fontSize_, BigLineFontStyle);
  looks.text = QtColor(fontColor_);
  looks.background = QtColor(background_);
  looks.big = QtColor(BigLineFontColor);
  looks.quote = QtColor(QuoteColor);
  looks.eof = QtColor(EofColor);
  looks.url = QtColor(UrlColor);
  return looks;
}

void TArticleEdit::ShowArticleText(const std::vector<std::string>& lines) {
  lines_ = lines;
  shown_ = true;
  Refresh();
}

void TArticleEdit::Clear() {
  lines_.clear();
  shown_ = false;
  prepared_ = PreparedArticleText();
  styled_ = StyledArticle();
  Render();
}

void TArticleEdit::Refresh() {
  if (!shown_) return;
  prepared_ = PrepareArticleText(lines_, TextSettings);
  styled_ = StyleArticle(prepared_);
  Render();
}

void TArticleEdit::FillDocument(QTextDocument* document) const {
  const ArticleViewLooks looks = Looks();
  document->clear();
  document->setDefaultFont(looks.font);
  QTextCursor cursor(document);
  cursor.beginEditBlock();
  const QTextCharFormat plain = FormatOf(0, looks);
  cursor.setBlockCharFormat(plain);
  for (size_t i = 0; i < styled_.lines.size(); ++i) {
    const StyledArticle::Line& line = styled_.lines[i];
    if (i > 0) cursor.insertBlock(QTextBlockFormat(), plain);
    const auto n = static_cast<int>(line.text.size());
    for (int start = 0; start < n;) {
      const uint8_t look = line.looks[static_cast<size_t>(start)];
      int end = start + 1;
      while (end < n && line.looks[static_cast<size_t>(end)] == look)
        ++end;
      cursor.insertText(line.text.mid(start, end - start), FormatOf(look, looks));
      start = end;
    }
  }
  cursor.endEditBlock();
}

void TArticleEdit::Render() {
  if (editStyle_ == esVertical) {
    vertical_->SetArticle(&styled_, Looks());
    horizontalStale_ = true;
    return;
  }
  horizontal_->setUpdatesEnabled(false);
  FillDocument(horizontal_->document());
  horizontal_->setTextCursor(QTextCursor(horizontal_->document()));
  horizontal_->verticalScrollBar()->setValue(0);
  horizontal_->horizontalScrollBar()->setValue(0);
  horizontal_->setUpdatesEnabled(true);
  horizontalStale_ = false;
}

int32_t TArticleEdit::PositionAt(const QPoint& point) const {
  if (editStyle_ == esVertical) return vertical_->PositionAt(point);
  return horizontal_->PositionAt(point);
}

std::string TArticleEdit::LinkAt(const QPoint& point) const {
  if (!TextSettings.UrlEnabled) return {};
  const int32_t position = PositionAt(point);
  if (position < 0) return {};
  const StyledArticle::Link* link = styled_.LinkAt(position);
  return link ? link->text : std::string();
}

void TArticleEdit::OpenLink(const std::string& link) {
  const LinkLaunch launch = PlanLinkLaunch(link, WWWSet, WWW, MailerSet, Mailer);
  bool started = false;
  if (launch.UseProgram) {
    started = RunProgram(launch.CommandLine);
  } else {
    const QUrl url(QtText(link), QUrl::TolerantMode);
    started = url.isValid() && DesktopOpen && DesktopOpen(url);
  }
  if (!started) Ui().Warning(launch.FailureMessage);
}

bool TArticleEdit::eventFilter(QObject* watched, QEvent* event) {
  const bool ours = watched == horizontal_->viewport() || watched == vertical_->viewport();
  if (!ours || !URLClick) return QWidget::eventFilter(watched, event);
  auto* widget = static_cast<QWidget*>(watched);
  if (event->type() == QEvent::MouseMove) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool onLink = !LinkAt(mouse->position().toPoint()).empty();
    widget->setCursor(onLink ? Qt::PointingHandCursor : Qt::IBeamCursor);
  } else if (event->type() == QEvent::MouseButtonPress) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && !HasSelection()) {
      const std::string link = LinkAt(mouse->position().toPoint());
      if (!link.empty()) {
        emit LinkClicked(QtText(link));
        OpenLink(link);
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool TArticleEdit::AtEnd() const {
  const QScrollBar* bar = horizontal_->verticalScrollBar();
  return bar->value() >= bar->maximum();
}

void TArticleEdit::ScrollLineBack() {
  if (editStyle_ == esVertical) {
    QScrollBar* bar = vertical_->horizontalScrollBar();
    if (bar->value() > 0) bar->setValue(bar->value() - vertical_->ColumnStep());
    return;
  }
  QScrollBar* bar = horizontal_->verticalScrollBar();
  bar->setValue(bar->value() - 1);
}

void TArticleEdit::ScrollLineForward() {
  if (editStyle_ == esVertical) {
    QScrollBar* bar = vertical_->horizontalScrollBar();
    bar->setValue(bar->value() + vertical_->ColumnStep());
    return;
  }
  if (AtEnd()) return;
  QScrollBar* bar = horizontal_->verticalScrollBar();
  bar->setValue(bar->value() + 1);
}

void TArticleEdit::PageBack() {
  for (int32_t i = 0; i < ScrollStep; ++i) {
    if (editStyle_ == esVertical) {
      ScrollLineForward();
    } else {
      ScrollLineBack();
    }
  }
}

void TArticleEdit::PageForward() {
  for (int32_t i = 0; i < ScrollStep; ++i) {
    if (editStyle_ == esVertical) {
      ScrollLineBack();
    } else {
      ScrollLineForward();
    }
  }
}

bool TArticleEdit::PageForwardOrEnd() {
  const bool atEnd =
      editStyle_ == esVertical ? vertical_->horizontalScrollBar()->value() < 1 : AtEnd();
  if (atEnd) return true;
  PageForward();
  return false;
}

void TArticleEdit::SetBigLinePrefixes(std::string_view text) {
  TextSettings.BigLinePrefixes = ParseMarkList(text);
}

void TArticleEdit::SetQuoteMarks(std::string_view text) {
  TextSettings.QuoteMarks = ParseMarkList(text);
}

void TArticleEdit::SetUrlPatterns(std::string_view text) {
  TextSettings.UrlPatterns = ParseUrlPatterns(text);
}

void TArticleEdit::SetEditStyle(TEditStyle style) {
  if (style == editStyle_) return;
  const bool hadFocus = ActiveView()->hasFocus();
  editStyle_ = style;
  stack_->setCurrentWidget(ActiveView());
  setFocusProxy(ActiveView());
  if (style == esVertical) {
    vertical_->SetArticle(&styled_, Looks());
  } else if (horizontalStale_) {
    Render();
  }
  if (hadFocus) ActiveView()->setFocus();
}

void TArticleEdit::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  horizontal_->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  horizontal_->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  horizontal_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  vertical_->SetWrap(wrap);
}

void TArticleEdit::SetViewFont(const std::string& name, int32_t size, TColor color,
                               TFontStyles style) {
  fontName_ = name;
  fontSize_ = size > 0 ? size : 9;
  fontColor_ = color;
  fontStyle_ = style;
  const QFont font = QtFont(fontName_, fontSize_, fontStyle_);
  horizontal_->setFont(font);
  vertical_->setFont(font);
  for (QWidget* view : {static_cast<QWidget*>(horizontal_), static_cast<QWidget*>(vertical_)}) {
    QPalette palette = view->palette();
    palette.setColor(QPalette::Text, QtColor(fontColor_));
    view->setPalette(palette);
  }
}

void TArticleEdit::SetBackgroundColor(TColor color) {
  background_ = color;
  for (QWidget* view : {static_cast<QWidget*>(horizontal_), static_cast<QWidget*>(vertical_)}) {
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, QtColor(color));
    view->setPalette(palette);
  }
}

void TArticleEdit::ApplyDisplaySettings(const CommonSettings& s) {
  SetBackgroundColor(s.ArticleEditBGColor);
  SetViewFont(s.ArticleEditFontName, s.ArticleEditFontSize, s.ArticleEditFontColor,
              s.ArticleEditFontStyle);
  SetWordWrap(s.ArticleEditWordWrap);
  SetBigLinePrefixes(s.ArticleEditBigFontPrefix);
  if (s.ArticleEditBigFontSet) {
    BigLineFontName = s.ArticleEditFontBigName;
    BigLineFontSize = s.ArticleEditFontBigSize;
    BigLineFontColor = s.ArticleEditFontBigColor;
    BigLineFontStyle = s.ArticleEditFontBigStyle;
  } else {
    BigLineFontName = fontName_;
    const double size = std::trunc(fontSize_ * s.ArticleEditBigFontSize);
    BigLineFontSize = size >= 1 && size <= 400 ? static_cast<int32_t>(size) : fontSize_;
    BigLineFontColor = fontColor_;
    BigLineFontStyle = fontStyle_;
  }
  SetQuoteMarks(s.ArticleEditBouteChr);
  QuoteColor = s.ArticleEditBouteColor;
  TextSettings.EofMarker = "[EOF]";
  EofColor = s.ArticleEditEOFColor;
  SetUrlPatterns(s.ArticleEditURLChr);
  UrlColor = s.ArticleEditURLColor;
  TextSettings.TabWidth = 8;
  TextSettings.EscCut = s.ArticleEditESCCut;
  TextSettings.FoldLines = s.ArticleEditReturn;
  TextSettings.FoldWidth = 80;
  TextSettings.ColorRuns = s.ArticleEditColor;
  TextSettings.UrlEnabled = s.ArticleEditURL;
  URLClick = s.URLClick;
  WWWSet = s.WWWSet;
  WWW = s.WWW;
  MailerSet = s.MailerSet;
  Mailer = s.Mailer;
  const TEditStyle style = s.ArticleEditVertical ? esVertical : esNormal;
  if (style != editStyle_) {
    SetEditStyle(style);
  }
  Refresh();
  if (!shown_) Render();
}

int TArticleEdit::CharacterHeight() const {
  return QFontMetrics(QtFont(fontName_, fontSize_, fontStyle_)).height();
}

void TArticleEdit::SetArticleScrollStep(int32_t vScrollSize) {
  const QWidget* viewport = ActiveView()->viewport();
  const int extent = editStyle_ == esVertical ? viewport->width() : viewport->height();
  double lines = extent / double(CharacterHeight() + 2);
  switch (vScrollSize) {
    case 0:
      lines *= 0.3;
      break;
    case 1:
      lines *= 0.5;
      break;
    case 2:
      lines *= 0.8;
      break;
    default:
      break;
  }
  // A step of 0 would leave paging (and the unread key that pages first) where it is forever.
  ScrollStep = std::max<int32_t>(1, static_cast<int32_t>(std::lround(lines)));
}

bool TArticleEdit::HasSelection() const {
  if (editStyle_ == esVertical) return vertical_->HasSelection();
  return horizontal_->textCursor().hasSelection();
}

std::string TArticleEdit::SelectedText() const {
  if (editStyle_ == esVertical) {
    if (!vertical_->HasSelection()) return {};
    return ToCp932Lines(
        styled_.TextBetween(vertical_->SelectionStart(), vertical_->SelectionEnd()));
  }
  return ToCp932Lines(horizontal_->textCursor().selectedText());
}

void TArticleEdit::Print(QPagedPaintDevice* printer) {
  if (horizontalStale_) {
    FillDocument(horizontal_->document());
    horizontalStale_ = false;
  }
  horizontal_->document()->print(printer);
}

}  // namespace vorn
