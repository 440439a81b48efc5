#include "velmora/app/run_warnings.hpp"

#include <pthread.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <vector>

namespace velmora {
namespace {

constexpr std::string_view kPrefix = "velmora: ";
constexpr std::string_view kWarningPrefix = "velmora: warning: ";

// What the summary says of each kind, by LineWarning in its order. Only kinds met more than once
// are summed up, so the texts are plural.
constexpr std::array<std::string_view, kLineWarningCount> kKindTexts{{
    "lines had fewer than two fields and gave no result line",
    "lines had an empty field",
    "lines had a field too long to read whole",
    "lines had a field that is not a number",
    "lines had a coordinate out of range",
    "lines had a minus sign with N or E",
    "lines had a hemisphere letter on the wrong coordinate",
    "lines had more than three fields",
    "lines had no height while heights are converted",
    "lines had fewer fields than --columns names",
    "lines had no height field",
    "lines had a double quote that does not close",
    "lines had no epoch that reads in the field of --epochColumn, and were converted at --epoch",
    "lines had no zone that reads in the field of --zoneColumn (converted in the run's zone), or a band "
    "of the other hemisphere",
    "points got only the approximate AGD shift",
    "points lie outside the area the transformations are made for",
    "points had no transformation and passed unchanged",
    "points lie outside the grid of --useGridShift",
    "points lie in the band outside a grid's edge",
    "points lie in the band outside the geoid's edge",
    "points lie outside the geoid, their heights converted without its separation",
    "points lie where the geoid holds no data, their heights converted without its separation",
    "points had no geoid file, their heights converted without its separation",
    "points lie more than 1 degree outside their zone",
}};

// A warning that cannot be written changes nothing: when the reader of standard error has gone, the
// write fails quietly instead of ending the run by SIGPIPE (standard output keeps the signal, so that
// "velmora ... | head" ends as it always did). The signal is held back for the write, and one the
// write raised is taken before it is let through again.
void writeText(std::string_view text, std::FILE* err) {
  if (text.empty()) return;
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  std::fwrite(text.data(), 1, text.size(), err);
  std::fflush(err);
  sigset_t pending;
  const timespec noWait{};
  if (sigismember(&previous, SIGPIPE) == 0 && sigpending(&pending) == 0 &&
      sigismember(&pending, SIGPIPE) == 1)
    sigtimedwait(&pipeSignal, nullptr, &noWait);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// The kinds that keep(kind) keeps, in the order of their first lines in tally.
template <typename Keep>
std::vector<LineWarning> kindsInLineOrder(const WarningTally& tally, Keep keep) {
  std::vector<LineWarning> kinds;
  for (std::size_t k = 0; k < kLineWarningCount; ++k) {
    if (keep(static_cast<LineWarning>(k))) kinds.push_back(static_cast<LineWarning>(k));
  }
  std::stable_sort(kinds.begin(), kinds.end(),
                   [&](LineWarning a, LineWarning b) { return tally[a].firstLine < tally[b].firstLine; });
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

bool hasNewWarnings(const WarningTally& run, const WarningTally& block) {
  if (block.empty()) return false;
  for (std::size_t k = 0; k < kLineWarningCount; ++k) {
    const LineWarning kind = static_cast<LineWarning>(k);
    if (block[kind].count > 0 && run[kind].count == 0) return true;
  }
  return false;
}

void writeNewWarnings(const WarningTally& run, const WarningTally& block, std::FILE* err) {
  if (block.empty()) return;
  const auto isNew = [&](LineWarning kind) { return block[kind].count > 0 && run[kind].count == 0; };
  for (const LineWarning kind : kindsInLineOrder(block, isNew)) writeText(block[kind].message, err);
}

void writeWarningSummary(const WarningTally& run, std::FILE* err) {
  if (run.empty()) return;
  for (const LineWarning kind :
       kindsInLineOrder(run, [&](LineWarning kind) { return run[kind].count > 1; })) {
    const WarningCount& entry = run[kind];
    std::string line(kWarningPrefix);
    line.append(std::to_string(entry.count))
        .append(" ")
        .append(kKindTexts[static_cast<std::size_t>(kind)])
        .append(" (first: ")
        .append(entry.place)
        .append("); --strict makes these errors\n");
    writeText(line, err);
  }
}

void writeWarning(std::string_view text, std::FILE* err) {
  writeText(std::string(kWarningPrefix).append(text).append("\n"), err);
}

}  // namespace velmora
