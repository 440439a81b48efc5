// A small deformation model in the published format (a JSON master file and GeoTIFF displacement
// grids in metres), for cross-checks with PROJ's defmodel: a secular velocity, a step and a
// three-dimensional reverse step each with a nested finer sub-grid, a piecewise vertical ramp with
// a step in it, and an exponential decay. Node values are smooth but not planar, so that a wrong
// node or weight shows.
#pragma once

#include <string>

namespace velmora::test {

// The model's extent, degrees: 165..180 E, 48..33 S; time extent 1900-01-01 to 2050-01-01.
inline constexpr double kSyntheticWest = 165.0;
inline constexpr double kSyntheticEast = 180.0;
inline constexpr double kSyntheticSouth = -48.0;
inline constexpr double kSyntheticNorth = -33.0;

// The master file's name in the folder.
inline constexpr const char* kSyntheticModelName = "synthetic_model.json";

// Writes the master file and its grids into folder (ending in '/'); false when a file could not be
// written or this build writes no GeoTIFF.
bool writeSyntheticModel(const std::string& folder);

}  // namespace velmora::test
