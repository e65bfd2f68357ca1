#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vorn::fuzz {

void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: broken property: %s\n", file, line, what);
  std::fflush(stderr);
  std::abort();
}

namespace {

void RemoveScratchFolder() {
  std::error_code ec;
  std::filesystem::remove_all(ScratchFolder(), ec);
}

}  // namespace

const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vornfuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
      std::perror("vornfuzz: mkdtemp");
      std::abort();
    }
    return pattern + "/";
  }();
  static const bool registered = std::atexit(RemoveScratchFolder) == 0;
  (void)registered;
  return folder;
}

std::string ScratchFile(std::string_view name) {
  return ScratchFolder() + std::string(name);
}

void WriteScratch(const std::string& path, std::string_view bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    std::abort();
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    std::perror(path.c_str());
    std::abort();
  }
  std::fclose(f);
}

std::string ReadScratch(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void RemoveScratch(const std::string& path) {
  std::remove(path.c_str());
}

std::vector<std::string_view> SplitAtNul(std::string_view text) {
  std::vector<std::string_view> pieces;
  while (true) {
    const size_t nul = text.find('\0');
    pieces.push_back(text.substr(0, nul));
    if (nul == std::string_view::npos) break;
    text.remove_prefix(nul + 1);
  }
  return pieces;
}

void UseReadingUi() {
  static ReadingUi ui;
  static const bool installed = (SetUiServices(&ui), true);
  (void)installed;
}

}  // namespace vorn::fuzz
