#include "reader/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Cp932.h"
#include "platform/FileQuery.h"
#include "qtsupport/QtSupport.h"
#include "reader/VornExplorerMain.h"

namespace vorn {
namespace {

const char kLockFileName[] = ".vornexpl.lock";
// A request: this line, then each file's native path followed by a zero byte, then one more
// zero byte. Paths may hold any byte but zero, line ends included.
const QByteArray kOpenRequest = QByteArrayLiteral("vornexpl open\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
// A request larger than this is no request of ours.
constexpr qsizetype kLargestRequest = 64 << 20;

QString RuntimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return folder;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

// The folder as the system resolves it, so that every spelling of one folder (a link, "..",
// a doubled separator) gives one key.
std::string CanonicalFolder(const std::string& nativeFolder) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(nativeFolder.c_str(), nullptr),
                                                       &std::free);
  return resolved ? std::string(resolved.get()) : nativeFolder;
}

QString KeyFor(const std::string& nativeFolder) {
  QByteArray id = QByteArray::number(qulonglong(::getuid()));
  id += ':';
  const std::string canonical = CanonicalFolder(nativeFolder);
  id += QByteArray(canonical.data(), qsizetype(canonical.size()));
  return QStringLiteral("vornexpl-") +
         QString::fromLatin1(
             QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
}

// Opens the lock file without ever waiting on something that is not a regular file: for
// writing when this account may, else for reading (the lock can be tested either way). -1 with
// errno set when it cannot be opened so; ENOTSUP when something else stands there.
int OpenLockFile(const std::string& nativePath, bool& writable) {
  const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  writable = true;
  int fd = ::open(nativePath.c_str(), O_RDWR | O_CREAT | flags, 0666);
  if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
    const int denied = errno;
    writable = false;
    fd = ::open(nativePath.c_str(), O_RDONLY | flags);
    if (fd < 0 && errno == ENOENT) errno = denied;
  }
  if (fd < 0) return -1;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = ENOTSUP;
    return -1;
  }
  return fd;
}

// Every account that may write in the folder must be able to take its lock and read where its
// holder listens: the lock file gets the folder's write permissions, as read and write.
void ShareLockFileLikeFolder(int fd, const std::string& nativeFolder) {
  struct stat file, folder;
  if (::fstat(fd, &file) != 0 || file.st_uid != ::geteuid() ||
      ::stat(nativeFolder.c_str(), &folder) != 0)
    return;
  mode_t mode = 0600;
  if (folder.st_mode & S_IWGRP) mode |= 0060;
  if (folder.st_mode & S_IWOTH) mode |= 0006;
  if ((file.st_mode & 07777) != mode) ::fchmod(fd, mode);
}

std::string AccountName(const std::string& uid) {
  char* end = nullptr;
  const unsigned long number = std::strtoul(uid.c_str(), &end, 10);
  if (uid.empty() || *end != '\0') return uid;
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(uid_t(number), &entry, buffer, sizeof buffer, &found) == 0 && found)
    return FromNativePath(found->pw_name);
  return uid;
}

void BringToFront(QWidget& window) {
  if (window.isMinimized()) window.showNormal();
  window.show();
  window.raise();
  window.activateWindow();
}

// A modal dialog or a menu runs an event loop of its own over the window's data (the board
// editor over a board list, a question at the end of a run); the files wait until it has closed,
// since a drop could not reach the window meanwhile either.
void OpenWhenNothingModal(QPointer<TVornExplMain> window, std::vector<std::string> files) {
  if (!window) return;
  if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
    TVornExplMain* context = window.data();
    QTimer::singleShot(200, context, [window, files = std::move(files)]() mutable {
      OpenWhenNothingModal(window, std::move(files));
    });
    return;
  }
  window->DropFiles(files);
}

}  // namespace

bool IsSingleInstanceSwitch(const std::string& firstArgument) {
  if (firstArgument.empty() || (firstArgument[0] != '-' && firstArgument[0] != '/')) {
    return false;
  }
  for (size_t i = 1; i < firstArgument.size(); ++i) {
    if (firstArgument[i] == 'o' || firstArgument[i] == 'O')
      return firstArgument[0] == '-' || !FileExists(firstArgument);
  }
  return false;
}

std::vector<std::string> CommandLineLogFiles(const std::vector<std::string>& arguments) {
  std::vector<std::string> files;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (i == 0 && IsSingleInstanceSwitch(argument)) continue;
    if (argument.empty() || !FileExists(argument)) continue;
    files.push_back(CorePath(QFileInfo(QtPath(argument)).absoluteFilePath()));
  }
  return files;
}

