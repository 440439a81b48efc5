#include "fuzz/grid_probe.hpp"

#include <unistd.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>
#include <vector>

#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

// Probing every sub-grid of a file that declares thousands would make each input slow; the
// first few cover the search well, since the search itself walks all of them.
constexpr std::size_t kMaxProbedSubGrids = 8;

// Re-encoding writes every node; above this many nodes in the file it is skipped to keep the
// fuzzer fast (inputs are small, so only counts that disagree with the data get this far).
constexpr std::size_t kMaxEncodedNodes = 1U << 16U;

class ScratchFiles {
 public:
  ScratchFiles() = default;
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;
  ~ScratchFiles() {
    for (const auto& [extension, name] : names_) {
      std::error_code ignored;
      std::filesystem::remove(name, ignored);
    }
  }
  const std::string& get(std::string_view extension) {
    const std::string key(extension);
    auto it = names_.find(key);
    if (it == names_.end()) {
      const std::filesystem::path path =
          std::filesystem::temp_directory_path() / ("velmora-fuzz-" + std::to_string(::getpid()) + key);
      it = names_.emplace(key, path.string()).first;
    }
    return it->second;
  }

 private:
  std::map<std::string, std::string> names_;
};

void probePoint(const GridFile& grid, double x, double y) {
  const SubGridMatch match = findSubGrid(grid, x, y);
  if (match.locationClass < 0 || match.locationClass > kClassMargin) __builtin_trap();
  if ((match.subGrid == nullptr) != (match.locationClass == 0)) __builtin_trap();

  const std::optional<GridShift> shift = interpolateGridShift(grid, y, x);
  // The interpolation uses the search: both must agree on whether a sub-grid holds the point, and
  // only a node without data (NaN) leaves a point a sub-grid holds without a shift.
  if (shift.has_value() && match.subGrid == nullptr) __builtin_trap();
  if (shift && shift->match.subGrid != match.subGrid) __builtin_trap();
  if (shift && (std::isnan(shift->latitudeShift) || std::isnan(shift->longitudeShift))) __builtin_trap();

  const GridValue value = interpolateGridValue(grid, y, x);
  if ((value.status == GridValueStatus::kOutside) != (match.subGrid == nullptr)) __builtin_trap();
  if (value.status == GridValueStatus::kFound && !(value.value > -998.0)) __builtin_trap();
}

void probeSubGrid(const GridFile& grid, const SubGrid& sub) {
  const std::array<double, 5> xs{sub.lonMin(), sub.lonMax(), 0.5 * (sub.lonMin() + sub.lonMax()),
                                 std::nextafter(sub.lonMin(), -INFINITY),
                                 std::nextafter(sub.lonMax(), INFINITY)};
  const std::array<double, 5> ys{sub.latMin(), sub.latMax(), 0.5 * (sub.latMin() + sub.latMax()),
                                 std::nextafter(sub.latMin(), -INFINITY),
                                 std::nextafter(sub.latMax(), INFINITY)};
  for (const double x : xs) {
    for (const double y : ys) probePoint(grid, x, y);
  }
  // Inside the margin (half a spacing out) and at its limit (a full spacing out), on each side.
  const double midX = xs[2];
  const double midY = ys[2];
  for (const double part : {0.5, 1.0}) {
    probePoint(grid, sub.lonMax() + part * sub.lonInc(), midY);
    probePoint(grid, sub.lonMin() - part * sub.lonInc(), midY);
    probePoint(grid, midX, sub.latMax() + part * sub.latInc());
    probePoint(grid, midX, sub.latMin() - part * sub.latInc());
    probePoint(grid, sub.lonMax() + part * sub.lonInc(), sub.latMax() + part * sub.latInc());
    probePoint(grid, sub.lonMin() - part * sub.lonInc(), sub.latMin() - part * sub.latInc());
  }
  // A node-sized step in from the north-western corner, where rounding meets the last row and column.
  probePoint(grid, sub.lonMin() + sub.lonInc(), sub.latMax() - sub.latInc());
}

// The tree reaches every sub-grid in use exactly once, each child under the parent it names and
// each count as the hierarchy check recorded it.
void checkTree(const GridFile& grid) {
  std::size_t inUse = 0;
  for (const SubGrid& sub : grid.subGrids()) inUse += sub.inUse() ? 1U : 0U;
  std::vector<const SubGrid*> stack;
  for (const SubGrid& top : grid.topLevel()) {
    if (top.parent() != nullptr) __builtin_trap();
    stack.push_back(&top);
  }
  if (stack.size() != static_cast<std::size_t>(grid.topLevelCount())) __builtin_trap();
  std::size_t reached = 0;
  while (!stack.empty()) {
    const SubGrid* sub = stack.back();
    stack.pop_back();
    if (++reached > inUse) __builtin_trap();
    int children = 0;
    for (const SubGrid& child : sub->children()) {
      if (child.parent() != sub) __builtin_trap();
      stack.push_back(&child);
      ++children;
    }
    if (children != sub->childCount()) __builtin_trap();
  }
  if (reached != inUse) __builtin_trap();
}

}  // namespace

const std::string& fuzzScratchFile(std::string_view extension) {
  static ScratchFiles files;
  return files.get(extension);
}

bool writeFuzzScratch(const std::string& fileName, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out);
}

void probeGrid(const GridFile& grid) {
  checkTree(grid);
  std::size_t probed = 0;
  std::size_t nodes = 0;
  for (const SubGrid& sub : grid.subGrids()) {
    nodes += sub.nodeCount();
    if (!sub.inUse() || probed >= kMaxProbedSubGrids) continue;
    ++probed;
    probeSubGrid(grid, sub);
  }
  probePoint(grid, 0.0, 0.0);
  probePoint(grid, NAN, 0.0);
  probePoint(grid, 0.0, INFINITY);

  if (nodes <= kMaxEncodedNodes) {
    const GridImage image = gridImageFromFile(grid);
    (void)encodeBinaryGrid(image);
    (void)encodeBinaryGrid(image, BinaryLayout{true, false, false});
    (void)encodeAsciiGrid(image);
    std::string bytes;
    (void)encodeGtxGrid(image, bytes);
    (void)encodeGeoTiffGrid(image, bytes);
  }
}

}  // namespace velmora
