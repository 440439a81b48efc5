// Datum changes by the national NTv2 grid-shift files.
//
// The grids are interpolated at (longitude, latitude) in degrees and give shifts in arc-seconds,
// latitude north positive and longitude EAST positive (the library has already turned the file's
// west-positive longitudes round). The forward direction of each file adds the shift; the inverse
// subtracts the shift interpolated at the given position. The inverse does not iterate, so a
// forward-then-inverse round trip is off by the change of the shift between the two positions:
// a few millimetres on the national grids.
//
// Each file is opened at the first call that needs it and kept in its grid slot for the rest of
// the run. A file that cannot be opened leaves its slot empty and is tried again at the next call.
#include "pipeline/grid_shift.hpp"

#include <array>

#include "velmora/geodesy/angle_units.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "pipeline/grid_slots.hpp"

namespace velmora {
namespace {

constexpr std::string_view kAgd66GridFileName = "AGD66_Australia.gsb";
constexpr std::string_view kAgd84GridFileName = "AGD84_Australia.gsb";
constexpr std::string_view kGda2020GridFileName = "GDA2020_Australia.gsb";

constexpr double kGridUnitFactor = 1.0;  // points are handed to the library in degrees

// The grid held in the slot, opening programFolder + fileName when the slot is empty. The path is
// only built here, when a file has to be opened.
const GridFile* datumGrid(GridSlotId slot, std::string_view programFolder, std::string_view fileName) {
  std::unique_ptr<GridFile>& holder = gridSlot(slot);
  if (!holder) holder = openGridFile(gridFilePath(programFolder, fileName));
  return holder.get();
}

// Shifts the point by the grid in the slot: added when forward, subtracted otherwise.
bool applyGridShift(double latitude, double longitude, bool forward, GridSlotId slot,
                    std::string_view programFolder, std::string_view fileName, LatLon& out) {
  const GridFile* grid = datumGrid(slot, programFolder, fileName);
  if (grid == nullptr) return false;

  std::array<double, 2> shift{longitude, latitude};  // in: the point; out: the shifts (arc-seconds)
  std::array<double, 2> accuracies{};                // not used for datum changes
  if (!interpolateGridShift(*grid, kGridUnitFactor, shift, accuracies)) return false;

  const double latitudeShiftDeg = shift[1] / kArcSecondsPerDegree;
  const double longitudeShiftDeg = shift[0] / kArcSecondsPerDegree;
  if (forward) {
    out.latitude = latitude + latitudeShiftDeg;
    out.longitude = longitude + longitudeShiftDeg;
  } else {
    out.latitude = latitude - latitudeShiftDeg;
    out.longitude = longitude - longitudeShiftDeg;
  }
  return true;
}

}  // namespace

bool applyAgdGridShift(double latitude, double longitude, DatumCode source, DatumCode target,
                       std::string_view programFolder, LatLon& out) {
  // ISG is AGD66 on another map grid, so it shares the AGD66 file.
  const bool agd84 = source == kAgd84 || target == kAgd84;
  const GridSlotId slot = agd84 ? GridSlotId::kAgd84Grid : GridSlotId::kAgd66Grid;
  const std::string_view fileName = agd84 ? kAgd84GridFileName : kAgd66GridFileName;
  return applyGridShift(latitude, longitude, target == kGda94, slot, programFolder, fileName, out);
}

bool applyGda2020GridShift(double latitude, double longitude, DatumCode target, std::string_view programFolder,
                           LatLon& out) {
  return applyGridShift(latitude, longitude, target == kGda2020, GridSlotId::kGda2020Grid, programFolder,
                        kGda2020GridFileName, out);
}

}  // namespace velmora
