#include "pipeline/grid_slots.hpp"

#include <array>

namespace velmora {
namespace {

// One holder per GridSlotId, in enumeration order. Process-wide and unguarded: the program
// converts its points on one thread. Constant-initialised, so it is usable before main().
constexpr std::size_t kGridSlotCount = 5;
std::array<std::unique_ptr<GridFile>, kGridSlotCount> gGridSlots;

}  // namespace

std::unique_ptr<GridFile>& gridSlot(GridSlotId slot) { return gGridSlots[static_cast<std::size_t>(slot)]; }

std::string gridFilePath(std::string_view programFolder, std::string_view fileName) {
  std::string path;
  path.reserve(programFolder.size() + fileName.size());
  path.append(programFolder).append(fileName);
  return path;
}

void closeDatumGridSlots() {
  closeGridFile(gridSlot(GridSlotId::kAgd66Grid));
  closeGridFile(gridSlot(GridSlotId::kAgd84Grid));
  closeGridFile(gridSlot(GridSlotId::kGda2020Grid));
}

}  // namespace velmora
