// The fields of one line of points: first coordinate, second coordinate, optional height, the
// fields being the non-empty runs between commas, each read only as far as a number can reach.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "velmora/converter.hpp"

namespace velmora {

// The fields of a line that are read: two coordinates and a height.
inline constexpr std::size_t kFieldsPerLine = 3;

// Bytes of a field that are read: every number fits many times over. The rest of a longer field is
// skipped without being stored.
inline constexpr std::size_t kFieldReadLimitBytes = 4096;

// The first three fields of a line; the last field found keeps the line's newline when it reaches it.
struct LineFields {
  std::array<std::string_view, 3> fields{};
  std::size_t count = 0;    // fields found, at most 3
  bool moreFields = false;  // a fourth field follows the third
  std::string_view text;    // the whole line, when it lay within one read of the file
  // For a line without text (it continued past a read): what hasEmptyField and hasLongField tell.
  bool emptyField = false;
  bool longField = false;
};

// What a strict reading needs besides the fields, worked out only when asked for: the line starts or
// ends with a comma (its line ending aside) or holds ",,"; one of its first three fields is longer
// than kFieldReadLimitBytes.
bool hasEmptyField(const LineFields& line);
bool hasLongField(const LineFields& line);

// Fields of one whole line (with its ending newline, if it had one), each cut to kFieldReadLimitBytes.
LineFields splitInputLine(std::string_view line);

// The point of a line: first and second coordinate by the source coordinate type, the height read
// as a decimal number (0.0 when absent). Nothing when the line has fewer than two fields.
std::optional<Coordinates> pointOfLine(const LineFields& line, CoordType fromCoordType);

}  // namespace velmora
