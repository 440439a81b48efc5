// A point's accuracy from its result: the steps combined as a root sum of squares, and the cases
// that leave a field empty.
#include "velmora/app/point_accuracy.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace velmora {
namespace {

constexpr double kToleranceMetres = 1e-12;
constexpr double kNoAccuracies = std::numeric_limits<double>::quiet_NaN();

DatumStep grid(GridId id, double accuracyMetres) {
  DatumStep step{StepKind::kGridShift};
  step.grid = id;
  step.accuracyMetres = accuracyMetres;
  return step;
}

DatumStep parameters(ParameterSet set) {
  DatumStep step{StepKind::kParameters};
  step.parameters = set;
  return step;
}

ConversionResult transformed(const std::vector<DatumStep>& steps,
                             DatumOutcome outcome = DatumOutcome::kTransformed) {
  ConversionResult result;
  result.datum.outcome = outcome;
  for (const DatumStep& step : steps) result.datum.steps[result.datum.stepCount++] = step;
  return result;
}

HeightLookup surface(GeoidStatus status, std::optional<double> uncertainty) {
  HeightLookup lookup;
  lookup.geoidStatus = status;
  lookup.uncertainty = uncertainty;
  return lookup;
}

void expectMetres(std::optional<double> actual, std::optional<double> expected) {
  ASSERT_EQ(actual.has_value(), expected.has_value());
  if (expected) {
    EXPECT_NEAR(*actual, *expected, kToleranceMetres);
  }
}

TEST(PointAccuracy, HorizontalCombinesTheStepsAsARootSumOfSquares) {
  struct Case {
    const char* what;
    ConversionResult result;
    std::optional<double> metres;
  };
  const Case cases[] = {
      {"a grid's own accuracy wins over its published figure", transformed({grid(GridId::kAgd66, 0.125)}),
       0.125},
      {"published figures of two grid legs",
       transformed({grid(GridId::kAgd84, kNoAccuracies), grid(GridId::kGda2020, kNoAccuracies)}),
       std::sqrt(0.1 * 0.1 + 0.05 * 0.05)},
      {"New Zealand: ITRF2014 to ITRF96, then the deformation model",
       transformed({parameters(ParameterSet::kItrf2014ToItrf96), DatumStep{StepKind::kDeformation}}),
       std::sqrt(0.01 * 0.01 + 0.02 * 0.02)},
      {"ANG in a chain leaves the figure unknown",
       transformed({parameters(ParameterSet::kAngToGda94), parameters(ParameterSet::kGda2020ToGda94)}),
       std::nullopt},
      {"approximate shift", transformed({DatumStep{StepKind::kApproximateShift}}, DatumOutcome::kApproximate),
       kApproximateShiftAccuracyMetres},
      {"outside the area", transformed({}, DatumOutcome::kOutsideArea), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectMetres(pointAccuracy(c.result, false).horizontalMetres, c.metres);
  }
}

TEST(PointAccuracy, VerticalNeedsAnUncertaintyForEverySurfaceApplied) {
  struct Case {
    const char* what;
    HeightLookup first;
    HeightLookup second;
    DatumOutcome outcome;
    std::optional<double> metres;
  };
  const HeightLookup notUsed;
  const Case cases[] = {
      {"two surfaces", surface(GeoidStatus::kApplied, 0.03), surface(GeoidStatus::kApplied, 0.04),
       DatumOutcome::kUnchanged, 0.05},
      {"a surface without uncertainty", surface(GeoidStatus::kApplied, 0.03),
       surface(GeoidStatus::kApplied, {}), DatumOutcome::kUnchanged, std::nullopt},
      {"a surface that missed", surface(GeoidStatus::kOutside, {}), notUsed, DatumOutcome::kUnchanged,
       std::nullopt},
      {"ellipsoidal heights through a datum change", notUsed, notUsed, DatumOutcome::kTransformed,
       std::nullopt},
      {"no transformation", surface(GeoidStatus::kApplied, 0.03), notUsed, DatumOutcome::kNoTransformation,
       std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionResult result = transformed({}, c.outcome);
    static_cast<HeightLookup&>(result.height) = c.first;
    result.height.second = c.second;
    expectMetres(pointAccuracy(result, true).verticalMetres, c.metres);
    EXPECT_FALSE(pointAccuracy(result, false).verticalMetres.has_value());
  }
}

}  // namespace
}  // namespace velmora
