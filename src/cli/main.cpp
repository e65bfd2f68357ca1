#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("vornexpl-cli 1.20");
    return 0;
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  return vorn::RunCli(std::move(args), stdout, stderr);
}
