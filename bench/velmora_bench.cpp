// Whole-program throughput: the built velmora binary converting a file of one million points, for
// three typical jobs with every hardware thread and with one, against a floor measured in the same
// run: the same file read, its three fields parsed with std::from_chars and printed with
// std::to_chars at the output precisions, no geodesy. Each program run is a child process, so the
// counters report its wall time per point, its ratio to the floor (x_floor) and its peak resident
// memory. Two more runs show that memory does not grow with the input: ten million points, and a
// gigabyte without a line break. A last pair shows what --summary costs when points are served by
// many methods: 200 000 points over a grid of 16 000 sub-grids, with and without --summary, the
// first reported as a ratio to the second (x_without_summary).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/support/grid_images.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace {

constexpr int kPointCount = 1000000;
constexpr int kLargePointCount = 10000000;
constexpr long long kNoNewlineBytes = 1LL << 30;
constexpr double kKibibytesPerMebibyte = 1024.0;

// Geoid fixture over the continent at 3-minute spacing (0.05 degrees): about 630 000 nodes, so the
// program holds a grid of realistic size while it runs.
constexpr double kGeoidSouthDeg = -45.0;
constexpr double kGeoidNorthDeg = -10.0;
constexpr double kGeoidWestDeg = 110.0;
constexpr double kGeoidEastDeg = 155.0;
constexpr double kGeoidSpacingDeg = 0.05;

// Tiles of a GDA2020 grid, each its own top-level sub-grid of 2 x 2 nodes, so that a point's method
// names its tile: kTileColumns x kTileRows tiles of kTileDeg from kTilesSouthDeg, kTilesWestDeg.
constexpr int kTileColumns = 160;
constexpr int kTileRows = 100;
constexpr double kTileDeg = 0.1;
constexpr double kTilesSouthDeg = -38.0;
constexpr double kTilesWestDeg = 138.0;
constexpr int kTilePointCount = 200000;  // about 12 points per tile

struct Workspace {
  std::filesystem::path folder;
  std::string program;     // symbolic link to the binary, beside the geoid grid
  std::string ddPoints;    // "latitude,longitude,height" in decimal degrees
  std::string enPoints;    // "easting,northing,height" in zone 56
  std::string tiles;       // the tiled grid
  std::string tilePoints;  // "latitude,longitude" over the tiles
};

// The decimals each column of a result line is printed with.
struct OutputDecimals {
  int first;
  int second;
  int height;
};
constexpr OutputDecimals kDdDecimals{8, 8, 3};
constexpr OutputDecimals kEnDecimals{3, 3, 3};

// Separations of 20 m and more, rising by 1 cm per node north and per node west.
std::string writeGeoid() {
  const velmora::DegreeArea area{.south = kGeoidSouthDeg,
                                 .north = kGeoidNorthDeg,
                                 .west = kGeoidWestDeg,
                                 .east = kGeoidEastDeg,
                                 .spacing = kGeoidSpacingDeg};
  const velmora::NodeValues separation = [](const velmora::DegreeNode& node) {
    velmora::GridNode values;  // the separation in metres as the latitude shift
    values.latShift = static_cast<float>(20.0 + 0.01 * static_cast<double>(node.row + node.column));
    return values;
  };
  return velmora::encodeBinaryGrid(velmora::degreeGrid(area, separation, "AUSGEOID"));
}

// kTileColumns x kTileRows sub-grids named T0000000, T0000001, ..., each shifting by its own amount.
std::string writeTiles() {
  velmora::GridImage image;
  image.subGrids.reserve(static_cast<std::size_t>(kTileColumns) * kTileRows);
  for (int row = 0; row < kTileRows; ++row) {
    for (int column = 0; column < kTileColumns; ++column) {
      const int tile = row * kTileColumns + column;
      const double south = kTilesSouthDeg + row * kTileDeg;
      const double west = kTilesWestDeg + column * kTileDeg;
      const velmora::DegreeArea area{.south = south,
                                     .north = south + kTileDeg,
                                     .west = west,
                                     .east = west + kTileDeg,
                                     .spacing = kTileDeg};
      const float shift = static_cast<float>(tile % 64) / 64.0F;  // arc-seconds, exact in float
      char name[16];
      std::snprintf(name, sizeof name, "T%07d", tile);
      image.subGrids.push_back(velmora::degreeSubGrid(area, velmora::shiftPlanes({shift}, {shift}), name));
    }
  }
  return velmora::encodeBinaryGrid(image);
}

