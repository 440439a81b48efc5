// Where the program finds its grid files: the folders in their order, a file named for one slot,
// and a program started through a symbolic link, by the link's path or through the search path.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"
#include "velmora/geodesy/datum_transforms.hpp"

namespace velmora::testing {
namespace {

constexpr LatLon kSydney{-33.85678, 151.2153};
const std::vector<std::string> kGda2020Run{"--fromDatum",    "GDA94",     "--toDatum", "GDA2020",
                                           "--useGridShift", "-33.85678", "151.2153"};

// A GDA2020 grid that moves every point by seconds arc-seconds north and east, and the result
// line of Sydney through it; 0 seconds: through the parameter set, as without a grid.
std::string gridOf(float seconds) {
  return constantShiftGrid(kEasternArea, seconds, seconds);
}
std::string sydneyShiftedBy(float seconds) {
  const LatLon p = seconds == 0.0F ? gda94ToGda2020(kSydney.latitude, kSydney.longitude, 0.0) : kSydney;
  return ddLine(p.latitude + seconds / 3600.0, p.longitude + seconds / 3600.0, 0.0);
}

// One folder each for --gridFolder and VELMORA_GRID_DIR beside the program folder; each holds grids
// of its own shift under names that tell where they lie, so a case picks a name with --grid.
TEST(GridFoldersE2e, TheFirstFolderHoldingAFileServesItAndARefusedFileStopsTheSearch) {
  const VelmoraFolder velmora;
  const TempDir option;
  const TempDir environment;
  constexpr float kOption = 1.0F;
  constexpr float kEnvironment = 2.0F;
  constexpr float kProgram = 3.0F;
  for (const char* name : {"GDA2020_Australia.gsb", "everywhere.gsb"}) {
    option.writeFile(name, gridOf(kOption));
    environment.writeFile(name, gridOf(kEnvironment));
    velmora.writeBesideProgram(name, gridOf(kProgram));
  }
  environment.writeFile("notInOption.gsb", gridOf(kEnvironment));
  velmora.writeBesideProgram("notInOption.gsb", gridOf(kProgram));
  velmora.writeBesideProgram("programOnly.gsb", gridOf(kProgram));
  option.writeFile("refusedFirst.gsb", "not a grid");
  environment.writeFile("refusedFirst.gsb", gridOf(kEnvironment));
  std::filesystem::create_directory(environment.filePath("folderFirst.gsb"));
  velmora.writeBesideProgram("folderFirst.gsb", gridOf(kProgram));
  velmora.writeInWorkFolder("absolute.gsb", gridOf(4.0F));
  const std::string absolute = velmora.workFolder() + "/absolute.gsb";

  struct Case {
    std::vector<std::string> grid;  // --grid SLOT=FILE, or none
    float shift;                    // 0: the parameter set
    std::string fileLine;           // what --summary says of the file
  };
  const Case cases[] = {
      {{}, kOption, "opened " + option.filePath("GDA2020_Australia.gsb")},
      {{"--grid", "GDA2020=everywhere.gsb"}, kOption, "opened " + option.filePath("everywhere.gsb")},
      {{"--grid", "GDA2020=notInOption.gsb"},
       kEnvironment,
       "opened " + environment.filePath("notInOption.gsb")},
      {{"--grid", "GDA2020=programOnly.gsb"},
       kProgram,
       "opened " + velmora.programFolder() + "programOnly.gsb"},
      {{"--grid", "GDA2020=refusedFirst.gsb"},
       0.0F,
       "refused " + option.filePath("refusedFirst.gsb") + ": error 301: Invalid NUM_OREC"},
      {{"--grid", "GDA2020=folderFirst.gsb"},
       0.0F,
       "refused " + environment.filePath("folderFirst.gsb") + ": error 321: Cannot open file"},
      {{"--grid", "GDA2020=" + absolute}, 4.0F, "opened " + absolute},
      // Nowhere: named in the first folder. An absolute name is not looked for in the folders.
      {{"--grid", "GDA2020=nowhere.gsb"},
       0.0F,
       "missing " + option.filePath("nowhere.gsb") + ": error 321: Cannot open file"},
      {{"--grid", "GDA2020=/nonexistent/everywhere.gsb"},
       0.0F,
       "missing /nonexistent/everywhere.gsb: error 321: Cannot open file"},
      // Another slot's file changes nothing for this one.
      {{"--grid", "AGD66=programOnly.gsb"}, kOption, "opened " + option.filePath("GDA2020_Australia.gsb")},
  };
  ProcessOptions withEnvironment;
  withEnvironment.environment = {"VELMORA_GRID_DIR=" + environment.path()};
  const std::string folders = "velmora: grid folders searched: " + option.prefix() + ", " +
                              environment.prefix() + ", " + velmora.programFolder() + ", " + binaryFolder() +
                              "\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileLine);
    std::vector<std::string> arguments{"--summary", "--gridFolder", option.path()};
    arguments.insert(arguments.end(), c.grid.begin(), c.grid.end());
    arguments.insert(arguments.end(), kGda2020Run.begin(), kGda2020Run.end());
    const ProcessResult result = velmora.run(arguments, withEnvironment);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.standardOutput, sydneyShiftedBy(c.shift));
    EXPECT_NE(result.standardError.find(folders + "velmora: " + c.fileLine + "\n"), std::string::npos)
        << result.standardError;
  }
}

