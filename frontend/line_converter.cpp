// One line (or the point of the arguments) from its text to its result line: read, checked,
// converted, written and counted.
#include "frontend/line_converter.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "common/number_text.hpp"
#include "frontend/angle_format.hpp"
#include "frontend/coordinate_parser.hpp"
#include "frontend/method_name.hpp"
#include "frontend/point_problem.hpp"
#include "frontend/result_line.hpp"

namespace velmora {
namespace {

constexpr std::string_view kMissingFileMessage = " does not exist\n";

// Scratch of the result formatting, kept across points so that formatting allocates nothing.
struct LineFormatter {
  ResultLine line{};
  std::string latitudeText;
  std::string longitudeText;
  std::string method;
};

// Inside, the results are latitude first for geographic coordinates, as they were given.
std::string_view formatResult(CoordType toCoordType, const Coordinates& c, LineFormatter& f) {
  switch (toCoordType) {
    case CoordType::kEn:
      return enResultLine(c.first, c.second, c.height, f.line);
    case CoordType::kDms:
      formatDms(c.first, true, f.latitudeText);
      formatDms(c.second, false, f.longitudeText);
      return angleResultLine(f.latitudeText, f.longitudeText, c.height, f.line);
    case CoordType::kDm:
      formatDm(c.first, true, f.latitudeText);
      formatDm(c.second, false, f.longitudeText);
      return angleResultLine(f.latitudeText, f.longitudeText, c.height, f.line);
    default:
      return ddResultLine(c.first, c.second, c.height, f.line);
  }
}

void appendGeoidMessage(const Converter& converter, const ConversionResult& result, BlockOutput& output) {
  if (result.height.geoidStatus == GeoidStatus::kFileMissing) {
    output.messages.append(converter.gridState(result.height.geoid).path).append(kMissingFileMessage);
  }
}

// Where a line came from, for messages: a line of the input file, or the positional arguments.
struct LinePlace {
  bool arguments = false;
  std::uint64_t lineNumber = 0;
};

constexpr std::size_t kQuotedFieldBytes = 40;  // longer field texts are cut in messages

// A field's text in a message: without its line ending, cut short, control bytes shown as '?'.
void appendQuoted(std::string_view text, std::string& out) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  out.push_back('\'');
  for (const char c : text.substr(0, kQuotedFieldBytes)) {
    out.push_back(static_cast<unsigned char>(c) < ' ' || c == 0x7f ? '?' : c);
  }
  if (text.size() > kQuotedFieldBytes) out.append("...");
  out.push_back('\'');
}

// Checks, converts, writes and counts the lines of one block (or the arguments) on one thread.
class LineConverter {
 public:
  LineConverter(const Converter& converter, const PointOptions& options)
      : converter_(converter),
        options_(options),
        fromCoordType_(converter.settings().fromCoordType),
        toCoordType_(converter.settings().toCoordType),
        grid_(fromCoordType_ == CoordType::kEn),
        convertsHeights_(converter.settings().fromHeightType != HeightType::kNone &&
                         converter.settings().toHeightType != HeightType::kNone) {}

  void convert(const LineFields& line, LinePlace place, BlockOutput& output) {
    if (!options_.strict && !options_.tally) {
      if (const std::optional<Coordinates> point = pointOfLine(line, fromCoordType_)) write(*point, output);
      return;
    }
    convertChecked(line, place, output);
  }

 private:
  void write(const Coordinates& point, BlockOutput& output) {
    const ConversionResult result = converter_.transformPoint(point);
    appendGeoidMessage(converter_, result, output);
    writeResult(result, output);
  }

  void writeResult(const ConversionResult& result, BlockOutput& output) {
    const std::string_view line = formatResult(toCoordType_, result.coordinates, formatter_);
    if (!options_.showMethod) {
      output.results.append(line);
      return;
    }
    formatter_.method.clear();
    appendMethodName(converter_, result, formatter_.method);
    output.results.append(line.substr(0, line.size() - 1)).append(",").append(formatter_.method).append("\n");
  }

  CoordinateRole roleOf(std::size_t field) const {
    if (grid_) return field == 0 ? CoordinateRole::kEasting : CoordinateRole::kNorthing;
    return field == 0 ? CoordinateRole::kLatitude : CoordinateRole::kLongitude;
  }

  // "velmora: pts.csv line 3: " or, for the point of the arguments, "velmora: "
  void startMessage(LinePlace place, std::string& out) const {
    out.append("velmora: ");
    if (!place.arguments) {
      out.append(options_.inputName).append(" line ").append(std::to_string(place.lineNumber)).append(": ");
    }
  }

