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
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "pipeline/datum_path.hpp"
#include "pipeline/datum_projection.hpp"
#include "pipeline/height_plan.hpp"
#include "velmora/deformation/deformation_model.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "velmora/geodesy/nz_circuits.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

// The names of each slot in the order they are looked for: the fixed name first, then the names the
// agencies publish the file under, then that of its GeoTIFF conversion in the PROJ data package.
// The GDA2020 grid that also models distortion (GDA94_GDA2020_conformal_and_distortion) is not the
// transformation the seven parameters equal, and is never picked by name.
constexpr std::string_view kAgd66Names[] = {"AGD66_Australia.gsb", "A66 National (13.09.01).gsb",
                                            "au_icsm_A66_National_13_09_01.tif"};
constexpr std::string_view kAgd84Names[] = {"AGD84_Australia.gsb", "National 84 (02.07.01).gsb",
                                            "au_icsm_National_84_02_07_01.tif"};
constexpr std::string_view kGda2020Names[] = {"GDA2020_Australia.gsb", "GDA94_GDA2020_conformal.gsb",
                                              "au_icsm_GDA94_GDA2020_conformal.tif"};
constexpr std::string_view kAusGeoid2020Names[] = {"AUSGeoid2020.gsb", "AUSGeoid2020_20180201.gsb",
                                                   "au_ga_AUSGeoid2020_20180201.tif"};
constexpr std::string_view kAusGeoid09Names[] = {"AUSGeoid09.gsb", "AUSGeoid09_V1.01.gsb",
                                                 "au_ga_AUSGeoid09_V1.01.tif"};
constexpr std::string_view kAusGeoid98Names[] = {"AUSGeoid98.gsb"};
constexpr std::string_view kNzgd2000Names[] = {"nzgd2kgrid0005.gsb", "nz_linz_nzgd2kgrid0005.tif"};
constexpr std::string_view kNzGeoid2016Names[] = {"nzgeoid2016.gtx", "nz_linz_nzgeoid2016.tif"};
// The local datums' offsets from NZVD2016: LINZ's GTX, then PROJ's GeoTIFF.
constexpr std::string_view kAuckland1946Names[] = {"auckht1946-nzvd2016.gtx",
                                                   "nz_linz_auckht1946-nzvd2016.tif"};
constexpr std::string_view kBluff1955Names[] = {"blufht1955-nzvd2016.gtx", "nz_linz_blufht1955-nzvd2016.tif"};
constexpr std::string_view kDunedin1958Names[] = {"duneht1958-nzvd2016.gtx",
                                                  "nz_linz_duneht1958-nzvd2016.tif"};
constexpr std::string_view kDunedinBluff1960Names[] = {"dublht1960-nzvd2016.gtx",
                                                       "nz_linz_dublht1960-nzvd2016.tif"};
constexpr std::string_view kGisborne1926Names[] = {"gisbht1926-nzvd2016.gtx",
                                                   "nz_linz_gisbht1926-nzvd2016.tif"};
constexpr std::string_view kLyttelton1937Names[] = {"lyttht1937-nzvd2016.gtx",
                                                    "nz_linz_lyttht1937-nzvd2016.tif"};
constexpr std::string_view kMoturiki1953Names[] = {"motuht1953-nzvd2016.gtx",
                                                   "nz_linz_motuht1953-nzvd2016.tif"};
constexpr std::string_view kNapier1962Names[] = {"napiht1962-nzvd2016.gtx",
                                                 "nz_linz_napiht1962-nzvd2016.tif"};
constexpr std::string_view kNelson1955Names[] = {"nelsht1955-nzvd2016.gtx",
                                                 "nz_linz_nelsht1955-nzvd2016.tif"};
constexpr std::string_view kOneTreePoint1964Names[] = {"ontpht1964-nzvd2016.gtx",
                                                       "nz_linz_ontpht1964-nzvd2016.tif"};
