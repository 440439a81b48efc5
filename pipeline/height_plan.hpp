// Height changes between ellipsoidal heights and the heights of the Australian and New Zealand
// vertical datums: which surfaces and which height transformation a run needs, decided once.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "pipeline/grid_list.hpp"
#include "velmora/codes.hpp"
#include "velmora/converter.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

struct HeightCorrection {
  double metres = 0.0;  // to add to the point's height
  HeightReport report;
};

// Whether heights of fromType on fromDatum convert to toType on toDatum: Ellipsoid, AHD and AVWS
// on GDA94 and GDA2020 (AVWS on GDA2020 only), Ellipsoid, NZVD2016 and the local datums on
// NZGD2000. AHD to AHD across GDA94 and GDA2020, and the same type on one datum, convert as
// nothing. False when either type is kNone.
bool heightsConvert(Datum fromDatum, HeightType fromType, Datum toDatum, HeightType toType);

// The uncertainty grid of a surface's slot (AUSGeoid2020 and AGQG); none for the others.
std::optional<GridId> uncertaintyGrid(GridId surface);

class HeightPlan {
 public:
  static constexpr std::size_t kMaxSurfaces = 2;

  // The files of each surface the plan reads, in surfaces() order, and of its uncertainty grid
  // (empty when it has none).
  struct Grids {
    std::array<GridList, kMaxSurfaces> surfaces{};
    std::array<GridList, kMaxSurfaces> uncertainties{};
  };

  HeightPlan() = default;
  // The plan of a run; useAusGeoid98 picks the GDA94 geoid. Pairs that do not convert plan nothing.
  HeightPlan(Datum fromDatum, HeightType fromHeightType, Datum toDatum, HeightType toHeightType,
             bool useAusGeoid98);

  // Something to change: the height transformation, a surface, or both.
  bool planned() const { return planned_; }
  // The slots of the surfaces read, in order.
  std::span<const GridId> surfaces() const { return {surfaceGrids_.data(), surfaceCount_}; }
  // The surfaces are read at the point's NZGD2000 position (both datums are NZGD2000), rather than
  // at its GDA2020 position.
  bool onNzgd2000() const { return onNzgd2000_; }

  // The correction at the point's position (degrees): its GDA2020 position, or its NZGD2000 one.
  HeightCorrection heightCorrection(LatLon position, const Grids& grids) const;

 private:
  struct Surface {
    GridId grid = GridId::kAusGeoid2020;
    bool subtract = false;  // the surface's value is taken off the height rather than added
    bool afterHelmert = false;
  };
  bool planned_ = false;
  bool onNzgd2000_ = false;
  bool helmert_ = false;      // the height change of the GDA94/GDA2020 seven parameters
  bool fromGda2020_ = false;  // it runs GDA2020 to GDA94, else GDA94 to GDA2020
  std::array<Surface, kMaxSurfaces> steps_{};
  std::array<GridId, kMaxSurfaces> surfaceGrids_{};
  std::size_t surfaceCount_ = 0;
};

}  // namespace velmora
