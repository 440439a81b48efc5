// Per-point cost of the conversion pipeline with its grids already open: parameter chains,
// projections on both sides, the grid stage, and the geoid height correction.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "common/conversion_request.hpp"
#include "velmora/gridfile/grid_writer.hpp"
#include "pipeline/grid_slots.hpp"
#include "pipeline/height_correction.hpp"
#include "pipeline/transform_point.hpp"
#include "tests/support/grid_images.hpp"

namespace {

// A continental grid at 5-minute spacing (1/12 degree) with smoothly varying shifts.
bool writeGrid(const std::string& path) {
  constexpr int kNodesPerDegree = 12;
  const velmora::DegreeArea area{
      .south = -45.0, .north = -10.0, .west = 110.0, .east = 155.0, .spacing = 1.0 / kNodesPerDegree};
  const velmora::NodeValues values = [](const velmora::DegreeNode& node) {
    velmora::GridNode shifts;
    shifts.latShift = 5.0F + 0.001F * static_cast<float>(node.row);
    shifts.lonShift = -4.0F - 0.001F * static_cast<float>(node.column);  // positive west, as stored
    return shifts;
  };
  return velmora::writeBytesToFile(path,
                                   velmora::encodeBinaryGrid(velmora::degreeGrid(area, values, "BENCH")));
}

class GridFolder {
 public:
  GridFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-pipeline-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    prefix_ = pattern + "/";
    ok_ = writeGrid(prefix_ + "AGD66_Australia.gsb") && writeGrid(prefix_ + "GDA2020_Australia.gsb") &&
          writeGrid(prefix_ + "AUSGeoid2020.gsb");
  }
  ~GridFolder() {
    velmora::closeDatumGridSlots();
    velmora::closeGridFile(velmora::gridSlot(velmora::GridSlotId::kGda2020Geoid));
    std::error_code ignored;
    if (!prefix_.empty()) std::filesystem::remove_all(prefix_, ignored);
  }
  GridFolder(const GridFolder&) = delete;
  GridFolder& operator=(const GridFolder&) = delete;
  bool ok() const { return ok_; }
  const std::string& prefix() const { return prefix_; }

 private:
  std::string prefix_;
  bool ok_ = false;
};

velmora::ConversionRequest makeRequest(int from, int fromType, int to, int toType, bool useGridShift) {
  velmora::ConversionRequest request;
  request.fromDatum = from;
  request.fromCoordType = fromType;
  request.toDatum = to;
  request.toCoordType = toType;
  request.zone = 56;
  request.useGridShift = useGridShift;
  return request;
}

void runPoints(benchmark::State& state, const velmora::ConversionRequest& request, double x0, double y0,
               double step) {
  GridFolder folder;
  if (!folder.ok()) {
    state.SkipWithError("cannot write the grid fixtures");
    return;
  }
  double offset = 0.0;
  for (auto _ : state) {
    double x = x0 + offset;
    double y = y0 - offset;
    velmora::transformPoint(request, folder.prefix(), x, y);
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
    offset = offset > 1000.0 * step ? 0.0 : offset + step;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DdGda94ToGda2020Parameters(benchmark::State& state) {
  runPoints(state, makeRequest(velmora::kGda94, velmora::kDd, velmora::kGda2020, velmora::kDd, false), 151.25,
            -33.5, 1e-4);
}
BENCHMARK(BM_DdGda94ToGda2020Parameters);

void BM_EnWgs84ToAgd66Parameters(benchmark::State& state) {
  runPoints(state, makeRequest(velmora::kWgs84, velmora::kEn, velmora::kAgd66, velmora::kEn, false), 334000.0,
            6290000.0, 10.0);
}
BENCHMARK(BM_EnWgs84ToAgd66Parameters);

void BM_EnAgd66ToGda2020TwoGridLegs(benchmark::State& state) {
  runPoints(state, makeRequest(velmora::kAgd66, velmora::kEn, velmora::kGda2020, velmora::kEn, true),
            334000.0, 6290000.0, 10.0);
}
BENCHMARK(BM_EnAgd66ToGda2020TwoGridLegs);

void BM_HeightCorrectionGeoid(benchmark::State& state) {
  GridFolder folder;
  if (!folder.ok()) {
    state.SkipWithError("cannot write the grid fixtures");
    return;
  }
  // The first point opens the geoid; every later one interpolates it.
  double total = velmora::heightCorrection(-33.5, 151.25, velmora::kGda2020, velmora::kAhd, velmora::kGda2020,
                                           velmora::kEllipsoid, false, folder.prefix(), true, false);
  double offset = 0.0;
  for (auto _ : state) {
    total += velmora::heightCorrection(-33.5 - offset, 151.25 - offset, velmora::kGda2020, velmora::kAhd,
                                       velmora::kGda2020, velmora::kEllipsoid, false, folder.prefix(), false,
                                       false);
    offset = offset > 0.1 ? 0.0 : offset + 1e-4;
  }
  benchmark::DoNotOptimize(total);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HeightCorrectionGeoid);

}  // namespace

BENCHMARK_MAIN();
