// How much of a deformation component applies at an epoch: the factor its grid's displacements are
// multiplied by, as the deformation model format defines the six kinds of time function. Epochs
// are decimal years.
#pragma once

#include <optional>
#include <vector>

namespace velmora {

enum class TimeFunctionKind {
  kConstant,     // 1 at every epoch
  kVelocity,     // epoch - referenceEpoch, in years: the grid holds a velocity per year
  kStep,         // 0 before stepEpoch, 1 from it on
  kReverseStep,  // -1 before stepEpoch, 0 from it on: a grid of what an event moved, applied
                 // to positions of before the event so that they take the event's coordinates
  kPiecewise,    // linear between the points of `model`
  kExponential,  // a decay towards finalScaleFactor after referenceEpoch
};

// Before the first point or after the last of a piecewise function.
enum class PiecewiseEnd {
  kZero,      // 0
  kConstant,  // the value of the nearest point
  kLinear,    // extrapolated along the nearest two points (or constant when they share an epoch)
};

struct PiecewisePoint {
  double epoch = 0.0;
  double scaleFactor = 0.0;
};

struct TimeFunction {
  TimeFunctionKind kind = TimeFunctionKind::kConstant;
  double referenceEpoch = 0.0;  // kVelocity, kExponential
  double stepEpoch = 0.0;       // kStep, kReverseStep
  // kPiecewise: at least two points in epoch order; two points of one epoch make a step (the first
  // gives the value before it, the second from it on).
  std::vector<PiecewisePoint> model{};
  PiecewiseEnd beforeFirst = PiecewiseEnd::kZero;
  PiecewiseEnd afterLast = PiecewiseEnd::kZero;
  // kExponential: f = before before referenceEpoch, else initial + (final - initial) *
  // (1 - exp(-(min(t, endEpoch) - referenceEpoch) / relaxationConstant)).
  std::optional<double> endEpoch{};
  double relaxationConstant = 1.0;  // years
  double beforeScaleFactor = 0.0;
  double initialScaleFactor = 0.0;
  double finalScaleFactor = 0.0;

  double scaleFactor(double epoch) const;
};

}  // namespace velmora
