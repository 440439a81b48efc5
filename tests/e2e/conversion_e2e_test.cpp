// The wiring of the program to the pipeline: datum changes, region rules, grid legs with their
// fallback to parameters, map projections and heights. Expected numbers come from the library
// functions the program must reach, formatted like the program's result lines.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "pipeline/datum_projection.hpp"
#include "tests/e2e/velmora_folder.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::testing {
namespace {

// A point in Sydney and one in Perth (GDA94 latitude, longitude in degrees).
constexpr LatLon kSydney{-33.85678, 151.2153};
constexpr LatLon kPerth{-31.95224, 115.8614};

// Grid fixture over eastern Australia; Perth lies outside it.
constexpr float kGda2020LatShift = 1.5F;   // arc-seconds, north positive
constexpr float kGda2020LonShift = 2.25F;  // arc-seconds, east positive
constexpr float kAgd66LatShift = 5.25F;
constexpr float kAgd66LonShift = 4.75F;

// One input-file line: latitude, longitude, height.
std::string csvLine(LatLon p, double height) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%.17g,%.17g,%.17g\n", p.latitude, p.longitude, height);
  return buffer;
}

std::vector<std::string> withPoint(std::vector<std::string> options, LatLon p,
                                   const std::string& height = "0") {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g", p.latitude);
  options.emplace_back(buffer);
  std::snprintf(buffer, sizeof buffer, "%.17g", p.longitude);
  options.emplace_back(buffer);
  options.push_back(height);
  return options;
}

std::string shifted(LatLon p, double latSeconds, double lonSeconds, double height = 0.0) {
  return ddLine(p.latitude + latSeconds / kSecondsPerDegree, p.longitude + lonSeconds / kSecondsPerDegree,
                height);
}

std::string line(LatLon p, double height = 0.0) {
  return ddLine(p.latitude, p.longitude, height);
}

