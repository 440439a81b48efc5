// Height changes between ellipsoidal heights and heights on the Australian Height Datum (AHD) for
// GDA94 and GDA2020: which geoid and which height transformation a run needs, decided once.
#pragma once

#include "velmora/codes.hpp"
#include "velmora/converter.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

struct HeightCorrection {
  double metres = 0.0;  // to add to the point's height
  HeightReport report;
};

class HeightPlan {
 public:
  enum class Kind {
    kNone,              // nothing to change
    kGeoid,             // Ellipsoid <-> AHD on one datum: N alone
    kHelmertThenGeoid,  // from ellipsoidal heights: the datum's height change, then -N when to AHD
    kGeoidThenHelmert,  // AHD to ellipsoidal heights: N, then the datum's height change
  };

  HeightPlan() = default;
  // The plan of a run; useAusGeoid98 picks the GDA94 geoid.
  HeightPlan(Datum fromDatum, HeightType fromHeightType, Datum toDatum, HeightType toHeightType,
             bool useAusGeoid98);

  Kind kind() const { return kind_; }
  bool usesGeoid() const { return kind_ == Kind::kGeoid || kind_ == Kind::kGeoidThenHelmert || toAhd_; }
  GridId geoid() const { return geoid_; }

  // The correction at the point's GDA2020 position (degrees); geoid is the open geoid file or nullptr.
  HeightCorrection heightCorrection(LatLon onGda2020, const GridFile* geoid) const;

 private:
  Kind kind_ = Kind::kNone;
  GridId geoid_ = GridId::kAusGeoid2020;
  bool negate_ = false;       // subtract N (ellipsoidal height to AHD)
  bool toAhd_ = false;        // kHelmertThenGeoid: the target is AHD
  bool fromGda2020_ = false;  // the height change runs GDA2020 to GDA94, else GDA94 to GDA2020
};

}  // namespace velmora
