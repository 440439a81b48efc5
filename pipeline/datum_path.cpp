// The datum dispatcher. Five stages, the first that settles the point ends the call:
//   1. the national NTv2 grids (only when asked for), between the AGD family, GDA94 and GDA2020;
//   2. points in the New Zealand area are moved onto the New Zealand datums;
//   3. equal datums pass unchanged;
//   4. outside the area the transformations are made for, at most a fixed approximate shift;
//   5. the chain of parameter transformations, always through GDA94 (or directly among GDA2020,
//      ITRF2014 and ITRF2020), or directly between the two New Zealand datums: by the New Zealand
//      grid when asked for and it covers the point, else by the seven parameters.
// WGS84 (code 8, also every unknown datum name) is taken as an ITRF2000 or ITRF2008 position at
// the run's epoch; the ITRF datums are positions at that epoch in their own realisation, and
// every rule for WGS84 holds for them. ITRF2000 and ITRF2008 reach GDA94 by their own
// fourteen-parameter sets, ITRF2014 through GDA2020 by the plate motion model, ITRF2020 through
// ITRF2014. ISG is AGD66 on another map grid: every rule for AGD66 holds for it.
#include "pipeline/datum_path.hpp"

#include "pipeline/grid_shift.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"

namespace velmora {
namespace {

// ANG <-> GDA94 in both directions. No national parameter set between ANG and GDA94 exists:
// pre-1966 ANG coordinates are not homogeneous. The record therefore holds no translation,
// rotation or scale, so that Molodensky's formulas carry out the change of ellipsoid (Clarke 1858
// to GRS80) alone. ANG datum changes are approximate.
constexpr HelmertParams kAngToGda94Params{};

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

bool isAgdFamily(Datum datum) {
  return datum == Datum::kAgd66 || datum == Datum::kAgd84 || datum == Datum::kIsg;
}

// WGS84 and the ITRF datums: positions at the run's epoch.
bool isItrfDatum(Datum datum) {
  return datum == Datum::kWgs84 || datum == Datum::kItrf2000 || datum == Datum::kItrf2008 ||
         datum == Datum::kItrf2014 || datum == Datum::kItrf2020;
}

// The ITRF datums that reach GDA2020 by the plate motion model (ITRF2020 through ITRF2014) rather
// than GDA94 by a fourteen-parameter set.
bool joinsThroughGda2020(Datum datum) {
  return datum == Datum::kItrf2014 || datum == Datum::kItrf2020;
}

bool isGda94Group(Datum datum) {
  return datum == Datum::kGda94 || isItrfDatum(datum);
}

// AGD66 and ISG share their latitudes and longitudes.
bool isAgd66Positions(Datum datum) {
  return datum == Datum::kAgd66 || datum == Datum::kIsg;
}

// Datums that reach GDA94 by parameters.
bool joinsGda94Chain(Datum datum) {
  return isAgdFamily(datum) || datum == Datum::kGda94 || datum == Datum::kGda2020 || datum == Datum::kAng ||
         isItrfDatum(datum);
}

bool isNewZealandDatum(Datum datum) {
  return datum == Datum::kNzgd49 || datum == Datum::kNzgd2000;
}

Datum newZealandDatum(Datum datum) {
  if (isAgdFamily(datum)) return Datum::kNzgd49;
  if (isGda94Group(datum)) return Datum::kNzgd2000;
  return datum;
}

// The AGD grid of a pair with one AGD-family datum: AGD84's own, else AGD66's (ISG included).
bool usesAgd84Grid(Datum from, Datum to) {
  return from == Datum::kAgd84 || to == Datum::kAgd84;
}

ParameterSet itrfSet(ItrfRealisation realisation) {
  return realisation == ItrfRealisation::kItrf2008 ? ParameterSet::kItrf2008ToGda94
                                                   : ParameterSet::kItrf2000ToGda94;
}

// The realisation of a datum that reaches GDA94 by a fourteen-parameter set: the name's own, or
// for WGS84 the run's (wgs84).
ItrfRealisation realisationOf(Datum datum, ItrfRealisation wgs84) {
  if (datum == Datum::kItrf2000) return ItrfRealisation::kItrf2000;
  if (datum == Datum::kItrf2008) return ItrfRealisation::kItrf2008;
  return wgs84;
}

// WGS84 and the ITRF name of the run's realisation hold the same positions.
bool sameItrfPositions(Datum from, Datum to, ItrfRealisation wgs84) {
  const auto bySet = [](Datum d) {
    return d == Datum::kWgs84 || d == Datum::kItrf2000 || d == Datum::kItrf2008;
  };
  return bySet(from) && bySet(to) && realisationOf(from, wgs84) == realisationOf(to, wgs84);
}

// The published set that joins a datum of the GDA94 chain to GDA94 in one step.
ParameterSet setIntoGda94(Datum datum, ItrfRealisation realisation) {
  switch (datum) {
    case Datum::kAgd84:
      return ParameterSet::kAgd84ToGda94;
    case Datum::kGda2020:
      return ParameterSet::kGda2020ToGda94;
    case Datum::kAng:
      return ParameterSet::kAngToGda94;
    case Datum::kWgs84:
    case Datum::kItrf2000:
    case Datum::kItrf2008:
      return itrfSet(realisationOf(datum, realisation));
    default:  // AGD66, ISG
      return ParameterSet::kAgd66ToGda94;
  }
}

void addStep(DatumReport& report, const DatumStep& step) {
  if (report.stepCount < report.steps.size()) report.steps[report.stepCount++] = step;
}

DatumStep gridStep(GridId grid, const GridLeg& leg, bool reverse) {
  return DatumStep{StepKind::kGridShift,        reverse,     grid, leg.subGrid,
                   ParameterSet::kAgd66ToGda94, leg.inMargin};
}

DatumStep parameterStep(ParameterSet set, bool reverse) {
  return DatumStep{StepKind::kParameters, reverse, GridId::kAgd66, nullptr, set};
}

// Stage 4, for a point outside the supported area.
LatLon approximateShift(LatLon point, Datum fromDatum, Datum toDatum, DatumReport& report) {
  if (isAgdFamily(fromDatum) && isGda94Group(toDatum)) {
    addStep(report, DatumStep{StepKind::kApproximateShift, false});
    report.outcome = DatumOutcome::kApproximate;
    return {point.latitude + kApproxLatitudeShiftDeg, point.longitude + kApproxLongitudeShiftDeg};
  }
  if (isGda94Group(fromDatum) && isAgdFamily(toDatum)) {
    addStep(report, DatumStep{StepKind::kApproximateShift, true});
    report.outcome = DatumOutcome::kApproximate;
    return {point.latitude - kApproxLatitudeShiftDeg, point.longitude - kApproxLongitudeShiftDeg};
  }
  report.outcome = DatumOutcome::kOutsideArea;
  return point;
}

}  // namespace

GridNeeds gridsNeeded(const DatumPathSettings& settings) {
  GridNeeds needs;
  if (!settings.useGridShift) return needs;
  const Datum from = settings.fromDatum;
  const Datum to = settings.toDatum;
  // The AGD grids serve between the AGD family and GDA94, GDA2020 (through GDA94) and ITRF (for
  // the GDA94 leg of the chain); the GDA2020 grid between GDA94 and GDA2020, and for the GDA2020
  // leg of an AGD pair.
  const auto agdPartner = [](Datum d) {
    return d == Datum::kGda94 || d == Datum::kGda2020 || isItrfDatum(d);
  };
  const bool agdGrid = (isAgdFamily(from) && agdPartner(to)) || (isAgdFamily(to) && agdPartner(from));
  needs.agd84 = agdGrid && usesAgd84Grid(from, to);
  needs.agd66 = agdGrid && !needs.agd84;
  needs.gda2020 =
      (from == Datum::kGda94 && to == Datum::kGda2020) || (from == Datum::kGda2020 && to == Datum::kGda94) ||
      (isAgdFamily(from) && to == Datum::kGda2020) || (from == Datum::kGda2020 && isAgdFamily(to));
  // The New Zealand grid serves the pair the New Zealand rule leaves, whatever datums it came from.
  const Datum nzFrom = newZealandDatum(from);
  const Datum nzTo = newZealandDatum(to);
  const bool nzPair = (nzFrom == Datum::kNzgd49 && nzTo == Datum::kNzgd2000) ||
                      (nzFrom == Datum::kNzgd2000 && nzTo == Datum::kNzgd49);
  const bool namesNz = isNewZealandDatum(from) || isNewZealandDatum(to);
  needs.nzgd2000 = nzPair && namesNz;
  needs.nzgd2000Optional = nzPair && !namesNz;
  return needs;
}

DatumPath::DatumPath(const DatumPathSettings& settings, const DatumGrids& grids)
    : settings_(settings),
      grids_(grids),
      realisation_(settings.useITRF2008 ? ItrfRealisation::kItrf2008 : ItrfRealisation::kItrf2000),
      nzgd2000Needed_(gridsNeeded(settings).nzgd2000) {}

namespace {

struct PathContext {
  const DatumPathSettings& settings;
  const DatumGrids& grids;
  ItrfRealisation realisation;
  bool nzgd2000Needed;
};

// One AGD grid leg between an AGD-family datum and GDA94: forward when toward GDA94.
std::optional<LatLon> agdGridLeg(LatLon point, Datum agdDatum, bool towardGda94, const PathContext& context,
                                 DatumReport& report) {
  const bool agd84 = agdDatum == Datum::kAgd84;
  const GridId grid = agd84 ? GridId::kAgd84 : GridId::kAgd66;
  const std::optional<GridLeg> leg = shiftByGrid(agd84 ? context.grids.agd84 : context.grids.agd66,
                                                 point.latitude, point.longitude, towardGda94);
  if (!leg) {
    report.missedGrid = grid;
    return std::nullopt;
  }
  addStep(report, gridStep(grid, *leg, !towardGda94));
  return leg->position;
}

// One GDA2020 grid leg: forward when toward GDA2020.
std::optional<LatLon> gda2020GridLeg(LatLon point, bool towardGda2020, const PathContext& context,
                                     DatumReport& report) {
  const std::optional<GridLeg> leg =
      shiftByGrid(context.grids.gda2020, point.latitude, point.longitude, towardGda2020);
  if (!leg) {
    report.missedGrid = GridId::kGda2020;
    return std::nullopt;
  }
  addStep(report, gridStep(GridId::kGda2020, *leg, !towardGda2020));
  return leg->position;
}

// Stage 1. The shifted point when every grid leg of the pair gave a shift; nothing (and no step
// reported) for pairs without grid legs or when one leg gave none, which the report then notes.
std::optional<LatLon> runGridLegs(LatLon point, Datum fromDatum, Datum toDatum, const PathContext& context,
                                  DatumReport& report) {
  std::optional<LatLon> shifted;
  bool hasLegs = true;
  if (isAgdFamily(fromDatum) && toDatum == Datum::kGda94) {
    shifted = agdGridLeg(point, fromDatum, true, context, report);
  } else if (fromDatum == Datum::kGda94 && isAgdFamily(toDatum)) {
    shifted = agdGridLeg(point, toDatum, false, context, report);
  } else if (fromDatum == Datum::kGda94 && toDatum == Datum::kGda2020) {
    shifted = gda2020GridLeg(point, true, context, report);
  } else if (fromDatum == Datum::kGda2020 && toDatum == Datum::kGda94) {
    shifted = gda2020GridLeg(point, false, context, report);
  } else if (isAgdFamily(fromDatum) && toDatum == Datum::kGda2020) {
    const std::optional<LatLon> onGda94 = agdGridLeg(point, fromDatum, true, context, report);
    if (onGda94) shifted = gda2020GridLeg(*onGda94, true, context, report);
  } else if (fromDatum == Datum::kGda2020 && isAgdFamily(toDatum)) {
    const std::optional<LatLon> onGda94 = gda2020GridLeg(point, false, context, report);
    if (onGda94) shifted = agdGridLeg(*onGda94, toDatum, false, context, report);
  } else {
    hasLegs = false;
  }
  if (shifted) {
    report.outcome = DatumOutcome::kTransformed;
  } else {
    report.stepCount = 0;  // a first leg that served is not reported when the second missed
    report.gridMissed = hasLegs;
  }
  return shifted;
}

// ITRF2014 or ITRF2020 onto GDA2020: ITRF2020 to ITRF2014 first, then the plate motion model.
LatLon recentItrfToGda2020(LatLon point, Datum fromDatum, double epoch, DatumReport& report) {
  if (fromDatum == Datum::kItrf2020) {
    addStep(report, parameterStep(ParameterSet::kItrf2020ToItrf2014, false));
    point = itrf2020ToItrf2014(point.latitude, point.longitude, epoch);
  }
  addStep(report, parameterStep(ParameterSet::kItrf2014ToGda2020, false));
  return itrf2014ToGda2020(point.latitude, point.longitude, epoch);
}

// GDA2020 onto ITRF2014 or ITRF2020, the steps above backwards.
LatLon gda2020ToRecentItrf(LatLon point, Datum toDatum, double epoch, DatumReport& report) {
  addStep(report, parameterStep(ParameterSet::kItrf2014ToGda2020, true));
  point = gda2020ToItrf2014(point.latitude, point.longitude, epoch);
  if (toDatum == Datum::kItrf2020) {
    addStep(report, parameterStep(ParameterSet::kItrf2020ToItrf2014, true));
    point = itrf2014ToItrf2020(point.latitude, point.longitude, epoch);
  }
  return point;
}

// First half of a chain: from the source datum onto GDA94. An AGD source bound for ITRF tries the
// national grid first when asked; the parameters then start from the same, unshifted point.
LatLon toGda94(LatLon point, Datum fromDatum, Datum toDatum, const PathContext& context,
               DatumReport& report) {
  if (fromDatum == Datum::kGda94) return point;
  if (isAgdFamily(fromDatum) && isItrfDatum(toDatum) && context.settings.useGridShift) {
    if (const std::optional<LatLon> shifted = agdGridLeg(point, fromDatum, true, context, report))
      return *shifted;
    report.gridMissed = true;
  }
  if (joinsThroughGda2020(fromDatum)) {
    point = recentItrfToGda2020(point, fromDatum, context.settings.epoch, report);
    fromDatum = Datum::kGda2020;
  }
  addStep(report, parameterStep(setIntoGda94(fromDatum, context.realisation), false));
  switch (fromDatum) {
    case Datum::kAgd84:
      return agd84ToGda94(point.latitude, point.longitude);
    case Datum::kGda2020:
      return gda2020ToGda94(point.latitude, point.longitude);
    case Datum::kAng:
      return angToGda94(point.latitude, point.longitude, kAngToGda94Params);
    case Datum::kWgs84:
    case Datum::kItrf2000:
    case Datum::kItrf2008:
      return itrfToGda94(point.latitude, point.longitude, context.settings.epoch,
                         realisationOf(fromDatum, context.realisation));
    default:  // AGD66, ISG
      return agd66ToGda94(point.latitude, point.longitude);
  }
}

// Second half of a chain: from GDA94 onto the target datum, with the same grid rule for an AGD
// target reached from ITRF.
LatLon fromGda94(LatLon point, Datum fromDatum, Datum toDatum, const PathContext& context,
                 DatumReport& report) {
  if (toDatum == Datum::kGda94) return point;
  if (isItrfDatum(fromDatum) && isAgdFamily(toDatum) && context.settings.useGridShift) {
    if (const std::optional<LatLon> shifted = agdGridLeg(point, toDatum, false, context, report))
      return *shifted;
    report.gridMissed = true;
  }
  if (joinsThroughGda2020(toDatum)) {
    addStep(report, parameterStep(ParameterSet::kGda2020ToGda94, true));
    const LatLon onGda2020 = gda94ToGda2020(point.latitude, point.longitude);
    return gda2020ToRecentItrf(onGda2020, toDatum, context.settings.epoch, report);
  }
  addStep(report, parameterStep(setIntoGda94(toDatum, context.realisation), true));
  switch (toDatum) {
    case Datum::kAgd84:
      return gda94ToAgd84(point.latitude, point.longitude);
    case Datum::kGda2020:
      return gda94ToGda2020(point.latitude, point.longitude);
    case Datum::kAng:
      return gda94ToAng(point.latitude, point.longitude, kAngToGda94Params);
    case Datum::kWgs84:
    case Datum::kItrf2000:
    case Datum::kItrf2008:
      return gda94ToItrf(point.latitude, point.longitude, context.settings.epoch,
                         realisationOf(toDatum, context.realisation));
    default:  // AGD66, ISG
      return gda94ToAgd66(point.latitude, point.longitude);
  }
}

// Stage 5. Pairs without a chain keep the point.
LatLon runParameterChain(LatLon point, Datum fromDatum, Datum toDatum, const PathContext& context,
                         DatumReport& report) {
  report.outcome = DatumOutcome::kTransformed;
  const bool newZealandPair = (fromDatum == Datum::kNzgd49 && toDatum == Datum::kNzgd2000) ||
                              (fromDatum == Datum::kNzgd2000 && toDatum == Datum::kNzgd49);
  if (newZealandPair) {
    const bool towardNzgd2000 = fromDatum == Datum::kNzgd49;
    if (context.settings.useGridShift) {
      if (const std::optional<GridLeg> leg =
              shiftByGrid(context.grids.nzgd2000, point.latitude, point.longitude, towardNzgd2000)) {
        report.gridMissed = false;  // an AGD grid that missed under the New Zealand rule no longer matters
        addStep(report, gridStep(GridId::kNzgd2000, *leg, !towardNzgd2000));
        return leg->position;
      }
      // An optional grid that is not open leaves the report as it was: the run never relied on it.
      if (context.grids.nzgd2000 != nullptr || context.nzgd2000Needed) {
        report.gridMissed = true;
        report.missedGrid = GridId::kNzgd2000;
      }
    }
    addStep(report, parameterStep(ParameterSet::kNzgd49ToNzgd2000, !towardNzgd2000));
    return fromDatum == Datum::kNzgd49 ? nzgd49ToNzgd2000(point.latitude, point.longitude)
                                       : nzgd2000ToNzgd49(point.latitude, point.longitude);
  }
  const double epoch = context.settings.epoch;
  // GDA2020, ITRF2014 and ITRF2020 are joined without GDA94.
  if (joinsThroughGda2020(fromDatum) && toDatum == Datum::kGda2020) {
    return recentItrfToGda2020(point, fromDatum, epoch, report);
  }
  if (fromDatum == Datum::kGda2020 && joinsThroughGda2020(toDatum)) {
    return gda2020ToRecentItrf(point, toDatum, epoch, report);
  }
  if (fromDatum == Datum::kItrf2020 && toDatum == Datum::kItrf2014) {
    addStep(report, parameterStep(ParameterSet::kItrf2020ToItrf2014, false));
    return itrf2020ToItrf2014(point.latitude, point.longitude, epoch);
  }
  if (fromDatum == Datum::kItrf2014 && toDatum == Datum::kItrf2020) {
    addStep(report, parameterStep(ParameterSet::kItrf2020ToItrf2014, true));
    return itrf2014ToItrf2020(point.latitude, point.longitude, epoch);
  }
  if (!joinsGda94Chain(fromDatum) || !joinsGda94Chain(toDatum)) {
    report.outcome = DatumOutcome::kNoTransformation;
    return point;
  }
  if ((isAgd66Positions(fromDatum) && isAgd66Positions(toDatum)) ||
      sameItrfPositions(fromDatum, toDatum, context.realisation)) {
    report.outcome = DatumOutcome::kUnchanged;
    return point;
  }
  return fromGda94(toGda94(point, fromDatum, toDatum, context, report), fromDatum, toDatum, context, report);
}

}  // namespace

LatLon DatumPath::transformDatum(double latitude, double longitude, DatumReport& report) const {
  const PathContext context{settings_, grids_, realisation_, nzgd2000Needed_};
  const LatLon input{latitude, longitude};
  Datum fromDatum = settings_.fromDatum;
  Datum toDatum = settings_.toDatum;

  if (settings_.useGridShift) {
    if (const std::optional<LatLon> shifted = runGridLegs(input, fromDatum, toDatum, context, report)) {
      report.fromDatum = fromDatum;
      report.toDatum = toDatum;
      return *shifted;
    }
  }

  if (latitude < kNzAreaNorthLimitDeg && longitude > kNzAreaWestLimitDeg) {
    fromDatum = newZealandDatum(fromDatum);
    toDatum = newZealandDatum(toDatum);
    report.newZealandRule = fromDatum != settings_.fromDatum || toDatum != settings_.toDatum;
  }
  report.fromDatum = fromDatum;
  report.toDatum = toDatum;

  if (fromDatum == toDatum) return input;

  const bool outsideSupportedArea = latitude > kSupportedNorthLimitDeg ||
                                    latitude < kSupportedSouthLimitDeg ||
                                    longitude < kSupportedWestLimitDeg || longitude >= kSupportedEastEndDeg;
  if (outsideSupportedArea) {
    return approximateShift(input, fromDatum, toDatum, report);
  }
  return runParameterChain(input, fromDatum, toDatum, context, report);
}

}  // namespace velmora
