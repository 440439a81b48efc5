// Splitting of coordinate tokens and input lines into fields.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace velmora {

// The first N non-empty runs of characters other than separator, in order; runs of separators count
// as one and leading ones are skipped. Returns how many were found (at most N); the last field keeps
// whatever follows it up to the next separator, a line's newline included.
template <std::size_t N>
std::size_t splitFields(std::string_view text, char separator, std::array<std::string_view, N>& fields) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (count < N) {
    pos = text.find_first_not_of(separator, pos);
    if (pos == std::string_view::npos) break;
    std::size_t end = text.find(separator, pos);
    if (end == std::string_view::npos) end = text.size();
    fields[count++] = text.substr(pos, end - pos);
    pos = end;
  }
  return count;
}

}  // namespace velmora
