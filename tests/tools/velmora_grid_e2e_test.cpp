// End-to-end tests of the velmora-grid executable: each case runs the built program in a fresh
// temporary folder that holds the grid files it needs, and compares standard output, standard
// error and the exit status exactly.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/doc_text.hpp"
#include "tests/support/grid_fixtures.hpp"
#include "tests/support/run_process.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/gridfile/grid_writer.hpp"

#ifndef VELMORA_GRID_PATH
#error "VELMORA_GRID_PATH must name the velmora-grid executable"
#endif
#ifndef VELMORA_MAN_DIR
#error "VELMORA_MAN_DIR must name the folder of the manual pages"
#endif

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kRealNzGrid = "/usr/share/proj/nzgd2kgrid0005.gsb";  // Debian proj-data
constexpr const char* kRealSwissGrid = "/usr/share/proj/CHENYX06.gsb";     // 206,893 nodes

// Runs velmora-grid with its working folder in the temporary folder.
ProcessResult runTool(const TempDir& folder, const std::vector<std::string>& arguments,
                      ProcessOptions options = {}) {
  std::vector<std::string> argv{VELMORA_GRID_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  options.workingDirectory = folder.path();
  return runProcess(VELMORA_GRID_PATH, argv, options);
}

// The names in a folder, sorted: shows that a failed convert left no file behind.
std::vector<std::string> folderNames(const TempDir& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder.path())) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Node values from planes over the node's row and column (column counted west from the eastern
// edge), the longitude shift positive west as stored, and constant accuracies.
NodeValues planeValues(const Plane& latShift, const Plane& lonShiftWest, float latAccuracy,
                       float lonAccuracy) {
  return [=](const DegreeNode& node) {
    return GridNode{static_cast<float>(latShift.at(node.row, node.column)),
                    static_cast<float>(lonShiftWest.at(node.row, node.column)), latAccuracy, lonAccuracy};
  };
}

// Shifts that form planes over the node rows j and columns i, so that every interpolated value
// is known exactly; arc-seconds in the file.
// PARENT: lat -42 .. -40, lon 173 .. 175 east, 0.5 degree spacing, 5 x 5 nodes;
//   latShift = 1.5 + 0.25 j + 0.125 i, lonShift (west) = -2 + 0.5 j - 0.0625 i, accuracies 0.5, 0.25.
// CHILD: lat -41.5 .. -40.5, lon 174 .. 174.5 east, 0.25 degree spacing, 5 x 3 nodes;
//   latShift = 10 + 0.25 j + 0.125 i, lonShift (west) = 20 - 0.5 j + 0.25 i, accuracies 0.125, 0.0625.
GridImage twoLevelImage() {
  GridImage image;
  image.subGrids.push_back(degreeSubGrid({-42.0, -40.0, 173.0, 175.0, 0.5},
                                         planeValues({1.5, 0.25, 0.125}, {-2.0, 0.5, -0.0625}, 0.5F, 0.25F),
                                         "PARENT"));
  image.subGrids.push_back(degreeSubGrid(
      {-41.5, -40.5, 174.0, 174.5, 0.25},
      planeValues({10.0, 0.25, 0.125}, {20.0, -0.5, 0.25}, 0.125F, 0.0625F), "CHILD", "PARENT"));
  return image;
}

// A geoid-style file: the latitude-shift field holds the separation in metres, -999 for no data.
// 2 rows x 3 columns over lat 0 .. 1, lon 10 .. 12 east; the western column (lon 10) has no data.
GridImage geoidImage() {
  return degreeGrid(
      {0.0, 1.0, 10.0, 12.0, 1.0},
      [](const DegreeNode& node) {
        return GridNode{node.columnFromWest == 0 ? -999.0F : 20.5F, 0.0F, 0.0F, 0.0F};
      },
      "GEOID");
}

const std::string kTreeTitle =
    "Sub-grid tree (lat and lon in degrees: south .. north and west .. east, then the spacing):\n";
const std::string kTwoLevelTree =
    kTreeTitle +
    "  [0] \"PARENT  \" parent \"NONE    \", 5 x 5 nodes (rows x columns), 25 stored, lat -42.000000000 .. "
    "-40.000000000 step 0.500000000, lon 173.000000000 .. 175.000000000 step 0.500000000\n"
    "    [1] \"CHILD   \" parent \"PARENT  \", 5 x 3 nodes (rows x columns), 15 stored, lat -41.500000000 .. "
    "-40.500000000 step 0.250000000, lon 174.000000000 .. 174.500000000 step 0.250000000\n";

