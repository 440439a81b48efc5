// The GeoTIFF tags a grid reader needs and the GeoKey directory (tag 34735): a header of four
// SHORTs (directory version 1, key revision, minor revision, number of keys) and one entry of four
// SHORTs per key (key id, the tag holding the value or 0 for a value in the entry, count, value).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmora {

inline constexpr std::uint32_t kTagModelPixelScale = 33550;
inline constexpr std::uint32_t kTagModelTiepoint = 33922;
inline constexpr std::uint32_t kTagModelTransformation = 34264;
inline constexpr std::uint32_t kTagGeoKeyDirectory = 34735;
inline constexpr std::uint32_t kTagGdalMetadata = 42112;
inline constexpr std::uint32_t kTagGdalNoData = 42113;

inline constexpr std::uint16_t kKeyModelType = 1024;       // GTModelTypeGeoKey
inline constexpr std::uint16_t kKeyRasterType = 1025;      // GTRasterTypeGeoKey
inline constexpr std::uint16_t kKeyGeodeticCrs = 2048;     // GeodeticCRSGeoKey (GeographicTypeGeoKey)
inline constexpr std::uint16_t kModelTypeProjected = 1;
inline constexpr std::uint16_t kModelTypeGeographic = 2;
inline constexpr std::uint16_t kRasterPixelIsArea = 1;
inline constexpr std::uint16_t kRasterPixelIsPoint = 2;

// The SHORT values of the keys a grid needs; a key absent from the directory is nullopt.
struct GeoKeys {
  std::optional<std::uint16_t> modelType;
  std::optional<std::uint16_t> rasterType;
};

// Keys from the directory's values (each SHORT as a number). nullopt when the directory is
// malformed: fewer than 4 values, a version other than 1, more entries than the values hold, a
// value that is no SHORT, or a wanted key whose value is not a single SHORT in its entry.
std::optional<GeoKeys> parseGeoKeys(std::span<const double> directory);

// A directory of version 1.1.0 with the model type, raster type and geodetic CRS keys.
std::vector<std::uint16_t> encodeGeoKeys(std::uint16_t modelType, std::uint16_t rasterType,
                                         std::uint16_t geodeticCrs);

}  // namespace velmora
