#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AppPaths.h"
#include "platform/Cp932.h"
#include "settings/IniFilePlus.h"

namespace vorn {

// How the article grid draws the branches of a reply tree.
enum TTreeLineType : int32_t {
  TreeLineNone = 0,
  TreeLineChr1 = 1,
  TreeLineChr2 = 2,
  TreeLineDraw = 3,
};

// Default texts of the common settings, in CP932.
std::string DefaultFontName();
std::string DefaultJumpRessTitleSrc();
std::string DefaultJumpRessTitleDist();
// The URL list that the upgrade to 1.10 sets; it ends in one comma where the default of a new
// file ends in two.
std::string UpgradedURLChr();

// The fields of the application-wide settings, one per key of "vornexpl.ini", with their
// defaults. Plain data, so that a copy can stand for the settings of a dialog until OK.
//
// Fields are named after their keys. Keys of the Window, BoardList, ArticleGrid and ArticleEdit
// sections carry the section's name in front (BoardListFontName, ArticleGridColor), and so does
// Article/BouteChr (ArticleBouteChr), the quote prefix, to tell it from ArticleEditBouteChr, the
// marks that make a shown line a quote.
struct CommonSettings {
  // [Common]
  std::string Editer = DefaultEditorCommand();
  bool EditerEndActivate = false;
  std::string LogExtention = "log";
  std::string TempFile;  // the settings folder + "vorntemp.txt"
  bool EndCheck = false;
  std::string DefaultPrefix;
  bool NewModeFlag = false;

  // [Window]
  int32_t WindowTop = 0;
  int32_t WindowLeft = 0;
  int32_t WindowHeight = 440;
  int32_t WindowWidth = 600;
  bool WindowStyle = false;  // maximised
  bool WindowSeparateVertical = true;
  int32_t WindowSeparateHValue = 300;
  int32_t WindowSeparateVValue = 120;
  bool WindowDispToolBar = true;
  bool WindowDispArticleTitle = true;
  bool WindowDispStatusBar = true;

  // [BoardList]
  TColor BoardListBGColor = clWindow;
  std::string BoardListFontName = DefaultFontName();
  int32_t BoardListFontSize = 9;
  TFontStyles BoardListFontStyle = 0;
  TColor BoardListFontColor = clBlack;
  int32_t BoardListDropCount = 25;

  // [ArticleGrid]
  TColor ArticleGridBGColor = clWindow;
  std::string ArticleGridFontName = DefaultFontName();
  int32_t ArticleGridFontSize = 9;
  TFontStyles ArticleGridFontStyle = 0;
  TColor ArticleGridFontColor = clBlack;
  TColor ArticleGridColorVirtual = clBlue;
  TColor ArticleGridColorNoRead = clGray;
  TColor ArticleGridColorWrite = clRed;
  TColor ArticleGridColorSet1 = clBlue;
  TColor ArticleGridColorSet2 = clBlue;
  TColor ArticleGridColorSet3 = clBlue;
  bool ArticleGridSortTree = true;
  int32_t ArticleGridTitleNoSize = 150;
  int32_t ArticleGridTitleIDSize = 150;
  int32_t ArticleGridRowHeightPlus = 1;
  int32_t ArticleGridTreeLineType = TreeLineChr2;
  bool ArticleGridColor = true;

  // [ArticleEdit]
  TColor ArticleEditBGColor = clWindow;
  std::string ArticleEditFontName = DefaultFontName();
  int32_t ArticleEditFontSize = 9;
  TFontStyles ArticleEditFontStyle = 0;
  TColor ArticleEditFontColor = clBlack;
  TColor ArticleEditBouteColor = clGreen;
  std::string ArticleEditBouteChr = Cp932(">,＞");
  TColor ArticleEditEOFColor = clBlue;
  bool ArticleEditBigFontSet = false;
  std::string ArticleEditBigFontPrefix = "%V%W,24dot";
  double ArticleEditBigFontSize = 1.5;
  std::string ArticleEditFontBigName = DefaultFontName();
  int32_t ArticleEditFontBigSize = 9;
  TFontStyles ArticleEditFontBigStyle = 0;
  TColor ArticleEditFontBigColor = clBlack;
  bool ArticleEditESCCut = true;
  bool ArticleEditWordWrap = true;
  bool ArticleEditReturn = true;
  bool ArticleEditColor = true;
  bool ArticleEditVertical = false;
  bool ArticleEditURL = true;
  TColor ArticleEditURLColor = clRed;
  std::string ArticleEditURLChr = "http:,,ftp:,,mailto:,,www,http://,https:,,";

