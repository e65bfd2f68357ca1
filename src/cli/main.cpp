#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vorn::RunCli(std::move(args), stdout, stderr, true);
}
