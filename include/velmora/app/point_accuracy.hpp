// The estimated accuracy of what was applied to a point, as --showAccuracy prints it: the horizontal
// accuracy of its datum change and the vertical accuracy of its height, in metres (one standard
// deviation as the published figures state them).
#pragma once

#include <optional>

#include "velmora/converter.hpp"

namespace velmora {

// The published accuracy of a parameter set (metres); none for the change of ellipsoid that takes
// ANG to GDA94, which has no published figure.
std::optional<double> parameterSetAccuracyMetres(ParameterSet set);

// The published accuracy of a datum grid (metres), the figure of a grid leg whose sub-grid holds no
// accuracies of its own; none for a slot that is not a datum grid.
std::optional<double> gridAccuracyMetres(GridId grid);

// The accuracy the fixed approximate AGD shift outside the supported area can claim (metres). The
// shift of 5.2" and 4.7" departs from the national AGD66 seven parameters (EPSG:15979, computed
// with cs2cs) by 5 to 87 m over 8 to 50 degrees south and 105 to 165 degrees east, and it serves
// points beyond that, so no better than 100 m is claimed.
inline constexpr double kApproximateShiftAccuracyMetres = 100.0;

// The accuracy of New Zealand's deformation model between NZGD2000 and ITRF96 (metres): the figure
// given for EPSG:9090; PROJ 9.1.1's proj.db (EPSG v10.076) lists no such operation to check it by.
inline constexpr double kDeformationAccuracyMetres = 0.02;

struct PointAccuracy {
  std::optional<double> horizontalMetres;  // of the datum change
  std::optional<double> verticalMetres;    // of the height, when heights are converted
};

// A point's accuracy from its result. Horizontal: 0 when the datum is unchanged; the root sum of
// squares of the steps' figures when transformed (a grid leg's interpolated accuracy, else the
// grid's published one; the parameter sets'; the deformation model's); the approximate shift's
// figure; none when the pair has no transformation, the point lies outside the area, or a step
// has no figure. Vertical, only when heightsConverted: the root sum of squares of the uncertainties
// of the height surfaces applied (from the AUSGeoid2020 and AGQG uncertainty grids); 0 when no
// surface is used and the datum is unchanged; none when a surface applied has no uncertainty at
// the point, one failed, or the height went through a datum change alone (no published vertical
// figure), and none whenever the horizontal field is empty for want of a transformation.
PointAccuracy pointAccuracy(const ConversionResult& result, bool heightsConverted);

}  // namespace velmora
