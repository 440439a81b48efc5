#include "gridfile/grid_keys.hpp"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace std::string_literals;

TEST(NormaliseGridKey, NameAndTypeModes) {
  struct Case {
    std::string raw;
    KeyMode mode;
    std::string expected;
    std::uint32_t defects;
  };
  // clang-format off
  const Case cases[] = {
      {"NONE    ", KeyMode::kName, "NONE    ", 0},
      {"CHENyx06", KeyMode::kName, "CHENyx06", 0},           // lower case kept in names
      {"a-b.c/9~", KeyMode::kName, "a-b.c/9~", 0},           // punctuation kept in names
      {"AB\0\0\0\0\0\0"s, KeyMode::kName, "AB      ", 0x01},   // zero bytes end the field
      {"AB\tCDEFG", KeyMode::kName, "AB      ", 0x01},         // a control byte ends it
      {"AB\xC3\x9C" "CDEF", KeyMode::kName, "AB      ", 0x01}, // so does a byte above 0x7F
      {"AB\x7F" "CDEFG", KeyMode::kName, "AB\x7F" "CDEFG", 0},  // DEL is not above 0x7F
      {"XY", KeyMode::kName, "XY      ", 0},                   // short text values are padded
      {"LONGNAME9", KeyMode::kName, "LONGNAME", 0},            // only 8 bytes are looked at
      {"seconds ", KeyMode::kType, "SECONDS ", 0x02},
      {"SEC_ONDS", KeyMode::kType, "SEC_ONDS", 0},
      {"SECONDS1", KeyMode::kType, "SECONDS ", 0x04},          // a digit ends a type
      {"de-grees", KeyMode::kType, "DE      ", 0x02 | 0x04},
      {"SEC\0\0\0\0\0"s, KeyMode::kType, "SEC     ", 0x01},
  };
  // clang-format on
  for (const Case& c : cases) {
    std::uint32_t defects = 0;
    EXPECT_EQ(normaliseGridKey(c.raw, c.mode, defects), c.expected) << c.raw;
    EXPECT_EQ(defects, c.defects) << c.raw;
  }
}

TEST(SetGridUnit, StoredFactorsOfTheThreeUnits) {
  GridFile grid;
  ASSERT_TRUE(setGridUnit(grid, "SECONDS "));
  EXPECT_EQ(grid.toDegrees(), 0.0002777777777777778);
  EXPECT_EQ(grid.toSeconds(), 1.0);
  ASSERT_TRUE(setGridUnit(grid, "MINUTES "));
  EXPECT_EQ(grid.toDegrees(), 0.016666666666666666);
  EXPECT_EQ(grid.toSeconds(), 60.0);
  ASSERT_TRUE(setGridUnit(grid, "DEGREES "));
  EXPECT_EQ(grid.toDegrees(), 1.0);
  EXPECT_EQ(grid.toSeconds(), 3600.0);
  EXPECT_EQ(grid.gsType(), "DEGREES ");
  EXPECT_FALSE(setGridUnit(grid, "SECONDS"));  // unpadded: compared on all 8 characters
  EXPECT_FALSE(setGridUnit(grid, "RADIANS "));
  EXPECT_EQ(grid.toSeconds(), 3600.0);
}

}  // namespace
}  // namespace velmora
