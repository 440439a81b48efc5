// Per-point cost of a Converter, made once with its grids open: parameter chains, projections on
// both sides, the grid stage, and the geoid height correction.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "tests/support/grid_images.hpp"
#include "velmora/converter.hpp"
#include "velmora/gridfile/grid_writer.hpp"

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

velmora::ConversionSettings makeSettings(velmora::Datum from, velmora::CoordType fromType, velmora::Datum to,
                                         velmora::CoordType toType, bool useGridShift) {
  velmora::ConversionSettings settings;
  settings.fromDatum = from;
  settings.fromCoordType = fromType;
  settings.toDatum = to;
  settings.toCoordType = toType;
  settings.zone = 56;
  settings.useGridShift = useGridShift;
  return settings;
}

// first, second: the first point in the order of the source coordinate type; later points move by
// step along both.
void runPoints(benchmark::State& state, velmora::ConversionSettings settings, double first, double second,
               double step) {
  GridFolder folder;
  if (!folder.ok()) {
    state.SkipWithError("cannot write the grid fixtures");
    return;
  }
  settings.gridFolders = {folder.prefix()};
  const velmora::Converter converter(settings);
  double offset = 0.0;
  for (auto _ : state) {
    const velmora::ConversionResult result =
        converter.transformPoint({first + offset, second - offset, 10.0});
    benchmark::DoNotOptimize(result);
    offset = offset > 1000.0 * step ? 0.0 : offset + step;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DdGda94ToGda2020Parameters(benchmark::State& state) {
  runPoints(state,
            makeSettings(velmora::Datum::kGda94, velmora::CoordType::kDd, velmora::Datum::kGda2020,
                         velmora::CoordType::kDd, false),
            -33.5, 151.25, 1e-4);
}
BENCHMARK(BM_DdGda94ToGda2020Parameters);

void BM_EnWgs84ToAgd66Parameters(benchmark::State& state) {
  runPoints(state,
            makeSettings(velmora::Datum::kWgs84, velmora::CoordType::kEn, velmora::Datum::kAgd66,
                         velmora::CoordType::kEn, false),
            334000.0, 6290000.0, 10.0);
}
BENCHMARK(BM_EnWgs84ToAgd66Parameters);

void BM_EnGda94ToGda2020Parameters(benchmark::State& state) {
  runPoints(state,
            makeSettings(velmora::Datum::kGda94, velmora::CoordType::kEn, velmora::Datum::kGda2020,
                         velmora::CoordType::kEn, false),
            334000.0, 6290000.0, 10.0);
}
BENCHMARK(BM_EnGda94ToGda2020Parameters);

void BM_EnAgd66ToGda2020TwoGridLegs(benchmark::State& state) {
  runPoints(state,
            makeSettings(velmora::Datum::kAgd66, velmora::CoordType::kEn, velmora::Datum::kGda2020,
                         velmora::CoordType::kEn, true),
            334000.0, 6290000.0, 10.0);
}
BENCHMARK(BM_EnAgd66ToGda2020TwoGridLegs);

void BM_AhdToEllipsoidGeoid(benchmark::State& state) {
  velmora::ConversionSettings settings =
      makeSettings(velmora::Datum::kGda2020, velmora::CoordType::kDd, velmora::Datum::kGda2020,
                   velmora::CoordType::kDd, false);
  settings.fromHeightType = velmora::HeightType::kAhd;
  settings.toHeightType = velmora::HeightType::kEllipsoid;
  runPoints(state, settings, -33.5, 151.25, 1e-4);
}
BENCHMARK(BM_AhdToEllipsoidGeoid);

}  // namespace

BENCHMARK_MAIN();