TSingleInstance::TSingleInstance(std::string settingsFolder, QObject* parent)
    : QObject(parent), folder_(std::move(settingsFolder)) {}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
  // Closing the descriptor ends the lock. The file stays: removing it would let a start that
  // has it open already lock a file no longer in the folder, beside one that locks a new one.
  if (lockFd_ >= 0) ::close(lockFd_);
}

std::string TSingleInstance::LockFilePath(const std::string& settingsFolder) {
  return settingsFolder + kLockFileName;
}

TSingleInstance::Lock TSingleInstance::TryLock() {
  const std::string folder = NativePath(folder_);
  if (lockFd_ < 0) {
    lockFd_ = OpenLockFile(NativePath(LockFilePath(folder_)), lockWritable_);
    if (lockFd_ < 0) {
      // No folder, or a read-only one without a lock file: nothing can be written there, by
      // this start or any other.
      if (errno == ENOENT || errno == ENOTDIR || errno == EROFS) return Lock::Taken;
      return Refuse(errno == ENOTSUP ? "にロックファイルの代わりに別のものがあるため"
                                     : "のロックファイルを開けないため",
                    errno);
    }
    if (lockWritable_) ShareLockFileLikeFolder(lockFd_, folder);
  }
  if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK || errno == EINTR) return Lock::Held;
    return Refuse("のロックを取れないため", errno);
  }
  if (lockWritable_) return Lock::Taken;
  // Free, but where this start listens could not be written into it: a later start would find
  // the lock held and nobody to answer. Where the folder takes no writing of this account
  // either, nothing this start does can meet another: it runs without the lock.
  ::close(lockFd_);
  lockFd_ = -1;
  if (::access(folder.c_str(), W_OK) != 0) return Lock::Taken;
  return Refuse("のロックファイルに書込めないため", EACCES);
}

TSingleInstance::Lock TSingleInstance::Refuse(const char* why, int error) {
  if (lockFd_ >= 0) ::close(lockFd_);
  lockFd_ = -1;
  refusal_ = Cp932("設定フォルダ:") + folder_ + "\r" + Cp932(why) + "(" + LockFilePath(folder_) +
             ": " + FromNativePath(std::strerror(error)) + ")\r" +
             Cp932(
                 "ほかのVorn Explorerがこのフォルダを使っていないことを確かめられません\r"
                 "起動を中止します");
  return Lock::Refused;
}

void TSingleInstance::Listen() {
  const QString path =
      RuntimeFolder() + QLatin1Char('/') + KeyFor(NativePath(folder_)) + QStringLiteral(".sock");
  // The lock is ours, so a socket of that name is one a killed instance left.
  QLocalServer::removeServer(path);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) return;
  if (lockFd_ < 0) return;
  // Written only now that the socket listens, so that a later start never finds a path nobody
  // answers on while this instance runs.
  const QByteArray holder = QByteArray::number(qlonglong(::getpid())) + '\n' +
                            QByteArray::fromStdString(HostName()) + '\n' +
                            QFile::encodeName(server_->fullServerName()) + '\n' +
                            QByteArray::number(qulonglong(::geteuid())) + '\n';
  if (::ftruncate(lockFd_, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(lockFd_, holder.data(), holder.size(), 0);
  }
}

TSingleInstance::Holder TSingleInstance::ReadHolder() const {
  Holder holder;
  if (lockFd_ < 0) return holder;
  char buffer[8192];
  const ssize_t n = ::pread(lockFd_, buffer, sizeof buffer, 0);
  if (n <= 0) return holder;
  const QList<QByteArray> lines = QByteArray(buffer, n).split('\n');
  // Three lines, each ended: anything less is a holder still writing them.
  if (lines.size() < 4 || lines[0].isEmpty() || lines[2].isEmpty()) return holder;
  holder.Pid = lines[0].toStdString();
  holder.Host = lines[1].toStdString();
  holder.Socket = lines[2].toStdString();
  // Written by holders that tell their account.
  if (lines.size() >= 5) holder.Uid = lines[3].toStdString();
  return holder;
}

