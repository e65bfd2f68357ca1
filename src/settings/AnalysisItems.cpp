#include "settings/AnalysisItems.h"

#include "text/LogPattern.h"

namespace vorn {
namespace {

const std::string kNothing;

}  // namespace

AnalysisItems::AnalysisItems(const std::vector<AnalysisItemSpec>& specs)
    : specs_(specs), defaults_(specs.size()), values_(specs.size()), patterns_(specs.size()) {
  for (size_t i = 0; i < specs_.size(); ++i) {
    defaults_[i] = specs_[i].builtinDefault;
    values_[i] = defaults_[i];
  }
}

const std::string& AnalysisItems::Key(int index) const {
  return InRange(index) ? specs_[size_t(index)].key : kNothing;
}

const std::string& AnalysisItems::Caption(int index) const {
  return InRange(index) ? specs_[size_t(index)].caption : kNothing;
}

const std::string& AnalysisItems::Default(int index) const {
  return InRange(index) ? defaults_[size_t(index)] : kNothing;
}

const std::string& AnalysisItems::Value(int index) const {
  return InRange(index) ? values_[size_t(index)] : kNothing;
}

const std::string& AnalysisItems::Pattern(int index) const {
  return InRange(index) ? patterns_[size_t(index)] : kNothing;
}

bool AnalysisItems::SetValue(int index, const std::string& text) {
  if (!InRange(index)) return false;
  values_[size_t(index)] = text;
  return true;
}

bool AnalysisItems::LoadDefaults(TIniFilePlus& defaultsFile, const std::string& section) {
  for (size_t i = 0; i < specs_.size(); ++i) {
    defaults_[i] = defaultsFile.ReadString(section, specs_[i].key, specs_[i].builtinDefault);
    values_[i] = defaults_[i];
  }
  // Rewriting the section puts keys that were added by hand or by older versions back into
  // item order.
  IniBatch batch(defaultsFile);
  bool ok = defaultsFile.EraseSection(section);
  for (size_t i = 0; i < specs_.size(); ++i)
    ok = defaultsFile.WriteQuotedString(section, specs_[i].key, defaults_[i]) && ok;
  return batch.Finish() && ok;
}

void AnalysisItems::ReadValues(const TIniFilePlus& ini, const std::string& section) {
  for (size_t i = 0; i < specs_.size(); ++i)
    values_[i] = ini.ReadString(section, specs_[i].key, defaults_[i]);
}

void AnalysisItems::BuildPatterns() {
  for (size_t i = 0; i < specs_.size(); ++i)
    patterns_[i] = specs_[i].compiled ? CompilePattern(values_[i]) : values_[i];
}

bool AnalysisItems::WriteChangedValues(TIniFilePlus& ini, const std::string& section) const {
  IniBatch batch(ini);
  bool ok = true;
  for (size_t i = 0; i < specs_.size(); ++i) {
    if (values_[i] != defaults_[i])
      ok = ini.WriteQuotedString(section, specs_[i].key, values_[i]) && ok;
  }
  return batch.Finish() && ok;
}

bool AnalysisItems::WriteAllValues(TIniFilePlus& ini, const std::string& section) const {
  IniBatch batch(ini);
  bool ok = true;
  for (size_t i = 0; i < specs_.size(); ++i)
    ok = ini.WriteQuotedString(section, specs_[i].key, values_[i]) && ok;
  return batch.Finish() && ok;
}

}  // namespace vorn
