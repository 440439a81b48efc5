// The New Zealand grid through the program: found beside it or named by --grid, named by
// --showMethod, and needed by --strict only for a run that names a New Zealand datum. The grid
// results are PROJ's hgridshift on the same file, written to the program's eight decimals; the
// seven-parameter results are the program's output before the grid was added:
//   echo "174.78 -41.28 0" | cct -d 12 +proj=hgridshift +grids=/usr/share/proj/nzgd2kgrid0005.gsb
//   174.780190907152  -41.278275094493
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

const std::filesystem::path kRealGrid = "/usr/share/proj/nzgd2kgrid0005.gsb";

TEST(NzGridE2e, GridBesideTheProgramOrNamedByItsSlot) {
  if (!std::filesystem::exists(kRealGrid)) GTEST_SKIP() << kRealGrid << " missing: install proj-data";
  const VelmoraFolder withGrid;
  withGrid.linkBesideProgram("nzgd2kgrid0005.gsb", kRealGrid);
  const VelmoraFolder bare;
  const std::vector<std::string> wellington{"-41.28", "174.78"};
  const std::string gridWellington = "-41.27827509,174.78019091,0.000,";
  struct Case {
    const char* what;
    const VelmoraFolder* folder;
    std::vector<std::string> arguments;
    std::string expected;
  };
  const Case cases[] = {
      {"beside the program", &withGrid,
       with({"--useGridShift", "--fromDatum", "NZGD49", "--toDatum", "NZGD2000"}, wellington),
       gridWellington + "grid:nzgd2kgrid0005.gsb:NZNAT\n"},
      {"--grid slot", &bare,
       with({"--useGridShift", "--grid", "NZGD2000=" + kRealGrid.string(), "--fromDatum", "NZGD49",
             "--toDatum", "NZGD2000"},
            wellington),
       gridWellington + "grid:nzgd2kgrid0005.gsb:NZNAT\n"},
      {"New Zealand rule", &withGrid,
       with({"--useGridShift", "--fromDatum", "AGD66", "--toDatum", "GDA94"}, wellington),
       gridWellington + "nz-rule+grid:nzgd2kgrid0005.gsb:NZNAT\n"},
      {"outside the grid",
       &withGrid,
       {"--useGridShift", "--fromDatum", "NZGD49", "--toDatum", "NZGD2000", "-31.5", "170"},
       "-31.49811112,170.00014680,0.000,helmert:NZGD49-NZGD2000\n"},
      {"no --useGridShift", &withGrid, with({"--fromDatum", "NZGD49", "--toDatum", "NZGD2000"}, wellington),
       "-41.27828747,174.78016420,0.000,helmert:NZGD49-NZGD2000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectRun(c.folder->run(with({"--showMethod"}, c.arguments)), {0, c.expected, ""});
  }
}

TEST(NzGridE2e, StrictNeedsTheGridOnlyForNewZealandDatums) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AGD66_Australia.gsb", constantShiftGrid(kEasternArea, 5.25F, 4.75F));
  const std::string nzPath = velmora.programFolder() + "nzgd2kgrid0005.gsb";
  expectRun(velmora.run({"--strict", "--useGridShift", "--fromDatum", "NZGD49", "--toDatum", "GDA94",
                         "-41.28", "174.78"}),
            {1, "",
             "velmora: cannot use the grid file '" + nzPath +
                 "' (needed by --useGridShift): error 321: Cannot open file; looked in " +
                 velmora.programFolder() + ", " + binaryFolder() + "\n"});
  // An Australian run has no use for it: no error, and --summary does not list it.
  const ProcessResult australian = velmora.run({"--strict", "--summary", "--useGridShift", "--fromDatum",
                                                "AGD66", "--toDatum", "GDA94", "-33.8", "151.2"});
  EXPECT_EQ(australian.status, 0);
  EXPECT_EQ(australian.standardError.find("nzgd2kgrid0005.gsb"), std::string::npos)
      << australian.standardError;
}

}  // namespace
}  // namespace velmora::testing
