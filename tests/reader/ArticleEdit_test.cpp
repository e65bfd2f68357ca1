#include "reader/ArticleEdit.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QUrl>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "qtsupport/DisplayMapping.h"
#include "qtsupport/QtSupport.h"
#include "reader/ReadingTestSupport.h"
#include "reader/StyledArticle.h"
#include "reader/VerticalTextView.h"
#include "settings/CommonIniFile.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;

class ArticleEditTest : public ::testing::Test {
 protected:
  ArticleEditTest() {
    test::ReadingApp();
    view.ApplyDisplaySettings(CommonSettings());
    view.BigLineFontSize = 15;
    view.DesktopOpen = [this](const QUrl& url) {
      opened.push_back(url.toString());
      return true;
    };
    view.resize(420, 240);
    view.show();
  }

  QTextDocument* Document() { return view.HorizontalView()->document(); }
  // The format of the character at a document position.
  QTextCharFormat FormatAt(int position) {
    QTextCursor cursor(Document());
    cursor.setPosition(position + 1);
    return cursor.charFormat();
  }
  int Find(const QString& text) { return Document()->toPlainText().indexOf(text); }
  // A point inside the character at a document position of the horizontal view.
  QPoint PointOn(int position) {
    QTextCursor cursor(Document());
    cursor.setPosition(position);
    const QRect before = view.HorizontalView()->cursorRect(cursor);
    cursor.setPosition(position + 1);
    const QRect after = view.HorizontalView()->cursorRect(cursor);
    return QPoint((before.left() + after.left()) / 2, before.center().y());
  }

  // Made before any widget.
  QApplication& app_ = test::ReadingApp();
  TArticleEdit view;
  std::vector<QString> opened;
};

const std::vector<std::string> kArticle = {
    "%V%WBig title",
    J("はなこさんの記事より"),
    ">quoted line",
    J("＞全角の引用"),
    "",
    "see http://WWW.Example.jp/page and Taro@Example.jp",
};

TEST_F(ArticleEditTest, AnEmptyArticleShowsOnlyTheMarker) {
  view.ShowArticleText({});
  EXPECT_EQ(Document()->toPlainText(), QStringLiteral("[EOF]"));
  EXPECT_EQ(view.DisplayLineCount(), 1);
  EXPECT_EQ(FormatAt(0).foreground().color(), QtColor(clBlue));
  view.Clear();
  EXPECT_EQ(Document()->toPlainText(), QString());
}

TEST_F(ArticleEditTest, BigFontQuotesAndLinksGetTheirLooks) {
  view.ShowArticleText(kArticle);
  EXPECT_EQ(Document()->findBlockByNumber(0).text(), QStringLiteral("Big title"));
  EXPECT_EQ(FormatAt(0).font().pointSize(), 15);
  EXPECT_EQ(FormatAt(Find(QStringLiteral("はなこ"))).font().pointSize(), 9);
  const int quoted = Find(QStringLiteral(">quoted"));
  EXPECT_EQ(FormatAt(quoted).foreground().color(), QtColor(clGreen));
  EXPECT_EQ(FormatAt(Find(QStringLiteral("全角"))).foreground().color(), QtColor(clGreen));
  EXPECT_EQ(FormatAt(Find(QStringLiteral("see"))).foreground().color(), QtColor(clBlack));
  const int link = Find(QStringLiteral("http://WWW"));
  EXPECT_TRUE(FormatAt(link).fontUnderline());
  EXPECT_EQ(FormatAt(link).foreground().color(), QtColor(clRed));
  EXPECT_FALSE(FormatAt(link - 2).fontUnderline());
  const int mail = Find(QStringLiteral("Taro@"));
  EXPECT_TRUE(FormatAt(mail + 5).fontUnderline());
  EXPECT_EQ(view.Links().size(), 2u);
}

