// Writes a generated NetVorn-family capture for the comparison scripts of this folder.
//
//   generate_netvorn_log LINES FILE [SEED]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/NetVornLogGenerator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: generate_netvorn_log LINES FILE [SEED]\n", stderr);
    return 2;
  }
  const long long lines = std::atoll(argv[1]);
  const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 7;
  if (lines <= 0) {
    std::fputs("generate_netvorn_log: LINES must be a positive number\n", stderr);
    return 2;
  }
  const std::string log = vorn::bench::NetVornLogGenerator(seed).Generate(lines);
  std::FILE* out = std::fopen(argv[2], "wb");
  if (!out || std::fwrite(log.data(), 1, log.size(), out) != log.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "generate_netvorn_log: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
