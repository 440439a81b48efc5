// A program built against the installed library: interpolates an NTv2 grid at a point with the
// grid library, and converts the same point with a Converter.   velmora-example GRID LATITUDE LONGITUDE
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "velmora/converter.hpp"
#include "velmora/gridfile/grid_search.hpp"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s GRID LATITUDE LONGITUDE\n", argv[0]);
    return 1;
  }
  const double latitude = std::atof(argv[2]);
  const double longitude = std::atof(argv[3]);

  velmora::GridError error = velmora::kGridOk;
  const auto grid = velmora::openGridFile(argv[1], error);
  if (!grid) {
    std::fprintf(stderr, "%s: grid error %d\n", argv[1], error);
    return 1;
  }
  const std::optional<velmora::GridShift> shift = velmora::interpolateGridShift(*grid, latitude, longitude);
  if (!shift) return 2;
  std::printf("grid %s: latitude %.6f\", longitude %.6f\"\n", shift->match.subGrid->name().c_str(),
              shift->latitudeShift, shift->longitudeShift);

  // NZGD49 latitude and longitude to NZGD2000 grid coordinates, by the seven parameters.
  velmora::ConversionSettings settings;
  settings.fromDatum = velmora::Datum::kNzgd49;
  settings.toDatum = velmora::Datum::kNzgd2000;
  settings.toCoordType = velmora::CoordType::kEn;
  const velmora::Converter converter(settings);
  const velmora::ConversionResult result = converter.transformPoint({latitude, longitude, 0.0});
  std::printf("NZGD2000 grid: %.3f,%.3f (%d step)\n", result.coordinates.first, result.coordinates.second,
              result.datum.stepCount);
}