TEST_F(ArticleEditTest, LinkAtFindsTheLinkUnderThePoint) {
  view.ShowArticleText(kArticle);
  const int link = Find(QStringLiteral("http://WWW"));
  EXPECT_EQ(view.LinkAt(PointOn(link)), "http://www.example.jp/page");
  EXPECT_EQ(view.LinkAt(PointOn(link + 20)), "http://www.example.jp/page");
  EXPECT_EQ(view.LinkAt(PointOn(link - 2)), "");
  EXPECT_EQ(view.LinkAt(PointOn(Find(QStringLiteral("aro@")))), "mailto:taro@example.jp");
  // Past the end of a short line there is no character.
  const QPoint endOfQuote = PointOn(Find(QStringLiteral(">quoted")));
  EXPECT_EQ(view.LinkAt(QPoint(view.width() - 30, endOfQuote.y())), "");
  view.TextSettings.UrlEnabled = false;
  EXPECT_EQ(view.LinkAt(PointOn(link)), "");
}

TEST_F(ArticleEditTest, LinksBehindAFoldAreFoundWhereTheyAreShown) {
  std::string line(100, 'x');
  line += " http://www.example.jp/after ";
  line += std::string(200 - line.size(), 'y');
  view.ShowArticleText({line});
  EXPECT_EQ(view.DisplayLineCount(), 4);
  EXPECT_EQ(Document()->blockCount(), 4);
  const int link = Find(QStringLiteral("http://www"));
  ASSERT_GT(link, 80);
  EXPECT_EQ(Document()->findBlock(link).blockNumber(), 1);
  EXPECT_TRUE(FormatAt(link).fontUnderline());
  EXPECT_FALSE(FormatAt(link - 1).fontUnderline());
  view.SetWordWrap(false);
  view.ShowArticleText({line});
  EXPECT_EQ(view.LinkAt(PointOn(link + 3)), "http://www.example.jp/after");
}

TEST_F(ArticleEditTest, InvalidBytesAndControlCharactersKeepLinksInPlace) {
  // A lead byte followed by a blank, an escape kept because escape removal is off, then a link.
  view.TextSettings.EscCut = false;
  view.ShowArticleText({std::string("\x81 \x1b[1m") + J("ｶﾀｶﾅ") + " ftp://a.example.jp/x"});
  const QString text = Document()->findBlockByNumber(0).text();
  EXPECT_TRUE(text.contains(QChar(0x241B))) << text.toStdString();
  const int link = Find(QStringLiteral("ftp://"));
  ASSERT_GE(link, 0);
  EXPECT_TRUE(FormatAt(link).fontUnderline());
  EXPECT_FALSE(FormatAt(link - 1).fontUnderline());
  EXPECT_TRUE(
      FormatAt(link + int(QStringLiteral("ftp://a.example.jp/x").size()) - 1).fontUnderline());
}

TEST_F(ArticleEditTest, ClickingALinkOpensItUnlessTextIsSelected) {
  view.ShowArticleText(kArticle);
  QSignalSpy clicked(&view, &TArticleEdit::LinkClicked);
  const QPoint onLink = PointOn(Find(QStringLiteral("http://WWW")) + 4);
  QTest::mouseClick(view.HorizontalView()->viewport(), Qt::LeftButton, Qt::NoModifier, onLink);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QStringLiteral("http://www.example.jp/page"));
  EXPECT_EQ(clicked.count(), 1);

  QTest::mouseClick(view.HorizontalView()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    PointOn(Find(QStringLiteral("Taro@"))));
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], QStringLiteral("mailto:taro@example.jp"));

  view.HorizontalView()->selectAll();
  QTest::mouseClick(view.HorizontalView()->viewport(), Qt::LeftButton, Qt::NoModifier, onLink);
  EXPECT_EQ(opened.size(), 2u);

  view.URLClick = false;
  view.HorizontalView()->setTextCursor(QTextCursor(Document()));
  QTest::mouseClick(view.HorizontalView()->viewport(), Qt::LeftButton, Qt::NoModifier, onLink);
  EXPECT_EQ(opened.size(), 2u);
}

TEST_F(ArticleEditTest, AFailedBrowserStartIsReported) {
  RecordingUiServices ui;
  ScopedUiServices scoped(&ui);
  view.WWWSet = true;
  view.WWW = "/nonexistent/folder/browser";
  view.OpenLink("http://a.example.jp/");
  ASSERT_EQ(ui.entries.size(), 1u);
  EXPECT_EQ(ui.entries[0].text, J("WWWブラウザの起動に失敗しました"));
  EXPECT_TRUE(opened.empty());
  view.DesktopOpen = [](const QUrl&) { return false; };
  view.OpenLink("mailto:x@y.jp");
  ASSERT_EQ(ui.entries.size(), 2u);
  EXPECT_EQ(ui.entries[1].text, J("メーラーの起動に失敗しました"));
}

