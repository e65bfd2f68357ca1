#include "dialoglogic/CommonSetLogic.h"

#include <gtest/gtest.h>

#include "settings/CommonIniFile.h"
#include "support/DialogTestSupport.h"

namespace vorn {
namespace {

using test::AddSet;
using test::Families;
using test::J;

// Settings unlike the defaults in every key the dialog edits.
CommonSettings Unusual() {
  CommonSettings c;
  c.Editer = "/usr/bin/vi";
  c.EditerEndActivate = true;
  c.LogExtention = "cap";
  c.TempFile = "/tmp/t.txt";
  c.EndCheck = true;
  c.NewModeFlag = true;
  c.BoardListBGColor = 0x112233;
  c.BoardListFontName = "A";
  c.BoardListFontSize = 11;
  c.BoardListFontStyle = fsBold;
  c.BoardListFontColor = 0x445566;
  c.BoardListDropCount = 35;
  c.ArticleGridBGColor = 0x010203;
  c.ArticleGridFontName = "B";
  c.ArticleGridFontSize = 12;
  c.ArticleGridFontStyle = fsItalic;
  c.ArticleGridFontColor = 0x040506;
  c.ArticleGridColorVirtual = 0x070809;
  c.ArticleGridColorNoRead = 0x0A0B0C;
  c.ArticleGridColorWrite = 0x0D0E0F;
  c.ArticleGridRowHeightPlus = 4;
  c.ArticleGridTreeLineType = 1;
  c.ArticleGridColor = false;
  c.ArticleEditBGColor = 0x111111;
  c.ArticleEditFontName = "C";
  c.ArticleEditFontSize = 13;
  c.ArticleEditFontStyle = fsUnderline;
  c.ArticleEditFontColor = 0x222222;
  c.ArticleEditBouteColor = 0x333333;
  c.ArticleEditBouteChr = "|";
  c.ArticleEditEOFColor = 0x444444;
  c.ArticleEditBigFontSet = true;
  c.ArticleEditBigFontPrefix = "%B";
  c.ArticleEditBigFontSize = 2.25;
  c.ArticleEditFontBigName = "D";
  c.ArticleEditFontBigSize = 20;
  c.ArticleEditFontBigStyle = fsStrikeOut;
  c.ArticleEditFontBigColor = 0x555555;
  c.ArticleEditESCCut = false;
  c.ArticleEditWordWrap = false;
  c.ArticleEditReturn = false;
  c.ArticleEditColor = false;
  c.ArticleEditURL = false;
  c.ArticleEditURLColor = 0x666666;
  c.ArticleEditURLChr = "gopher:";
  c.NoReadType = false;
  c.NoReadTypeNew = true;
  c.VScrollSize = 3;
  c.RoorWriteJump = false;
  c.NoReadDialog = false;
  c.NoSearchDialog = false;
  c.LogOpenOnly = false;
  c.FotterAddBefore = true;
  c.BouteBlankCut = true;
  c.ArticleBouteChr = "| ";
  c.DefaultTitle = "none";
  c.RessTitle = "RE $s";
  c.JumpRessWriteSrc = false;
  c.JumpRessTitleSrc = "src";
  c.JumpRessTitleDist = "dist";
  c.URLClick = false;
  c.MailerSet = true;
  c.Mailer = "mutt";
  c.WWWSet = true;
  c.WWW = "firefox";
  return c;
}

TEST(CommonSetLogic, ShowThenOkWithoutChangesKeepsEverySetting) {
  Families f;
  ASSERT_TRUE(AddSet(*f.netVorn, "NET", "Net"));
  for (CommonSettings original : {CommonSettings(), Unusual()}) {
    original.DefaultPrefix = "NET";
    CommonSettings edited = original;
    TCommonSetLogic logic;
    logic.Show(edited, f.list);
    logic.Store(edited, f.list);
    EXPECT_TRUE(edited == original);
  }
}

TEST(CommonSetLogic, TheDropCountShowsItsMultipleOfFiveAndAnUnknownOneBecomesFive) {
  Families f;
  CommonSettings c;
  TCommonSetLogic logic;
  c.BoardListDropCount = 23;
  logic.Show(c, f.list);
  EXPECT_EQ(TCommonSetLogic::DropCountItems()[size_t(logic.DropCount)], "20");
  EXPECT_EQ(c.BoardListDropCount, 23);
  // Not shown by any item: 5 at once, whether or not OK follows.
  c.BoardListDropCount = 60;
  logic.Show(c, f.list);
  EXPECT_EQ(logic.DropCount, 0);
  EXPECT_EQ(c.BoardListDropCount, 5);
  c.BoardListDropCount = -3;
  logic.Show(c, f.list);
  EXPECT_EQ(logic.DropCount, 0);
  logic.DropCount = 9;
  logic.Store(c, f.list);
  EXPECT_EQ(c.BoardListDropCount, 50);
}

TEST(CommonSetLogic, TheDefaultSetIsChosenByNameAndStoredAsTheFirstSuchPrefix) {
  Families f;
  ASSERT_TRUE(AddSet(*f.netVorn, "NETA", "Same"));
  ASSERT_TRUE(AddSet(*f.netVorn, "NETB", "Other"));
  ASSERT_TRUE(AddSet(*f.nifty, "NIF", "Same"));
  CommonSettings c;
  c.DefaultPrefix = "NIF";
  TCommonSetLogic logic;
  logic.Show(c, f.list);
  EXPECT_EQ(logic.NoPrefixBBSNames, (std::vector<std::string>{"Same", "Other", "Same"}));
  EXPECT_TRUE(logic.NoPrefix);
  EXPECT_EQ(logic.NoPrefixBBS, 2);
  // The name the Nifty-Serve set shares with the first NetVorn set stores the first's prefix.
  logic.Store(c, f.list);
  EXPECT_EQ(c.DefaultPrefix, "NETA");
  logic.SetNoPrefix(false);
  EXPECT_EQ(logic.NoPrefixBBS, -1);
  logic.Store(c, f.list);
  EXPECT_EQ(c.DefaultPrefix, "");
  c.DefaultPrefix = "GONE";
  logic.Show(c, f.list);
  EXPECT_FALSE(logic.NoPrefix);
  EXPECT_FALSE(logic.NoPrefixBBSEnabled());
}

TEST(CommonSetLogic, DoubleSizeFontByRatioOrOwnFont) {
  Families f;
  CommonSettings c;
  c.ArticleEditFontSize = 10;
  c.ArticleEditBigFontSize = 1.5;
  TCommonSetLogic logic;
  logic.Show(c, f.list);
  EXPECT_EQ(logic.BigFontRatio, "1.500000");
  EXPECT_FALSE(logic.BigFontSet);
  // Shown at first as the view font itself.
  EXPECT_EQ(logic.ArticleEditBig.FontSize, 10);
  logic.UseBigFontRatio();
  EXPECT_EQ(logic.ArticleEditBig.FontSize, 15);
  logic.BigFontRatio = "2.39";
  logic.UseBigFontRatio();
  EXPECT_EQ(logic.ArticleEditBig.FontSize, 23);
  for (const char* bad : {"abc", "0", "-2", ""}) {
    logic.BigFontRatio = bad;
    logic.UseBigFontRatio();
    EXPECT_EQ(logic.ArticleEditBig.FontSize, 10) << bad;
  }
  // OK keeps the stored ratio when the text is no number of 0 or more, and stores the
  // computed sample as the double-size font.
  logic.BigFontRatio = "abc";
  logic.Store(c, f.list);
  EXPECT_EQ(c.ArticleEditBigFontSize, 1.5);
  EXPECT_EQ(c.ArticleEditFontBigSize, 10);
  logic.BigFontRatio = "3";
  logic.UseBigFontRatio();
  logic.Store(c, f.list);
  EXPECT_EQ(c.ArticleEditBigFontSize, 3.0);
  EXPECT_EQ(c.ArticleEditFontBigSize, 30);
  EXPECT_FALSE(c.ArticleEditBigFontSet);
  logic.UseBigFontSet();
  EXPECT_FALSE(logic.BigFontRatioEnabled());
  EXPECT_TRUE(logic.BigFontButtonEnabled());
  logic.ChooseFont(CommonSample::ArticleEditBig, {"Big", 40, fsBold, 0x123456});
  logic.Store(c, f.list);
  EXPECT_TRUE(c.ArticleEditBigFontSet);
  EXPECT_EQ(c.ArticleEditFontBigName, "Big");
  EXPECT_EQ(c.ArticleEditFontBigSize, 40);
  EXPECT_EQ(c.ArticleEditFontBigColor, 0x123456);
}

TEST(CommonSetLogic, FontButtonsShareTheFaceAcrossThePageButNotTheColour) {
  Families f;
  CommonSettings c = Unusual();
  TCommonSetLogic logic;
  logic.Show(c, f.list);
  logic.ChooseFont(CommonSample::ArticleGrid, {"G", 14, fsBold, 0x000001});
  logic.ChooseFont(CommonSample::ArticleEdit, {"V", 15, fsItalic, 0x000002});
  logic.ChooseBackground(CommonSample::ArticleGrid, 0x0000AA);
  logic.ChooseBackground(CommonSample::ArticleEdit, 0x0000BB);
  logic.ChooseTextColor(CommonSample::ArticleGridWrite, 0x0000CC);
  logic.ChooseTextColor(CommonSample::ArticleEditURL, 0x0000DD);
  for (CommonSample s : {CommonSample::ArticleGridVirtual, CommonSample::ArticleGridNoRead,
                         CommonSample::ArticleGridWrite}) {
    EXPECT_EQ(logic.Sample(s).FontName, "G");
    EXPECT_EQ(logic.Sample(s).FontSize, 14);
    EXPECT_EQ(logic.Sample(s).FontStyle, fsBold);
    EXPECT_EQ(logic.Sample(s).BGColor, 0x0000AA);
  }
  logic.Store(c, f.list);
  EXPECT_EQ(c.ArticleGridFontColor, 0x000001);
  EXPECT_EQ(c.ArticleGridColorVirtual, 0x070809);
  EXPECT_EQ(c.ArticleGridColorWrite, 0x0000CC);
  EXPECT_EQ(c.ArticleGridBGColor, 0x0000AA);
  EXPECT_EQ(c.ArticleEditFontName, "V");
  EXPECT_EQ(c.ArticleEditFontColor, 0x000002);
  EXPECT_EQ(c.ArticleEditBouteColor, 0x333333);
  EXPECT_EQ(c.ArticleEditURLColor, 0x0000DD);
  EXPECT_EQ(c.ArticleEditBGColor, 0x0000BB);
  // The double-size sample keeps its own font but takes the view's background.
  EXPECT_EQ(logic.ArticleEditBig.FontName, "D");
  EXPECT_EQ(logic.ArticleEditBig.BGColor, 0x0000BB);
  // The board list's font is its own, and only the double-size font never asks fixed pitch.
  logic.BoardListFontFixPitch = true;
  logic.ArticleEditFontFixPitch = true;
  EXPECT_TRUE(logic.FixedPitchOnly(CommonSample::BoardList));
  EXPECT_FALSE(logic.FixedPitchOnly(CommonSample::ArticleGrid));
  EXPECT_FALSE(logic.FixedPitchOnly(CommonSample::ArticleEditBig));
}

TEST(CommonSetLogic, ChoicesOutsideTheirListsAndTextsThatAreNoNumbers) {
  Families f;
  CommonSettings c;
  c.VScrollSize = 7;
  c.ArticleGridTreeLineType = TreeLineDraw;
  c.ArticleGridRowHeightPlus = 3;
  TCommonSetLogic logic;
  logic.Show(c, f.list);
  EXPECT_EQ(logic.KeyScroll, 2);
  EXPECT_EQ(logic.ArticleGridTreeType, 0);
  logic.ArticleGridRowPlus = "-1";
  logic.Store(c, f.list);
  EXPECT_EQ(c.VScrollSize, 2);
  EXPECT_EQ(c.ArticleGridRowHeightPlus, 3);
  // The drawn tree has no item: it stays unless another item is picked.
  EXPECT_EQ(c.ArticleGridTreeLineType, TreeLineDraw);
  logic.ArticleGridTreeType = 1;
  logic.ArticleGridRowPlus = "0";
  logic.Store(c, f.list);
  EXPECT_EQ(c.ArticleGridTreeLineType, 1);
  EXPECT_EQ(c.ArticleGridRowHeightPlus, 0);
}

TEST(CommonSetLogic, TheUnreadKeyChoiceSetsBothKeys) {
  Families f;
  CommonSettings c;
  TCommonSetLogic logic;
  c.NoReadType = false;
  c.NoReadTypeNew = true;
  logic.Show(c, f.list);
  EXPECT_EQ(logic.NoRead, TCommonSetLogic::KeyGoScroll1);
  logic.NoRead = TCommonSetLogic::KeyGoScroll2;
  logic.Store(c, f.list);
  EXPECT_FALSE(c.NoReadType);
  EXPECT_FALSE(c.NoReadTypeNew);
  c.NoReadTypeNew = true;
  logic.NoRead = TCommonSetLogic::KeyGoNext;
  logic.Store(c, f.list);
  EXPECT_TRUE(c.NoReadType);
  // Jumping straight on leaves the page-down switch as it was.
  EXPECT_TRUE(c.NoReadTypeNew);
}

TEST(CommonSetLogic, SwitchesEnableTheirControls) {
  Families f;
  CommonSettings c = Unusual();
  TCommonSetLogic logic;
  logic.Show(c, f.list);
  EXPECT_FALSE(logic.JumpRessTitleSrcEnabled());
  EXPECT_FALSE(logic.ArticleGridColorButtonsEnabled());
  EXPECT_FALSE(logic.ArticleEditColorButtonsEnabled());
  EXPECT_FALSE(logic.ArticleEditURLColorEnabled());
  EXPECT_TRUE(logic.BigFontButtonEnabled());
  logic.JumpRessWriteSrc = logic.ArticleGridColor = logic.ArticleEditColor = true;
  logic.ArticleEditURLUse = true;
  EXPECT_TRUE(logic.JumpRessTitleSrcEnabled());
  EXPECT_TRUE(logic.ArticleGridColorButtonsEnabled());
  EXPECT_TRUE(logic.ArticleEditColorButtonsEnabled());
  EXPECT_TRUE(logic.ArticleEditURLColorEnabled());
}

}  // namespace
}  // namespace vorn
