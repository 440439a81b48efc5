// The ellipsoids of the map projections. Three e^2 values are 1 - b^2/a^2 for a semi-minor axis
// b given to a tenth of a millimetre, so they differ from the textbook values in the last digits
// (textbook GRS80: 0.006694380022900787). They are kept as stored so that grid coordinates
// computed earlier are reproduced to the last digit.
#include "velmora/geodesy/ellipsoid.hpp"

namespace velmora {

const std::array<Ellipsoid, 5> kProjectionEllipsoids{{
    {6378160.0, 0.006694541855},        // 0 Australian National Spheroid, 1/f = 298.25, e^2 to 12 places
    {6378137.0, 0.006694380035512838},  // 1 GRS80, from b = 6356752.3141 m
    {6378388.0, 0.006722670062316669},  // 2 International 1924, from b = 6356911.946 m
    {6378293.639, 0.006785145922},      // 3 Clarke 1858, e^2 to 12 places
    {6378137.0, 0.006694380004260827},  // 4 WGS84, from b = 6356752.3142 m
}};

}  // namespace velmora
