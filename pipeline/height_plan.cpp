// Height changes between ellipsoidal heights and the heights of the vertical datums.
//
// Each height type other than Ellipsoid lies on a surface or a chain of surfaces whose values turn
// it into an ellipsoidal height h:
//   AHD       h = H + N, N from AUSGeoid2020 on GDA2020, AUSGeoid09 (or AUSGeoid98) on GDA94;
//   AVWS      h = H + zeta, zeta from the AGQG quasigeoid, on GDA2020 only (its reference frame);
//   NZVD2016  h = H + N, N from NZGeoid2016, on NZGD2000;
//   a New Zealand local vertical datum: H(NZVD2016) = H(local) - offset, the offset grid giving
//             local minus NZVD2016 (positive where NZGeoid2016 lies above the local datum), then
//             as NZVD2016.
// A change of height type goes from the source height down its chain to h, through the
// ellipsoidal height change of the GDA94/GDA2020 seven parameters when the datums differ, and up
// the target's chain. On one datum the surfaces both chains share are left out: a local datum
// reaches NZVD2016 or another local datum through the offsets alone, without NZGeoid2016.
//
// Every surface is a grid read like a geoid: the value in the latitude-shift field, bilinear, -999
// where it holds no data. The Australian surfaces are read at the point's GDA2020 position, whichever
// datums the run converts between (the 1.8 m between GDA94 and GDA2020 positions changes neither the
// surfaces nor the height change measurably); the New Zealand ones at its NZGD2000 position.
#include "pipeline/height_plan.hpp"

#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

bool isGdaDatum(Datum datum) {
  return datum == Datum::kGda94 || datum == Datum::kGda2020;
}

bool isNewZealandHeight(HeightType type) {
  return type == HeightType::kNzvd2016 || isLocalHeightType(type);
}

bool isOldHeight(HeightType type) {
  return type == HeightType::kEllipsoid || type == HeightType::kAhd;
}

GridId gda94Geoid(bool useAusGeoid98) {
  return useAusGeoid98 ? GridId::kAusGeoid98 : GridId::kAusGeoid09;
}

// A chain of surfaces from a height down to the ellipsoid, in order.
struct Chain {
  std::array<GridId, 2> grids{};
  std::array<bool, 2> subtract{};  // the value is subtracted on the way down
  std::size_t count = 0;
  void add(GridId grid, bool minus) {
    grids[count] = grid;
    subtract[count++] = minus;
  }
};

Chain chainOf(Datum datum, HeightType type, bool useAusGeoid98) {
  Chain chain;
  if (type == HeightType::kAhd) {
    chain.add(datum == Datum::kGda2020 ? GridId::kAusGeoid2020 : gda94Geoid(useAusGeoid98), false);
  } else if (type == HeightType::kAvws) {
    chain.add(GridId::kAgqg, false);
  } else if (const std::optional<GridId> local = localDatumGrid(type)) {
    chain.add(*local, true);
    chain.add(GridId::kNzGeoid2016, false);
  } else if (type == HeightType::kNzvd2016) {
    chain.add(GridId::kNzGeoid2016, false);
  }
  return chain;
}

// The datums on which a height type is defined.
bool definedOn(HeightType type, Datum datum) {
  switch (type) {
    case HeightType::kNone:
      return false;
    case HeightType::kEllipsoid:
      return true;
    case HeightType::kAhd:
      return isGdaDatum(datum);
    case HeightType::kAvws:
      return datum == Datum::kGda2020;
    default:
      return datum == Datum::kNzgd2000;
  }
}

}  // namespace

bool heightsConvert(Datum fromDatum, HeightType fromType, Datum toDatum, HeightType toType) {
  if (fromType == HeightType::kNone || toType == HeightType::kNone) return false;
  if (isOldHeight(fromType) && isOldHeight(toType)) return isGdaDatum(fromDatum) && isGdaDatum(toDatum);
  if (!definedOn(fromType, fromDatum) || !definedOn(toType, toDatum)) return false;
  // New Zealand heights convert among themselves on NZGD2000, the Australian ones between GDA94
  // and GDA2020.
  if (isNewZealandHeight(fromType) || isNewZealandHeight(toType))
    return fromDatum == Datum::kNzgd2000 && toDatum == Datum::kNzgd2000;
  return isGdaDatum(fromDatum) && isGdaDatum(toDatum);
}

