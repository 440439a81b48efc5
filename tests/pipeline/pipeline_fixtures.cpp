#include "tests/pipeline/pipeline_fixtures.hpp"

#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::testing {

bool writeShiftGrid(const std::string& path, const DegreeArea& area, const DegreePlane& latitudeShift,
                    const DegreePlane& longitudeShiftEast) {
  return writeBytesToFile(
      path, encodeBinaryGrid(degreeGrid(area, shiftPlanes(latitudeShift, longitudeShiftEast), "PLANE")));
}

bool writeGeoidGrid(const std::string& path, const DegreeArea& area, const DegreePlane& separation) {
  return writeShiftGrid(path, area, separation, DegreePlane{});
}

}  // namespace velmora::testing

namespace velmora {

LatLon transformDatum(double latitude, double longitude, Datum fromDatum, Datum toDatum, double epoch,
                      bool useGridShift, bool useITRF2008, std::string_view gridFolder) {
  ConversionSettings settings;
  settings.fromDatum = fromDatum;
  settings.toDatum = toDatum;
  settings.epoch = epoch;
  settings.useGridShift = useGridShift;
  settings.useITRF2008 = useITRF2008;
  settings.gridFolders = {std::string(gridFolder)};
  const Coordinates result = Converter(settings).transformPoint({latitude, longitude, 0.0}).coordinates;
  return {result.first, result.second};
}

void transformPoint(const ConversionSettings& settings, double& x, double& y) {
  const bool fromGrid = settings.fromCoordType == CoordType::kEn;
  const bool toGrid = settings.toCoordType == CoordType::kEn;
  const Coordinates in = fromGrid ? Coordinates{x, y, 0.0} : Coordinates{y, x, 0.0};
  const Coordinates out = Converter(settings).transformPoint(in).coordinates;
  x = toGrid ? out.first : out.second;
  y = toGrid ? out.second : out.first;
}

}  // namespace velmora
