// Fourteen-parameter (time-dependent) Helmert transformations between ITRF2000 / ITRF2008 and
// GDA94, between ITRF2014 and GDA2020, and between ITRF2020 and ITRF2014. GDA94 and GDA2020 are
// fixed to the Australian plate while ITRF positions move with it, about 7 cm a year to the
// north-north-east, so each parameter p = p0 + rate * dt with dt = epoch - reference epoch in
// decimal years. Rotations follow the coordinate-frame convention of helmert.hpp. ITRF2000 and
// ITRF2008 positions are converted on the WGS84 constants, as they always have been; ITRF2014,
// ITRF2020, GDA94 and GDA2020 positions on GRS80, the ellipsoid their published parameters are
// defined with. No height is carried (every side works at ellipsoidal height 0).
#include "velmora/geodesy/itrf.hpp"

#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/geocentric.hpp"
#include "velmora/geodesy/helmert.hpp"

namespace velmora {
namespace {

struct TimeDependentSet {
  double referenceEpoch;  // decimal year
  HelmertParams atEpoch;  // metres, arc-seconds, ppm at the reference epoch
  HelmertParams perYear;  // the same units per year
};

constexpr TimeDependentSet kItrf2000ToGda94{
    2000.0,
    {-0.0761, -0.0101, 0.0444, 0.008765, 0.009361, 0.009325, 0.007935},
    {0.011, -0.0045, -0.0174, 0.001034, 0.000671, 0.001039, -0.000538},
};

constexpr TimeDependentSet kItrf2008ToGda94{
    1994.0,
    {-0.08468, -0.01942, 0.03201, -0.0004254, 0.0022578, 0.0024015, 0.00971},
    {0.00142, 0.00134, 0.0009, 0.0015461, 0.001182, 0.0011551, 0.000109},
};

// The published units of the two sets below, in those of HelmertParams.
constexpr double metresFromMillimetres(double millimetres) {
  return millimetres * 1e-3;
}
constexpr double arcSecondsFromMilliArcSeconds(double milliArcSeconds) {
  return milliArcSeconds * 1e-3;
}
constexpr double ppmFromPpb(double partsPerBillion) {
  return partsPerBillion * 1e-3;
}

// The Australian plate motion model: GDA2020 coincides with ITRF2014 at 2020.0 and turns with the
// plate about X, Y and Z.
constexpr double kPlateRotationRateXMasPerYear = 1.50379;
constexpr double kPlateRotationRateYMasPerYear = 1.18346;
constexpr double kPlateRotationRateZMasPerYear = 1.20716;
constexpr TimeDependentSet kItrf2014ToGda2020{
    2020.0,
    {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
    {0.0, 0.0, 0.0, arcSecondsFromMilliArcSeconds(kPlateRotationRateXMasPerYear),
     arcSecondsFromMilliArcSeconds(kPlateRotationRateYMasPerYear),
     arcSecondsFromMilliArcSeconds(kPlateRotationRateZMasPerYear), 0.0},
};

// ITRF2014 to ITRF2020 as published, at 2015.0. It is published in the position-vector convention,
// but without rotations both conventions are the same transformation.
constexpr double kItrf2014To2020TranslationXMm = 1.4;
constexpr double kItrf2014To2020TranslationYMm = 0.9;
constexpr double kItrf2014To2020TranslationZMm = -1.4;
constexpr double kItrf2014To2020ScalePpb = 0.42;
constexpr double kItrf2014To2020TranslationRateXMmPerYear = 0.0;
constexpr double kItrf2014To2020TranslationRateYMmPerYear = 0.1;
constexpr double kItrf2014To2020TranslationRateZMmPerYear = -0.2;
constexpr TimeDependentSet kItrf2014ToItrf2020{
    2015.0,
    {metresFromMillimetres(kItrf2014To2020TranslationXMm),
     metresFromMillimetres(kItrf2014To2020TranslationYMm),
     metresFromMillimetres(kItrf2014To2020TranslationZMm), 0.0, 0.0, 0.0,
     ppmFromPpb(kItrf2014To2020ScalePpb)},
    {metresFromMillimetres(kItrf2014To2020TranslationRateXMmPerYear),
     metresFromMillimetres(kItrf2014To2020TranslationRateYMmPerYear),
     metresFromMillimetres(kItrf2014To2020TranslationRateZMmPerYear), 0.0, 0.0, 0.0, 0.0},
};

// ITRF2014, ITRF2008 and ITRF2000 to ITRF96, the frame of the New Zealand deformation model, as
// LINZ published them (EPSG:9083, 9082 and 9080; PROJ's `projinfo -k operation EPSG:9083 -o PROJ`
// prints the same digits). They are published in the position-vector convention: the rotations
// below are those of the publication, turned into the coordinate-frame convention of helmert.hpp
// by a change of sign (coordinateFrame). Reference epoch 2000.0; millimetres, milli-arc-seconds
// and parts per billion, and the same per year.
struct PublishedPositionVectorSet {
  double txMm, tyMm, tzMm;
  double rxMas, ryMas, rzMas;
  double scalePpb;
  double txMmPerYear, tyMmPerYear, tzMmPerYear;
  double rxMasPerYear, ryMasPerYear, rzMasPerYear;
  double scalePpbPerYear;
};

constexpr double kItrf96SetsReferenceEpoch = 2000.0;  // decimal year

// EPSG:9083 "ITRF2014 to ITRF96 (2)".
constexpr PublishedPositionVectorSet kItrf2014ToItrf96{
    6.4,   3.99,   -14.27, -0.16508, 0.26897, 0.11984, 1.08901,
    0.79,  -0.60,  -1.44,  -0.01347, 0.01514, 0.01973, -0.07201};
// EPSG:9082 "ITRF2008 to ITRF96 (2)".
constexpr PublishedPositionVectorSet kItrf2008ToItrf96{
    4.8,   2.09,   -17.67, -0.16508, 0.26897, 0.11984, 1.40901,
    0.79,  -0.60,  -1.34,  -0.01347, 0.01514, 0.01973, -0.10201};
// EPSG:9080 "ITRF2000 to ITRF96 (2)".
constexpr PublishedPositionVectorSet kItrf2000ToItrf96{
    6.7,   3.79,   -7.17,  -0.16508, 0.26897, 0.11984, 0.06901,
    0.69,  -0.70,  0.46,   -0.01347, 0.01514, 0.01973, -0.18201};

// A position-vector rotation is the coordinate-frame rotation of the opposite sign.
constexpr TimeDependentSet coordinateFrame(const PublishedPositionVectorSet& p) {
  return TimeDependentSet{
      kItrf96SetsReferenceEpoch,
      {metresFromMillimetres(p.txMm), metresFromMillimetres(p.tyMm), metresFromMillimetres(p.tzMm),
       -arcSecondsFromMilliArcSeconds(p.rxMas), -arcSecondsFromMilliArcSeconds(p.ryMas),
       -arcSecondsFromMilliArcSeconds(p.rzMas), ppmFromPpb(p.scalePpb)},
      {metresFromMillimetres(p.txMmPerYear), metresFromMillimetres(p.tyMmPerYear),
       metresFromMillimetres(p.tzMmPerYear), -arcSecondsFromMilliArcSeconds(p.rxMasPerYear),
       -arcSecondsFromMilliArcSeconds(p.ryMasPerYear), -arcSecondsFromMilliArcSeconds(p.rzMasPerYear),
       ppmFromPpb(p.scalePpbPerYear)},
  };
}

const TimeDependentSet& itrf96Set(Itrf96Source source) {
  static constexpr TimeDependentSet kFrom2014 = coordinateFrame(kItrf2014ToItrf96);
  static constexpr TimeDependentSet kFrom2008 = coordinateFrame(kItrf2008ToItrf96);
  static constexpr TimeDependentSet kFrom2000 = coordinateFrame(kItrf2000ToItrf96);
  switch (source) {
    case Itrf96Source::kItrf2000:
      return kFrom2000;
    case Itrf96Source::kItrf2008:
      return kFrom2008;
    case Itrf96Source::kItrf2014:
      break;
  }
  return kFrom2014;
}

// ITRF2000 and ITRF2008 positions are on the WGS84 constants throughout the program, ITRF2014 and
// ITRF96 (the frame of NZGD2000) on GRS80.
const Ellipsoid& itrf96SourceEllipsoid(Itrf96Source source) {
  return source == Itrf96Source::kItrf2014 ? kGrs80Ellipsoid : kWgs84Ellipsoid;
}

// The parameters of a set at an epoch; any epoch is extrapolated linearly.
HelmertTransformation atEpoch(const TimeDependentSet& set, double epoch) {
  const double dt = epoch - set.referenceEpoch;
  const HelmertParams& p = set.atEpoch;
  const HelmertParams& r = set.perYear;
  return helmertFromParams(HelmertParams{p.tx + r.tx * dt, p.ty + r.ty * dt, p.tz + r.tz * dt,
                                         p.rx + r.rx * dt, p.ry + r.ry * dt, p.rz + r.rz * dt,
                                         p.s + r.s * dt});
}

HelmertTransformation setAtEpoch(double epoch, ItrfRealisation realisation) {
  return atEpoch(realisation == ItrfRealisation::kItrf2008 ? kItrf2008ToGda94 : kItrf2000ToGda94, epoch);
}

}  // namespace

LatLon itrfToGda94(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  return helmertBetween(latitude, longitude, kWgs84Ellipsoid, setAtEpoch(epoch, realisation), kGrs80Ellipsoid,
                        true);
}

LatLon gda94ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, setAtEpoch(epoch, realisation), kWgs84Ellipsoid,
                        false);
}

