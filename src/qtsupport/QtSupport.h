#pragma once

#include <QRect>
#include <QString>
#include <QUrl>
#include <string>

#include "dialoglogic/NetSelectLogic.h"

class QWidget;

namespace vorn {

// Core texts are CP932; Qt's are Unicode. These are the GUI's only crossings.
QString QtText(const std::string& cp932);
std::string CoreText(const QString& text);
// Paths: CP932 in the core, the file system's own encoding on disk. A name's bytes that are no
// UTF-8 cross as the lone surrogates U+DC80-U+DCFF, so that CorePath(QtPath(p)) == p for every
// path; Qt's own file functions would turn them into other bytes.
QString QtPath(const std::string& cp932Path);
std::string CorePath(const QString& path);
// The path of a file: URL (as dropped on a window) with the bytes it names.
std::string CorePathOfUrl(const QUrl& url);
// A message text: "\r\n", "\n\r" and a lone "\r" all end a line.
QString QtMessageText(const std::string& cp932);

// A classic file filter as a Qt name filter list ("description (mask)" joined by ";;"). "*.*"
// means every file, also those without an extension.
QString QtFileFilter(const FileFilter& filter);

// Places a modal dialog the first time it is shown, centred on the rectangle of the window that
// opened it and kept inside the screen; later showings keep the place the dialog had.
class TDialogPlacer {
 public:
  void PlaceOnce(QWidget* dialog, const QRect& parentRect);
  bool Placed() const { return placed_; }

 private:
  bool placed_ = false;
};

}  // namespace vorn
