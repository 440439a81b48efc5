// libFuzzer target: the GeoTIFF reader on arbitrary bytes, then the search, the interpolation and
// the writers on whatever it accepted.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz/grid_probe.hpp"
#include "gridfile/geotiff_reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& fileName = velmora::fuzzScratchFile(".tif");
  if (!velmora::writeFuzzScratch(fileName, data, size)) return 0;
  velmora::GridError error = velmora::kGridOk;
  const std::unique_ptr<velmora::GridFile> grid = velmora::openGeoTiffGridFile(fileName, error);
  if ((grid != nullptr) != (error == velmora::kGridOk)) __builtin_trap();  // a result or a code, never both
  if (grid != nullptr) velmora::probeGrid(*grid);
  return 0;
}
