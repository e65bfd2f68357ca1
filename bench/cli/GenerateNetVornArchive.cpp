// Writes an archive of daily NetVorn-family captures for archive_stats.sh and archive_scale.sh:
// FILES files named NETyyyymmdd.LOG for consecutive days from 1 January 1998, about BYTES bytes
// in all. The captures continue one another (article numbers go on from day to day, every
// article is dated on its file's day), as a member's years of logs do. --short-lines writes
// bodies of short lines (about 19 bytes a line instead of about 29), as real captures hold.
//
//   generate_netvorn_archive [--short-lines] FOLDER FILES BYTES [SEED]

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/NetVornArchive.h"

int main(int argc, char** argv) {
  bool shortLines = false;
  if (argc > 1 && std::strcmp(argv[1], "--short-lines") == 0) {
    shortLines = true;
    --argc;
    ++argv;
  }
  if (argc < 4) {
    std::fputs("usage: generate_netvorn_archive [--short-lines] FOLDER FILES BYTES [SEED]\n",
               stderr);
    return 2;
  }
  const std::string folder = argv[1];
  const long long files = std::atoll(argv[2]);
  const long long bytes = std::atoll(argv[3]);
  const unsigned seed = argc > 4 ? static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)) : 7;
  if (files <= 0 || bytes <= 0) {
    std::fputs("generate_netvorn_archive: FILES and BYTES must be positive numbers\n", stderr);
    return 2;
  }
  std::string failed;
  if (vorn::bench::WriteNetVornArchive(folder, files, bytes, seed, &failed, shortLines).empty()) {
    std::fprintf(stderr, "generate_netvorn_archive: cannot write %s\n", failed.c_str());
    return 1;
  }
  return 0;
}