std::optional<GridId> uncertaintyGrid(GridId surface) {
  if (surface == GridId::kAusGeoid2020) return GridId::kAusGeoid2020Error;
  if (surface == GridId::kAgqg) return GridId::kAgqgUncertainty;
  return std::nullopt;
}

HeightPlan::HeightPlan(Datum fromDatum, HeightType fromHeightType, Datum toDatum, HeightType toHeightType,
                       bool useAusGeoid98) {
  if (!heightsConvert(fromDatum, fromHeightType, toDatum, toHeightType)) return;
  if (fromDatum == toDatum && fromHeightType == toHeightType) return;
  const bool sameDatum = fromDatum == toDatum;
  // AHD to AHD across the datums has always kept the height: the two geoids model the same surface.
  if (!sameDatum && fromHeightType == HeightType::kAhd && toHeightType == HeightType::kAhd) return;

  Chain down = chainOf(fromDatum, fromHeightType, useAusGeoid98);
  Chain up = chainOf(toDatum, toHeightType, useAusGeoid98);
  if (sameDatum) {
    while (down.count > 0 && up.count > 0 && down.grids[down.count - 1] == up.grids[up.count - 1] &&
           down.subtract[down.count - 1] == up.subtract[up.count - 1]) {
      --down.count;
      --up.count;
    }
  }
  planned_ = true;
  onNzgd2000_ = fromDatum == Datum::kNzgd2000;
  helmert_ = !sameDatum;
  fromGda2020_ = fromDatum == Datum::kGda2020;
  const auto add = [this](GridId grid, bool subtract, bool afterHelmert) {
    steps_[surfaceCount_] = Surface{grid, subtract, afterHelmert};
    surfaceGrids_[surfaceCount_++] = grid;
  };
  for (std::size_t k = 0; k < down.count; ++k) add(down.grids[k], down.subtract[k], false);
  // Up the target's chain from the ellipsoid: its surfaces in reverse, each sign turned round.
  for (std::size_t k = up.count; k > 0; --k) add(up.grids[k - 1], !up.subtract[k - 1], true);
}

HeightCorrection HeightPlan::heightCorrection(LatLon position, const Grids& grids) const {
  HeightCorrection result;
  const double latitude = position.latitude;
  const double longitude = position.longitude;
  const auto readSurface = [&](std::size_t k, HeightLookup& report) {
    const Surface& surface = steps_[k];
    report.geoid = surface.grid;
    if (!anyOpen(grids.surfaces[k])) {
      report.geoidStatus = GeoidStatus::kFileMissing;
      return;
    }
    const ListMatch found = findInList(grids.surfaces[k], latitude, longitude);
    if (found.grid == nullptr) {
      report.geoidStatus = GeoidStatus::kOutside;
      return;
    }
    const GridValue value = interpolateGridValue(*found.grid, found.match, latitude);
    report.file = found.file;
    report.subGrid = value.match.subGrid;
    report.inMargin = value.match.locationClass == kClassMargin;
    if (value.status != GridValueStatus::kFound) {
      report.geoidStatus =
          value.status == GridValueStatus::kNoData ? GeoidStatus::kNoData : GeoidStatus::kOutside;
      return;
    }
    report.geoidStatus = GeoidStatus::kApplied;
    report.separation = value.value;
    result.metres += surface.subtract ? -value.value : value.value;
    // An uncertainty is read only where a sub-grid holds the point: faded towards zero in the
    // margin band it would claim the geoid better known there than anywhere.
    const ListMatch error = findInList(grids.uncertainties[k], latitude, longitude);
    if (error.grid != nullptr && error.match.locationClass != kClassMargin) {
      const GridValue sigma = interpolateGridValue(*error.grid, error.match, latitude);
      if (sigma.status == GridValueStatus::kFound) report.uncertainty = sigma.value;
    }
  };
  const auto heightChange = [&](double height) {
    return fromGda2020_ ? gda2020ToGda94(latitude, longitude, height).height
                        : gda94ToGda2020(latitude, longitude, height).height;
  };

  bool helmertDone = !helmert_;
  for (std::size_t k = 0; k < surfaceCount_; ++k) {
    if (!helmertDone && steps_[k].afterHelmert) {
      result.metres = heightChange(result.metres);
      helmertDone = true;
    }
    readSurface(k, k == 0 ? static_cast<HeightLookup&>(result.report) : result.report.second);
  }
  if (!helmertDone) result.metres = heightChange(result.metres);
  return result;
}

}  // namespace velmora
