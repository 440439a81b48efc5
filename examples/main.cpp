// Shifts an NZGD49 position to NZGD2000 with an NTv2 grid (nzgd2kgrid0005.gsb) and projects it
// onto the NZGD2000 Transverse Mercator grid.   velmora-example GRID LATITUDE LONGITUDE
#include <array>
#include <cstdio>
#include <cstdlib>

#include "velmora/codes.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "velmora/gridfile/grid_search.hpp"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s GRID LATITUDE LONGITUDE\n", argv[0]);
    return 1;
  }
  velmora::GridError error = velmora::kGridOk;
  const auto grid = velmora::openGridFile(argv[1], error);
  if (!grid) {
    std::fprintf(stderr, "%s: grid error %d\n", argv[1], error);
    return 1;
  }
  std::printf("grid: %d sub-grid(s), %d top-level\n", grid->subGridCount(), grid->topLevelCount());

  const double latitude = std::atof(argv[2]);
  const double longitude = std::atof(argv[3]);
  std::array<double, 2> shift{longitude, latitude};  // in: the point; out: the shift in arc-seconds
  std::array<double, 2> accuracy{};
  if (!velmora::interpolateGridShift(*grid, 1.0, shift, accuracy)) return 2;
  double x = longitude + shift[0] / 3600.0;
  double y = latitude + shift[1] / 3600.0;
  std::printf("shift: latitude %.6f\", longitude %.6f\"\n", shift[1], shift[0]);
  std::printf("NZGD2000: latitude %.9f, longitude %.9f\n", y, x);

  velmora::geographicToGrid(velmora::makeProjectionParams(velmora::kNzgd2000, 0, true, 0), x, y);
  std::printf("NZGD2000 grid: easting %.3f m, northing %.3f m\n", x, y);
}
