#pragma once

#include <string>
#include <vector>

#include "settings/IniFilePlus.h"

namespace vorn {

// One analysis item of a host family: its key in the settings files, its caption in the
// settings dialog and its built-in default (both CP932), and whether the analyser gets it
// compiled (a log pattern) or as it is.
struct AnalysisItemSpec {
  std::string key;
  std::string caption;
  std::string builtinDefault;
  bool compiled = true;
};

// The items of one family in three copies: the defaults (from the family's defaults file), the
// current values of the selected entry, and the analyser forms built from the current values.
// An entry's section holds only the items in which it differs from the defaults.
class AnalysisItems {
 public:
  explicit AnalysisItems(const std::vector<AnalysisItemSpec>& specs);

  int Count() const { return static_cast<int>(specs_.size()); }
  bool InRange(int index) const { return index >= 0 && index < Count(); }
  const std::string& Key(int index) const;
  // Empty texts outside the items.
  const std::string& Caption(int index) const;
  const std::string& Default(int index) const;
  const std::string& Value(int index) const;
  const std::string& Pattern(int index) const;
  // Changes the current value only; the analyser form follows at the next BuildPatterns.
  bool SetValue(int index, const std::string& text);

  // Reads every default from the section with the built-in default as fallback, makes the
  // defaults the current values, and writes all of them back in item order, so that the
  // defaults file always lists the complete set. False when that write failed.
  bool LoadDefaults(TIniFilePlus& defaultsFile, const std::string& section);
  // Reads the current values from a section; a missing key gives the item's default.
  void ReadValues(const TIniFilePlus& ini, const std::string& section);
  // Compiles the log patterns and copies the other items.
  void BuildPatterns();
  // Writes the items whose current value differs (byte for byte) from the default.
  bool WriteChangedValues(TIniFilePlus& ini, const std::string& section) const;
  // Writes every current value.
  bool WriteAllValues(TIniFilePlus& ini, const std::string& section) const;

 private:
  const std::vector<AnalysisItemSpec>& specs_;
  std::vector<std::string> defaults_;
  std::vector<std::string> values_;
  std::vector<std::string> patterns_;
};

}  // namespace vorn
