#include "velmora/app/run_tally.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "velmora/app/method_name.hpp"
#include "velmora/app/program_folder.hpp"
#include "velmora/app/result_line.hpp"

namespace velmora {

MethodCount& RunTally::method(std::string_view name) {
  if (lastMethod_ < methods_.size() && methods_[lastMethod_].name == name) return methods_[lastMethod_];
  if (const auto found = positions_.find(name); found != positions_.end()) {
    lastMethod_ = found->second;
    return methods_[lastMethod_];
  }
  lastMethod_ = methods_.size();
  positions_.emplace(std::string(name), lastMethod_);
  return methods_.emplace_back(MethodCount{std::string(name), 0});
}

void RunTally::addMethod(std::string_view name) {
  ++method(name).points;
}

namespace {

void addToRange(UncertaintyRange& range, std::uint64_t points, double minimum, double maximum) {
  if (points == 0) return;
  range.minimum = range.points == 0 ? minimum : std::min(range.minimum, minimum);
  range.maximum = range.points == 0 ? maximum : std::max(range.maximum, maximum);
  range.points += points;
}

}  // namespace

void RunTally::addHeight(const HeightReport& height) {
  for (const HeightLookup* lookup : {static_cast<const HeightLookup*>(&height), &height.second}) {
    if (!lookup->uncertainty) continue;
    UncertaintyRange& range = uncertainties_[lookup->geoid == GridId::kAgqg ? 1 : 0];
    addToRange(range, 1, *lookup->uncertainty, *lookup->uncertainty);
  }
}

void RunTally::merge(const RunTally& other) {
  read += other.read;
  converted += other.converted;
  failed += other.failed;
  skipped += other.skipped;
  withProblems += other.withProblems;
  warnings.merge(other.warnings);
  for (const MethodCount& counted : other.methods_) method(counted.name).points += counted.points;
  for (std::size_t k = 0; k < uncertainties_.size(); ++k) {
    const UncertaintyRange& theirs = other.uncertainties_[k];
    addToRange(uncertainties_[k], theirs.points, theirs.minimum, theirs.maximum);
  }
}

void RunTally::clear() {
  *this = RunTally{};
}

namespace {

// Metres to the millimetre, as heights are written.
std::string metres(double value) {
  std::string text;
  appendFixed(text, value, kMetreDecimals);
  return text;
}

std::string plural(std::uint64_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// The lines of a report on err, each starting "velmora: ", written once each; remembers whether
// one was lost.
class ReportLines {
 public:
  explicit ReportLines(std::FILE* err) : err_(err) {}

  void add(const std::string& line) {
    const std::string text = "velmora: " + line + "\n";
    if (std::fwrite(text.data(), 1, text.size(), err_) != text.size()) lost_ = true;
  }

  // Flushes err (a buffered one holds the report until then): true when every line reached it.
  bool delivered() { return std::fflush(err_) == 0 && !lost_; }

 private:
  std::FILE* err_;
  bool lost_ = false;
};

}  // namespace

bool writeSummary(const Converter& converter, const RunTally& tally, bool strict, bool fromFile,
                  std::FILE* err) {
  const std::string read = fromFile ? plural(tally.read, "line read: ", "lines read: ")
                                    : plural(tally.read, "point read: ", "points read: ");
  ReportLines report(err);
  report.add(read + plural(tally.converted, "point", "points") + " converted, " +
             std::to_string(tally.failed) + " failed, " + std::to_string(tally.skipped) + " skipped");
  if (!strict && tally.withProblems > 0) {
    report.add(plural(tally.withProblems, "converted point has", "converted points have") +
               " a problem that --strict reports");
  }
  for (const MethodCount& method : tally.methods()) {
    report.add(plural(method.points, "point: ", "points: ") + method.name);
  }
  for (const UncertaintyRange& range : tally.uncertainties()) {
    if (range.points == 0) continue;
    report.add("height uncertainty from " + std::string(gridBaseName(converter, range.grid)) + ": " +
               metres(range.minimum) + " to " + metres(range.maximum) + " m over " +
               plural(range.points, "point", "points"));
  }
  // An optional grid (see GridState) is listed when it opened: a missing one was never at fault.
  const auto listed = [&](const GridState& state) {
    return state.needed || (state.optional && isOpen(state));
  };
  const auto slotListed = [&](GridId id) {
    const std::span<const GridState> states = converter.gridStates(id);
    return std::any_of(states.begin(), states.end(), listed);
  };
  const bool neededGrid = std::any_of(kGridIds.begin(), kGridIds.end(), slotListed);
  if (neededGrid) report.add("grid folders searched: " + gridFolderList(converter));
  for (const GridId id : kGridIds) {
    for (const GridState& state : converter.gridStates(id)) {
      if (!listed(state)) continue;
      const std::string path = absolutePath(state.path);
      if (isOpen(state)) {
        report.add("opened " + path);
        continue;
      }
      std::error_code error;
      const bool exists = std::filesystem::exists(state.path, error);
      report.add(std::string(exists ? "refused " : "missing ") + path + ": " + gridErrorText(state.error));
    }
  }
  return report.delivered();
}

std::string gridErrorText(GridError error) {
  const char* message = gridErrorMessage(error);
  return "error " + std::to_string(error) + ": " + (message != nullptr ? message : "unknown error");
}

std::string gridFolderList(const Converter& converter) {
  std::string folders;
  for (const std::string& folder : converter.settings().gridFolders) {
    folders.append(folders.empty() ? "" : ", ").append(absolutePath(folder.empty() ? "./" : folder));
  }
  return folders;
}

bool gridFoundNowhere(const GridState& state) {
  std::error_code error;
  return state.searched && !isOpen(state) && !std::filesystem::exists(state.path, error);
}

}  // namespace velmora
