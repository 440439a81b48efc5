// A deformation model in the format LINZ publishes for NZGD2000 and PROJ's defmodel reads: a JSON
// master file naming components, each a displacement grid (GeoTIFF) with a time function. The
// displacement at a point and epoch is the sum over the components of the grid's interpolated
// east, north and up offsets, each multiplied by its time function's factor. The model's forward
// direction, from its source frame (NZGD2000) to its target frame (ITRF96), adds the displacement;
// the inverse finds by iteration the position whose forward is the given one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/deformation/time_function.hpp"
#include "velmora/gridfile/grid_error.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Degrees: west <= longitude <= east, south <= latitude <= north; east may pass 180.
struct DegreeBox {
  double west = 0.0;
  double south = 0.0;
  double east = 0.0;
  double north = 0.0;
};

enum class DisplacementType { kNone, kHorizontal, kVertical, k3d };

// How horizontal offsets are stated and added.
enum class HorizontalUnit { kMetre, kDegree };

struct DeformationComponent {
  std::string description;
  DegreeBox extent;  // outside it the component moves nothing
  DisplacementType displacement = DisplacementType::kNone;
  std::string gridFile;  // as the master file names it, relative to the master file's folder
  TimeFunction time;
};

// The master file's content, before any grid is opened.
struct DeformationModelFile {
  std::string name;
  std::string version;
  std::string sourceCrs;  // "EPSG:4959" for NZGD2000
  std::string targetCrs;  // "EPSG:7907" for ITRF96
  std::string definitionCrs;
  DegreeBox extent;
  double firstEpoch = 0.0;  // the time extent, decimal years
  double lastEpoch = 0.0;
  HorizontalUnit horizontalUnit = HorizontalUnit::kMetre;
  std::vector<DeformationComponent> components;
};

// Reads a master file's text. Nothing, and the reason in words in problem, for a text that is no
// JSON, lacks a required member, names an unknown kind of time function, spatial model or
// interpolation, or is otherwise not a model this library can evaluate (a geocentric offset
// method, a vertical unit other than metre, a piecewise function without two points in order).
std::optional<DeformationModelFile> readDeformationModelFile(std::string_view json, std::string& problem);

// Whether this build reads master files (it needs a JSON parser at build time).
bool deformationModelsSupported();

// A position moved by the model, or why it could not be.
enum class DeformationStatus {
  kDone,
  kOutsideExtent,      // the point lies outside the model's extent
  kOutsideTimeExtent,  // the epoch lies outside the model's time extent
  kOutsideGrid,        // inside a component's extent, no grid of that component holds the point
  kNoData,             // a grid has no value there
  kNotConverged,       // the inverse did not converge in 10 steps
};

struct DeformedPosition {
  DeformationStatus status = DeformationStatus::kDone;
  double latitude = 0.0;  // degrees
  double longitude = 0.0;
  double heightChange = 0.0;  // metres added to the ellipsoidal height
};

class DeformationModel {
 public:
  // Reads the master file and opens every component's grid (found beside it). Nothing, and the
  // reason in words, when the file or a grid cannot be read.
  static std::unique_ptr<DeformationModel> open(const std::string& path, std::string& problem);
  // The same with the failure as a code of the grid library: 321 a master file that cannot be
  // opened, 340 in a build without a JSON parser, 339 a master file not read, else the code of the
  // grid that failed.
  static std::unique_ptr<DeformationModel> open(const std::string& path, std::string& problem,
                                                GridError& error);

  // A component's grids: the horizontal offsets (north in the latitude-shift field, east in the
  // longitude-shift field with the sign the grid library gives longitude shifts, in the model's
  // unit) and the vertical offsets in metres (in the latitude-shift field); each nullptr when the
  // component has none.
  struct ComponentGrids {
    std::unique_ptr<GridFile> horizontal;
    std::unique_ptr<GridFile> vertical;
  };

  const DeformationModelFile& file() const { return file_; }

  // From the source frame to the target frame at epoch (decimal year): the displacement added.
  DeformedPosition forward(double latitude, double longitude, double epoch) const;
  // Back: the position whose forward is the given one, to 1e-12 radians, in at most 10 steps.
  DeformedPosition inverse(double latitude, double longitude, double epoch) const;

  // From an already read file and its grids, one entry per component.
  DeformationModel(DeformationModelFile file, std::vector<ComponentGrids> grids);

 private:
  struct Offsets {
    DeformationStatus status = DeformationStatus::kDone;
    double east = 0.0;  // metres (or degrees of longitude)
    double north = 0.0;
    double up = 0.0;
  };
  // margin: degrees by which the point may lie outside the model's extent (the inverse's iterates).
  Offsets offsetsAt(double latitude, double longitude, double epoch, double margin) const;
  DeformedPosition applied(double latitude, double longitude, double epoch, double margin) const;

  DeformationModelFile file_;
  std::vector<ComponentGrids> grids_;
};

}  // namespace velmora
