#include "velmora/deformation/time_function.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

// Values worked by hand from the definitions of the format (reverse_step is -1 before its epoch,
// as PROJ and LINZ's own evaluator compute it).
TEST(TimeFunction, FactorsAtEpochs) {
  TimeFunction velocity{.kind = TimeFunctionKind::kVelocity, .referenceEpoch = 2000.0};
  TimeFunction step{.kind = TimeFunctionKind::kStep, .stepEpoch = 2016.87};
  TimeFunction reverse{.kind = TimeFunctionKind::kReverseStep, .stepEpoch = 2016.87};
  // A step at 2009.5 from -1.34 to -0.29, then a ramp to 0 at 2011.5.
  TimeFunction piecewise{.kind = TimeFunctionKind::kPiecewise,
                         .model = {{2009.5, -1.34}, {2009.5, -0.29}, {2011.5, 0.0}},
                         .beforeFirst = PiecewiseEnd::kConstant,
                         .afterLast = PiecewiseEnd::kZero};
  TimeFunction ramp{.kind = TimeFunctionKind::kPiecewise,
                    .model = {{2010.0, 0.0}, {2012.0, 1.0}, {2014.0, 1.5}},
                    .beforeFirst = PiecewiseEnd::kLinear,
                    .afterLast = PiecewiseEnd::kLinear};
  TimeFunction decay{.kind = TimeFunctionKind::kExponential,
                     .referenceEpoch = 2016.0,
                     .endEpoch = 2020.0,
                     .relaxationConstant = 2.0,
                     .beforeScaleFactor = 0.0,
                     .initialScaleFactor = 0.5,
                     .finalScaleFactor = 1.5};
  struct Case {
    const TimeFunction* f;
    double epoch;
    double factor;
  };
  const Case cases[] = {
      {&velocity, 2010.5, 10.5},
      {&velocity, 1990.0, -10.0},
      {&step, 2016.86, 0.0},
      {&step, 2016.87, 1.0},
      {&reverse, 2016.86, -1.0},
      {&reverse, 2016.87, 0.0},
      {&piecewise, 2000.0, -1.34},  // before the first point: its value
      {&piecewise, 2009.5, -0.29},  // at the step: the value after it
      {&piecewise, 2010.5, -0.145},
      {&piecewise, 2011.5, 0.0},
      {&piecewise, 2030.0, 0.0},
      {&ramp, 2009.0, -0.5},  // extrapolated along the first two points
      {&ramp, 2012.0, 1.0},   // at an inner point: the segment that starts there
      {&ramp, 2013.0, 1.25},
      {&ramp, 2016.0, 2.0},  // extrapolated along the last two
      {&decay, 2015.0, 0.0},
      {&decay, 2016.0, 0.5},
      {&decay, 2018.0, 0.5 + 1.0 * (1.0 - std::exp(-1.0))},
      {&decay, 2025.0, 0.5 + 1.0 * (1.0 - std::exp(-2.0))},  // held at the end epoch
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(c.f->scaleFactor(c.epoch), c.factor, 1e-12)
        << static_cast<int>(c.f->kind) << " at " << c.epoch;
  }
  EXPECT_EQ(TimeFunction{}.scaleFactor(1900.0), 1.0);
}

}  // namespace
}  // namespace velmora
