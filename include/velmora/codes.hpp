// The datums, coordinate forms and height kinds a conversion names, with the names the program reads.
// The numeric values are those stored settings have always used.
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

// Datum of a point. Names map to datums by exact, case-sensitive comparison.
enum class Datum : int {
  kAgd66 = 0,
  kAgd84 = 1,
  kGda94 = 2,
  kGda2020 = 3,
  kAng = 4,
  kIsg = 5,  // AGD66 positions on the Integrated Survey Grid
  kNzgd49 = 6,
  kNzgd2000 = 7,
  kWgs84 = 8,  // ITRF2000 (or ITRF2008) at an epoch; also every unknown name
  // ITRF positions at an epoch, each in its own realisation whatever else the settings say.
  kItrf2000 = 9,
  kItrf2008 = 10,
  kItrf2014 = 11,
  kItrf2020 = 12,
  // ATRF2014: Australia's densification of ITRF2014, the same positions at an epoch (EPSG:9460 is
  // the null transformation); to GDA2020 by its own copy of the plate motion model (EPSG:9459).
  kAtrf2014 = 13,
};

// Form in which coordinates are written.
enum class CoordType : int {
  kEn = 0,   // grid easting and northing, metres
  kDms = 1,  // "deg min sec"
  kDm = 2,   // "deg decimal-min"
  kDd = 3,   // decimal degrees; also every unknown name
};

// Kind of height; kNone switches height conversion off.
enum class HeightType : int {
  kNone = -1,  // "NONE" and every unknown name
  kEllipsoid = 0,
  kAhd = 1,       // Australian Height Datum, on GDA94 or GDA2020
  kNzvd2016 = 2,  // New Zealand Vertical Datum 2016, on NZGD2000
  kAvws = 3,      // Australian Vertical Working Surface, on GDA2020
  // The New Zealand local vertical datums, on NZGD2000, each an offset surface from NZVD2016.
  kAuckland1946 = 4,
  kBluff1955 = 5,
  kDunedin1958 = 6,
  kDunedinBluff1960 = 7,
  kGisborne1926 = 8,
  kLyttelton1937 = 9,
  kMoturiki1953 = 10,
  kNapier1962 = 11,
  kNelson1955 = 12,
  kOneTreePoint1964 = 13,
  kStewartIsland1977 = 14,
  kTaranaki1970 = 15,
  kWellington1953 = 16,
};

// The thirteen local vertical datums, in order.
inline constexpr int kFirstLocalHeightCode = 4;
inline constexpr int kLocalHeightCount = 13;
constexpr bool isLocalHeightType(HeightType type) {
  const int code = static_cast<int>(type);
  return code >= kFirstLocalHeightCode && code < kFirstLocalHeightCode + kLocalHeightCount;
}

// Exact, case-sensitive look-ups ("None" also names HeightType::kNone); none for a text that names
// nothing. The program's default run reads such a text as the catch-all (WGS84, DD, no height
// conversion) and warns: the lax policy of velmora/app/options.hpp.
std::optional<Datum> parseDatumName(std::string_view name);
std::optional<CoordType> parseCoordType(std::string_view name);
std::optional<HeightType> parseHeightType(std::string_view name);

// The name of a code, as the look-ups above read it ("NONE" for HeightType::kNone).
std::string_view datumName(Datum datum);
std::string_view coordTypeName(CoordType type);
std::string_view heightTypeName(HeightType type);

// The numeric value of a code, as stored settings hold it.
constexpr int codeOf(Datum datum) {
  return static_cast<int>(datum);
}
constexpr int codeOf(CoordType type) {
  return static_cast<int>(type);
}
constexpr int codeOf(HeightType type) {
  return static_cast<int>(type);
}

}  // namespace velmora
