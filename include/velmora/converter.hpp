// The conversion engine: one Converter per set of settings converts any number of points.
//
// Everything a run decides is decided when the Converter is built: the source and target map
// projections, the datum path, the height surfaces, and the grids they may need, each found in the
// grid folders, opened once and owned for the Converter's lifetime. A grid that is missing or
// refused then stays so: such a run converts as if the file did not exist. The datum path is two lists of
// steps, one between the run's datums and one under the New Zealand rule; per point only the area tests (the
// supported area, the New Zealand area, the coverage of each grid) choose among them.
// transformPoint() only computes: it allocates nothing, touches no file, changes no state, and may be
// called from any number of threads at once.
//
// Accuracy: the datum changes are those of the national parameter sets and grids (about a metre for
// the AGD parameter sets, a few centimetres for the grids and the GDA94/GDA2020 and ITRF sets); the
// map projections add well under a millimetre within a zone.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/codes.hpp"
#include "velmora/geodesy/grid_factors.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "velmora/gridfile/grid_error.hpp"

namespace velmora {

class DeformationModel;
class GridFile;
class SubGrid;
struct NzCircuit;

// The grid slots of a Converter: each names the files that serve one purpose. A slot is served by
// its file (found by name, see GridState) and then by any extra files named for it, tried in order.
enum class GridId : std::uint8_t {
  kAgd66,         // "AGD66_Australia.gsb": AGD66 and ISG <-> GDA94
  kAgd84,         // "AGD84_Australia.gsb": AGD84 <-> GDA94
  kGda2020,       // "GDA2020_Australia.gsb": GDA94 <-> GDA2020
  kAusGeoid2020,  // "AUSGeoid2020.gsb": AHD heights on GDA2020
  kAusGeoid09,    // "AUSGeoid09.gsb": AHD heights on GDA94
  kAusGeoid98,    // "AUSGeoid98.gsb": AHD heights on GDA94 when asked for
  kNzgd2000,      // "nzgd2kgrid0005.gsb": NZGD49 <-> NZGD2000, and the New Zealand rule
  kNzGeoid2016,   // "nzgeoid2016.gtx": NZVD2016 heights on NZGD2000
  // The offsets (metres) from NZVD2016 to each New Zealand local vertical datum, in HeightType order:
  // "auckht1946-nzvd2016.gtx" and so on.
  kAuckland1946,
  kBluff1955,
  kDunedin1958,
  kDunedinBluff1960,
  kGisborne1926,
  kLyttelton1937,
  kMoturiki1953,
  kNapier1962,
  kNelson1955,
  kOneTreePoint1964,
  kStewartIsland1977,
  kTaranaki1970,
  kWellington1953,
  kAgqg,               // "AGQG_20201120.gsb": AVWS heights on GDA2020
  kAusGeoid2020Error,  // "AUSGeoid2020_20180201_error.gsb": uncertainty of AUSGeoid2020 (optional)
  kAgqgUncertainty,    // "AGQG_uncertainty_20201120.gsb": uncertainty of AGQG (optional)
  // "nz_linz_nzgd2000-20180701.json": New Zealand's deformation model, NZGD2000 <-> ITRF96, its
  // grids beside it. A master file, not a grid: GridState::model holds it.
  kNzDeformation,
};
inline constexpr std::size_t kGridIdCount = 25;

// Every GridId, in order.
inline constexpr std::array<GridId, kGridIdCount> kGridIds = [] {
  std::array<GridId, kGridIdCount> ids{};
  for (std::size_t k = 0; k < kGridIdCount; ++k) ids[k] = static_cast<GridId>(k);
  return ids;
}();

// The slots of the datum grids (shifts between datums, and the deformation model); every other slot
// holds a height surface.
constexpr bool isDatumGrid(GridId id) {
  return id == GridId::kAgd66 || id == GridId::kAgd84 || id == GridId::kGda2020 || id == GridId::kNzgd2000 ||
         id == GridId::kNzDeformation;
}

// The fixed file name of a slot, without folder: the first of gridFileNames(id).
std::string_view gridFileName(GridId id);

// The names a slot's file is looked for by, in order: the fixed name, then the published names (the
// agency's, then that of its GeoTIFF conversion). An empty list never happens.
std::span<const std::string_view> gridFileNames(GridId id);

// The slot of the offset surface of a New Zealand local vertical datum; none for another height type.
std::optional<GridId> localDatumGrid(HeightType type);

// The settings of a run, with the program's defaults. The Converter takes any values; the program's
// checks of them (zones, sub-zones, epochs, height types, grids) and its options by name are
// velmora/app/options.hpp's.
struct ConversionSettings {
  Datum fromDatum = Datum::kWgs84;
  CoordType fromCoordType = CoordType::kDd;
  HeightType fromHeightType = HeightType::kNone;
  Datum toDatum = Datum::kWgs84;
  CoordType toCoordType = CoordType::kDd;
  HeightType toHeightType = HeightType::kNone;
  int zone = 56;              // UTM zone of grid coordinates: the source's, and the target's
                              // unless toZone or autoToZone says otherwise
  std::optional<int> toZone;  // zone of grid output; none: zone
  bool autoToZone = false;    // grid output in each point's own UTM zone, from its longitude on
                              // the target datum (Transverse Mercator grids with zones only)
  int isgSubZone = 0;         // ISG sub-zone 1, 2 or 3 (zone Z/s); 0, the zone west of Z/1
  double epoch = 1994.0;      // decimal year of ITRF (WGS84, ITRFyyyy, ATRF2014) coordinates
  // Decimal year of an ITRF target; none: the source's epoch. Between two ITRF datums at different
  // epochs a position moves with the plate: forward to GDA2020 or GDA94 at the source epoch, back
  // at the target epoch.
  std::optional<double> toEpoch;
  bool useGridShift = false;       // NTv2 grids instead of parameters where they cover the point
  bool southernHemisphere = true;  // false: grid northings with a false northing of 0
  bool useITRF2008 = false;        // WGS84 is ITRF2008 instead of ITRF2000 (the ITRF names keep theirs)
  bool useAusGeoid98 = false;      // AUSGeoid98 instead of AUSGeoid09 for GDA94 heights
  // Each point's grid convergence and scale factors (PointFactors), on the grid side of the run.
  bool gridFactors = false;
  // The formulas of every Transverse Mercator grid (UTM-type zones, ISG, ANG, NZTM, circuits).
  TmFormulas tmFormulas = TmFormulas::kRedfearn;
  // A New Zealand meridional circuit (nz_circuits.hpp) for the EN coordinates of an NZGD2000 or
  // NZGD49 side instead of NZTM or the NZ Map Grid: its origin on that side's datum. None: the
  // datum's grid. A circuit on a side of another datum, or not EN, goes unused.
  const NzCircuit* fromCircuit = nullptr;
  const NzCircuit* toCircuit = nullptr;
  // Points may come with their own zone (transformPoint with a PointZone): the projections of every
  // zone are built with the Converter.
  bool zonePerPoint = false;
  // Where grid files are looked for, in order: each a prefix of file names, a folder ending in '/'
  // or empty for the current directory. No folder at all: the file names alone (current directory).
  std::vector<std::string> gridFolders;
  // The index in gridFolders of the folder where a grid file found in none of them belongs: its path
  // is named there, so that messages tell the user where to put it. The first folder when out of
  // range.
  std::size_t homeGridFolder = 0;
  // Per GridId slot: the file name or path to use instead of the slot's names; empty: its names.
  // See GridState for how a name is found.
  std::array<std::string, kGridIdCount> gridFiles;
  // Per GridId slot: files tried after the slot's own, in order, each found as a name of gridFiles is.
  std::array<std::vector<std::string>, kGridIdCount> extraGridFiles;
};

// A point in the order the program reads and prints it. DMS and DM points are decimal degrees here:
// their texts are read and written by the caller.
struct Coordinates {
  double first = 0.0;   // easting (metres; yards on the ANG grid) for EN, else latitude (degrees)
  double second = 0.0;  // northing for EN, else longitude (degrees, east positive)
  double height = 0.0;  // metres
};

// The published parameter sets, named for the direction they are published in; a step may apply one
// in reverse.
enum class ParameterSet : std::uint8_t {
  kAgd66ToGda94,      // seven parameters
  kAgd84ToGda94,      // seven parameters
  kGda2020ToGda94,    // seven parameters
  kAngToGda94,        // change of ellipsoid only (Molodensky)
  kNzgd49ToNzgd2000,  // seven parameters
  kItrf2000ToGda94,   // fourteen parameters at the run's epoch
  kItrf2008ToGda94,   // fourteen parameters at the run's epoch
  // At the run's epoch: the Australian plate motion model, and the ITRF2014 to ITRF2020 set taken
  // backwards (its published inverse direction).
  kItrf2014ToGda2020,
  kItrf2020ToItrf2014,
  kAtrf2014ToGda2020,  // at the run's epoch: the plate motion model as published for ATRF2014
  // At the run's epoch: LINZ's sets to ITRF96, the frame of New Zealand's deformation model.
  kItrf2014ToItrf96,
  kItrf2008ToItrf96,
  kItrf2000ToItrf96,
};

enum class StepKind : std::uint8_t {
  kGridShift,         // an NTv2 grid: grid and subGrid say which
  kParameters,        // a parameter set: parameters says which
  kApproximateShift,  // the fixed AGD shift of 5.2" and 4.7" outside the supported area
  // New Zealand's deformation model at the epoch: forward NZGD2000 to ITRF96, reverse back.
  kDeformation,
};

// Why the deformation model did not serve a point that needed it.
enum class DeformationMiss : std::uint8_t {
  kNone,
  kNotOpen,            // no model file open
  kOutsideExtent,      // the point lies outside the model's extent
  kOutsideTimeExtent,  // the epoch lies outside the model's time extent
  kOutsideGrid,        // no grid of a component holds the point, or holds no value there
  kNotConverged,       // the inverse did not converge
};

// One operation of a datum change.
struct DatumStep {
  StepKind kind = StepKind::kParameters;
  bool reverse = false;              // grid shift subtracted, or parameter set applied backwards
  GridId grid = GridId::kAgd66;      // kGridShift only
  const SubGrid* subGrid = nullptr;  // kGridShift only: the sub-grid read, owned by the Converter
  ParameterSet parameters = ParameterSet::kAgd66ToGda94;  // kParameters only
  bool inMargin = false;  // kGridShift only: the point lay in the band of one spacing outside the
                          // sub-grid's edge, where the shift fades to zero
  std::uint8_t file = 0;  // kGridShift and kDeformation: which file of the slot served, 0 its own
  // kGridShift only: the horizontal accuracy of the shift at the point, metres, from the sub-grid's
  // latitude and longitude accuracies (arc-seconds) turned into north and east metres by the radii
  // of curvature and combined as a root sum of squares; NaN when the sub-grid holds no accuracies
  // (none at all, both 0, or a negative latitude accuracy: unknown).
  double accuracyMetres = std::numeric_limits<double>::quiet_NaN();
};

// How the datum of a point was settled.
enum class DatumOutcome : std::uint8_t {
  kUnchanged,         // the datums hold the same positions (equal, or AGD66 and ISG): nothing to do
  kTransformed,       // the steps changed the datum
  kApproximate,       // outside the supported area: the fixed approximate AGD shift, one step
  kOutsideArea,       // outside the supported area, where the pair has no approximate shift: unchanged
  kNoTransformation,  // the pair has no transformation: unchanged
};

// What changed the datum of a point: the steps in order (none unless transformed or approximate).
struct DatumReport {
  std::array<DatumStep, 6> steps{};  // ITRF2020 to ITRF2020 at another epoch in New Zealand takes six
  std::uint8_t stepCount = 0;
  DatumOutcome outcome = DatumOutcome::kUnchanged;
  Datum fromDatum = Datum::kWgs84;  // the datums the point was taken between: the run's, or the
  Datum toDatum = Datum::kWgs84;    // New Zealand ones under the New Zealand rule
  // The point lay in the New Zealand area, and its AGD or ISG datum was taken as NZGD49, its GDA94,
  // WGS84 or ITRF datum as NZGD2000.
  bool newZealandRule = false;
  // Grids were asked for and the pair has a grid, but no grid (or not every grid of the pair) held
  // the point, or the file was not open: the steps are those that served instead.
  bool gridMissed = false;
  GridId missedGrid = GridId::kAgd66;  // the grid that did not hold the point, when gridMissed
  // When missedGrid is kNzDeformation: why the model did not serve (the New Zealand rule did).
  DeformationMiss deformationMiss = DeformationMiss::kNone;
};

enum class GeoidStatus : std::uint8_t {
  kNotUsed,      // no height conversion, or none that needs a geoid
  kApplied,      // separation holds N
  kFileMissing,  // no file of the geoid's slot could be opened: no separation
  kOutside,      // no sub-grid of the geoid holds the point: no separation
  kNoData,       // the geoid holds no value there (-999): no separation
};

// One height surface read at a point: a geoid or quasigeoid (N or zeta, ellipsoidal height minus
// the datum's height) or the offset of a local vertical datum from NZVD2016 (local minus NZVD2016).
struct HeightLookup {
  GeoidStatus geoidStatus = GeoidStatus::kNotUsed;
  GridId geoid = GridId::kAusGeoid2020;  // the surface's slot, unless kNotUsed
  std::uint8_t file = 0;                 // which file of the slot served, 0 its own
  const SubGrid* subGrid = nullptr;      // the sub-grid read, when one holds the point
  bool inMargin = false;                 // the point lay in the fading band outside the sub-grid
  double separation = 0.0;               // the surface's value in metres, when applied
  // The surface's uncertainty at the point (metres), from the slot's uncertainty grid when that
  // is open and holds the point (AUSGeoid2020 and AGQG only).
  std::optional<double> uncertainty;
};

// The surfaces a height went through: this one first, then second for a height that takes two (a
// local datum and NZGeoid2016, two local datums, AHD and AVWS). Each surface that is not applied
// adds nothing, the others still do.
struct HeightReport : HeightLookup {
  HeightLookup second;
};

// The zones of grid coordinates, and whether a point lay more than a degree outside its zone, where
// the projection series lose their millimetre (Transverse Mercator zones are 3 degrees either side
// of the central meridian, ISG sub-zones 1 degree).
struct ZoneReport {
  int target = 0;              // zone of grid output (for an ISG target, the UTM zone of its sub-zone)
  bool sourceOutside = false;  // grid input lay more than a degree outside its zone
  bool targetOutside = false;  // grid output lies more than a degree outside its zone
};

// With ConversionSettings::gridFactors, the factors of the run's grid side: the target when its
// coordinates are EN (in the point's own zone with autoToZone), else the source when its are; none
// when neither is. The combined scale factor reduces an ellipsoidal distance at height h to the
// grid: scale * R / (R + h), R the Gaussian mean radius of the grid's ellipsoid at the point. It
// needs the point's ellipsoidal height on that side: the grid side's height type is Ellipsoid, and
// a converted height went through every surface it needed; else it is NaN.
struct PointFactors {
  bool known = false;  // a grid side exists and gridFactors is set
  GridFactors grid;    // convergence (degrees, GeographicLib's sign) and point scale factor
  double combinedScale = 0.0;
};

// The zone of a point's grid coordinates, when a point has its own: a UTM zone 1..60 and, on the ISG
// grid, zone 54..56 with sub-zone 1..3 (0: the settings' sub-zone).
struct PointZone {
  int zone = 0;
  int isgSubZone = 0;
};

struct ConversionResult {
  Coordinates coordinates;  // on the target datum: grid coordinates for EN, else decimal degrees
  DatumReport datum;
  HeightReport height;
  ZoneReport zone;
  PointFactors factors;
};

// A grid file the Converter tried to open, and how that went. The file name is gridFiles[slot], or
// else each of the slot's names in turn (gridFileNames), or an entry of extraGridFiles[slot]. An
// absolute name, or one starting "./" or "../", is opened as it is. Otherwise the folders of
// gridFolders are searched in order, and in each folder the names in order: the first folder +
// name that exists (a file of any kind) serves it: the file is opened there, and if it is refused
// nothing later is tried, so a broken file never hides behind a good one silently. When no folder
// holds it, path is gridFolders[homeGridFolder] + the first name and the grid is missing.
//
// A grid is needed when the run's own datums call for it: a needed grid that is not open is a fault
// of the run (--strict stops on it). A grid is optional when only the New Zealand rule may use it:
// with --useGridShift, AGD and ISG points in the New Zealand area become NZGD49 and GDA94 or WGS84
// points NZGD2000, so an AGD66 to GDA94 run uses the New Zealand grid there if the file is at hand;
// an Australian user who has no such file converts those points by the seven parameters, as before,
// and the run is not at fault. The uncertainty grids are optional too. The deformation model is
// needed when the run names NZGD2000 or NZGD49 beside an ITRF datum, optional when only the New
// Zealand rule leads there; a New Zealand point it does not serve, open or not, reports the miss
// (gridMissed). At most one of needed and optional is set. The extra files of a slot share its
// needed and optional.
struct GridState {
  std::string path;                // the path opened or tried
  bool searched = false;           // the name was looked for in gridFolders (no path of its own)
  bool needed = false;             // the run's settings may use it, and want it open
  bool optional = false;           // the run uses it where it is open; missing or refused is no fault
  const GridFile* grid = nullptr;  // open, or nullptr when neither needed nor optional, missing or refused
  const DeformationModel* model = nullptr;  // the same for the deformation model's slot
  GridError error = kGridOk;                // why a needed or optional grid is not open (grid_error.hpp)
};

// Whether the file of a GridState is open: a grid, or a deformation model.
inline bool isOpen(const GridState& state) {
  return state.grid != nullptr || state.model != nullptr;
}

class Converter {
 public:
  // Resolves projections and datum path and opens the grids the settings may need. Never throws for
  // a missing or invalid grid; throws only what allocation throws.
  explicit Converter(const ConversionSettings& settings);
  ~Converter();
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  Converter(Converter&&) noexcept;
  Converter& operator=(Converter&&) noexcept;

