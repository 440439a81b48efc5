// One point from the run's source datum and coordinate form to the target ones.
#pragma once

#include <string_view>

#include "common/conversion_request.hpp"

namespace velmora {

// x, y in: easting/northing (metres) when request.fromCoordType is EN, else longitude/latitude
// (degrees). Out: the same on the target side. Heights are not touched. programFolder ends with
// a path separator (or is empty); grid file names are appended to it directly.
void transformPoint(const ConversionRequest& request, std::string_view programFolder, double& x, double& y);

}  // namespace velmora
