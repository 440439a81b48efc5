// `cmake --install` of this build into a temporary prefix, then the installed program run as a user
// runs it: the files are where the manual and the README say, and a grid put in
// <prefix>/share/velmora is found with nothing on the command line or in the environment naming it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

constexpr float kLatitudeShift = 1.5F;    // arc-seconds, north positive
constexpr float kLongitudeShift = 2.25F;  // arc-seconds, east positive

TEST(Install, InstalledProgramFindsGridsInShareVelmora) {
  const TempDir prefix;
  const ProcessResult install =
      runProcess(VELMORA_CMAKE_COMMAND, {"cmake", "--install", VELMORA_BUILD_DIR, "--prefix", prefix.path()});
  ASSERT_EQ(install.status, 0) << install.standardOutput << install.standardError;

  const std::string bin = prefix.filePath(VELMORA_INSTALL_BINDIR "/");
  const std::string man1 = prefix.filePath(VELMORA_INSTALL_MANDIR "/man1/");
  const std::string grids = prefix.filePath("share/velmora/");
  for (const std::string& file : {bin + "velmora", bin + "velmora-grid", man1 + "velmora.1",
                                  man1 + "velmora-grid.1", grids + "README"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;
  }

  const TempDir work;  // the current folder holds no grid
  ProcessOptions inWork;
  inWork.workingDirectory = work.path();
  // Without VELMORA_GRID_DIR, whatever the caller's environment holds, share/velmora is the only
  // folder with a grid; --strict makes a grid not found an error rather than the parameter set.
  const std::vector<std::string> run{
      "env",         "-u",    "VELMORA_GRID_DIR", bin + "velmora", "--strict", "--useGridShift",
      "--fromDatum", "GDA94", "--toDatum",        "GDA2020",       "-33.8",    "151.2"};
  // Not there yet: named where an installed program keeps its grids, after every folder searched.
  expectRun(
      runProcess("/usr/bin/env", run, inWork),
      {1, "",
       "velmora: cannot use the grid file '" + grids +
           "GDA2020_Australia.gsb' (needed by --useGridShift): error 321: Cannot open file; looked in " +
           bin + ", " + grids + "\n"});

  prefix.writeFile("share/velmora/GDA2020_Australia.gsb",
                   constantShiftGrid(kEasternArea, kLatitudeShift, kLongitudeShift));
  expectRun(
      runProcess("/usr/bin/env", run, inWork),
      {0,
       ddLine(-33.8 + kLatitudeShift / kSecondsPerDegree, 151.2 + kLongitudeShift / kSecondsPerDegree, 0.0),
       ""});
}

}  // namespace
}  // namespace velmora::testing