TEST(ConversionE2e, ParameterTransformationsThroughGda94) {
  const VelmoraFolder velmora;
  struct Case {
    std::vector<std::string> options;
    LatLon point;
    std::string expected;
  };
  const Case cases[] = {
      {{"--fromDatum", "GDA94", "--toDatum", "GDA2020"},
       kSydney,
       line(gda94ToGda2020(kSydney.latitude, kSydney.longitude, 0.0))},
      {{"--fromDatum", "GDA2020", "--toDatum", "GDA94"},
       kPerth,
       line(gda2020ToGda94(kPerth.latitude, kPerth.longitude, 0.0))},
      {{"--fromDatum", "AGD84", "--toDatum", "GDA94"},
       kPerth,
       line(agd84ToGda94(kPerth.latitude, kPerth.longitude))},
      {{"--fromDatum", "GDA94", "--toDatum", "AGD66"},
       kSydney,
       line(gda94ToAgd66(kSydney.latitude, kSydney.longitude))},
      {{"--fromDatum", "ISG", "--toDatum", "GDA2020"},
       kSydney,
       [] {
         const LatLon p = agd66ToGda94(kSydney.latitude, kSydney.longitude);
         return line(gda94ToGda2020(p.latitude, p.longitude, 0.0));
       }()},
      // WGS84 is an ITRF position at the epoch: ITRF2000 unless asked for ITRF2008.
      {{"--fromDatum", "WGS84", "--toDatum", "GDA94", "--epoch", "2010.5"},
       kSydney,
       line(itrfToGda94(kSydney.latitude, kSydney.longitude, 2010.5, ItrfRealisation::kItrf2000))},
      {{"--fromDatum", "WGS84", "--toDatum", "GDA94", "--epoch", "2010.5", "--useITRF2008"},
       kSydney,
       line(itrfToGda94(kSydney.latitude, kSydney.longitude, 2010.5, ItrfRealisation::kItrf2008))},
      {{"--fromDatum", "GDA2020", "--toDatum", "WGS84", "--epoch", "2015", "--useITRF2008"},
       kPerth,
       line(gda2020ToItrf(kPerth.latitude, kPerth.longitude, 2015.0, ItrfRealisation::kItrf2008))},
      // An ITRF name beats the flag; ITRF2020 reaches GDA2020 through ITRF2014.
      {{"--fromDatum", "ITRF2000", "--toDatum", "GDA94", "--epoch", "2010.5", "--useITRF2008"},
       kSydney,
       line(itrfToGda94(kSydney.latitude, kSydney.longitude, 2010.5, ItrfRealisation::kItrf2000))},
      {{"--fromDatum", "ITRF2020", "--toDatum", "GDA2020", "--epoch", "2026.9"},
       kSydney,
       [] {
         const LatLon p = itrf2020ToItrf2014(kSydney.latitude, kSydney.longitude, 2026.9);
         return line(itrf2014ToGda2020(p.latitude, p.longitude, 2026.9));
       }()},
      // ATRF2014 is ITRF2014's positions; a target epoch moves them through GDA2020. cct on
      // +proj=set +v_4=2010, EPSG:8049's Helmert, +proj=set +v_4=2025.5, its +inv:
      // -33.84999239620 151.20000305293.
      {{"--fromDatum", "ATRF2014", "--toDatum", "GDA2020", "--epoch", "2026.9"},
       kSydney,
       line(itrf2014ToGda2020(kSydney.latitude, kSydney.longitude, 2026.9))},
      {{"--fromDatum", "ITRF2014", "--toDatum", "ITRF2014", "--epoch", "2010", "--toEpoch", "2025.5"},
       LatLon{-33.85, 151.2},
       "-33.84999240,151.20000305,0.000\n"},
      {{"--fromDatum", "ITRF2014", "--toDatum", "ATRF2014", "--fromEpoch", "2010-01-01T00:00:00Z",
        "--toEpoch", "2025-07-02T12:00:00Z"},
       LatLon{-33.85, 151.2},
       "-33.84999240,151.20000305,0.000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.options[1] << " to " << c.options[3]);
    expectRun(velmora.run(withPoint(c.options, c.point)), {0, c.expected, ""});
  }
}

// Runs that name no ITRF datum print what they always did, through the paths the ITRF datums share
// with WGS84: the AGD grid leg, the region rules, the realisation flag, an unknown name (bytes of
// the program before the ITRF names were added).
TEST(ConversionE2e, RunsWithoutTheItrfNamesKeepTheirBytes) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AGD66_Australia.gsb",
                             constantShiftGrid(kEasternArea, kAgd66LatShift, kAgd66LonShift));
  velmora.writeInWorkFolder("points.csv",
                            "-33.85678,151.2153,25\n-31.95224,115.8614\n-41.28,174.78\n5,100\n");
  struct Case {
    std::vector<std::string> options;
    std::string expected;
  };
  const Case cases[] = {
      {{"--fromDatum", "WGS84", "--toDatum", "AGD66", "--useGridShift", "--epoch", "2024.5"},
       "-33.85825321,151.21397426,25.000,helmert:ITRF2000-GDA94+grid:AGD66_Australia.gsb:AREA\n"
       "-31.95346866,115.85991722,0.000,helmert:ITRF2000-GDA94+helmert:GDA94-AGD66\n"
       "-41.28171249,174.77983581,0.000,nz-rule+helmert:NZGD2000-NZGD49\n"
       "4.99855556,99.99869444,0.000,approximate\n"},
      {{"--fromDatum", "AGD84", "--toDatum", "WGS84", "--useITRF2008", "--epoch", "2010"},
       "-33.85518505,151.21647309,25.000,helmert:AGD84-GDA94+helmert:GDA94-ITRF2008\n"
       "-31.95101197,115.86288882,0.000,helmert:AGD84-GDA94+helmert:GDA94-ITRF2008\n"
       "-41.27828747,174.78016420,0.000,nz-rule+helmert:NZGD49-NZGD2000\n"
       "5.00144444,100.00130556,0.000,approximate\n"},
      {{"--fromDatum", "GDA2020", "--toDatum", "ITRF2005", "--epoch", "2031.25"},
       "-33.85677449,151.21530218,25.000,helmert:GDA2020-GDA94+helmert:GDA94-ITRF2000\n"
       "-31.95223438,115.86140437,0.000,helmert:GDA2020-GDA94+helmert:GDA94-ITRF2000\n"
       "-41.28000000,174.78000000,0.000,nz-rule+no-transformation\n"
       "5.00000000,100.00000000,0.000,outside-area\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options[3]);
    std::vector<std::string> arguments = c.options;
    arguments.insert(arguments.end(), {"--showMethod", "--inputFile", "points.csv"});
    expectRun(velmora.run(arguments), {0, c.expected, ""});
  }
}