// The folder of the generated files, once made; removed at the end of the run.
std::filesystem::path createdFolder;

const Workspace& workspace() {
  static const Workspace space = [] {
    Workspace w;
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    w.folder = pattern;
    createdFolder = w.folder;
    w.program = (w.folder / "velmora").string();
    std::filesystem::create_symlink(std::filesystem::absolute(VELMORA_PATH), w.program);
    if (!velmora::writeBytesToFile((w.folder / "AUSGeoid2020.gsb").string(), writeGeoid())) std::abort();

    std::mt19937_64 random(20200101);
    std::uniform_real_distribution<double> latitude(-39.0, -12.0);
    std::uniform_real_distribution<double> longitude(114.0, 153.0);
    std::uniform_real_distribution<double> easting(200000.0, 800000.0);
    std::uniform_real_distribution<double> northing(5800000.0, 7000000.0);
    std::uniform_real_distribution<double> height(-10.0, 2200.0);
    w.ddPoints = (w.folder / "points-dd.csv").string();
    w.enPoints = (w.folder / "points-en.csv").string();
    std::FILE* dd = std::fopen(w.ddPoints.c_str(), "w");
    std::FILE* en = std::fopen(w.enPoints.c_str(), "w");
    if (dd == nullptr || en == nullptr) std::abort();
    for (int k = 0; k < kPointCount; ++k) {
      std::fprintf(dd, "%.8f,%.8f,%.3f\n", latitude(random), longitude(random), height(random));
      std::fprintf(en, "%.3f,%.3f,%.3f\n", easting(random), northing(random), height(random));
    }
    std::fclose(dd);
    std::fclose(en);

    w.tiles = (w.folder / "tiles.gsb").string();
    if (!velmora::writeBytesToFile(w.tiles, writeTiles())) std::abort();
    // Inside the tiles, off their edges: every point lies in one tile only.
    std::uniform_real_distribution<double> inTile(0.05, 0.95);
    std::uniform_int_distribution<int> tileRow(0, kTileRows - 1);
    std::uniform_int_distribution<int> tileColumn(0, kTileColumns - 1);
    w.tilePoints = (w.folder / "points-tiles.csv").string();
    std::FILE* tiles = std::fopen(w.tilePoints.c_str(), "w");
    if (tiles == nullptr) std::abort();
    for (int k = 0; k < kTilePointCount; ++k) {
      const double latitude = kTilesSouthDeg + (tileRow(random) + inTile(random)) * kTileDeg;
      const double longitude = kTilesWestDeg + (tileColumn(random) + inTile(random)) * kTileDeg;
      std::fprintf(tiles, "%.8f,%.8f\n", latitude, longitude);
    }
    std::fclose(tiles);
    return w;
  }();
  return space;
}

struct ChildUsage {
  int status = -1;
  long peakKibibytes = 0;
};

// Runs argv with standard output (and standard error too, when quiet) to /dev/null and waits; the
// child's own peak memory from wait4.
ChildUsage runChild(const std::string& executable, const std::vector<std::string>& argv, bool quiet = false) {
  std::vector<std::string> copies = argv;
  std::vector<char*> pointers;
  pointers.reserve(copies.size() + 1);
  for (std::string& text : copies) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull < 0 || ::dup2(devNull, 1) < 0) ::_exit(126);
    if (quiet && ::dup2(devNull, 2) < 0) ::_exit(126);
    ::execv(executable.c_str(), pointers.data());
    ::_exit(127);
  }
  ChildUsage usage;
  int waitStatus = 0;
  rusage resources{};
  if (child > 0 && ::wait4(child, &waitStatus, 0, &resources) == child) {
    usage.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
    usage.peakKibibytes = resources.ru_maxrss;
  }
  return usage;
}