  // [KeyEdit]
  bool NoReadType = true;
  bool NoReadTypeNew = false;
  int32_t VScrollSize = 1;
  bool RoorWriteJump = true;
  bool NoReadDialog = true;
  bool NoSearchDialog = true;
  bool LogOpenOnly = true;

  // [Article]
  bool FotterAddBefore = false;
  bool BouteBlankCut = false;
  std::string ArticleBouteChr = ">";
  std::string DefaultTitle = Cp932("タイトルなし");
  std::string RessTitle = "Re:$s";
  bool JumpRessWriteSrc = true;
  std::string JumpRessTitleSrc = DefaultJumpRessTitleSrc();
  std::string JumpRessTitleDist = DefaultJumpRessTitleDist();

  // [Internet]
  bool URLClick = true;
  bool MailerSet = false;
  std::string Mailer;
  bool WWWSet = false;
  std::string WWW;

  // [Reading]
  // Ignored writers' and threads' articles are taken as read (the kill file of news readers):
  // Space never stops at them and the unread counts leave them out.
  bool IgnoredAsRead = false;
  // Log files read at a time when an archive is opened, each on a thread of its own; 0: one a
  // core (at most 8).
  int32_t ReadThreads = 0;
  static constexpr int32_t MostReadThreads = 64;
  // What the analysis finds in each log file is kept in the user's cache folder, so that a log
  // that did not change is not analysed again at the next open.
  bool AnalysisCache = true;

  // [RecentLogs] Set1 .. Set10: the sets of log files opened last, newest first, each as one
  // value (what it holds is the reader's business).
  std::vector<std::string> RecentLogs;

  bool operator==(const CommonSettings&) const = default;
};

// A value of the settings file that could not be used (not a number, not a colour, a size out
// of range): the default was taken instead.
struct SettingsProblem {
  std::string Section;
  std::string Key;
  std::string Value;        // as the file holds it
  std::string UsedInstead;  // the default, written as the file would hold it
};

// The application-wide settings file. The main window makes it first thing at start-up and
// every part of the program reads and changes its fields in memory; SaveSettings writes them
// back when the main window closes (nothing is written when the object goes, so that a
// program that only reads the settings never changes the file).
class TCommonIniFile final : public TIniFilePlus, public CommonSettings {
 public:
  // Reads the file; the upgrade questions of older files are asked through Ui().
  explicit TCommonIniFile(const std::string& fileName);

  // Sets every field to its default.
  void SetDefaults();
  // Reads every key (defaults where missing) and, for files of older versions, asks whether to
  // take over the new defaults.
  void LoadSettings();
  // Writes every key in file order, as one write. False when the file could not be written.
  bool SaveSettings();
  // Writes the recent log sets alone, at once (they change while the program runs, and a run
  // that ends without its own close should not lose them). False when the file could not be
  // written.
  bool SaveRecentLogs();
  // At most this many recent log sets are kept.
  static constexpr size_t MaxRecentLogs = 10;
  // Whether a key of the file was there and could be used (not missing, not refused).
  bool KeyUsable(const std::string& section, const std::string& key) const;

  // The settings version this program writes, and the one read (0 when none was recorded).
  static constexpr double CurrentVersion = 1.2;
  double Version = 0;
  // No usable version was recorded: keys of older versions are swept out when saving.
  bool NoVersion = false;
  // The values the last LoadSettings could not use, in file order.
  std::vector<SettingsProblem> Problems;
  // The message that tells the user of them (CP932, lines separated by CR LF); empty when
  // there are none.
  std::string ProblemsMessage() const;
};

}  // namespace vorn
