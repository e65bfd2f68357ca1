#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/NetVornLogGenerator.h"

namespace vorn::bench {

// An archive of daily NetVorn-family captures: `files` files named NETyyyymmdd.LOG for
// consecutive days from 1 January 1998 in `folder`, about `bytes` bytes in all. The captures
// continue one another (article numbers go on from day to day, every article is dated on its
// file's day), as a member's years of logs do. Returns the paths written, in order; empty when a
// file could not be written (the path is in `failed`). shortLines: bodies of short lines (see
// NetVornLogGenerator::SetShortLines).
inline std::vector<std::string> WriteNetVornArchive(const std::string& folder, int64_t files,
                                                    int64_t bytes, uint32_t seed,
                                                    std::string* failed = nullptr,
                                                    bool shortLines = false) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  auto daysIn = [](int year, int month) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
  };
  NetVornLogGenerator generator(seed);
  generator.SetShortLines(shortLines);
  std::vector<std::string> paths;
  int year = 1998, month = 1, day = 1;
  for (int64_t f = 0; f < files; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "/NET%04d%02d%02d.LOG", year, month, day);
    const std::string path = folder + name;
    const std::string log = generator.GenerateDay(bytes / files, year, month, day);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out && std::fwrite(log.data(), 1, log.size(), out) == log.size();
    if ((out && std::fclose(out) != 0) || !written) {
      if (failed) *failed = path;
      return {};
    }
    paths.push_back(path);
    if (++day > daysIn(year, month)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  return paths;
}

}  // namespace vorn::bench