TEST(ConversionE2e, RegionRules) {
  const VelmoraFolder velmora;
  constexpr double kApproxLatShiftDeg = 0.0014444444444444446;  // 5.2 arc-seconds
  constexpr double kApproxLonShiftDeg = 0.0013055555555555557;  // 4.7 arc-seconds
  constexpr LatLon kWellington{-41.0, 174.0};
  constexpr LatLon kNorthOfEquator{10.0, 151.0};
  struct Case {
    std::vector<std::string> options;
    LatLon point;
    std::string expected;
  };
  const Case cases[] = {
      // New Zealand area: the Australian datums become the New Zealand ones.
      {{"--fromDatum", "AGD66", "--toDatum", "GDA94"},
       kWellington,
       line(nzgd49ToNzgd2000(kWellington.latitude, kWellington.longitude))},
      {{"--fromDatum", "GDA94", "--toDatum", "WGS84"}, kWellington, line(kWellington)},
      // Outside the supported area only the approximate AGD shift is applied.
      {{"--fromDatum", "AGD66", "--toDatum", "GDA94"},
       kNorthOfEquator,
       ddLine(kNorthOfEquator.latitude + kApproxLatShiftDeg, kNorthOfEquator.longitude + kApproxLonShiftDeg,
              0.0)},
      {{"--fromDatum", "GDA94", "--toDatum", "AGD84"},
       kNorthOfEquator,
       ddLine(kNorthOfEquator.latitude - kApproxLatShiftDeg, kNorthOfEquator.longitude - kApproxLonShiftDeg,
              0.0)},
      {{"--fromDatum", "GDA94", "--toDatum", "GDA2020"}, kNorthOfEquator, line(kNorthOfEquator)},
      // Same datum: unchanged.
      {{"--fromDatum", "AGD66", "--toDatum", "ISG"}, kSydney, line(kSydney)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << c.options[1] << " to " << c.options[3] << " at " << c.point.latitude);
    expectRun(velmora.run(withPoint(c.options, c.point)), {0, c.expected, ""});
  }
}

TEST(ConversionE2e, GridLegsAndFallbackToParameters) {
  const VelmoraFolder withGrids;
  withGrids.writeBesideProgram("GDA2020_Australia.gsb",
                               constantShiftGrid(kEasternArea, kGda2020LatShift, kGda2020LonShift));
  withGrids.writeBesideProgram("AGD66_Australia.gsb",
                               constantShiftGrid(kEasternArea, kAgd66LatShift, kAgd66LonShift));
  const VelmoraFolder withoutGrids;

  const std::vector<std::string> gda94To2020{"--fromDatum", "GDA94", "--toDatum", "GDA2020",
                                             "--useGridShift"};
  const std::vector<std::string> gda2020To94{"--fromDatum", "GDA2020", "--toDatum", "GDA94",
                                             "--useGridShift"};
  const std::vector<std::string> agd66To2020{"--fromDatum", "AGD66", "--toDatum", "GDA2020",
                                             "--useGridShift"};
  const std::vector<std::string> agd84To94{"--fromDatum", "AGD84", "--toDatum", "GDA94", "--useGridShift"};

  struct Case {
    const char* name;
    const VelmoraFolder* folder;
    std::vector<std::string> arguments;
    std::string expected;
  };
  const Case cases[] = {
      {"forward grid", &withGrids, withPoint(gda94To2020, kSydney),
       shifted(kSydney, kGda2020LatShift, kGda2020LonShift)},
      {"inverse grid", &withGrids, withPoint(gda2020To94, kSydney),
       shifted(kSydney, -kGda2020LatShift, -kGda2020LonShift)},
      {"two grid legs", &withGrids, withPoint(agd66To2020, kSydney),
       ddLine(kSydney.latitude + kAgd66LatShift / kSecondsPerDegree + kGda2020LatShift / kSecondsPerDegree,
              kSydney.longitude + kAgd66LonShift / kSecondsPerDegree + kGda2020LonShift / kSecondsPerDegree,
              0.0)},
      {"point outside the grid", &withGrids, withPoint(gda94To2020, kPerth),
       line(gda94ToGda2020(kPerth.latitude, kPerth.longitude, 0.0))},
      {"grid file absent", &withoutGrids, withPoint(gda94To2020, kSydney),
       line(gda94ToGda2020(kSydney.latitude, kSydney.longitude, 0.0))},
      {"AGD84 grid absent", &withGrids, withPoint(agd84To94, kSydney),
       line(agd84ToGda94(kSydney.latitude, kSydney.longitude))},
      {"no grid asked for", &withGrids, withPoint({"--fromDatum", "GDA94", "--toDatum", "GDA2020"}, kSydney),
       line(gda94ToGda2020(kSydney.latitude, kSydney.longitude, 0.0))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectRun(c.folder->run(c.arguments), {0, c.expected, ""});
  }
}

TEST(ConversionE2e, GridLegsForEveryPointOfAFile) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("GDA2020_Australia.gsb",
                             constantShiftGrid(kEasternArea, kGda2020LatShift, kGda2020LonShift));
  velmora.writeInWorkFolder("points.csv", csvLine(kSydney, 1.0) + csvLine(kPerth, 2.0));
  const std::string expected = shifted(kSydney, kGda2020LatShift, kGda2020LonShift, 1.0) +
                               line(gda94ToGda2020(kPerth.latitude, kPerth.longitude, 0.0), 2.0);
  expectRun(velmora.run({"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--useGridShift", "--inputFile",
                         "points.csv"}),
            {0, expected, ""});
}

