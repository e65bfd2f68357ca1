#pragma once

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace vorn::test {

// A real external editor for the tests: a small shell script that edits the file it is given as
// a person would. Its first argument names the action, its second a data file prepared by the
// test (CP932 bytes, CR LF line ends); the file to edit comes last, as the program passes it.
//   replace   the file's content becomes the data
//   append    the data is added at the end
//   twice     the data with "FIRST" appended is saved, then at once the data alone
//   quit      the editor ends without saving
//   touch     saved without any change
//   sametime  the data is saved and the file's old modification time put back, as on a file
//             system whose time grain hides quick saves
//   waitfor   waits until the file <data>.go exists, then replaces with the data
//   keepopen  replaces with the data, then stays open until the file <data>.go exists
// The waiting ones also end when their data file is gone, so none outlives its test. Every run
// leaves the file <data>.ran, so a test can tell that the editor was started.
class FakeEditor {
 public:
  explicit FakeEditor(const TempDir& dir) : dir_(dir), script_(dir.File("fake-editor.sh")) {
    WriteBytes(script_, R"(#!/bin/sh
action=$1
data=$2
eval "file=\${$#}"
: > "$data.ran"
case $action in
  replace) cat "$data" > "$file" ;;
  append) cat "$data" >> "$file" ;;
  twice) { cat "$data"; printf 'FIRST\r\n'; } > "$file"; cat "$data" > "$file" ;;
  quit) ;;
  touch) sleep 0.01; touch "$file" ;;
  sametime) cp -p "$file" "$file.stamp"; cat "$data" > "$file"; touch -r "$file.stamp" "$file";
            rm -f "$file.stamp" ;;
  waitfor) while [ ! -e "$data.go" ] && [ -e "$data" ]; do sleep 0.02; done;
           cat "$data" > "$file" ;;
  keepopen) cat "$data" > "$file";
            while [ ! -e "$data.go" ] && [ -e "$data" ]; do sleep 0.02; done ;;
  *) exit 3 ;;
esac
)");
    std::filesystem::permissions(script_, std::filesystem::perms::owner_all);
  }

  // The editor command for an action; data is the text the editor puts in (CP932, lines joined
  // by CR LF by the caller). Each command gets a data file of its own.
  std::string Command(const std::string& action, const std::string& data = std::string()) {
    const std::string dataFile = dir_.File("editor-data-" + std::to_string(++count_) + ".txt");
    WriteBytes(dataFile, data);
    lastData_ = dataFile;
    return script_ + " " + action + " " + dataFile;
  }
  // Lets a waiting editor (waitfor, keepopen) with this data file go on.
  static void Release(const std::string& dataFile) { WriteBytes(dataFile + ".go", ""); }
  const std::string& LastDataFile() const { return lastData_; }

 private:
  const TempDir& dir_;
  std::string script_;
  std::string lastData_;
  int count_ = 0;
};

// Lines joined with CR LF after each, as a saved text file holds them.
inline std::string CrLf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\r\n";
  return text;
}

}  // namespace vorn::test