TEST_F(ArticleEditTest, LineAndPageScrollingStopAtTheEnd) {
  std::vector<std::string> lines;
  for (int i = 0; i < 120; ++i)
    lines.push_back("line " + std::to_string(i));
  view.ShowArticleText(lines);
  QScrollBar* bar = view.HorizontalView()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 20);
  EXPECT_EQ(bar->value(), 0);
  view.ScrollLineBack();
  EXPECT_EQ(bar->value(), 0);
  view.ScrollLineForward();
  EXPECT_EQ(bar->value(), 1);
  view.ScrollStep = 7;
  view.PageForward();
  EXPECT_EQ(bar->value(), 8);
  view.PageBack();
  EXPECT_EQ(bar->value(), 1);
  int pages = 0;
  while (!view.PageForwardOrEnd())
    ASSERT_LT(++pages, 100);
  EXPECT_TRUE(view.AtEnd());
  const int end = bar->value();
  view.ScrollLineForward();
  EXPECT_EQ(bar->value(), end);
  EXPECT_TRUE(view.PageForwardOrEnd());
  EXPECT_EQ(bar->value(), end);
}

TEST_F(ArticleEditTest, ScrollStepFollowsTheViewSize) {
  const int extent = view.HorizontalView()->viewport()->height();
  const double lines = extent / double(view.CharacterHeight() + 2);
  view.SetArticleScrollStep(1);
  EXPECT_EQ(view.ScrollStep, std::max(1L, std::lround(lines * 0.5)));
  view.SetArticleScrollStep(3);
  EXPECT_EQ(view.ScrollStep, std::max(1L, std::lround(lines)));
  view.resize(420, 10);
  view.SetArticleScrollStep(0);
  EXPECT_EQ(view.ScrollStep, 1);
}

TEST_F(ArticleEditTest, SelectedTextIsCp932WithCrLf) {
  view.ShowArticleText({J("一行目"), "two"});
  view.HorizontalView()->selectAll();
  EXPECT_EQ(view.SelectedText(), J("一行目") + "\r\ntwo\r\n[EOF]");
}

TEST_F(ArticleEditTest, DisplaySettingsComeFromTheCommonSettings) {
  CommonSettings s;
  s.ArticleEditFontSize = 10;
  s.ArticleEditBigFontSize = 1.5;
  s.ArticleEditVertical = true;
  s.ArticleEditURLColor = clLime;
  s.ArticleEditReturn = false;
  view.ApplyDisplaySettings(s);
  EXPECT_EQ(view.EditStyle(), TArticleEdit::esVertical);
  EXPECT_EQ(view.ActiveView(), static_cast<QAbstractScrollArea*>(view.VerticalView()));
  EXPECT_EQ(view.BigLineFontSize, 15);
  EXPECT_EQ(view.TextSettings.UrlPatterns.size(), 5u);
  EXPECT_EQ(view.TextSettings.QuoteMarks, (std::vector<std::string>{">", J("＞")}));
  EXPECT_EQ(view.TextSettings.EofMarker, "[EOF]");
  EXPECT_FALSE(view.TextSettings.FoldLines);
  EXPECT_EQ(view.UrlColor, clLime);
  s.ArticleEditBigFontSet = true;
  s.ArticleEditFontBigSize = 20;
  s.ArticleEditVertical = false;
  view.ApplyDisplaySettings(s);
  EXPECT_EQ(view.BigLineFontSize, 20);
  EXPECT_EQ(view.EditStyle(), TArticleEdit::esNormal);
}

class VerticalEditTest : public ArticleEditTest {
 protected:
  VerticalEditTest() { view.SetEditStyle(TArticleEdit::esVertical); }
  TVerticalTextView& Vertical() { return *view.VerticalView(); }
  // The document position of a text in the prepared lines.
  int32_t PositionOf(const QString& text) {
    const StyledArticle styled = StyleArticle(view.Prepared());
    for (size_t i = 0; i < styled.lines.size(); ++i) {
      const int k = styled.lines[i].text.indexOf(text);
      if (k >= 0) return styled.lineStarts[i] + k;
    }
    return -1;
  }
};

