#include "settings/CommonIniFile.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <variant>
#include <vector>

#include "platform/FileQuery.h"
#include "platform/UiServices.h"
#include "text/Numbers.h"

namespace vorn {
namespace {

using S = CommonSettings;

struct StringField {
  std::string S::*field;
};
struct IntField {
  int32_t S::*field;
};
struct BoolField {
  bool S::*field;
};
struct FloatField {
  double S::*field;
};
struct ColorField {
  TColor S::*field;
};
struct StyleField {
  TFontStyles S::*field;
};
using Field = std::variant<StringField, IntField, BoolField, FloatField, ColorField, StyleField>;

struct KeySpec {
  const char* section;
  const char* key;
  Field field;
  // The integers a key can use; others give its default.
  int32_t least = INT32_MIN;
  int32_t most = INT32_MAX;
};

// Font sizes in points.
constexpr int32_t kLeastFontSize = 1;
constexpr int32_t kMostFontSize = 200;

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

const char* const kCommon = "Common";
const char* const kArticle = "Article";
const char* const kInternet = "Internet";
const char* const kRecentLogs = "RecentLogs";

std::string RecentLogKey(size_t index) {
  return "Set" + std::to_string(index + 1);
}

// Every key but Version, in the order of the file.
const std::vector<KeySpec>& Keys() {
  static const std::vector<KeySpec> keys = {
      {kCommon, "Editer", StringField{&S::Editer}},
      {kCommon, "EditerEndActivate", BoolField{&S::EditerEndActivate}},
      {kCommon, "LogExtention", StringField{&S::LogExtention}},
      {kCommon, "TempFile", StringField{&S::TempFile}},
      {kCommon, "EndCheck", BoolField{&S::EndCheck}},
      {kCommon, "DefaultPrefix", StringField{&S::DefaultPrefix}},
      {kCommon, "NewModeFlag", BoolField{&S::NewModeFlag}},
      {"Window", "Top", IntField{&S::WindowTop}},
      {"Window", "Left", IntField{&S::WindowLeft}},
      {"Window", "Height", IntField{&S::WindowHeight}},
      {"Window", "Width", IntField{&S::WindowWidth}},
      {"Window", "Style", BoolField{&S::WindowStyle}},
      {"Window", "SeparateVertical", BoolField{&S::WindowSeparateVertical}},
      {"Window", "SeparateHValue", IntField{&S::WindowSeparateHValue}},
      {"Window", "SeparateVValue", IntField{&S::WindowSeparateVValue}},
      {"Window", "DispToolBar", BoolField{&S::WindowDispToolBar}},
      {"Window", "DispArticleTitle", BoolField{&S::WindowDispArticleTitle}},
      {"Window", "DispStatusBar", BoolField{&S::WindowDispStatusBar}},
      {"BoardList", "BGColor", ColorField{&S::BoardListBGColor}},
      {"BoardList", "FontName", StringField{&S::BoardListFontName}},
      {"BoardList", "FontSize", IntField{&S::BoardListFontSize}, kLeastFontSize, kMostFontSize},
      {"BoardList", "FontStyle", StyleField{&S::BoardListFontStyle}},
      {"BoardList", "FontColor", ColorField{&S::BoardListFontColor}},
      {"BoardList", "DropCount", IntField{&S::BoardListDropCount}, 1},
      {"ArticleGrid", "BGColor", ColorField{&S::ArticleGridBGColor}},
      {"ArticleGrid", "FontName", StringField{&S::ArticleGridFontName}},
      {"ArticleGrid", "FontSize", IntField{&S::ArticleGridFontSize}, kLeastFontSize, kMostFontSize},
      {"ArticleGrid", "FontStyle", StyleField{&S::ArticleGridFontStyle}},
      {"ArticleGrid", "FontColor", ColorField{&S::ArticleGridFontColor}},
      {"ArticleGrid", "ColorVirtual", ColorField{&S::ArticleGridColorVirtual}},
      {"ArticleGrid", "ColorNoRead", ColorField{&S::ArticleGridColorNoRead}},
      {"ArticleGrid", "ColorWrite", ColorField{&S::ArticleGridColorWrite}},
      {"ArticleGrid", "ColorSet1", ColorField{&S::ArticleGridColorSet1}},
      {"ArticleGrid", "ColorSet2", ColorField{&S::ArticleGridColorSet2}},
      {"ArticleGrid", "ColorSet3", ColorField{&S::ArticleGridColorSet3}},
      {"ArticleGrid", "SortTree", BoolField{&S::ArticleGridSortTree}},
      {"ArticleGrid", "TitleNoSize", IntField{&S::ArticleGridTitleNoSize}},
      {"ArticleGrid", "TitleIDSize", IntField{&S::ArticleGridTitleIDSize}},
      {"ArticleGrid", "RowHeightPlus", IntField{&S::ArticleGridRowHeightPlus}},
      {"ArticleGrid", "TreeLineType", IntField{&S::ArticleGridTreeLineType}},
      {"ArticleGrid", "Color", BoolField{&S::ArticleGridColor}},
      {"ArticleEdit", "BGColor", ColorField{&S::ArticleEditBGColor}},
      {"ArticleEdit", "FontName", StringField{&S::ArticleEditFontName}},
      {"ArticleEdit", "FontSize", IntField{&S::ArticleEditFontSize}, kLeastFontSize, kMostFontSize},
      {"ArticleEdit", "FontStyle", StyleField{&S::ArticleEditFontStyle}},
      {"ArticleEdit", "FontColor", ColorField{&S::ArticleEditFontColor}},
      {"ArticleEdit", "BouteColor", ColorField{&S::ArticleEditBouteColor}},
      {"ArticleEdit", "BouteChr", StringField{&S::ArticleEditBouteChr}},
      {"ArticleEdit", "EOFColor", ColorField{&S::ArticleEditEOFColor}},
      {"ArticleEdit", "BigFontSet", BoolField{&S::ArticleEditBigFontSet}},
      {"ArticleEdit", "BigFontPrefix", StringField{&S::ArticleEditBigFontPrefix}},
      {"ArticleEdit", "BigFontSize", FloatField{&S::ArticleEditBigFontSize}},
      {"ArticleEdit", "FontBigName", StringField{&S::ArticleEditFontBigName}},
      {"ArticleEdit", "FontBigSize", IntField{&S::ArticleEditFontBigSize}, kLeastFontSize,
       kMostFontSize},
      {"ArticleEdit", "FontBigStyle", StyleField{&S::ArticleEditFontBigStyle}},
      {"ArticleEdit", "FontBigColor", ColorField{&S::ArticleEditFontBigColor}},
      {"ArticleEdit", "ESCCut", BoolField{&S::ArticleEditESCCut}},
      {"ArticleEdit", "WordWrap", BoolField{&S::ArticleEditWordWrap}},
      {"ArticleEdit", "Return", BoolField{&S::ArticleEditReturn}},
      {"ArticleEdit", "Color", BoolField{&S::ArticleEditColor}},
      {"ArticleEdit", "Vertical", BoolField{&S::ArticleEditVertical}},
      {"ArticleEdit", "URL", BoolField{&S::ArticleEditURL}},
      {"ArticleEdit", "URLColor", ColorField{&S::ArticleEditURLColor}},
      {"ArticleEdit", "URLChr", StringField{&S::ArticleEditURLChr}},
      {"KeyEdit", "NoReadType", BoolField{&S::NoReadType}},
      {"KeyEdit", "NoReadTypeNew", BoolField{&S::NoReadTypeNew}},
      {"KeyEdit", "VScrollSize", IntField{&S::VScrollSize}},
      {"KeyEdit", "RoorWriteJump", BoolField{&S::RoorWriteJump}},
      {"KeyEdit", "NoReadDialog", BoolField{&S::NoReadDialog}},
      {"KeyEdit", "NoSearchDialog", BoolField{&S::NoSearchDialog}},
      {"KeyEdit", "LogOpenOnly", BoolField{&S::LogOpenOnly}},
      {kArticle, "FotterAddBefore", BoolField{&S::FotterAddBefore}},
      {kArticle, "BouteBlankCut", BoolField{&S::BouteBlankCut}},
      {kArticle, "BouteChr", StringField{&S::ArticleBouteChr}},
      {kArticle, "DefaultTitle", StringField{&S::DefaultTitle}},
      {kArticle, "RessTitle", StringField{&S::RessTitle}},
      {kArticle, "JumpRessWriteSrc", BoolField{&S::JumpRessWriteSrc}},
      {kArticle, "JumpRessTitleSrc", StringField{&S::JumpRessTitleSrc}},
      {kArticle, "JumpRessTitleDist", StringField{&S::JumpRessTitleDist}},
      {kInternet, "URLClick", BoolField{&S::URLClick}},
      {kInternet, "MailerSet", BoolField{&S::MailerSet}},
      {kInternet, "Mailer", StringField{&S::Mailer}},
      {kInternet, "WWWSet", BoolField{&S::WWWSet}},
      {kInternet, "WWW", StringField{&S::WWW}},
      {"Reading", "IgnoredAsRead", BoolField{&S::IgnoredAsRead}},
      {"Reading", "ReadThreads", IntField{&S::ReadThreads}},
      {"Reading", "AnalysisCache", BoolField{&S::AnalysisCache}},
  };
  return keys;
}

std::string FloatText(double value) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value);
  return result.ec == std::errc() ? std::string(buf, result.ptr) : std::string();
}

