// The text NTv2 form: the records of the binary form one per line, key first and value second,
// then one line per node: latitude shift, longitude shift (positive WEST) and optionally the two
// accuracies (latitude, then longitude), in the file's unit and in node order. "#" starts a
// comment; blank lines and carriage returns are ignored. Numbers always use "." as decimal point,
// whatever the locale. The counts are int32 fields in the binary form, so their text is a plain
// whole number: "1e9" is no count (read as atoi would, it gave 1).
//
// Physical lines are read whole up to kMaxGridTextLineBytes, so a long comment never spills into a
// record; a longer line ends the read with 323 as soon as the limit is passed. No valid file comes
// near it, and a file without newlines (or a device) is never gathered into memory.

#include "gridfile/ascii_reader.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "common/ascii_text.hpp"
#include "common/number_text.hpp"
#include "gridfile/grid_builder.hpp"
#include "gridfile/grid_keys.hpp"
#include "gridfile/sub_file_header.hpp"

namespace velmora {

namespace {

constexpr std::size_t kReadBlockBytes = 65536;
constexpr int kHeaderLineFields = 2;  // key and value
constexpr int kNodeLineFields = 4;    // two shifts and optionally two accuracies
constexpr int kEndLineFields = 1;
constexpr std::size_t kMaxFields = 4;
constexpr std::size_t kFirstNodeReserve = 65536;  // nodes; then doubled as lines arrive
constexpr std::string_view kEndLine = "END";

// Logical lines of a file read in large blocks: comment removed, white space trimmed, empty
// lines skipped. Memory stays one block and one line of at most kMaxGridTextLineBytes.
class LineReader {
 public:
  explicit LineReader(std::FILE* file) : file_(file), block_(kReadBlockBytes) {}

  // Bytes consumed so far: the file position just after the last line returned.
  std::int64_t position() const { return position_; }

  // The next non-empty logical line, valid until the next call; false at the end of the file and
  // at a physical line longer than kMaxGridTextLineBytes, which lineTooLong() then tells.
  bool next(std::string_view& line) {
    std::string_view physical;
    while (nextPhysical(physical)) {
      if (const std::size_t hash = physical.find('#'); hash != std::string_view::npos) {
        physical = physical.substr(0, hash);
      }
      line = trim(physical);
      if (!line.empty()) return true;
    }
    return false;
  }

  bool lineTooLong() const { return lineTooLong_; }

  static std::string_view trim(std::string_view text) {
    while (!text.empty() && isAsciiSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back())) text.remove_suffix(1);
    return text;
  }

 private:
  bool refill() {
    begin_ = 0;
    end_ = std::fread(block_.data(), 1, block_.size(), file_);
    return end_ > 0;
  }

  bool nextPhysical(std::string_view& line) {
    // The read has failed at a long line: no line after it.
    if (lineTooLong_) return false;
    bool partial = false;  // the line began in an earlier block and is gathered in pending_
    for (;;) {
      if (begin_ == end_ && !refill()) {
        if (!partial) return false;
        line = pending_;
        return true;
      }
      const char* start = block_.data() + begin_;
      const std::size_t available = end_ - begin_;
      const void* newline = std::memchr(start, '\n', available);
      if (newline != nullptr) {
        const auto length = static_cast<std::size_t>(static_cast<const char*>(newline) - start);
        if ((partial ? pending_.size() : 0) + length > kMaxGridTextLineBytes) return refuseLongLine();
        begin_ += length + 1;
        position_ += static_cast<std::int64_t>(length + 1);
        if (partial) {
          pending_.append(start, length);
          line = pending_;
        } else {
          line = std::string_view(start, length);
        }
        return true;
      }
      if (!partial) pending_.clear();
      // Checked before the copy: what is kept never exceeds the limit, however long the line.
      if (pending_.size() + available > kMaxGridTextLineBytes) return refuseLongLine();
      pending_.append(start, available);
      partial = true;
      begin_ = end_;
      position_ += static_cast<std::int64_t>(available);
    }
  }

  bool refuseLongLine() {
    lineTooLong_ = true;
    return false;
  }