// A real national grid written by others, installed under the name of the AGD66 grid: the
// program must apply the shift the library interpolates from it.
TEST(ConversionE2e, RealNtv2FileAsDatumGrid) {
  const std::filesystem::path realGrid = "/usr/share/proj/nzgd2kgrid0005.gsb";
  ASSERT_TRUE(std::filesystem::exists(realGrid)) << realGrid << " missing: install Debian's proj-data";
  const VelmoraFolder velmora;
  velmora.linkBesideProgram("AGD66_Australia.gsb", realGrid);

  const std::unique_ptr<GridFile> grid = openGridFile(realGrid.string());
  ASSERT_NE(grid, nullptr);
  constexpr LatLon kWellington{-41.28664, 174.77557};
  const std::optional<GridShift> shift =
      interpolateGridShift(*grid, kWellington.latitude, kWellington.longitude);
  ASSERT_TRUE(shift);

  expectRun(
      velmora.run(withPoint({"--fromDatum", "AGD66", "--toDatum", "GDA94", "--useGridShift"}, kWellington)),
      {0, shifted(kWellington, shift->latitudeShift, shift->longitudeShift), ""});
}

TEST(ConversionE2e, MapProjections) {
  const VelmoraFolder velmora;
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::string expected;
  };
  const auto toGeographic = [](Datum datum, int zone, bool south, double e, double n) {
    return gridToGeographic(makeProjectionParams(datum, zone, south, 0), GridPoint{e, n});
  };
  const auto toGrid = [](Datum datum, int zone, bool south, LatLon p) {
    return geographicToGrid(makeProjectionParams(datum, zone, south, 0), p);
  };
  const LatLon sydney2020 = gda94ToGda2020(kSydney.latitude, kSydney.longitude, 0.0);
  const GridPoint sydneyGrid = toGrid(Datum::kGda2020, 56, true, sydney2020);
  const GridPoint northern = toGrid(Datum::kGda94, 31, false, LatLon{10.5, 3.25});
  const Case cases[] = {
      {"EN to DD, default zone 56",
       {"--fromDatum", "GDA94", "--toDatum", "GDA94", "--fromCoordType", "EN", "334567.891", "6252345.678",
        "5"},
       line(toGeographic(Datum::kGda94, 56, true, 334567.891, 6252345.678), 5.0)},
      {"EN to DD, zone 55",
       {"--fromDatum", "GDA94", "--toDatum", "GDA94", "--fromCoordType", "EN", "--zone", "55", "273741.297",
        "5796489.777"},
       line(toGeographic(Datum::kGda94, 55, true, 273741.297, 5796489.777))},
      {"DD to EN across datums",
       withPoint({"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--toCoordType", "EN"}, kSydney, "12.5"),
       enLine(sydneyGrid.easting, sydneyGrid.northing, 12.5)},
      {"northern hemisphere",
       withPoint({"--fromDatum", "GDA94", "--toDatum", "GDA94", "--toCoordType", "EN", "--zone", "31",
                  "--hemisphere", "North"},
                 LatLon{10.5, 3.25}),
       enLine(northern.easting, northern.northing, 0.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectRun(velmora.run(c.arguments), {0, c.expected, ""});
  }
}

// The nine official ISG zones Z/s through the program, against PROJ 9.1's exact Transverse
// Mercator (cct, +proj=tmerc +lon_0=CM +k=0.99994 +x_0=300000 +y_0=5000000 +ellps=aust_SA) within a
// millimetre: a point near each central meridian, and one grid position back to degrees.
TEST(ConversionE2e, OfficialIsgZonesAgreeWithTheExactTransverseMercator) {
  const VelmoraFolder velmora;
  constexpr double kMillimetre = 0.001;                // metres
  constexpr double kMillimetreOfLatitudeDeg = 0.9e-8;  // degrees; also under 1 mm of longitude here
  const std::vector<std::string> isg{"--strict", "--fromDatum", "ISG", "--toDatum", "ISG"};
  struct Case {
    std::string zone;
    std::string subZone;
    std::string latitude;  // degrees
    std::string longitude;
    double easting;  // metres
    double northing;
  };
  const Case cases[] = {
      {"54", "1", "-31.5", "138.6", 262001.0723, 1513716.5846},  // 139 E
      {"54", "2", "-33.0", "141.5", 346724.2166, 1347347.4149},  // 141 E
      {"54", "3", "-29.5", "142.4", 241822.9568, 1735345.2960},  // 143 E
      {"55", "1", "-35.9", "145.7", 363191.0999, 1025551.4496},  // 145 E
      {"55", "2", "-34.2", "146.6", 263134.8839, 1214295.4021},  // 147 E
      {"55", "3", "-30.3", "149.8", 376952.6969, 1646548.6353},  // 149 E
      {"56", "1", "-33.8", "151.2", 318519.1179, 1258716.2021},  // 151 E, Sydney
      {"56", "2", "-28.9", "152.6", 260989.0117, 1801929.1764},  // 153 E
      {"56", "3", "-31.4", "155.3", 328529.4387, 1524834.0725},  // 155 E
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone + "/" + c.subZone);
    const ProcessResult result =
        velmora.run(with(isg, {"--fromCoordType", "DD", "--toCoordType", "EN", "--zone", c.zone,
                               "--ISGSubZone", c.subZone, c.latitude, c.longitude}));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.standardError, "");
    double easting = 0.0;
    double northing = 0.0;
    ASSERT_EQ(std::sscanf(result.standardOutput.c_str(), "%lf,%lf", &easting, &northing), 2);
    EXPECT_NEAR(easting, c.easting, kMillimetre);
    EXPECT_NEAR(northing, c.northing, kMillimetre);
  }
  // 55/2 (147 E) back to degrees: cct -I gives -34.5096951338, 146.8148636795.
  const ProcessResult back = velmora.run(with(isg, {"--fromCoordType", "EN", "--toCoordType", "DD", "--zone",
                                                    "55", "--ISGSubZone", "2", "283000", "1180000"}));
  EXPECT_EQ(back.status, 0);
  EXPECT_EQ(back.standardError, "");
  double latitude = 0.0;
  double longitude = 0.0;
  ASSERT_EQ(std::sscanf(back.standardOutput.c_str(), "%lf,%lf", &latitude, &longitude), 2);
  EXPECT_NEAR(latitude, -34.5096951338, kMillimetreOfLatitudeDeg);
  EXPECT_NEAR(longitude, 146.8148636795, kMillimetreOfLatitudeDeg);
}

