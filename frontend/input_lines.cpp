#include "frontend/input_lines.hpp"

#include <algorithm>

#include "common/number_text.hpp"
#include "frontend/coordinate_parser.hpp"
#include "frontend/text_fields.hpp"

namespace velmora {
namespace {

constexpr std::size_t kFieldsPerLine = 3;
constexpr std::size_t kPastLastField = kFieldsPerLine + 1;

Coordinates pointOf(std::string_view first, std::string_view second, double height, CoordType fromCoordType) {
  return Coordinates{parseCoordinate(fromCoordType, first), parseCoordinate(fromCoordType, second), height};
}

}  // namespace

LineFields splitInputLine(std::string_view line) {
  LineFields result;
  result.count = splitFields(line, ',', result.fields);
  for (std::string_view& field : result.fields) field = field.substr(0, kFieldReadLimitBytes);
  return result;
}

std::optional<Coordinates> pointOfLine(const LineFields& line, CoordType fromCoordType) {
  if (line.count < 2) return std::nullopt;
  const double height = line.count == kFieldsPerLine ? readDecimal(line.fields[2]) : 0.0;
  return pointOf(line.fields[0], line.fields[1], height, fromCoordType);
}

std::optional<Coordinates> positionalPoint(std::span<const std::string_view> positionals,
                                           CoordType fromCoordType) {
  if (positionals.size() < 2) return std::nullopt;
  const double height = positionals.size() >= kFieldsPerLine ? readDecimal(positionals[2]) : 0.0;
  return pointOf(positionals[0], positionals[1], height, fromCoordType);
}

LineReader::PendingLine::PendingLine() {
  for (std::string& field : fields_) field.reserve(kFieldReadLimitBytes);
}

void LineReader::PendingLine::append(std::string_view piece) {
  started_ = started_ || !piece.empty();
  while (!piece.empty()) {
    const std::size_t comma = piece.find(',');
    const std::string_view run = piece.substr(0, comma);
    if (!run.empty()) {
      if (!inField_) {
        inField_ = true;
        fieldsSeen_ = std::min(fieldsSeen_ + 1, kPastLastField);
      }
      if (fieldsSeen_ <= kFieldsPerLine) {
        std::string& field = fields_[fieldsSeen_ - 1];
        field.append(run.substr(0, kFieldReadLimitBytes - field.size()));
      }
    }
    if (comma == std::string_view::npos) break;
    inField_ = false;
    piece.remove_prefix(comma + 1);
  }
}

LineFields LineReader::PendingLine::finish(std::string& spill) {
  LineFields result;
  result.count = std::min(fieldsSeen_, kFieldsPerLine);
  // Views are taken once every field is in place, so a growing spill cannot leave one dangling.
  std::array<std::size_t, kFieldsPerLine> offsets{};
  for (std::size_t k = 0; k < result.count; ++k) {
    offsets[k] = spill.size();
    spill.append(fields_[k]);
  }
  for (std::size_t k = 0; k < result.count; ++k) {
    result.fields[k] = std::string_view(spill).substr(offsets[k], fields_[k].size());
  }
  for (std::string& field : fields_) field.clear();
  fieldsSeen_ = 0;
  inField_ = false;
  started_ = false;
  return result;
}

LineReader::LineReader(std::FILE* file) : file_(file) {}

ReadStatus LineReader::readBlock(InputBlock& block) {
  block.lines.clear();
  block.spill.clear();
  if (done_) return ReadStatus::kEnd;
  block.bytes.resize(kInputChunkBytes);
  for (;;) {
    const std::size_t got = std::fread(block.bytes.data(), 1, block.bytes.size(), file_);
    if (got == 0) {
      done_ = true;
      // A read error (a folder given as the file, a failing device) must not pass for the end.
      if (std::ferror(file_) != 0) {
        block.lines.clear();
        return ReadStatus::kError;
      }
      if (pending_.started()) block.lines.push_back(pending_.finish(block.spill));
      return block.lines.empty() ? ReadStatus::kEnd : ReadStatus::kLines;
    }
    std::string_view rest(block.bytes.data(), got);
    std::size_t newline = rest.find('\n');
    if (pending_.started()) {
      if (newline == std::string_view::npos) {
        pending_.append(rest);
        continue;
      }
      pending_.append(rest.substr(0, newline + 1));
      block.lines.push_back(pending_.finish(block.spill));
      rest.remove_prefix(newline + 1);
      newline = rest.find('\n');
    }
    while (newline != std::string_view::npos) {
      block.lines.push_back(splitInputLine(rest.substr(0, newline + 1)));  // newline included
      rest.remove_prefix(newline + 1);
      newline = rest.find('\n');
    }
    pending_.append(rest);
    if (!block.lines.empty()) return ReadStatus::kLines;
  }
}

}  // namespace velmora
