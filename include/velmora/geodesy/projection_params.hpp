// A map projection: its kind, ellipsoid, zone or central meridian, and false origin.
#pragma once

#include "velmora/geodesy/ellipsoid.hpp"

namespace velmora {

enum class ProjectionKind {
  kTransverseMercator = 0,  // UTM-type zones (scale 0.9996), or any central meridian through zone 0
  kNzMapGrid = 1,           // NZ Map Grid: fixed ellipsoid and origin, the record's other fields unused
  kAngGrid = 2,             // Transverse Mercator in yards on 111 E, fixed origin, no scale factor
  kIsgGrid = 3,             // Integrated Survey Grid: scale 0.99994, 2-degree sub-zones of UTM zones
};

struct ProjectionParams {
  ProjectionKind kind = ProjectionKind::kTransverseMercator;
  Ellipsoid ellipsoid = kGrs80RoundedAxes;  // a and e^2 as the projection formulas read them
  int zone = 0;                             // UTM zone (53 is centred on 135 E); 0 selects centralMeridian
  int isgSubZone = 0;            // ISG sub-zone s: central meridian 4 - 2s degrees west of the UTM one
  double falseEasting = 0.0;     // metres
  double falseNorthing = 0.0;    // metres
  double centralMeridian = 0.0;  // degrees east; used only when zone is 0
};

// Central meridian in degrees east that the projection formulas use for this record. Zone and
// sub-zone numbers are not checked: any int gives (zone - 53) * 6 + 135 and so on, without overflow.
double centralMeridianDegrees(const ProjectionParams& params);

}  // namespace velmora