class VelmoraGridTool : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.writeFile("two.gsb", encodeBinaryGrid(twoLevelImage()));
    folder_.writeFile("two.gsa", encodeAsciiGrid(twoLevelImage()));
  }
  TempDir folder_;
};

// The command forms of the manual page's SYNOPSIS ("velmora-grid info FILE", ...): each form is the
// words of its font-macro lines up to a .br; the form of the options (--help, --version) is left out.
std::vector<std::string> synopsisCommands() {
  const std::string page = manPageWords(VELMORA_MAN_DIR "/velmora-grid.1");
  const std::size_t start = std::min(page.find("\n.SH SYNOPSIS\n"), page.size());
  std::istringstream lines(page.substr(start, page.find("\n.SH ", start + 1) - start));
  std::vector<std::string> commands;
  std::string form;
  const auto endForm = [&] {
    if (!form.empty() && form.find(" -") == std::string::npos) commands.push_back(form);
    form.clear();
  };
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(".br")) {
      endForm();
    } else if (line.starts_with('.') && !line.starts_with(".SH") && line.find(' ') != std::string::npos) {
      form += (form.empty() ? "" : " ") + line.substr(line.find(' ') + 1);
    }
  }
  endForm();
  return commands;
}

TEST_F(VelmoraGridTool, NoArgumentsPrintTheUsageWithStatusOne) {
  const ProcessResult run = runTool(folder_, {});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, "");
  EXPECT_TRUE(run.standardOutput.starts_with("usage: velmora-grid ")) << run.standardOutput;
  const std::vector<std::string> commands = synopsisCommands();
  ASSERT_GE(commands.size(), 3U) << "too few command forms read from the SYNOPSIS";
  for (const std::string& command : commands)
    EXPECT_NE(run.standardOutput.find(" " + command + "\n"), std::string::npos) << command;
  // Wrong arguments to a command give the same text.
  expectRun(runTool(folder_, {"shift", "two.gsb", "41S", "174E"}), {1, run.standardOutput, ""});
}

TEST_F(VelmoraGridTool, HelpAndVersionGoToStandardOutputWithStatusZero) {
  const std::string helpStart = "velmora-grid shows what a grid file holds";
  const ProcessResult help = runTool(folder_, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.standardOutput.rfind(helpStart, 0), 0U) << help.standardOutput;
  EXPECT_EQ(help.standardError, "");
  // -h is the same, and the first argument decides whatever follows it.
  expectRun(runTool(folder_, {"-h"}), {0, help.standardOutput, ""});
  expectRun(runTool(folder_, {"--help", "info", "two.gsb"}), {0, help.standardOutput, ""});
  // The number is project(velmora VERSION ...) of the top CMakeLists.txt.
  // The second line names the formats the build reads.
  expectRun(runTool(folder_, {"--version"}),
            {0, "velmora-grid 0.2.0\ngrid formats read: " + std::string(gridFormatsRead()) + "\n", ""});
}

TEST_F(VelmoraGridTool, InfoDescribesBinaryLayoutsUnitsAndDefects) {
  BinaryLayout bigUnpadded;
  bigUnpadded.bigEndian = true;
  bigUnpadded.paddedInts = false;
  bigUnpadded.endRecord = false;
  folder_.writeFile("big.gsb", encodeBinaryGrid(twoLevelImage(), bigUnpadded));
  GridImage lowerCase = twoLevelImage();
  lowerCase.gsType = "seconds";
  folder_.writeFile("lower.gsb", encodeBinaryGrid(lowerCase));

  const struct {
    const char* file;
    std::string out;
  } cases[] = {
      {"two.gsb",
       "File:        two.gsb\n"
       "Form:        binary\n"
       "Byte order:  little-endian\n"
       "Integers:    padded to 8 bytes\n"
       "Unit:        SECONDS\n"
       "Sub-grids:   2 (1 top-level)\n"
       "Defects:     none\n" +
           kTwoLevelTree},
      {"big.gsb",
       "File:        big.gsb\n"
       "Form:        binary\n"
       "Byte order:  big-endian\n"
       "Integers:    not padded (4 bytes)\n"
       "Unit:        SECONDS\n"
       "Sub-grids:   2 (1 top-level)\n"
       "Defects:     0x20\n"
       "  0x20  the end record after the last sub-grid is missing\n" +
           kTwoLevelTree},
      {"lower.gsb",
       "File:        lower.gsb\n"
       "Form:        binary\n"
       "Byte order:  little-endian\n"
       "Integers:    padded to 8 bytes\n"
       "Unit:        SECONDS\n"
       "Sub-grids:   2 (1 top-level)\n"
       "Defects:     0x02\n"
       "  0x02  GS_TYPE held lower-case letters; they were read as upper case\n" +
           kTwoLevelTree},
      {"two.gsa",
       "File:        two.gsa\n"
       "Form:        text\n"
       "Unit:        SECONDS\n"
       "Sub-grids:   2 (1 top-level)\n"
       "Defects:     none\n" +
           kTwoLevelTree},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    expectRun(runTool(folder_, {"info", c.file}), {0, c.out, ""});
  }
}

