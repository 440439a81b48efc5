// One line (or the point of the arguments) from its text to its result line: read, checked,
// converted, written and counted.
#include "velmora/app/line_converter.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/epoch_text.hpp"
#include "common/number_text.hpp"
#include "velmora/app/angle_format.hpp"
#include "velmora/app/coordinate_parser.hpp"
#include "velmora/app/method_name.hpp"
#include "velmora/app/options.hpp"
#include "velmora/app/point_accuracy.hpp"
#include "velmora/app/point_problem.hpp"
#include "velmora/app/record_fields.hpp"
#include "velmora/app/result_line.hpp"
#include "velmora/gridfile/grid_error.hpp"

namespace velmora {
namespace {

constexpr std::string_view kMissingFileMessage = " does not exist\n";

// The factor fields: convergence in degrees to 1e-9 (0.000004 arc-seconds), scale factors to 1e-10.
constexpr int kConvergenceDecimals = 9;
constexpr int kScaleDecimals = 10;
constexpr std::size_t kFactorFieldCount = 3;
// The accuracy fields: metres to the millimetre.
constexpr std::size_t kAccuracyFieldCount = 2;

// The characters an empty field is written as: nothing, or "*" where blanks separate the fields and
// an empty field would vanish.
std::string_view emptyField(Delimiter delimiter) {
  return delimiter == Delimiter::kSpace ? "*" : "";
}

// Scratch of the result formatting, kept across points so that formatting allocates nothing.
struct LineFormatter {
  ResultLine line{};
  std::string latitudeText;
  std::string longitudeText;
  std::string method;
  AngleTextOptions angles;
  int coordDecimals = kMetreDecimals;   // of numeric coordinates
  int heightDecimals = kMetreDecimals;  // of heights
  std::string scratch;
};

// An angle text made to sit in a field: with blanks between fields its hemisphere letter follows
// the last group directly (its groups are joined by ':' later); between other delimiters a text
// with the seconds sign is quoted, its quotes doubled, as RFC 4180 requires.
void fitField(std::string& text, Delimiter delimiter, LineFormatter& f) {
  if (delimiter == Delimiter::kSpace) {
    if (f.angles.form == DmsForm::kHemisphere && text.size() >= 2) text.erase(text.size() - 2, 1);
    return;
  }
  if (f.angles.form != DmsForm::kSymbols || text.find('"') == std::string::npos) return;
  f.scratch.assign(1, '"');
  for (const char c : text) {
    if (c == '"') f.scratch.push_back('"');
    f.scratch.push_back(c);
  }
  f.scratch.push_back('"');
  text.swap(f.scratch);
}

// The DMS or DM texts of latitude and longitude; false for the numeric forms.
bool formatAngleTexts(CoordType toCoordType, const Coordinates& c, Delimiter delimiter, LineFormatter& f) {
  if (toCoordType == CoordType::kDms) {
    formatDms(c.first, true, f.angles, f.latitudeText);
    formatDms(c.second, false, f.angles, f.longitudeText);
  } else if (toCoordType == CoordType::kDm) {
    formatDm(c.first, true, f.angles, f.latitudeText);
    formatDm(c.second, false, f.angles, f.longitudeText);
  } else {
    return false;
  }
  if (f.angles.form != DmsForm::kPlain) {
    fitField(f.latitudeText, delimiter, f);
    fitField(f.longitudeText, delimiter, f);
  }
  return true;
}

// Inside, the results are latitude first for geographic coordinates, as they were given.
std::string_view formatResult(CoordType toCoordType, const Coordinates& c, Delimiter delimiter,
                              LineFormatter& f) {
  if (formatAngleTexts(toCoordType, c, delimiter, f))
    return angleResultLine(f.latitudeText, f.longitudeText, c.height, f.heightDecimals, f.line);
  return numberLine(c.first, c.second, f.coordDecimals, c.height, f.heightDecimals, f.line);
}

// A line's zone as --zoneColumn reads it: "55", "55H" (with a latitude band letter, either case) or
// "56/1" (an ISG zone and sub-zone); blanks around it are ignored. band is 0 when none is given.
struct LineZone {
  PointZone zone;
  char band = 0;
};

constexpr int kLastZone = 60;
constexpr int kLastIsgSubZoneDigit = 3;
constexpr char kFirstNorthernBand = 'N';  // bands C to M lie south of the equator, N to X north

std::optional<LineZone> readLineZone(std::string_view text) {
  text = trimSpace(text);
  LineZone read;
  std::size_t at = 0;
  while (at < text.size() && at < 2 && text[at] >= '0' && text[at] <= '9') {
    read.zone.zone = read.zone.zone * 10 + (text[at] - '0');
    ++at;
  }
  if (at == 0 || read.zone.zone < 1 || read.zone.zone > kLastZone) return std::nullopt;
  const std::string_view rest = text.substr(at);
  if (rest.size() == 2 && rest[0] == '/' && rest[1] >= '1' && rest[1] <= '0' + kLastIsgSubZoneDigit) {
    read.zone.isgSubZone = rest[1] - '0';
  } else if (rest.size() == 1) {
    const char band = static_cast<char>(rest[0] & ~0x20);  // upper case
    if (band < 'C' || band > 'X' || band == 'I' || band == 'O') return std::nullopt;
    read.band = band;
  } else if (!rest.empty()) {
    return std::nullopt;
  }
  return read;
}

// Where a line came from, for messages: a line of the input file, or the positional arguments.
struct LinePlace {
  bool arguments = false;
  std::uint64_t lineNumber = 0;
};

// The warning kind of a coordinate's problem.
LineWarning coordinateWarning(CoordinateProblem problem) {
  switch (problem) {
    case CoordinateProblem::kOutOfRange:
      return LineWarning::kOutOfRange;
    case CoordinateProblem::kMinusWithHemisphere:
      return LineWarning::kMinusWithHemisphere;
    case CoordinateProblem::kWrongHemisphere:
      return LineWarning::kWrongHemisphere;
    default:
      return LineWarning::kNotANumber;
  }
}

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
        convertsHeights_(converter.settings().fromHeightType != HeightType::kNone &&
                         converter.settings().toHeightType != HeightType::kNone),
        zoneField_(converter.settings().autoToZone && toCoordType_ == CoordType::kEn),
        isgZones_((converter.settings().fromDatum == Datum::kIsg && fromCoordType_ == CoordType::kEn) ||
                  (converter.settings().toDatum == Datum::kIsg && toCoordType_ == CoordType::kEn)),
        factorFields_(converter.settings().gridFactors),
        accuracyFields_(options.showAccuracy) {
    formatter_.angles = AngleTextOptions{options.form.decimals, options.form.dmsForm};
    formatter_.coordDecimals =
        options.form.decimals.value_or(toCoordType_ == CoordType::kEn ? kMetreDecimals : kDegreeDecimals);
    formatter_.heightDecimals = options.form.heightDecimals.value_or(kMetreDecimals);
  }

