#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace vorn {

class TVornExplMain;

// The single-instance switch: a first argument that begins with "-" or "/" and holds the letter
// o (any case) after its first character ("-o", "/O", "-xo"). One that begins with "/" and names
// an existing file is that file (an absolute path such as "/home/me/NET1.LOG").
bool IsSingleInstanceSwitch(const std::string& firstArgument);

// The log files of a command line (CP932, without the program's name and the settings-folder
// option): the names of existing files as absolute paths, in their order. A first argument that
// is the single-instance switch is no file.
std::vector<std::string> CommandLineLogFiles(const std::vector<std::string>& arguments);

// One writer per settings folder. Two windows on one folder would write the UP file, the read
// pointers and the editor's temporary file over each other, so the instance that starts first
// on a folder holds an exclusive lock on a file in it (the kernel drops the lock when the
// process ends, however it ends: a killed window never blocks the next start) and listens on a
// local socket whose path it writes into that file. A later start on the folder hands its log
// files to that instance, which comes to the front, and ends; where that cannot be done (the
// window runs on another computer or for another account) it is told why and ends as well.
// The lock is always the folder's own file, readable and writable by every account that may
// write in the folder: a start that can neither take nor test it refuses, naming the folder,
// since any other lock would be one the first writer cannot see.
class TSingleInstance final : public QObject {
  Q_OBJECT
 public:
  enum class Outcome {
    Owner,       // this process holds the folder and runs the window
    HandedOver,  // the running instance took the files; this process ends
    Refused,     // the folder is held by a window this start cannot reach, or its lock can be
                 // neither taken nor tested (Refusal says why)
  };

  // settingsFolder: CP932 with its separator at the end, as SettingsFolder gives it.
  explicit TSingleInstance(std::string settingsFolder, QObject* parent = nullptr);
  ~TSingleInstance() override;
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // Takes the folder when no running instance holds it; otherwise hands files (CP932, absolute)
  // to the one that does. waitMs bounds the wait for that instance to answer; an instance that
  // is just starting answers once its window is made.
  Outcome Start(const std::vector<std::string>& files, int waitMs = 15000);
  // After Refused, what the user is told (CP932, lines separated by "\r").
  const std::string& Refusal() const { return refusal_; }

  // Starts answering later starts, with OtherStart; those made before wait until now.
  void Serve();

  // The file whose lock marks the folder as taken.
  static std::string LockFilePath(const std::string& settingsFolder);

 signals:
  // Another start on the folder handed these files (CP932, absolute; maybe none) and asks the
  // window to come to the front.
  void OtherStart(const std::vector<std::string>& files);

 private:
  enum class Handing { Done, NoConnection, NoAnswer, NoAccess };
  enum class Lock { Taken, Held, Refused };
  struct Holder {
    std::string Pid, Host, Socket;  // empty while the holder has not written them yet
    std::string Uid;                // the holder's account, where it tells it
  };

  Lock TryLock();
  // Refused, telling why (CP932 text that follows the folder's name) and the system's error.
  Lock Refuse(const char* why, int error);
  void Listen();
  Holder ReadHolder() const;
  Handing HandTo(const QString& socketPath, const std::vector<std::string>& files, int waitMs);
  void OnConnection();
  void OnRequestData(QLocalSocket* socket);

  std::string folder_;
  int lockFd_ = -1;
  bool lockWritable_ = false;
  QLocalServer* server_ = nullptr;
  bool serving_ = false;
  std::string refusal_;
};

// Another start on the window's settings folder brings the window to the front and opens its
// files as dropped ones; while a modal dialog or a menu is open, after it closes.
void ReceiveOtherStarts(TSingleInstance& instance, TVornExplMain& window);

}  // namespace vorn
