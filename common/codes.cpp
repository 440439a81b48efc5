#include "velmora/codes.hpp"

#include <array>
#include <optional>
#include <utility>

namespace velmora {
namespace {

template <typename Code, std::size_t N>
std::optional<Code> lookUp(const std::array<std::pair<std::string_view, Code>, N>& table,
                           std::string_view name) {
  for (const auto& [text, code] : table) {
    if (text == name) return code;
  }
  return std::nullopt;
}

constexpr std::array<std::pair<std::string_view, Datum>, 14> kDatumNames{{
    {"AGD66", Datum::kAgd66},
    {"AGD84", Datum::kAgd84},
    {"GDA94", Datum::kGda94},
    {"GDA2020", Datum::kGda2020},
    {"ANG", Datum::kAng},
    {"ISG", Datum::kIsg},
    {"NZGD49", Datum::kNzgd49},
    {"NZGD2000", Datum::kNzgd2000},
    {"WGS84", Datum::kWgs84},
    {"ITRF2000", Datum::kItrf2000},
    {"ITRF2008", Datum::kItrf2008},
    {"ITRF2014", Datum::kItrf2014},
    {"ITRF2020", Datum::kItrf2020},
    {"ATRF2014", Datum::kAtrf2014},
}};

constexpr std::array<std::pair<std::string_view, CoordType>, 4> kCoordTypeNames{{
    {"EN", CoordType::kEn},
    {"DMS", CoordType::kDms},
    {"DM", CoordType::kDm},
    {"DD", CoordType::kDd},
}};

// "None" as the usage text spells it; "NONE" first, as the code's name.
constexpr std::array<std::pair<std::string_view, HeightType>, 19> kHeightTypeNames{{
    {"NONE", HeightType::kNone},
    {"None", HeightType::kNone},
    {"Ellipsoid", HeightType::kEllipsoid},
    {"AHD", HeightType::kAhd},
    {"NZVD2016", HeightType::kNzvd2016},
    {"AVWS", HeightType::kAvws},
    {"Auckland1946", HeightType::kAuckland1946},
    {"Bluff1955", HeightType::kBluff1955},
    {"Dunedin1958", HeightType::kDunedin1958},
    {"DunedinBluff1960", HeightType::kDunedinBluff1960},
    {"Gisborne1926", HeightType::kGisborne1926},
    {"Lyttelton1937", HeightType::kLyttelton1937},
    {"Moturiki1953", HeightType::kMoturiki1953},
    {"Napier1962", HeightType::kNapier1962},
    {"Nelson1955", HeightType::kNelson1955},
    {"OneTreePoint1964", HeightType::kOneTreePoint1964},
    {"StewartIsland1977", HeightType::kStewartIsland1977},
    {"Taranaki1970", HeightType::kTaranaki1970},
    {"Wellington1953", HeightType::kWellington1953},
}};

template <typename Code, std::size_t N>
std::string_view nameOf(const std::array<std::pair<std::string_view, Code>, N>& table, Code code) {
  for (const auto& [text, entry] : table) {
    if (entry == code) return text;
  }
  return {};
}

}  // namespace

std::string_view datumName(Datum datum) {
  return nameOf(kDatumNames, datum);
}

std::string_view coordTypeName(CoordType type) {
  return nameOf(kCoordTypeNames, type);
}

std::string_view heightTypeName(HeightType type) {
  return nameOf(kHeightTypeNames, type);
}

std::optional<Datum> parseDatumName(std::string_view name) {
  return lookUp(kDatumNames, name);
}

std::optional<CoordType> parseCoordType(std::string_view name) {
  return lookUp(kCoordTypeNames, name);
}

std::optional<HeightType> parseHeightType(std::string_view name) {
  return lookUp(kHeightTypeNames, name);
}

}  // namespace velmora