  void convert(const LineFields& line, LinePlace place, BlockOutput& output) {
    if (!options_.strict && !options_.tally && !options_.warnings) {
      if (const std::optional<Coordinates> point = pointOfLine(line, fromCoordType_)) write(*point, output);
      return;
    }
    convertChecked(line, place, output);
  }

  // One whole line of a file read by records (with its newline, if it had one).
  void convertRecord(std::string_view text, LinePlace place, BlockOutput& output) {
    const RecordOptions& record = options_.record;
    if (place.lineNumber <= record.skipLines ||
        (!record.comment.empty() && text.starts_with(record.comment))) {
      copyLine(text, output);
      return;
    }
    // The line ending is kept as the line had it (a file of CRLF lines stays so).
    std::string_view body = text;
    if (body.ends_with('\n')) body.remove_suffix(1);
    if (body.ends_with('\r')) body.remove_suffix(1);
    // A last line without newline (or ending in a bare carriage return) gets one.
    const std::string_view ending = text.ends_with('\n') ? text.substr(body.size()) : "\n";
    if (record.columns) return passThrough(body, ending, *record.columns, place, output);

    // Without columns a line is read as ever, its fields split at the delimiter, and its result
    // line written with the delimiter.
    const std::size_t start = output.results.size();
    convert(splitAtDelimiter(body, record.delimiter), place, output);
    withDelimiter(record.delimiter, output.results, start);
  }