constexpr std::string_view kStewartIsland1977Names[] = {"stisht1977-nzvd2016.gtx",
                                                        "nz_linz_stisht1977-nzvd2016.tif"};
constexpr std::string_view kTaranaki1970Names[] = {"taraht1970-nzvd2016.gtx",
                                                   "nz_linz_taraht1970-nzvd2016.tif"};
constexpr std::string_view kWellington1953Names[] = {"wellht1953-nzvd2016.gtx",
                                                     "nz_linz_wellht1953-nzvd2016.tif"};
constexpr std::string_view kAgqgNames[] = {"AGQG_20201120.gsb", "au_ga_AGQG_20201120.tif"};
constexpr std::string_view kAusGeoid2020ErrorNames[] = {"AUSGeoid2020_20180201_error.gsb"};
constexpr std::string_view kAgqgUncertaintyNames[] = {"AGQG_uncertainty_20201120.gsb"};
// LINZ's master file of the 2018-07-01 model (EPSG:9090), as PROJ's data package names it; its
// grids are found beside it.
constexpr std::string_view kNzDeformationNames[] = {"nz_linz_nzgd2000-20180701.json"};

// By GridId, in its order.
constexpr std::array<std::span<const std::string_view>, kGridIdCount> kGridFileNames{
    kAgd66Names,
    kAgd84Names,
    kGda2020Names,
    kAusGeoid2020Names,
    kAusGeoid09Names,
    kAusGeoid98Names,
    kNzgd2000Names,
    kNzGeoid2016Names,
    kAuckland1946Names,
    kBluff1955Names,
    kDunedin1958Names,
    kDunedinBluff1960Names,
    kGisborne1926Names,
    kLyttelton1937Names,
    kMoturiki1953Names,
    kNapier1962Names,
    kNelson1955Names,
    kOneTreePoint1964Names,
    kStewartIsland1977Names,
    kTaranaki1970Names,
    kWellington1953Names,
    kAgqgNames,
    kAusGeoid2020ErrorNames,
    kAgqgUncertaintyNames,
    kNzDeformationNames,
};

constexpr std::size_t slotOf(GridId id) {
  return static_cast<std::size_t>(id);
}

// Where a grid file is opened or tried: see GridState. A folder holds the file when a name exists
// there as any kind of file: a folder or a file without read permission is found, opened and
// refused, which stops the search rather than quietly taking a file from a later folder.
struct GridPath {
  std::string path;
  bool searched = false;  // looked for in the grid folders
};

// names: the one name the user gave, or the slot's names in order.
GridPath gridPath(const ConversionSettings& settings, std::span<const std::string_view> names) {
  const std::string_view first = names.front();
  // An absolute name, or one that says it starts from the current folder, is used as it is.
  const bool explicitPath = first.starts_with('/') || first.starts_with("./") || first.starts_with("../");
  const std::vector<std::string>& folders = settings.gridFolders;
  if (explicitPath || folders.empty()) return {std::string(first), false};
  for (const std::string& folder : folders) {
    for (const std::string_view name : names) {
      // A slot's published name in a format this build does not read (GeoTIFF without libtiff)
      // is not looked for: it must not stop the search before a file the build reads.
      const std::optional<GridForm> form = gridFormFromName(name);
      if (names.size() > 1 && form && !gridFormReadable(*form)) continue;
      std::string path = folder + std::string(name);
      std::error_code error;
      if (std::filesystem::exists(std::filesystem::status(path, error))) return {path, true};
    }
  }
  const std::size_t home = settings.homeGridFolder < folders.size() ? settings.homeGridFolder : 0;
  return {folders[home] + std::string(first), true};
}

DatumPathSettings pathSettings(const ConversionSettings& settings, Datum toDatum) {
  const bool changesEpoch = settings.toEpoch && *settings.toEpoch != settings.epoch;
  return DatumPathSettings{settings.fromDatum,    toDatum,          settings.epoch, settings.useITRF2008,
                           settings.useGridShift, settings.toEpoch, changesEpoch};
}

