#include "tests/e2e/velmora_folder.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "gridfile/grid_writer.hpp"

namespace velmora::testing {
namespace {

constexpr double kSecondsPerDegree = 3600.0;

template <typename... Args>
std::string formatLine(const char* format, Args... args) {
  char buffer[256];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, static_cast<std::size_t>(n));
}

SubGridImage subGridOver(const GridArea& area) {
  SubGridImage sub;
  sub.name = "AREA";
  sub.sLat = area.south * kSecondsPerDegree;
  sub.nLat = area.north * kSecondsPerDegree;
  sub.eLong = -area.east * kSecondsPerDegree;  // NTv2 longitudes are positive west
  sub.wLong = -area.west * kSecondsPerDegree;
  sub.latInc = area.spacing * kSecondsPerDegree;
  sub.longInc = area.spacing * kSecondsPerDegree;
  return sub;
}

int nodeCount(double from, double to, double spacing) {
  return static_cast<int>(std::lround((to - from) / spacing)) + 1;
}

}  // namespace

VelmoraFolder::VelmoraFolder(bool copyBinary) {
  const std::string target = programPath();
  if (copyBinary) {
    std::filesystem::copy_file(kVelmoraBinary, target);
  } else {
    std::filesystem::create_symlink(std::filesystem::absolute(kVelmoraBinary), target);
  }
}

void VelmoraFolder::linkBesideProgram(std::string_view name, const std::filesystem::path& target) const {
  std::filesystem::create_symlink(target, program_.filePath(name));
}

ProcessResult VelmoraFolder::run(const std::vector<std::string>& arguments, ProcessOptions options) const {
  return runAs(programPath(), arguments, std::move(options));
}

ProcessResult VelmoraFolder::runAs(const std::string& argv0, const std::vector<std::string>& arguments,
                                   ProcessOptions options) const {
  if (options.workingDirectory.empty()) options.workingDirectory = work_.path();
  std::vector<std::string> argv{argv0};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProcess(programPath(), argv, options);
}

std::string ddLine(double latitude, double longitude, double height) {
  return formatLine("%.8lf,%.8lf,%.3lf\n", latitude, longitude, height);
}

std::string enLine(double easting, double northing, double height) {
  return formatLine("%.3lf,%.3lf,%.3lf\n", easting, northing, height);
}

std::string constantShiftGrid(const GridArea& area, float latitudeShift, float longitudeShiftEast) {
  GridImage image;
  SubGridImage sub = subGridOver(area);
  const int rows = nodeCount(area.south, area.north, area.spacing);
  const int columns = nodeCount(area.west, area.east, area.spacing);
  sub.nodes.assign(static_cast<std::size_t>(rows) * columns,
                   GridNode{latitudeShift, -longitudeShiftEast, 0.0F, 0.0F});
  image.subGrids.push_back(std::move(sub));
  return encodeBinaryGrid(image);
}

std::string planeGeoidGrid(const GridArea& area, float base, float perRow, float perColumn) {
  GridImage image;
  SubGridImage sub = subGridOver(area);
  const int rows = nodeCount(area.south, area.north, area.spacing);
  const int columns = nodeCount(area.west, area.east, area.spacing);
  for (int i = 0; i < rows; ++i) {
    // Each row runs from east to west in the file.
    for (int c = 0; c < columns; ++c) {
      const int j = columns - 1 - c;  // column counted from the west
      sub.nodes.push_back(GridNode{base + perRow * static_cast<float>(i) + perColumn * static_cast<float>(j),
                                   0.0F, 0.0F, 0.0F});
    }
  }
  image.subGrids.push_back(std::move(sub));
  return encodeBinaryGrid(image);
}

}  // namespace velmora::testing
