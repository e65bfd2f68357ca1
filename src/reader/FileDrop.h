#pragma once

#include <QString>
#include <QStringList>
#include <Qt>
#include <string>
#include <vector>

class QMimeData;

namespace vorn {

// Files dropped on the window from a file manager: a text/uri-list of file URLs, percent-encoded,
// one or several.

// The local files a drop names, in its order: file URLs without a host, or naming this machine
// (file://localhost/...); other URLs are left out.
QStringList DroppedLocalFiles(const QMimeData& data);

// The dropped paths with each folder replaced by the files it holds (not its subfolders nor its
// hidden files), in name order: a folder of captures dropped opens them; which of them belong to
// a BBS set is decided by their names, as for files dropped one by one.
QStringList ExpandDroppedFolders(const QStringList& paths);

// The action the window takes a drop with: a copy (the source must never delete the files it
// gave), a link where the source offers no copy, and none where it offers only a move.
Qt::DropAction DropActionFor(Qt::DropActions possible);

// The dropped files split into the CP932 names the program opens and the names that cannot be
// written in CP932, which it cannot open.
struct DroppedFiles {
  std::vector<std::string> Files;
  QStringList Unusable;
};
DroppedFiles SplitDroppedFiles(const QStringList& paths);

// The warning about a file whose name the program cannot use (CP932).
std::string UnusableFileNameMessage(const QString& path);

}  // namespace vorn
