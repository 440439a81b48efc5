// The ANG to GDA94 parameter set used in both directions.
//
// No national parameter set between ANG and GDA94 exists: pre-1966 ANG coordinates are not
// homogeneous. The record therefore holds no translation, rotation or scale, so that
// Molodensky's formulas carry out the change of ellipsoid (Clarke 1858 to GRS80) alone. ANG
// datum changes are approximate.
#pragma once

#include "velmora/geodesy/datum_transforms.hpp"

namespace velmora {

inline constexpr HelmertParams kAngToGda94Params{};

}  // namespace velmora
