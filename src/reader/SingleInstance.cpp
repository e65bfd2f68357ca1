#include "reader/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace vorn {
namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");

QString RuntimeFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  return folder;
}

}  // namespace

bool IsSingleInstanceSwitch(const std::string& firstArgument) {
  if (firstArgument.empty() || (firstArgument[0] != '-' && firstArgument[0] != '/')) {
    return false;
  }
  for (size_t i = 1; i < firstArgument.size(); ++i) {
    if (firstArgument[i] == 'o' || firstArgument[i] == 'O') return true;
  }
  return false;
}

TSingleInstance::TSingleInstance(const QString& key, QObject* parent)
    : QObject(parent), key_(key) {}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
}

QString TSingleInstance::KeyForFolder(const std::string& settingsFolder) {
  QByteArray id = QByteArray::number(qulonglong(::getuid()));
  id += ':';
  id += QByteArray(settingsFolder.data(), qsizetype(settingsFolder.size()));
  const QByteArray hash = QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16);
  return QStringLiteral("hVornExplorer-") + QString::fromLatin1(hash);
}

bool TSingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(RuntimeFolder() + QLatin1Char('/') + key_ +
                                      QStringLiteral(".lock"));
  // A lock left by an instance that crashed is taken over because its process is gone; the age
  // of the lock must not count, since the first instance may run for days.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  // The lock is ours, so a socket of the same name is a leftover.
  QLocalServer::removeServer(key_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::OnConnection);
  server_->listen(key_);
  return true;
}

bool TSingleInstance::ActivateRunning(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(key_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kActivate);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // Wait until the running instance has read the request and hung up.
  socket.waitForDisconnected(timeoutMs);
  return true;
}

void TSingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->canReadLine() && socket->readLine() == kActivate) {
        emit ActivationRequested();
        socket->disconnectFromServer();
      }
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
  }
}

}  // namespace vorn
