#include "velmora/app/line_fields.hpp"

#include <algorithm>

#include "app/text_fields.hpp"
#include "common/number_text.hpp"
#include "velmora/app/coordinate_parser.hpp"

namespace velmora {
namespace {

constexpr std::size_t kPastLastField = kFieldsPerLine + 1;  // a fourth field is only counted

// Empty fields are skipped when a line is read, so a strict reading needs to know of them.
bool textHasEmptyField(std::string_view line) {
  const std::size_t end = line.find_last_not_of("\r\n");
  if (end == std::string_view::npos) return false;  // an empty line, not an empty field
  line = line.substr(0, end + 1);
  return line.front() == ',' || line.back() == ',' || line.find(",,") != std::string_view::npos;
}

}  // namespace

LineFields splitInputLine(std::string_view line) {
  std::array<std::string_view, kPastLastField> fields;
  const std::size_t count = splitFields(line, ',', fields);
  LineFields result;
  result.count = std::min(count, kFieldsPerLine);
  result.moreFields = count > kFieldsPerLine;
  result.text = line;
  for (std::size_t k = 0; k < kFieldsPerLine; ++k) {
    result.longField = result.longField || fields[k].size() > kFieldReadLimitBytes;
    result.fields[k] = fields[k].substr(0, kFieldReadLimitBytes);
  }
  return result;
}

bool hasEmptyField(const LineFields& line) {
  return line.text.empty() ? line.emptyField : textHasEmptyField(line.text);
}

bool hasLongField(const LineFields& line) {
  return line.longField;
}

std::optional<Coordinates> pointOfLine(const LineFields& line, CoordType fromCoordType) {
  if (line.count < 2) return std::nullopt;
  const double height = line.count == kFieldsPerLine ? readDecimal(line.fields[2]) : 0.0;
  return Coordinates{parseCoordinate(fromCoordType, line.fields[0]),
                     parseCoordinate(fromCoordType, line.fields[1]), height};
}

}  // namespace velmora
