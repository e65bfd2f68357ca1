#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// Where the program keeps its own files. Every settings file, defaults file and the editor's
// temporary file is named through SettingsFilePath, so one rule decides where they live:
//   1. the folder given with --settings-dir, when there is one;
//   2. the program's own folder, when it holds "vornexpl.ini" (a portable copy);
//   3. otherwise the per-user folder, $XDG_CONFIG_HOME/VornExplorer or
//      ~/.config/VornExplorer, created on first use.
// A writable program folder alone does not make a portable copy: a build tree or a copy run by
// root would otherwise keep settings beside each binary, the window and the tool apart.
// Paths are CP932 like every core text and folders end with the path separator.

// The folder of the running program.
std::string ProgramFolder();

// The per-user folder (not created here). Empty when neither XDG_CONFIG_HOME nor HOME is set.
std::string UserSettingsFolder();

// The per-user cache folder, $XDG_CACHE_HOME/VornExplorer or ~/.cache/VornExplorer (not created
// here), ending with the separator. Empty when neither variable is set.
std::string UserCacheFolder();
// Where the program keeps what it caches: "cache" in the settings folder of a portable copy
// (which writes nothing into the home of the machine it runs on), else UserCacheFolder().
std::string CacheFolder();

// The rule above as a pure decision, for the folders given. An empty userFolder (neither
// XDG_CONFIG_HOME nor HOME set) leaves the program folder as the only place there is.
std::string ChooseSettingsFolder(const std::string& overrideFolder,
                                 const std::string& programFolder, const std::string& userFolder);

// Sets the folder of --settings-dir (an empty text removes it). The next SettingsFolder call
// decides afresh.
void SetSettingsFolderOverride(const std::string& folder);

// Takes "--settings-dir DIR" or "--settings-dir=DIR", standing before any "--", out of the
// arguments (native encoding, as the system passes them) and sets the override. False, with the
// arguments unchanged, when the option has no folder after it.
bool TakeSettingsDirOption(std::vector<std::string>& args);

// The folder decided by the rule, created when it does not exist yet. Decided once and kept.
std::string SettingsFolder();

// Empty when the settings folder exists; otherwise the message that tells the user which folder
// could not be created and why (CP932, lines separated by "\r").
std::string SettingsFolderProblem();

// Creates a folder and the folders above it that are missing. Empty when the folder exists
// afterwards; otherwise which folder could not be made and why, in the user's words (CP932).
std::string MakeFolderPath(const std::string& folder);

// A file of the settings folder, such as SettingsFilePath("vornexpl.ini").
std::string SettingsFilePath(std::string_view fileName);

// The folder with one path separator at its end; an empty folder gives the separator alone.
// A separator that is the second byte of a double-byte character does not count.
std::string IncludeTrailingSeparator(const std::string& folder);

// The full path of an executable program found on PATH, empty when there is none.
std::string FindProgramOnPath(std::string_view name);

// The editor a new settings file starts with. On Windows "notepad.exe". Elsewhere the first of
// these found on PATH, each started so that its process lasts until the user closes the file
// (the end of editing is noticed by the end of the process): "gedit --wait", "kate --block",
// "xterm -e vi"; with none of them installed, "gedit --wait", so that starting the editor fails
// with a message the user can act on in the settings.
std::string DefaultEditorCommand();

}  // namespace vorn
