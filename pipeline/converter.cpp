// The Converter: the run's decisions made once, then a pure per-point computation.
//
// Inside, a point is (x, y) = (easting, northing) or (longitude, latitude); the public Coordinates
// keep the order in which points are written, latitude first. Both projections use the run's one
// zone, hemisphere and ISG sub-zone: an EN to EN conversion stays in the zone given even where the
// datum change crosses its edge.
#include "velmora/converter.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "pipeline/datum_path.hpp"
#include "pipeline/datum_projection.hpp"
#include "pipeline/height_plan.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

constexpr std::array<std::string_view, kGridIdCount> kGridFileNames{
    "AGD66_Australia.gsb", "AGD84_Australia.gsb", "GDA2020_Australia.gsb", "AUSGeoid2020.gsb",
    "AUSGeoid09.gsb",      "AUSGeoid98.gsb",      "nzgd2kgrid0005.gsb",
};

constexpr std::size_t slotOf(GridId id) {
  return static_cast<std::size_t>(id);
}

// Where the grid of a slot is opened or tried: see GridState. A folder holds the file when the name
// exists there as any kind of file: a folder or a file without read permission is found, opened and
// refused, which stops the search rather than quietly taking a file from a later folder.
struct GridPath {
  std::string path;
  bool searched = false;  // looked for in the grid folders
};

GridPath gridPath(const ConversionSettings& settings, std::size_t slot) {
  std::string name =
      settings.gridFiles[slot].empty() ? std::string(kGridFileNames[slot]) : settings.gridFiles[slot];
  // An absolute name, or one that says it starts from the current folder, is used as it is.
  const bool explicitPath = name.starts_with('/') || name.starts_with("./") || name.starts_with("../");
  const std::vector<std::string>& folders = settings.gridFolders;
  if (explicitPath || folders.empty()) return {name, false};
  for (const std::string& folder : folders) {
    std::string path = folder + name;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::status(path, error))) return {path, true};
  }
  const std::size_t home = settings.homeGridFolder < folders.size() ? settings.homeGridFolder : 0;
  return {folders[home] + name, true};
}

DatumPathSettings pathSettings(const ConversionSettings& settings, Datum toDatum) {
  return DatumPathSettings{settings.fromDatum, toDatum, settings.epoch, settings.useITRF2008,
                           settings.useGridShift};
}

constexpr int kFirstUtmZone = 1;
constexpr int kLastUtmZone = 60;
constexpr double kUtmZoneWidthDeg = 6.0;
constexpr double kUtmHalfWidthDeg = 3.0;      // a UTM, MGA or AMG zone either side of its meridian
constexpr double kIsgHalfWidthDeg = 1.0;      // an ISG sub-zone
constexpr double kZoneOverlapLimitDeg = 1.0;  // beyond this outside a zone the series lose accuracy
constexpr double kFullCircleDeg = 360.0;
constexpr double kHalfCircleDeg = 180.0;  // longitudes wrap at the antimeridian

// Transverse Mercator grids on a UTM zone: UTM, MGA and AMG (not the NZGD2000 grid on its fixed
// meridian).
bool isUtmGrid(const ProjectionParams& params) {
  return params.kind == ProjectionKind::kTransverseMercator && params.zone != 0;
}

// Grids that come in zones: those, and the ISG sub-zones.
bool hasZones(const ProjectionParams& params) {
  return isUtmGrid(params) || params.kind == ProjectionKind::kIsgGrid;
}

// The UTM zone of a longitude in degrees east (zones are 6 degrees wide from 180 W; a longitude on a
// zone boundary belongs to the zone east of it). Nothing for a longitude that is not finite.
std::optional<int> utmZoneOf(double longitude) {
  if (!std::isfinite(longitude)) return std::nullopt;
  double wrapped = std::fmod(longitude + kHalfCircleDeg, kFullCircleDeg);
  if (wrapped < 0.0) wrapped += kFullCircleDeg;
  const int zone = static_cast<int>(wrapped / kUtmZoneWidthDeg) + kFirstUtmZone;
  return std::min(zone, kLastUtmZone);
}

