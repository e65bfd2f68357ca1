#include "threadview/ThreadViewSettings.h"

namespace vorn {
namespace {

const std::string kSection = "ThreadView";

}  // namespace

ThreadViewSettings ReadThreadViewSettings(const std::string& iniPath) {
  const TIniFilePlus ini(iniPath);
  ThreadViewSettings s;
  s.HideIgnored = ini.ReadBool(kSection, "HideIgnored", s.HideIgnored);
  s.WatchedColor = ini.ReadColorValue(kSection, "WatchedColor", s.WatchedColor);
  s.IgnoredColor = ini.ReadColorValue(kSection, "IgnoredColor", s.IgnoredColor);
  return s;
}

bool WriteThreadViewSettings(const std::string& iniPath, const ThreadViewSettings& s) {
  TIniFilePlus ini(iniPath);
  ini.BeginBatch();
  bool ok = ini.WriteBool(kSection, "HideIgnored", s.HideIgnored);
  ok = ini.WriteColorValue(kSection, "WatchedColor", s.WatchedColor) && ok;
  ok = ini.WriteColorValue(kSection, "IgnoredColor", s.IgnoredColor) && ok;
  return ini.EndBatch() && ok;
}

}  // namespace vorn
