// A Converter point by point: the source projection, the datum change and the target projection, in
// that order, with one zone, hemisphere and ISG sub-zone for both sides; what it reports applying.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pipeline/datum_projection.hpp"
#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/code_printing.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/map_projection.hpp"

namespace velmora {
namespace {

ConversionSettings request(Datum from, CoordType fromType, Datum to, CoordType toType, int zone = 56,
                           int isgSubZone = 0) {
  ConversionSettings r;
  r.fromDatum = from;
  r.fromCoordType = fromType;
  r.toDatum = to;
  r.toCoordType = toType;
  r.zone = zone;
  r.isgSubZone = isgSubZone;
  return r;
}

GridPoint project(Datum datum, int zone, int isgSubZone, double latitude, double longitude) {
  return geographicToGrid(makeProjectionParams(datum, zone, true, isgSubZone), LatLon{latitude, longitude});
}

TEST(ConverterPoint, GeographicToGeographicOnOneDatumIsBitForBit) {
  const double values[][2] = {{151.25, -33.5}, {174.0, -41.0}, {200.0, 45.0}, {-0.0, 0.0}, {1e300, -1e300}};
  for (const Datum datum : {Datum::kAgd66, Datum::kAgd84, Datum::kGda94, Datum::kGda2020, Datum::kAng,
                            Datum::kIsg, Datum::kNzgd49, Datum::kNzgd2000, Datum::kWgs84}) {
    for (const CoordType type : {CoordType::kDd, CoordType::kDms, CoordType::kDm}) {
      for (const auto& v : values) {
        double x = v[0];
        double y = v[1];
        transformPoint(request(datum, type, datum, CoordType::kDd), x, y);
        EXPECT_EQ(x, v[0]) << datum;
        EXPECT_EQ(y, v[1]) << datum;
      }
    }
  }
}

TEST(ConverterPoint, GridToGridRoundTripOnOneDatum) {
  struct Case {
    const char* what;
    Datum datum;
    int zone;
    int isgSubZone;
    double latitude;
    double longitude;
  };
  const Case cases[] = {
      {"GDA94 zone 56", Datum::kGda94, 56, 0, -33.5, 151.25},
      {"GDA2020 zone 55", Datum::kGda2020, 55, 0, -37.8, 144.9},
      {"AGD66 zone 50", Datum::kAgd66, 50, 0, -31.95, 115.86},
      {"ISG zone 56 sub-zone 2", Datum::kIsg, 56, 2, -33.5, 151.25},
      {"ANG grid (yards), near its central meridian", Datum::kAng, 56, 0, -31.95, 113.5},
      {"NZGD2000 grid", Datum::kNzgd2000, 56, 0, -41.3, 174.78},
      {"NZ Map Grid", Datum::kNzgd49, 56, 0, -41.3, 174.78},
  };
  constexpr double kRoundTripMetres = 1e-3;  // one inverse and one forward projection
  for (const Case& c : cases) {
    const GridPoint start = project(c.datum, c.zone, c.isgSubZone, c.latitude, c.longitude);
    double x = start.easting;
    double y = start.northing;
    transformPoint(request(c.datum, CoordType::kEn, c.datum, CoordType::kEn, c.zone, c.isgSubZone), x, y);
    EXPECT_NEAR(x, start.easting, kRoundTripMetres) << c.what;
    EXPECT_NEAR(y, start.northing, kRoundTripMetres) << c.what;
  }
}

// EN to DD is the plain inverse projection followed by the datum change, and DD to EN the datum
// change followed by the plain forward projection, bit for bit; ISG uses its sub-zone both ways.
TEST(ConverterPoint, ProjectionsWrapTheDatumChange) {
  struct Case {
    const char* what;
    Datum from;
    CoordType fromType;
    Datum to;
    CoordType toType;
    int zone;
    int isgSubZone;
    double x;
    double y;
  };
  const Case cases[] = {
      {"GDA94 EN to DD", Datum::kGda94, CoordType::kEn, Datum::kGda94, CoordType::kDd, 56, 0, 334000.0,
       6290000.0},
      {"ISG EN sub-zone 1 to DD", Datum::kIsg, CoordType::kEn, Datum::kIsg, CoordType::kDd, 56, 1, 300000.0,
       1250000.0},
      {"ISG EN sub-zone 2 to GDA94 DD", Datum::kIsg, CoordType::kEn, Datum::kGda94, CoordType::kDd, 56, 2,
       300000.0, 1250000.0},
      {"AGD66 EN to GDA94 EN", Datum::kAgd66, CoordType::kEn, Datum::kGda94, CoordType::kEn, 55, 0, 320000.0,
       5810000.0},
      {"GDA94 DD to ISG EN sub-zone 1", Datum::kGda94, CoordType::kDd, Datum::kIsg, CoordType::kEn, 56, 1,
       151.25, -33.5},
      {"AGD66 EN to ISG EN sub-zone 2", Datum::kAgd66, CoordType::kEn, Datum::kIsg, CoordType::kEn, 56, 2,
       334000.0, 6290000.0},
      {"GDA2020 DMS to AGD84 EN", Datum::kGda2020, CoordType::kDms, Datum::kAgd84, CoordType::kEn, 54, 0,
       138.6, -34.9},
  };
  for (const Case& c : cases) {
    const ConversionSettings r = request(c.from, c.fromType, c.to, c.toType, c.zone, c.isgSubZone);
    LatLon source{c.y, c.x};
    if (c.fromType == CoordType::kEn) {
      source =
          gridToGeographic(makeProjectionParams(c.from, c.zone, true, c.isgSubZone), GridPoint{c.x, c.y});
    }
    const LatLon moved =
        transformDatum(source.latitude, source.longitude, c.from, c.to, r.epoch, false, false, "");
    double ex = moved.longitude;
    double ey = moved.latitude;
    if (c.toType == CoordType::kEn) {
      const GridPoint grid = geographicToGrid(makeProjectionParams(c.to, c.zone, true, c.isgSubZone), moved);
      ex = grid.easting;
      ey = grid.northing;
    }

    double x = c.x;
    double y = c.y;
    transformPoint(r, x, y);
    EXPECT_EQ(x, ex) << c.what;
    EXPECT_EQ(y, ey) << c.what;
  }
}

TEST(ConverterPoint, IsgSubZoneChangesBothSides) {
  double x0 = 300000.0;
  double y0 = 1250000.0;
  double x1 = x0;
  double y1 = y0;
  transformPoint(request(Datum::kIsg, CoordType::kEn, Datum::kIsg, CoordType::kDd, 56, 0), x0, y0);
  transformPoint(request(Datum::kIsg, CoordType::kEn, Datum::kIsg, CoordType::kDd, 56, 1), x1, y1);
  EXPECT_GT(std::abs(x0 - x1), 1.0);  // sub-zones are two degrees apart

  double ex0 = 151.25;
  double ny0 = -33.5;
  double ex1 = ex0;
  double ny1 = ny0;
  transformPoint(request(Datum::kAgd66, CoordType::kDd, Datum::kIsg, CoordType::kEn, 56, 0), ex0, ny0);
  transformPoint(request(Datum::kAgd66, CoordType::kDd, Datum::kIsg, CoordType::kEn, 56, 1), ex1, ny1);
  EXPECT_GT(std::abs(ex0 - ex1), 1000.0);
}

// What the Converter reports applying: grid steps with the sub-grid read, parameter sets in their
// direction, the approximate shift, or nothing. The AGD84 grid is absent, so its pair uses parameters.
TEST(ConverterReport, StepsOfTheDatumChange) {
  const TempDir folder;
  const DegreeArea area{-45.0, -10.0, 110.0, 155.0, 5.0};
  const DegreePlane plane{1.5, 0.125, 0.0625};
  ASSERT_TRUE(testing::writeShiftGrid(folder.filePath("AGD66_Australia.gsb"), area, plane, plane));
  ASSERT_TRUE(testing::writeShiftGrid(folder.filePath("GDA2020_Australia.gsb"), area, plane, plane));

  using P = ParameterSet;
  const DatumStep agd66Forward{StepKind::kGridShift, false, GridId::kAgd66};
  const DatumStep agd66Reverse{StepKind::kGridShift, true, GridId::kAgd66};
  const DatumStep gda2020Reverse{StepKind::kGridShift, true, GridId::kGda2020};
  const auto set = [](ParameterSet parameters, bool reverse) {
    return DatumStep{StepKind::kParameters, reverse, GridId::kAgd66, nullptr, parameters};
  };
  struct Case {
    const char* what;
    Datum from;
    Datum to;
    LatLon point;
    bool itrf2008;
    std::vector<DatumStep> steps;
  };
  const LatLon inside{-33.3, 138.7};
  const Case cases[] = {
      {"same datum", Datum::kGda94, Datum::kGda94, inside, false, {}},
      {"AGD66 and ISG share positions", Datum::kAgd66, Datum::kIsg, inside, false, {}},
      {"grid", Datum::kAgd66, Datum::kGda94, inside, false, {agd66Forward}},
      {"two grids", Datum::kGda2020, Datum::kAgd66, inside, false, {gda2020Reverse, agd66Reverse}},
      {"grid missing", Datum::kAgd84, Datum::kGda94, inside, false, {set(P::kAgd84ToGda94, false)}},
      {"grid then ITRF",
       Datum::kAgd66,
       Datum::kWgs84,
       inside,
       false,
       {agd66Forward, set(P::kItrf2000ToGda94, true)}},
      {"ITRF2008 to GDA2020",
       Datum::kWgs84,
       Datum::kGda2020,
       inside,
       true,
       {set(P::kItrf2008ToGda94, false), set(P::kGda2020ToGda94, true)}},
      {"ITRF2020 to AGD66: four steps",
       Datum::kItrf2020,
       Datum::kAgd66,
       inside,
       false,
       {set(P::kItrf2020ToItrf2014, false), set(P::kItrf2014ToGda2020, false), set(P::kGda2020ToGda94, false),
        agd66Reverse}},
      {"GDA2020 to ITRF2020 without GDA94",
       Datum::kGda2020,
       Datum::kItrf2020,
       inside,
       false,
       {set(P::kItrf2014ToGda2020, true), set(P::kItrf2020ToItrf2014, true)}},
      {"ITRF2008 by name", Datum::kItrf2008, Datum::kGda94, inside, false, {set(P::kItrf2008ToGda94, false)}},
      {"through GDA94",
       Datum::kAng,
       Datum::kAgd84,
       inside,
       false,
       {set(P::kAngToGda94, false), set(P::kAgd84ToGda94, true)}},
      {"New Zealand area",
       Datum::kGda94,
       Datum::kAgd66,
       {-41.0, 174.0},
       false,
       {set(P::kNzgd49ToNzgd2000, true)}},
      {"outside the supported area",
       Datum::kWgs84,
       Datum::kAgd84,
       {5.0, 100.0},
       false,
       {DatumStep{StepKind::kApproximateShift, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings settings;
    settings.fromDatum = c.from;
    settings.toDatum = c.to;
    settings.useGridShift = true;
    settings.useITRF2008 = c.itrf2008;
    settings.gridFolders = {folder.prefix()};
    const Converter converter(settings);
    const DatumReport report = converter.transformPoint({c.point.latitude, c.point.longitude, 0.0}).datum;
    ASSERT_EQ(report.stepCount, c.steps.size());
    for (std::size_t k = 0; k < c.steps.size(); ++k) {
      const DatumStep& actual = report.steps[k];
      const DatumStep& expected = c.steps[k];
      EXPECT_EQ(actual.kind, expected.kind) << k;
      EXPECT_EQ(actual.reverse, expected.reverse) << k;
      if (expected.kind == StepKind::kGridShift) {
        EXPECT_EQ(actual.grid, expected.grid) << k;
        ASSERT_NE(actual.subGrid, nullptr);
        EXPECT_EQ(actual.subGrid, &converter.gridState(expected.grid).grid->subGrids().front());
      }
      if (expected.kind == StepKind::kParameters) {
        EXPECT_EQ(actual.parameters, expected.parameters) << k;
      }
    }
  }
}

TEST(ConverterReport, MissingGeoidNamesItsFile) {
  const TempDir folder;
  ConversionSettings settings;
  settings.fromDatum = Datum::kGda2020;
  settings.toDatum = Datum::kGda2020;
  settings.fromHeightType = HeightType::kAhd;
  settings.toHeightType = HeightType::kEllipsoid;
  settings.gridFolders = {folder.prefix()};
  const Converter converter(settings);
  const ConversionResult result = converter.transformPoint({-33.5, 151.25, 10.0});
  EXPECT_EQ(result.height.geoidStatus, GeoidStatus::kFileMissing);
  EXPECT_EQ(result.height.geoid, GridId::kAusGeoid2020);
  EXPECT_EQ(result.coordinates.height, 10.0);
  EXPECT_EQ(converter.gridState(GridId::kAusGeoid2020).path, folder.filePath("AUSGeoid2020.gsb"));
  EXPECT_TRUE(converter.gridState(GridId::kAusGeoid2020).needed);
}

}  // namespace
}  // namespace velmora
