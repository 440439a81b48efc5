// Grid-file library speed: loading a grid of a few tens of MB in each form, reported in MB/s
// beside a plain fread of the same file (the ceiling a reader can reach), interpolations per
// second on a file of nested sub-grids, and sub-grid searches per second on a file of 100,000
// top-level sub-grids beside the same searches on a file of four. The fixtures are written once
// per run into a temporary folder with the library's own writer. Three more runs show the text
// reader's memory: a text grid as written, the same with NUM_FILE 2^31-1, and a gibibyte without a
// line break.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "gridfile/ascii_reader.hpp"
#include "gridfile/binary_reader.hpp"
#include "tests/support/grid_images.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace {

using velmora::GridImage;
using velmora::GridNode;
using velmora::SubGridImage;

constexpr double kSecondsPerDegree = 3600.0;

// Load fixtures: one sub-grid at 30 arc-seconds spacing. The binary file holds 1501 x 1401 nodes,
// 16 bytes each: about 33.6 MB. A node line of the text form takes about 25 bytes, so its grid has
// 1101 x 1051 nodes for a file of about 29 MB.
constexpr double kLoadSpacingSec = 30.0;
constexpr int kBinaryRows = 1501;
constexpr int kBinaryColumns = 1401;
constexpr int kTextRows = 1101;
constexpr int kTextColumns = 1051;
constexpr double kLoadSouthDeg = -40.0;
constexpr double kLoadWestDeg = 140.0;
constexpr std::uintmax_t kNoNewlineBytes = std::uintmax_t{1} << 30U;  // a sparse file: no disk used
constexpr double kBytesPerMebibyte = 1024.0 * 1024.0;

// Interpolation fixture: 4 x 4 top-level tiles of 2 degrees at 0.05-degree spacing, each with two
// children of 0.5 degree at 0.01-degree spacing, one of which has a grandchild; 48 sub-grids.
constexpr int kTilesPerSide = 4;
constexpr double kTileSizeDeg = 2.0;
constexpr double kTileSpacingDeg = 0.05;
constexpr double kChildSizeDeg = 0.5;
constexpr double kChildSpacingDeg = 0.01;
constexpr double kGrandchildSizeDeg = 0.1;
constexpr double kGrandchildSpacingDeg = 0.002;
constexpr double kTilesSouthDeg = -44.0;
constexpr double kTilesWestDeg = 144.0;
constexpr std::size_t kQueryPoints = 4096;  // cycled through; fits in the cache with the nodes near it
constexpr double kNoData = -999.0;          // geoid value of nodes without data

// Search fixtures over one area, 25 degrees north to south and 40 west to east: 250 x 400 = 100,000
// top-level tiles of 0.1 degree (2 x 2 nodes), neighbours sharing their edges, and the same area
// cut into 2 x 2 top-level tiles. Bounds are whole arc-seconds, so shared edges are equal.
constexpr int kManyTileRows = 250;
constexpr int kManyTileColumns = 400;
constexpr int kManyTileSizeSec = 360;
constexpr int kFewTilesPerSide = 2;
constexpr int kFewTileSpacingSec = 1800;
constexpr int kSearchSouthSec = -45 * 3600;
constexpr int kSearchWestSec = 140 * 3600;
constexpr double kSearchBeyondDeg = 0.2;       // query points reach this far outside the area
constexpr double kFewGridTimingSeconds = 0.2;  // processor seconds the small grid's rate is timed for

// Node values that vary smoothly and are never trivially zero, so no branch of a reader is skipped.
GridNode nodeAt(int row, int column) {
  const double r = row;
  const double c = column;
  return GridNode{static_cast<float>(1.0 + 0.001 * r + 0.0005 * c), static_cast<float>(-2.0 + 0.0007 * r),
                  static_cast<float>(0.01 + 1e-5 * c), static_cast<float>(0.02)};
}

// rows x columns nodes from the south-west corner at the given spacing, under parent.
SubGridImage subGridOf(std::string_view name, std::string_view parent, double southDeg, double westDeg,
                       int rows, int columns, double spacingDeg) {
  const velmora::DegreeArea area{.south = southDeg,
                                 .north = southDeg + spacingDeg * (rows - 1),
                                 .west = westDeg,
                                 .east = westDeg + spacingDeg * (columns - 1),
                                 .spacing = spacingDeg};
  // Rows from the south, and columns in the file's order, east to west.
  const velmora::NodeValues values = [](const velmora::DegreeNode& node) {
    return nodeAt(node.row, node.column);
  };
  return velmora::degreeSubGrid(area, values, name, parent);
}

