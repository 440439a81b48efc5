// Value in metres to add to a point's height to change its height type and datum (GDA94 and
// GDA2020 only), from the AUSGeoid grids and the GDA94/GDA2020 height change.
#pragma once

#include <string_view>

#include "velmora/codes.hpp"

namespace velmora {

// latitude, longitude: the point on GDA2020, degrees. The geoid grid is opened at the first
// point and closed at the last; a missing geoid file writes "<path> does not exist\n" to
// standard error for every point.
double heightCorrection(double latitude, double longitude, DatumCode fromDatum, HeightTypeCode fromHeightType,
                        DatumCode toDatum, HeightTypeCode toHeightType, bool useAusGeoid98,
                        std::string_view programFolder, bool isFirstPoint, bool isLastPoint);

// Add N (or -N when negate) from "AUSGeoid2020.gsb" / the GDA94 geoid to accumulator.
void addAusGeoid2020Separation(std::string_view programFolder, bool negate, double latitude, double longitude,
                               double& accumulator, bool isFirstPoint, bool isLastPoint);
void addGda94GeoidSeparation(std::string_view programFolder, bool negate, bool useAusGeoid98, double latitude,
                             double longitude, double& accumulator, bool isFirstPoint, bool isLastPoint);

}  // namespace velmora
