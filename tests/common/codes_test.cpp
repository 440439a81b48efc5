#include "velmora/codes.hpp"

#include <gtest/gtest.h>

#include <string_view>

namespace velmora {
namespace {

struct NameCase {
  std::string_view name;
  int code;
};

TEST(Codes, DatumNamesAreExactAndCaseSensitive) {
  const NameCase cases[] = {
      {"AGD66", 0},
      {"AGD84", 1},
      {"GDA94", 2},
      {"GDA2020", 3},
      {"ANG", 4},
      {"ISG", 5},
      {"NZGD49", 6},
      {"NZGD2000", 7},
      {"WGS84", 8},
      {"ITRF2000", 9},
      {"ITRF2008", 10},
      {"ITRF2014", 11},
      {"ITRF2020", 12},
      // Every other text falls to WGS84: lower case, padding, prefixes and the empty text.
      {"gda94", 8},
      {"GDA94 ", 8},
      {"GDA9", 8},
      {"", 8},
      {"itrf2014", 8},
      {"ITRF2005", 8},
  };
  for (const auto& c : cases) EXPECT_EQ(codeOf(parseDatumName(c.name)), c.code) << '"' << c.name << '"';
}

TEST(Codes, CoordTypeNamesFallBackToDecimalDegrees) {
  const NameCase cases[] = {{"EN", 0}, {"DMS", 1}, {"DM", 2}, {"DD", 3}, {"en", 3}, {"dms", 3}, {"", 3}};
  for (const auto& c : cases) EXPECT_EQ(codeOf(parseCoordType(c.name)), c.code) << '"' << c.name << '"';
}

TEST(Codes, HeightTypeNamesFallBackToNoHeight) {
  const NameCase cases[] = {{"NONE", -1}, {"None", -1},      {"Ellipsoid", 0}, {"AHD", 1},
                            {"ahd", -1},  {"ELLIPSOID", -1}, {"", -1}};
  for (const auto& c : cases) EXPECT_EQ(codeOf(parseHeightType(c.name)), c.code) << '"' << c.name << '"';
}

}  // namespace
}  // namespace velmora
