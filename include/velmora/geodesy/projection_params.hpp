// A map projection: its kind, ellipsoid, zone or central meridian, and false origin.
#pragma once

#include "velmora/geodesy/ellipsoid.hpp"

namespace velmora {

enum class ProjectionKind {
  kTransverseMercator = 0,  // scale 0.9996 on a UTM zone's meridian, or on centralMeridian with zone 0
  kNzMapGrid = 1,           // NZ Map Grid: own ellipsoid and origin, the record's other fields unused
  kAngGrid = 2,             // scale 1 on 111 E, in yards from its own origin; false origin fields unused
  kIsgGrid = 3,             // Integrated Survey Grid: scale 0.99994 on 2-degree sub-zones of UTM zones
  kNzCircuit = 4,           // a New Zealand meridional circuit: centralMeridian, latitudeOfOrigin, centralScale
};

struct ProjectionParams {
  ProjectionKind kind = ProjectionKind::kTransverseMercator;
  Ellipsoid ellipsoid = kGrs80Ellipsoid;  // a and e^2 as the projection formulas read them
  int zone = 0;                           // UTM zone (53 is centred on 135 E); 0 selects centralMeridian
  int isgSubZone = 0;            // ISG zone Z/s (s = 1..3): central meridian 2s - 4 degrees east of UTM Z's
  double falseEasting = 0.0;     // metres
  double falseNorthing = 0.0;    // metres
  double centralMeridian = 0.0;  // degrees east; used only when zone is 0
  double latitudeOfOrigin = 0.0;  // degrees; kNzCircuit only (the others count northings from the equator)
  double centralScale = 0.0;      // kNzCircuit only: the scale factor on the central meridian
};

// Central meridian (degrees east) that the projection formulas use for this record: (zone - 53)
// * 6 + 135 for UTM zones, less 4 - 2s for ISG sub-zones, 111 for the ANG grid, 173 for the
// NZ Map Grid and centralMeridian for a circuit. Zone and sub-zone numbers are not checked here; any int gives a number, without
// overflow. Settings read by name are checked by velmora/app/options.hpp (settingsProblems).
double centralMeridianDegrees(const ProjectionParams& params);

}  // namespace velmora
