// A build without libtiff: GeoTIFF grids are refused with their own code.
#include "gridfile/geotiff_reader.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

const bool kGeoTiffSupported = false;

std::unique_ptr<GridFile> openGeoTiffGridFile(std::string_view /*fileName*/, GridError& error,
                                              GridSamples /*samples*/) {
  error = kGridNoGeoTiffSupport;
  return nullptr;
}

GridError encodeGeoTiffGrid(const GridImage& /*image*/, std::string& /*bytes*/) {
  return kGridNoGeoTiffSupport;
}

}  // namespace velmora
