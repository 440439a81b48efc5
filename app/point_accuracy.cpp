// The accuracies of the datum changes and height surfaces, in one table.
//
// The figures are those of the EPSG dataset (v10.076, as PROJ 9.1.1's proj.db lists them with
// `projinfo -k operation EPSG:NNNN` or `projinfo -s A -t B --summary`): the accuracy of the
// operation the program applies, or of the nearest published one where the program's step is its
// own. Independent errors add as variances, so a chain of steps combines as a root sum of squares.
#include "velmora/app/point_accuracy.hpp"

#include <cmath>

namespace velmora {
namespace {

struct ParameterSetAccuracy {
  ParameterSet set;
  double metres;
};

// ANG to GDA94 is absent: it is a change of ellipsoid only (the Clarke 1858 figures onto GRS80 with
// no shift of origin), for which EPSG publishes no operation and so no accuracy; a figure would be a
// guess, so such a point's fields stay empty.
constexpr ParameterSetAccuracy kParameterSetAccuracies[] = {
    {ParameterSet::kAgd66ToGda94, 3.0},          // EPSG:15979 AGD66 to GDA94 (12), national 7 parameters
    {ParameterSet::kAgd84ToGda94, 1.0},          // EPSG:1280 AGD84 to GDA94 (2)
    {ParameterSet::kGda2020ToGda94, 0.01},       // EPSG:8048 GDA94 to GDA2020 (1)
    {ParameterSet::kNzgd49ToNzgd2000, 4.0},      // EPSG:1701 NZGD49 to NZGD2000 (2)
    {ParameterSet::kItrf2000ToGda94, 0.1},       // EPSG:6315 ITRF2000 to GDA94 (1), the set applied
    {ParameterSet::kItrf2008ToGda94, 0.03},      // EPSG:6276 ITRF2008 to GDA94 (1)
    {ParameterSet::kItrf2014ToGda2020, 0.03},    // EPSG:8049 ITRF2014 to GDA2020 (1)
    {ParameterSet::kItrf2020ToItrf2014, 0.001},  // EPSG:9991 ITRF2014 to ITRF2020 (1)
    {ParameterSet::kAtrf2014ToGda2020, 0.03},    // EPSG:9459 ATRF2014 to GDA2020 (1)
    {ParameterSet::kItrf2014ToItrf96, 0.01},     // EPSG:9083 ITRF2014 to ITRF96 (2)
    {ParameterSet::kItrf2008ToItrf96, 0.01},     // EPSG:9082 ITRF2008 to ITRF96 (2)
    {ParameterSet::kItrf2000ToItrf96, 0.01},     // EPSG:9080 ITRF2000 to ITRF96 (2)
};

struct GridAccuracy {
  GridId grid;
  double metres;
};

constexpr GridAccuracy kGridAccuracies[] = {
    {GridId::kAgd66, 0.5},     // EPSG:1803 AGD66 to GDA94 (11), the national NTv2 grid
    {GridId::kAgd84, 0.1},     // EPSG:1804 AGD84 to GDA94 (5)
    {GridId::kGda2020, 0.05},  // EPSG:8446 and 8447 GDA94 to GDA2020 (3) conformal, (2) with distortion
    {GridId::kNzgd2000, 0.2},  // EPSG:1568 NZGD49 to NZGD2000 (3)
};

// A root sum of squares; a missing figure makes it unknown.
class RootSumOfSquares {
 public:
  void add(std::optional<double> metres) {
    if (metres) {
      squares_ += *metres * *metres;
    } else {
      known_ = false;
    }
  }
  std::optional<double> metres() const {
    if (!known_) return std::nullopt;
    return std::sqrt(squares_);
  }

 private:
  double squares_ = 0.0;  // square metres
  bool known_ = true;
};

std::optional<double> stepAccuracyMetres(const DatumStep& step) {
  switch (step.kind) {
    case StepKind::kGridShift:
      return std::isnan(step.accuracyMetres) ? gridAccuracyMetres(step.grid) : step.accuracyMetres;
    case StepKind::kParameters:
      return parameterSetAccuracyMetres(step.parameters);
    case StepKind::kApproximateShift:
      return kApproximateShiftAccuracyMetres;
    case StepKind::kDeformation:
      return kDeformationAccuracyMetres;
  }
  return std::nullopt;
}

std::optional<double> horizontalAccuracy(const DatumReport& datum) {
  switch (datum.outcome) {
    case DatumOutcome::kUnchanged:
      return 0.0;
    case DatumOutcome::kNoTransformation:
    case DatumOutcome::kOutsideArea:
      return std::nullopt;
    case DatumOutcome::kTransformed:
    case DatumOutcome::kApproximate:
      break;
  }
  RootSumOfSquares sum;
  for (std::size_t k = 0; k < datum.stepCount; ++k) sum.add(stepAccuracyMetres(datum.steps[k]));
  return sum.metres();
}

// Adds a height surface's uncertainty; one not used adds nothing, one that failed or has no
// uncertainty makes the sum unknown.
void addSurface(RootSumOfSquares& sum, const HeightLookup& surface) {
  if (surface.geoidStatus == GeoidStatus::kNotUsed) return;
  sum.add(surface.geoidStatus == GeoidStatus::kApplied ? surface.uncertainty : std::nullopt);
}

}  // namespace

std::optional<double> parameterSetAccuracyMetres(ParameterSet set) {
  for (const ParameterSetAccuracy& row : kParameterSetAccuracies)
    if (row.set == set) return row.metres;
  return std::nullopt;
}

std::optional<double> gridAccuracyMetres(GridId grid) {
  for (const GridAccuracy& row : kGridAccuracies)
    if (row.grid == grid) return row.metres;
  return std::nullopt;
}

PointAccuracy pointAccuracy(const ConversionResult& result, bool heightsConverted) {
  PointAccuracy accuracy;
  const DatumOutcome outcome = result.datum.outcome;
  if (outcome == DatumOutcome::kNoTransformation || outcome == DatumOutcome::kOutsideArea) return accuracy;
  accuracy.horizontalMetres = horizontalAccuracy(result.datum);
  if (!heightsConverted) return accuracy;
  const bool surfaceUsed = result.height.geoidStatus != GeoidStatus::kNotUsed ||
                           result.height.second.geoidStatus != GeoidStatus::kNotUsed;
  if (!surfaceUsed) {
    // Ellipsoidal heights on both sides: exact when the datum is unchanged; the published figures
    // of the datum changes are horizontal, so none otherwise.
    if (outcome == DatumOutcome::kUnchanged) accuracy.verticalMetres = 0.0;
    return accuracy;
  }
  RootSumOfSquares sum;
  addSurface(sum, result.height);
  addSurface(sum, result.height.second);
  accuracy.verticalMetres = sum.metres();
  return accuracy;
}

}  // namespace velmora