constexpr int kFirstUtmZone = 1;
constexpr int kLastUtmZone = 60;
constexpr double kUtmZoneWidthDeg = 6.0;
constexpr double kUtmHalfWidthDeg = 3.0;      // a UTM, MGA or AMG zone either side of its meridian
constexpr double kIsgHalfWidthDeg = 1.0;      // an ISG sub-zone
constexpr double kZoneOverlapLimitDeg = 1.0;  // beyond this outside a zone the series lose accuracy
constexpr double kFullCircleDeg = 360.0;
constexpr double kHalfCircleDeg = 180.0;  // longitudes wrap at the antimeridian
constexpr int kFirstIsgZone = 54;         // the ISG covers New South Wales: zones 54 to 56, sub-zones 1 to 3
constexpr int kLastIsgZone = 56;
constexpr int kLastIsgSubZone = 3;

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

// A file that says what it holds (GTX, GeoTIFF) and holds the wrong thing for its slot: heights
// in a datum slot, horizontal shifts in a height slot. An NTv2 file does not say (its geoids put N
// in the latitude-shift field), so it serves any slot, as it always has.
GridError contentProblem(GridId id, const GridFile& grid) {
  const bool datumSlot =
      id == GridId::kAgd66 || id == GridId::kAgd84 || id == GridId::kGda2020 || id == GridId::kNzgd2000;
  if (datumSlot) return grid.content() == GridContent::kHorizontal ? kGridOk : kGridHoldsHeights;
  const bool ntv2 = grid.form() == GridForm::kBinary || grid.form() == GridForm::kText;
  return ntv2 || grid.content() != GridContent::kHorizontal ? kGridOk : kGridHoldsShifts;
}

// The grid of one side: the datum's, or a New Zealand circuit on its datum.
ProjectionParams sideProjection(Datum datum, int zone, const NzCircuit* circuit,
                                const ConversionSettings& settings) {
  if (circuit != nullptr && (datum == Datum::kNzgd2000 || datum == Datum::kNzgd49))
    return circuitProjection(*circuit, datum == Datum::kNzgd49);
  return makeProjectionParams(datum, zone, settings.southernHemisphere, settings.isgSubZone);
}

// A height surface that was needed and not applied: the height written is not the one asked for.
bool heightMissed(const HeightReport& height) {
  const auto missed = [](GeoidStatus status) {
    return status == GeoidStatus::kFileMissing || status == GeoidStatus::kOutside ||
           status == GeoidStatus::kNoData;
  };
  return missed(height.geoidStatus) || missed(height.second.geoidStatus);
}

// The factors of a grid at a point (degrees) of ellipsoidal height heightM, when known, from the
// grid's own factors there.
PointFactors pointFactors(const MapProjection& projection, const LatLon& point, const GridFactors& grid,
                          bool heightKnown, double heightM) {
  PointFactors factors;
  factors.known = true;
  factors.grid = grid;
  factors.combinedScale = std::numeric_limits<double>::quiet_NaN();
  if (heightKnown) {
    const double radius = gaussianMeanRadius(projection.params().ellipsoid, point.latitude);
    factors.combinedScale = factors.grid.scale * radius / (radius + heightM);
  }
  return factors;
}

}  // namespace

std::string_view gridFileName(GridId id) {
  return kGridFileNames[slotOf(id)].front();
}

std::span<const std::string_view> gridFileNames(GridId id) {
  return kGridFileNames[slotOf(id)];
}

std::optional<GridId> localDatumGrid(HeightType type) {
  if (!isLocalHeightType(type)) return std::nullopt;
  const int offset = static_cast<int>(type) - kFirstLocalHeightCode;
  return static_cast<GridId>(static_cast<int>(GridId::kAuckland1946) + offset);
}

enum class Gda2020Position { kTarget, kSource, kOwnPath };

