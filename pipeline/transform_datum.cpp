// The datum dispatcher. Five stages, the first that settles the point ends the call:
//   1. the national NTv2 grids (only when asked for), between the AGD family, GDA94 and GDA2020;
//   2. points in the New Zealand area are moved onto the New Zealand datums;
//   3. equal datums pass unchanged;
//   4. outside the area the transformations are made for, at most a fixed approximate shift;
//   5. the chain of parameter transformations, always through GDA94 (or directly between the
//      two New Zealand datums).
// WGS84 (code 8, also every unknown datum name) is taken as an ITRF2000 or ITRF2008 position at
// the run's epoch. ISG is AGD66 on another map grid: every rule for AGD66 holds for it.
#include "pipeline/transform_datum.hpp"

#include "velmora/geodesy/ang_parameters.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"
#include "pipeline/grid_shift.hpp"

namespace velmora {
namespace {

// New Zealand area: latitude strictly south of 30 S and longitude strictly east of 160 E.
constexpr double kNzAreaNorthLimitDeg = -30.0;
constexpr double kNzAreaWestLimitDeg = 160.0;

// Supported area: -90 <= latitude <= 0 and 0 <= longitude < 180, degrees.
constexpr double kSupportedSouthLimitDeg = -90.0;
constexpr double kSupportedNorthLimitDeg = 0.0;
constexpr double kSupportedWestLimitDeg = 0.0;
constexpr double kSupportedEastEndDeg = 180.0;  // exclusive

// Approximate AGD to GDA94 shift applied outside the supported area.
constexpr double kApproxLatitudeShiftDeg = 0.0014444444444444446;   // 5.2 arc-seconds
constexpr double kApproxLongitudeShiftDeg = 0.0013055555555555557;  // 4.7 arc-seconds

bool isAgdFamily(DatumCode datum) { return datum == kAgd66 || datum == kAgd84 || datum == kIsg; }

bool isGda94Group(DatumCode datum) { return datum == kGda94 || datum == kWgs84; }

// AGD66 and ISG share their latitudes and longitudes.
bool isAgd66Positions(DatumCode datum) { return datum == kAgd66 || datum == kIsg; }

// Datums that reach GDA94 by parameters.
bool joinsGda94Chain(DatumCode datum) {
  return isAgdFamily(datum) || datum == kGda94 || datum == kGda2020 || datum == kAng || datum == kWgs84;
}

DatumCode newZealandDatum(DatumCode datum) {
  if (isAgdFamily(datum)) return kNzgd49;
  if (isGda94Group(datum)) return kNzgd2000;
  return datum;
}

// Stage 1. True with the shifted point when every grid leg of the pair gave a shift; false (out
// untouched) for pairs without grid legs or when one leg gave none.
bool runGridLegs(double latitude, double longitude, DatumCode fromDatum, DatumCode toDatum,
                 std::string_view programFolder, LatLon& out) {
  LatLon shifted;
  if (isAgdFamily(fromDatum) && toDatum == kGda94) {
    if (!applyAgdGridShift(latitude, longitude, fromDatum, kGda94, programFolder, shifted)) return false;
  } else if (fromDatum == kGda94 && isAgdFamily(toDatum)) {
    if (!applyAgdGridShift(latitude, longitude, kGda94, toDatum, programFolder, shifted)) return false;
  } else if (fromDatum == kGda94 && toDatum == kGda2020) {
    if (!applyGda2020GridShift(latitude, longitude, kGda2020, programFolder, shifted)) return false;
  } else if (fromDatum == kGda2020 && toDatum == kGda94) {
    if (!applyGda2020GridShift(latitude, longitude, kGda94, programFolder, shifted)) return false;
  } else if (isAgdFamily(fromDatum) && toDatum == kGda2020) {
    LatLon onGda94;
    if (!applyAgdGridShift(latitude, longitude, fromDatum, kGda94, programFolder, onGda94)) return false;
    if (!applyGda2020GridShift(onGda94.latitude, onGda94.longitude, kGda2020, programFolder, shifted)) {
      return false;
    }
  } else if (fromDatum == kGda2020 && isAgdFamily(toDatum)) {
    LatLon onGda94;
    if (!applyGda2020GridShift(latitude, longitude, kGda94, programFolder, onGda94)) return false;
    if (!applyAgdGridShift(onGda94.latitude, onGda94.longitude, kGda94, toDatum, programFolder, shifted)) {
      return false;
    }
  } else {
    return false;
  }
  out = shifted;
  return true;
}

// Stage 4, for a point outside the supported area.
LatLon approximateShift(LatLon point, DatumCode fromDatum, DatumCode toDatum) {
  if (isAgdFamily(fromDatum) && isGda94Group(toDatum)) {
    return {point.latitude + kApproxLatitudeShiftDeg, point.longitude + kApproxLongitudeShiftDeg};
  }
  if (isGda94Group(fromDatum) && isAgdFamily(toDatum)) {
    return {point.latitude - kApproxLatitudeShiftDeg, point.longitude - kApproxLongitudeShiftDeg};
  }
  return point;
}

struct ChainSettings {
  double epoch;  // decimal year of ITRF positions
  ItrfRealisation realisation;
  bool useGridShift;
  std::string_view programFolder;
};

// First half of a chain: from the source datum onto GDA94. An AGD source bound for ITRF tries the
// national grid first when asked; the parameters then start from the same, unshifted point.
LatLon toGda94(LatLon point, DatumCode fromDatum, DatumCode toDatum, const ChainSettings& settings) {
  if (isAgdFamily(fromDatum) && toDatum == kWgs84 && settings.useGridShift) {
    const DatumCode gridSource = fromDatum == kAgd84 ? kAgd84 : kAgd66;
    LatLon shifted;
    if (applyAgdGridShift(point.latitude, point.longitude, gridSource, kGda94, settings.programFolder, shifted)) {
      return shifted;
    }
  }
  switch (fromDatum) {
    case kAgd66:
    case kIsg:
      return agd66ToGda94(point.latitude, point.longitude);
    case kAgd84:
      return agd84ToGda94(point.latitude, point.longitude);
    case kGda2020:
      return gda2020ToGda94(point.latitude, point.longitude, 0.0);
    case kAng:
      return angToGda94(point.latitude, point.longitude, kAngToGda94Params);
    case kWgs84:
      return itrfToGda94(point.latitude, point.longitude, settings.epoch, settings.realisation);
    default:  // GDA94
      return point;
  }
}

// Second half of a chain: from GDA94 onto the target datum, with the same grid rule for an AGD
// target reached from ITRF.
LatLon fromGda94(LatLon point, DatumCode fromDatum, DatumCode toDatum, const ChainSettings& settings) {
  if (fromDatum == kWgs84 && isAgdFamily(toDatum) && settings.useGridShift) {
    const DatumCode gridTarget = toDatum == kAgd84 ? kAgd84 : kAgd66;
    LatLon shifted;
    if (applyAgdGridShift(point.latitude, point.longitude, kGda94, gridTarget, settings.programFolder, shifted)) {
      return shifted;
    }
  }
  switch (toDatum) {
    case kAgd66:
    case kIsg:
      return gda94ToAgd66(point.latitude, point.longitude);
    case kAgd84:
      return gda94ToAgd84(point.latitude, point.longitude);
    case kGda2020:
      return gda94ToGda2020(point.latitude, point.longitude, 0.0);
    case kAng:
      return gda94ToAng(point.latitude, point.longitude, kAngToGda94Params);
    case kWgs84:
      return gda94ToItrf(point.latitude, point.longitude, settings.epoch, settings.realisation);
    default:  // GDA94
      return point;
  }
}

// Stage 5. Pairs without a chain keep the point.
LatLon runParameterChain(LatLon point, DatumCode fromDatum, DatumCode toDatum, const ChainSettings& settings) {
  if (fromDatum == kNzgd49 && toDatum == kNzgd2000) return nzgd49ToNzgd2000(point.latitude, point.longitude);
  if (fromDatum == kNzgd2000 && toDatum == kNzgd49) return nzgd2000ToNzgd49(point.latitude, point.longitude);
  if (fromDatum == kGda2020 && toDatum == kWgs84) {
    return gda2020ToItrf(point.latitude, point.longitude, settings.epoch, settings.realisation);
  }
  if (fromDatum == kWgs84 && toDatum == kGda2020) {
    return itrfToGda2020(point.latitude, point.longitude, settings.epoch, settings.realisation);
  }
  if (!joinsGda94Chain(fromDatum) || !joinsGda94Chain(toDatum)) return point;
  if (isAgd66Positions(fromDatum) && isAgd66Positions(toDatum)) return point;
  return fromGda94(toGda94(point, fromDatum, toDatum, settings), fromDatum, toDatum, settings);
}

}  // namespace

LatLon transformDatum(double latitude, double longitude, DatumCode fromDatum, DatumCode toDatum, double epoch,
                      bool useGridShift, bool useITRF2008, std::string_view programFolder) {
  const LatLon input{latitude, longitude};

  if (useGridShift) {
    LatLon shifted;
    if (runGridLegs(latitude, longitude, fromDatum, toDatum, programFolder, shifted)) return shifted;
  }

  if (latitude < kNzAreaNorthLimitDeg && longitude > kNzAreaWestLimitDeg) {
    fromDatum = newZealandDatum(fromDatum);
    toDatum = newZealandDatum(toDatum);
  }

  if (fromDatum == toDatum) return input;

  const bool outsideSupportedArea = latitude > kSupportedNorthLimitDeg || latitude < kSupportedSouthLimitDeg ||
                                    longitude < kSupportedWestLimitDeg || longitude >= kSupportedEastEndDeg;
  if (outsideSupportedArea) return approximateShift(input, fromDatum, toDatum);

  const ItrfRealisation realisation = useITRF2008 ? ItrfRealisation::kItrf2008 : ItrfRealisation::kItrf2000;
  const ChainSettings settings{epoch, realisation, useGridShift, programFolder};
  return runParameterChain(input, fromDatum, toDatum, settings);
}

}  // namespace velmora
