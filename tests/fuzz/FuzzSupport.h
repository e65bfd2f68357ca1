#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UiServices.h"

// Shared pieces of the fuzz harnesses. Every harness defines LLVMFuzzerTestOneInput; the same
// source is linked either with libFuzzer (a clang build with VORN_FUZZ) or with the regression
// runner, which feeds the committed seeds and crash inputs through it under `make test`.

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace vorn::fuzz {

// Stops the process with a message when a property every input must keep is broken, so that
// libFuzzer keeps the input and the regression runner fails.
[[noreturn]] void Fail(const char* file, int line, const char* what);
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::vorn::fuzz::Fail(__FILE__, __LINE__, #condition))

// A folder of this process under the system's temporary folder (TMPDIR), removed at exit. The
// readers under test take paths, so inputs are handed to them as files here.
const std::string& ScratchFolder();
std::string ScratchFile(std::string_view name);
void WriteScratch(const std::string& path, std::string_view bytes);
std::string ReadScratch(const std::string& path);
void RemoveScratch(const std::string& path);

inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Pieces between NUL bytes; the NUL bytes themselves are dropped.
std::vector<std::string_view> SplitAtNul(std::string_view text);

// Answers every question the way that makes the readers do the most: Yes to reading an
// existing UP or PAD file, No to everything else. Messages are dropped.
class ReadingUi final : public UiServices {
 public:
  void Warning(const std::string&) override { ++warnings; }
  void Information(const std::string&) override {}
  bool ConfirmYesNo(const std::string&) override { return false; }
  UiAnswer ConfirmYesNoCancel(const std::string&) override { return UiAnswer::No; }
  UiAnswer AskLoadCheck(const std::string&) override { return UiAnswer::Yes; }
  void ProcessMessages() override {}

  int warnings = 0;
};

// Installs a ReadingUi for the life of the process (harnesses are single-threaded).
void UseReadingUi();

}  // namespace vorn::fuzz
