// The map projection of one datum: kind, ellipsoid, zone and false origin.
#pragma once

#include <cstdint>

#include "velmora/codes.hpp"
#include "velmora/geodesy/ellipsoid.hpp"

namespace velmora {

enum ProjectionKind : std::int32_t {
  kTransverseMercator = 0,  // UTM-type zones, and the NZGD2000 grid through its central meridian field
  kNzMapGrid = 1,
  kAngGrid = 2,  // Transverse Mercator in yards, central meridian 111 E
  kIsgGrid = 3,  // Integrated Survey Grid, scale 0.99994, 2-degree sub-zones
};

struct ProjectionParams {
  std::int32_t projectionKind = kTransverseMercator;
  std::int32_t zone = 0;         // UTM zone; 0 selects centralMeridian
  std::int32_t isgSubZone = 0;   // ISG sub-zone s: central meridian 4, 2 or 0 degrees west of the UTM one
  double falseEasting = 0.0;     // metres
  double falseNorthing = 0.0;    // metres
  double centralMeridian = 0.0;  // degrees east; used only when zone is 0
  std::int32_t angZone = 0;      // always 0
  Ellipsoid ellipsoid = kGrs80RoundedAxes;  // a and e^2 as the projection formulas read them
};

// Record for a datum code (codes outside 0..8 as GDA94). Every integer zone and sub-zone is accepted.
ProjectionParams makeProjectionParams(DatumCode datum, int zone, bool southernHemisphere, int isgSubZone);

// Central meridian in degrees east that the projection formulas use for this record.
double centralMeridianDegrees(const ProjectionParams& params);

}  // namespace velmora
