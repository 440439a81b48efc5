#include "common/portable_number_text.hpp"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace velmora {
namespace {

// The C library's way must give std::to_chars's bytes, which the program's outputs are made of, on
// values of every kind: whole numbers, decimals, the smallest and largest, and random bit patterns.
std::vector<double> values() {
  std::vector<double> out = {0.0,      -0.0,     1.0,        -1.0,     0.5,     2026.9,   1e9,
                             1e21,     1e22,     123456789,  0.0001,   1e-5,    1.5e-7,   -33.85678,
                             151.2153, 0.1 + 0.2, 5e-324,    2.2250738585072014e-308,
                             std::numeric_limits<double>::max(), 9007199254740993.0, 100.0, 1e-300,
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  std::uint64_t state = 42;
  for (int k = 0; k < 20000; ++k) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    double value = 0.0;
    std::memcpy(&value, &state, sizeof value);
    if (std::isfinite(value)) out.push_back(value);
    out.push_back(static_cast<double>(state >> 20) / 1048576.0 - 8.0e6);  // coordinates with fractions
  }
  return out;
}

TEST(PortableNumberText, WritesTheBytesOfToChars) {
  for (const double value : values()) {
    std::array<char, 400> expected{};
    const auto shortest = std::to_chars(expected.data(), expected.data() + expected.size(), value);
    EXPECT_EQ(shortestTextByPrintf(value), std::string(expected.data(), shortest.ptr)) << value;
    for (const int decimals : {0, 3, 8, 12}) {
      if (std::fabs(value) > 1e30) continue;
      const auto fixedEnd =
          std::to_chars(expected.data(), expected.data() + expected.size(), value, std::chars_format::fixed, decimals);
      std::array<char, 400> ours{};
      char* end = writeFixedByPrintf(ours.data(), ours.data() + ours.size(), value, decimals);
      ASSERT_NE(end, nullptr);
      EXPECT_EQ(std::string(ours.data(), end), std::string(expected.data(), fixedEnd.ptr)) << value << " " << decimals;
    }
  }
  std::array<char, 4> small{};
  EXPECT_EQ(writeFixedByPrintf(small.data(), small.data() + small.size(), 151.2, 3), nullptr);  // no room
}

// Floats (the node values of text grids) have shortest digits of their own, fewer than the double's.
TEST(PortableNumberText, WritesTheBytesOfToCharsForFloats) {
  for (const double wide : values()) {
    const float value = static_cast<float>(wide);
    std::array<char, 64> expected{};
    const auto shortest = std::to_chars(expected.data(), expected.data() + expected.size(), value);
    EXPECT_EQ(shortestTextByPrintf(value), std::string(expected.data(), shortest.ptr)) << value;
  }
}

}  // namespace
}  // namespace velmora