 private:
  // A header or comment line: copied, counted as skipped.
  void copyLine(std::string_view text, BlockOutput& output) {
    output.results.append(text);
    if (!text.ends_with('\n')) output.results.push_back('\n');
    if (options_.tally) {
      ++output.tally.read;
      ++output.tally.skipped;
    }
  }

  // The line with the fields of the point replaced (by nothing when the texts are empty), then
  // the fields other options add (empty for a failed line, whose result is nullptr), then its ending.
  // padTo: a failed line short of the height field gets empty fields up to it, so that every row
  // has the same fields.
  void writeReplaced(std::string_view body, std::string_view ending, const ColumnSpec& columns,
                     const std::array<std::string_view, 3>& texts, const ConversionResult* result,
                     std::string_view method, BlockOutput& output, std::size_t padTo = 0) const {
    const std::array<int, 3> numbers{columns.first, columns.second, columns.height};
    std::size_t copied = 0;
    for (std::size_t k = 0; k < recordFields_.size(); ++k) {
      const int number = static_cast<int>(k) + 1;
      const auto slot = std::find(numbers.begin(), numbers.end(), number);
      if (slot == numbers.end()) continue;
      output.results.append(body.substr(copied, recordFields_[k].begin - copied));
      output.results.append(texts[static_cast<std::size_t>(slot - numbers.begin())]);
      copied = recordFields_[k].end;
    }
    output.results.append(body.substr(copied));
    for (std::size_t k = recordFields_.size(); k < padTo; ++k) {
      output.results.append(1, delimiterChar(options_.record.delimiter))
          .append(emptyField(options_.record.delimiter));
    }
    appendAddedFields(result, method, delimiterChar(options_.record.delimiter),
                      emptyField(options_.record.delimiter), output.results);
    output.results.append(ending);
  }

  // The fields other options add after the point's, each after a separator: the zone of the
  // point, the factors, the accuracies, then the method, always last. All empty without a result.
  void appendAddedFields(const ConversionResult* result, std::string_view method, char separator,
                         std::string_view empty, std::string& out) const {
    if (zoneField_) {
      out.push_back(separator);
      out.append(result ? std::to_string(result->zone.target) : std::string(empty));
    }
    if (factorFields_) appendFactors(result ? result->factors : PointFactors{}, separator, empty, out);
    if (accuracyFields_) {
      const PointAccuracy accuracy = result ? pointAccuracy(*result, convertsHeights_) : PointAccuracy{};
      appendAccuracy(accuracy, separator, empty, out);
    }
    if (options_.showMethod) out.append(1, separator).append(method);
  }

  // A failed line keeps its place with the point's fields emptied, as many fields as a good line
  // (a line short of a field named by --columns gets it, empty), and no quote left open: a field
  // that opens one is emptied too.
  void failRecord(std::string_view body, std::string_view ending, const ColumnSpec& columns,
                  BlockOutput& output) {
    output.messages.append(message_);
    if (openQuote_) {
      body = body.substr(0, recordFields_.back().begin);
      recordFields_.back().end = recordFields_.back().begin;
    }
    const std::string_view empty = emptyField(options_.record.delimiter);
    writeReplaced(body, ending, columns, {empty, empty, empty}, nullptr, empty, output,
                  static_cast<std::size_t>(std::max({columns.first, columns.second, columns.height})));
    ++output.tally.failed;
  }

  // The point's texts in the output's form: latitude and longitude or easting and northing, height.
  void formatValues(const Coordinates& c) {
    const auto fixed = [](double value, int decimals, std::string& text) {
      text.clear();
      appendFixed(text, value, decimals);
    };
    if (!formatAngleTexts(toCoordType_, c, options_.record.delimiter, formatter_)) {
      fixed(c.first, formatter_.coordDecimals, formatter_.latitudeText);
      fixed(c.second, formatter_.coordDecimals, formatter_.longitudeText);
    }
    fixed(c.height, formatter_.heightDecimals, heightText_);
    if (options_.record.delimiter == Delimiter::kSpace) {
      // Blanks separate the fields: the groups of an angle are joined by colons, as they are read.
      std::replace(formatter_.latitudeText.begin(), formatter_.latitudeText.end(), ' ', ':');
      std::replace(formatter_.longitudeText.begin(), formatter_.longitudeText.end(), ' ', ':');
    }
  }

