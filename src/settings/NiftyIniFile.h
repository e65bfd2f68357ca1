#pragma once

#include <string>
#include <vector>

#include "settings/AnalysisItems.h"
#include "settings/BBSIniFile.h"

namespace vorn {

// The analysis items of the Nifty-Serve family, by index. The numbered groups run 1 to 8;
// Info n and InfoLine n alternate from 30 on.
enum NiftyItem : int {
  NiftyItemBoardTitle = 0,
  NiftyItemSubjectHeader = 1,
  NiftyItemSubjectHeaderRoot = 2,
  NiftyItemSubjectHeaderRess = 3,
  NiftyItemTerminal1 = 4,         // Terminal1 to Terminal8: 4 to 11
  NiftyItemMailModeHeader1 = 12,  // MailModeHeader1 to 8: 12 to 19
  NiftyItemMailHeader1 = 20,
  NiftyItemMailHeader2 = 21,
  NiftyItemMailFotter1 = 22,  // MailFotter1 to 8: 22 to 29
  NiftyItemInfo1 = 30,        // Info n at 28 + 2n, InfoLine n at 29 + 2n
  NiftyItemInfoLine1 = 31,
  NiftyItemGenerateBoardTitle = 46,
  NiftyItemCount = 47,
};
constexpr int NiftyGroupCount = 8;

// The settings of the Nifty-Serve family ("nifty.ini"): the BBS entries, and per entry the 47
// analysis items and MemberAutoAdd. The defaults of the items live in a defaults file
// ("nifdef.ini", section NetDefault), created and completed whenever the object is made.
class TNiftyIniFile final : public TBBSIniFile {
 public:
  TNiftyIniFile(const std::string& settingsFile, const std::string& defaultsFile);

  // The items as written into a new defaults file, in order.
  static const std::vector<AnalysisItemSpec>& ItemSpecs();

  // Reads the defaults file (built-in defaults where keys are missing), makes the defaults the
  // current values and writes the complete set back. False when that write failed.
  bool LoadDefaults(const std::string& defaultsFile);

  // Also reads the items and MemberAutoAdd of the entry and builds the analyser forms; Mente
  // and SerialHeader are always off for this family.
  bool SelectNet(int32_t netNo) override;
  // Also writes Mente, the items that differ from their defaults, and MemberAutoAdd.
  bool SaveNet() override;

  int ItemCount() const override { return NiftyItemCount; }
  std::string ItemName(int index) const override { return items_.Caption(index); }
  std::string ItemDefault(int index) const override { return items_.Default(index); }
  std::string ItemValue(int index) const override { return items_.Value(index); }
  std::string ItemPattern(int index) const override { return items_.Pattern(index); }
  bool SetItemValue(int index, const std::string& text) override {
    return items_.SetValue(index, text);
  }

  // The analyser forms of the selected entry.
  const std::string& BoardTitlePattern() const { return items_.Pattern(NiftyItemBoardTitle); }
  const std::string& SubjectHeaderPattern() const { return items_.Pattern(NiftyItemSubjectHeader); }
  const std::string& SubjectHeaderRootPattern() const {
    return items_.Pattern(NiftyItemSubjectHeaderRoot);
  }
  const std::string& SubjectHeaderRessPattern() const {
    return items_.Pattern(NiftyItemSubjectHeaderRess);
  }
  const std::string& MailHeader1Pattern() const { return items_.Pattern(NiftyItemMailHeader1); }
  const std::string& MailHeader2Pattern() const { return items_.Pattern(NiftyItemMailHeader2); }
  // Numbered groups, n from 1 to 8; empty outside.
  const std::string& TerminalPattern(int n) const;
  const std::string& MailModeHeaderPattern(int n) const;
  const std::string& MailFotterPattern(int n) const;
  const std::string& InfoPattern(int n) const;
  // "offset,count" of the lines to copy for Info n, as stored.
  const std::string& InfoLineText(int n) const;
  const std::string& GenerateBoardTitleText() const {
    return items_.Pattern(NiftyItemGenerateBoardTitle);
  }

  // Writes [NetData] of this object's file: Mente, BBSName and all 47 current values.
  bool ExportNetData();
  // Reads [NetData] into the current values (defaults where keys are missing). False, with
  // nothing changed, when the file has no such section: it is not an export file.
  bool ImportNetData();

  std::string DefaultsFile;
  bool MemberAutoAdd = false;  // the analyser adds every writer it meets to the member list
  std::string BBSName;         // the name carried by an export file

 private:
  const std::string& GroupPattern(int first, int step, int n) const;

  AnalysisItems items_;
};

}  // namespace vorn