TEST_F(VelmoraGridTool, OpenFailuresNameTheFileTheCodeAndItsMessage) {
  std::string badOrec = encodeBinaryGrid(twoLevelImage());
  badOrec[8] = 12;  // NUM_OREC value, little-endian
  folder_.writeFile("orec.gsb", badOrec);
  const std::string whole = encodeBinaryGrid(twoLevelImage());
  folder_.writeFile("cut.gsb", whole.substr(0, whole.size() - 16 - 8));  // ends inside the last node record
  folder_.writeFile("badline.gsa",
                    "NUM_OREC 11\nNUM_SREC 11\nNUM_FILE 1\nGS_TYPE SECONDS\nVERSION NTv2.0\nSYSTEM_F A\n"
                    "SYSTEM_T B\nMAJOR_F 0\nMINOR_F 0\nMAJOR_T 0\nMINOR_T 0\n"
                    "SUB_NAME ONE\nPARENT NONE\nCREATED x\nUPDATED x\nS_LAT 0\nN_LAT 3600\nE_LONG -3600\n"
                    "W_LONG 0\nLAT_INC 3600\nLONG_INC 3600\nGS_COUNT 4\n"
                    "0 0 0 0\n0 0 0\n0 0 0 0\n0 0 0 0\nEND\n");
  folder_.writeFile("short.gsa", "NUM_OREC 11\nNUM_SREC 11\nNUM_FILE 1\n");
  folder_.writeFile("longline.gsa", "#" + std::string(5000, '#') + "\n" + encodeAsciiGrid(twoLevelImage()));
  fs::create_directory(folder_.filePath("folder.gsb"));
  ASSERT_EQ(::mkfifo(folder_.filePath("fifo.gsa").c_str(), 0600), 0);
  const std::string longPath(1100, 'p');  // past the 1023 characters a grid path may have

  const struct {
    std::vector<std::string> arguments;
    std::string err;
  } cases[] = {
      {{"info", "missing.gsb"}, "velmora-grid: missing.gsb: error 321: Cannot open file\n"},
      {{"info", "missing.gsa"}, "velmora-grid: missing.gsa: error 321: Cannot open file\n"},
      {{"info", "orec.gsb"}, "velmora-grid: orec.gsb: error 301: Invalid NUM_OREC\n"},
      {{"info", "cut.gsb"}, "velmora-grid: cut.gsb: error 2: I/O error\n"},
      {{"info", "badline.gsa"}, "velmora-grid: badline.gsa: error 323: Invalid line\n"},
      {{"info", "short.gsa"}, "velmora-grid: short.gsa: error 322: Unexpected EOF\n"},
      {{"info", "longline.gsa"}, "velmora-grid: longline.gsa: error 323: Invalid line\n"},
      {{"info", "folder.gsb"}, "velmora-grid: folder.gsb: error 321: Cannot open file\n"},
      {{"info", "fifo.gsa"}, "velmora-grid: fifo.gsa: error 321: Cannot open file\n"},
      {{"info", longPath + ".gsb"}, "velmora-grid: " + longPath + ".gsb: error 324: Path too long\n"},
      {{"info", "two.txt"}, "velmora-grid: two.txt: unknown extension, expected .gsb, .gsa, .gtx or .tif\n"},
      {{"shift", "orec.gsb", "-41", "174"}, "velmora-grid: orec.gsb: error 301: Invalid NUM_OREC\n"},
      {{"convert", "missing.gsa", "out.gsb"}, "velmora-grid: missing.gsa: error 321: Cannot open file\n"},
      {{"convert", "two.gsb", "no-such-folder/out.gsa"},
       "velmora-grid: no-such-folder/out.gsa: cannot write the file: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[1]);
    expectRun(runTool(folder_, c.arguments), {1, "", c.err});
  }
}

TEST_F(VelmoraGridTool, StandardOutputThatTakesNoByteIsAFailureSaidOnStandardError) {
  // Forty top-level sub-grids make a report of 7 KB, more than a stdio buffer: it fails at a
  // write before the final flush.
  GridImage many;
  for (int k = 0; k < 40; ++k) {
    many.subGrids.push_back(degreeSubGrid({-42.0, -40.0, 173.0, 175.0, 0.5},
                                          planeValues({1.5, 0.25, 0.125}, {-2.0, 0.5, -0.0625}, 0.5F, 0.25F),
                                          "T" + std::to_string(k)));
  }
  folder_.writeFile("many.gsb", encodeBinaryGrid(many));
  ProcessOptions fullDisk;
  fullDisk.standardOutputFile = "/dev/full";
  ProcessOptions closedPipe;
  closedPipe.standardOutputClosedPipe = true;
  const std::string noSpace = "velmora-grid: cannot write standard output: No space left on device\n";
  const std::string brokenPipe = "velmora-grid: cannot write standard output: Broken pipe\n";

  const struct {
    std::vector<std::string> arguments;
    const ProcessOptions& options;
    ExpectedRun expected;
  } cases[] = {
      {{"info", "many.gsb"}, fullDisk, {1, "", noSpace}},
      {{"info", "two.gsb"}, fullDisk, {1, "", noSpace}},
      {{"shift", "two.gsb", "-41", "174.2"}, fullDisk, {1, "", noSpace}},
      {{}, fullDisk, {1, "", noSpace}},  // the usage text
      {{"info", "many.gsb"}, closedPipe, {1, "", brokenPipe}},
      {{"info", "two.gsb"}, closedPipe, {1, "", brokenPipe}},
      // Nothing to write: the status and message of the command stand.
      {{"shift", "two.gsb", "-45", "174"},
       fullDisk,
       {2, "", "velmora-grid: two.gsb: no sub-grid holds latitude -45.000000000, longitude 174.000000000\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.empty() ? "usage"
                                     : c.arguments[1] + (c.options.standardOutputClosedPipe ? " pipe" : ""));
    expectRun(runTool(folder_, c.arguments, c.options), c.expected);
  }
}

TEST_F(VelmoraGridTool, ConvertCutShortLeavesOutAsItWasAndNoFileBehind) {
  const std::string oldBytes = "the previous contents of OUT\n";
  folder_.writeFile("old.gsa", oldBytes);
  folder_.writeFile("old.gsb", oldBytes);
  const std::vector<std::string> before = folderNames(folder_);
  // Both forms of the two-level grid are over 1 KB; the child may write 512 bytes to a file.
  ProcessOptions limited;
  limited.fileSizeLimit = 512;
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"two.gsb", "old.gsa"}, {"two.gsa", "old.gsb"}, {"two.gsb", "new.gsa"}, {"two.gsa", "new.gsb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.out);
    expectRun(runTool(folder_, {"convert", c.in, c.out}, limited),
              {1, "", "velmora-grid: " + c.out + ": cannot write the file: File too large\n"});
    EXPECT_EQ(folderNames(folder_), before);
  }
  EXPECT_EQ(fileBytes(folder_.filePath("old.gsa")), oldBytes);
  EXPECT_EQ(fileBytes(folder_.filePath("old.gsb")), oldBytes);
}

TEST_F(VelmoraGridTool, ConvertRefusesOutThatIsTheInputFile) {
  fs::create_hard_link(folder_.filePath("two.gsb"), folder_.filePath("hard.gsa"));
  fs::create_symlink("two.gsb", folder_.filePath("link.gsb"));
  const std::string inputBytes = fileBytes(folder_.filePath("two.gsb"));
  const std::vector<std::string> before = folderNames(folder_);
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"two.gsb", "two.gsb"}, {"two.gsb", "./two.gsb"}, {"two.gsb", "hard.gsa"}, {"link.gsb", "two.gsb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in + " " + c.out);
    expectRun(runTool(folder_, {"convert", c.in, c.out}),
              {1, "", "velmora-grid: " + c.out + ": same file as the input " + c.in + ", not converted\n"});
  }
  EXPECT_EQ(folderNames(folder_), before);
  EXPECT_EQ(fileBytes(folder_.filePath("two.gsb")), inputBytes);
}

