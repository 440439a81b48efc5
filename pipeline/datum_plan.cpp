// The datum rules, applied once per run. A point goes through five stages, the first that settles
// it ends the change:
//   1. the national NTv2 grids (only when asked for), between the AGD family, GDA94 and GDA2020;
//   2. points in the New Zealand area are moved onto the New Zealand datums;
//   3. equal datums pass unchanged;
//   4. outside the area the transformations are made for, at most a fixed approximate shift;
//   5. the chain of parameter transformations, always through GDA94 (or directly among GDA2020,
//      ITRF2014 and ITRF2020), or directly between the two New Zealand datums: by the New Zealand
//      grid when asked for and it covers the point, else by the seven parameters.
// Stage 1 depends on the run's datums alone, and stages 3 to 5 on the pair stage 2 leaves, which is
// one of two: so the plan holds the grid legs of stage 1 and, for each of the two pairs, a route
// with the outcome of stages 3 and 4 and the list of stage 5.
//
// WGS84 (code 8, also every unknown datum name) is taken as an ITRF2000 or ITRF2008 position at
// the run's epoch; the ITRF datums are positions at that epoch in their own realisation, and
// every rule for WGS84 holds for them. ITRF2000 and ITRF2008 reach GDA94 by their own
// fourteen-parameter sets, ITRF2014 through GDA2020 by the plate motion model, ITRF2020 through
// ITRF2014. ATRF2014 holds ITRF2014's positions (the null transformation) and reaches GDA2020 by
// its own publication of the same plate motion model. ISG is AGD66 on another map grid: every
// rule for AGD66 holds for it.
//
// With --useGridShift, a point in the New Zealand area with an ITRF datum (WGS84 and ATRF2014
// included) is taken to NZGD2000 by LINZ's way: the ITRF realisation to ITRF96 by its
// time-dependent set (EPSG:9083 for ITRF2014, 9082 ITRF2008, 9080 ITRF2000; ITRF2020 first to
// ITRF2014), then the deformation model backwards (EPSG:9102 for ITRF2014); an ITRF target the same
// way back at the target epoch. The Australian sets through GDA94 do not hold there. Where the model
// does not serve (no file, outside its extent or time extent) the New Zealand rule does, as before.
//
// A target epoch other than the source's moves a position with the plate: the source side of the
// chain is taken at the source epoch onto GDA2020 or GDA94, which are fixed to the plate, and the
// target side back at the target epoch, so that even ITRF2014 to ITRF2014 takes the chain.
#include "pipeline/datum_plan.hpp"

#include "velmora/geodesy/itrf.hpp"

