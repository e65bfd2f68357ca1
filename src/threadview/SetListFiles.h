#pragma once

#include <string>
#include <string_view>

namespace vorn {

// Extensions of the reading aids' list files.
inline constexpr std::string_view FlagFileExtension = "flg";
inline constexpr std::string_view WriterListFileExtension = "wrl";

// Where a set keeps a list file of the reading aids: beside its read-pointer file (a path
// resolved already), with the same name and the list's own extension, in capitals when the
// read-pointer file's extension is in capitals ("NET.PTR" gives "NET.FLG", "NET.rp" gives
// "NET.flg"). A set without a read-pointer file keeps it in the settings folder under its
// prefix.
std::string SetListFilePath(std::string_view readPtrFile, std::string_view prefix,
                            std::string_view settingsFolder, std::string_view extension);

}  // namespace vorn
