#include "tests/e2e/velmora_folder.hpp"

#include <cstdio>

#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::testing {
namespace {

template <typename... Args>
std::string formatLine(const char* format, Args... args) {
  char buffer[256];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, static_cast<std::size_t>(n));
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

std::string binaryFolder() {
  return std::filesystem::canonical(kVelmoraBinary).parent_path().string() + "/";
}

std::vector<std::string> with(std::vector<std::string> base, const std::vector<std::string>& more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

std::string ddLine(double latitude, double longitude, double height) {
  return formatLine("%.8lf,%.8lf,%.3lf\n", latitude, longitude, height);
}

std::string enLine(double easting, double northing, double height) {
  return formatLine("%.3lf,%.3lf,%.3lf\n", easting, northing, height);
}

std::string constantShiftGrid(const DegreeArea& area, float latitudeShift, float longitudeShiftEast) {
  return encodeBinaryGrid(degreeGrid(area, shiftPlanes({latitudeShift}, {longitudeShiftEast})));
}

std::string planeGeoidGrid(const DegreeArea& area, float base, float perRow, float perColumn) {
  return encodeBinaryGrid(degreeGrid(area, [base, perRow, perColumn](const DegreeNode& node) {
    return GridNode{
        base + perRow * static_cast<float>(node.row) + perColumn * static_cast<float>(node.columnFromWest),
        0.0F, 0.0F, 0.0F};
  }));
}

}  // namespace velmora::testing