GridImage loadImage(int rows, int columns) {
  GridImage image;
  image.subGrids.push_back(subGridOf("LOAD", "NONE", kLoadSouthDeg, kLoadWestDeg, rows, columns,
                                     kLoadSpacingSec / kSecondsPerDegree));
  return image;
}

int nodesAcross(double sizeDeg, double spacingDeg) {
  return static_cast<int>(std::lround(sizeDeg / spacingDeg)) + 1;
}

GridImage tiledImage() {
  GridImage image;
  const int tileNodes = nodesAcross(kTileSizeDeg, kTileSpacingDeg);
  const int childNodes = nodesAcross(kChildSizeDeg, kChildSpacingDeg);
  const int grandchildNodes = nodesAcross(kGrandchildSizeDeg, kGrandchildSpacingDeg);
  for (int ty = 0; ty < kTilesPerSide; ++ty) {
    for (int tx = 0; tx < kTilesPerSide; ++tx) {
      const std::string tile = "T" + std::to_string(ty) + std::to_string(tx);
      const double south = kTilesSouthDeg + kTileSizeDeg * ty;
      const double west = kTilesWestDeg + kTileSizeDeg * tx;
      image.subGrids.push_back(subGridOf(tile, "NONE", south, west, tileNodes, tileNodes, kTileSpacingDeg));
      image.subGrids.push_back(
          subGridOf(tile + "A", tile, south + 0.25, west + 0.25, childNodes, childNodes, kChildSpacingDeg));
      image.subGrids.push_back(
          subGridOf(tile + "B", tile, south + 1.0, west + 1.0, childNodes, childNodes, kChildSpacingDeg));
      image.subGrids.push_back(subGridOf(tile + "AX", tile + "A", south + 0.3, west + 0.3, grandchildNodes,
                                         grandchildNodes, kGrandchildSpacingDeg));
    }
  }
  // Some geoid nodes without data, so that the no-data test runs as well.
  for (std::size_t n = 0; n < image.subGrids[0].nodes.size(); n += 7) {
    image.subGrids[0].nodes[n].latShift = static_cast<float>(kNoData);
  }
  return image;
}

// A top-level sub-grid over whole arc-seconds, east positive here and written positive west.
SubGridImage secondsTile(const std::string& name, int southSec, int westSec, int heightSec, int widthSec,
                         int spacingSec) {
  SubGridImage sub;
  sub.name = name;
  sub.sLat = southSec;
  sub.nLat = southSec + heightSec;
  sub.eLong = -(westSec + widthSec);
  sub.wLong = -westSec;
  sub.latInc = spacingSec;
  sub.longInc = spacingSec;
  const int rows = heightSec / spacingSec + 1;
  const int columns = widthSec / spacingSec + 1;
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) sub.nodes.push_back(nodeAt(row, column));
  }
  return sub;
}

GridImage searchImage(int tileRows, int tileColumns, int spacingSec) {
  const int heightSec = kManyTileRows * kManyTileSizeSec / tileRows;
  const int widthSec = kManyTileColumns * kManyTileSizeSec / tileColumns;
  GridImage image;
  image.subGrids.reserve(static_cast<std::size_t>(tileRows) * static_cast<std::size_t>(tileColumns));
  for (int ty = 0; ty < tileRows; ++ty) {
    for (int tx = 0; tx < tileColumns; ++tx) {
      image.subGrids.push_back(secondsTile("S" + std::to_string(ty * tileColumns + tx),
                                           kSearchSouthSec + ty * heightSec, kSearchWestSec + tx * widthSec,
                                           heightSec, widthSec, spacingSec));
    }
  }
  return image;
}

