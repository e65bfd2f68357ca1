#include "settings/NiftyIniFile.h"

#include "platform/Cp932.h"

namespace vorn {
namespace {

const std::string kNetDefault = "NetDefault";
const std::string kNetData = "NetData";

std::vector<AnalysisItemSpec> MakeSpecs() {
  // Backslash escapes stay as typed (two characters each); CompilePattern expands them.
  auto item = [](const std::string& key, const std::string& caption, const char* value,
                 bool compiled) {
    return AnalysisItemSpec{key, Cp932(caption), Cp932(value), compiled};
  };
  // A numbered group of eight items whose first ones have defaults.
  auto group = [&](std::vector<AnalysisItemSpec>& s, const char* key, const char* caption,
                   std::vector<const char*> defaults) {
    for (int n = 1; n <= NiftyGroupCount; ++n) {
      s.push_back(item(key + std::to_string(n), caption + std::to_string(n),
                       size_t(n) <= defaults.size() ? defaults[size_t(n - 1)] : "", true));
    }
  };
  std::vector<AnalysisItemSpec> s;
  s.push_back(item("BoardTitle", "ボードタイトル",
                   "%K＞%C- %GBINDEX, %F%CMES(%GBNO%C):%GBTITLE, -\\n", true));
  s.push_back(item("SubjectHeader", "記事ヘッダ １行目",
                   "%K＞%Z%N5%C/%N5%C %A3%N5%z%GWNO%S %M1%GWID, %F%HWHANDLE,16%F%GWTITLE,\\n",
                   true));
  s.push_back(item("SubjectHeaderRoot", "記事ヘッダ ２行目（ルート）",
                   "%K＞%C(%Z%M1%N1%C)   %N2%C/%N2%C/%N2%C %N2%C:%N2%z%GBNO%M4%GYEAR%M1%GMONTH%M1"
                   "%GDAY%M1%GHOUR%M1%GMINUTE",
                   true));
  s.push_back(item("SubjectHeaderRess", "記事ヘッダ ２行目（レス）",
                   "%K＞%C(%Z%M1%N1%C)   %N2%C/%N2%C/%N2%C %N2%C:%N2%C  %N5%Cへのコメント%z%GBNO"
                   "%M4%GYEAR%M1%GMONTH%M1%GDAY%M1%GHOUR%M1%GMINUTE%M2%GRNO",
                   true));
  group(s, "Terminal", "区切り文字#", {"%C \\h\\n", "%C電子会議 (1:"});
  group(s, "MailModeHeader", "メールモード移行ヘッダ#",
        {"%K＞%C番号  送信者          日付     題名", "%K＞%CMAIL>REA"});
  s.push_back(item("MailHeader1", "メールヘッダ １行目",
                   "%K＞%M1%N1%C  %Z%M16%C  %A3%N5%C          %N2%C/%N2%C/%N2%C %N2%C:%N2%z"
                   "%HWHANDLE,16%M2%GWID, %F%GYEAR%M1%GMONTH%M1%GDAY%M1%GHOUR%M1%GMINUTE",
                   true));
  s.push_back(item("MailHeader2", "メールヘッダ ２行目", "%C    題名：%GWTITLE,\\n", true));
  group(s, "MailFotter", "メールフッタ#", {"%K＞%C受信後 (1:", "%K＞%Caction:"});
  static const char* const infos[2] = {"%C－－メールが%S通%C通届いています（未読分",
                                       "%C〔定期メンテナンスのお知らせ〕\\n"};
  static const char* const infoLines[2] = {"-1,2", "0,3"};
  for (int n = 1; n <= NiftyGroupCount; ++n) {
    std::string number = std::to_string(n);
    s.push_back(
        item("Info" + number, "インフォメーション#" + number, n <= 2 ? infos[n - 1] : "", true));
    s.push_back(item("InfoLine" + number, "インフォメーションライン#" + number,
                     n <= 2 ? infoLines[n - 1] : "", false));
  }
  s.push_back(item("GenerateBoardTitle", "ボードタイトル生成", "- $W:$r-", false));
  return s;
}

}  // namespace

const std::vector<AnalysisItemSpec>& TNiftyIniFile::ItemSpecs() {
  static const std::vector<AnalysisItemSpec> specs = MakeSpecs();
  return specs;
}

TNiftyIniFile::TNiftyIniFile(const std::string& settingsFile, const std::string& defaultsFile)
    : TBBSIniFile(settingsFile), items_(ItemSpecs()) {
  // Older versions kept the defaults inside the settings file.
  EraseSection(kNetDefault);
  DefaultsFile = defaultsFile;
  LoadDefaults(DefaultsFile);
  BBSName.clear();
}

bool TNiftyIniFile::LoadDefaults(const std::string& defaultsFile) {
  TIniFilePlus defaults(defaultsFile);
  bool ok = items_.LoadDefaults(defaults, kNetDefault);
  // Until an entry is selected the analyser forms are those of the defaults.
  items_.BuildPatterns();
  return ok;
}

const std::string& TNiftyIniFile::GroupPattern(int first, int step, int n) const {
  static const std::string none;
  if (n < 1 || n > NiftyGroupCount) return none;
  return items_.Pattern(first + (n - 1) * step);
}

const std::string& TNiftyIniFile::TerminalPattern(int n) const {
  return GroupPattern(NiftyItemTerminal1, 1, n);
}

const std::string& TNiftyIniFile::MailModeHeaderPattern(int n) const {
  return GroupPattern(NiftyItemMailModeHeader1, 1, n);
}

const std::string& TNiftyIniFile::MailFotterPattern(int n) const {
  return GroupPattern(NiftyItemMailFotter1, 1, n);
}

const std::string& TNiftyIniFile::InfoPattern(int n) const {
  return GroupPattern(NiftyItemInfo1, 2, n);
}

const std::string& TNiftyIniFile::InfoLineText(int n) const {
  return GroupPattern(NiftyItemInfoLine1, 2, n);
}

bool TNiftyIniFile::SelectNet(int32_t netNo) {
  if (!TBBSIniFile::SelectNet(netNo)) return false;
  int index = FindNetNo(netNo);
  if (index < 0) return false;
  const std::string section = NetSection(NetNoAt(index));
  items_.ReadValues(*this, section);
  MemberAutoAdd = ReadBool(section, "MemberAutoAdd", false);
  items_.BuildPatterns();
  Mente = false;
  SerialHeader = false;
  LogEndLine = TerminalPattern(1);
  return true;
}

bool TNiftyIniFile::SaveNet() {
  IniBatch batch(*this);
  if (!TBBSIniFile::SaveNet()) return false;
  int index = FindPrefix(Prefix);
  if (index < 0) return false;
  const std::string section = NetSection(NetNoAt(index));
  bool ok = WriteBool(section, "Mente", Mente);
  ok = items_.WriteChangedValues(*this, section) && ok;
  ok = WriteBool(section, "MemberAutoAdd", MemberAutoAdd) && ok;
  return batch.Finish() && ok;
}

bool TNiftyIniFile::ExportNetData() {
  IniBatch batch(*this);
  bool ok = WriteBool(kNetData, "Mente", Mente);
  ok = WriteQuotedString(kNetData, "BBSName", BBSName) && ok;
  ok = items_.WriteAllValues(*this, kNetData) && ok;
  return batch.Finish() && ok;
}

bool TNiftyIniFile::ImportNetData() {
  if (!SectionExists(kNetData)) return false;
  Mente = ReadBool(kNetData, "Mente", false);
  BBSName = ReadString(kNetData, "BBSName", "BBS Name");
  items_.ReadValues(*this, kNetData);
  return true;
}

}  // namespace vorn
