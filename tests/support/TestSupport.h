#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "platform/Cp932.h"

namespace vorn::test {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes. Tests write only here.
class TempDir {
 public:
  TempDir();
  // A folder made by someone else (another process of the test), used and left in place.
  explicit TempDir(std::string existing) : path_(std::move(existing)), owned_(false) {}
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of a file inside the folder.
  std::string File(std::string_view name) const;

 private:
  std::string path_;
  bool owned_ = true;
};

// Writes bytes to a file (not atomically: tests set up their inputs with this). Fails the test
// when it cannot.
void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

// The address space the process has mapped (bytes), for tests that limit it a little above this
// to make memory run out for real.
uint64_t AddressSpaceInUse();

// CP932 bytes of a UTF-8 literal, for readable test data.
inline std::string J(std::string_view utf8) {
  return Utf8ToCp932(utf8);
}

// The source tree (for samples/ and expected files).
std::string SourceDir();

// The threads an analysis runs on in this run of the tests: suites of the analysers and the
// loader are run a second time with VORN_TEST_ANALYSIS_THREADS=2 (the log walked on one
// thread, what it finds stored on another), and every case must come out the same.
int32_t TestAnalysisThreads();

// Copies the sample settings folder into the folder as `name`, and the named sample logs beside
// it, so that a test may let the program write its settings and the repository stays untouched.
// The copied settings folder, with a closing slash.
std::string CopySamples(const TempDir& dir, std::initializer_list<std::string_view> logs,
                        std::string_view name = "settings");

}  // namespace vorn::test
