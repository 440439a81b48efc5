// The process-wide grid slots: each holds one opened GridFile or none. The program runs on one
// thread; the slots are deliberately unguarded.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

enum class GridSlotId {
  kAgd66Grid,    // "AGD66_Australia.gsb": AGD66/ISG <-> GDA94
  kAgd84Grid,    // "AGD84_Australia.gsb": AGD84 <-> GDA94
  kGda2020Grid,  // "GDA2020_Australia.gsb": GDA94 <-> GDA2020
  kGda2020Geoid, // "AUSGeoid2020.gsb"
  kGda94Geoid,   // "AUSGeoid09.gsb" or "AUSGeoid98.gsb"
};

std::unique_ptr<GridFile>& gridSlot(GridSlotId slot);

// Path of a grid file: the program folder (ending with its separator, or empty) followed directly
// by the file name.
std::string gridFilePath(std::string_view programFolder, std::string_view fileName);

// Closes the three datum grids (not the geoids) and empties their slots.
void closeDatumGridSlots();

}  // namespace velmora
