// Once made, a Converter converts a point without touching the heap: files of millions of points
// must not pay for an allocation per point. Counted with a replaced global
// operator new, which serves every test of this program alike.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/converter.hpp"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t /*size*/) noexcept {
  std::free(p);
}

namespace velmora {
namespace {

TEST(ConverterAllocation, NoAllocationPerPoint) {
  const TempDir folder;
  const DegreePlane shift{1.5, 0.125, 0.0625};
  const DegreeArea extent{-45.0, 0.0, 110.0, 155.0, 5.0};
  ASSERT_TRUE(testing::writeShiftGrid(folder.filePath("AGD66_Australia.gsb"), extent, shift, shift));
  ASSERT_TRUE(testing::writeShiftGrid(folder.filePath("GDA2020_Australia.gsb"), extent, shift, shift));
  ASSERT_TRUE(testing::writeGeoidGrid(folder.filePath("AUSGeoid2020.gsb"), extent, shift));

  ConversionSettings grids;
  grids.fromDatum = Datum::kAgd66;
  grids.fromCoordType = CoordType::kEn;
  grids.toDatum = Datum::kGda2020;
  grids.toCoordType = CoordType::kEn;
  grids.useGridShift = true;
  grids.gridFolders.push_back(folder.prefix());
  // Heights with the geoid, and a chain by parameters only from WGS84 at an epoch.
  ConversionSettings heights = grids;
  heights.fromDatum = Datum::kGda2020;
  heights.fromCoordType = CoordType::kDd;
  heights.fromHeightType = HeightType::kAhd;
  heights.toHeightType = HeightType::kEllipsoid;
  ConversionSettings parameters = heights;
  parameters.fromDatum = Datum::kWgs84;
  parameters.toDatum = Datum::kAgd84;
  parameters.useGridShift = false;
  const Converter viaGrids(grids);
  const Converter viaGeoid(heights);
  const Converter viaParameters(parameters);

  double total = 0.0;
  const long before = gAllocations.load();
  for (int k = 0; k < 1000; ++k) {
    total += viaGrids.transformPoint({334000.0 + k, 6290000.0 - k, 0.0}).coordinates.first;
    total += viaGeoid.transformPoint({-33.5, 151.25, 10.0}).coordinates.height;
    total += viaParameters.transformPoint({-33.5, 151.25, 0.0}).coordinates.second;
  }
  const long after = gAllocations.load();
  EXPECT_EQ(after - before, 0);
  EXPECT_GT(total, 0.0);
}

}  // namespace
}  // namespace velmora