  // After a conversion: the point's problem (an error with --strict, a warning without) and the
  // counts. True when --strict fails the line; message_ then holds its message.
  bool pointFails(const ConversionResult& result, LinePlace place, bool textProblem, BlockOutput& output) {
    if (!options_.strict && !options_.tally && !options_.warnings) return false;
    // A point done as asked is told by a few compares: no message is begun for it.
    bool pointProblem = false;
    if (mayHaveProblem(result)) {
      if (options_.strict) {
        message_.clear();
        startMessage(place, message_);
        if (describePointProblem(converter_, result, message_)) {
          message_.push_back('\n');
          return true;
        }
      } else {
        for (const std::optional<LineWarning> kind : pointProblemKinds(converter_, result)) {
          if (!kind) continue;
          pointProblem = true;
          if (options_.warnings) notePointWarning(*kind, result, place, output);
        }
      }
    }
    if (textProblem || pointProblem) ++output.tally.withProblems;
    ++output.tally.converted;
    return false;
  }

  // The first of its kind in the block gets its text: a repeat costs a count.
  void notePointWarning(LineWarning kind, const ConversionResult& result, LinePlace place,
                        BlockOutput& output) {
    WarningCount* entry = output.tally.warnings.note(kind, place.lineNumber);
    if (entry == nullptr) return;
    message_.clear();
    startMessage(place, message_);
    if (kind == LineWarning::kGeoidMissing) {
      // The file is named once, in the words a missing geoid always had; the summary counts the rest.
      const GridId geoid = result.height.geoidStatus == GeoidStatus::kFileMissing
                               ? result.height.geoid
                               : result.height.second.geoid;
      const GridState& state = converter_.gridState(geoid);
      entry->message.assign(state.path);
      std::error_code unused;
      if (std::filesystem::exists(state.path, unused) || state.error != kGridCannotOpenFile) {
        // There but refused: saying it does not exist would send the user looking for a file that is there.
        const char* reason = gridErrorMessage(state.error);
        entry->message.append(": error ").append(std::to_string(state.error)).append(": ");
        entry->message.append(reason != nullptr ? reason : "unknown error").append("\n");
      } else {
        entry->message.append(kMissingFileMessage);
      }
    } else {
      describePointProblem(converter_, result, kind, message_);
      entry->message = warningOf(message_.append("\n"));
    }
    entry->place = place_;
  }

  // Without --strict, a problem of the line's text, whose message message_ holds.
  void noteTextWarning(LineWarning kind, LinePlace place, BlockOutput& output) {
    if (!options_.warnings) return;
    if (WarningCount* entry = output.tally.warnings.note(kind, place.lineNumber)) {
      entry->message = warningOf(message_);
      entry->place = place_;
    }
  }

