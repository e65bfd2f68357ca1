#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorn {

// What a column of a list asks for: the width the user gave it (or its default), and the
// least width at which its content still reads.
struct ColumnWant {
  int32_t Preferred = 0;
  int32_t Minimum = 0;
};

// The widths of a list's columns in a view of the given width. The stretch column takes
// what the others leave, and at least its minimum. When the room is short the other columns
// give up what they have above their minimum, in proportion to it, so that a narrow view
// (the grid beside the article) still shows the stretch column's text; only when the minimums
// alone do not fit does every column get its minimum and the view scroll sideways.
std::vector<int32_t> FitColumns(const std::vector<ColumnWant>& columns, size_t stretch,
                                int32_t available);

}  // namespace vorn
