#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/TextFile.h"
#include "support/PointerEntries.h"

namespace vorn::test {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/vorntest-XXXXXX";
  char* made = ::mkdtemp(tmpl.data());
  if (!made) ADD_FAILURE() << "cannot create a temporary folder";
  path_ = tmpl;
}

TempDir::~TempDir() {
  if (!owned_) return;
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::multiset<std::string>> PointerEntries(const std::string& path) {
  std::vector<std::string> lines;
  ReadClassicTextFile(path, lines);
  std::map<std::string, std::multiset<std::string>> entries;
  std::string board;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].starts_with("\\")) {
      board = lines[i];
    } else {
      entries[board].insert(lines[i]);
    }
  }
  return entries;
}

uint64_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

int32_t TestAnalysisThreads() {
  const char* threads = std::getenv("VORN_TEST_ANALYSIS_THREADS");
  return threads ? std::atoi(threads) : 1;
}

std::string SourceDir() {
  return VORN_SOURCE_DIR;
}

std::string CopySamples(const TempDir& dir, std::initializer_list<std::string_view> logs,
                        std::string_view name) {
  namespace fs = std::filesystem;
  const fs::path samples = fs::path(SourceDir()) / "samples";
  const std::string settings = dir.Path() + "/" + std::string(name) + "/";
  fs::copy(samples / "settings", settings, fs::copy_options::recursive);
  for (std::string_view log : logs)
    fs::copy_file(samples / log, dir.File(log));
  return settings;
}

}  // namespace vorn::test