// The temporary folder and the fixture files in it, made on first use and removed at exit.
class Fixtures {
 public:
  static Fixtures& get() {
    static Fixtures fixtures;
    return fixtures;
  }
  Fixtures(const Fixtures&) = delete;
  Fixtures& operator=(const Fixtures&) = delete;
  ~Fixtures() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  const std::string& binaryFile() {
    return file(binary_, "load.gsb",
                [] { return velmora::encodeBinaryGrid(loadImage(kBinaryRows, kBinaryColumns)); });
  }
  const std::string& textFile() {
    return file(text_, "load.gsa",
                [] { return velmora::encodeAsciiGrid(loadImage(kTextRows, kTextColumns)); });
  }
  const std::string& tiledFile() {
    return file(tiled_, "tiles.gsb", [] { return velmora::encodeBinaryGrid(tiledImage()); });
  }
  // The text load fixture claiming 2^31-1 sub-grids: read up to the second, which is missing.
  const std::string& hugeCountFile() {
    return file(hugeCount_, "huge-count.gsa", [] {
      GridImage image = loadImage(kTextRows, kTextColumns);
      image.numFile = std::numeric_limits<std::int32_t>::max();
      return velmora::encodeAsciiGrid(image);
    });
  }
  const std::string& noNewlineFile() {
    if (noNewline_.empty()) {
      noNewline_ = (folder_ / "no-newline.gsa").string();
      std::ofstream{noNewline_};
      std::filesystem::resize_file(noNewline_, kNoNewlineBytes);
    }
    return noNewline_;
  }
  const std::string& manyTopLevelFile() {
    return file(many_, "many.gsb", [] {
      return velmora::encodeBinaryGrid(searchImage(kManyTileRows, kManyTileColumns, kManyTileSizeSec));
    });
  }
  const std::string& fewTopLevelFile() {
    return file(few_, "few.gsb", [] {
      return velmora::encodeBinaryGrid(searchImage(kFewTilesPerSide, kFewTilesPerSide, kFewTileSpacingSec));
    });
  }

 private:
  Fixtures() {
    std::random_device seed;
    folder_ = std::filesystem::temp_directory_path() / ("velmora-gridfile-bench-" + std::to_string(seed()));
    std::filesystem::create_directories(folder_);
  }

  template <typename Encode>
  const std::string& file(std::string& name, const char* leaf, Encode encode) {
    if (name.empty()) {
      name = (folder_ / leaf).string();
      if (!velmora::writeBytesToFile(name, encode())) {
        std::fprintf(stderr, "gridfile_bench: cannot write %s\n", name.c_str());
        std::abort();
      }
    }
    return name;
  }

  std::filesystem::path folder_;
  std::string binary_;
  std::string text_;
  std::string tiled_;
  std::string hugeCount_;
  std::string noNewline_;
  std::string many_;
  std::string few_;
};

std::int64_t fileBytes(const std::string& name) {
  return static_cast<std::int64_t>(std::filesystem::file_size(name));
}

// The ceiling: the file's bytes read into memory and nothing else.
void plainRead(benchmark::State& state, const std::string& name) {
  std::vector<char> buffer(static_cast<std::size_t>(fileBytes(name)));
  for (auto _ : state) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr) {
      state.SkipWithError("cannot open the fixture");
      return;
    }
    const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), file);
    std::fclose(file);
    if (read != buffer.size()) {
      state.SkipWithError("short read");
      return;
    }
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * fileBytes(name));
}

template <typename Open>
void load(benchmark::State& state, const std::string& name, Open open) {
  for (auto _ : state) {
    velmora::GridError error = velmora::kGridOk;
    std::unique_ptr<velmora::GridFile> grid = open(name, error);
    if (grid == nullptr) {
      state.SkipWithError(("open failed with code " + std::to_string(error)).c_str());
      return;
    }
    benchmark::DoNotOptimize(grid.get());
  }
  state.SetBytesProcessed(state.iterations() * fileBytes(name));
}

void BM_BinaryPlainRead(benchmark::State& state) {
  plainRead(state, Fixtures::get().binaryFile());
}
void BM_BinaryLoad(benchmark::State& state) {
  load(state, Fixtures::get().binaryFile(), velmora::openBinaryGridFile);
}
void BM_TextPlainRead(benchmark::State& state) {
  plainRead(state, Fixtures::get().textFile());
}
void BM_TextLoad(benchmark::State& state) {
  load(state, Fixtures::get().textFile(), velmora::openAsciiGridFile);
}

BENCHMARK(BM_BinaryPlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextPlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextLoad)->Unit(benchmark::kMillisecond);

// Heap bytes in use and their peak, counted by the replaced global operator new and delete below:
// every container of the library allocates through them, reservations included.
std::atomic<std::size_t> heapInUse{0};
std::atomic<std::size_t> heapPeak{0};