// The shift report from the "Sub-grid:" line on; the file and point lines are checked once.
std::string shiftBody(const std::string& out) {
  const auto at = out.find("Sub-grid:");
  return at == std::string::npos ? out : out.substr(at);
}

TEST_F(VelmoraGridTool, ShiftReportsTheSubGridClassShiftsAccuraciesAndValue) {
  const struct {
    const char* latitude;
    const char* longitude;
    const char* source;
    std::string body;
  } cases[] = {
      {"-41", "174.2", "child interior: j 2, i 1.2",
       "Sub-grid:           [1] \"CHILD   \" (class 1, interior)\n"
       "Latitude shift:     10.650000000 arc-seconds (north positive)\n"
       "Longitude shift:    -19.300000000 arc-seconds (east positive)\n"
       "Latitude accuracy:  0.125000000 arc-seconds\n"
       "Longitude accuracy: 0.062500000 arc-seconds\n"
       "Geoid/value:        10.650000000\n"},
      {"-41.75", "173.3", "parent interior outside the child: j 0.5, i 3.4",
       "Sub-grid:           [0] \"PARENT  \" (class 1, interior)\n"
       "Latitude shift:     2.050000000 arc-seconds (north positive)\n"
       "Longitude shift:    1.962500000 arc-seconds (east positive)\n"
       "Latitude accuracy:  0.500000000 arc-seconds\n"
       "Longitude accuracy: 0.250000000 arc-seconds\n"
       "Geoid/value:        2.050000000\n"},
      {"-40", "+173.3", "parent northern edge: j 4, i 3.4",
       "Sub-grid:           [0] \"PARENT  \" (class 2, northern edge)\n"
       "Latitude shift:     2.925000000 arc-seconds (north positive)\n"
       "Longitude shift:    0.212500000 arc-seconds (east positive)\n"
       "Latitude accuracy:  0.500000000 arc-seconds\n"
       "Longitude accuracy: 0.250000000 arc-seconds\n"
       "Geoid/value:        2.925000000\n"},
      {"-41", "175.25", "half a spacing east of the parent: half of node j 2, i 0",
       "Sub-grid:           [0] \"PARENT  \" (class 5, margin outside the sub-grid)\n"
       "Latitude shift:     1.000000000 arc-seconds (north positive)\n"
       "Longitude shift:    0.500000000 arc-seconds (east positive)\n"
       "Latitude accuracy:  0.250000000 arc-seconds\n"
       "Longitude accuracy: 0.125000000 arc-seconds\n"
       "Geoid/value:        1.000000000\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult run = runTool(folder_, {"shift", "two.gsb", c.latitude, c.longitude});
    EXPECT_EQ(run.status, 0) << c.source;
    EXPECT_EQ(shiftBody(run.standardOutput), c.body) << c.source;
    EXPECT_EQ(run.standardError, "") << c.source;
  }
  const ProcessResult first = runTool(folder_, {"shift", "two.gsb", "-41", "174.2"});
  EXPECT_EQ(first.standardOutput.substr(0, first.standardOutput.find("Sub-grid:")),
            "File:               two.gsb\n"
            "Point:              latitude -41.000000000, longitude 174.200000000\n");
}

// The text of image with every node line cut to its two shifts.
std::string textWithoutAccuracies(const GridImage& image) {
  std::istringstream in(encodeAsciiGrid(image));
  std::string text;
  for (std::string line; std::getline(in, line);) {
    const bool node = line[0] == '-' || std::isdigit(static_cast<unsigned char>(line[0])) != 0;
    if (node) line.erase(line.find(' ', line.find(' ') + 1));
    text += line + '\n';
  }
  return text;
}

TEST_F(VelmoraGridTool, ShiftOnTheTextFormShowsTheAccuraciesItsLinesHold) {
  folder_.writeFile("shifts-only.gsa", textWithoutAccuracies(twoLevelImage()));
  const std::string shifts =
      "Sub-grid:           [0] \"PARENT  \" (class 1, interior)\n"
      "Latitude shift:     2.050000000 arc-seconds (north positive)\n"
      "Longitude shift:    1.962500000 arc-seconds (east positive)\n";
  expectRun(runTool(folder_, {"shift", "two.gsa", "-41.75", "173.3"}),
            {0,
             "File:               two.gsa\n"
             "Point:              latitude -41.750000000, longitude 173.300000000\n" +
                 shifts +
                 "Latitude accuracy:  0.500000000 arc-seconds\n"
                 "Longitude accuracy: 0.250000000 arc-seconds\n"
                 "Geoid/value:        2.050000000\n",
             ""});
  expectRun(runTool(folder_, {"shift", "shifts-only.gsa", "-41.75", "173.3"}),
            {0,
             "File:               shifts-only.gsa\n"
             "Point:              latitude -41.750000000, longitude 173.300000000\n" +
                 shifts +
                 "Latitude accuracy:  not stored in the text form\n"
                 "Longitude accuracy: not stored in the text form\n"
                 "Geoid/value:        2.050000000\n",
             ""});
}

TEST_F(VelmoraGridTool, ShiftOutsideEverySubGridExitsWithStatusTwo) {
  const struct {
    const char* latitude;
    const char* longitude;
    const char* err;
  } cases[] = {
      {"-45", "174",
       "velmora-grid: two.gsb: no sub-grid holds latitude -45.000000000, longitude 174.000000000\n"},
      // A full spacing east of the eastern edge is past the margin.
      {"-41", "175.5",
       "velmora-grid: two.gsb: no sub-grid holds latitude -41.000000000, longitude 175.500000000\n"},
      // The order of the arguments is latitude first: this is longitude -41.
      {"174", "-41",
       "velmora-grid: two.gsb: no sub-grid holds latitude 174.000000000, longitude -41.000000000\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    expectRun(runTool(folder_, {"shift", "two.gsb", c.latitude, c.longitude}), {2, "", c.err});
  }
}

TEST_F(VelmoraGridTool, GeoidValueIsShownOrNoDataBelowMinus998) {
  folder_.writeFile("geoid.gsb", encodeBinaryGrid(geoidImage()));
  const ProcessResult inData = runTool(folder_, {"shift", "geoid.gsb", "0.5", "11.5"});
  EXPECT_EQ(inData.status, 0);
  EXPECT_NE(inData.standardOutput.find("\nGeoid/value:        20.500000000\n"), std::string::npos)
      << inData.standardOutput;
  // On the western edge only the western column is read, and it holds -999.
  const ProcessResult noData = runTool(folder_, {"shift", "geoid.gsb", "0.5", "10"});
  EXPECT_EQ(noData.status, 0);
  EXPECT_EQ(shiftBody(noData.standardOutput),
            "Sub-grid:           [0] \"GEOID   \" (class 3, western edge)\n"
            "Latitude shift:     -999.000000000 arc-seconds (north positive)\n"
            "Longitude shift:    0.000000000 arc-seconds (east positive)\n"
            "Latitude accuracy:  0.000000000 arc-seconds\n"
            "Longitude accuracy: 0.000000000 arc-seconds\n"
            "Geoid/value:        no data\n");
}

TEST_F(VelmoraGridTool, ConvertRoundTripBinaryTextBinaryKeepsEveryValue) {
  expectRun(runTool(folder_, {"convert", "two.gsb", "copy.gsa"}),
            {0, "Wrote copy.gsa: text form, 2 sub-grids, 40 nodes\n", ""});
  const ProcessResult toBinary = runTool(folder_, {"convert", "copy.gsa", "back.GSB"});
  EXPECT_EQ(toBinary.status, 0);
  EXPECT_EQ(toBinary.standardOutput, "Wrote back.GSB: binary form, 2 sub-grids, 40 nodes\n");
  EXPECT_TRUE(fileBytes(folder_.filePath("back.GSB")) == fileBytes(folder_.filePath("two.gsb")));

  // Everything but the file name: same layout, unit, defects and tree.
  const auto afterFirstLine = [](const std::string& text) { return text.substr(text.find('\n') + 1); };
  EXPECT_EQ(afterFirstLine(runTool(folder_, {"info", "back.GSB"}).standardOutput),
            afterFirstLine(runTool(folder_, {"info", "two.gsb"}).standardOutput));
  const char* points[][2] = {{"-41", "174.2"},  {"-41.75", "173.3"}, {"-40", "173.3"},
                             {"-41", "175.25"}, {"-40.5", "174"},    {"-42", "175"}};
  for (const auto& p : points) {
    const ProcessResult original = runTool(folder_, {"shift", "two.gsb", p[0], p[1]});
    const ProcessResult back = runTool(folder_, {"shift", "back.GSB", p[0], p[1]});
    EXPECT_EQ(back.status, 0);
    EXPECT_EQ(shiftBody(back.standardOutput), shiftBody(original.standardOutput)) << p[0] << ' ' << p[1];
  }
}

TEST_F(VelmoraGridTool, RealSwissGridConvertRoundTripKeepsEveryAccuracy) {
  if (!fs::exists(kRealSwissGrid)) GTEST_SKIP() << kRealSwissGrid << " is not installed";
  fs::copy_file(kRealSwissGrid, folder_.filePath("ch.gsb"));
  expectRun(runTool(folder_, {"convert", "ch.gsb", "ch.gsa"}),
            {0, "Wrote ch.gsa: text form, 1 sub-grid, 206893 nodes\n", ""});
  expectRun(runTool(folder_, {"convert", "ch.gsa", "back.gsb"}),
            {0, "Wrote back.gsb: binary form, 1 sub-grid, 206893 nodes\n", ""});
  // Every byte but the eight after the END key, which this file fills and the writer zeroes.
  const std::string original = fileBytes(folder_.filePath("ch.gsb"));
  const std::string back = fileBytes(folder_.filePath("back.gsb"));
  ASSERT_EQ(back.size(), original.size());
  EXPECT_TRUE(back.substr(0, back.size() - 8) == original.substr(0, original.size() - 8));
  EXPECT_EQ(back.substr(back.size() - 8), std::string(8, '\0'));
  const ProcessResult text = runTool(folder_, {"shift", "ch.gsa", "46.8", "7.4"});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(shiftBody(text.standardOutput),
            shiftBody(runTool(folder_, {"shift", "ch.gsb", "46.8", "7.4"}).standardOutput));
}

TEST_F(VelmoraGridTool, RealNzGridInfoMatchesItsHeader) {
  if (!fs::exists(kRealNzGrid)) GTEST_SKIP() << kRealNzGrid << " is not installed";
  // Values read from the file's headers with an independent decoder: one sub-grid NZNAT, S_LAT
  // -172800, N_LAT -122400, E_LONG -648000, W_LONG -597600, increments 360 seconds, GS_COUNT 19881,
  // and eight non-zero bytes after the END key.
  expectRun(runTool(folder_, {"info", kRealNzGrid}),
            {0,
             std::string("File:        ") + kRealNzGrid +
                 "\n"
                 "Form:        binary\n"
                 "Byte order:  little-endian\n"
                 "Integers:    padded to 8 bytes\n"
                 "Unit:        SECONDS\n"
                 "Sub-grids:   1 (1 top-level)\n"
                 "Defects:     0x80\n"
                 "  0x80  the eight bytes after the END key are not all zero\n" +
                 kTreeTitle +
                 "  [0] \"NZNAT   \" parent \"NONE    \", 141 x 141 nodes (rows x columns), 19881 stored, "
                 "lat -48.000000000 .. -34.000000000 step 0.100000000, lon 166.000000000 .. "
                 "180.000000000 step 0.100000000\n",
             ""});
}

TEST_F(VelmoraGridTool, RealNzGridShiftMatchesAnIndependentBilinearInterpolation) {
  if (!fs::exists(kRealNzGrid)) GTEST_SKIP() << kRealNzGrid << " is not installed";
  // Auckland: column 52.4, row 111.5 of the 0.1 degree grid; the four node records read from the
  // file and interpolated separately.
  const ProcessResult run = runTool(folder_, {"shift", kRealNzGrid, "-36.85", "174.76"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(shiftBody(run.standardOutput),
            "Sub-grid:           [0] \"NZNAT   \" (class 1, interior)\n"
            "Latitude shift:     6.491913748 arc-seconds (north positive)\n"
            "Longitude shift:    0.689928192 arc-seconds (east positive)\n"
            "Latitude accuracy:  0.001232900 arc-seconds\n"
            "Longitude accuracy: 0.001540900 arc-seconds\n"
            "Geoid/value:        6.491913748\n");
}

TEST_F(VelmoraGridTool, RealNzGridConvertRoundTripKeepsTheShifts) {
  if (!fs::exists(kRealNzGrid)) GTEST_SKIP() << kRealNzGrid << " is not installed";
  fs::copy_file(kRealNzGrid, folder_.filePath("nz.gsb"));
  ASSERT_EQ(runTool(folder_, {"convert", "nz.gsb", "nz.gsa"}).status, 0);
  ASSERT_EQ(runTool(folder_, {"convert", "nz.gsa", "nz2.gsb"}).status, 0);
  const char* points[][2] = {{"-36.85", "174.76"}, {"-41.3", "174.8"}, {"-45.87", "170.5"},
                             {"-48", "166"},       {"-34", "180"},     {"-34.03", "166.01"}};
  for (const auto& p : points) {
    const ProcessResult original = runTool(folder_, {"shift", "nz.gsb", p[0], p[1]});
    const ProcessResult text = runTool(folder_, {"shift", "nz.gsa", p[0], p[1]});
    const ProcessResult back = runTool(folder_, {"shift", "nz2.gsb", p[0], p[1]});
    EXPECT_EQ(original.status, 0) << p[0] << ' ' << p[1];
    EXPECT_EQ(shiftBody(text.standardOutput), shiftBody(original.standardOutput)) << p[0] << ' ' << p[1];
    EXPECT_EQ(shiftBody(back.standardOutput), shiftBody(original.standardOutput)) << p[0] << ' ' << p[1];
  }
}

}  // namespace
}  // namespace velmora

namespace velmora {
namespace {

// GTX and GeoTIFF through the tool: what --content allows, the reports of a geoid grid past 180
// degrees, and a two-level grid through GeoTIFF and back (or, built without libtiff, code 326).
TEST_F(VelmoraGridTool, ConvertsBetweenEveryFormatWhereTheContentFits) {
  folder_.writeFile("geoid.gsb", encodeBinaryGrid(degreeGrid({-48.0, -34.0, 160.0, 190.0, 2.0},
                                                              shiftPlanes({1.0, 0.125, 0.25}, {0.0, 0.0, 0.0}),
                                                              "NZGEOID")));
  const std::string horizontal =
      "velmora-grid: x.gtx: a GTX file holds one value per node: a horizontal grid cannot be written as GTX "
      "(give --content geoid or vertical for a geoid or vertical grid)\n";
  const std::string usage = runTool(folder_, {}).standardOutput;
  struct Case {
    std::vector<std::string> arguments;
    ExpectedRun expected;
  };
  const std::vector<Case> cases = {
      {{"convert", "geoid.gsb", "x.gtx"}, {1, "", horizontal}},
      {{"convert", "--content", "geoid", "two.gsb", "x.gtx"},
       {1, "", "velmora-grid: x.gtx: a GTX file holds one grid: 2 sub-grids cannot be written as GTX\n"}},
      {{"convert", "geoid.gsb", "geoid.gtx", "--content", "geoid"},
       {0, "Wrote geoid.gtx: GTX form, 1 sub-grid, 128 nodes\n", ""}},
      {{"info", "geoid.gtx"},
       {0,
        "File:        geoid.gtx\nForm:        GTX\nContent:     geoid\nUnit:        metres\n"
        "Sub-grids:   1 (1 top-level)\nDefects:     none\n" +
            kTreeTitle +
            "  [0] \"GTX     \" parent \"NONE    \", 8 x 16 nodes (rows x columns), 128 stored, lat -48.000000000 .. "
            "-34.000000000 step 2.000000000, lon 160.000000000 .. 190.000000000 step 2.000000000\n",
        ""}},
      // 185 E given as -175: N = 1 - 41 / 8 + 185 / 4.
      {{"shift", "geoid.gtx", "-41", "-175"},
       {0,
        "File:               geoid.gtx\nPoint:              latitude -41.000000000, longitude -175.000000000\n"
        "Sub-grid:           [0] \"GTX     \" (class 1, interior)\nGeoid/value:        42.125000000 metres\n",
        ""}},
      {{"convert", "--content", "height", "two.gsb", "x.gtx"}, {1, usage, ""}},
      {{"convert", "--content", "geoid", "--content", "geoid", "two.gsb", "x.gtx"}, {1, usage, ""}},
  };
  for (const Case& c : cases) expectRun(runTool(folder_, c.arguments), c.expected);
  if (!gridFormReadable(GridForm::kGeoTiff)) {
    const std::string refused = "error 326: GeoTIFF grids not supported by this build\n";
    expectRun(runTool(folder_, {"convert", "two.gsb", "two.tif"}), {1, "", "velmora-grid: two.tif: " + refused});
    folder_.writeFile("x.tif", "II*\0");
    expectRun(runTool(folder_, {"info", "x.tif"}), {1, "", "velmora-grid: x.tif: " + refused});
    return;
  }
  const std::vector<Case> tiffCases = {
      {{"convert", "geoid.gtx", "geoid.tif", "--content", "vertical"},
       {0, "Wrote geoid.tif: GeoTIFF form, 1 sub-grid, 128 nodes\n", ""}},
      {{"convert", "two.gsb", "two.tif"}, {0, "Wrote two.tif: GeoTIFF form, 2 sub-grids, 40 nodes\n", ""}},
      {{"convert", "two.tif", "back.gsa"}, {0, "Wrote back.gsa: text form, 2 sub-grids, 40 nodes\n", ""}},
  };
  for (const Case& c : tiffCases) expectRun(runTool(folder_, c.arguments), c.expected);
  const ProcessResult tif = runTool(folder_, {"info", "geoid.tif"});
  EXPECT_NE(tif.standardOutput.find("Form:        GeoTIFF\nContent:     vertical\n"), std::string::npos)
      << tif.standardOutput;
  // The two-level grid read back from GeoTIFF shows the same tree and the same shifts.
  const ProcessResult info = runTool(folder_, {"info", "two.tif"});
  EXPECT_TRUE(info.standardOutput.ends_with(kTwoLevelTree)) << info.standardOutput;
  const ProcessResult viaTif = runTool(folder_, {"shift", "back.gsa", "-41.1", "174.2"});
  const ProcessResult direct = runTool(folder_, {"shift", "two.gsa", "-41.1", "174.2"});
  EXPECT_EQ(viaTif.standardOutput.substr(viaTif.standardOutput.find("Sub-grid:")),
            direct.standardOutput.substr(direct.standardOutput.find("Sub-grid:")));
}

}  // namespace
}  // namespace velmora
