#include "gridfile/geo_keys.hpp"

#include <cmath>

namespace velmora {

namespace {

constexpr std::size_t kShortsPerEntry = 4;
constexpr std::uint16_t kDirectoryVersion = 1;
constexpr std::uint16_t kKeyRevision = 1;
constexpr std::uint16_t kMinorRevision = 0;
constexpr double kShortMax = 65535.0;

bool isShort(double value) {
  return value >= 0.0 && value <= kShortMax && std::trunc(value) == value;
}

}  // namespace

std::optional<GeoKeys> parseGeoKeys(std::span<const double> directory) {
  if (directory.size() < kShortsPerEntry) return std::nullopt;
  for (const double value : directory) {
    if (!isShort(value)) return std::nullopt;
  }
  if (directory[0] != kDirectoryVersion) return std::nullopt;
  const auto keys = static_cast<std::size_t>(directory[3]);
  if (keys > directory.size() / kShortsPerEntry - 1) return std::nullopt;
  GeoKeys out;
  for (std::size_t k = 1; k <= keys; ++k) {
    const std::span<const double> entry = directory.subspan(k * kShortsPerEntry, kShortsPerEntry);
    const auto id = static_cast<std::uint16_t>(entry[0]);
    if (id != kKeyModelType && id != kKeyRasterType) continue;
    // Both keys are SHORT values held in the entry itself: location 0, count 1.
    if (entry[1] != 0.0 || entry[2] != 1.0) return std::nullopt;
    const auto value = static_cast<std::uint16_t>(entry[3]);
    (id == kKeyModelType ? out.modelType : out.rasterType) = value;
  }
  return out;
}

std::vector<std::uint16_t> encodeGeoKeys(std::uint16_t modelType, std::uint16_t rasterType,
                                         std::uint16_t geodeticCrs) {
  return {kDirectoryVersion, kKeyRevision, kMinorRevision, 3,           // header, 3 keys in id order
          kKeyModelType,     0,            1,              modelType,   //
          kKeyRasterType,    0,            1,              rasterType,  //
          kKeyGeodeticCrs,   0,            1,              geodeticCrs};
}

}  // namespace velmora
