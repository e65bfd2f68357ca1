#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QLocalServer;
class QLockFile;

namespace vorn {

// The single-instance switch: a first argument that begins with "-" or "/" and holds the letter
// o (any case) after its first character ("-o", "/O", "-xo").
bool IsSingleInstanceSwitch(const std::string& firstArgument);

// One running instance per settings folder. The first instance holds a lock and listens on a
// local socket; a later one started with the switch asks it to come to the front and ends.
class TSingleInstance final : public QObject {
  Q_OBJECT
 public:
  // key names the instance (see KeyForFolder).
  explicit TSingleInstance(const QString& key, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // The key of the instances that use one settings folder.
  static QString KeyForFolder(const std::string& settingsFolder);

  // Takes the lock and starts listening. False when another instance holds it.
  bool Acquire();
  // Asks the instance that holds the lock to come to the front. False when none answered.
  bool ActivateRunning(int timeoutMs = 2000);

 signals:
  // Another instance asked this one to come to the front.
  void ActivationRequested();

 private:
  void OnConnection();

  QString key_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace vorn