struct Converter::Impl {
  explicit Impl(const ConversionSettings& runSettings);
  ConversionResult transform(const Coordinates& point, const PointEpochs& epochs,
                             const PointZone* zone = nullptr) const noexcept;
  // With zonePerPoint, the grid of each zone of a side: UTM zone z at z - 1, ISG zone z/s at
  // (z - 54) * 4 + s; empty for a side without zones.
  std::vector<MapProjection> sourceZones;
  std::vector<MapProjection> targetZones;
  const MapProjection* zoneProjection(const std::vector<MapProjection>& zones, const ProjectionParams& params,
                                      const PointZone& zone) const noexcept;

  GridList files(GridId id) const { return lists[slotOf(id)]; }
  DatumGrids datumGrids() const {
    DatumGrids grids{files(GridId::kAgd66), files(GridId::kAgd84), files(GridId::kGda2020),
                     files(GridId::kNzgd2000)};
    // The first model file of the slot that opened serves.
    const std::vector<GridState>& modelStates = states[slotOf(GridId::kNzDeformation)];
    for (std::size_t k = 0; k < modelStates.size() && grids.nzModel == nullptr; ++k) {
      grids.nzModel = modelStates[k].model;
      grids.nzModelFile = static_cast<std::uint8_t>(k);
    }
    return grids;
  }
  void open(GridId id, bool needed = true);
  void openFor(const GridNeeds& needs);

  ConversionSettings settings;
  // Per slot, its own file then the extra files: owned, open or nullptr, and how each went.
  std::array<std::vector<std::unique_ptr<GridFile>>, kGridIdCount> grids;
  std::array<std::vector<const GridFile*>, kGridIdCount> lists;
  std::array<std::vector<GridState>, kGridIdCount> states;
  std::vector<std::unique_ptr<DeformationModel>> models;  // the deformation model slot's files
  bool fromGrid = false;                                  // source coordinates are EN
  bool toGrid = false;                                    // target coordinates are EN
  MapProjection sourceProjection;
  MapProjection targetProjection;
  // With autoToZone, the target grid of each UTM zone, zone z at z - 1.
  std::vector<MapProjection> zoneProjections;
  bool convertHeights = false;  // both height types are set
  HeightPlan heightPlan;
  HeightPlan::Grids heightGrids;
  // Heights are looked up at the point's GDA2020 position: the target position when the target is
  // GDA2020, the source point when the source is, else that of a second path; New Zealand heights
  // at the source point, on NZGD2000.
  Gda2020Position heightPosition = Gda2020Position::kTarget;
  std::optional<DatumPath> path;
  std::optional<DatumPath> movingPath;  // for points at two epochs when the run's path is not
  std::optional<DatumPath> pathToGda2020;
  // The side whose factors are given, and whether its heights are ellipsoidal.
  enum class FactorSide : std::uint8_t { kNone, kSource, kTarget } factorSide = FactorSide::kNone;
  bool factorHeightEllipsoidal = false;
};

// A grid is opened once; a second path that needs a grid the first only took as optional makes it
// needed. The slot's extra files are opened with its own.
void Converter::Impl::open(GridId id, bool needed) {
  const std::size_t slot = slotOf(id);
  std::vector<GridState>& slotStates = states[slot];
  const bool tried = slotStates.front().needed || slotStates.front().optional;
  for (GridState& state : slotStates) {
    state.needed = state.needed || needed;
    state.optional = !state.needed;
  }
  if (tried) return;
  for (std::size_t k = 0; k < slotStates.size(); ++k) {
    GridState& state = slotStates[k];
    // The slot's own file by the name given, else by its names; an extra file by its name.
    const std::string_view given[] = {k == 0 ? std::string_view(settings.gridFiles[slot])
                                             : std::string_view(settings.extraGridFiles[slot][k - 1])};
    GridPath found = gridPath(settings, given[0].empty() ? gridFileNames(id) : given);
    state.path = std::move(found.path);
    state.searched = found.searched;
    if (id == GridId::kNzDeformation) {
      std::string problem;
      models[k] = DeformationModel::open(state.path, problem, state.error);
      state.model = models[k].get();
      continue;
    }
    grids[slot][k] = openGridFile(state.path, state.error);
    if (grids[slot][k] != nullptr) {
      state.error = contentProblem(id, *grids[slot][k]);
      if (state.error != kGridOk) grids[slot][k].reset();
    }
    state.grid = grids[slot][k].get();
    lists[slot][k] = state.grid;
  }
}

