// Files and pipes: columns with the rest of each line passed through, delimiters, header and comment
// lines, standard input, the output file replaced only by a complete run, the byte-order mark and the
// progress line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

// GDA94 to GDA2020 by the seven parameters, as the program prints them.
const std::vector<std::string> kGda94To2020{"--fromDatum", "GDA94", "--toDatum", "GDA2020"};
constexpr std::string_view kSydney2020Lat = "-33.85676732";
constexpr std::string_view kSydney2020Lon = "151.21530543";

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ColumnsE2e, IdsHeadersAndCommentsPassThrough) {
  const VelmoraFolder velmora;
  const std::string lat(kSydney2020Lat);
  const std::string lon(kSydney2020Lon);
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> options;
    std::string output;
  };
  const Case cases[] = {
      {"ID first, header, comment, height",
       "id,lat,lon,h,code\n# surveyed 2026\nPM1001,-33.85678,151.21530,25.0,TRIG\n",
       {"--columns", "2,3,4", "--skipLines", "1", "--comment", "#"},
       "id,lat,lon,h,code\n# surveyed 2026\nPM1001," + lat + "," + lon + ",25.000,TRIG\n"},
      {"ID last, no height column, CRLF kept, quoted field whole",
       "-33.85678,151.21530,\"Sydney, NSW\"\r\n",
       {"--columns", "1,2"},
       lat + "," + lon + ",\"Sydney, NSW\"\r\n"},
      {"empty fields count, a line without a point keeps its place",
       "PM1,,-33.85678,151.21530\nPM2,,,\nno point here\n",
       {"--columns", "3,4"},
       "PM1,," + lat + "," + lon + "\nPM2,,,\nno point here\n"},
      {"method at the end of the line",
       "PM1;-33.85678;151.21530;x\n",
       {"--columns", "2,3", "--delimiter", ";", "--showMethod"},
       "PM1;" + lat + ";" + lon + ";x;helmert:GDA94-GDA2020\n"},
      {"tab",
       "PM1\t-33.85678\t151.21530\n",
       {"--columns", "2,3", "--delimiter", "tab"},
       "PM1\t" + lat + "\t" + lon + "\n"},
      {"blanks keep their runs",
       "  PM1   -33:51:24.408  151:12:55.08\n",
       {"--columns", "2,3", "--delimiter", "space", "--fromCoordType", "DMS"},
       "  PM1   " + lat + "  " + lon + "\n"},
      {"a height that is empty or no number stays, the point is converted",
       "P2,-33.85678,151.21530,\nP3,-33.85678,151.21530,NA\n",
       {"--columns", "2,3,4"},
       "P2," + lat + "," + lon + ",\nP3," + lat + "," + lon + ",NA\n"},
      {"blanks: angle groups joined by colons",
       "P1 -33:51:24.408 151:12:55.08\n",
       {"--columns", "2,3", "--delimiter", "space", "--fromCoordType", "DMS", "--toCoordType", "DMS"},
       "P1 -33:51:24.3623 151:12:55.0996\n"},
      {"delimiter without columns: result lines as ever",
       "lat;lon\n-33.85678;151.21530;25\n",
       {"--delimiter", ";", "--skipLines", "1"},
       "lat;lon\n" + lat + ";" + lon + ";25.000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velmora.writeInWorkFolder("points.csv", c.input);
    expectRun(velmora.run(with(with(kGda94To2020, c.options), {"--inputFile", "points.csv"})),
              {0, c.output, ""});
  }
}

TEST(ColumnsE2e, StrictFailsUnreadablePointsButKeepsTheRestOfTheLine) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv", "PM1,abc,151.2,x\nPM2\n");
  expectRun(velmora.run(with(kGda94To2020, {"--strict", "--columns", "2,3", "--inputFile", "points.csv"})),
            {1, "PM1,,,x\nPM2,,\n",
             "velmora: points.csv line 1, field 2 (latitude): expected a decimal number, got 'abc'\n"
             "velmora: points.csv line 2: expected at least 3 fields for --columns, got 1\n"});
  velmora.writeInWorkFolder("points.csv", "PM1,-33.85678,151.21530,x\n");
  expectRun(velmora.run(with(kGda94To2020, {"--strict", "--fromHeightType", "Ellipsoid", "--toHeightType",
                                            "Ellipsoid", "--columns", "2,3", "--inputFile", "points.csv"})),
            {1, "PM1,,,x\n",
             "velmora: points.csv line 1: expected a height: heights are converted, and --columns names no "
             "height field\n"});
}