  void passThrough(std::string_view body, std::string_view ending, const ColumnSpec& columns, LinePlace place,
                   BlockOutput& output) {
    if (options_.strict || options_.tally) ++output.tally.read;
    message_.clear();
    openQuote_ = !splitRecord(body, options_.record.delimiter, recordFields_);
    const std::size_t needed = static_cast<std::size_t>(std::max(columns.first, columns.second));
    if (recordFields_.size() < needed) {
      startMessage(place, message_);
      message_.append("expected at least ")
          .append(std::to_string(needed))
          .append(" fields for --columns, got ")
          .append(std::to_string(recordFields_.size()))
          .append("\n");
      kind_ = LineWarning::kTooFewFields;
      if (options_.strict) return failRecord(body, ending, columns, output);
      return keepLine(body, ending, place, output);
    }
    const auto field = [&](int number) {
      const FieldRange& range = recordFields_[static_cast<std::size_t>(number) - 1];
      return body.substr(range.begin, range.end - range.begin);
    };
    const std::array<int, 2> coordinateFields{columns.first, columns.second};
    // Quoted fields are unquoted into a scratch of their own each: both texts are read together.
    const std::array<std::string_view, 2> texts{fieldValue(field(coordinateFields[0]), scratch_),
                                                fieldValue(field(coordinateFields[1]), secondScratch_)};
    const CoordinatePair pair = readCoordinates(fromCoordType_, texts[0], texts[1]);
    const std::array<double, 2>& values = pair.values;
    // A line whose coordinate cannot be read at all keeps its place as it was (a header, a note).
    const bool unreadable =
        pair.problem == CoordinateProblem::kNotANumber || pair.problem == CoordinateProblem::kMalformedAngle;
    if (pair.problem != CoordinateProblem::kNone) {
      kind_ = coordinateWarning(pair.problem);
      fieldMessage(place, static_cast<std::size_t>(coordinateFields[pair.problemIndex]) - 1,
                   roleName(pair.problemRole), texts[pair.problemIndex],
                   problemText(pair.problem, fromCoordType_, pair.problemRole), message_);
    }
    // The height: a field that is missing, empty or no number gives height 0 and stays as it was;
    // --strict reports it when heights are converted, or when it is text.
    double height = 0.0;
    bool heightRead = false;  // the height field held a number, which the result replaces
    const bool hasHeightField =
        columns.height > 0 && recordFields_.size() >= static_cast<std::size_t>(columns.height);
    const std::string_view heightText = hasHeightField ? fieldValue(field(columns.height), scratch_) : "";
    if (hasHeightField && !trimSpace(heightText).empty()) {
      const std::optional<double> exact = readExactDecimal(heightText);
      heightRead = exact.has_value();
      height = exact.value_or(0.0);
      if (!exact && message_.empty()) {
        kind_ = LineWarning::kNotANumber;
        fieldMessage(place, static_cast<std::size_t>(columns.height) - 1, "height", heightText,
                     "expected a height in metres (a decimal number)", message_);
      }
    } else if (columns.height > 0 && !hasHeightField && message_.empty()) {
      // The line ends before the height field: its row would have fewer fields than the others.
      startMessage(place, message_);
      kind_ = LineWarning::kMissingHeightField;
      message_.append("expected a height in field ").append(std::to_string(columns.height));
      if (convertsHeights_) {
        message_.append(": heights are converted\n");
      } else {
        message_.append(", got ").append(std::to_string(recordFields_.size())).append(" fields\n");
      }
    } else if (convertsHeights_ && message_.empty()) {
      startMessage(place, message_);
      kind_ = LineWarning::kMissingHeight;
      if (columns.height > 0) {
        message_.append("expected a height in field ")
            .append(std::to_string(columns.height))
            .append(": heights are converted\n");
      } else {
        message_.append("expected a height: heights are converted, and --columns names no height field\n");
      }
    }
    // The line's own epoch: without --strict, one that is missing or does not read leaves the run's.
    double epoch = converter_.settings().epoch;
    if (const int epochField = options_.record.epochColumn; epochField > 0) {
      const bool hasEpochField = recordFields_.size() >= static_cast<std::size_t>(epochField);
      const std::string_view epochText = hasEpochField ? fieldValue(field(epochField), secondScratch_) : "";
      const std::optional<double> lineEpoch = readEpoch(epochText);
      if (lineEpoch && isEpochInRange(*lineEpoch)) {
        epoch = *lineEpoch;
      } else if (message_.empty()) {
        kind_ = LineWarning::kEpochUnreadable;
        if (hasEpochField) {
          fieldMessage(place, static_cast<std::size_t>(epochField) - 1, "epoch", epochText,
                       "expected a decimal year from 1950 to 2100 or an ISO date such as 2020-07-01", message_);
        } else {
          startMessage(place, message_);
          message_.append("expected an epoch in field ")
              .append(std::to_string(epochField))
              .append(", got ")
              .append(std::to_string(recordFields_.size()))
              .append(" fields\n");
        }
      }
    }
    // The line's own zone: without --strict, one that is missing or does not read leaves the run's.
    std::optional<PointZone> lineZone;
    if (const int zoneField = options_.record.zoneColumn; zoneField > 0) {
      const bool hasZoneField = recordFields_.size() >= static_cast<std::size_t>(zoneField);
      const std::string_view zoneText = hasZoneField ? fieldValue(field(zoneField), scratch_) : "";
      std::optional<LineZone> read = readLineZone(zoneText);
      constexpr int kFirstIsgZone = 54;
      constexpr int kLastIsgZone = 56;
      if (read && isgZones_ && (read->zone.zone < kFirstIsgZone || read->zone.zone > kLastIsgZone))
        read.reset();
      const bool southern = converter_.settings().southernHemisphere;
      const bool otherHemisphere = read && read->band != 0 && (read->band >= kFirstNorthernBand) == southern;
      if (read) lineZone = read->zone;
      if ((!read || otherHemisphere) && message_.empty()) {
        kind_ = LineWarning::kZoneUnreadable;
        if (otherHemisphere) {
          fieldMessage(place, static_cast<std::size_t>(zoneField) - 1, "zone", zoneText,
                       southern ? "a latitude band north of the equator, and the run's hemisphere is S"
                                : "a latitude band south of the equator, and the run's hemisphere is N",
                       message_);
        } else if (hasZoneField) {
          fieldMessage(place, static_cast<std::size_t>(zoneField) - 1, "zone", zoneText,
                       isgZones_ ? "expected an ISG zone such as 56/1 (zones 54 to 56, sub-zones 1 to 3)"
                                 : "expected a zone from 1 to 60 such as 55, 55H or 56/1",
                       message_);
        } else {
          startMessage(place, message_);
          message_.append("expected a zone in field ")
              .append(std::to_string(zoneField))
              .append(", got ")
              .append(std::to_string(recordFields_.size()))
              .append(" fields\n");
        }
      }
    }
    if (openQuote_ && message_.empty()) {
      // A reader downstream would take the following lines into the open field.
      startMessage(place, message_);
      kind_ = LineWarning::kUnterminatedQuote;
      message_.append("a field opens a double quote that does not close\n");
    }
    // A line whose point cannot be read keeps its place as it was (a header, a note); --strict
    // fails it.
    if (options_.strict && !message_.empty()) return failRecord(body, ending, columns, output);
    if (unreadable) return keepLine(body, ending, place, output);
    const bool textProblem = !message_.empty();
    if (textProblem) noteTextWarning(kind_, place, output);

    const Coordinates point{values[0], values[1], height};
    const bool ownEpoch = options_.record.epochColumn > 0;
    const ConversionResult result =
        lineZone   ? converter_.transformPoint(point, *lineZone,
                                             ownEpoch ? std::optional<double>(epoch) : std::nullopt)
        : ownEpoch ? converter_.transformPoint(point, epoch)
                   : converter_.transformPoint(point);
    if (pointFails(result, place, textProblem, output)) return failRecord(body, ending, columns, output);
    formatValues(result.coordinates);
    formatter_.method.clear();
    if (options_.showMethod || options_.tally) appendMethodName(converter_, result, formatter_.method);
    if (options_.tally) {
      output.tally.addMethod(formatter_.method);
      output.tally.addHeight(result.height);
    }
    if (!heightRead && hasHeightField) heightText_.assign(field(columns.height));
    writeReplaced(body, ending, columns, {formatter_.latitudeText, formatter_.longitudeText, heightText_},
                  &result, formatter_.method, output);
  }