// Opens a text grid and gives the code and the most heap it held at once beyond what was in use.
void openMemory(benchmark::State& state, const std::string& name) {
  velmora::GridError error = velmora::kGridOk;
  std::size_t peak = 0;
  for (auto _ : state) {
    const std::size_t before = heapInUse.load();
    heapPeak.store(before);
    { const std::unique_ptr<velmora::GridFile> grid = velmora::openAsciiGridFile(name, error); }
    peak = heapPeak.load() - before;
  }
  state.counters["peak_heap_MiB"] = static_cast<double>(peak) / kBytesPerMebibyte;
  state.counters["code"] = error;
}

// The 29 MB text load fixture as written (code 0), then claiming NUM_FILE 2^31-1 (code 322 at the
// missing second sub-grid): the same memory, nothing set aside for the claim. (Room for file size /
// 16 sub-grids was once reserved: 760 MiB here, std::bad_alloc for a gigabyte file.)
void BM_TextLoadMemory(benchmark::State& state) {
  openMemory(state, Fixtures::get().textFile());
}
void BM_TextHugeNumFileMemory(benchmark::State& state) {
  openMemory(state, Fixtures::get().hugeCountFile());
}
// A gibibyte without a line break: code 323 after one 64 KiB block. (The line was once gathered
// whole: 1.5 GiB, then code 301.)
void BM_TextNoNewlineMemory(benchmark::State& state) {
  openMemory(state, Fixtures::get().noNewlineFile());
}

