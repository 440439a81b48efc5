// Whole-program throughput: the built velmora binary converting a file of one million points, for
// three typical jobs, against a plain copy of the same file. Each run is a child process, so the
// counters report its wall time per point and its peak resident memory.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "velmora/gridfile/grid_writer.hpp"
#include "tests/support/grid_images.hpp"

namespace {

constexpr int kPointCount = 1000000;
constexpr double kKibibytesPerMebibyte = 1024.0;

// Geoid fixture over the continent at 3-minute spacing (0.05 degrees): about 630 000 nodes, so the
// program holds a grid of realistic size while it runs.
constexpr double kGeoidSouthDeg = -45.0;
constexpr double kGeoidNorthDeg = -10.0;
constexpr double kGeoidWestDeg = 110.0;
constexpr double kGeoidEastDeg = 155.0;
constexpr double kGeoidSpacingDeg = 0.05;

struct Workspace {
  std::filesystem::path folder;
  std::string program;   // symbolic link to the binary, beside the geoid grid
  std::string ddPoints;  // "latitude,longitude,height" in decimal degrees
  std::string enPoints;  // "easting,northing,height" in zone 56
};

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
    return w;
  }();
  return space;
}

struct ChildUsage {
  int status = -1;
  long peakKibibytes = 0;
};

// Runs argv with standard output to /dev/null and waits; the child's own peak memory from wait4.
ChildUsage runChild(const std::string& executable, const std::vector<std::string>& argv) {
  std::vector<std::string> copies = argv;
  std::vector<char*> pointers;
  pointers.reserve(copies.size() + 1);
  for (std::string& text : copies) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull < 0 || ::dup2(devNull, 1) < 0) ::_exit(126);
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

void runProgram(benchmark::State& state, const std::string& executable,
                const std::vector<std::string>& argv) {
  long peak = 0;
  for (auto _ : state) {
    const ChildUsage usage = runChild(executable, argv);
    if (usage.status != 0) {
      state.SkipWithError("the child process failed");
      return;
    }
    peak = std::max(peak, usage.peakKibibytes);
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
  state.counters["peak_rss_MiB"] = static_cast<double>(peak) / kKibibytesPerMebibyte;
}

void BM_Gda94DdToGda2020Dd(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, w.program,
             {w.program, "--fromDatum", "GDA94", "--toDatum", "GDA2020", "--inputFile", w.ddPoints});
}

void BM_Gda94EnToGda2020En(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, w.program,
             {w.program, "--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromCoordType", "EN",
              "--toCoordType", "EN", "--zone", "56", "--inputFile", w.enPoints});
}

void BM_Gda2020AhdToEllipsoid(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, w.program,
             {w.program, "--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "AHD",
              "--toHeightType", "Ellipsoid", "--inputFile", w.ddPoints});
}

// Baselines: the same file copied without any conversion, by a child process and in-process.
void BM_CopyWithCat(benchmark::State& state) {
  const Workspace& w = workspace();
  runProgram(state, "/bin/cat", {"cat", w.ddPoints});
}

void BM_CopyInProcess(benchmark::State& state) {
  const Workspace& w = workspace();
  std::vector<char> chunk(1 << 16);
  for (auto _ : state) {
    std::FILE* in = std::fopen(w.ddPoints.c_str(), "rb");
    std::FILE* out = std::fopen("/dev/null", "wb");
    if (in == nullptr || out == nullptr) {
      state.SkipWithError("cannot open the point file");
      return;
    }
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0;)
      std::fwrite(chunk.data(), 1, got, out);
    std::fclose(in);
    std::fclose(out);
  }
  state.SetItemsProcessed(state.iterations() * kPointCount);
}

BENCHMARK(BM_Gda94DdToGda2020Dd)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gda94EnToGda2020En)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Gda2020AhdToEllipsoid)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyWithCat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

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