// The floor: read the file in 64 KiB chunks, parse the three fields of each line with from_chars
// and print them with to_chars at the output precisions to /dev/null. False when a file fails.
bool floorPass(const std::string& path, OutputDecimals decimals) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  std::FILE* out = std::fopen("/dev/null", "wb");
  if (in == nullptr || out == nullptr) return false;
  std::vector<char> chunk(1 << 16);
  std::string pending;
  std::string results;
  char line[128];
  const auto convertLine = [&](std::string_view text) {
    double values[3] = {0.0, 0.0, 0.0};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (double& value : values) {
      p = std::from_chars(p, end, value).ptr;
      if (p < end && *p == ',') ++p;
    }
    char* q =
        std::to_chars(line, line + sizeof line, values[0], std::chars_format::fixed, decimals.first).ptr;
    *q++ = ',';
    q = std::to_chars(q, line + sizeof line, values[1], std::chars_format::fixed, decimals.second).ptr;
    *q++ = ',';
    q = std::to_chars(q, line + sizeof line, values[2], std::chars_format::fixed, decimals.height).ptr;
    *q++ = '\n';
    results.append(line, q);
  };
  for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0;) {
    std::string_view rest(chunk.data(), got);
    for (std::size_t newline; (newline = rest.find('\n')) != std::string_view::npos;) {
      if (pending.empty()) {
        convertLine(rest.substr(0, newline));
      } else {
        pending.append(rest.substr(0, newline));
        convertLine(pending);
        pending.clear();
      }
      rest.remove_prefix(newline + 1);
    }
    pending.append(rest);
    std::fwrite(results.data(), 1, results.size(), out);
    results.clear();
  }
  std::fclose(in);
  std::fclose(out);
  return true;
}

double secondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The best of three floor passes over a file, measured once per file and run.
double floorSeconds(const std::string& path, OutputDecimals decimals) {
  static std::map<std::string, double> measured;
  const auto found = measured.find(path);
  if (found != measured.end()) return found->second;
  double best = 0.0;
  for (int pass = 0; pass < 3; ++pass) {
    const double seconds = secondsOf([&] { floorPass(path, decimals); });
    best = pass == 0 ? seconds : std::min(best, seconds);
  }
  measured.emplace(path, best);
  return best;
}

// A run the program's wall time is reported against, as the counter name.
struct Reference {
  const char* name = "x_floor";
  double seconds = 0.0;  // none when 0
};

// Runs the program over a file of points; the reference counter (x_floor: the floor's time for that
// file) is its wall time over the reference's.
void runProgram(benchmark::State& state, const std::string& executable, const std::vector<std::string>& argv,
                long long points, Reference reference = {}, bool quiet = false) {
  long peak = 0;
  double elapsed = 0.0;
  for (auto _ : state) {
    ChildUsage usage;
    elapsed += secondsOf([&] { usage = runChild(executable, argv, quiet); });
    if (usage.status != 0) {
      state.SkipWithError("the child process failed");
      return;
    }
    peak = std::max(peak, usage.peakKibibytes);
  }
  state.SetItemsProcessed(state.iterations() * points);
  state.counters["peak_rss_MiB"] = static_cast<double>(peak) / kKibibytesPerMebibyte;
  if (reference.seconds > 0.0) {
    state.counters[reference.name] = elapsed / static_cast<double>(state.iterations()) / reference.seconds;
  }
}

// argv of a program run, with "--threads 1" when threads is 1 (0: the program's default).
std::vector<std::string> withThreads(std::vector<std::string> argv, int threads) {
  if (threads > 0) argv.insert(argv.begin() + 1, {"--threads", std::to_string(threads)});
  return argv;
}

// state.range(0): the thread count handed to the program, 0 for its default (every hardware thread).
void BM_Gda94DdToGda2020Dd(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(
      state, w.program,
      withThreads({w.program, "--fromDatum", "GDA94", "--toDatum", "GDA2020", "--inputFile", w.ddPoints},
                  static_cast<int>(state.range(0))),
      kPointCount, {.seconds = floorSeconds(w.ddPoints, kDdDecimals)});
}

