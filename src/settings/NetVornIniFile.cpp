#include "settings/NetVornIniFile.h"

#include "platform/Cp932.h"

namespace vorn {
namespace {

const std::string kCommon = "Common";
const std::string kNetDefault = "NetDefault";
const std::string kNetData = "NetData";

std::vector<AnalysisItemSpec> MakeSpecs() {
  // Backslash escapes stay as typed (two characters each); CompilePattern expands them. The
  // brackets ｢ and ｣ are the half-width forms, single bytes 0xA2 and 0xA3 in CP932.
  auto item = [](const char* key, const char* caption, const char* value, bool compiled) {
    return AnalysisItemSpec{key, Cp932(caption), Cp932(value), compiled};
  };
  std::vector<AnalysisItemSpec> s;
  s.push_back(item("BoardTitle", "ボードタイトル", "%CNo.%GBNO%S｢%M1%GBTITLE,｣\\n", true));
  s.push_back(
      item("BoardList", "ボードリスト", "%M1%GBNO%C.%M1%C \\\\%GBINDEX,\\t%M1%GBTITLE,\\n", true));
  s.push_back(item("IDListHeader", "IDリストヘッダ", "%C----+--------------------\\n", true));
  s.push_back(item("IDList", "IDリスト", "%GWIDNO%C:%GWHANDLE,\\n", true));
  s.push_back(item("Header", "ヘッダ", "%C-\\t", true));
  s.push_back(item("HeaderSerialRoot", "シリアルヘッダ（ルート）", "%C-\\h%M4%GWNO", true));
  s.push_back(
      item("HeaderSerialRess", "シリアルヘッダ（レス）", "%C-\\h%M4%GWNO%C <%M4%GRNO%C>", true));
  s.push_back(item("SubjectHeader", "記事ヘッダ 先頭行",
                   "%GBINDEX,(%M1%GWNO%C/%S)%M1%C %GYEAR%C/%GMONTH%C/%GDAY%C %GHOUR%C:%GMINUTE%C "
                   "%GWTITLE,\\n",
                   true));
  s.push_back(item("SubjectHeaderMail", "記事ヘッダ 先頭行（メール）",
                   "%GBINDEX, %M1%GYEAR%C/%GMONTH%C/%GDAY%C %GHOUR%C:%GMINUTE%C %GWTITLE,\\n",
                   true));
  s.push_back(item("SubjectRess", "記事ヘッダ レス情報行",
                   "%C <%GRNO%C:%Z%S>\\n%s:%s/%m1%gRTITLE%M1%GRIDNO%C:%GRHANDLE,>\\n", true));
  s.push_back(
      item("SubjectFotter", "記事ヘッダ 最終行", "%Z%C  %S:%s %GWIDNO%C:%GWHANDLE,\\n", true));
  s.push_back(item("SubjectFotterBinary", "記事ヘッダ 最終行（バイナリ）",
                   "%Z%C  [%GFNAME,]%M1%C %GFSIZE%CKB %S:%s %GWIDNO%C:%GWHANDLE,\\n", true));
  static const char* const terminals[5] = {"%C読み終わりました", "%Cバッチリストに登録しました",
                                           "%Cファイルを転", "%C削除しますか",
                                           "%C次のメールを確認しますか"};
  for (int k = 1; k <= NetVornTerminalCount; ++k) {
    std::string caption = "区切り文字#" + std::to_string(k);
    s.push_back(item(("Terminal" + std::to_string(k)).c_str(), caption.c_str(),
                     k <= 5 ? terminals[k - 1] : "", true));
  }
  for (int k = 1; k <= NetVornCommandCount; ++k) {
    std::string key = k == 1 ? "Command" : "Command" + std::to_string(k);
    std::string caption = "コマンド文字列#" + std::to_string(k);
    s.push_back(item(key.c_str(), caption.c_str(), k == 1 ? "Command (?:" : "", false));
  }
  s.push_back(item("CommandRead", "リード系コマンド", "RV", false));
  s.push_back(item("Info", "システムメッセージ", "%C(%S)", true));
  s.push_back(item("GenerateBoardTitle", "ボードタイトル生成", "No.$q ｢$W｣\\n", false));
  return s;
}

}  // namespace

const std::vector<AnalysisItemSpec>& TNetVornIniFile::ItemSpecs() {
  static const std::vector<AnalysisItemSpec> specs = MakeSpecs();
  return specs;
}

TNetVornIniFile::TNetVornIniFile(const std::string& settingsFile, const std::string& defaultsFile)
    : TBBSIniFile(settingsFile), items_(ItemSpecs()) {
  NoDispHeaderLine = ReadInteger(kCommon, "NoDispHeaderLine", 1);
  NoDispFotterLine = ReadInteger(kCommon, "NoDispFotterLine", 1);
  // Older versions kept the defaults inside the settings file.
  EraseSection(kNetDefault);
  DefaultsFile = defaultsFile;
  LoadDefaults(DefaultsFile);
  BBSName.clear();
}

bool TNetVornIniFile::LoadDefaults(const std::string& defaultsFile) {
  TIniFilePlus defaults(defaultsFile);
  bool ok = items_.LoadDefaults(defaults, kNetDefault);
  // Until an entry is selected the analyser forms are those of the defaults.
  items_.BuildPatterns();
  return ok;
}

const std::string& TNetVornIniFile::TerminalPattern(int k) const {
  static const std::string none;
  if (k < 1 || k > NetVornTerminalCount) return none;
  return items_.Pattern(NetVornItemTerminal1 + k - 1);
}

const std::string& TNetVornIniFile::CommandText(int k) const {
  static const std::string none;
  if (k < 1 || k > NetVornCommandCount) return none;
  return items_.Pattern(NetVornItemCommand + k - 1);
}

bool TNetVornIniFile::SelectNet(int32_t netNo) {
  if (!TBBSIniFile::SelectNet(netNo)) return false;
  const std::string section = NetSection(netNo);
  bool serialHeader = ReadBool(section, "SerialHeader", false);
  KTC = ReadBool(section, "KTC", false);
  MPN = ReadBool(section, "MPN", false);
  HeaderDisp = ReadBool(section, "HeaderDisp", false);
  items_.ReadValues(*this, section);
  items_.BuildPatterns();
  Mente = ReadBool(section, "Mente", false);
  SerialHeader = serialHeader;
  LogEndLine = TerminalPattern(1);
  return true;
}

bool TNetVornIniFile::SaveNet() {
  IniBatch batch(*this);
  if (!TBBSIniFile::SaveNet()) return false;
  const std::string section = NetSection(NetNoAt(FindPrefix(Prefix)));
  bool ok = WriteBool(section, "SerialHeader", SerialHeader);
  ok = WriteBool(section, "KTC", KTC) && ok;
  ok = WriteBool(section, "MPN", MPN) && ok;
  ok = WriteBool(section, "HeaderDisp", HeaderDisp) && ok;
  ok = WriteBool(section, "Mente", Mente) && ok;
  ok = items_.WriteChangedValues(*this, section) && ok;
  return batch.Finish() && ok;
}

bool TNetVornIniFile::ExportNetData() {
  IniBatch batch(*this);
  bool ok = WriteBool(kNetData, "Mente", Mente);
  ok = WriteBool(kNetData, "KTC", KTC) && ok;
  ok = WriteBool(kNetData, "MPN", MPN) && ok;
  ok = WriteQuotedString(kNetData, "BBSName", BBSName) && ok;
  ok = items_.WriteAllValues(*this, kNetData) && ok;
  return batch.Finish() && ok;
}

bool TNetVornIniFile::ImportNetData() {
  if (!SectionExists(kNetData)) return false;
  Mente = ReadBool(kNetData, "Mente", false);
  KTC = ReadBool(kNetData, "KTC", false);
  MPN = ReadBool(kNetData, "MPN", false);
  BBSName = ReadString(kNetData, "BBSName", "BBS Name");
  items_.ReadValues(*this, kNetData);
  return true;
}

}  // namespace vorn