TSingleInstance::Outcome TSingleInstance::Start(const std::vector<std::string>& files, int waitMs) {
  refusal_.clear();
  const QDeadlineTimer deadline(waitMs);
  std::string lastPid;
  for (;;) {
    switch (TryLock()) {
      case Lock::Taken:
        Listen();
        return Outcome::Owner;
      case Lock::Refused:
        return Outcome::Refused;
      case Lock::Held:
        break;
    }
    const Holder holder = ReadHolder();
    if (!holder.Socket.empty()) {
      lastPid = holder.Pid;
      if (holder.Host != HostName()) {
        refusal_ = Cp932("設定フォルダ:") + folder_ + "\r" + Cp932("は別のコンピュータ(") +
                   FromNativePath(holder.Host) +
                   Cp932(
                       ")で動いているVorn Explorerが使用中です\r"
                       "同じ設定フォルダで二つ目は起動出来ません");
        return Outcome::Refused;
      }
      const bool otherAccount = !holder.Uid.empty() && holder.Uid != std::to_string(::geteuid());
      const int left = int(std::max<qint64>(deadline.remainingTime(), 0));
      const Handing handing =
          otherAccount
              ? Handing::NoAccess
              : HandTo(QFile::decodeName(QByteArray::fromStdString(holder.Socket)), files, left);
      switch (handing) {
        case Handing::Done:
          return Outcome::HandedOver;
        case Handing::NoAccess:
          // Another account's window takes no files from this one.
          refusal_ = Cp932("設定フォルダ:") + folder_ + "\r" + Cp932("はほかのユーザー(") +
                     (holder.Uid.empty() ? std::string("?") : AccountName(holder.Uid)) +
                     Cp932(")が動かしているVorn Explorer(プロセス ") + holder.Pid +
                     Cp932(")が使用中です\r同じ設定フォルダで二つ目は起動出来ません");
          return Outcome::Refused;
        case Handing::NoAnswer:
          break;
        case Handing::NoConnection:
          // The holder may just have ended: the lock is tried again.
          if (!deadline.hasExpired()) {
            QThread::msleep(100);
            continue;
          }
          break;
      }
      break;
    }
    if (deadline.hasExpired()) break;
    // The holder has the lock but has not written where it listens yet: it is still starting.
    QThread::msleep(100);
  }
  refusal_ = Cp932("設定フォルダ:") + folder_ + "\r" + Cp932("は動いているVorn Explorer") +
             (lastPid.empty() ? std::string() : Cp932("(プロセス ") + lastPid + ")") +
             Cp932("が使用中ですが、応答がありません\r同じ設定フォルダで二つ目は起動出来ません");
  return Outcome::Refused;
}

TSingleInstance::Handing TSingleInstance::HandTo(const QString& socketPath,
                                                 const std::vector<std::string>& files,
                                                 int waitMs) {
  const QDeadlineTimer deadline(waitMs);
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(int(deadline.remainingTime()))) {
    // Another account's socket, in a folder of that account's.
    if (socket.error() == QLocalSocket::SocketAccessError) return Handing::NoAccess;
    return Handing::NoConnection;
  }
  QByteArray request = kOpenRequest;
  for (const std::string& file : files) {
    request += QByteArray::fromStdString(NativePath(file));
    request += '\0';
  }
  request += '\0';
  socket.write(request);
  QByteArray answer;
  while (!answer.endsWith('\n')) {
    if (socket.bytesToWrite() > 0) {
      socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 0)));
    }
    if (socket.bytesAvailable() == 0 &&
        !socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 0)))) {
      // Hung up without an answer: the holder ended meanwhile, so the lock is free again.
      if (socket.state() != QLocalSocket::ConnectedState) return Handing::NoConnection;
      return Handing::NoAnswer;
    }
    answer += socket.readAll();
  }
  return answer == kAnswer ? Handing::Done : Handing::NoAnswer;
}

void TSingleInstance::Serve() {
  if (!server_ || serving_) return;
  serving_ = true;
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnConnection);
  // Starts made while the window was being built have waited in the queue.
  OnConnection();
}

void TSingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnRequestData(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->bytesAvailable() > 0) OnRequestData(socket);
  }
}

void TSingleInstance::OnRequestData(QLocalSocket* socket) {
  // The request gathers in the socket's own buffer until it is whole.
  const QByteArray data = socket->peek(socket->bytesAvailable());
  if (data.size() > kLargestRequest ||
      !(data.startsWith(kOpenRequest) || kOpenRequest.startsWith(data))) {
    socket->abort();
    return;
  }
  std::vector<std::string> files;
  qsizetype at = kOpenRequest.size();
  for (;;) {
    const qsizetype end = data.indexOf('\0', at);
    if (end < 0) return;
    if (end == at) break;
    files.push_back(FromNativePath(std::string_view(data.constData() + at, size_t(end - at))));
    at = end + 1;
  }
  socket->readAll();
  socket->write(kAnswer);
  socket->flush();
  socket->disconnectFromServer();
  emit OtherStart(files);
}

void ReceiveOtherStarts(TSingleInstance& instance, TVornExplMain& window) {
  QPointer<TVornExplMain> guarded(&window);
  QObject::connect(&instance, &TSingleInstance::OtherStart, &window,
                   [guarded](const std::vector<std::string>& files) {
                     if (!guarded) return;
                     BringToFront(*guarded);
                     if (files.empty()) return;
                     // Loading runs its own message boxes: not inside the socket's handler.
                     QTimer::singleShot(0, guarded.data(),
                                        [guarded, files] { OpenWhenNothingModal(guarded, files); });
                   });
  instance.Serve();
}

}  // namespace vorn
