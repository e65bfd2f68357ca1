#include "reader/FileDrop.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

#include "platform/Cp932.h"
#include "qtsupport/QtSupport.h"

namespace vorn {
namespace {

const QString kUriList = QStringLiteral("text/uri-list");

bool IsThisMachine(const QString& host) {
  return host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
         host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

// The URLs of a uri-list read by hand, for sources whose list Qt did not take apart: one URL a
// line, lines ended by CR LF (or LF), "#" lines comments.
QList<QUrl> UrlsOfList(const QByteArray& list) {
  QList<QUrl> urls;
  for (QByteArray line : list.split('\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    urls << QUrl::fromEncoded(line);
  }
  return urls;
}

}  // namespace

QStringList DroppedLocalFiles(const QMimeData& data) {
  QList<QUrl> urls = data.urls();
  if (urls.isEmpty() && data.hasFormat(kUriList)) urls = UrlsOfList(data.data(kUriList));
  QStringList files;
  for (const QUrl& url : urls) {
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
      continue;
    // Qt names a file on another host "//host/path"; this machine's own name is not another.
    if (!IsThisMachine(url.host())) continue;
    const QString path = url.path(QUrl::FullyDecoded);
    if (!path.isEmpty()) files << path;
  }
  return files;
}

QStringList ExpandDroppedFolders(const QStringList& paths) {
  QStringList files;
  for (const QString& path : paths) {
    if (!QFileInfo(path).isDir()) {
      files << path;
      continue;
    }
    const QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
      files << folder.filePath(name);
  }
  return files;
}

Qt::DropAction DropActionFor(Qt::DropActions possible) {
  if (possible & Qt::CopyAction) return Qt::CopyAction;
  if (possible & Qt::LinkAction) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

DroppedFiles SplitDroppedFiles(const QStringList& paths) {
  DroppedFiles split;
  for (const QString& path : paths) {
    const std::string core = CorePath(path);
    if (QtPath(core) == path) {
      split.Files.push_back(core);
    } else {
      split.Unusable << path;
    }
  }
  return split;
}

std::string UnusableFileNameMessage(const QString& path) {
  return Cp932("ファイル:") + CoreText(path) + "\r" +
         Cp932("ファイル名にShift-JISで表せない文字が含まれているため読込み出来ません");
}

}  // namespace vorn