// Geoid fixture over the whole continent at 1 degree: N = 20 + 0.5 per degree north + 0.25 per
// degree east of the south-west corner, so every interpolated value follows the plane.
constexpr DegreeArea kContinent{-45.0, -10.0, 110.0, 155.0, 1.0};
double planeSeparation(LatLon p) {
  return 20.0 + 0.5 * (p.latitude - kContinent.south) + 0.25 * (p.longitude - kContinent.west);
}

TEST(ConversionE2e, HeightsWithGeoidGrids) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", planeGeoidGrid(kContinent, 20.0F, 0.5F, 0.25F));
  velmora.writeBesideProgram("AUSGeoid09.gsb", constantShiftGrid(kContinent, 30.0F, 0.0F));
  velmora.writeBesideProgram("AUSGeoid98.gsb", constantShiftGrid(kContinent, 40.0F, 0.0F));

  const LatLon sydney2020 = gda94ToGda2020(kSydney.latitude, kSydney.longitude, 0.0);
  const double heightChange = gda94ToGda2020(sydney2020.latitude, sydney2020.longitude, 0.0).height;

  struct Case {
    const char* name;
    std::vector<std::string> options;
    LatLon point;
    std::string expected;
  };
  const Case cases[] = {
      {"AHD to ellipsoid",
       {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid"},
       kSydney,
       line(kSydney, 100.0 + planeSeparation(kSydney))},
      {"ellipsoid to AHD",
       {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "Ellipsoid", "--toHeightType",
        "AHD"},
       kPerth,
       line(kPerth, 100.0 - planeSeparation(kPerth))},
      {"GDA94 ellipsoid to GDA2020 AHD",
       {"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromHeightType", "Ellipsoid", "--toHeightType",
        "AHD"},
       kSydney,
       line(sydney2020, 100.0 + heightChange - planeSeparation(sydney2020))},
      {"AUSGeoid09",
       {"--fromDatum", "GDA94", "--toDatum", "GDA94", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid"},
       kSydney,
       line(kSydney, 130.0)},
      {"AUSGeoid98",
       {"--fromDatum", "GDA94", "--toDatum", "GDA94", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid", "--useAusGeoid98"},
       kSydney,
       line(kSydney, 140.0)},
      {"one height type only",
       {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "AHD"},
       kSydney,
       line(kSydney, 100.0)},
      {"datum without heights",
       {"--fromDatum", "AGD66", "--toDatum", "AGD66", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid"},
       kSydney,
       line(kSydney, 100.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectRun(velmora.run(withPoint(c.options, c.point, "100")), {0, c.expected, ""});
  }
}

// The height code reads a GTX or GeoTIFF geoid, named with --grid, as it reads the NTv2 one.
TEST(ConversionE2e, GeoidsInEveryFormatGiveTheSameHeights) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", planeGeoidGrid(kContinent, 20.0F, 0.5F, 0.25F));
  const auto gsb = openGridFile(velmora.programFolder() + "AUSGeoid2020.gsb");
  ASSERT_NE(gsb, nullptr);
  GridImage image = gridImageFromFile(*gsb);
  image.content = GridContent::kGeoid;
  std::vector<std::string> files;
  std::string bytes;
  ASSERT_EQ(encodeGtxGrid(image, bytes), kGridOk);
  velmora.writeBesideProgram("geoid.gtx", bytes);
  files.emplace_back("geoid.gtx");
  if (encodeGeoTiffGrid(image, bytes) == kGridOk) {
    velmora.writeBesideProgram("geoid.tif", bytes);
    files.emplace_back("geoid.tif");
  }
  const std::vector<std::string> options{"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType",
                                         "AHD", "--toHeightType", "Ellipsoid"};
  for (const LatLon point : {kSydney, kPerth}) {
    for (const std::string& file : files) {
      SCOPED_TRACE(file);
      expectRun(velmora.run(withPoint(with({"--grid", "AUSGeoid2020=" + file}, options), point, "100")),
                {0, line(point, 100.0 + planeSeparation(point)), ""});
    }
  }
}

// A missing geoid is said once, not once a point, and counted at the end; --quiet says nothing.
TEST(ConversionE2e, MissingGeoidIsReportedOnceAndCounted) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv", "-33.5,151.25,10\n-31.5,115.75,20\n-20.25,130.5,30\n");
  const std::vector<std::string> arguments{"--fromDatum",      "GDA2020",   "--toDatum",      "GDA2020",
                                           "--fromHeightType", "AHD",       "--toHeightType", "Ellipsoid",
                                           "--inputFile",      "points.csv"};
  const std::string geoid = velmora.programFolder() + "AUSGeoid2020.gsb";
  const std::string results =
      "-33.50000000,151.25000000,10.000\n-31.50000000,115.75000000,20.000\n-20.25000000,130.50000000,30."
      "000\n";
  expectRun(velmora.run(arguments),
            {0, results,
             "velmora: warning: cannot use the geoid file '" + geoid +
                 "' (needed for the heights): error 321: Cannot open file; looked in " +
                 velmora.programFolder() + ", " + binaryFolder() + "\n" + geoid +
                 " does not exist\n"
                 "velmora: warning: 3 points had no geoid file, their heights converted without its "
                 "separation (first: points.csv line "
                 "1); --strict makes these errors\n"});
  const ProcessResult quiet = velmora.run(with({"--quiet"}, arguments));
  EXPECT_EQ(quiet.standardOutput, results);
  EXPECT_EQ(quiet.standardError, "");
}

// A file of many points, converted on any number of threads: every point gets its own separation
// from the geoid, opened once for the whole run, and the bytes are those of a single thread.
TEST(ConversionE2e, EveryPointOfAFileGetsItsSeparationOnAnyNumberOfThreads) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", planeGeoidGrid(kContinent, 20.0F, 0.5F, 0.25F));
  std::string input;
  std::string expected;
  constexpr int kPoints = 30000;  // several blocks of input
  for (int k = 0; k < kPoints; ++k) {
    const LatLon p{-43.0 + 30.0 * k / kPoints, 112.0 + (k % 4000) * 0.01};
    const double height = 0.5 * (k % 200);
    input += csvLine(p, height);
    expected += line(p, height + planeSeparation(p));
  }
  velmora.writeInWorkFolder("points.csv", input);
  for (const char* threads : {"1", "2", "7"}) {
    SCOPED_TRACE(threads);
    expectRun(
        velmora.run({"--threads", threads, "--fromDatum", "GDA2020", "--toDatum", "GDA2020",
                     "--fromHeightType", "AHD", "--toHeightType", "Ellipsoid", "--inputFile", "points.csv"}),
        {0, expected, ""});
  }
}

// Without their files, the warnings are the same bytes on any number of threads.
TEST(ConversionE2e, MissingFilesGiveTheSameBytesOnAnyNumberOfThreads) {
  const VelmoraFolder velmora;
  std::string input;
  for (int k = 0; k < 20000; ++k) input += csvLine({-40.0 + k * 0.001, 145.0 + k * 0.0005}, k % 50);
  velmora.writeInWorkFolder("points.csv", input);
  const std::vector<std::string> options{"--fromDatum",      "GDA94",       "--toDatum",      "GDA2020",
                                         "--fromHeightType", "Ellipsoid",   "--toHeightType", "AHD",
                                         "--useGridShift",   "--inputFile", "points.csv"};
  std::vector<std::string> single{"--threads", "1"};
  single.insert(single.end(), options.begin(), options.end());
  const ProcessResult reference = velmora.run(single);
  ASSERT_EQ(reference.status, 0);
  const std::string folder = velmora.programFolder();
  EXPECT_EQ(reference.standardError,
            "velmora: warning: cannot use the grid file '" + folder +
                "GDA2020_Australia.gsb' (needed by --useGridShift): error 321: Cannot open file; looked in " +
                folder + ", " + binaryFolder() +
                "\n"
                "velmora: warning: cannot use the geoid file '" +
                folder +
                "AUSGeoid2020.gsb' (needed for the heights): error 321: Cannot open file; looked in " +
                folder + ", " + binaryFolder() + "\n" + folder +
                "AUSGeoid2020.gsb does not exist\n"
                "velmora: warning: 20000 points had no geoid file, their heights converted without its "
                "separation (first: points.csv "
                "line 1); --strict makes these errors\n");
  for (const char* threads : {"2", "7"}) {
    std::vector<std::string> arguments{"--threads", threads};
    arguments.insert(arguments.end(), options.begin(), options.end());
    expectRun(velmora.run(arguments), {0, reference.standardOutput, reference.standardError});
  }
}

// A refused grid is opened once for the whole run, not once per point (counted with inotify: the
// close events keep the kernel from merging repeated opens into one), and the results are those of
// a run without the file.
TEST(ConversionE2e, RefusedGridIsOpenedOnce) {
  const VelmoraFolder velmora;
  std::string input;
  for (int k = 0; k < 1000; ++k) input += csvLine({-33.0 - k * 0.001, 151.0}, 0.0);
  velmora.writeInWorkFolder("points.csv", input);
  const std::vector<std::string> arguments{"--fromDatum",    "AGD66",       "--toDatum", "GDA94",
                                           "--useGridShift", "--inputFile", "points.csv"};
  const ProcessResult withoutFile = velmora.run(arguments);
  ASSERT_EQ(withoutFile.status, 0);

  const std::string grid = constantShiftGrid(kEasternArea, kAgd66LatShift, kAgd66LonShift);
  velmora.writeBesideProgram("AGD66_Australia.gsb", grid.substr(0, grid.size() / 2));
  const int watcher = inotify_init1(IN_NONBLOCK);
  ASSERT_GE(watcher, 0);
  ASSERT_GE(inotify_add_watch(watcher, (velmora.programFolder() + "AGD66_Australia.gsb").c_str(),
                              IN_OPEN | IN_CLOSE_NOWRITE),
            0);
  expectRun(velmora.run(arguments), {0, withoutFile.standardOutput, ""});
  int opens = 0;
  alignas(inotify_event) char events[4096];
  for (ssize_t got; (got = read(watcher, events, sizeof events)) > 0;) {
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      opens += (event->mask & IN_OPEN) != 0 ? 1 : 0;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  close(watcher);
  EXPECT_EQ(opens, 1);
}

// The grids lie beside the program however it was started: by a path relative to the current
// folder, or by its bare name after a search-path lookup.
TEST(ConversionE2e, GridsAreFoundBesideTheProgram) {
  const VelmoraFolder velmora(/*copyBinary=*/true);
  velmora.writeBesideProgram("GDA2020_Australia.gsb",
                             constantShiftGrid(kEasternArea, kGda2020LatShift, kGda2020LonShift));
  const std::vector<std::string> arguments =
      withPoint({"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--useGridShift"}, kSydney);
  const std::string expected = shifted(kSydney, kGda2020LatShift, kGda2020LonShift);

  ProcessResult result = velmora.runAs("velmora", arguments);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.standardOutput, expected);

  ProcessOptions fromProgramFolder;
  fromProgramFolder.workingDirectory = std::filesystem::path(velmora.programPath()).parent_path();
  result = velmora.runAs("./velmora", arguments, fromProgramFolder);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.standardOutput, expected);
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

// Grid output in a zone of its own. Expected values from PROJ, same datum both sides:
//   echo "700000 6250000" | cs2cs -f "%.4f" EPSG:28355 EPSG:28356   ->  144959.9411 6245471.0291
//   echo "-36 150" | cs2cs -f "%.4f" EPSG:7844 EPSG:7856             ->  229578.6300 6011888.0378
TEST(ZoneE2e, TargetZoneAndEachPointsOwnZone) {
  const VelmoraFolder velmora;
  const std::vector<std::string> mga{"--fromDatum", "GDA94", "--toDatum", "GDA94", "--toCoordType", "EN"};
  struct Case {
    std::vector<std::string> options;
    std::string point;
    ExpectedRun expected;
  };
  const Case cases[] = {
      {{"--fromCoordType", "EN", "--fromZone", "55", "--toZone", "56"},
       "700000 6250000",
       {0, "144959.941,6245471.029,0.000\n", ""}},
      {{"--toZone", "auto"}, "-36 150", {0, "229578.630,6011888.038,0.000,56\n", ""}},
      // On the boundary a longitude belongs to the zone east of it; the zone comes before the method.
      {{"--toZone", "auto", "--showMethod"},
       "-33.8 149.99999",
       {0, "777738.899,6255972.126,0.000,55,unchanged\n", ""}},
      {{"--toZone", "56"}, "-33.8 150", {0, "222260.174,6255972.099,0.000\n", ""}},
      {{"--strict", "--zone", "55"},
       "-33.8 151.2",
       {1, ",,\n", "velmora: the point's grid coordinates would lie more than 1 degree outside zone 55\n"}},
      {{"--toDatum", "ISG", "--toZone", "auto"},
       "-33.8 151.2",
       {1, "",
        "velmora: --toZone auto: the ISG grid has no UTM zones (auto serves AMG, MGA and UTM grids)\n"}},
      {{"--toZone", "61"},
       "-33.8 151.2",
       {1, "", "velmora: --toZone '61': expected a zone from 1 to 60, or auto\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.point);
    std::vector<std::string> arguments = mga;
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const std::size_t space = c.point.find(' ');
    arguments.push_back(c.point.substr(0, space));
    arguments.push_back(c.point.substr(space + 1));
    expectRun(velmora.run(arguments), c.expected);
  }
}

// With --columns the zone field of each line is that point's own zone, not one for the run: points in
// zones 56, 55 and 54 in one file. The zone 54 point from PROJ as above:
//   echo "-34.9 138.6" | cs2cs -f "%.4f" EPSG:4283 EPSG:28354         ->  280707.5981 6135417.7744
TEST(ZoneE2e, ColumnsGiveEachPointItsOwnZone) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv", "P1,-36,150,x\nP2,-33.8,149.99999\nP3,-34.9,138.6,y\n");
  const std::vector<std::string> arguments{"--fromDatum",   "GDA94", "--toDatum",   "GDA94",
                                           "--toCoordType", "EN",    "--toZone",    "auto",
                                           "--columns",     "2,3",   "--inputFile", "points.csv"};
  expectRun(velmora.run(arguments), {0,
                                     "P1,229578.630,6011888.038,x,56\n"
                                     "P2,777738.899,6255972.126,55\n"
                                     "P3,280707.598,6135417.774,y,54\n",
                                     ""});
}

// An ISG sub-zone is 2 degrees wide: a point more than 2 degrees from its central meridian lies more
// than a degree outside it. Zone 56/1 is on 151 E; eastings from PROJ's exact Transverse Mercator:
//   echo "153.5 -33.8 0" | cct -d 4 +proj=tmerc +lon_0=151 +k=0.99994 +x_0=300000 +y_0=5000000
//     +ellps=aust_SA  ->  531517.0103 1255923.3074   (152.9: 475943.8712 1257110.9663)
TEST(ZoneE2e, IsgSubZoneEndsADegreeBeyondItsEdge) {
  const VelmoraFolder velmora;
  const std::vector<std::string> isg{"--fromDatum", "ISG",    "--toDatum", "ISG",          "--toCoordType",
                                     "EN",          "--zone", "56",        "--ISGSubZone", "1"};
  const std::string outside =
      "velmora: the point's grid coordinates would lie more than 1 degree outside zone 56\n";
  struct Case {
    std::vector<std::string> options;
    ExpectedRun expected;
  };
  const Case cases[] = {
      {{"--strict", "-33.8", "153.5"}, {1, ",,\n", outside}},
      {{"-33.8", "153.5"},
       {0, "531517.010,1255923.307,0.000\n",
        "velmora: warning: the point's grid coordinates would lie more than 1 degree outside zone 56\n"}},
      {{"--strict", "-33.8", "152.9"}, {0, "475943.871,1257110.966,0.000\n", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.back());
    expectRun(velmora.run(with(isg, c.options)), c.expected);
  }
}

}  // namespace
}  // namespace velmora::testing
