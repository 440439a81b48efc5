// Evaluation of a deformation model, as the format defines it and PROJ's defmodel computes it.
//
// At a point and epoch each component whose extent holds the point, whose type moves something
// and whose time factor is not zero adds its grid's offsets times the factor. Horizontal offsets
// in metres become angles through the radii of curvature of the definition frame's ellipsoid
// (GRS80 for NZGD2000) at the point: dlat = north / M, dlon = east / (N cos lat). Offsets in
// degrees are added as they are.
#include "velmora/deformation/deformation_model.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "velmora/geodesy/angle_units.hpp"
#include "velmora/geodesy/ellipsoid.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

constexpr double kExtentToleranceDeg = 1e-10 * kDegreesPerRadian;  // 1e-10 radians
constexpr double kDegreesAround = 360.0;
constexpr int kMaxInverseSteps = 10;
constexpr double kInverseConvergenceDeg = 1e-12 * kDegreesPerRadian;  // 1e-12 radians
constexpr double kInverseExtentMarginDeg = 0.1;  // the iterates may wander this far outside

bool inBox(const DegreeBox& box, double latitude, double longitude, double margin) {
  return latitude >= box.south - margin && latitude <= box.north + margin && longitude >= box.west - margin &&
         longitude <= box.east + margin;
}

// The longitude moved by whole turns into the box's range when that puts it there.
double wrappedInto(const DegreeBox& box, double longitude) {
  if (longitude < box.west - kExtentToleranceDeg) return longitude + kDegreesAround;
  if (longitude > box.east + kExtentToleranceDeg) return longitude - kDegreesAround;
  return longitude;
}

// A grid's value at the point: only where a sub-grid holds it (no fading margin outside).
struct GridReading {
  DeformationStatus status = DeformationStatus::kDone;
  double first = 0.0;   // the longitude-shift field, sign turned east positive
  double second = 0.0;  // the latitude-shift field
};

GridReading read(const GridFile& grid, double latitude, double longitude) {
  const SubGridMatch match = findSubGrid(grid, longitude, latitude);
  if (match.subGrid == nullptr || match.locationClass == kClassMargin) {
    return {DeformationStatus::kOutsideGrid};
  }
  // At the sub-grid found: the search is not made twice.
  const std::optional<GridShift> shift = interpolateGridShift(grid, match, latitude);
  if (!shift) return {DeformationStatus::kOutsideGrid};
  if (!std::isfinite(shift->longitudeShift) || !std::isfinite(shift->latitudeShift)) {
    return {DeformationStatus::kNoData};
  }
  // interpolateGridShift gives the latitude-shift field times the file's factor to arc-seconds,
  // which is 1 for grids whose values are not angles.
  return {DeformationStatus::kDone, shift->longitudeShift, shift->latitudeShift};
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

DeformationModel::DeformationModel(DeformationModelFile file, std::vector<ComponentGrids> grids)
    : file_(std::move(file)), grids_(std::move(grids)) {
  grids_.resize(file_.components.size());
}

std::unique_ptr<DeformationModel> DeformationModel::open(const std::string& path, std::string& problem) {
  GridError error = kGridOk;
  return open(path, problem, error);
}

std::unique_ptr<DeformationModel> DeformationModel::open(const std::string& path, std::string& problem,
                                                         GridError& error) {
  std::error_code status;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, status)) in.open(path, std::ios::binary);
  if (!in.is_open() || !in) {
    error = kGridCannotOpenFile;
    problem = "cannot open the deformation model '" + path + "'";
    return nullptr;
  }
  if (!deformationModelsSupported()) {
    error = kGridNoModelSupport;
    problem = "the deformation model '" + path + "': this build reads no deformation model";
    return nullptr;
  }
  // A master file is a few kilobytes; one of many megabytes is no model to read whole.
  constexpr std::streamoff kMaxMasterFileBytes = 16 << 20;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0 || size > kMaxMasterFileBytes) {
    error = kGridInvalidModel;
    problem = "the deformation model '" + path + "': not a master file of at most 16 MiB";
    return nullptr;
  }
  std::ostringstream text;
  text << in.rdbuf();
  std::optional<DeformationModelFile> file = readDeformationModelFile(text.str(), problem);
  if (!file) {
    error = kGridInvalidModel;
    problem = "the deformation model '" + path + "': " + problem;
    return nullptr;
  }
  const std::string folder = folderOf(path);
  std::vector<ComponentGrids> grids(file->components.size());
  for (std::size_t k = 0; k < file->components.size(); ++k) {
    const DeformationComponent& component = file->components[k];
    if (component.displacement == DisplacementType::kNone) continue;
    const std::string gridPath =
        component.gridFile.starts_with('/') ? component.gridFile : folder + component.gridFile;
    // A 3d grid is read twice: its horizontal pair, then its vertical offset.
    const auto openAs = [&](GridSamples samples, std::unique_ptr<GridFile>& into) {
      into = openGridFile(gridPath, error, samples);
      if (into) return true;
      const char* message = gridErrorMessage(error);
      problem.assign("the deformation model '").append(path).append("': grid '").append(gridPath);
      problem.append("': error ").append(std::to_string(error)).append(": ");
      problem.append(message != nullptr ? message : "unknown error");
      return false;
    };
    const DisplacementType type = component.displacement;
    if ((type == DisplacementType::kHorizontal || type == DisplacementType::k3d) &&
        !openAs(file->horizontalUnit == HorizontalUnit::kDegree ? GridSamples::kDeformationHorizontalDegrees
                                                                : GridSamples::kDeformationHorizontal,
                grids[k].horizontal)) {
      return nullptr;
    }
    if ((type == DisplacementType::kVertical || type == DisplacementType::k3d) &&
        !openAs(GridSamples::kDeformationVertical, grids[k].vertical)) {
      return nullptr;
    }
  }
  return std::make_unique<DeformationModel>(std::move(*file), std::move(grids));
}

