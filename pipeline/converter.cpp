// The Converter: the run's decisions made once, then a pure per-point computation.
//
// Inside, a point is (x, y) = (easting, northing) or (longitude, latitude); the public Coordinates
// keep the order in which points are written, latitude first. Both projections use the run's one
// zone, hemisphere and ISG sub-zone: an EN to EN conversion stays in the zone given even where the
// datum change crosses its edge.
#include "velmora/converter.hpp"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

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
std::string gridPath(const ConversionSettings& settings, std::size_t slot) {
  std::string name =
      settings.gridFiles[slot].empty() ? std::string(kGridFileNames[slot]) : settings.gridFiles[slot];
  // An absolute name, or one that says it starts from the current folder, is used as it is.
  const bool explicitPath = name.starts_with('/') || name.starts_with("./") || name.starts_with("../");
  if (explicitPath || settings.gridFolders.empty()) return name;
  for (const std::string& folder : settings.gridFolders) {
    std::string path = folder + name;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::status(path, error))) return path;
  }
  return settings.gridFolders.front() + name;
}

DatumPathSettings pathSettings(const ConversionSettings& settings, Datum toDatum) {
  return DatumPathSettings{settings.fromDatum, toDatum, settings.epoch, settings.useITRF2008,
                           settings.useGridShift};
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
  state.path = gridPath(settings, slotOf(id));
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
  targetProjection =
      makeProjectionParams(settings.toDatum, settings.zone, settings.southernHemisphere, settings.isgSubZone);

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
  const DatumChange change = run.path->transformDatum(source.latitude, source.longitude);
  ConversionResult result;
  result.datum = change.report;
  result.coordinates.height = point.height;

  if (run.convertHeights) {
    HeightCorrection correction;
    if (run.heightPlan.kind() != HeightPlan::Kind::kNone) {
      LatLon onGda2020 = change.position;
      if (run.heightPosition == Gda2020Position::kSource) onGda2020 = source;
      if (run.heightPosition == Gda2020Position::kOwnPath) {
        onGda2020 = run.pathToGda2020->transformDatum(source.latitude, source.longitude).position;
      }
      correction = run.heightPlan.heightCorrection(onGda2020, run.grid(run.heightPlan.geoid()));
    }
    result.height = correction.report;
    result.coordinates.height += correction.metres;
  }

  if (run.toGrid) {
    const GridPoint grid = geographicToGrid(run.targetProjection, change.position);
    result.coordinates.first = grid.easting;
    result.coordinates.second = grid.northing;
  } else {
    result.coordinates.first = change.position.latitude;
    result.coordinates.second = change.position.longitude;
  }
  return result;
}

}  // namespace velmora
