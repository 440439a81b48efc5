// The two operations of a ProjectionParams record, dispatching on its projection kind.
// Both work in place on a pair of doubles; no input is rejected (NaN in gives NaN out). A
// record of a kind other than 0 to 3 leaves the pair unchanged.
#pragma once

#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

// In: first = longitude, second = latitude (degrees). Out: first = easting, second = northing
// (metres; yards on the ANG grid).
void geographicToGrid(const ProjectionParams& params, double& first, double& second);

// In: first = easting, second = northing. Out: first = longitude, second = latitude (degrees).
void gridToGeographic(const ProjectionParams& params, double& first, double& second);

}  // namespace velmora
