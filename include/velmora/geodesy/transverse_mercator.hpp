// Redfearn's series for the Transverse Mercator family: UTM-type zones, ISG and the ANG grid.
//
// Accuracy, measured against the exact Transverse Mercator (PROJ tmerc on the same a and e^2)
// between the equator and 47 S: forward within 0.3 mm up to 5 degrees from the central meridian,
// 0.4 mm at 6, 1.3 mm at 7, 3.5 mm at 8, 18 mm at 10, 0.4 m at 15 degrees; reverse within 0.4 mm
// up to 4 degrees, 0.5 mm at 5, 0.7 mm at 6, 4.3 mm at 8, 32 mm at 10, 1.4 m at 15 degrees. Of
// these, the meridian arc series (to e^6) gives a floor growing with latitude (0.3 mm at 47,
// 0.8 mm at 60 and 1 mm at 70 degrees), and the reverse moves every longitude by -1.6e-11 times
// the central meridian (0.3 mm west on 153 E), from a rounded 180/pi kept for stored coordinates.
// The ISG and ANG grids run the same series and agree to the same figures in metres.
#pragma once

#include "velmora/geodesy/grid_factors.hpp"
#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/lat_lon.hpp"
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

inline constexpr double kUtmScaleFactor = 0.9996;   // k0 on the central meridian of UTM zones
inline constexpr double kIsgScaleFactor = 0.99994;  // k0 of the Integrated Survey Grid

// The ANG grid: metres on Clarke 1858 turned into yards about its own false origin, scale 1.
inline constexpr double kMetresToYards = 1.0936132983377078;  // yards per metre
inline constexpr double kYardsToMetres = 0.9144;              // metres per yard
inline constexpr double kAngFalseEastingYd = 400000.0;
inline constexpr double kAngFalseNorthingYd = 4915813.467;

// The scale factor on the central meridian of a record of the family: 0.9996 for UTM-type zones,
// 0.99994 for ISG, 1 for the ANG grid, centralScale for a circuit.
double centralScaleFactor(const ProjectionParams& params);

// Meridian arc (metres) from the equator to a latitude in radians, negative in the south; the
// series in e^2 stops at e^6 (0.3 mm off the exact arc at 47 degrees, 1 mm at 70).
double meridianDistance(const Ellipsoid& ellipsoid, double latitudeRad);

// Footpoint latitude (radians) whose meridian arc is meridianArc (metres): Newton passes until one
// starts within 1 m, whose step is still applied (leaving far less than 1e-12 rad). A cap of 100
// passes stops arcs too long to converge (1e30 m and more) with an unspecified number; NaN and
// infinity give NaN.
double footpointLatitude(const Ellipsoid& ellipsoid, double meridianArc);

// Kinds kTransverseMercator, kIsgGrid, kAngGrid and kNzCircuit (northings from its latitude of
// origin): latitude and longitude (degrees) to easting
// and northing (metres; yards on the ANG grid) and back. No input is rejected: latitudes beyond
// 90 degrees, longitudes far from the central meridian (the series diverge beyond about 15
// degrees) and northings beyond the poles give meaningless numbers; NaN or infinity gives NaN.
GridPoint transverseMercatorForward(const ProjectionParams& params, const LatLon& point);
LatLon transverseMercatorReverse(const ProjectionParams& params, const GridPoint& point);

// The grid convergence and point scale factor at a point (degrees) by Redfearn's series, those
// of the GDA Technical Manual to the seventh power of the longitude difference (its convergence
// with the sign turned, see GridFactors). Within 6 degrees of the central meridian they agree with
// the exact projection to 0.001 arc-seconds and 1e-9.
GridFactors transverseMercatorFactors(const ProjectionParams& params, const LatLon& point);

}  // namespace velmora