BENCHMARK(BM_TextLoadMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextHugeNumFileMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TextNoNewlineMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

struct QueryPoint {
  double longitude;  // degrees, east positive
  double latitude;
};

// Uniform over the tiles and a little beyond them (margins and misses), plus a share inside the
// children so that the descent is measured too. Fixed seed: every run asks the same questions.
std::vector<QueryPoint> queryPoints() {
  std::mt19937_64 random(20240101);
  const double span = kTileSizeDeg * kTilesPerSide;
  std::uniform_real_distribution<double> across(-0.1, span + 0.1);
  std::uniform_real_distribution<double> inChild(0.25, 0.25 + kChildSizeDeg);
  std::vector<QueryPoint> points;
  points.reserve(kQueryPoints);
  for (std::size_t n = 0; n < kQueryPoints; ++n) {
    if (n % 2 == 0) {
      points.push_back({kTilesWestDeg + across(random), kTilesSouthDeg + across(random)});
    } else {
      const double tileX = kTileSizeDeg * static_cast<double>(n % kTilesPerSide);
      const double tileY = kTileSizeDeg * static_cast<double>((n / kTilesPerSide) % kTilesPerSide);
      points.push_back({kTilesWestDeg + tileX + inChild(random), kTilesSouthDeg + tileY + inChild(random)});
    }
  }
  return points;
}

std::unique_ptr<velmora::GridFile> openFixture(benchmark::State& state, const std::string& name) {
  velmora::GridError error = velmora::kGridOk;
  std::unique_ptr<velmora::GridFile> grid = velmora::openBinaryGridFile(name, error);
  if (grid == nullptr) state.SkipWithError(("open failed with code " + std::to_string(error)).c_str());
  return grid;
}

std::unique_ptr<velmora::GridFile> openTiles(benchmark::State& state) {
  return openFixture(state, Fixtures::get().tiledFile());
}

void BM_InterpolateGridShift(benchmark::State& state) {
  const std::unique_ptr<velmora::GridFile> grid = openTiles(state);
  if (grid == nullptr) return;
  const std::vector<QueryPoint> points = queryPoints();
  std::size_t n = 0;
  for (auto _ : state) {
    const QueryPoint& p = points[n++ % points.size()];
    benchmark::DoNotOptimize(velmora::interpolateGridShift(*grid, p.latitude, p.longitude));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_InterpolateGridValue(benchmark::State& state) {
  const std::unique_ptr<velmora::GridFile> grid = openTiles(state);
  if (grid == nullptr) return;
  const std::vector<QueryPoint> points = queryPoints();
  std::size_t n = 0;
  for (auto _ : state) {
    const QueryPoint& p = points[n++ % points.size()];
    benchmark::DoNotOptimize(velmora::interpolateGridValue(*grid, p.latitude, p.longitude));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_FindSubGrid(benchmark::State& state) {
  const std::unique_ptr<velmora::GridFile> grid = openTiles(state);
  if (grid == nullptr) return;
  const std::vector<QueryPoint> points = queryPoints();
  std::size_t n = 0;
  for (auto _ : state) {
    const QueryPoint& p = points[n++ % points.size()];
    benchmark::DoNotOptimize(velmora::findSubGrid(*grid, p.longitude, p.latitude));
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_InterpolateGridShift);
BENCHMARK(BM_InterpolateGridValue);
BENCHMARK(BM_FindSubGrid);

// Uniform over the search area and a little beyond it, so that edges, margins and misses are
// asked too. Fixed seed.
std::vector<QueryPoint> searchPoints() {
  std::mt19937_64 random(20240102);
  const double south = kSearchSouthSec / kSecondsPerDegree;
  const double west = kSearchWestSec / kSecondsPerDegree;
  const double height = kManyTileRows * kManyTileSizeSec / kSecondsPerDegree;
  const double width = kManyTileColumns * kManyTileSizeSec / kSecondsPerDegree;
  std::uniform_real_distribution<double> latitude(south - kSearchBeyondDeg,
                                                  south + height + kSearchBeyondDeg);
  std::uniform_real_distribution<double> longitude(west - kSearchBeyondDeg, west + width + kSearchBeyondDeg);
  std::vector<QueryPoint> points(kQueryPoints);
  for (QueryPoint& p : points) p = {longitude(random), latitude(random)};
  return points;
}

// Processor time, as the benchmark library reports it: on a busy machine wall time would mostly
// measure the other processes.
double cpuSecondsSince(std::clock_t start) {
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// findSubGrid on 100,000 top-level sub-grids. The same points are then searched on the file of
// four for a fixed time in the same run: "few_per_second" is that rate and "many_vs_few" the
// ratio of the two rates (1 would mean the number of top-level sub-grids costs nothing).
void BM_FindSubGridManyTopLevel(benchmark::State& state) {
  const std::unique_ptr<velmora::GridFile> many = openFixture(state, Fixtures::get().manyTopLevelFile());
  const std::unique_ptr<velmora::GridFile> few = openFixture(state, Fixtures::get().fewTopLevelFile());
  if (many == nullptr || few == nullptr) return;
  const std::vector<QueryPoint> points = searchPoints();

  std::size_t n = 0;
  const std::clock_t manyStart = std::clock();
  for (auto _ : state) {
    const QueryPoint& p = points[n++ % points.size()];
    benchmark::DoNotOptimize(velmora::findSubGrid(*many, p.longitude, p.latitude));
  }
  const double manyRate = static_cast<double>(state.iterations()) / cpuSecondsSince(manyStart);

  std::size_t fewLookups = 0;
  const std::clock_t fewStart = std::clock();
  double fewSeconds = 0.0;
  while (fewSeconds < kFewGridTimingSeconds) {
    for (const QueryPoint& p : points)
      benchmark::DoNotOptimize(velmora::findSubGrid(*few, p.longitude, p.latitude));
    fewLookups += points.size();
    fewSeconds = cpuSecondsSince(fewStart);
  }
  const double fewRate = static_cast<double>(fewLookups) / fewSeconds;

  state.SetItemsProcessed(state.iterations());
  state.counters["few_per_second"] = fewRate;
  state.counters["many_vs_few"] = manyRate / fewRate;
}

// The open of the 100,000-sub-grid file (24 MB), which includes preparing its search.
void BM_ManyTopLevelLoad(benchmark::State& state) {
  load(state, Fixtures::get().manyTopLevelFile(), velmora::openBinaryGridFile);
}

BENCHMARK(BM_FindSubGridManyTopLevel);
BENCHMARK(BM_ManyTopLevelLoad)->Unit(benchmark::kMillisecond);

}  // namespace

// Counting replacements of the global allocation functions (the aligned forms are not used). Not
// inlined: g++ would otherwise see the free() of a block that came from operator new and warn.
[[gnu::noinline]] void* operator new(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  const std::size_t inUse = heapInUse.fetch_add(malloc_usable_size(block)) + malloc_usable_size(block);
  for (std::size_t peak = heapPeak.load(); inUse > peak && !heapPeak.compare_exchange_weak(peak, inUse);) {
  }
  return block;
}
[[gnu::noinline]] void operator delete(void* block) noexcept {
  if (block != nullptr) heapInUse.fetch_sub(malloc_usable_size(block));
  std::free(block);
}
[[gnu::noinline]] void operator delete(void* block, std::size_t /*size*/) noexcept {
  if (block != nullptr) heapInUse.fetch_sub(malloc_usable_size(block));
  std::free(block);
}
