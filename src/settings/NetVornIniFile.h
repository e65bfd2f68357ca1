#pragma once

#include <string>
#include <vector>

#include "settings/AnalysisItems.h"
#include "settings/BBSIniFile.h"

namespace vorn {

// The analysis items of the NetVorn family, by index.
enum NetVornItem : int {
  NetVornItemBoardTitle = 0,
  NetVornItemBoardList = 1,
  NetVornItemIDListHeader = 2,
  NetVornItemIDList = 3,
  NetVornItemHeader = 4,
  NetVornItemHeaderSerialRoot = 5,
  NetVornItemHeaderSerialRess = 6,
  NetVornItemSubjectHeader = 7,
  NetVornItemSubjectHeaderMail = 8,
  NetVornItemSubjectRess = 9,
  NetVornItemSubjectFotter = 10,
  NetVornItemSubjectFotterBinary = 11,
  NetVornItemTerminal1 = 12,  // Terminal1 to Terminal16: 12 to 27
  NetVornItemCommand = 28,    // Command, Command2 to Command4: 28 to 31
  NetVornItemCommandRead = 32,
  NetVornItemInfo = 33,
  NetVornItemGenerateBoardTitle = 34,
  NetVornItemCount = 35,
};
constexpr int NetVornTerminalCount = 16;
constexpr int NetVornCommandCount = 4;

// The settings of the NetVorn family ("netvorn.ini"): the BBS entries, and per entry the 35
// analysis items, four switches and Mente. The defaults of the items live in a defaults file
// ("vorndef.ini", section NetDefault), created and completed from the built-in defaults
// whenever the object is made.
class TNetVornIniFile final : public TBBSIniFile {
 public:
  TNetVornIniFile(const std::string& settingsFile, const std::string& defaultsFile);

  // The items as written into a new defaults file, in order.
  static const std::vector<AnalysisItemSpec>& ItemSpecs();

  // Reads the defaults file (built-in defaults where keys are missing), makes the defaults the
  // current values and writes the complete set back. False when that write failed.
  bool LoadDefaults(const std::string& defaultsFile);

  // Also reads the switches and items of the entry and builds the analyser forms.
  bool SelectNet(int32_t netNo) override;
  // Also writes the switches and the items that differ from their defaults.
  bool SaveNet() override;

  int ItemCount() const override { return NetVornItemCount; }
  std::string ItemName(int index) const override { return items_.Caption(index); }
  std::string ItemDefault(int index) const override { return items_.Default(index); }
  std::string ItemValue(int index) const override { return items_.Value(index); }
  std::string ItemPattern(int index) const override { return items_.Pattern(index); }
  bool SetItemValue(int index, const std::string& text) override {
    return items_.SetValue(index, text);
  }

  // The analyser forms of the selected entry. Patterns are compiled; Text accessors give the
  // value as stored.
  const std::string& BoardTitlePattern() const { return items_.Pattern(NetVornItemBoardTitle); }
  const std::string& BoardListPattern() const { return items_.Pattern(NetVornItemBoardList); }
  const std::string& IDListHeaderPattern() const { return items_.Pattern(NetVornItemIDListHeader); }
  const std::string& IDListPattern() const { return items_.Pattern(NetVornItemIDList); }
  const std::string& HeaderPattern() const { return items_.Pattern(NetVornItemHeader); }
  const std::string& HeaderSerialRootPattern() const {
    return items_.Pattern(NetVornItemHeaderSerialRoot);
  }
  const std::string& HeaderSerialRessPattern() const {
    return items_.Pattern(NetVornItemHeaderSerialRess);
  }
  const std::string& SubjectHeaderPattern() const {
    return items_.Pattern(NetVornItemSubjectHeader);
  }
  const std::string& SubjectHeaderMailPattern() const {
    return items_.Pattern(NetVornItemSubjectHeaderMail);
  }
  const std::string& SubjectRessPattern() const { return items_.Pattern(NetVornItemSubjectRess); }
  const std::string& SubjectFotterPattern() const {
    return items_.Pattern(NetVornItemSubjectFotter);
  }
  const std::string& SubjectFotterBinaryPattern() const {
    return items_.Pattern(NetVornItemSubjectFotterBinary);
  }
  // Terminal<k>, k from 1 to 16; empty outside.
  const std::string& TerminalPattern(int k) const;
  // Command (k = 1), Command2 to Command4; empty outside.
  const std::string& CommandText(int k) const;
  const std::string& CommandReadText() const { return items_.Pattern(NetVornItemCommandRead); }
  const std::string& InfoPattern() const { return items_.Pattern(NetVornItemInfo); }
  const std::string& GenerateBoardTitleText() const {
    return items_.Pattern(NetVornItemGenerateBoardTitle);
  }

  // Writes [NetData] of this object's file: Mente, KTC, MPN, BBSName and all 35 current values.
  bool ExportNetData();
  // Reads [NetData] into the current values (defaults where keys are missing). False, with
  // nothing changed, when the file has no such section: it is not an export file.
  bool ImportNetData();

  std::string DefaultsFile;
  int32_t NoDispHeaderLine = 1;  // from [Common]; where an article's first line is placed
  int32_t NoDispFotterLine = 1;  // from [Common]; where an article's last line is placed
  bool KTC = false;              // the host is a KTC-BBS variant
  bool MPN = false;              // the host is an MPN-BBS variant
  bool HeaderDisp = false;       // articles are exported with their header line
  std::string BBSName;           // the name carried by an export file

 private:
  AnalysisItems items_;
};

}  // namespace vorn
