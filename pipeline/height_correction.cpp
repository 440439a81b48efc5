// Height changes between ellipsoidal heights and heights on the Australian Height Datum (AHD)
// for GDA94 and GDA2020.
//
// N, the geoid-ellipsoid separation in metres (ellipsoidal height minus AHD height), is read from
// an AUSGeoid grid: NTv2 files that hold N in the latitude-shift field. The geoid of the datum on
// the AHD side is used: AUSGeoid2020 for GDA2020, AUSGeoid09 (or AUSGeoid98 on request) for
// GDA94. A change between GDA94 and GDA2020 also carries the ellipsoidal height change of the
// seven-parameter transformation. Every look-up and height transformation runs at the point's
// GDA2020 position, whichever datums the run converts between; the difference of about 1.8 m in
// position changes neither N nor the height change measurably.
//
// A geoid file is opened at the first point of the run and closed at its last; the same slot
// serves every point between.
#include "pipeline/height_correction.hpp"

#include <cstdio>
#include <memory>
#include <string>

#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "pipeline/grid_slots.hpp"

namespace velmora {
namespace {

constexpr std::string_view kAusGeoid2020FileName = "AUSGeoid2020.gsb";
constexpr std::string_view kAusGeoid09FileName = "AUSGeoid09.gsb";
constexpr std::string_view kAusGeoid98FileName = "AUSGeoid98.gsb";
constexpr std::string_view kMissingFileMessage = " does not exist\n";

// The path is written as plain bytes, never as a format, so a '%' in it prints as it is. One
// write per line keeps the line whole.
void reportMissingGeoid(std::string_view programFolder, std::string_view fileName) {
  std::string message = gridFilePath(programFolder, fileName);
  message.append(kMissingFileMessage);
  std::fwrite(message.data(), 1, message.size(), stderr);
}

void addGeoidSeparation(GridSlotId slot, std::string_view programFolder, std::string_view fileName, bool negate,
                        double latitude, double longitude, double& accumulator, bool isFirstPoint,
                        bool isLastPoint) {
  std::unique_ptr<GridFile>& geoid = gridSlot(slot);
  if (isFirstPoint) {
    closeGridFile(geoid);  // a grid left over from an unfinished run is released, not leaked
    geoid = openGridFile(gridFilePath(programFolder, fileName));
  }
  if (!geoid) {
    reportMissingGeoid(programFolder, fileName);
    return;
  }
  double separation = 0.0;
  if (interpolateGridValue(*geoid, negate, latitude, longitude, separation)) accumulator += separation;
  if (isLastPoint) closeGridFile(geoid);
}

bool isGdaDatum(DatumCode datum) { return datum == kGda94 || datum == kGda2020; }

}  // namespace

void addAusGeoid2020Separation(std::string_view programFolder, bool negate, double latitude, double longitude,
                               double& accumulator, bool isFirstPoint, bool isLastPoint) {
  addGeoidSeparation(GridSlotId::kGda2020Geoid, programFolder, kAusGeoid2020FileName, negate, latitude, longitude,
                     accumulator, isFirstPoint, isLastPoint);
}

void addGda94GeoidSeparation(std::string_view programFolder, bool negate, bool useAusGeoid98, double latitude,
                             double longitude, double& accumulator, bool isFirstPoint, bool isLastPoint) {
  addGeoidSeparation(GridSlotId::kGda94Geoid, programFolder, useAusGeoid98 ? kAusGeoid98FileName : kAusGeoid09FileName,
                     negate, latitude, longitude, accumulator, isFirstPoint, isLastPoint);
}

double heightCorrection(double latitude, double longitude, DatumCode fromDatum, HeightTypeCode fromHeightType,
                        DatumCode toDatum, HeightTypeCode toHeightType, bool useAusGeoid98,
                        std::string_view programFolder, bool isFirstPoint, bool isLastPoint) {
  if (fromDatum == toDatum && fromHeightType == toHeightType) return 0.0;
  if (!isGdaDatum(fromDatum) || !isGdaDatum(toDatum)) return 0.0;

  const bool fromEllipsoid = fromHeightType == kEllipsoid;
  const bool fromAhd = fromHeightType == kAhd;
  const bool toEllipsoid = toHeightType == kEllipsoid;
  const bool toAhd = toHeightType == kAhd;
  constexpr bool kNegate = true;     // subtract N: ellipsoidal height to AHD
  constexpr bool kNoNegate = false;  // add N: AHD to ellipsoidal height
  constexpr double kZeroHeight = 0.0;

  double correction = 0.0;
  if (fromDatum == toDatum) {
    // Ellipsoid <-> AHD on one datum: only the separation.
    const bool negate = fromEllipsoid && toAhd;
    if (!(negate || (fromAhd && toEllipsoid))) return 0.0;
    if (fromDatum == kGda2020) {
      addAusGeoid2020Separation(programFolder, negate, latitude, longitude, correction, isFirstPoint, isLastPoint);
    } else {
      addGda94GeoidSeparation(programFolder, negate, useAusGeoid98, latitude, longitude, correction, isFirstPoint,
                              isLastPoint);
    }
    return correction;
  }

  if (fromDatum == kGda2020) {  // to GDA94
    if (fromEllipsoid && (toEllipsoid || toAhd)) {
      correction = gda2020ToGda94(latitude, longitude, kZeroHeight).height;
      if (toAhd) {
        addGda94GeoidSeparation(programFolder, kNegate, useAusGeoid98, latitude, longitude, correction,
                                isFirstPoint, isLastPoint);
      }
    } else if (fromAhd && toEllipsoid) {
      addAusGeoid2020Separation(programFolder, kNoNegate, latitude, longitude, correction, isFirstPoint,
                                isLastPoint);
      correction = gda2020ToGda94(latitude, longitude, correction).height;
    }
    return correction;
  }

  // GDA94 to GDA2020
  if (fromEllipsoid && (toEllipsoid || toAhd)) {
    correction = gda94ToGda2020(latitude, longitude, kZeroHeight).height;
    if (toAhd) {
      addAusGeoid2020Separation(programFolder, kNegate, latitude, longitude, correction, isFirstPoint,
                                isLastPoint);
    }
  } else if (fromAhd && toEllipsoid) {
    addGda94GeoidSeparation(programFolder, kNoNegate, useAusGeoid98, latitude, longitude, correction, isFirstPoint,
                            isLastPoint);
    correction = gda94ToGda2020(latitude, longitude, correction).height;
  }
  return correction;
}

}  // namespace velmora
