// Inside the system a point is (x, y) = (easting, northing) or (longitude, latitude); geographic
// results are printed the other way round, latitude first, as they were given.
#include "frontend/point_loop.hpp"

#include <algorithm>
#include <string>
#include <string_view>

#include "frontend/angle_format.hpp"
#include "frontend/program_folder.hpp"
#include "frontend/result_line.hpp"
#include "pipeline/grid_slots.hpp"
#include "pipeline/height_correction.hpp"
#include "pipeline/transform_point.hpp"

namespace velmora {
namespace {

constexpr std::size_t kAngleTextCapacity = 64;  // reserved once; DMS and DM texts are far shorter

}  // namespace

void convertPoints(const ConversionRequest& request, const InputPoints& points, std::FILE* out) {
  const std::string folder = programFolder(request.programPath);
  const bool convertHeights = request.fromHeightType != kNoHeight && request.toHeightType != kNoHeight;

  // The geoid is looked up at the point's GDA2020 position, whatever the run's target.
  ConversionRequest toGda2020 = request;
  toGda2020.toCoordType = kDd;
  toGda2020.toDatum = kGda2020;

  ResultLine line{};
  std::string latitudeText;
  std::string longitudeText;
  latitudeText.reserve(kAngleTextCapacity);
  longitudeText.reserve(kAngleTextCapacity);

  // The lists are parallel; a shorter one must never be read past its end.
  const std::size_t count = std::min({points.xValues.size(), points.yValues.size(), points.heights.size()});
  for (std::size_t k = 0; k < count; ++k) {
    const double x = points.xValues[k];
    const double y = points.yValues[k];
    double height = points.heights[k];

    double outX = x;
    double outY = y;
    transformPoint(request, folder, outX, outY);

    if (convertHeights) {
      double longitude = x;
      double latitude = y;
      transformPoint(toGda2020, folder, longitude, latitude);
      height +=
          heightCorrection(latitude, longitude, request.fromDatum, request.fromHeightType, request.toDatum,
                           request.toHeightType, request.useAusGeoid98, folder, k == 0, k + 1 == count);
    }

    std::string_view text;
    switch (request.toCoordType) {
      case kEn:
        text = enResultLine(outX, outY, height, line);
        break;
      case kDms:
        formatDms(outY, true, latitudeText);
        formatDms(outX, false, longitudeText);
        text = angleResultLine(latitudeText, longitudeText, height, line);
        break;
      case kDm:
        formatDm(outY, true, latitudeText);
        formatDm(outX, false, longitudeText);
        text = angleResultLine(latitudeText, longitudeText, height, line);
        break;
      default:
        text = ddResultLine(outY, outX, height, line);
        break;
    }
    std::fwrite(text.data(), 1, text.size(), out);
  }
  closeDatumGridSlots();
}

}  // namespace velmora
