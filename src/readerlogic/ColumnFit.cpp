#include "readerlogic/ColumnFit.h"

#include <algorithm>

namespace vorn {

std::vector<int32_t> FitColumns(const std::vector<ColumnWant>& columns, size_t stretch,
                                int32_t available) {
  std::vector<int32_t> widths(columns.size());
  if (columns.empty()) return widths;
  if (stretch >= columns.size()) stretch = columns.size() - 1;
  int64_t preferred = 0;  // of the columns other than the stretch column
  int64_t surplus = 0;    // what they hold above their minimum
  for (size_t i = 0; i < columns.size(); ++i) {
    const int32_t minimum = std::max<int32_t>(columns[i].Minimum, 1);
    const int32_t want = std::max(columns[i].Preferred, minimum);
    widths[i] = want;
    if (i == stretch) continue;
    preferred += want;
    surplus += want - minimum;
  }
  const int32_t stretchMinimum = std::max<int32_t>(columns[stretch].Minimum, 1);
  const int64_t shortBy = preferred + stretchMinimum - available;
  if (shortBy > 0) {
    // Each gives up its share of what is missing; the rounding goes to the first ones.
    const int64_t given = std::min(shortBy, surplus);
    int64_t left = given;
    for (size_t i = 0; i < columns.size() && surplus > 0; ++i) {
      if (i == stretch) continue;
      const int32_t minimum = std::max<int32_t>(columns[i].Minimum, 1);
      const int64_t part = (int64_t(widths[i]) - minimum) * given / surplus;
      widths[i] -= static_cast<int32_t>(part);
      left -= part;
    }
    for (size_t i = 0; i < columns.size() && left > 0; ++i) {
      const int32_t minimum = std::max<int32_t>(columns[i].Minimum, 1);
      if (i == stretch || widths[i] <= minimum) continue;
      --widths[i];
      --left;
    }
    preferred -= given;
  }
  widths[stretch] = static_cast<int32_t>(std::max<int64_t>(stretchMinimum, available - preferred));
  return widths;
}

}  // namespace vorn
