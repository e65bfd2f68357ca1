#pragma once

#include <Qt>
#include <string>
#include <vector>

class QMimeData;

namespace vorn {

// Files dropped on the window from a file manager: a text/uri-list of file URLs, percent-encoded,
// one or several.

// The local files a drop names, in its order, as the program's paths (every byte of the name
// kept): file URLs without a host, or naming this machine (file://localhost/...); other URLs are
// left out.
std::vector<std::string> DroppedLocalFiles(const QMimeData& data);

// The dropped paths with each folder replaced by the files it holds (not its subfolders nor its
// hidden files), in name order: a folder of captures dropped opens them; which of them belong to
// a BBS set is decided by their names, as for files dropped one by one.
std::vector<std::string> ExpandDroppedFolders(const std::vector<std::string>& paths);

// The action the window takes a drop with: a copy (the source must never delete the files it
// gave), a link where the source offers no copy, and none where it offers only a move.
Qt::DropAction DropActionFor(Qt::DropActions possible);

}  // namespace vorn