// Reads one key into its field. A value that is there but cannot be used leaves the default
// in the field and is told in problems.
void ReadKey(TIniFilePlus& ini, CommonSettings& s, const KeySpec& k, const std::string& section,
             std::vector<SettingsProblem>& problems) {
  const std::string text = ini.ReadString(section, k.key, "");
  std::string usedInstead;  // set when the value is refused
  std::visit(Overloaded{
                 [&](StringField f) { s.*f.field = ini.ReadString(section, k.key, s.*f.field); },
                 [&](IntField f) {
                   int32_t value;
                   if (text.empty()) return;
                   if (ParseIniInteger(text, value) && value >= k.least && value <= k.most) {
                     s.*f.field = value;
                   } else {
                     usedInstead = std::to_string(s.*f.field);
                   }
                 },
                 [&](BoolField f) {
                   int32_t value;
                   if (text.empty()) return;
                   if (ParseIniInteger(text, value)) {
                     s.*f.field = value != 0;
                   } else {
                     usedInstead = s.*f.field ? "1" : "0";
                   }
                 },
                 [&](FloatField f) {
                   if (text.empty()) return;
                   const double value = TextToFloat(text);
                   if (value > 0) {
                     s.*f.field = value;
                   } else {
                     usedInstead = FloatText(s.*f.field);
                   }
                 },
                 [&](ColorField f) {
                   TColor value;
                   if (text.empty()) return;
                   if (ColorFromText(text, value)) {
                     s.*f.field = value;
                   } else {
                     usedInstead = ColorToText(s.*f.field);
                   }
                 },
                 [&](StyleField f) {
                   int32_t value;
                   if (text.empty()) return;
                   if (ParseIniInteger(text, value)) {
                     s.*f.field = static_cast<TFontStyles>(value & 0xFF);
                   } else {
                     usedInstead = std::to_string(s.*f.field);
                   }
                 },
             },
             k.field);
  if (!usedInstead.empty()) problems.push_back({section, k.key, text, usedInstead});
}