namespace velmora {
namespace {

bool isAgdFamily(Datum datum) {
  return datum == Datum::kAgd66 || datum == Datum::kAgd84 || datum == Datum::kIsg;
}

// WGS84 and the ITRF datums: positions at the run's epoch.
bool isItrfDatum(Datum datum) {
  return datum == Datum::kWgs84 || datum == Datum::kItrf2000 || datum == Datum::kItrf2008 ||
         datum == Datum::kItrf2014 || datum == Datum::kItrf2020 || datum == Datum::kAtrf2014;
}

// The ITRF datums that reach GDA2020 by the plate motion model (ITRF2020 through ITRF2014) rather
// than GDA94 by a fourteen-parameter set.
bool joinsThroughGda2020(Datum datum) {
  return datum == Datum::kItrf2014 || datum == Datum::kItrf2020 || datum == Datum::kAtrf2014;
}

// ITRF2014 and ATRF2014 hold the same positions.
bool isItrf2014Positions(Datum datum) {
  return datum == Datum::kItrf2014 || datum == Datum::kAtrf2014;
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
  return (bySet(from) && bySet(to) && realisationOf(from, wgs84) == realisationOf(to, wgs84)) ||
         (isItrf2014Positions(from) && isItrf2014Positions(to));
}

// The published set that joins a datum of the GDA94 chain to GDA94 in one step; the ITRF sets
// carry their realisation.
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

DatumStep parameterStep(ParameterSet set, bool reverse) {
  return DatumStep{StepKind::kParameters, reverse, GridId::kAgd66, nullptr, set};
}

// The set from an ITRF datum's realisation to ITRF96; ITRF2020 and ATRF2014 by ITRF2014's.
ParameterSet itrf96Set(Datum datum, ItrfRealisation wgs84) {
  if (datum == Datum::kItrf2000 || (datum == Datum::kWgs84 && wgs84 == ItrfRealisation::kItrf2000))
    return ParameterSet::kItrf2000ToItrf96;
  if (datum == Datum::kItrf2008 || datum == Datum::kWgs84) return ParameterSet::kItrf2008ToItrf96;
  return ParameterSet::kItrf2014ToItrf96;
}

struct PlanContext {
  const DatumPathSettings& settings;
  const DatumGrids& grids;
  ItrfRealisation realisation;
  bool nzgd2000Needed;  // a point the New Zealand grid misses is reported even when it is not open
};

// The AGD grid leg between an AGD-family datum and GDA94: forward when toward GDA94.
PlannedGridLeg agdGridLeg(Datum agdDatum, bool towardGda94, const PlanContext& context) {
  const bool agd84 = agdDatum == Datum::kAgd84;
  return {agd84 ? GridId::kAgd84 : GridId::kAgd66, agd84 ? context.grids.agd84 : context.grids.agd66,
          !towardGda94};
}

// The GDA2020 grid leg: forward when toward GDA2020.
PlannedGridLeg gda2020GridLeg(bool towardGda2020, const PlanContext& context) {
  return {GridId::kGda2020, context.grids.gda2020, !towardGda2020};
}

void addStage(DatumRoute& route, const ChainStage& stage) {
  if (route.stageCount < route.stages.size()) route.stages[route.stageCount++] = stage;
}

void addParameters(DatumRoute& route, ParameterSet set, bool reverse) {
  addStage(route, ChainStage{parameterStep(set, reverse)});
}

// Stage 1: the grid legs of the run's pair, none for pairs without.
void planGridLegs(DatumPlan& plan, const PlanContext& context) {
  const Datum from = plan.fromDatum;
  const Datum to = plan.toDatum;
  const auto add = [&plan](const PlannedGridLeg& leg) { plan.gridLegs[plan.gridLegCount++] = leg; };
  if (isAgdFamily(from) && to == Datum::kGda94) {
    add(agdGridLeg(from, true, context));
  } else if (from == Datum::kGda94 && isAgdFamily(to)) {
    add(agdGridLeg(to, false, context));
  } else if (from == Datum::kGda94 && to == Datum::kGda2020) {
    add(gda2020GridLeg(true, context));
  } else if (from == Datum::kGda2020 && to == Datum::kGda94) {
    add(gda2020GridLeg(false, context));
  } else if (isAgdFamily(from) && to == Datum::kGda2020) {
    add(agdGridLeg(from, true, context));
    add(gda2020GridLeg(true, context));
  } else if (from == Datum::kGda2020 && isAgdFamily(to)) {
    add(gda2020GridLeg(false, context));
    add(agdGridLeg(to, false, context));
  }
}

// The plate motion model as published for the datum: ATRF2014's, else ITRF2014's.
ParameterSet plateMotionSet(Datum datum) {
  return datum == Datum::kAtrf2014 ? ParameterSet::kAtrf2014ToGda2020 : ParameterSet::kItrf2014ToGda2020;
}

// A stage of the target side of a chain, at the target's epoch.
void addTargetParameters(DatumRoute& route, ParameterSet set, bool reverse) {
  ChainStage stage{parameterStep(set, reverse)};
  stage.atTargetEpoch = true;
  addStage(route, stage);
}

// ITRF2014, ATRF2014 or ITRF2020 onto GDA2020: ITRF2020 to ITRF2014 first, then the plate motion
// model.
void addRecentItrfToGda2020(DatumRoute& route, Datum fromDatum) {
  if (fromDatum == Datum::kItrf2020) addParameters(route, ParameterSet::kItrf2020ToItrf2014, false);
  addParameters(route, plateMotionSet(fromDatum), false);
}

// GDA2020 onto ITRF2014, ATRF2014 or ITRF2020, the steps above backwards at the target's epoch.
void addGda2020ToRecentItrf(DatumRoute& route, Datum toDatum) {
  addTargetParameters(route, plateMotionSet(toDatum), true);
  if (toDatum == Datum::kItrf2020) addTargetParameters(route, ParameterSet::kItrf2020ToItrf2014, true);
}

// First half of a chain: from the source datum onto GDA94. An AGD source bound for ITRF tries the
// national grid first when asked; its parameters serve where the grid misses.
void addToGda94(DatumRoute& route, Datum fromDatum, Datum toDatum, const PlanContext& context) {
  if (fromDatum == Datum::kGda94) return;
  if (joinsThroughGda2020(fromDatum)) {
    addRecentItrfToGda2020(route, fromDatum);
    fromDatum = Datum::kGda2020;
  }
  ChainStage stage{parameterStep(setIntoGda94(fromDatum, context.realisation), false)};
  if (isAgdFamily(fromDatum) && isItrfDatum(toDatum) && context.settings.useGridShift) {
    stage.grid = agdGridLeg(fromDatum, true, context);
  }
  addStage(route, stage);
}

// Second half of a chain: from GDA94 onto the target datum, with the same grid rule for an AGD
// target reached from ITRF.
void addFromGda94(DatumRoute& route, Datum fromDatum, Datum toDatum, const PlanContext& context) {
  if (toDatum == Datum::kGda94) return;
  if (joinsThroughGda2020(toDatum)) {
    addParameters(route, ParameterSet::kGda2020ToGda94, true);
    addGda2020ToRecentItrf(route, toDatum);
    return;
  }
  ChainStage stage{parameterStep(setIntoGda94(toDatum, context.realisation), true)};
  stage.atTargetEpoch = true;
  if (isItrfDatum(fromDatum) && isAgdFamily(toDatum) && context.settings.useGridShift) {
    stage.grid = agdGridLeg(toDatum, false, context);
  }
  addStage(route, stage);
}

// NZGD49 <-> NZGD2000: the New Zealand grid where asked for and it holds the point, else the seven
// parameters.
ChainStage newZealandStage(bool towardNzgd2000, const PlanContext& context) {
  ChainStage stage{parameterStep(ParameterSet::kNzgd49ToNzgd2000, !towardNzgd2000)};
  if (context.settings.useGridShift) {
    stage.grid = PlannedGridLeg{GridId::kNzgd2000, context.grids.nzgd2000, !towardNzgd2000};
    // An AGD grid that missed under the New Zealand rule no longer matters when this one serves;
    // an optional grid that is not open leaves the report as it was.
    stage.hitClearsMiss = true;
    stage.missReported = anyOpen(context.grids.nzgd2000) || context.nzgd2000Needed;
  }
  return stage;
}

// Stage 5. Pairs without a chain keep the point.
void planChain(DatumRoute& route, const PlanContext& context) {
  const Datum fromDatum = route.fromDatum;
  const Datum toDatum = route.toDatum;
  route.outcome = DatumOutcome::kTransformed;
  const bool newZealandPair = (fromDatum == Datum::kNzgd49 && toDatum == Datum::kNzgd2000) ||
                              (fromDatum == Datum::kNzgd2000 && toDatum == Datum::kNzgd49);
  if (newZealandPair) {
    addStage(route, newZealandStage(fromDatum == Datum::kNzgd49, context));
    return;
  }
  // Two ITRF datums at different epochs: through the datums fixed to the plate.
  const bool movesInTime = context.settings.changesEpoch && isItrfDatum(fromDatum) && isItrfDatum(toDatum);
  if (movesInTime && joinsThroughGda2020(fromDatum) && joinsThroughGda2020(toDatum)) {
    addRecentItrfToGda2020(route, fromDatum);
    addGda2020ToRecentItrf(route, toDatum);
    return;
  }
  if (movesInTime) {
    addToGda94(route, fromDatum, toDatum, context);
    addFromGda94(route, fromDatum, toDatum, context);
    return;
  }
  // GDA2020, ITRF2014 (ATRF2014) and ITRF2020 are joined without GDA94.
  if (joinsThroughGda2020(fromDatum) && toDatum == Datum::kGda2020) {
    addRecentItrfToGda2020(route, fromDatum);
    return;
  }
  if (fromDatum == Datum::kGda2020 && joinsThroughGda2020(toDatum)) {
    addGda2020ToRecentItrf(route, toDatum);
    return;
  }
  if (fromDatum == Datum::kItrf2020 && isItrf2014Positions(toDatum)) {
    addParameters(route, ParameterSet::kItrf2020ToItrf2014, false);
    return;
  }
  if (isItrf2014Positions(fromDatum) && toDatum == Datum::kItrf2020) {
    addParameters(route, ParameterSet::kItrf2020ToItrf2014, true);
    return;
  }
  if (!joinsGda94Chain(fromDatum) || !joinsGda94Chain(toDatum)) {
    route.outcome = DatumOutcome::kNoTransformation;
    return;
  }
  if ((isAgd66Positions(fromDatum) && isAgd66Positions(toDatum)) ||
      sameItrfPositions(fromDatum, toDatum, context.realisation)) {
    route.outcome = DatumOutcome::kUnchanged;
    return;
  }
  addToGda94(route, fromDatum, toDatum, context);
  addFromGda94(route, fromDatum, toDatum, context);
}

// Stages 3 to 5 for the pair (fromDatum, toDatum), which stage 2 may have put for the run's.
DatumRoute planRoute(Datum fromDatum, Datum toDatum, const PlanContext& context) {
  DatumRoute route;
  route.fromDatum = fromDatum;
  route.toDatum = toDatum;
  route.newZealandRule = fromDatum != context.settings.fromDatum || toDatum != context.settings.toDatum;
  route.equalDatums = fromDatum == toDatum && !(context.settings.changesEpoch && isItrfDatum(fromDatum));
  // Stage 4: the approximate shift serves only between the AGD family and GDA94's group.
  if (isAgdFamily(fromDatum) && isGda94Group(toDatum)) {
    route.outsideArea = ApproximateShift::kAdd;
  } else if (isGda94Group(fromDatum) && isAgdFamily(toDatum)) {
    route.outsideArea = ApproximateShift::kSubtract;
  }
  planChain(route, context);
  return route;
}

// Whether New Zealand points of the run go through the deformation model: grids asked for, an ITRF
// datum on one side, a datum the New Zealand rule puts on NZGD49 or NZGD2000 on the other, and
// something to do (not the same ITRF positions at one epoch).
bool usesDeformationModel(const DatumPathSettings& settings, ItrfRealisation realisation) {
  const Datum from = settings.fromDatum;
  const Datum to = settings.toDatum;
  const auto newZealandSide = [](Datum d) { return isNewZealandDatum(newZealandDatum(d)); };
  if (!settings.useGridShift || !(isItrfDatum(from) || isItrfDatum(to))) return false;
  if (!newZealandSide(from) || !newZealandSide(to)) return false;
  const bool samePositions = from == to || sameItrfPositions(from, to, realisation);
  return !(isItrfDatum(from) && isItrfDatum(to) && samePositions && !settings.changesEpoch);
}

// The route of New Zealand points through the model: each ITRF side by its sets and the model at
// its own epoch, each other side by the New Zealand rule (NZGD49 by the New Zealand grid or the
// seven parameters).
DatumRoute planModelRoute(const PlanContext& context) {
  const Datum from = context.settings.fromDatum;
  const Datum to = context.settings.toDatum;
  DatumRoute route;
  route.fromDatum = isItrfDatum(from) ? from : newZealandDatum(from);
  route.toDatum = isItrfDatum(to) ? to : newZealandDatum(to);
  route.newZealandRule = route.fromDatum != from || route.toDatum != to;
  route.outcome = DatumOutcome::kTransformed;
  const DatumStep model{StepKind::kDeformation,      false, GridId::kNzDeformation,   nullptr,
                        ParameterSet::kAgd66ToGda94, false, context.grids.nzModelFile};
  if (isItrfDatum(from)) {
    if (from == Datum::kItrf2020) addParameters(route, ParameterSet::kItrf2020ToItrf2014, false);
    addParameters(route, itrf96Set(from, context.realisation), false);
    DatumStep back = model;
    back.reverse = true;  // ITRF96 to NZGD2000: the model's inverse
    addStage(route, ChainStage{back});
  } else if (route.fromDatum == Datum::kNzgd49) {
    addStage(route, newZealandStage(true, context));
  }
  if (isItrfDatum(to)) {
    ChainStage forward{model};
    forward.atTargetEpoch = true;
    addStage(route, forward);
    addTargetParameters(route, itrf96Set(to, context.realisation), true);
    if (to == Datum::kItrf2020) addTargetParameters(route, ParameterSet::kItrf2020ToItrf2014, true);
  } else if (route.toDatum == Datum::kNzgd49) {
    addStage(route, newZealandStage(false, context));
  }
  return route;
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
  const ItrfRealisation realisation =
      settings.useITRF2008 ? ItrfRealisation::kItrf2008 : ItrfRealisation::kItrf2000;
  const bool model = usesDeformationModel(settings, realisation);
  needs.nzModel = model && namesNz;
  needs.nzModelOptional = model && !namesNz;
  return needs;
}

DatumPlan planDatumPath(const DatumPathSettings& settings, const DatumGrids& grids) {
  const PlanContext context{settings, grids,
                            settings.useITRF2008 ? ItrfRealisation::kItrf2008 : ItrfRealisation::kItrf2000,
                            gridsNeeded(settings).nzgd2000};
  DatumPlan plan;
  plan.fromDatum = settings.fromDatum;
  plan.toDatum = settings.toDatum;
  plan.toEpoch = settings.toEpoch;
  if (settings.useGridShift) planGridLegs(plan, context);
  plan.ordinary = planRoute(settings.fromDatum, settings.toDatum, context);
  plan.newZealand =
      planRoute(newZealandDatum(settings.fromDatum), newZealandDatum(settings.toDatum), context);
  plan.usesModel = usesDeformationModel(settings, context.realisation);
  if (plan.usesModel) plan.viaModel = planModelRoute(context);
  plan.nzModel = grids.nzModel;
  return plan;
}

}  // namespace velmora
