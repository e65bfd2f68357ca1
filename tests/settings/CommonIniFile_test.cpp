#include "settings/CommonIniFile.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "support/RecordingUiServices.h"
#include "support/TestSupport.h"

namespace vorn {
namespace {

using test::J;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    if (old) old_ = old;
    had_ = old != nullptr;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

// The file a new settings object writes, key by key in file order, with the defaults.
std::string DefaultFile(const std::string& tempFile) {
  const std::string font = J("ＭＳ ゴシック");
  const std::vector<std::string> lines = {
      "[Common]",
      "Version=\"1.200000\"",
      "Editer=\"gedit --wait\"",
      "EditerEndActivate=0",
      "LogExtention=\"log\"",
      "TempFile=\"" + tempFile + "\"",
      "EndCheck=0",
      "DefaultPrefix=\"\"",
      "NewModeFlag=0",
      "",
      "[Window]",
      "Top=0",
      "Left=0",
      "Height=440",
      "Width=600",
      "Style=0",
      "SeparateVertical=1",
      "SeparateHValue=300",
      "SeparateVValue=120",
      "DispToolBar=1",
      "DispArticleTitle=1",
      "DispStatusBar=1",
      "",
      "[BoardList]",
      "BGColor=\"clWindow\"",
      "FontName=\"" + font + "\"",
      "FontSize=9",
      "FontStyle=0",
      "FontColor=\"clBlack\"",
      "DropCount=25",
      "",
      "[ArticleGrid]",
      "BGColor=\"clWindow\"",
      "FontName=\"" + font + "\"",
      "FontSize=9",
      "FontStyle=0",
      "FontColor=\"clBlack\"",
      "ColorVirtual=\"clBlue\"",
      "ColorNoRead=\"clGray\"",
      "ColorWrite=\"clRed\"",
      "ColorSet1=\"clBlue\"",
      "ColorSet2=\"clBlue\"",
      "ColorSet3=\"clBlue\"",
      "SortTree=1",
      "TitleNoSize=150",
      "TitleIDSize=150",
      "RowHeightPlus=1",
      "TreeLineType=2",
      "Color=1",
      "",
      "[ArticleEdit]",
      "BGColor=\"clWindow\"",
      "FontName=\"" + font + "\"",
      "FontSize=9",
      "FontStyle=0",
      "FontColor=\"clBlack\"",
      "BouteColor=\"clGreen\"",
      "BouteChr=\"" + J(">,＞") + "\"",
      "EOFColor=\"clBlue\"",
      "BigFontSet=0",
      "BigFontPrefix=\"%V%W,24dot\"",
      "BigFontSize=\"1.500000\"",
      "FontBigName=\"" + font + "\"",
      "FontBigSize=9",
      "FontBigStyle=0",
      "FontBigColor=\"clBlack\"",
      "ESCCut=1",
      "WordWrap=1",
      "Return=1",
      "Color=1",
      "Vertical=0",
      "URL=1",
      "URLColor=\"clRed\"",
      "URLChr=\"http:,,ftp:,,mailto:,,www,http://,https:,,\"",
      "",
      "[KeyEdit]",
      "NoReadType=1",
      "NoReadTypeNew=0",
      "VScrollSize=1",
      "RoorWriteJump=1",
      "NoReadDialog=1",
      "NoSearchDialog=1",
      "LogOpenOnly=1",
      "",
      "[Article]",
      "FotterAddBefore=0",
      "BouteBlankCut=0",
      "BouteChr=\">\"",
      "DefaultTitle=\"" + J("タイトルなし") + "\"",
      "RessTitle=\"Re:$s\"",
      "JumpRessWriteSrc=1",
      "JumpRessTitleSrc=\"" + J("$kへ移動します(t/o)") + "\"",
      "JumpRessTitleDist=\"Re:$s\\nBoard Shift by\\n $e $a:$s\\n  wrote by $d:$f\"",
      "",
      "[Internet]",
      "URLClick=1",
      "MailerSet=0",
      "Mailer=\"\"",
      "WWWSet=0",
      "WWW=\"\"",
      "",
      "[Reading]",
      "IgnoredAsRead=0",
      "ReadThreads=0",
      "AnalysisCache=1"};
  std::string text;
  for (const std::string& l : lines)
    text += l + "\r\n";
  return text;
}

class CommonIniFileTest : public ::testing::Test {
 protected:
  // No editor on PATH: the default editor is the stock one.
  TempDir dir;
  ScopedEnv path{"PATH", dir.Path()};
  RecordingUiServices ui;
  ScopedUiServices installed{&ui};
  std::string file = dir.File("vornexpl.ini");
};

TEST_F(CommonIniFileTest, MissingAndEmptyFilesGiveTheDefaultsInFileOrder) {
  TCommonIniFile fresh(file);
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(fresh.Version, 0);
  EXPECT_TRUE(fresh.NoVersion);
  EXPECT_EQ(fresh.TempFile, dir.Path() + "/vorntemp.txt");
  EXPECT_EQ(fresh.ArticleEditBigFontSize, 1.5);
  EXPECT_EQ(fresh.ArticleGridColorNoRead, clGray);
  ASSERT_TRUE(fresh.SaveSettings());
  const std::string expected = DefaultFile(dir.Path() + "/vorntemp.txt");
  EXPECT_EQ(ReadBytes(file), expected);

  TCommonIniFile lost(dir.File("no/such/folder/vornexpl.ini"));
  EXPECT_FALSE(lost.SaveSettings());

  WriteBytes(file, "");
  TCommonIniFile empty(file);
  ASSERT_TRUE(empty.SaveSettings());
  EXPECT_EQ(ReadBytes(file), expected);
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(CommonIniFileTest, EveryKeySurvivesAWriteAndReadBack) {
  // Every field away from its default: blanks and quotes in texts, CP932, negative numbers,
  // colours with and without a name.
  CommonSettings s;
  s.Editer = J("\"C:\\Program Files\\秀丸\\hidemaru.exe\" /a ");
  s.EditerEndActivate = true;
  s.LogExtention = " txt ";
  s.TempFile = J("/tmp/表示 temp.txt");
  s.EndCheck = true;
  s.DefaultPrefix = "NET";
  s.NewModeFlag = true;
  s.WindowTop = -8;
  s.WindowLeft = -1200;
  s.WindowHeight = 700;
  s.WindowWidth = 1000;
  s.WindowStyle = true;
  s.WindowSeparateVertical = false;
  s.WindowSeparateHValue = 1;
  s.WindowSeparateVValue = 2;
  s.WindowDispToolBar = false;
  s.WindowDispArticleTitle = false;
  s.WindowDispStatusBar = false;
  s.BoardListBGColor = 0x00102030;
  s.BoardListFontName = J("IPAゴシック");
  s.BoardListFontSize = 12;
  s.BoardListFontStyle = fsBold | fsItalic;
  s.BoardListFontColor = clHighlightText;
  s.BoardListDropCount = 10;
  s.ArticleGridBGColor = clInfoBk;
  s.ArticleGridFontName = "Monospace";
  s.ArticleGridFontSize = 11;
  s.ArticleGridFontStyle = fsUnderline;
  s.ArticleGridFontColor = clNavy;
  s.ArticleGridColorVirtual = clTeal;
  s.ArticleGridColorNoRead = 0x00FEDCBA;
  s.ArticleGridColorWrite = clMaroon;
  s.ArticleGridColorSet1 = clLime;
  s.ArticleGridColorSet2 = clYellow;
  s.ArticleGridColorSet3 = clFuchsia;
  s.ArticleGridSortTree = false;
  s.ArticleGridTitleNoSize = 80;
  s.ArticleGridTitleIDSize = 90;
  s.ArticleGridRowHeightPlus = 0;
  s.ArticleGridTreeLineType = TreeLineDraw;
  s.ArticleGridColor = false;
  s.ArticleEditBGColor = clBtnFace;
  s.ArticleEditFontName = J("ＭＳ 明朝");
  s.ArticleEditFontSize = 14;
  s.ArticleEditFontStyle = fsStrikeOut;
  s.ArticleEditFontColor = clWindowText;
  s.ArticleEditBouteColor = clPurple;
  s.ArticleEditBouteChr = J("|,》, ");
  s.ArticleEditEOFColor = clSilver;
  s.ArticleEditBigFontSet = true;
  s.ArticleEditBigFontPrefix = "%V";
  s.ArticleEditBigFontSize = 2.25;
  s.ArticleEditFontBigName = "Sans";
  s.ArticleEditFontBigSize = 18;
  s.ArticleEditFontBigStyle = fsBold;
  s.ArticleEditFontBigColor = clOlive;
  s.ArticleEditESCCut = false;
  s.ArticleEditWordWrap = false;
  s.ArticleEditReturn = false;
  s.ArticleEditColor = false;
  s.ArticleEditVertical = true;
  s.ArticleEditURL = false;
  s.ArticleEditURLColor = clAqua;
  s.ArticleEditURLChr = "http:,";
  s.NoReadType = false;
  s.NoReadTypeNew = true;
  s.VScrollSize = 3;
  s.RoorWriteJump = false;
  s.NoReadDialog = false;
  s.NoSearchDialog = false;
  s.LogOpenOnly = false;
  s.FotterAddBefore = true;
  s.BouteBlankCut = true;
  s.ArticleBouteChr = "> ";
  s.DefaultTitle = J(" 無題 ");
  s.RessTitle = "Re^2:$s";
  s.JumpRessWriteSrc = false;
  s.JumpRessTitleSrc = "\"moved\"";
  s.JumpRessTitleDist = "Re:$s\\n";
  s.URLClick = false;
  s.MailerSet = true;
  s.Mailer = "thunderbird -compose";
  s.WWWSet = true;
  s.WWW = "firefox --new-window";
  s.IgnoredAsRead = true;
  s.RecentLogs = {"\"NET\",\"/a b/NET1.LOG\",\"/q\"\"/NET2.LOG\"", J("\"NIF\",\"/ログ/NIF.LOG\"")};
  {
    TCommonIniFile out(file);
    static_cast<CommonSettings&>(out) = s;
    ASSERT_TRUE(out.SaveSettings());
  }
  TCommonIniFile r(file);
  EXPECT_EQ(r.Version, 1.2);
  EXPECT_FALSE(r.NoVersion);
  EXPECT_TRUE(static_cast<const CommonSettings&>(r) == s);
  // Spot checks that tell which key went wrong.
  EXPECT_EQ(r.Editer, s.Editer);
  EXPECT_EQ(r.WindowLeft, -1200);
  EXPECT_EQ(r.ArticleGridColorNoRead, 0x00FEDCBA);
  EXPECT_EQ(r.BoardListFontColor, clHighlightText);
  EXPECT_EQ(r.ArticleEditBigFontSize, 2.25);
  EXPECT_EQ(r.JumpRessTitleSrc, "\"moved\"");
}

TEST_F(CommonIniFileTest, RecentLogsAreWrittenAtOnceAndKeepTheRestOfTheFile) {
  WriteBytes(file,
             "[Common]\r\nVersion=1.2\r\nEditer=\"vi\"\r\n[RecentLogs]\r\nSet1=\"\"A\",\"/1\"\"\r\n"
             "Set3=\"\"C\",\"/3\"\"\r\nSet11=\"\"K\",\"/11\"\"\r\n");
  TCommonIniFile s(file);
  // Gaps are closed up; only ten are read.
  EXPECT_EQ(s.RecentLogs, (std::vector<std::string>{"\"A\",\"/1\"", "\"C\",\"/3\""}));
  s.RecentLogs.insert(s.RecentLogs.begin(), "\"B\",\"/2\"");
  s.Editer = "changed in memory only";
  ASSERT_TRUE(s.SaveRecentLogs());
  const std::string text = ReadBytes(file);
  EXPECT_NE(text.find("Editer=\"vi\""), std::string::npos) << text;
  EXPECT_NE(text.find("[RecentLogs]\r\nSet1=\"\"B\",\"/2\"\"\r\nSet2=\"\"A\",\"/1\"\"\r\n"
                      "Set3=\"\"C\",\"/3\"\"\r\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("Set11"), std::string::npos);
}

TEST_F(CommonIniFileTest, AKeyIsUsableWhenItIsThereAndWasNotRefused) {
  WriteBytes(file, "[Window]\r\nWidth=huge\r\nHeight=500\r\nTop=\r\n");
  TCommonIniFile s(file);
  EXPECT_FALSE(s.KeyUsable("Window", "Width"));
  EXPECT_TRUE(s.KeyUsable("Window", "Height"));
  EXPECT_FALSE(s.KeyUsable("Window", "Top"));
  EXPECT_FALSE(s.KeyUsable("Window", "Left"));
}

TEST_F(CommonIniFileTest, HandEditedNonsenseGivesDefaults) {
  WriteBytes(file,
             "[Common]\r\nVersion=1.2\r\n[BoardList]\r\nBGColor=\"sky blue\"\r\nFontSize=big\r\n"
             "FontColor=$000000FF\r\n[ArticleEdit]\r\nBigFontSize=-3\r\nFontStyle=x\r\n"
             "EOFColor=clred\r\n");
  TCommonIniFile s(file);
  EXPECT_EQ(s.BoardListBGColor, clWindow);
  EXPECT_EQ(s.BoardListFontSize, 9);
  EXPECT_EQ(s.BoardListFontColor, clRed);
  EXPECT_EQ(s.ArticleEditBigFontSize, 1.5);
  EXPECT_EQ(s.ArticleEditFontStyle, 0);
  EXPECT_EQ(s.ArticleEditEOFColor, clRed);
}

// Each value that could not be used is named with its section, its text and the value used
// instead; sizes out of range count too. Once saved, the file holds what was used.
TEST_F(CommonIniFileTest, ValuesThatCannotBeUsedAreListedWithWhatIsUsedInstead) {
  WriteBytes(file,
             "[Common]\r\nVersion=1.2\r\nEndCheck=yes\r\n[BoardList]\r\nFontSize=abc\r\n"
             "DropCount=-3\r\nFontColor=$000000FF\r\n[ArticleGrid]\r\nBGColor=clNotAColour\r\n"
             "FontSize=0\r\nTitleNoSize=-5\r\n[ArticleEdit]\r\nBigFontSize=\"abc\"\r\n"
             "FontBigSize=500\r\nFontStyle=\"\"\r\n");
  TCommonIniFile s(file);
  struct Expected {
    const char* section;
    const char* key;
    const char* value;
    const char* usedInstead;
  };
  const Expected expected[] = {
      {"Common", "EndCheck", "yes", "0"},
      {"BoardList", "FontSize", "abc", "9"},
      {"BoardList", "DropCount", "-3", "25"},
      {"ArticleGrid", "BGColor", "clNotAColour", "clWindow"},
      {"ArticleGrid", "FontSize", "0", "9"},
      {"ArticleEdit", "BigFontSize", "abc", "1.5"},
      {"ArticleEdit", "FontBigSize", "500", "9"},
  };
  ASSERT_EQ(s.Problems.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(s.Problems[i].Section, expected[i].section) << i;
    EXPECT_EQ(s.Problems[i].Key, expected[i].key) << i;
    EXPECT_EQ(s.Problems[i].Value, expected[i].value) << i;
    EXPECT_EQ(s.Problems[i].UsedInstead, expected[i].usedInstead) << i;
  }
  // Good neighbours are read, and the defaults stand for the rest.
  EXPECT_EQ(s.BoardListFontColor, clRed);
  EXPECT_EQ(s.ArticleGridTitleNoSize, -5);  // the grid keeps its columns readable
  EXPECT_EQ(s.BoardListDropCount, 25);
  EXPECT_EQ(s.ArticleGridBGColor, clWindow);
  EXPECT_EQ(s.ArticleEditFontBigSize, 9);
  const std::string message = s.ProblemsMessage();
  EXPECT_NE(message.find(file), std::string::npos);
  EXPECT_NE(message.find("[BoardList] DropCount=-3" + J(" → ") + "25"), std::string::npos);
  EXPECT_NE(message.find("[ArticleGrid] BGColor=clNotAColour" + J(" → ") + "clWindow"),
            std::string::npos);

  ASSERT_TRUE(s.SaveSettings());
  TCommonIniFile again(file);
  EXPECT_TRUE(again.Problems.empty());
  EXPECT_EQ(again.ProblemsMessage(), "");
  EXPECT_TRUE(ui.entries.empty());
}

TEST_F(CommonIniFileTest, VeryOldFilesKeepTheArticleKeysUnderKeyEdit) {
  WriteBytes(file,
             "[Common]\r\nVersion=0.9\r\nEditer=\"vi\"\r\nOldKey=1\r\n"
             "[KeyEdit]\r\nBouteChr=\"| \"\r\nRessTitle=\"RE:$s\"\r\nNoReadType=0\r\n"
             "[Article]\r\nBouteChr=\"ignored\"\r\n");
  TCommonIniFile s(file);
  EXPECT_EQ(s.ArticleBouteChr, "| ");
  EXPECT_EQ(s.RessTitle, "RE:$s");
  EXPECT_FALSE(s.NoReadType);
  EXPECT_FALSE(s.NoVersion);
  EXPECT_TRUE(ui.entries.empty());  // a recorded version, however old, asks nothing
  ASSERT_TRUE(s.SaveSettings());
  TCommonIniFile again(file);
  EXPECT_EQ(again.ArticleBouteChr, "| ");
  EXPECT_EQ(again.ReadString("Article", "RessTitle", ""), "RE:$s");
  // A version was recorded, so old keys are left alone.
  EXPECT_TRUE(again.ValueExists("Common", "OldKey"));
}

TEST_F(CommonIniFileTest, FilesWithoutVersionLoseOldKeysExceptInternet) {
  WriteBytes(file,
             "[Common]\r\nOldKey=1\r\n[Window]\r\nGone=1\r\n[Internet]\r\nKept=1\r\n"
             "[Other]\r\nAlso=1\r\n");
  TCommonIniFile s(file);
  EXPECT_TRUE(s.NoVersion);
  EXPECT_TRUE(ui.entries.empty());  // no editor was recorded: a new file
  ASSERT_TRUE(s.SaveSettings());
  TIniFilePlus written(file);
  EXPECT_FALSE(written.ValueExists("Common", "OldKey"));
  EXPECT_FALSE(written.ValueExists("Window", "Gone"));
  EXPECT_TRUE(written.ValueExists("Internet", "Kept"));
  EXPECT_TRUE(written.ValueExists("Other", "Also"));
  EXPECT_EQ(written.ReadString("Common", "Version", ""), "1.200000");
}

std::string Question(const std::string& target, const std::string& what) {
  return J("VornExplorerアップデート Ver.x.xx -> " + target + "\r\n" + what +
           "のデフォルト値が変更になります\n\r上書きしますか？");
}

TEST_F(CommonIniFileTest, UpgradeQuestionsComeInOrderAndEachYesDoesItsPart) {
  const std::string vorndef = dir.File("vorndef.ini");
  const std::string nifdef = dir.File("nifdef.ini");
  WriteBytes(vorndef, "[NetDefault]\r\n");
  WriteBytes(nifdef, "[NetDefault]\r\n");
  WriteBytes(file,
             // Without a version the Article keys are read from KeyEdit.
             "[Common]\r\nEditer=\"notepad.exe\"\r\n[KeyEdit]\r\nJumpRessTitleSrc=\"src\"\r\n"
             "JumpRessTitleDist=\"dist\"\r\n[ArticleEdit]\r\nURLChr=\"http:\"\r\n");
  for (UiAnswer a : {UiAnswer::No, UiAnswer::Yes, UiAnswer::No, UiAnswer::Yes, UiAnswer::Yes})
    ui.Script(a);
  TCommonIniFile s(file);
  const std::vector<std::string> expected = {
      Question("1.10", "NetVorn:ログ解析設定"),
      Question("1.10", "共通設定：ボード移動レス時タイトル 移動元ボード"),
      Question("1.10", "共通設定：ボード移動レス時タイトル 移動先ボード"),
      Question("1.10", "共通設定：URL判定文字"),
      Question("1.20", "Nifty-Serve:ログ解析設定"),
  };
  ASSERT_EQ(ui.entries.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(ui.entries[i].kind, RecordingUiServices::Kind::ConfirmYesNo);
    EXPECT_EQ(ui.entries[i].text, expected[i]) << i;
  }
  EXPECT_TRUE(FileExists(vorndef));
  EXPECT_EQ(s.JumpRessTitleSrc, J("$kへ移動します(t/o)"));
  EXPECT_EQ(s.JumpRessTitleDist, "dist");
  EXPECT_EQ(s.ArticleEditURLChr, "http:,,ftp:,,mailto:,,www,http://,https:,");
  EXPECT_FALSE(FileExists(nifdef));
}

TEST_F(CommonIniFileTest, UpgradeAnswersTheOtherWay) {
  const std::string vorndef = dir.File("vorndef.ini");
  const std::string nifdef = dir.File("nifdef.ini");
  WriteBytes(vorndef, "[NetDefault]\r\n");
  WriteBytes(nifdef, "[NetDefault]\r\n");
  WriteBytes(file,
             "[Common]\r\nVersion=0\r\nEditer=\"\"\r\n[KeyEdit]\r\nJumpRessTitleSrc=\"src\"\r\n"
             "JumpRessTitleDist=\"dist\"\r\n");
  for (UiAnswer a : {UiAnswer::Yes, UiAnswer::No, UiAnswer::Yes, UiAnswer::No, UiAnswer::No})
    ui.Script(a);
  TCommonIniFile s(file);
  EXPECT_EQ(ui.entries.size(), 5u);
  EXPECT_FALSE(FileExists(vorndef));
  EXPECT_EQ(s.JumpRessTitleSrc, "src");
  EXPECT_EQ(s.JumpRessTitleDist, "Re:$s\\nBoard Shift by\\n $e $a:$s\\n  wrote by $d:$f");
  EXPECT_EQ(s.ArticleEditURLChr, "http:,,ftp:,,mailto:,,www,http://,https:,,");
  EXPECT_TRUE(FileExists(nifdef));
}

TEST_F(CommonIniFileTest, RecordedVersionsAskNothing) {
  for (const char* version : {"1.1", "1.10", "1.2", "0.05", "1.0"}) {
    WriteBytes(file, std::string("[Common]\r\nVersion=\"") + version + "\"\r\nEditer=\"x\"\r\n");
    TCommonIniFile s(file);
    EXPECT_TRUE(ui.entries.empty()) << version;
    EXPECT_FALSE(s.NoVersion) << version;
  }
  // Version 0.01 rounds to 1, which counts as none.
  WriteBytes(file, "[Common]\r\nVersion=0.01\r\nEditer=\"x\"\r\n");
  TCommonIniFile old(file);
  EXPECT_TRUE(old.NoVersion);
  EXPECT_EQ(ui.entries.size(), 5u);
}

}  // namespace
}  // namespace vorn