std::string UpdateQuestion(const char* target, const char* what) {
  return Cp932(std::string("VornExplorerアップデート Ver.x.xx -> ") + target + "\r\n" + what +
               "のデフォルト値が変更になります\n\r上書きしますか？");
}

}  // namespace

std::string DefaultFontName() {
  return Cp932("ＭＳ ゴシック");
}

std::string DefaultJumpRessTitleSrc() {
  return Cp932("$kへ移動します(t/o)");
}

// The \n pairs stay as typed; they become line breaks when the title is expanded.
std::string DefaultJumpRessTitleDist() {
  return "Re:$s\\nBoard Shift by\\n $e $a:$s\\n  wrote by $d:$f";
}

std::string UpgradedURLChr() {
  return "http:,,ftp:,,mailto:,,www,http://,https:,";
}

TCommonIniFile::TCommonIniFile(const std::string& fileName) : TIniFilePlus(fileName) {
  LoadSettings();
}

void TCommonIniFile::SetDefaults() {
  static_cast<CommonSettings&>(*this) = CommonSettings();
  TempFile = ExtractFilePath(FileName()) + "vorntemp.txt";
}

void TCommonIniFile::LoadSettings() {
  SetDefaults();
  Version = ReadFloatValue(kCommon, "Version", 0);
  const long v = std::lround(Version * 100);
  // The old test was V < 1.2 on the hundredfold value: only 0 and 1, no usable version.
  NoVersion = v <= 1;
  // Before 1.00 the Article keys lived in the KeyEdit section.
  const char* articleSection = v < 100 ? "KeyEdit" : kArticle;
  Problems.clear();
  for (const KeySpec& k : Keys()) {
    const std::string section = k.section == kArticle ? articleSection : k.section;
    ReadKey(*this, *this, k, section, Problems);
  }
  if (ReadThreads < 0 || ReadThreads > MostReadThreads) {
    Problems.push_back({"Reading", "ReadThreads", std::to_string(ReadThreads), "0"});
    ReadThreads = 0;
  }
  for (size_t i = 0; i < MaxRecentLogs; ++i) {
    std::string value = ReadString(kRecentLogs, RecentLogKey(i), "");
    if (!value.empty()) RecentLogs.push_back(std::move(value));
  }

  // Files of versions before 1.10 that were written by a program at all (they hold an editor)
  // are offered the defaults that 1.10 and 1.20 changed. Files that recorded any version before
  // 1.20 ask nothing.
  if (v >= 110) return;
  if (ReadString(kCommon, "Editer", "nonenone") == "nonenone" || !NoVersion) return;
  const std::string folder = ExtractFilePath(FileName());
  if (Ui().ConfirmYesNo(UpdateQuestion("1.10", "NetVorn:ログ解析設定")))
    DeleteFileAt(folder + "vorndef.ini");
  if (Ui().ConfirmYesNo(UpdateQuestion("1.10", "共通設定：ボード移動レス時タイトル 移動元ボード")))
    JumpRessTitleSrc = DefaultJumpRessTitleSrc();
  if (Ui().ConfirmYesNo(UpdateQuestion("1.10", "共通設定：ボード移動レス時タイトル 移動先ボード")))
    JumpRessTitleDist = DefaultJumpRessTitleDist();
  if (Ui().ConfirmYesNo(UpdateQuestion("1.10", "共通設定：URL判定文字")))
    ArticleEditURLChr = UpgradedURLChr();
  if (Ui().ConfirmYesNo(UpdateQuestion("1.20", "Nifty-Serve:ログ解析設定")))
    DeleteFileAt(folder + "nifdef.ini");
}