LatLon itrfToGda2020(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  const LatLon gda94 = itrfToGda94(latitude, longitude, epoch, realisation);
  return gda94ToGda2020(gda94.latitude, gda94.longitude);
}

LatLon gda2020ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  const LatLon gda94 = gda2020ToGda94(latitude, longitude);
  return gda94ToItrf(gda94.latitude, gda94.longitude, epoch, realisation);
}

LatLon itrf2014ToGda2020(double latitude, double longitude, double epoch) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, atEpoch(kItrf2014ToGda2020, epoch),
                        kGrs80Ellipsoid, true);
}

LatLon gda2020ToItrf2014(double latitude, double longitude, double epoch) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, atEpoch(kItrf2014ToGda2020, epoch),
                        kGrs80Ellipsoid, false);
}

LatLon itrf2020ToItrf2014(double latitude, double longitude, double epoch) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, atEpoch(kItrf2014ToItrf2020, epoch),
                        kGrs80Ellipsoid, false);
}

LatLon itrf2014ToItrf2020(double latitude, double longitude, double epoch) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, atEpoch(kItrf2014ToItrf2020, epoch),
                        kGrs80Ellipsoid, true);
}

LatLon itrfToItrf96(double latitude, double longitude, double epoch, Itrf96Source source) {
  return helmertBetween(latitude, longitude, itrf96SourceEllipsoid(source), atEpoch(itrf96Set(source), epoch),
                        kGrs80Ellipsoid, true);
}

LatLon itrf96ToItrf(double latitude, double longitude, double epoch, Itrf96Source source) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, atEpoch(itrf96Set(source), epoch),
                        itrf96SourceEllipsoid(source), false);
}

}  // namespace velmora