  // "velmora: pts.csv line 3, field 2 (longitude): <problem>, got 'abc'" or
  // "velmora: argument 'abc' (longitude): <problem>"
  void fieldMessage(LinePlace place, std::size_t field, std::string_view what, std::string_view text,
                    std::string_view problem, std::string& out) const {
    out.append("velmora: ");
    if (place.arguments) {
      out.append("argument ");
      appendQuoted(text, out);
      out.append(" (").append(what).append("): ").append(problem);
    } else {
      out.append(options_.inputName)
          .append(" line ")
          .append(std::to_string(place.lineNumber))
          .append(", field ")
          .append(std::to_string(field + 1))
          .append(" (")
          .append(what)
          .append("): ")
          .append(problem)
          .append(", got ");
      appendQuoted(text, out);
    }
    out.push_back('\n');
  }

  // The first problem of the line's text, as a message; false when there is none.
  bool checkFields(const LineFields& line, LinePlace place, Coordinates& point, std::string& message) const {
    if (line.count < 2) {
      startMessage(place, message);
      message.append("expected two coordinates and an optional height, got ");
      if (line.count == 0 || trimSpace(line.fields[0]).empty()) {
        message.append(line.count == 0 ? "no field\n" : "an empty line\n");
      } else {
        message.append("one field\n");
      }
      return true;
    }
    if (line.emptyField) {
      startMessage(place, message);
      message.append("expected no empty field (one comma between fields, none at the ends)\n");
      return true;
    }
    if (line.longField) {
      startMessage(place, message);
      message.append("expected no field longer than ")
          .append(std::to_string(kFieldReadLimitBytes))
          .append(" bytes\n");
      return true;
    }
    bool problem = false;
    std::array<double, 2> values{};
    for (std::size_t k = 0; k < 2; ++k) {
      const CoordinateRole role = roleOf(k);
      const ParsedCoordinate parsed = checkCoordinate(fromCoordType_, role, line.fields[k]);
      values[k] = parsed.value;
      if (parsed.problem != CoordinateProblem::kNone && !problem) {
        problem = true;
        fieldMessage(place, k, roleName(role), line.fields[k],
                     problemText(parsed.problem, fromCoordType_, role), message);
      }
    }
    point = Coordinates{values[0], values[1], line.count == 3 ? readDecimal(line.fields[2]) : 0.0};
    if (problem) return true;
    if (line.count == 3 && !readExactDecimal(line.fields[2])) {
      fieldMessage(place, 2, "height", line.fields[2], "expected a height in metres (a decimal number)",
                   message);
      return true;
    }
    if (line.moreFields) {
      startMessage(place, message);
      message.append("expected at most three fields (two coordinates and a height)\n");
      return true;
    }
    if (line.count == 2 && convertsHeights_) {
      startMessage(place, message);
      message.append("expected a height after the coordinates: heights are converted\n");
      return true;
    }
    return false;
  }

  void fail(std::string_view message, BlockOutput& output) {
    output.messages.append(message);
    // The line keeps its place: every field empty.
    output.results.append(options_.showMethod ? ",,,\n" : ",,\n");
    ++output.tally.failed;
  }

  void convertChecked(const LineFields& line, LinePlace place, BlockOutput& output) {
    ++output.tally.read;
    message_.clear();
    Coordinates point;
    const bool textProblem = checkFields(line, place, point, message_);
    if (line.count < 2 && !options_.strict) {
      ++output.tally.skipped;
      return;
    }
    if (textProblem && options_.strict) return fail(message_, output);

    const ConversionResult result = converter_.transformPoint(point);
    appendGeoidMessage(converter_, result, output);
    const std::size_t problemStart = message_.size();
    startMessage(place, message_);
    const bool pointProblem = describePointProblem(converter_, result, message_);
    if (pointProblem && options_.strict) {
      message_.push_back('\n');
      return fail(std::string_view(message_).substr(problemStart), output);
    }
    if (textProblem || pointProblem) ++output.tally.withProblems;
    ++output.tally.converted;
    writeResult(result, output);
    if (options_.tally) {
      if (!options_.showMethod) {
        formatter_.method.clear();
        appendMethodName(converter_, result, formatter_.method);
      }
      output.tally.addMethod(formatter_.method);
    }
  }

  const Converter& converter_;
  const PointOptions& options_;
  CoordType fromCoordType_;
  CoordType toCoordType_;
  bool grid_;             // source coordinates are easting and northing
  bool convertsHeights_;  // both height types are given
  LineFormatter formatter_;
  std::string message_;
};

}  // namespace

void convertArguments(const Converter& converter, const PointOptions& options,
                      std::span<const std::string_view> positionals, BlockOutput& output) {
  LineFields line;
  line.count = std::min(positionals.size(), line.fields.size());
  line.moreFields = positionals.size() > line.fields.size();
  std::copy_n(positionals.begin(), line.count, line.fields.begin());
  LineConverter(converter, options).convert(line, LinePlace{true, 0}, output);
}

void convertBlock(const Converter& converter, const PointOptions& options, const InputBlock& block,
                  BlockOutput& output) {
  LineConverter lines(converter, options);
  std::uint64_t lineNumber = block.firstLineNumber();
  block.forEachLine([&](const LineFields& line) {
    lines.convert(line, LinePlace{false, lineNumber++}, output);
  });
}

}  // namespace velmora