void Converter::Impl::openFor(const GridNeeds& needs) {
  if (needs.agd66) open(GridId::kAgd66);
  if (needs.agd84) open(GridId::kAgd84);
  if (needs.gda2020) open(GridId::kGda2020);
  if (needs.nzgd2000 || needs.nzgd2000Optional) open(GridId::kNzgd2000, needs.nzgd2000);
  if (needs.nzModel || needs.nzModelOptional) open(GridId::kNzDeformation, needs.nzModel);
}

Converter::Impl::Impl(const ConversionSettings& runSettings) : settings(runSettings) {
  for (std::size_t slot = 0; slot < kGridIdCount; ++slot) {
    const std::size_t count = 1 + settings.extraGridFiles[slot].size();
    grids[slot].resize(count);
    lists[slot].resize(count);
    states[slot].resize(count);
  }
  models.resize(states[slotOf(GridId::kNzDeformation)].size());
  fromGrid = settings.fromCoordType == CoordType::kEn;
  toGrid = settings.toCoordType == CoordType::kEn;
  // Only the projections of a grid side are built: Krueger's series compute their coefficients.
  const TmFormulas formulas = settings.tmFormulas;
  if (fromGrid) {
    sourceProjection = MapProjection(
        sideProjection(settings.fromDatum, settings.zone, settings.fromCircuit, settings), formulas);
  }
  if (toGrid) {
    targetProjection = MapProjection(sideProjection(settings.toDatum, settings.toZone.value_or(settings.zone),
                                                    settings.toCircuit, settings),
                                     formulas);
  }
  // The grid of every zone of a side whose grid comes in zones: UTM zones, or ISG zones and sub-zones.
  const auto everyZone = [&](const ProjectionParams& params, Datum datum, std::vector<MapProjection>& zones) {
    if (isUtmGrid(params)) {
      for (int zone = kFirstUtmZone; zone <= kLastUtmZone; ++zone)
        zones.emplace_back(
            makeProjectionParams(datum, zone, settings.southernHemisphere, settings.isgSubZone), formulas);
    } else if (params.kind == ProjectionKind::kIsgGrid) {
      for (int zone = kFirstIsgZone; zone <= kLastIsgZone; ++zone) {
        for (int subZone = 0; subZone <= kLastIsgSubZone; ++subZone) {
          zones.emplace_back(makeProjectionParams(datum, zone, settings.southernHemisphere,
                                                  subZone == 0 ? settings.isgSubZone : subZone),
                             formulas);
        }
      }
    }
  };
  if (settings.zonePerPoint) {
    if (fromGrid) everyZone(sourceProjection.params(), settings.fromDatum, sourceZones);
    if (toGrid && !settings.toZone && !settings.autoToZone)
      everyZone(targetProjection.params(), settings.toDatum, targetZones);
  }
  if (toGrid && settings.autoToZone && isUtmGrid(targetProjection.params()))
    everyZone(targetProjection.params(), settings.toDatum, zoneProjections);

  convertHeights = settings.fromHeightType != HeightType::kNone && settings.toHeightType != HeightType::kNone;
  heightPlan = HeightPlan(settings.fromDatum, settings.fromHeightType, settings.toDatum,
                          settings.toHeightType, settings.useAusGeoid98);
  const bool planned = heightPlan.planned();
  heightPosition = heightPlan.onNzgd2000()                 ? Gda2020Position::kSource
                   : settings.toDatum == Datum::kGda2020   ? Gda2020Position::kTarget
                   : settings.fromDatum == Datum::kGda2020 ? Gda2020Position::kSource
                                                           : Gda2020Position::kOwnPath;
  const bool heightsNeedOwnPath = planned && heightPosition == Gda2020Position::kOwnPath;

  // A point whose source and target epochs differ where the run's do not takes a path that moves
  // positions in time (see DatumPathSettings::changesEpoch); it opens no grid of its own.
  const DatumPathSettings main = pathSettings(settings, settings.toDatum);
  DatumPathSettings moving = main;
  moving.changesEpoch = true;
  openFor(gridsNeeded(main));
  // Points at epochs of their own (a target epoch for the run, or per point through the library)
  // may take the moving path: its grids too (the deformation model, for two ITRF datums in New
  // Zealand, optional there).
  if (!main.changesEpoch) openFor(gridsNeeded(moving));
  const DatumPathSettings toGda2020 = pathSettings(settings, Datum::kGda2020);
  if (heightsNeedOwnPath) openFor(gridsNeeded(toGda2020));
  for (const GridId surface : heightPlan.surfaces()) {
    open(surface);
    if (const std::optional<GridId> uncertainty = uncertaintyGrid(surface)) open(*uncertainty, false);
  }
  const std::span<const GridId> surfaces = heightPlan.surfaces();
  for (std::size_t k = 0; k < surfaces.size(); ++k) {
    heightGrids.surfaces[k] = files(surfaces[k]);
    if (const std::optional<GridId> uncertainty = uncertaintyGrid(surfaces[k]))
      heightGrids.uncertainties[k] = files(*uncertainty);
  }

  if (settings.gridFactors) {
    factorSide = toGrid ? FactorSide::kTarget : fromGrid ? FactorSide::kSource : FactorSide::kNone;
    const HeightType sideHeight = toGrid ? settings.toHeightType : settings.fromHeightType;
    factorHeightEllipsoidal = sideHeight == HeightType::kEllipsoid;
  }

  path.emplace(main, datumGrids());
  if (!main.changesEpoch) movingPath.emplace(moving, datumGrids());
  if (heightsNeedOwnPath) pathToGda2020.emplace(toGda2020, datumGrids());
}

