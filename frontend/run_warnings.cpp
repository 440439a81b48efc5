#include "frontend/run_warnings.hpp"

#include <algorithm>
#include <vector>

namespace velmora {
namespace {

constexpr std::string_view kPrefix = "velmora: ";
constexpr std::string_view kWarningPrefix = "velmora: warning: ";

// What the summary says of each kind, for one and for several.
struct KindText {
  std::string_view one;
  std::string_view many;
};

// By LineWarning, in its order.
constexpr std::array<KindText, kLineWarningCount> kKindTexts{{
    {"line had fewer than two fields and gave no result line", "lines had fewer than two fields and gave no result line"},
    {"line had an empty field", "lines had an empty field"},
    {"line had a field too long to read whole", "lines had a field too long to read whole"},
    {"line had a field that is not a number", "lines had a field that is not a number"},
    {"line had a coordinate out of range", "lines had a coordinate out of range"},
    {"line had a minus sign with N or E", "lines had a minus sign with N or E"},
    {"line had a hemisphere letter on the wrong coordinate",
     "lines had a hemisphere letter on the wrong coordinate"},
    {"line had more than three fields", "lines had more than three fields"},
    {"line had no height while heights are converted", "lines had no height while heights are converted"},
    {"line had fewer fields than --columns names", "lines had fewer fields than --columns names"},
    {"line had no height field", "lines had no height field"},
    {"line had a double quote that does not close", "lines had a double quote that does not close"},
    {"point got only the approximate AGD shift", "points got only the approximate AGD shift"},
    {"point lies outside the area the transformations are made for",
     "points lie outside the area the transformations are made for"},
    {"point had no transformation and passed unchanged", "points had no transformation and passed unchanged"},
    {"point lies outside the grid of --useGridShift", "points lie outside the grid of --useGridShift"},
    {"point lies in the band outside a grid's edge", "points lie in the band outside a grid's edge"},
    {"point lies in the band outside the geoid's edge", "points lie in the band outside the geoid's edge"},
    {"point lies outside the geoid, its height unchanged", "points lie outside the geoid, their heights unchanged"},
    {"point lies where the geoid holds no data, its height unchanged",
     "points lie where the geoid holds no data, their heights unchanged"},
    {"point had no geoid file, its height unchanged", "points had no geoid file, their heights unchanged"},
    {"point lies more than 1 degree outside its zone", "points lie more than 1 degree outside their zone"},
}};

void writeText(std::string_view text, std::FILE* err) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), err);
}

// The kinds with an occurrence, in the order of their first lines.
template <typename Keep>
std::vector<std::size_t> kindsInLineOrder(const std::array<const WarningCount*, kLineWarningCount>& counts,
                                          Keep keep) {
  std::vector<std::size_t> kinds;
  for (std::size_t k = 0; k < kLineWarningCount; ++k) {
    if (keep(k)) kinds.push_back(k);
  }
  std::stable_sort(kinds.begin(), kinds.end(),
                   [&](std::size_t a, std::size_t b) { return counts[a]->firstLine < counts[b]->firstLine; });
  return kinds;
}

}  // namespace

WarningCount* WarningTally::note(LineWarning kind, std::uint64_t lineNumber) {
  WarningCount& entry = counts_[static_cast<std::size_t>(kind)];
  any_ = true;
  if (entry.count++ > 0) return nullptr;
  entry.firstLine = lineNumber;
  return &entry;
}

void WarningTally::merge(const WarningTally& other) {
  if (!other.any_) return;
  any_ = true;
  for (std::size_t k = 0; k < kLineWarningCount; ++k) {
    WarningCount& mine = counts_[k];
    const WarningCount& theirs = other.counts_[k];
    if (theirs.count == 0) continue;
    if (mine.count == 0) {
      mine.firstLine = theirs.firstLine;
      mine.message = theirs.message;
      mine.place = theirs.place;
    }
    mine.count += theirs.count;
  }
}

std::string warningOf(std::string_view strictMessage) {
  if (strictMessage.starts_with(kPrefix)) strictMessage.remove_prefix(kPrefix.size());
  return std::string(kWarningPrefix).append(strictMessage);
}

void writeNewWarnings(const WarningTally& run, const WarningTally& block, std::FILE* err) {
  if (block.empty()) return;
  std::array<const WarningCount*, kLineWarningCount> counts{};
  for (std::size_t k = 0; k < kLineWarningCount; ++k) counts[k] = &block[static_cast<LineWarning>(k)];
  const auto isNew = [&](std::size_t k) {
    return counts[k]->count > 0 && run[static_cast<LineWarning>(k)].count == 0;
  };
  for (const std::size_t k : kindsInLineOrder(counts, isNew)) writeText(counts[k]->message, err);
}

void writeWarningSummary(const WarningTally& run, std::FILE* err) {
  if (run.empty()) return;
  std::array<const WarningCount*, kLineWarningCount> counts{};
  for (std::size_t k = 0; k < kLineWarningCount; ++k) counts[k] = &run[static_cast<LineWarning>(k)];
  for (const std::size_t k : kindsInLineOrder(counts, [&](std::size_t k) { return counts[k]->count > 0; })) {
    const WarningCount& entry = *counts[k];
    std::string line(kWarningPrefix);
    line.append(std::to_string(entry.count))
        .append(" ")
        .append(entry.count == 1 ? kKindTexts[k].one : kKindTexts[k].many)
        .append(" (first: ")
        .append(entry.place)
        .append(entry.count == 1 ? "); --strict makes this an error\n" : "); --strict makes these errors\n");
    writeText(line, err);
  }
}

void writeWarning(std::string_view text, std::FILE* err) {
  writeText(std::string(kWarningPrefix).append(text).append("\n"), err);
}

}  // namespace velmora