std::string TCommonIniFile::ProblemsMessage() const {
  if (Problems.empty()) return {};
  std::string text = Cp932("設定ファイルの次の値は使えないため、代わりの値を使います。") + "\r\n" +
                     Cp932("ファイル: ") + FileName() + "\r\n";
  for (const SettingsProblem& p : Problems) {
    text += "\r\n[" + p.Section + "] " + p.Key + "=" + p.Value + Cp932(" → ") + p.UsedInstead;
  }
  return text;
}

bool TCommonIniFile::SaveSettings() {
  IniBatch batch(*this);
  bool ok = true;
  std::string currentSection;
  CommonSettings& s = *this;
  for (const KeySpec& k : Keys()) {
    const std::string section = k.section;
    if (section != currentSection) {
      currentSection = section;
      // Files without a version may hold keys that later versions dropped.
      if (NoVersion && section != kInternet) ok = EraseSection(section) && ok;
      if (section == kCommon) ok = WriteFloatValue(kCommon, "Version", CurrentVersion) && ok;
    }
    ok =
        std::visit(Overloaded{
                       [&](StringField f) { return WriteQuotedString(section, k.key, s.*f.field); },
                       [&](IntField f) { return WriteInteger(section, k.key, s.*f.field); },
                       [&](BoolField f) { return WriteBool(section, k.key, s.*f.field); },
                       [&](FloatField f) { return WriteFloatValue(section, k.key, s.*f.field); },
                       [&](ColorField f) { return WriteColorValue(section, k.key, s.*f.field); },
                       [&](StyleField f) { return WriteStyleValue(section, k.key, s.*f.field); },
                   },
                   k.field) &&
        ok;
  }
  ok = SaveRecentLogs() && ok;
  return batch.Finish() && ok;
}

bool TCommonIniFile::SaveRecentLogs() {
  IniBatch batch(*this);
  bool ok = EraseSection(kRecentLogs);
  for (size_t i = 0; i < RecentLogs.size() && i < MaxRecentLogs; ++i)
    ok = WriteQuotedString(kRecentLogs, RecentLogKey(i), RecentLogs[i]) && ok;
  return batch.Finish() && ok;
}

bool TCommonIniFile::KeyUsable(const std::string& section, const std::string& key) const {
  if (ReadString(section, key, "").empty()) return false;
  for (const SettingsProblem& p : Problems) {
    if (p.Section == section && p.Key == key) return false;
  }
  return true;
}

}  // namespace vorn