Converter::Converter(const ConversionSettings& settings) : impl_(std::make_unique<const Impl>(settings)) {}
Converter::~Converter() = default;
Converter::Converter(Converter&&) noexcept = default;
Converter& Converter::operator=(Converter&&) noexcept = default;

const ConversionSettings& Converter::settings() const noexcept {
  return impl_->settings;
}

const GridState& Converter::gridState(GridId id) const noexcept {
  return impl_->states[slotOf(id)].front();
}

std::span<const GridState> Converter::gridStates(GridId id) const noexcept {
  return impl_->states[slotOf(id)];
}

ConversionResult Converter::transformPoint(const Coordinates& point) const noexcept {
  return impl_->transform(point, impl_->path->epochsOf(impl_->settings.epoch));
}

ConversionResult Converter::transformPoint(const Coordinates& point, double epoch) const noexcept {
  return impl_->transform(point, impl_->path->epochsOf(epoch));
}

ConversionResult Converter::transformPoint(const Coordinates& point, double epoch,
                                           double toEpoch) const noexcept {
  return impl_->transform(point, PointEpochs{epoch, toEpoch});
}

ConversionResult Converter::transformPoint(const Coordinates& point, const PointZone& zone,
                                           std::optional<double> epoch) const noexcept {
  return impl_->transform(point, impl_->path->epochsOf(epoch.value_or(impl_->settings.epoch)), &zone);
}