// The point lies more than a degree outside the zone of a grid that comes in zones.
bool outsideZone(const ProjectionParams& params, double longitude) {
  if (!hasZones(params)) return false;
  const double limit =
      (params.kind == ProjectionKind::kIsgGrid ? kIsgHalfWidthDeg : kUtmHalfWidthDeg) + kZoneOverlapLimitDeg;
  const double offset = longitude - centralMeridianDegrees(params);
  if (std::fabs(offset) <= limit) return false;  // nearly every point: no wrapping needed
  // Far off, or written with another turn of the circle (-209 for 151 E): the nearest way round.
  return std::isfinite(offset) && std::fabs(std::remainder(offset, kFullCircleDeg)) > limit;
}

}  // namespace

std::string_view gridFileName(GridId id) {
  return kGridFileNames[slotOf(id)];
}

enum class Gda2020Position { kTarget, kSource, kOwnPath };

struct Converter::Impl {
  explicit Impl(const ConversionSettings& runSettings);

  const GridFile* grid(GridId id) const { return states[slotOf(id)].grid; }
  DatumGrids datumGrids() const {
    return {grid(GridId::kAgd66), grid(GridId::kAgd84), grid(GridId::kGda2020), grid(GridId::kNzgd2000)};
  }
  void open(GridId id, bool needed = true);
  void openFor(const GridNeeds& needs);

  ConversionSettings settings;
  std::array<std::unique_ptr<GridFile>, kGridIdCount> grids;
  std::array<GridState, kGridIdCount> states;
  bool fromGrid = false;  // source coordinates are EN
  bool toGrid = false;    // target coordinates are EN
  ProjectionParams sourceProjection;
  ProjectionParams targetProjection;
  // With autoToZone, the target grid of each UTM zone, zone z at z - 1.
  std::vector<ProjectionParams> zoneProjections;
  bool convertHeights = false;  // both height types are set
  HeightPlan heightPlan;
  // Heights are looked up at the point's GDA2020 position: the target position when the target is
  // GDA2020, the source point when the source is, else that of a second path.
  Gda2020Position heightPosition = Gda2020Position::kTarget;
  std::optional<DatumPath> path;
  std::optional<DatumPath> pathToGda2020;
};

// A grid is opened once; a second path that needs a grid the first only took as optional makes it
// needed.
void Converter::Impl::open(GridId id, bool needed) {
  GridState& state = states[slotOf(id)];
  const bool tried = state.needed || state.optional;
  state.needed = state.needed || needed;
  state.optional = !state.needed;
  if (tried) return;
  GridPath found = gridPath(settings, slotOf(id));
  state.path = std::move(found.path);
  state.searched = found.searched;
  grids[slotOf(id)] = openGridFile(state.path, state.error);
  state.grid = grids[slotOf(id)].get();
}

void Converter::Impl::openFor(const GridNeeds& needs) {
  if (needs.agd66) open(GridId::kAgd66);
  if (needs.agd84) open(GridId::kAgd84);
  if (needs.gda2020) open(GridId::kGda2020);
  if (needs.nzgd2000 || needs.nzgd2000Optional) open(GridId::kNzgd2000, needs.nzgd2000);
}

