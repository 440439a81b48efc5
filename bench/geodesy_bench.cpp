// Geodetic computations: projections and parameter transformations per second (items_per_second).
// Each iteration converts one point; the points cycle through a small table across eastern
// Australia (or New Zealand for the NZ Map Grid) so that nothing can be folded away.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"
#include "velmora/geodesy/map_projection.hpp"

namespace velmora {
namespace {

constexpr std::array<LatLon, 8> kAustralianPoints{{
    {-33.8688, 151.2093},
    {-27.4698, 153.0251},
    {-37.8136, 144.9631},
    {-42.8821, 147.3272},
    {-19.2590, 146.8169},
    {-35.2809, 149.1300},
    {-16.9186, 145.7781},
    {-31.9523, 152.4000},
}};

constexpr std::array<LatLon, 4> kNewZealandPoints{{
    {-36.8485, 174.7633},
    {-41.2865, 174.7762},
    {-43.5321, 172.6362},
    {-45.8788, 170.5028},
}};

template <std::size_t N>
const LatLon& pick(const std::array<LatLon, N>& points, std::size_t i) {
  return points[i % N];
}

// One projection per iteration, forward from the points or reverse from their grid coordinates.
template <std::size_t N>
void projectForward(benchmark::State& state, const ProjectionParams& params, const std::array<LatLon, N>& points) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(geographicToGrid(params, pick(points, i++)));
  }
  state.SetItemsProcessed(state.iterations());
}

template <std::size_t N>
void projectReverse(benchmark::State& state, const ProjectionParams& params, const std::array<LatLon, N>& points) {
  std::array<GridPoint, N> grid{};
  for (std::size_t k = 0; k < N; ++k) grid[k] = geographicToGrid(params, points[k]);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(gridToGeographic(params, grid[i++ % N]));
  state.SetItemsProcessed(state.iterations());
}

// GRS80 as the GDA grids read it: b rounded to 0.1 mm.
constexpr Ellipsoid kGrs80RoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3141);
const ProjectionParams kGda94Zone56{
    ProjectionKind::kTransverseMercator, kGrs80RoundedAxes, 56, 0, 500000.0, 10000000.0, 0.0};
const ProjectionParams kNzMapGridParams{
    ProjectionKind::kNzMapGrid, kInternational1924, 0, 0, 2510000.0, 6023150.0, 0.0};

BENCHMARK_CAPTURE(projectForward, transverseMercator, kGda94Zone56, kAustralianPoints);
BENCHMARK_CAPTURE(projectReverse, transverseMercator, kGda94Zone56, kAustralianPoints);
BENCHMARK_CAPTURE(projectForward, nzMapGrid, kNzMapGridParams, kNewZealandPoints);
BENCHMARK_CAPTURE(projectReverse, nzMapGrid, kNzMapGridParams, kNewZealandPoints);

void agd66ToGda94Helmert(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    const LatLon& p = pick(kAustralianPoints, i++);
    benchmark::DoNotOptimize(agd66ToGda94(p.latitude, p.longitude));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(agd66ToGda94Helmert);

void gda94ToGda2020Helmert(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    const LatLon& p = pick(kAustralianPoints, i++);
    benchmark::DoNotOptimize(gda94ToGda2020(p.latitude, p.longitude, 0.0));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(gda94ToGda2020Helmert);

void itrf2008ToGda94(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    const LatLon& p = pick(kAustralianPoints, i++);
    benchmark::DoNotOptimize(itrfToGda94(p.latitude, p.longitude, 2020.5, ItrfRealisation::kItrf2008));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(itrf2008ToGda94);

}  // namespace
}  // namespace velmora