void BM_Gda94EnToGda2020En(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, w.program,
             withThreads({w.program, "--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromCoordType", "EN",
                          "--toCoordType", "EN", "--zone", "56", "--inputFile", w.enPoints},
                         static_cast<int>(state.range(0))),
             kPointCount, {.seconds = floorSeconds(w.enPoints, kEnDecimals)});
}

void BM_Gda2020AhdToEllipsoid(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, w.program,
             withThreads({w.program, "--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType",
                          "AHD", "--toHeightType", "Ellipsoid", "--inputFile", w.ddPoints},
                         static_cast<int>(state.range(0))),
             kPointCount, {.seconds = floorSeconds(w.ddPoints, kDdDecimals)});
}

// The floor itself, and a plain copy of the file by a child process.
void BM_FloorDd(benchmark::State& state) {
  const Workspace& w = workspace();
  for (auto _ : state) {
    if (!floorPass(w.ddPoints, kDdDecimals)) state.SkipWithError("cannot open the point file");
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

void BM_CopyWithCat(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, "/bin/cat", {"cat", w.ddPoints}, kPointCount);
}

// Ten million points: peak memory must stay that of a few blocks.
void BM_TenMillionPointsMemory(benchmark::State& state) {
  const Workspace& w = workspace();
  const std::string path = (w.folder / "points-10m.csv").string();
  if (!std::filesystem::exists(path)) {
    std::ofstream out(path);
    std::ifstream in(w.ddPoints);
    const std::string million((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (int copy = 0; copy < kLargePointCount / kPointCount; ++copy) out << million;
  }
  runProgram(state, w.program,
             {w.program, "--fromDatum", "GDA94", "--toDatum", "GDA2020", "--inputFile", path},
             kLargePointCount);
}

// A gigabyte without a line break (a sparse file of zero bytes): one line, read in bounded memory.
void BM_GigabyteWithoutNewlineMemory(benchmark::State& state) {
  const Workspace& w = workspace();
  const std::string path = (w.folder / "no-newline.bin").string();
  if (!std::filesystem::exists(path)) {
    std::ofstream{path};
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(kNoNewlineBytes));
  }
  runProgram(state, w.program, {w.program, "--inputFile", path}, 1);
}

// Sydney's GDA94 to GDA2020 through the tiles: each point's method names its tile.
std::vector<std::string> tilesRun(const Workspace& w) {
  return {w.program, "--fromDatum",        "GDA94",       "--toDatum", "GDA2020", "--useGridShift",
          "--grid",  "GDA2020=" + w.tiles, "--inputFile", w.tilePoints};
}

// The reference of the summary run: the same run without --summary, the best of three.
double tilesWithoutSummarySeconds() {
  static const double best = [] {
    const Workspace& w = workspace();
    double seconds = 0.0;
    for (int pass = 0; pass < 3; ++pass) {
      const double run = secondsOf([&] { runChild(w.program, tilesRun(w), true); });
      seconds = pass == 0 ? run : std::min(seconds, run);
    }
    return seconds;
  }();
  return best;
}

// state.range(0): 1 with --summary, 0 without. Counting a point must cost the same however many
// methods served the points before it: x_without_summary stays near 1.
void BM_SummaryOfManyMethods(benchmark::State& state) {
  const Workspace& w = workspace();
  std::vector<std::string> argv = tilesRun(w);
  if (state.range(0) != 0) argv.insert(argv.begin() + 1, "--summary");
  runProgram(state, w.program, argv, kTilePointCount, {"x_without_summary", tilesWithoutSummarySeconds()},
             true);
}

BENCHMARK(BM_Gda94DdToGda2020Dd)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gda94EnToGda2020En)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gda2020AhdToEllipsoid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloorDd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyWithCat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TenMillionPointsMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GigabyteWithoutNewlineMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SummaryOfManyMethods)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Removes the generated files after the run.
struct WorkspaceCleanup {
  ~WorkspaceCleanup() {
    std::error_code ignored;
    if (!createdFolder.empty()) std::filesystem::remove_all(createdFolder, ignored);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const WorkspaceCleanup cleanup;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