DeformationModel::Offsets DeformationModel::offsetsAt(double latitude, double longitude, double epoch,
                                                      double margin) const {
  if (!(epoch >= file_.firstEpoch && epoch <= file_.lastEpoch))
    return {DeformationStatus::kOutsideTimeExtent};
  longitude = wrappedInto(file_.extent, longitude);
  if (!inBox(file_.extent, latitude, longitude, kExtentToleranceDeg + margin)) {
    return {DeformationStatus::kOutsideExtent};
  }
  Offsets sum;
  for (std::size_t k = 0; k < file_.components.size(); ++k) {
    const DeformationComponent& component = file_.components[k];
    if (component.displacement == DisplacementType::kNone) continue;
    const double lon = wrappedInto(component.extent, longitude);
    if (!inBox(component.extent, latitude, lon, kExtentToleranceDeg)) continue;
    const double factor = component.time.scaleFactor(epoch);
    if (factor == 0.0) continue;
    // The point is held to the extent, which it may pass by the tolerance.
    const double atLat = std::clamp(latitude, component.extent.south, component.extent.north);
    const double atLon = std::clamp(lon, component.extent.west, component.extent.east);
    if (const GridFile* grid = grids_[k].horizontal.get()) {
      const GridReading r = read(*grid, atLat, atLon);
      if (r.status != DeformationStatus::kDone) return {r.status};
      sum.east += factor * r.first;
      sum.north += factor * r.second;
    }
    if (const GridFile* grid = grids_[k].vertical.get()) {
      const GridReading r = read(*grid, atLat, atLon);
      if (r.status != DeformationStatus::kDone) return {r.status};
      sum.up += factor * r.second;
    }
  }
  return sum;
}

DeformedPosition DeformationModel::applied(double latitude, double longitude, double epoch,
                                           double margin) const {
  const Offsets offsets = offsetsAt(latitude, longitude, epoch, margin);
  if (offsets.status != DeformationStatus::kDone) return {offsets.status, latitude, longitude, 0.0};
  if (file_.horizontalUnit == HorizontalUnit::kDegree) {
    return {DeformationStatus::kDone, latitude + offsets.north, longitude + offsets.east, offsets.up};
  }
  const Ellipsoid& e = kGrs80Ellipsoid;
  const double phi = latitude * kRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double w2 = 1.0 - e.eccentricitySquared * sinPhi * sinPhi;
  const double primeVertical = e.semiMajorAxis / std::sqrt(w2);
  const double meridian = e.semiMajorAxis * e.oneMinusE2 / (w2 * std::sqrt(w2));
  return {DeformationStatus::kDone, latitude + offsets.north / meridian * kDegreesPerRadian,
          longitude + offsets.east / (primeVertical * std::cos(phi)) * kDegreesPerRadian, offsets.up};
}

DeformedPosition DeformationModel::forward(double latitude, double longitude, double epoch) const {
  return applied(latitude, longitude, epoch, 0.0);
}

DeformedPosition DeformationModel::inverse(double latitude, double longitude, double epoch) const {
  double lat = latitude;
  double lon = longitude;
  for (int step = 0; step < kMaxInverseSteps; ++step) {
    const DeformedPosition there = applied(lat, lon, epoch, kInverseExtentMarginDeg);
    if (there.status != DeformationStatus::kDone) return {there.status, latitude, longitude, 0.0};
    const double dLat = there.latitude - latitude;
    const double dLon = there.longitude - longitude;
    lat -= dLat;
    lon -= dLon;
    if (std::fabs(dLat) < kInverseConvergenceDeg && std::fabs(dLon) < kInverseConvergenceDeg) {
      // The height change of the inverse is that of the forward at the position found.
      return {DeformationStatus::kDone, lat, lon, -there.heightChange};
    }
  }
  return {DeformationStatus::kNotConverged, latitude, longitude, 0.0};
}

}  // namespace velmora