  // Without --strict, a line whose point cannot be read keeps its place unchanged, with a warning.
  void keepLine(std::string_view body, std::string_view ending, LinePlace place, BlockOutput& output) {
    output.results.append(body).append(ending);
    noteTextWarning(kind_, place, output);
    if (options_.tally) ++output.tally.skipped;
  }

  void write(const Coordinates& point, BlockOutput& output) {
    writeResult(converter_.transformPoint(point), output);
  }

  void writeResult(const ConversionResult& result, BlockOutput& output) {
    const std::string_view line =
        formatResult(toCoordType_, result.coordinates, options_.record.delimiter, formatter_);
    if (!options_.showMethod && !zoneField_ && !factorFields_ && !accuracyFields_) {
      output.results.append(line);
      return;
    }
    output.results.append(line.substr(0, line.size() - 1));
    if (options_.showMethod) {
      formatter_.method.clear();
      appendMethodName(converter_, result, formatter_.method);
    }
    appendAddedFields(&result, formatter_.method, ',', "", output.results);
    output.results.append("\n");
  }

  // The factor fields, each after a separator: convergence, point scale factor, combined scale
  // factor; empty where the run has no grid side, the combined one also where the height is not
  // ellipsoidal.
  static void appendFactors(const PointFactors& factors, char separator, std::string_view empty,
                            std::string& out) {
    const auto number = [&](double value, int decimals) {
      out.push_back(separator);
      appendFixed(out, value, decimals);
    };
    if (!factors.known) {
      for (std::size_t k = 0; k < kFactorFieldCount; ++k) out.append(1, separator).append(empty);
      return;
    }
    number(factors.grid.convergenceDeg, kConvergenceDecimals);
    number(factors.grid.scale, kScaleDecimals);
    if (std::isnan(factors.combinedScale)) {
      out.append(1, separator).append(empty);
    } else {
      number(factors.combinedScale, kScaleDecimals);
    }
  }