// --epochColumn: each line at its own epoch (a decimal year or an ISO date) to the target epoch; a
// line without a readable epoch fails with --strict, and without it is converted at --epoch with a
// warning. The values: ITRF2014 at 2010.0 and at 2020-07-01 to 2025.5 through GDA2020, as cct gives
// them (see TransformDatumItrf in the pipeline tests for the pipeline).
TEST(ColumnsE2e, EpochColumnGivesEachLineItsEpoch) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv",
                            "A,-33.85,151.2,2010\nB,-33.85,151.2,2020-07-01\nC,-33.85,151.2,x\n");
  const std::vector<std::string> options{"--fromDatum",   "ITRF2014", "--toDatum",   "ITRF2014",
                                         "--toEpoch",     "2025.5",   "--columns",   "2,3",
                                         "--epochColumn", "4",        "--inputFile", "points.csv"};
  std::vector<std::string> strict = options;
  strict.push_back("--strict");
  expectRun(velmora.run(strict),
            {1, "A,-33.84999240,151.20000305,2010\nB,-33.84999755,151.20000099,2020-07-01\nC,,,x\n",
             "velmora: points.csv line 3, field 4 (epoch): expected a decimal year or an ISO date such as "
             "2020-07-01, got 'x'\n"});
  std::vector<std::string> threads = options;
  for (const std::string_view count : {"1", "3"}) {
    threads.insert(threads.end(), {"--threads", std::string(count), "--epoch", "2010", "--quiet"});
    expectRun(velmora.run(threads),
              {0,
               "A,-33.84999240,151.20000305,2010\nB,-33.84999755,151.20000099,2020-07-01\n"
               "C,-33.84999240,151.20000305,x\n",
               ""});
  }
  expectRun(velmora.run({"--epochColumn", "3", "-33", "151"}),
            {1, "", "velmora: --epochColumn 3: needs --columns (the epoch is a field of each line)\n"});
}