  // One point from the source to the target side. Never fails: a pair without a transformation
  // passes unchanged, NaN in gives NaN out. The height changes only when both height types are set.
  // A Converter that was moved from may only be assigned to or destroyed.
  ConversionResult transformPoint(const Coordinates& point) const noexcept;
  // The same for a point whose source position is at its own epoch (decimal year) rather than the
  // settings' epoch; the target epoch is settings().toEpoch, or else this one.
  ConversionResult transformPoint(const Coordinates& point, double epoch) const noexcept;
  // The same with the point's target epoch too (decimal years both), whatever the settings say.
  ConversionResult transformPoint(const Coordinates& point, double epoch, double toEpoch) const noexcept;
  // The same for a point in its own zone (with settings().zonePerPoint): the zone of an EN source,
  // and of EN output unless settings().toZone or autoToZone says otherwise; at epoch, or the
  // settings' when none. A zone outside the ranges above, or for a grid without zones, is ignored.
  ConversionResult transformPoint(const Coordinates& point, const PointZone& zone,
                                  std::optional<double> epoch = std::nullopt) const noexcept;

  const ConversionSettings& settings() const noexcept;
  // The slot's own file.
  const GridState& gridState(GridId id) const noexcept;
  // Every file of the slot: its own first, then the extra files in order (file 1, 2, ...).
  std::span<const GridState> gridStates(GridId id) const noexcept;

 private:
  struct Impl;
  std::unique_ptr<const Impl> impl_;
};

}  // namespace velmora
