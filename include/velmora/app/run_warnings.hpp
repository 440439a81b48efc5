// The warnings of a run without --strict: each decision that --strict turns into an error is said on
// standard error instead, the run and its results going on as before. A file of a million lines with
// the same fault gives two lines, not a million: the first line of each kind is shown as it is met,
// and the end of the run counts each kind once, naming where it first occurred.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace velmora {

// The kinds of problem a line or its point can have, in the order the run's summary lists them when
// two first occur on the same line.
enum class LineWarning : std::uint8_t {
  kNoPoint,              // fewer than two fields: no result line
  kEmptyField,           // ",," or a comma at either end
  kLongField,            // a field longer than the bytes read of it
  kNotANumber,           // a coordinate or height that is no number (a header line, say)
  kOutOfRange,           // latitude beyond 90, longitude beyond 180, minutes or seconds from 60
  kMinusWithHemisphere,  // a minus sign with N or E
  kWrongHemisphere,      // N or S on a longitude, E or W on a latitude
  kExtraFields,          // more than three fields
  kMissingHeight,        // heights are converted and the line has none
  kTooFewFields,         // fewer fields than --columns names
  kMissingHeightField,   // no field where --columns puts the height
  kUnterminatedQuote,    // a field opens a double quote that never closes
  kEpochUnreadable,      // no epoch, or no epoch that reads, where --epochColumn puts it
  kZoneUnreadable,       // no zone that reads where --zoneColumn puts it, or a band of the other hemisphere
  kApproximate,          // only the approximate AGD shift applied
  kOutsideArea,          // outside the area the transformations are made for
  kNoTransformation,     // no transformation for the pair: unchanged
  kOutsideGrid,          // outside the grid of --useGridShift: the parameter set served
  kGridMargin,           // in the band outside a grid's edge where its shift fades
  kGeoidMargin,          // in the band outside the geoid's edge where its values fade
  kGeoidOutside,         // outside the geoid: the height unchanged
  kGeoidNoData,          // where the geoid holds no value: the height unchanged
  kGeoidMissing,         // the geoid file is not open: the height unchanged
  kZoneOutside,          // grid coordinates more than a degree outside their zone
};
inline constexpr std::size_t kLineWarningCount = static_cast<std::size_t>(LineWarning::kZoneOutside) + 1;

// How often one kind occurred, and its first occurrence.
struct WarningCount {
  std::uint64_t count = 0;
  std::uint64_t firstLine = 0;  // line number of the first occurrence (0: the point of the arguments)
  std::string message;          // its warning as shown, with the newline
  std::string place;            // "pts.csv line 1, field 1 'id'", for the summary
};

// The warnings of a block of lines, or of a whole run when blocks are merged in input order.
class WarningTally {
 public:
  // Counts one more of kind on lineNumber. Returns the entry to fill with message and place when
  // this is the first of its kind here, else nullptr: the text of a repeat is never built.
  WarningCount* note(LineWarning kind, std::uint64_t lineNumber);

  // Adds other's counts; a kind first met in other keeps other's first occurrence. Merging in input
  // order keeps the first of the run.
  void merge(const WarningTally& other);

  bool empty() const { return !any_; }
  const WarningCount& operator[](LineWarning kind) const { return counts_[static_cast<std::size_t>(kind)]; }

 private:
  std::array<WarningCount, kLineWarningCount> counts_{};
  bool any_ = false;
};

// "velmora: warning: " and text from "velmora: <text>", a message as --strict words it.
std::string warningOf(std::string_view strictMessage);

// Whether block holds a kind that run (everything before block) does not.
bool hasNewWarnings(const WarningTally& run, const WarningTally& block);

// Writes to err the first message of each kind that block holds and run does not, in line order. A
// failure to write is no failure of the run.
void writeNewWarnings(const WarningTally& run, const WarningTally& block, std::FILE* err);

// Writes one line per kind the run met more than once, with its count and first place, in the
// order first met: "velmora: warning: 3 lines had a field that is not a number (first: pts.csv line
// 1, field 1 'id'); --strict makes these errors". A kind met once was said whole when it was met.
void writeWarningSummary(const WarningTally& run, std::FILE* err);

// "velmora: warning: <text>\n" on err, for a problem of the options.
void writeWarning(std::string_view text, std::FILE* err);

}  // namespace velmora
