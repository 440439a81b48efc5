#include "gridfile/regular_grid.hpp"

#include <cmath>
#include <cstdint>

#include "gridfile/grid_keys.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

namespace {

constexpr double kSecondsPerDegree = 3600.0;
constexpr double kMinutesPerDegree = 60.0;
constexpr double kMinStepDeg = 1e-10;         // finer spacings are taken for a corrupt header
constexpr double kLatitudeLimitDeg = 180.0;   // loose: a grid may carry rows past a pole
constexpr double kLongitudeLimitDeg = 720.0;  // loose: a grid may be given in 0 .. 360 or past it

}  // namespace

bool regularGeometryValid(const RegularGridGeometry& g) {
  if (!std::isfinite(g.south) || !std::isfinite(g.west) || !std::isfinite(g.latStep) || !std::isfinite(g.lonStep))
    return false;
  if (!(g.latStep > kMinStepDeg) || !(g.lonStep > kMinStepDeg) || g.rows < 2 || g.columns < 2) return false;
  return std::fabs(g.south) <= kLatitudeLimitDeg && std::fabs(g.north()) <= kLatitudeLimitDeg &&
         std::fabs(g.west) <= kLongitudeLimitDeg && std::fabs(g.east()) <= kLongitudeLimitDeg;
}

SubGridFields& initRegularSubGrid(const RegularGridGeometry& g, const std::string& name, const std::string& parent,
                                  int index, SubGrid& subGrid, bool allocateShifts) {
  SubGridFields& sub = GridFileBuilder::clear(subGrid);
  std::uint32_t ignored = 0;
  sub.name = normaliseGridKey(name, KeyMode::kName, ignored);
  sub.parentName = normaliseGridKey(parent, KeyMode::kName, ignored);
  sub.index = index;
  sub.inUse = true;
  sub.rows = g.rows;
  sub.columns = g.columns;
  sub.nodeCount = static_cast<std::uint32_t>(static_cast<std::uint64_t>(g.rows) * static_cast<std::uint64_t>(g.columns));
  sub.latMin = g.south;
  sub.latMax = g.north();
  sub.latInc = g.latStep;
  sub.lonMin = g.west;
  sub.lonMax = g.east();
  sub.lonInc = g.lonStep;
  if (allocateShifts) sub.shifts.assign(static_cast<std::size_t>(sub.nodeCount) * 2, 0.0F);

  // The NTv2 header: arc-seconds, longitudes positive west, so the eastern bound is -lonMax.
  SubFileHeader& header = sub.header;
  header.name = sub.name;
  header.parent = sub.parentName;
  header.sLat = sub.latMin * kSecondsPerDegree;
  header.nLat = sub.latMax * kSecondsPerDegree;
  header.eLong = -sub.lonMax * kSecondsPerDegree;
  header.wLong = -sub.lonMin * kSecondsPerDegree;
  header.latInc = sub.latInc * kSecondsPerDegree;
  header.longInc = sub.lonInc * kSecondsPerDegree;
  header.gsCount = static_cast<std::int32_t>(sub.nodeCount);
  return sub;
}

void setRegularGridFile(GridFile& grid, GridForm form, GridContent content, std::size_t subGridCount) {
  setGridUnit(grid, "SECONDS ");
  GridFileFields& fields = GridFileBuilder::fields(grid);
  fields.form = form;
  fields.content = content;
  fields.overview.version = "NTv2.0";  // written as such when the grid is converted to NTv2
  fields.subGridCount = static_cast<int>(subGridCount);
  fields.subGrids.resize(subGridCount);
}

GridError imageGeometry(const GridImage& image, const SubGridImage& sub, RegularGridGeometry& geometry,
                        double& toSeconds) {
  double toDegrees = 0.0;
  if (image.gsType == "SECONDS") {
    toDegrees = 1.0 / kSecondsPerDegree;
  } else if (image.gsType == "MINUTES") {
    toDegrees = 1.0 / kMinutesPerDegree;
  } else if (image.gsType == "DEGREES") {
    toDegrees = 1.0;
  } else {
    return kGridInvalidGsType;
  }
  toSeconds = toDegrees * kSecondsPerDegree;
  geometry.south = sub.sLat * toDegrees;
  geometry.west = -sub.wLong * toDegrees;
  geometry.latStep = sub.latInc * toDegrees;
  geometry.lonStep = sub.longInc * toDegrees;
  const double rows = std::round((sub.nLat - sub.sLat) / sub.latInc) + 1.0;
  const double columns = std::round((sub.wLong - sub.eLong) / sub.longInc) + 1.0;
  if (!(rows >= 2.0 && columns >= 2.0) || rows * columns != static_cast<double>(sub.nodes.size()))
    return kGridContentMismatch;
  geometry.rows = static_cast<int>(rows);
  geometry.columns = static_cast<int>(columns);
  return regularGeometryValid(geometry) ? kGridOk : kGridContentMismatch;
}

}  // namespace velmora