  // The accuracy fields, each after a separator: horizontal, then vertical, metres; empty where
  // there is none.
  static void appendAccuracy(const PointAccuracy& accuracy, char separator, std::string_view empty,
                             std::string& out) {
    for (const std::optional<double>& metres : {accuracy.horizontalMetres, accuracy.verticalMetres}) {
      out.push_back(separator);
      if (!metres) {
        out.append(empty);
        continue;
      }
      appendFixed(out, *metres, kMetreDecimals);
    }
  }

  // A line of one field that another delimiter would split: which option reads it.
  std::string_view otherDelimiterHint(std::string_view field) const {
    if (field.find('\t') != std::string_view::npos) return " (separated by tabs: --delimiter tab reads them)";
    if (field.find(';') != std::string_view::npos)
      return " (separated by semicolons: --delimiter ';' reads them)";
    const bool angles = fromCoordType_ == CoordType::kDms || fromCoordType_ == CoordType::kDm;
    if (!angles && field.find(' ') != std::string_view::npos)
      return " (separated by blanks: --delimiter space reads them)";
    return {};
  }

  // "velmora: pts.csv line 3: " or, for the point of the arguments, "velmora: "; place_ is then
  // "pts.csv line 3".
  void startMessage(LinePlace place, std::string& out) {
    out.append("velmora: ");
    place_.clear();
    if (!place.arguments) {
      place_.append(options_.inputName).append(" line ").append(std::to_string(place.lineNumber));
      out.append(place_).append(": ");
    }
  }

  // "velmora: pts.csv line 3, field 2 (longitude): <problem>, got 'abc'" or
  // "velmora: argument 'abc' (longitude): <problem>"
  // place_ is then "pts.csv line 3, field 2 'abc'".
  void fieldMessage(LinePlace place, std::size_t field, std::string_view what, std::string_view text,
                    std::string_view problem, std::string& out) {
    out.append("velmora: ");
    place_.clear();
    if (place.arguments) {
      out.append("argument ");
      appendQuoted(text, out);
      out.append(" (").append(what).append("): ").append(problem);
    } else {
      place_.append(options_.inputName)
          .append(" line ")
          .append(std::to_string(place.lineNumber))
          .append(", field ")
          .append(std::to_string(field + 1));
      out.append(place_).append(" (").append(what).append("): ").append(problem).append(", got ");
      appendQuoted(text, out);
      place_.push_back(' ');
      appendQuoted(text, place_);
    }
    out.push_back('\n');
  }