  std::FILE* file_;
  std::vector<char> block_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::string pending_;
  std::int64_t position_ = 0;
  bool lineTooLong_ = false;
};

struct LineFields {
  std::array<std::string_view, kMaxFields> values{};  // fields beyond count are empty
  int count = 0;
};

bool isQuote(char c) {
  return c == '"' || c == '\'';
}

// Splits a trimmed logical line into at most limit fields (1 to kMaxFields). Runs of white space
// separate fields except inside double quotes; the last field takes the rest of the line. A
// field enclosed in a pair of the same quote character loses the quotes.
LineFields splitFields(std::string_view line, int limit) {
  LineFields fields;
  std::size_t pos = 0;
  while (fields.count < limit) {
    while (pos < line.size() && isAsciiSpace(line[pos])) ++pos;
    if (pos >= line.size()) break;
    std::string_view field;
    if (fields.count == limit - 1) {
      field = line.substr(pos);
      pos = line.size();
    } else {
      const std::size_t start = pos;
      bool quoted = false;
      while (pos < line.size() && (quoted || !isAsciiSpace(line[pos]))) {
        if (line[pos] == '"') quoted = !quoted;
        ++pos;
      }
      field = line.substr(start, pos - start);
    }
    field = LineReader::trim(field);
    if (field.size() >= 2 && isQuote(field.front()) && field.back() == field.front()) {
      field = LineReader::trim(field.substr(1, field.size() - 2));
    }
    fields.values[static_cast<std::size_t>(fields.count)] = field;
    ++fields.count;
  }
  return fields;
}

// Narrowing to float32, rounding to nearest as the hardware does, with values beyond the float
// range made infinite explicitly rather than by an out-of-range conversion.
float toFloat32(double value) {
  // FLT_MAX plus half of its last-place unit: from here on the nearest float is the infinity.
  constexpr double kRoundsToInfinity = static_cast<double>(std::numeric_limits<float>::max()) + 0x1p103;
  if (std::fabs(value) >= kRoundsToInfinity) {
    return value > 0.0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

// Room for one more node (two floats) in values. GS_COUNT is only a claim until its lines are
// read, so the capacity doubles with the nodes actually read, never past nodeCount: memory
// follows the file, and a complete sub-grid ends with exactly its nodes reserved.
void roomForNode(std::vector<float>& values, std::uint32_t nodeCount) {
  if (values.size() < values.capacity()) return;
  const std::size_t nodesHeld = values.size() / 2;
  values.reserve(std::min<std::size_t>(nodeCount, std::max(kFirstNodeReserve, nodesHeld * 2)) * 2);
}

// A text value in an 8-character field: its first 8 characters, blank-padded.
std::string textField(std::string_view value) {
  std::string field(value.substr(0, 8));
  field.resize(8, ' ');
  return field;
}

class AsciiGridReader {
 public:
  explicit AsciiGridReader(GridFile& grid)
      : grid_(grid), fields_(GridFileBuilder::fields(grid)), in_(GridFileBuilder::file(grid)) {}

  GridError read() {
    if (const GridError error = readOverview(); error != kGridOk) return error;

    // Sub-grids are added as their headers arrive, nothing reserved for them: NUM_FILE may claim
    // two billion, and a record in memory is many times the few bytes its lines take in a file.
    for (int i = 0; i < fields_.subGridCount; ++i) {
      if (const GridError error = readSubFile(i); error != kGridOk) return error;
    }

    std::string_view line;
    const bool more = in_.next(line);
    if (in_.lineTooLong()) return kGridInvalidLine;
    if (!more || !gridNamesEqual(splitFields(line, kEndLineFields).values[0], kEndLine)) {
      fields_.defects |= kDefectNoEndRecord;
    }
    return checkGridHierarchy(grid_);
  }

 private:
  // The code of a read that found no line: the line was too long, or the file ended.
  GridError noLine() const { return in_.lineTooLong() ? kGridInvalidLine : kGridUnexpectedEof; }

  // The value of the next header line; false when no line is left (noLine() tells why).
  bool nextValue(std::string_view& value) {
    std::string_view line;
    if (!in_.next(line)) return false;
    value = splitFields(line, kHeaderLineFields).values[1];
    return true;
  }

  bool nextText(std::string& value) {
    std::string_view text;
    if (!nextValue(text)) return false;
    value = textField(text);
    return true;
  }

  bool nextReal(double& value) {
    std::string_view text;
    if (!nextValue(text)) return false;
    value = readDecimal(text);
    return true;
  }

  // The next header value as a count: a plain whole number (sign and digits, "1e9", "11.5" and
  // "eleven" are none) within the int32 range of the binary form's field; invalid otherwise, and
  // noLine() when no line is left.
  GridError nextCount(std::int32_t& value, GridError invalid) {
    std::string_view text;
    if (!nextValue(text)) return noLine();
    const std::optional<long long> number = readExactInteger(text);
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max()) {
      return invalid;
    }
    value = static_cast<std::int32_t>(*number);
    return kGridOk;
  }

  GridError readOverview() {
    std::int32_t value = 0;
    if (const GridError error = nextCount(value, kGridInvalidNumORec); error != kGridOk) return error;
    if (value != kRecordsPerHeader) return kGridInvalidNumORec;
    if (const GridError error = nextCount(value, kGridInvalidNumSRec); error != kGridOk) return error;
    if (value != kRecordsPerHeader) return kGridInvalidNumSRec;
    if (const GridError error = nextCount(value, kGridInvalidNumFile); error != kGridOk) return error;
    if (value <= 0) return kGridInvalidNumFile;
    fields_.subGridCount = value;

    std::string gsType;
    GridOverview& overview = fields_.overview;
    const bool whole = nextText(gsType) && nextText(overview.version) && nextText(overview.systemF) &&
                       nextText(overview.systemT) && nextReal(overview.majorF) && nextReal(overview.minorF) &&
                       nextReal(overview.majorT) && nextReal(overview.minorT);
    if (!whole) return noLine();

    const std::string normalised = normaliseGridKey(gsType, KeyMode::kType, fields_.defects);
    fields_.gsType = normalised;
    if (!setGridUnit(grid_, normalised)) return kGridInvalidGsType;
    return kGridOk;
  }

  GridError readSubFile(int index) {
    SubFileHeader header;
    const bool whole = nextText(header.name) && nextText(header.parent) && nextText(header.created) &&
                       nextText(header.updated) && nextReal(header.sLat) && nextReal(header.nLat) &&
                       nextReal(header.eLong) && nextReal(header.wLong) && nextReal(header.latInc) &&
                       nextReal(header.longInc);
    if (!whole) return noLine();
    if (const GridError error = nextCount(header.gsCount, kGridInvalidGsCount); error != kGridOk)
      return error;

    SubGrid& entry = fields_.subGrids.emplace_back();
    if (const GridError error =
            subGridFromHeader(header, fields_.toDegrees, index, in_.position(), fields_.defects, entry);
        error != kGridOk) {
      return error;
    }
    SubGridFields& subGrid = GridFileBuilder::fields(entry);

    // Accuracies are kept from the first line that carries them: a sub-grid whose lines all hold
    // two values has none, and in one that mixes the two forms a line without them reads as 0.
    std::vector<float>& accuracies = subGrid.accuracies;
    std::string_view line;
    for (std::uint32_t n = 0; n < subGrid.nodeCount; ++n) {
      if (!in_.next(line)) return noLine();
      const LineFields fields = splitFields(line, kNodeLineFields);
      if (fields.count != 2 && fields.count != 4) return kGridInvalidLine;
      const double latShift = readDecimal(fields.values[0]);
      const double lonShift = readDecimal(fields.values[1]);
      roomForNode(subGrid.shifts, subGrid.nodeCount);
      subGrid.shifts.push_back(toFloat32(lonShift));
      subGrid.shifts.push_back(toFloat32(latShift));
      const bool withAccuracies = fields.count == 4;
      if (withAccuracies && accuracies.empty()) {
        accuracies.resize(subGrid.shifts.size() - 2, 0.0F);  // the nodes before this line
      }
      if (withAccuracies || !accuracies.empty()) {
        roomForNode(accuracies, subGrid.nodeCount);
        // Longitude accuracy first, as the shifts and the binary reader have it.
        accuracies.push_back(withAccuracies ? toFloat32(readDecimal(fields.values[3])) : 0.0F);
        accuracies.push_back(withAccuracies ? toFloat32(readDecimal(fields.values[2])) : 0.0F);
      }
    }
    return kGridOk;
  }

  GridFile& grid_;
  GridFileFields& fields_;
  LineReader in_;
};

}  // namespace

std::unique_ptr<GridFile> openAsciiGridFile(std::string_view fileName, GridError& error) {
  std::unique_ptr<GridFile> grid = createGridFile(fileName, error);
  if (!grid) return nullptr;
  GridFileBuilder::fields(*grid).form = GridForm::kText;
  AsciiGridReader reader(*grid);
  error = reader.read();
  if (error != kGridOk) return nullptr;
  return grid;  // the file stays open, attached to the grid, until it is closed
}

}  // namespace velmora
