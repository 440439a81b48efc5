#include "velmora/codes.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace velmora {
namespace {

struct NameCase {
  std::string_view name;
  int code;  // kUnknown: the text names nothing
};

constexpr int kUnknown = 99;

template <typename Code>
int codeOrUnknown(std::optional<Code> code) {
  return code ? codeOf(*code) : kUnknown;
}

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
      // Every other text names nothing: lower case, padding, prefixes and the empty text.
      {"gda94", kUnknown},
      {"GDA94 ", kUnknown},
      {"GDA9", kUnknown},
      {"", kUnknown},
      {"itrf2014", kUnknown},
      {"ITRF2005", kUnknown},
  };
  for (const auto& c : cases)
    EXPECT_EQ(codeOrUnknown(parseDatumName(c.name)), c.code) << '"' << c.name << '"';
}

TEST(Codes, CoordTypeNamesAreExact) {
  const NameCase cases[] = {{"EN", 0},        {"DMS", 1},        {"DM", 2},     {"DD", 3},
                            {"en", kUnknown}, {"dms", kUnknown}, {"", kUnknown}};
  for (const auto& c : cases)
    EXPECT_EQ(codeOrUnknown(parseCoordType(c.name)), c.code) << '"' << c.name << '"';
}

TEST(Codes, HeightTypeNamesAreExact) {
  const NameCase cases[] = {{"NONE", -1},  {"None", -1},      {"Ellipsoid", 0},
                            {"AHD", 1},    {"ahd", kUnknown}, {"ELLIPSOID", kUnknown},
                            {"", kUnknown}};
  for (const auto& c : cases)
    EXPECT_EQ(codeOrUnknown(parseHeightType(c.name)), c.code) << '"' << c.name << '"';
}

}  // namespace
}  // namespace velmora