// Every row has the same fields, whatever failed on it, and a line that would mislead a reader
// downstream is an error with --strict and a warning without.
TEST(ColumnsE2e, RowsKeepTheirFieldCountAndBrokenLinesAreSaid) {
  const VelmoraFolder velmora;
  const std::string lat(kSydney2020Lat);
  const std::string lon(kSydney2020Lon);
  struct Case {
    const char* name;
    std::string input;
    std::vector<std::string> options;
    std::string strictOutput;  // with --strict, status 1
    std::string laxOutput;     // without, status 0, the message a warning
    std::string message;       // after "velmora: points.csv line 2"
  };
  const Case cases[] = {
      {"a line short of the height field",
       "P1,-33.85678,151.21530,25\nP2,-33.85678,151.21530\n",
       {"--columns", "2,3,4", "--toCoordType", "EN", "--toZone", "auto", "--showMethod"},
       "P1,334901.009,6252292.386,25.000,56,helmert:GDA94-GDA2020\nP2,,,,,\n",
       "P1,334901.009,6252292.386,25.000,56,helmert:GDA94-GDA2020\n"
       "P2,334901.009,6252292.386,56,helmert:GDA94-GDA2020\n",
       ": expected a height in field 4, got 3 fields"},
      {"a failed line with blanks keeps its empty method field",
       "P1 -33.85678 151.21530\nP2 -91 151.2\n",
       {"--columns", "2,3", "--delimiter", "space", "--showMethod"},
       "P1 " + lat + " " + lon + " helmert:GDA94-GDA2020\nP2 * * *\n",
       "P1 " + lat + " " + lon + " helmert:GDA94-GDA2020\nP2 -91.00000000 151.20000000 outside-area\n",
       ", field 2 (latitude): latitude out of range (-90 to 90), got '-91'"},
      {"a line short of a coordinate field",
       "P1;-33.85678;151.21530\nP2;-33.9\n",
       {"--columns", "2,3", "--delimiter", ";", "--showMethod"},
       "P1;" + lat + ";" + lon + ";helmert:GDA94-GDA2020\nP2;;;\n",
       "P1;" + lat + ";" + lon + ";helmert:GDA94-GDA2020\nP2;-33.9\n",
       ": expected at least 3 fields for --columns, got 2"},
      {"a quote that never closes, emptied with the point",
       "P1,-33.85678,151.21530,\"ok\"\nP2,-33.85678,151.21530,\"open\n",
       {"--columns", "2,3"},
       "P1," + lat + "," + lon + ",\"ok\"\nP2,,,\n",
       "P1," + lat + "," + lon + ",\"ok\"\nP2," + lat + "," + lon + ",\"open\n",
       ": a field opens a double quote that does not close"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    velmora.writeInWorkFolder("points.csv", c.input);
    const std::vector<std::string> arguments =
        with(with(kGda94To2020, c.options), {"--inputFile", "points.csv"});
    expectRun(velmora.run(with({"--strict"}, arguments)),
              {1, c.strictOutput, "velmora: points.csv line 2" + c.message + "\n"});
    const ProcessResult lax = velmora.run(arguments);
    EXPECT_EQ(lax.status, 0);
    EXPECT_EQ(lax.standardOutput, c.laxOutput);
    EXPECT_TRUE(lax.standardError.starts_with("velmora: warning: points.csv line 2" + c.message + "\n"))
        << lax.standardError;
  }
}

TEST(FilesE2e, StandardInputByteOrderMarkAndOptionErrors) {
  const VelmoraFolder velmora;
  const std::string expected = std::string(kSydney2020Lat) + "," + std::string(kSydney2020Lon) + ",25.000\n";
  velmora.writeInWorkFolder("in.csv", "\xEF\xBB\xBF-33.85678,151.21530,25\n");
  ProcessOptions fromStandardInput;
  fromStandardInput.standardInputFile = velmora.workFolder() + "/in.csv";
  expectRun(velmora.run(with(kGda94To2020, {"--inputFile", "-"}), fromStandardInput), {0, expected, ""});
  expectRun(velmora.run(with(kGda94To2020, {"--inputFile", "in.csv"})), {0, expected, ""});

  expectRun(velmora.run({"--columns", "2,2", "--inputFile", "in.csv"}),
            {1, "",
             "velmora: --columns '2,2': expected two or three different field numbers from 1, such as 2,3 or "
             "2,3,4\n"});
  expectRun(velmora.run({"--delimiter", "|", "--inputFile", "in.csv"}),
            {1, "", "velmora: --delimiter '|': expected , ; tab or space\n"});
  expectRun(velmora.run({"--strict", "--inputFile", "missing.csv"}),
            {1, "Could not open input file\n",
             "velmora: cannot open input file 'missing.csv': No such file or directory\n"});
}

TEST(FilesE2e, OutputFileIsReplacedOnlyByACompleteRun) {
  const VelmoraFolder velmora;
  const std::string out = velmora.workFolder() + "/out.csv";
  const auto listing = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(velmora.workFolder()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  velmora.writeInWorkFolder("out.csv", "old\n");
  velmora.writeInWorkFolder("good.csv", "-33.85678,151.21530\n2.5,151.2\n");
  // A line too long to hold whole stops the run after the results before it.
  velmora.writeInWorkFolder("long.csv", "-33.85678,151.21530\n1," + std::string(2 << 20, '2') + "\n");
  std::filesystem::create_directory(velmora.workFolder() + "/folder.csv");

  const ProcessResult tooLong = velmora.run(
      with(kGda94To2020, {"--columns", "1,2", "--inputFile", "long.csv", "--outputFile", "out.csv"}));
  EXPECT_EQ(tooLong.status, 1);
  EXPECT_EQ(tooLong.standardError,
            "velmora: long.csv line 2: longer than 1 MiB; lines are read whole with --columns, --delimiter, "
            "--skipLines or --comment\n");
  EXPECT_EQ(readFile(out), "old\n");
  EXPECT_EQ(velmora.run(with(kGda94To2020, {"--inputFile", "folder.csv", "--outputFile", "out.csv"})).status,
            1);
  EXPECT_EQ(readFile(out), "old\n");
  EXPECT_EQ(listing(), (std::vector<std::string>{"folder.csv", "good.csv", "long.csv", "out.csv"}));

  // A complete run is put in place, failed strict lines keeping their places.
  const ProcessResult strict =
      velmora.run(with(kGda94To2020, {"--strict", "--inputFile", "good.csv", "--outputFile", "out.csv"}));
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.standardOutput, "");
  EXPECT_EQ(readFile(out), std::string(kSydney2020Lat) + "," + std::string(kSydney2020Lon) + ",0.000\n,,\n");

  expectRun(velmora.run(with(kGda94To2020, {"--inputFile", "good.csv", "--outputFile", "no/such/out.csv"})),
            {1, "", "velmora: cannot write output file 'no/such/out.csv': No such file or directory\n"});
}

// A symbolic link as --outputFile is written through, as the shell's ">" writes it: the file at the
// end of its chain gets the results, made when it does not exist, and the link stays a link.
TEST(FilesE2e, OutputFileThatIsASymbolicLinkWritesTheFileItLeadsTo) {
  namespace fs = std::filesystem;
  const VelmoraFolder velmora;
  const std::string work = velmora.workFolder() + "/";
  fs::create_directory(work + "data");
  velmora.writeInWorkFolder("data/live-target.csv", "old\n");
  const std::string expected = std::string(kSydney2020Lat) + "," + std::string(kSydney2020Lon) + ",0.000\n";
  struct Link {
    const char* name;
    std::string target;
  };
  const Link links[] = {
      {"live.csv", "data/live-target.csv"},
      {"dangling.csv", "data/new.csv"},
      {"absolute.csv", work + "data/absolute-target.csv"},
      {"chain.csv", "chain-middle.csv"},
      {"chain-middle.csv", "data/chained.csv"},
      {"data/inner.csv", "../inner-target.csv"},  // relative to the link's own folder
      {"loop-a.csv", "loop-b.csv"},
      {"loop-b.csv", "loop-a.csv"},
      {"nowhere.csv", "missing-folder/x.csv"},
  };
  for (const Link& link : links) fs::create_symlink(link.target, work + link.name);
  struct Case {
    const char* outputFile;
    std::string written;  // the file that gets the results, below the work folder
  };
  const Case cases[] = {
      {"live.csv", "data/live-target.csv"},         {"dangling.csv", "data/new.csv"},
      {"absolute.csv", "data/absolute-target.csv"}, {"chain.csv", "data/chained.csv"},
      {"data/inner.csv", "inner-target.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outputFile);
    expectRun(velmora.run(with(kGda94To2020, {"--outputFile", c.outputFile, "-33.85678", "151.21530"})),
              {0, "", ""});
    EXPECT_EQ(readFile(work + c.written), expected);
    EXPECT_TRUE(fs::is_symlink(work + c.outputFile));
  }
  expectRun(
      velmora.run(with(kGda94To2020, {"--outputFile", "loop-a.csv", "-33.85678", "151.21530"})),
      {1, "", "velmora: cannot write output file 'loop-a.csv': its symbolic links lead round in a loop\n"});
  expectRun(velmora.run(with(kGda94To2020, {"--outputFile", "nowhere.csv", "-33.85678", "151.21530"})),
            {1, "", "velmora: cannot write output file 'nowhere.csv': No such file or directory\n"});
  // Every link is still the link it was, and no temporary file is left anywhere.
  for (const Link& link : links) EXPECT_EQ(fs::read_symlink(work + link.name).string(), link.target);
  std::vector<std::string> names;
  for (const char* folder : {"", "data/"}) {
    for (const auto& entry : fs::directory_iterator(work + folder))
      names.push_back(folder + entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"absolute.csv", "chain-middle.csv", "chain.csv", "dangling.csv", "data",
                                      "data/absolute-target.csv", "data/chained.csv", "data/inner.csv",
                                      "data/live-target.csv", "data/new.csv", "inner-target.csv", "live.csv",
                                      "loop-a.csv", "loop-b.csv", "nowhere.csv"}));
}

// A name that is no regular file is written in place, never renamed over: here a named pipe,
// read while the program writes, and "-" for standard output.
TEST(FilesE2e, OutputFileThatIsNoRegularFileIsWrittenInPlace) {
  const VelmoraFolder velmora;
  const std::string fifo = velmora.workFolder() + "/results.fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = readFile(fifo); });
  const std::string expected = std::string(kSydney2020Lat) + "," + std::string(kSydney2020Lon) + ",0.000\n";
  expectRun(velmora.run(with(kGda94To2020, {"--outputFile", "results.fifo", "-33.85678", "151.21530"})),
            {0, "", ""});
  reader.join();
  EXPECT_EQ(received, expected);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
  expectRun(velmora.run(with(kGda94To2020, {"--outputFile", "-", "-33.85678", "151.21530"})),
            {0, expected, ""});
}

TEST(FilesE2e, ProgressWithoutATerminalPrintsOnlyTheLastLine) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv", "-33.85678,151.21530\n-33.85678,151.21530\n");
  const ProcessResult result = velmora.run(with(kGda94To2020, {"--progress", "--inputFile", "points.csv"}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.standardError.rfind("velmora: 2 lines in ", 0), 0U) << result.standardError;
  EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1);
}

}  // namespace
}  // namespace velmora::testing
