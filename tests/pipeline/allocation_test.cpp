// Once its grids are open, the pipeline converts a point without touching the heap: files of
// millions of points must not pay for an allocation per point. Counted with a replaced global
// operator new, which serves every test of this program alike.
#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "common/conversion_request.hpp"
#include "pipeline/height_correction.hpp"
#include "pipeline/transform_point.hpp"
#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t /*size*/) noexcept { std::free(p); }

namespace velmora {
namespace {

class PipelineAllocationTest : public testing::GridSlotTest {};

TEST_F(PipelineAllocationTest, NoAllocationPerPointOnceGridsAreOpen) {
  const TempDir folder;
  const DegreePlane shift{1.5, 0.125, 0.0625};
  const DegreeArea extent{-45.0, 0.0, 110.0, 155.0, 5.0};
  ASSERT_TRUE(testing::writeShiftGrid(folder.filePath("AGD66_Australia.gsb"), extent, shift, shift));
  ASSERT_TRUE(testing::writeShiftGrid(folder.filePath("GDA2020_Australia.gsb"), extent, shift, shift));
  ASSERT_TRUE(testing::writeGeoidGrid(folder.filePath("AUSGeoid2020.gsb"), extent, shift));

  ConversionRequest request;
  request.fromDatum = kAgd66;
  request.fromCoordType = kEn;
  request.toDatum = kGda2020;
  request.toCoordType = kEn;
  request.zone = 56;
  request.useGridShift = true;
  const std::string_view programFolder = folder.prefix();

  // The first point opens the grids.
  double x = 334000.0;
  double y = 6290000.0;
  transformPoint(request, programFolder, x, y);
  double correction = heightCorrection(-33.5, 151.25, kGda2020, kAhd, kGda2020, kEllipsoid, false, programFolder,
                                       true, false);

  // A chain by parameters only, from WGS84 at an epoch. (With useGridShift and no AGD84 file the
  // open would be retried at every point, by design.)
  ConversionRequest parameters = request;
  parameters.fromDatum = kWgs84;
  parameters.fromCoordType = kDd;
  parameters.toDatum = kAgd84;
  parameters.useGridShift = false;

  const long before = gAllocations.load();
  for (int k = 0; k < 1000; ++k) {
    x = 334000.0 + k;
    y = 6290000.0 - k;
    transformPoint(request, programFolder, x, y);
    double lon = 151.25;
    double lat = -33.5;
    transformPoint(parameters, programFolder, lon, lat);
    correction += heightCorrection(-33.5, 151.25, kGda2020, kAhd, kGda2020, kEllipsoid, false, programFolder, false,
                                   false);
  }
  const long after = gAllocations.load();
  EXPECT_EQ(after - before, 0);
  EXPECT_GT(correction, 0.0);
}

}  // namespace
}  // namespace velmora
