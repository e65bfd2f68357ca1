#pragma once

#include <string>

#include "settings/IniFilePlus.h"

namespace vorn {

// How the grid shows watched and ignored writers, kept in the common settings file
// ("vornexpl.ini") in a section of its own, [ThreadView]: HideIgnored (1 hides ignored
// writers' articles, 0 greys them), WatchedColor (the background of watched writers' rows)
// and IgnoredColor (the text of ignored writers' rows while they are greyed).
struct ThreadViewSettings {
  bool HideIgnored = false;
  TColor WatchedColor = 0x00B4F0FF;  // a pale yellow (0x00BBGGRR)
  TColor IgnoredColor = clSilver;
  bool operator==(const ThreadViewSettings&) const = default;
};

// Missing keys and values that do not convert give the defaults.
ThreadViewSettings ReadThreadViewSettings(const std::string& iniPath);
// Writes the three keys at once; false when the file could not be written.
bool WriteThreadViewSettings(const std::string& iniPath, const ThreadViewSettings& settings);

}  // namespace vorn
