#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::puts("vornexpl-cli 1.20");
    return 0;
  }
  std::fputs("usage: vornexpl-cli [--settings-dir DIR] [--prefix P] boards|articles|show|stats FILE...\n",
             stderr);
  return 2;
}
