// Writes an archive of daily NetVorn-family captures for archive_stats.sh: FILES files named
// NETyyyymmdd.LOG for consecutive days from 1 January 1998, about BYTES bytes in all. The
// captures continue one another (article numbers go on from day to day, every article is dated
// on its file's day), as a member's years of logs do.
//
//   generate_netvorn_archive FOLDER FILES BYTES [SEED]

#include <cstdio>
#include <cstdlib>
#include <string>

#include "analysis/NetVornLogGenerator.h"

namespace {

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: generate_netvorn_archive FOLDER FILES BYTES [SEED]\n", stderr);
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
  vorn::bench::NetVornLogGenerator generator(seed);
  int year = 1998, month = 1, day = 1;
  for (long long f = 0; f < files; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "/NET%04d%02d%02d.LOG", year, month, day);
    const std::string path = folder + name;
    const std::string log = generator.GenerateDay(bytes / files, year, month, day);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(log.data(), 1, log.size(), out) != log.size() ||
        std::fclose(out) != 0) {
      std::fprintf(stderr, "generate_netvorn_archive: cannot write %s\n", path.c_str());
      return 1;
    }
    if (++day > DaysIn(year, month)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  return 0;
}
