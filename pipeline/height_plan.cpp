// Height changes between ellipsoidal heights and AHD heights for GDA94 and GDA2020.
//
// N, the geoid-ellipsoid separation in metres (ellipsoidal height minus AHD height), is read from
// an AUSGeoid grid: NTv2 files that hold N in the latitude-shift field. The geoid of the datum on
// the AHD side is used: AUSGeoid2020 for GDA2020, AUSGeoid09 (or AUSGeoid98 on request) for
// GDA94. A change between GDA94 and GDA2020 also carries the ellipsoidal height change of the
// seven-parameter transformation. Every look-up and height transformation runs at the point's
// GDA2020 position, whichever datums the run converts between; the difference of about 1.8 m in
// position changes neither N nor the height change measurably.
#include "pipeline/height_plan.hpp"

#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

bool isGdaDatum(Datum datum) {
  return datum == Datum::kGda94 || datum == Datum::kGda2020;
}

GridId gda94Geoid(bool useAusGeoid98) {
  return useAusGeoid98 ? GridId::kAusGeoid98 : GridId::kAusGeoid09;
}

constexpr double kZeroHeight = 0.0;

}  // namespace

HeightPlan::HeightPlan(Datum fromDatum, HeightType fromHeightType, Datum toDatum, HeightType toHeightType,
                       bool useAusGeoid98) {
  if (fromHeightType == HeightType::kNone || toHeightType == HeightType::kNone) return;
  if (fromDatum == toDatum && fromHeightType == toHeightType) return;
  if (!isGdaDatum(fromDatum) || !isGdaDatum(toDatum)) return;

  const bool fromEllipsoid = fromHeightType == HeightType::kEllipsoid;
  const bool fromAhd = fromHeightType == HeightType::kAhd;
  const bool toEllipsoid = toHeightType == HeightType::kEllipsoid;
  const bool toAhd = toHeightType == HeightType::kAhd;
  fromGda2020_ = fromDatum == Datum::kGda2020;

  if (fromDatum == toDatum) {
    // Ellipsoid <-> AHD on one datum: only the separation.
    negate_ = fromEllipsoid && toAhd;
    if (!(negate_ || (fromAhd && toEllipsoid))) return;
    kind_ = Kind::kGeoid;
    geoid_ = fromGda2020_ ? GridId::kAusGeoid2020 : gda94Geoid(useAusGeoid98);
    return;
  }
  // Between the datums the geoid is that of the AHD side.
  if (fromEllipsoid && (toEllipsoid || toAhd)) {
    kind_ = Kind::kHelmertThenGeoid;
    toAhd_ = toAhd;
    negate_ = true;
    geoid_ = fromGda2020_ ? gda94Geoid(useAusGeoid98) : GridId::kAusGeoid2020;
  } else if (fromAhd && toEllipsoid) {
    kind_ = Kind::kGeoidThenHelmert;
    geoid_ = fromGda2020_ ? GridId::kAusGeoid2020 : gda94Geoid(useAusGeoid98);
  }
}

HeightCorrection HeightPlan::heightCorrection(LatLon onGda2020, const GridFile* geoid) const {
  HeightCorrection result;
  const double latitude = onGda2020.latitude;
  const double longitude = onGda2020.longitude;
  const auto addSeparation = [&](bool negate) {
    result.report.geoid = geoid_;
    if (geoid == nullptr) {
      result.report.geoidStatus = GeoidStatus::kFileMissing;
      return;
    }
    const GridValue found = interpolateGridValue(*geoid, latitude, longitude);
    result.report.subGrid = found.match.subGrid;
    result.report.inMargin = found.match.locationClass == kClassMargin;
    if (found.status != GridValueStatus::kFound) {
      result.report.geoidStatus =
          found.status == GridValueStatus::kNoData ? GeoidStatus::kNoData : GeoidStatus::kOutside;
      return;
    }
    result.report.geoidStatus = GeoidStatus::kApplied;
    result.report.separation = found.value;
    result.metres += negate ? -found.value : found.value;
  };
  const auto heightChange = [&](double height) {
    return fromGda2020_ ? gda2020ToGda94(latitude, longitude, height).height
                        : gda94ToGda2020(latitude, longitude, height).height;
  };

  switch (kind_) {
    case Kind::kNone:
      break;
    case Kind::kGeoid:
      addSeparation(negate_);
      break;
    case Kind::kHelmertThenGeoid:
      result.metres = heightChange(kZeroHeight);
      if (toAhd_) addSeparation(negate_);
      break;
    case Kind::kGeoidThenHelmert:
      addSeparation(false);
      result.metres = heightChange(result.metres);
      break;
  }
  return result;
}

}  // namespace velmora
