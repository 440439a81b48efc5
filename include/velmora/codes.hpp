// Integer codes by which every subsystem names datums, coordinate forms and height kinds.
#pragma once

#include <string_view>

namespace velmora {

// Datum of a point. Names map to codes by exact, case-sensitive comparison.
using DatumCode = int;
inline constexpr DatumCode kAgd66 = 0;
inline constexpr DatumCode kAgd84 = 1;
inline constexpr DatumCode kGda94 = 2;
inline constexpr DatumCode kGda2020 = 3;
inline constexpr DatumCode kAng = 4;
inline constexpr DatumCode kIsg = 5;       // AGD66 positions on the Integrated Survey Grid
inline constexpr DatumCode kNzgd49 = 6;
inline constexpr DatumCode kNzgd2000 = 7;
inline constexpr DatumCode kWgs84 = 8;     // ITRF at an epoch; also every unknown name

// Form in which coordinates are written.
using CoordTypeCode = int;
inline constexpr CoordTypeCode kEn = 0;   // grid easting and northing, metres
inline constexpr CoordTypeCode kDms = 1;  // "deg min sec"
inline constexpr CoordTypeCode kDm = 2;   // "deg decimal-min"
inline constexpr CoordTypeCode kDd = 3;   // decimal degrees; also every unknown name

// Kind of height; -1 switches height conversion off.
using HeightTypeCode = int;
inline constexpr HeightTypeCode kNoHeight = -1;  // "NONE" and every unknown name
inline constexpr HeightTypeCode kEllipsoid = 0;
inline constexpr HeightTypeCode kAhd = 1;

// Exact, case-sensitive look-ups; a text that equals no name gives the catch-all code
// (kWgs84, kDd, kNoHeight).
DatumCode parseDatumName(std::string_view name);
CoordTypeCode parseCoordType(std::string_view name);
HeightTypeCode parseHeightType(std::string_view name);

}  // namespace velmora