  // The first problem of the line's text, as a message, and its kind; none when there is none.
  std::optional<LineWarning> checkFields(const LineFields& line, LinePlace place, Coordinates& point,
                                         std::string& message) {
    if (line.count < 2) {
      startMessage(place, message);
      message.append("expected two coordinates and an optional height, got ");
      if (line.count == 1 && !trimSpace(line.fields[0]).empty()) {
        message.append("one field").append(otherDelimiterHint(trimSpace(line.fields[0]))).append("\n");
      } else {
        message.append(hasEmptyField(line) ? "no field\n" : "an empty line\n");
      }
      return LineWarning::kNoPoint;
    }
    // Each field is read once; the point is the one read without --strict, whatever is found below.
    const CoordinatePair pair = readCoordinates(fromCoordType_, line.fields[0], line.fields[1]);
    const std::optional<double> exactHeight =
        line.count == 3 ? readExactDecimal(line.fields[2]) : std::optional<double>{};
    point = Coordinates{pair.values[0], pair.values[1],
                        line.count != 3 ? 0.0
                        : exactHeight   ? *exactHeight
                                        : readDecimal(line.fields[2])};
    if (hasEmptyField(line)) {
      startMessage(place, message);
      message.append("expected no empty field (one comma between fields, none at the ends)\n");
      return LineWarning::kEmptyField;
    }
    if (hasLongField(line)) {
      startMessage(place, message);
      message.append("expected no field longer than ")
          .append(std::to_string(kFieldReadLimitBytes))
          .append(" bytes\n");
      return LineWarning::kLongField;
    }
    if (pair.problem != CoordinateProblem::kNone) {
      fieldMessage(place, pair.problemIndex, roleName(pair.problemRole), line.fields[pair.problemIndex],
                   problemText(pair.problem, fromCoordType_, pair.problemRole), message);
      return coordinateWarning(pair.problem);
    }
    if (line.count == 3 && !exactHeight) {
      fieldMessage(place, 2, "height", line.fields[2], "expected a height in metres (a decimal number)",
                   message);
      return LineWarning::kNotANumber;
    }
    if (line.moreFields) {
      startMessage(place, message);
      message.append("expected at most three fields (two coordinates and a height)\n");
      return LineWarning::kExtraFields;
    }
    if (line.count == 2 && convertsHeights_) {
      startMessage(place, message);
      message.append("expected a height after the coordinates: heights are converted\n");
      return LineWarning::kMissingHeight;
    }
    return std::nullopt;
  }

  void fail(std::string_view message, BlockOutput& output) {
    output.messages.append(message);
    // The line keeps its place: every field empty.
    output.results
        .append(2 + (zoneField_ ? 1 : 0) + (factorFields_ ? kFactorFieldCount : 0) +
                    (accuracyFields_ ? kAccuracyFieldCount : 0) + (options_.showMethod ? 1 : 0),
                ',')
        .append("\n");
    ++output.tally.failed;
  }

  void convertChecked(const LineFields& line, LinePlace place, BlockOutput& output) {
    ++output.tally.read;
    message_.clear();
    Coordinates point;
    const std::optional<LineWarning> textProblem = checkFields(line, place, point, message_);
    if (textProblem && options_.strict) return fail(message_, output);
    if (textProblem) noteTextWarning(*textProblem, place, output);
    if (line.count < 2) {
      ++output.tally.skipped;
      return;
    }

    const ConversionResult result = converter_.transformPoint(point);
    if (pointFails(result, place, textProblem.has_value(), output)) return fail(message_, output);
    writeResult(result, output);
    if (options_.tally) {
      if (!options_.showMethod) {
        formatter_.method.clear();
        appendMethodName(converter_, result, formatter_.method);
      }
      output.tally.addMethod(formatter_.method);
      output.tally.addHeight(result.height);
    }
  }

  const Converter& converter_;
  const PointOptions& options_;
  CoordType fromCoordType_;
  CoordType toCoordType_;
  bool convertsHeights_;  // both height types are given
  bool zoneField_;        // grid output in each point's zone: the zone follows the height
  bool isgZones_;         // a grid side is ISG: a line's zone must be 54, 55 or 56
  bool factorFields_;     // the grid factors follow the zone
  bool accuracyFields_;   // the accuracies follow the factors
  LineFormatter formatter_;
  std::string message_;
  std::string place_;  // where message_'s problem is, for the run's summary of warnings
  LineWarning kind_ = LineWarning::kNoPoint;  // the kind of message_'s problem (columns mode)
  std::string heightText_;
  std::string scratch_;
  std::string secondScratch_;
  std::vector<FieldRange> recordFields_;
  bool openQuote_ = false;  // the last of recordFields_ opens a double quote that the line never closes
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
  if (options.records) {
    block.forEachText([&](std::string_view text) {
      lines.convertRecord(text, LinePlace{false, lineNumber++}, output);
    });
    return;
  }
  block.forEachLine([&](const LineFields& line) {
    lines.convert(line, LinePlace{false, lineNumber++}, output);
  });
}

}  // namespace velmora
