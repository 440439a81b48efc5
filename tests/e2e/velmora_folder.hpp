// A temporary installation of the built velmora program: a folder holding a link to the binary and
// the grid files a case needs, and a separate working folder for input files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/grid_fixtures.hpp"
#include "tests/support/run_process.hpp"
#include "tests/support/temp_dir.hpp"

namespace velmora::testing {

// The binary under test, set by the build.
inline const std::string kVelmoraBinary = VELMORA_PATH;

class VelmoraFolder {
 public:
  // A symbolic link "velmora" to the binary, or a copy of it when copyBinary is set (a link would
  // make the running file, as the system reports it, lie in the build folder).
  explicit VelmoraFolder(bool copyBinary = false);

  // The program folder with its trailing "/", as the program prefixes grid file names with it.
  const std::string& programFolder() const { return program_.prefix(); }
  std::string programPath() const { return program_.filePath("velmora"); }
  const std::string& workFolder() const { return work_.path(); }

  // Writes a file beside the program (grid files) or in the working folder (input files).
  void writeBesideProgram(std::string_view name, std::string_view bytes) const {
    program_.writeFile(name, bytes);
  }
  void writeInWorkFolder(std::string_view name, std::string_view bytes) const {
    work_.writeFile(name, bytes);
  }
  void linkBesideProgram(std::string_view name, const std::filesystem::path& target) const;

  // Runs the program by its full path from the working folder; arguments exclude argv[0].
  ProcessResult run(const std::vector<std::string>& arguments, ProcessOptions options = {}) const;
  // The same with argv[0] given explicitly (a bare name as after a search-path lookup, or "./velmora").
  ProcessResult runAs(const std::string& argv0, const std::vector<std::string>& arguments,
                      ProcessOptions options = {}) const;

 private:
  TempDir program_;
  TempDir work_;
};

// The folder of the built binary with its trailing "/", symbolic links resolved: the program
// searches it after its own folder, since the link of a VelmoraFolder leads there.
std::string binaryFolder();

// The arguments of base followed by those of more.
std::vector<std::string> with(std::vector<std::string> base, const std::vector<std::string>& more);

// The area of the national grid fixtures: eastern Australia (Sydney inside, Perth outside), whole
// nodes every half degree.
inline constexpr DegreeArea kEasternArea{-40.0, -25.0, 140.0, 155.0, 0.5};
inline constexpr double kSecondsPerDegree = 3600.0;

// Result-line formats of the program, for expectations computed from the library.
std::string ddLine(double latitude, double longitude, double height);
std::string enLine(double easting, double northing, double height);

// NTv2 fixtures in arc-seconds over a rectangle of whole nodes (degrees, longitude east positive).
// Every node holds the same shifts: latitude north positive, longitude EAST positive, arc-seconds.
std::string constantShiftGrid(const DegreeArea& area, float latitudeShift, float longitudeShiftEast);

// Geoid file: node (row i from the south, column j from the west) holds base + perRow*i + perColumn*j
// metres in the latitude-shift field; with values exact in float, interpolation is exact too.
std::string planeGeoidGrid(const DegreeArea& area, float base, float perRow, float perColumn);

}  // namespace velmora::testing
