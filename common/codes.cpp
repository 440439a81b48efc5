#include "velmora/codes.hpp"

#include <array>
#include <utility>

namespace velmora {
namespace {

template <std::size_t N>
int lookUp(const std::array<std::pair<std::string_view, int>, N>& table, std::string_view name,
           int catchAll) {
  // The first equal name wins; the tables hold no duplicates, but the order is part of the contract.
  for (const auto& [text, code] : table) {
    if (text == name) return code;
  }
  return catchAll;
}

constexpr std::array<std::pair<std::string_view, int>, 9> kDatumNames{{
    {"AGD66", kAgd66},
    {"AGD84", kAgd84},
    {"GDA94", kGda94},
    {"GDA2020", kGda2020},
    {"ANG", kAng},
    {"ISG", kIsg},
    {"NZGD49", kNzgd49},
    {"NZGD2000", kNzgd2000},
    {"WGS84", kWgs84},
}};

constexpr std::array<std::pair<std::string_view, int>, 4> kCoordTypeNames{{
    {"EN", kEn},
    {"DMS", kDms},
    {"DM", kDm},
    {"DD", kDd},
}};

constexpr std::array<std::pair<std::string_view, int>, 3> kHeightTypeNames{{
    {"NONE", kNoHeight},
    {"Ellipsoid", kEllipsoid},
    {"AHD", kAhd},
}};

}  // namespace

DatumCode parseDatumName(std::string_view name) { return lookUp(kDatumNames, name, kWgs84); }

CoordTypeCode parseCoordType(std::string_view name) { return lookUp(kCoordTypeNames, name, kDd); }

HeightTypeCode parseHeightType(std::string_view name) { return lookUp(kHeightTypeNames, name, kNoHeight); }

}  // namespace velmora
