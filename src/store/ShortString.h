#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace vorn {

// A fixed-capacity byte string inside a record: a length byte and up to N bytes of CP932 text.
// A longer value is cut to its first N bytes, even inside a double-byte character, because the
// stored files and the screens were laid out for that capacity. Records holding it are copied
// byte for byte, so it must stay trivially copyable.
template <std::size_t N>
struct ShortString {
  static_assert(N >= 1 && N <= 255, "the length is one byte");
  uint8_t Length;
  char Bytes[N];

  void Assign(std::string_view text) {
    std::size_t n = text.size() < N ? text.size() : N;
    if (n) std::memcpy(Bytes, text.data(), n);
    Length = static_cast<uint8_t>(n);
  }
  std::string_view View() const { return std::string_view(Bytes, Length > N ? N : Length); }
  std::string Str() const { return std::string(View()); }
  bool Empty() const { return Length == 0; }
};

}  // namespace vorn
