#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  // What the program keeps between runs (the analysis cache) goes to a folder of this run's
  // own, never into the user's, and goes with the run.
  char folder[] = "/tmp/vorntest-cache-XXXXXX";
  const bool own = ::mkdtemp(folder) != nullptr;
  if (own) ::setenv("XDG_CACHE_HOME", folder, 1);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  if (own) std::filesystem::remove_all(folder, ec);
  return result;
}
