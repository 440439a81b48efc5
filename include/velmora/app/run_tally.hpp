// The counts of a run for --summary: lines read, points converted, failed and skipped, and how many
// points each method served, kept per block on the worker threads and added up in input order.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "velmora/app/run_warnings.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// The range of the height uncertainty that an uncertainty grid gave the points of a run.
struct UncertaintyRange {
  GridId grid = GridId::kAusGeoid2020Error;  // the uncertainty grid
  std::uint64_t points = 0;                  // the points it gave a value for
  double minimum = 0.0;                      // metres, when points > 0
  double maximum = 0.0;
};

struct MethodCount {
  std::string name;  // as --showMethod prints it
  std::uint64_t points = 0;
};

class RunTally {
 public:
  std::uint64_t read = 0;          // lines (or the one point of the arguments)
  std::uint64_t converted = 0;     // result lines with values
  std::uint64_t failed = 0;        // with --strict: result lines with empty fields
  std::uint64_t skipped = 0;       // without --strict: lines of fewer than two fields, no result line
  std::uint64_t withProblems = 0;  // without --strict: converted points that --strict would fail
  WarningTally warnings;           // without --strict: what --strict would fail, by kind

  // One more point served by the method of that name.
  void addMethod(std::string_view name);
  // The uncertainties a point's height surfaces gave, if any.
  void addHeight(const HeightReport& height);
  // Adds other's counts; methods keep the order in which they first served a point.
  void merge(const RunTally& other);
  void clear();

  const std::vector<MethodCount>& methods() const { return methods_; }
  // AUSGeoid2020's, then AGQG's.
  const std::array<UncertaintyRange, 2>& uncertainties() const { return uncertainties_; }

 private:
  // Names looked up by a string_view without making a string.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept {
      return std::hash<std::string_view>{}(name);
    }
  };

  MethodCount& method(std::string_view name);  // added with no point when new

  std::vector<MethodCount> methods_;  // in the order of their first point
  // The position in methods_ of each name: a point costs the same however many methods there are.
  std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> positions_;
  std::size_t lastMethod_ = 0;  // a run of points mostly keeps its method
  std::array<UncertaintyRange, 2> uncertainties_{
      {{GridId::kAusGeoid2020Error, 0, 0.0, 0.0}, {GridId::kAgqgUncertainty, 0, 0.0, 0.0}}};
};

// "error <code>: <the grid library's message>", as messages name a grid file that did not open.
std::string gridErrorText(GridError error);

// The grid folders of the converter's settings, absolute, in search order, joined by ", ".
std::string gridFolderList(const Converter& converter);

// The grid named no existing file: it was looked for in the grid folders and found in none.
bool gridFoundNowhere(const GridState& state);

// Writes the summary of a run to err, each line starting "velmora: ": the counts, the points of
// each method, the range of height uncertainty from each uncertainty grid that gave one, and when
// the run needed a grid, the grid folders searched (absolute, in order) and every grid file the run
// needed: opened, missing or refused (with the grid library's error code and message), by its
// absolute path.
// fromFile: the counts are of the lines of an input file, else of the point of the arguments.
// False when a line could not be written or err could not be flushed (the report was lost); no
// line is written twice.
bool writeSummary(const Converter& converter, const RunTally& tally, bool strict, bool fromFile,
                  std::FILE* err);

}  // namespace velmora
