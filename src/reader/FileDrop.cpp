#include "reader/FileDrop.h"

#include <QMimeData>
#include <QSysInfo>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Cp932.h"
#include "qtsupport/QtSupport.h"

namespace vorn {
namespace {

namespace fs = std::filesystem;

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

std::vector<std::string> DroppedLocalFiles(const QMimeData& data) {
  QList<QUrl> urls = data.urls();
  if (urls.isEmpty() && data.hasFormat(kUriList)) urls = UrlsOfList(data.data(kUriList));
  std::vector<std::string> files;
  for (const QUrl& url : urls) {
    if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
      continue;
    // Qt names a file on another host "//host/path"; this machine's own name is not another.
    if (!IsThisMachine(url.host())) continue;
    std::string path = CorePathOfUrl(url);
    if (!path.empty()) files.push_back(std::move(path));
  }
  return files;
}

std::vector<std::string> ExpandDroppedFolders(const std::vector<std::string>& paths) {
  std::vector<std::string> files;
  for (const std::string& path : paths) {
    std::error_code error;
    const fs::path native(NativePath(path));
    if (!fs::is_directory(native, error)) {
      files.push_back(path);
      continue;
    }
    // Listed by the names' own bytes, which keeps names that are no UTF-8.
    std::vector<std::string> names;
    for (fs::directory_iterator it(native, error), end; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (name.empty() || name.front() == '.' || !it->is_regular_file(error)) continue;
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
      files.push_back(FromNativePath((native / name).string()));
  }
  return files;
}

Qt::DropAction DropActionFor(Qt::DropActions possible) {
  if (possible & Qt::CopyAction) return Qt::CopyAction;
  if (possible & Qt::LinkAction) return Qt::LinkAction;
  return Qt::IgnoreAction;
}

}  // namespace vorn
