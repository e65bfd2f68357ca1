// Feeds files through a harness's entry function without libFuzzer: every file named, and every
// file of every folder named (in name order). Fails when no input was found at all, so that a
// moved corpus folder does not pass unnoticed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"

namespace {

bool RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A crash or a broken property ends the process here; the name tells which input it was.
  std::fprintf(stderr, "input %s (%zu bytes)\n", path.c_str(), bytes.size());
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int inputs = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const auto& file : files) {
        ok = RunFile(file) && ok;
        ++inputs;
      }
    } else if (std::filesystem::exists(arg, ec)) {
      ok = RunFile(arg) && ok;
      ++inputs;
    }
    // A folder that does not exist holds no regressions yet.
  }
  std::printf("%d inputs\n", inputs);
  if (inputs == 0) {
    std::fprintf(stderr, "no inputs found\n");
    return 1;
  }
  return ok ? 0 : 1;
}
