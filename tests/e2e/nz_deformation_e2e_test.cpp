// New Zealand's deformation model through the program, on the synthetic model of
// tests/support/synthetic_model.hpp written beside it under the model's published name. The
// expected digits are cct's (PROJ 9.1.1) on the same files, with the EPSG:9083 Helmert string H
// ("+proj=helmert +x=0.0064 ... +t_epoch=2000 +convention=position_vector", projinfo -k operation
// EPSG:9083 -o PROJ) in cartesian steps on GRS80:
//   ITRF2014 to NZGD2000 at 2020:  H, then +inv +proj=defmodel: 174.5999881201 -41.2000064890
//   NZGD2000 to ITRF2020 at 2012:  +proj=defmodel, +inv H, ITRF2014 to ITRF2020:
//                                  174.5999933651 -41.1999875209
//   ITRF2014 at 2010 to 2025.5:    H, +inv defmodel at 2010, defmodel and +inv H at 2025.5:
//                                  174.6000235050 -41.2000026103
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"
#include "tests/support/synthetic_model.hpp"
#include "velmora/deformation/deformation_model.hpp"

namespace velmora::testing {
namespace {

constexpr const char* kModelName = "nz_linz_nzgd2000-20180701.json";

void writeModelBeside(const VelmoraFolder& velmora) {
  ASSERT_TRUE(test::writeSyntheticModel(velmora.programFolder()));
  std::filesystem::rename(velmora.programFolder() + test::kSyntheticModelName,
                          velmora.programFolder() + kModelName);
}

TEST(NzDeformationE2e, ItrfToNzgd2000ThroughItrf96AndTheModel) {
  if (!deformationModelsSupported() || !gridFormReadable(GridForm::kGeoTiff))
    GTEST_SKIP() << "built without a JSON parser or without libtiff";
  const VelmoraFolder velmora;
  writeModelBeside(velmora);
  const std::string method = "deformation:" + std::string(kModelName);
  struct Case {
    std::vector<std::string> options;
    ExpectedRun expected;
  };
  const Case cases[] = {
      {{"--fromDatum", "ITRF2014", "--toDatum", "NZGD2000", "--epoch", "2020"},
       {0, "-41.20000649,174.59998812,0.000,helmert:ITRF2014-ITRF96+" + method + "\n", ""}},
      {{"--fromDatum", "NZGD2000", "--toDatum", "ITRF2020", "--epoch", "2012"},
       {0,
        "-41.19998752,174.59999337,0.000," + method + "+helmert:ITRF96-ITRF2014+helmert:ITRF2014-ITRF2020\n",
        ""}},
      {{"--fromDatum", "ITRF2014", "--toDatum", "ITRF2014", "--epoch", "2010", "--toEpoch", "2025.5"},
       {0,
        "-41.20000261,174.60002351,0.000,helmert:ITRF2014-ITRF96+" + method + "+" + method +
            "+helmert:ITRF96-ITRF2014\n",
        ""}},
      // Outside the model's time extent: --strict fails the point.
      {{"--fromDatum", "ITRF2014", "--toDatum", "NZGD2000", "--epoch", "2050.5"},
       {1, ",,,\n",
        "velmora: the epoch lies outside the time extent of the deformation model " +
            std::string(kModelName) + "\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options[1] + " to " + c.options[3]);
    expectRun(velmora.run(with(c.options, {"--useGridShift", "--strict", "--showMethod", "-41.2", "174.6"})),
              c.expected);
  }
  // Without --strict such a point keeps what the New Zealand rule gives, with a warning.
  expectRun(velmora.run({"--fromDatum", "ITRF2014", "--toDatum", "NZGD2000", "--epoch", "2050.5",
                         "--useGridShift", "-41.2", "174.6"}),
            {0, "-41.20000000,174.60000000,0.000\n",
             "velmora: warning: the epoch lies outside the time extent of the deformation model " +
                 std::string(kModelName) + "\n"});
}

// The model is a grid like any other: needed when the run names a New Zealand datum, so that a
// missing file stops --strict before any point; without --useGridShift it is never looked for.
TEST(NzDeformationE2e, AMissingModelIsAMissingGrid) {
  const VelmoraFolder velmora;
  const std::vector<std::string> options{"--fromDatum", "ITRF2014", "--toDatum", "NZGD2000",
                                         "--epoch",     "2020",     "-41.2",     "174.6"};
  expectRun(velmora.run(options), {0, "-41.20000000,174.60000000,0.000\n", ""});
  const ProcessResult strict = velmora.run(with({"--useGridShift", "--strict"}, options));
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.standardOutput, "");
  EXPECT_TRUE(strict.standardError.starts_with("velmora: cannot use the grid file '" +
                                               velmora.programFolder() + kModelName +
                                               "' (needed by --useGridShift): error 321: Cannot open file"))
      << strict.standardError;
}

}  // namespace
}  // namespace velmora::testing
