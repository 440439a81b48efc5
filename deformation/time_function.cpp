#include "velmora/deformation/time_function.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace velmora {
namespace {

double along(const PiecewisePoint& a, const PiecewisePoint& b, double epoch) {
  if (b.epoch == a.epoch) return b.scaleFactor;
  return a.scaleFactor + (b.scaleFactor - a.scaleFactor) * (epoch - a.epoch) / (b.epoch - a.epoch);
}

double piecewise(const TimeFunction& f, double epoch) {
  const std::vector<PiecewisePoint>& m = f.model;
  if (m.empty()) return 0.0;
  const PiecewisePoint& first = m.front();
  const PiecewisePoint& last = m.back();
  if (epoch < first.epoch) {
    switch (f.beforeFirst) {
      case PiecewiseEnd::kZero:
        return 0.0;
      case PiecewiseEnd::kConstant:
        return first.scaleFactor;
      case PiecewiseEnd::kLinear:
        return m.size() < 2 || m[1].epoch == first.epoch ? first.scaleFactor : along(first, m[1], epoch);
    }
  }
  if (epoch >= last.epoch) {
    // At the last epoch itself the last value holds, whatever comes after.
    if (epoch == last.epoch) return last.scaleFactor;
    const PiecewisePoint& before = m[m.size() - 2];
    switch (f.afterLast) {
      case PiecewiseEnd::kZero:
        return 0.0;
      case PiecewiseEnd::kConstant:
        return last.scaleFactor;
      case PiecewiseEnd::kLinear:
        return m.size() < 2 || before.epoch == last.epoch ? last.scaleFactor : along(before, last, epoch);
    }
  }
  // The segment that starts at or before the epoch and ends after it: at an epoch of the model the
  // segment that starts there, and at a step the value after the step.
  const auto next = std::upper_bound(m.begin(), m.end(), epoch,
                                     [](double t, const PiecewisePoint& p) { return t < p.epoch; });
  const std::size_t high = static_cast<std::size_t>(next - m.begin());
  return along(m[high - 1], m[high], epoch);
}

}  // namespace

double TimeFunction::scaleFactor(double epoch) const {
  switch (kind) {
    case TimeFunctionKind::kConstant:
      return 1.0;
    case TimeFunctionKind::kVelocity:
      return epoch - referenceEpoch;
    case TimeFunctionKind::kStep:
      return epoch < stepEpoch ? 0.0 : 1.0;
    case TimeFunctionKind::kReverseStep:
      return epoch < stepEpoch ? -1.0 : 0.0;
    case TimeFunctionKind::kPiecewise:
      return piecewise(*this, epoch);
    case TimeFunctionKind::kExponential: {
      if (epoch < referenceEpoch) return beforeScaleFactor;
      const double t = endEpoch ? std::min(epoch, *endEpoch) : epoch;
      return initialScaleFactor + (finalScaleFactor - initialScaleFactor) *
                                      (1.0 - std::exp(-(t - referenceEpoch) / relaxationConstant));
    }
  }
  return 0.0;
}

}  // namespace velmora
