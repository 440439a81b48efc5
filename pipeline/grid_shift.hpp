// Datum changes by the national NTv2 grids, forward (shift added) or inverse (shift subtracted,
// taken at the given position, without iteration). Each returns true and writes out only when the
// grid gave a shift; a missing file is tried again at the next call.
#pragma once

#include <string_view>

#include "velmora/codes.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// source AGD66/AGD84/ISG with target GDA94, or source GDA94 with target AGD66/AGD84/ISG.
bool applyAgdGridShift(double latitude, double longitude, DatumCode source, DatumCode target,
                       std::string_view programFolder, LatLon& out);

// target GDA2020 (from GDA94) or GDA94 (from GDA2020).
bool applyGda2020GridShift(double latitude, double longitude, DatumCode target, std::string_view programFolder,
                           LatLon& out);

}  // namespace velmora
