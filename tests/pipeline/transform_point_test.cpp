// transformPoint: the source projection, the datum change and the target projection, in that
// order, with one zone, hemisphere and ISG sub-zone for both sides.
#include "pipeline/transform_point.hpp"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "velmora/geodesy/map_projection.hpp"
#include "pipeline/datum_projection.hpp"
#include "pipeline/transform_datum.hpp"

namespace velmora {
namespace {

ConversionRequest request(DatumCode from, CoordTypeCode fromType, DatumCode to, CoordTypeCode toType, int zone = 56,
                          int isgSubZone = 0) {
  ConversionRequest r;
  r.fromDatum = from;
  r.fromCoordType = fromType;
  r.toDatum = to;
  r.toCoordType = toType;
  r.zone = zone;
  r.isgSubZone = isgSubZone;
  return r;
}

GridPoint project(DatumCode datum, int zone, int isgSubZone, double latitude, double longitude) {
  return geographicToGrid(makeProjectionParams(datum, zone, true, isgSubZone), LatLon{latitude, longitude});
}

TEST(TransformPoint, GeographicToGeographicOnOneDatumIsBitForBit) {
  const double values[][2] = {{151.25, -33.5}, {174.0, -41.0}, {200.0, 45.0}, {-0.0, 0.0}, {1e300, -1e300}};
  for (const DatumCode datum : {kAgd66, kAgd84, kGda94, kGda2020, kAng, kIsg, kNzgd49, kNzgd2000, kWgs84}) {
    for (const CoordTypeCode type : {kDd, kDms, kDm}) {
      for (const auto& v : values) {
        double x = v[0];
        double y = v[1];
        transformPoint(request(datum, type, datum, kDd), "", x, y);
        EXPECT_EQ(x, v[0]) << datum;
        EXPECT_EQ(y, v[1]) << datum;
      }
    }
  }
}

TEST(TransformPoint, GridToGridRoundTripOnOneDatum) {
  struct Case {
    const char* what;
    DatumCode datum;
    int zone;
    int isgSubZone;
    double latitude;
    double longitude;
  };
  const Case cases[] = {
      {"GDA94 zone 56", kGda94, 56, 0, -33.5, 151.25},
      {"GDA2020 zone 55", kGda2020, 55, 0, -37.8, 144.9},
      {"AGD66 zone 50", kAgd66, 50, 0, -31.95, 115.86},
      {"ISG zone 56 sub-zone 2", kIsg, 56, 2, -33.5, 151.25},
      {"ANG grid (yards), near its central meridian", kAng, 56, 0, -31.95, 113.5},
      {"NZGD2000 grid", kNzgd2000, 56, 0, -41.3, 174.78},
      {"NZ Map Grid", kNzgd49, 56, 0, -41.3, 174.78},
  };
  constexpr double kRoundTripMetres = 1e-3;  // one inverse and one forward projection
  for (const Case& c : cases) {
    const GridPoint start = project(c.datum, c.zone, c.isgSubZone, c.latitude, c.longitude);
    double x = start.easting;
    double y = start.northing;
    transformPoint(request(c.datum, kEn, c.datum, kEn, c.zone, c.isgSubZone), "", x, y);
    EXPECT_NEAR(x, start.easting, kRoundTripMetres) << c.what;
    EXPECT_NEAR(y, start.northing, kRoundTripMetres) << c.what;
  }
}

// EN to DD is the plain inverse projection followed by the datum change, and DD to EN the datum
// change followed by the plain forward projection, bit for bit; ISG uses its sub-zone both ways.
TEST(TransformPoint, ProjectionsWrapTheDatumChange) {
  struct Case {
    const char* what;
    DatumCode from;
    CoordTypeCode fromType;
    DatumCode to;
    CoordTypeCode toType;
    int zone;
    int isgSubZone;
    double x;
    double y;
  };
  const Case cases[] = {
      {"GDA94 EN to DD", kGda94, kEn, kGda94, kDd, 56, 0, 334000.0, 6290000.0},
      {"ISG EN sub-zone 1 to DD", kIsg, kEn, kIsg, kDd, 56, 1, 300000.0, 1250000.0},
      {"ISG EN sub-zone 2 to GDA94 DD", kIsg, kEn, kGda94, kDd, 56, 2, 300000.0, 1250000.0},
      {"AGD66 EN to GDA94 EN", kAgd66, kEn, kGda94, kEn, 55, 0, 320000.0, 5810000.0},
      {"GDA94 DD to ISG EN sub-zone 1", kGda94, kDd, kIsg, kEn, 56, 1, 151.25, -33.5},
      {"AGD66 EN to ISG EN sub-zone 2", kAgd66, kEn, kIsg, kEn, 56, 2, 334000.0, 6290000.0},
      {"GDA2020 DMS to AGD84 EN", kGda2020, kDms, kAgd84, kEn, 54, 0, 138.6, -34.9},
  };
  for (const Case& c : cases) {
    const ConversionRequest r = request(c.from, c.fromType, c.to, c.toType, c.zone, c.isgSubZone);
    LatLon source{c.y, c.x};
    if (c.fromType == kEn) {
      source = gridToGeographic(makeProjectionParams(c.from, c.zone, true, c.isgSubZone), GridPoint{c.x, c.y});
    }
    const LatLon moved = transformDatum(source.latitude, source.longitude, c.from, c.to, r.epoch, false, false, "");
    double ex = moved.longitude;
    double ey = moved.latitude;
    if (c.toType == kEn) {
      const GridPoint grid = geographicToGrid(makeProjectionParams(c.to, c.zone, true, c.isgSubZone), moved);
      ex = grid.easting;
      ey = grid.northing;
    }

    double x = c.x;
    double y = c.y;
    transformPoint(r, "", x, y);
    EXPECT_EQ(x, ex) << c.what;
    EXPECT_EQ(y, ey) << c.what;
  }
}

TEST(TransformPoint, IsgSubZoneChangesBothSides) {
  double x0 = 300000.0;
  double y0 = 1250000.0;
  double x1 = x0;
  double y1 = y0;
  transformPoint(request(kIsg, kEn, kIsg, kDd, 56, 0), "", x0, y0);
  transformPoint(request(kIsg, kEn, kIsg, kDd, 56, 1), "", x1, y1);
  EXPECT_GT(std::abs(x0 - x1), 1.0);  // sub-zones are two degrees apart

  double ex0 = 151.25;
  double ny0 = -33.5;
  double ex1 = ex0;
  double ny1 = ny0;
  transformPoint(request(kAgd66, kDd, kIsg, kEn, 56, 0), "", ex0, ny0);
  transformPoint(request(kAgd66, kDd, kIsg, kEn, 56, 1), "", ex1, ny1);
  EXPECT_GT(std::abs(ex0 - ex1), 1000.0);
}

}  // namespace
}  // namespace velmora