Converter::Impl::Impl(const ConversionSettings& runSettings) : settings(runSettings) {
  fromGrid = settings.fromCoordType == CoordType::kEn;
  toGrid = settings.toCoordType == CoordType::kEn;
  sourceProjection = makeProjectionParams(settings.fromDatum, settings.zone, settings.southernHemisphere,
                                          settings.isgSubZone);
  targetProjection = makeProjectionParams(settings.toDatum, settings.toZone.value_or(settings.zone),
                                          settings.southernHemisphere, settings.isgSubZone);
  if (settings.autoToZone && isUtmGrid(targetProjection)) {
    for (int zone = kFirstUtmZone; zone <= kLastUtmZone; ++zone) {
      zoneProjections.push_back(
          makeProjectionParams(settings.toDatum, zone, settings.southernHemisphere, settings.isgSubZone));
    }
  }

  convertHeights = settings.fromHeightType != HeightType::kNone && settings.toHeightType != HeightType::kNone;
  heightPlan = HeightPlan(settings.fromDatum, settings.fromHeightType, settings.toDatum,
                          settings.toHeightType, settings.useAusGeoid98);
  const bool planned = heightPlan.kind() != HeightPlan::Kind::kNone;
  heightPosition = settings.toDatum == Datum::kGda2020     ? Gda2020Position::kTarget
                   : settings.fromDatum == Datum::kGda2020 ? Gda2020Position::kSource
                                                           : Gda2020Position::kOwnPath;
  const bool heightsNeedOwnPath = planned && heightPosition == Gda2020Position::kOwnPath;

  const DatumPathSettings main = pathSettings(settings, settings.toDatum);
  openFor(gridsNeeded(main));
  if (heightsNeedOwnPath) openFor(gridsNeeded(pathSettings(settings, Datum::kGda2020)));
  if (heightPlan.usesGeoid()) open(heightPlan.geoid());

  path.emplace(main, datumGrids());
  if (heightsNeedOwnPath) pathToGda2020.emplace(pathSettings(settings, Datum::kGda2020), datumGrids());
}

Converter::Converter(const ConversionSettings& settings) : impl_(std::make_unique<const Impl>(settings)) {}
Converter::~Converter() = default;
Converter::Converter(Converter&&) noexcept = default;
Converter& Converter::operator=(Converter&&) noexcept = default;

const ConversionSettings& Converter::settings() const noexcept {
  return impl_->settings;
}

const GridState& Converter::gridState(GridId id) const noexcept {
  return impl_->states[slotOf(id)];
}

ConversionResult Converter::transformPoint(const Coordinates& point) const noexcept {
  const Impl& run = *impl_;
  const LatLon source = run.fromGrid
                            ? gridToGeographic(run.sourceProjection, GridPoint{point.first, point.second})
                            : LatLon{point.first, point.second};
  ConversionResult result;
  const LatLon position = run.path->transformDatum(source.latitude, source.longitude, result.datum);
  result.coordinates.height = point.height;

  if (run.convertHeights) {
    HeightCorrection correction;
    if (run.heightPlan.kind() != HeightPlan::Kind::kNone) {
      LatLon onGda2020 = position;
      if (run.heightPosition == Gda2020Position::kSource) onGda2020 = source;
      if (run.heightPosition == Gda2020Position::kOwnPath) {
        DatumReport unused;
        onGda2020 = run.pathToGda2020->transformDatum(source.latitude, source.longitude, unused);
      }
      correction = run.heightPlan.heightCorrection(onGda2020, run.grid(run.heightPlan.geoid()));
    }
    result.height = correction.report;
    result.coordinates.height += correction.metres;
  }

  if (run.fromGrid) result.zone.sourceOutside = outsideZone(run.sourceProjection, source.longitude);
  if (run.toGrid) {
    const ProjectionParams* target = &run.targetProjection;
    if (!run.zoneProjections.empty()) {
      if (const std::optional<int> zone = utmZoneOf(position.longitude)) {
        target = &run.zoneProjections[static_cast<std::size_t>(*zone - kFirstUtmZone)];
      }
    }
    result.zone.target = target->zone;
    result.zone.targetOutside = outsideZone(*target, position.longitude);
    const GridPoint grid = geographicToGrid(*target, position);
    result.coordinates.first = grid.easting;
    result.coordinates.second = grid.northing;
  } else {
    result.coordinates.first = position.latitude;
    result.coordinates.second = position.longitude;
  }
  return result;
}

}  // namespace velmora