TEST_F(VerticalEditTest, LinesAreColumnsFromRightToLeft) {
  view.ShowArticleText({J("縦書き"), "abc", J("三行目")});
  const QRect first = Vertical().CharacterRect(PositionOf(QStringLiteral("縦")));
  const QRect second = Vertical().CharacterRect(PositionOf(QStringLiteral("書")));
  const QRect latin = Vertical().CharacterRect(PositionOf(QStringLiteral("abc")));
  const QRect third = Vertical().CharacterRect(PositionOf(QStringLiteral("三")));
  ASSERT_FALSE(first.isEmpty());
  EXPECT_GT(first.center().x(), Vertical().viewport()->width() / 2);
  EXPECT_EQ(second.x(), first.x());
  EXPECT_EQ(second.top(), first.bottom() + 1);
  EXPECT_LT(latin.right(), first.left());
  EXPECT_LT(third.right(), latin.left());
  // A turned half-width letter takes its own width down the column, less than a full cell.
  EXPECT_LT(latin.height(), first.height());
  EXPECT_EQ(third.top(), first.top());
  EXPECT_EQ(Vertical().PositionAt(second.center()), PositionOf(QStringLiteral("書")));
}

TEST_F(VerticalEditTest, LinksAreHitAndClickedAsInTheHorizontalView) {
  view.ShowArticleText(kArticle);
  const int32_t link = PositionOf(QStringLiteral("http://WWW"));
  ASSERT_GE(link, 0);
  const QRect box = Vertical().CharacterRect(link + 8);
  ASSERT_FALSE(box.isEmpty());
  EXPECT_EQ(view.LinkAt(box.center()), "http://www.example.jp/page");
  EXPECT_EQ(view.LinkAt(Vertical().CharacterRect(link - 2).center()), "");
  QTest::mouseClick(Vertical().viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QStringLiteral("http://www.example.jp/page"));
}

TEST_F(VerticalEditTest, ScrollingRunsFromTheRightEndToTheLeft) {
  std::vector<std::string> lines;
  for (int i = 0; i < 80; ++i)
    lines.push_back(J("行") + std::to_string(i));
  view.ShowArticleText(lines);
  QScrollBar* bar = Vertical().horizontalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_GT(Vertical().CharacterRect(0).x(), 0);
  view.ScrollLineForward();  // already at the start
  EXPECT_EQ(bar->value(), bar->maximum());
  view.ScrollLineBack();  // reads on, to the left
  EXPECT_EQ(bar->value(), bar->maximum() - Vertical().ColumnStep());
  view.ScrollStep = 3;
  view.PageBack();
  EXPECT_EQ(bar->value(), bar->maximum());
  int pages = 0;
  while (!view.PageForwardOrEnd())
    ASSERT_LT(++pages, 200);
  EXPECT_EQ(bar->value(), 0);
  view.ScrollLineBack();
  EXPECT_EQ(bar->value(), 0);
  // The last column is now on the screen.
  const QRect last = Vertical().CharacterRect(PositionOf(QStringLiteral("[EOF]")));
  EXPECT_GE(last.left(), 0);
}

TEST_F(VerticalEditTest, LongLinesWrapAtTheBottomAndSelectionCopies) {
  std::string line;
  for (int i = 0; i < 39; ++i)
    line += J("字");
  view.ShowArticleText({line, "end"});
  const QRect top = Vertical().CharacterRect(0);
  const QRect late = Vertical().CharacterRect(38);
  EXPECT_LT(late.right(), top.left());  // the line went on in a second column
  EXPECT_LE(late.bottom(), Vertical().viewport()->height());

  const QRect from = Vertical().CharacterRect(PositionOf(QStringLiteral("end")));
  QTest::mousePress(Vertical().viewport(), Qt::LeftButton, Qt::NoModifier,
                    QPoint(from.center().x(), from.top() + 1));
  QTest::mouseMove(Vertical().viewport(), QPoint(from.center().x(), from.bottom() + 30));
  QTest::mouseRelease(Vertical().viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(from.center().x(), from.bottom() + 30));
  EXPECT_TRUE(view.HasSelection());
  EXPECT_EQ(view.SelectedText(), "end");
}

}  // namespace
}  // namespace vorn