const MapProjection* Converter::Impl::zoneProjection(const std::vector<MapProjection>& zones,
                                                     const ProjectionParams& params,
                                                     const PointZone& zone) const noexcept {
  if (zones.empty()) return nullptr;
  if (params.kind == ProjectionKind::kIsgGrid) {
    if (zone.zone < kFirstIsgZone || zone.zone > kLastIsgZone || zone.isgSubZone < 0 ||
        zone.isgSubZone > kLastIsgSubZone)
      return nullptr;
    const int index = (zone.zone - kFirstIsgZone) * (kLastIsgSubZone + 1) + zone.isgSubZone;
    return &zones[static_cast<std::size_t>(index)];
  }
  if (zone.zone < kFirstUtmZone || zone.zone > kLastUtmZone) return nullptr;
  return &zones[static_cast<std::size_t>(zone.zone - kFirstUtmZone)];
}

ConversionResult Converter::Impl::transform(const Coordinates& point, const PointEpochs& epochs,
                                            const PointZone* zone) const noexcept {
  const Impl& run = *this;
  const MapProjection* sourceGrid = &run.sourceProjection;
  const MapProjection* targetGrid = &run.targetProjection;
  if (zone != nullptr) {
    if (const MapProjection* own = zoneProjection(sourceZones, sourceProjection.params(), *zone))
      sourceGrid = own;
    if (const MapProjection* own = zoneProjection(targetZones, targetProjection.params(), *zone))
      targetGrid = own;
  }
  const LatLon source = run.fromGrid ? sourceGrid->reverse(GridPoint{point.first, point.second})
                                     : LatLon{point.first, point.second};
  ConversionResult result;
  const bool moves = run.movingPath && epochs.source != epochs.target;
  const DatumPath& datumPath = moves ? *run.movingPath : *run.path;
  const LatLon position = datumPath.transformDatum(source.latitude, source.longitude, epochs, result.datum);
  result.coordinates.height = point.height;

  if (run.convertHeights) {
    HeightCorrection correction;
    if (run.heightPlan.planned()) {
      LatLon onGda2020 = position;
      if (run.heightPosition == Gda2020Position::kSource) onGda2020 = source;
      if (run.heightPosition == Gda2020Position::kOwnPath) {
        DatumReport unused;
        onGda2020 = run.pathToGda2020->transformDatum(source.latitude, source.longitude, epochs, unused);
      }
      correction = run.heightPlan.heightCorrection(onGda2020, run.heightGrids);
    }
    result.height = correction.report;
    result.coordinates.height += correction.metres;
  }

  if (run.fromGrid) result.zone.sourceOutside = outsideZone(sourceGrid->params(), source.longitude);
  if (run.toGrid) {
    const MapProjection* target = targetGrid;
    if (!run.zoneProjections.empty()) {
      if (const std::optional<int> zone = utmZoneOf(position.longitude)) {
        target = &run.zoneProjections[static_cast<std::size_t>(*zone - kFirstUtmZone)];
      }
    }
    result.zone.target = target->params().zone;
    result.zone.targetOutside = outsideZone(target->params(), position.longitude);
    const bool withFactors = run.factorSide == Impl::FactorSide::kTarget;
    const ProjectedPoint projected =
        withFactors ? target->forwardWithFactors(position) : ProjectedPoint{target->forward(position), {}};
    result.coordinates.first = projected.grid.easting;
    result.coordinates.second = projected.grid.northing;
    if (withFactors) {
      const bool heightKnown = run.factorHeightEllipsoidal && !heightMissed(result.height);
      result.factors =
          pointFactors(*target, position, projected.factors, heightKnown, result.coordinates.height);
    }
  } else {
    result.coordinates.first = position.latitude;
    result.coordinates.second = position.longitude;
  }
  if (run.factorSide == Impl::FactorSide::kSource) {
    result.factors = pointFactors(*sourceGrid, source, sourceGrid->factors(source),
                                  run.factorHeightEllipsoidal, point.height);
  }
  return result;
}

}  // namespace velmora