// The real program file lies in PREFIX/bin with a grid beside it or in PREFIX/share/velmora; a
// symbolic link to it in another folder finds that grid however it is called.
TEST(GridFoldersE2e, ALinkToTheProgramFindsTheGridsOfTheRealFile) {
  struct Layout {
    const char* gridFolder;  // below PREFIX
    float shift;
  };
  for (const Layout layout : {Layout{"bin", 1.5F}, Layout{"share/velmora", 2.5F}}) {
    SCOPED_TRACE(layout.gridFolder);
    const TempDir prefix;
    const TempDir links;
    std::filesystem::create_directories(prefix.filePath(layout.gridFolder));
    std::filesystem::create_directory(prefix.filePath("bin"));
    const std::string real = prefix.filePath("bin/velmora");
    std::filesystem::copy_file(kVelmoraBinary, real);
    prefix.writeFile(std::string(layout.gridFolder) + "/GDA2020_Australia.gsb", gridOf(layout.shift));
    const std::string link = links.filePath("velmora");
    std::filesystem::create_symlink(real, link);

    struct Call {
      const char* how;
      std::string executable;
      std::vector<std::string> argv;
      ProcessOptions options;
    };
    ProcessOptions fromLinks;
    fromLinks.workingDirectory = links.path();
    ProcessOptions throughPath;
    throughPath.environment = {"PATH=" + links.path()};
    const Call calls[] = {
        {"the real file's path", real, {real}, {}},
        {"the link's path", link, {link}, {}},
        {"./velmora beside the link", link, {"./velmora"}, fromLinks},
        {"the search path, by a shell", "/bin/sh", {"sh", "-c", "velmora \"$@\"", "velmora"}, throughPath},
    };
    for (const Call& call : calls) {
      SCOPED_TRACE(call.how);
      std::vector<std::string> argv = call.argv;
      argv.insert(argv.end(), kGda2020Run.begin(), kGda2020Run.end());
      expectRun(runProcess(call.executable, argv, call.options), {0, sydneyShiftedBy(layout.shift), ""});
    }
  }
}

// A grid file found in no folder is named in the folder where it belongs, which --strict follows
// with every folder searched: the user's own folder; else, for a program in PREFIX/bin, the
// PREFIX/share/velmora/ of an installation when it exists; else the program's folder.
TEST(GridFoldersE2e, AGridFoundNowhereIsNamedWhereItBelongs) {
  const TempDir prefix;
  const TempDir option;
  std::filesystem::create_directory(prefix.filePath("bin"));
  const std::string program = prefix.filePath("bin/velmora");
  std::filesystem::copy_file(kVelmoraBinary, program);
  const std::string bin = prefix.filePath("bin/");
  const std::string share = prefix.filePath("share/velmora/");
  const auto problem = [](const std::string& named, const std::string& folders) {
    return "velmora: cannot use the grid file '" + named +
           "nowhere.gsb' (needed by --useGridShift): error 321: Cannot open file; looked in " + folders +
           "\n";
  };
  struct Case {
    const char* what;
    bool shareFolder;  // PREFIX/share/velmora exists
    std::vector<std::string> options;
    std::string expected;  // standard error
  };
  const Case cases[] = {
      {"no installation: beside the program", false, {}, problem(bin, bin + ", " + share)},
      {"installed: in share/velmora", true, {}, problem(share, bin + ", " + share)},
      {"the user's folder first",
       true,
       {"--gridFolder", option.path()},
       problem(option.prefix(), option.prefix() + ", " + bin + ", " + share)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.shareFolder) std::filesystem::create_directories(share);
    std::vector<std::string> argv{program, "--strict", "--grid", "GDA2020=nowhere.gsb"};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.insert(argv.end(), kGda2020Run.begin(), kGda2020Run.end());
    ProcessOptions withoutEnvironment;
    withoutEnvironment.environment = {"VELMORA_GRID_DIR"};  // removed
    expectRun(runProcess(program, argv, withoutEnvironment), {1, "", c.expected});
  }
}

}  // namespace
}  // namespace velmora::testing
