#include "velmora/app/options.hpp"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <optional>

#include "common/ascii_text.hpp"
#include "common/epoch_text.hpp"
#include "common/number_text.hpp"
#include "pipeline/datum_projection.hpp"
#include "pipeline/height_plan.hpp"
#include "velmora/app/program_folder.hpp"
#include "velmora/geodesy/nz_circuits.hpp"

namespace velmora {

namespace {

enum class Option {
  kInputFile,
  kFromDatum,
  kFromCoordType,
  kFromHeightType,
  kToDatum,
  kToCoordType,
  kToHeightType,
  kZone,
  kIsgSubZone,
  kEpoch,
  kToEpoch,
  kEpochColumn,
  kUseGridShift,
  kHemisphere,
  kUseItrf2008,
  kUseAusGeoid98,
  kThreads,
  kStrict,
  kShowMethod,
  kSummary,
  kHelp,
  kVersion,
  kOutputFile,
  kProgress,
  kColumns,
  kDelimiter,
  kSkipLines,
  kComment,
  kGridFolder,
  kGrid,
  kExtraGrid,
  kToZone,
  kQuiet,
  kShowFactors,
  kShowAccuracy,
  kTmFormulas,
  kDecimals,
  kHeightDecimals,
  kDmsFormat,
  kFromCircuit,
  kToCircuit,
  kZoneColumn,
};

struct OptionName {
  std::string_view name;  // as the help writes it; compared ignoring ASCII case
  Option option;
  bool takesValue;
};

constexpr std::array<OptionName, 44> kOptions{{
    {"--inputFile", Option::kInputFile, true},
    {"--fromDatum", Option::kFromDatum, true},
    {"--fromCoordType", Option::kFromCoordType, true},
    {"--fromHeightType", Option::kFromHeightType, true},
    {"--toDatum", Option::kToDatum, true},
    {"--toCoordType", Option::kToCoordType, true},
    {"--toHeightType", Option::kToHeightType, true},
    {"--zone", Option::kZone, true},
    {"--fromZone", Option::kZone, true},
    {"--toZone", Option::kToZone, true},
    {"--ISGSubZone", Option::kIsgSubZone, true},
    {"--epoch", Option::kEpoch, true},
    {"--fromEpoch", Option::kEpoch, true},
    {"--toEpoch", Option::kToEpoch, true},
    {"--epochColumn", Option::kEpochColumn, true},
    {"--useGridShift", Option::kUseGridShift, false},
    {"--hemisphere", Option::kHemisphere, true},
    {"--useITRF2008", Option::kUseItrf2008, false},
    {"--useAusGeoid98", Option::kUseAusGeoid98, false},
    {"--threads", Option::kThreads, true},
    {"--strict", Option::kStrict, false},
    {"--quiet", Option::kQuiet, false},
    {"--showMethod", Option::kShowMethod, false},
    {"--showFactors", Option::kShowFactors, false},
    {"--showAccuracy", Option::kShowAccuracy, false},
    {"--tmFormulas", Option::kTmFormulas, true},
    {"--decimals", Option::kDecimals, true},
    {"--heightDecimals", Option::kHeightDecimals, true},
    {"--dmsFormat", Option::kDmsFormat, true},
    {"--fromCircuit", Option::kFromCircuit, true},
    {"--toCircuit", Option::kToCircuit, true},
    {"--zoneColumn", Option::kZoneColumn, true},
    {"--summary", Option::kSummary, false},
    {"--help", Option::kHelp, false},
    {"--version", Option::kVersion, false},
    {"--outputFile", Option::kOutputFile, true},
    {"--progress", Option::kProgress, false},
    {"--columns", Option::kColumns, true},
    {"--delimiter", Option::kDelimiter, true},
    {"--skipLines", Option::kSkipLines, true},
    {"--comment", Option::kComment, true},
    {"--gridFolder", Option::kGridFolder, true},
    {"--grid", Option::kGrid, true},
    {"--extraGrid", Option::kExtraGrid, true},
}};

constexpr std::string_view kShortHelp = "-h";

constexpr int kFirstUtmZone = 1;
constexpr int kLastUtmZone = 60;

constexpr std::string_view kDatumList =
    "AGD66, AGD84, GDA94, GDA2020, ANG, ISG, NZGD49, NZGD2000, WGS84, ITRF2000, ITRF2008, ITRF2014, "
    "ITRF2020 or ATRF2014";

const OptionName* findOption(std::string_view name) {
  for (const OptionName& entry : kOptions) {
    if (name == kShortHelp ? entry.option == Option::kHelp : equalsIgnoreCase(name, entry.name))
      return &entry;
  }
  return nullptr;
}

// Edits (insertions, deletions, substitutions) between two names, ignoring ASCII case.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = asciiUpper(a[i - 1]) == asciiUpper(b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

constexpr std::size_t kMaxSuggestionEdits = 2;  // a typo or two, not another word

// The one option that name begins (--hemi, --input), if only one does.
const OptionName* soleCompletion(std::string_view name) {
  const OptionName* found = nullptr;
  for (const OptionName& entry : kOptions) {
    if (name.size() < 3 || name.size() >= entry.name.size() ||
        !equalsIgnoreCase(name, entry.name.substr(0, name.size())))
      continue;
    if (found != nullptr) return nullptr;
    found = &entry;
  }
  return found;
}

std::string unknownOption(const std::string& name) {
  std::string message = "unknown option '" + std::string(name) + "'";
  const OptionName* closest = soleCompletion(name);
  std::size_t best = kMaxSuggestionEdits + 1;
  for (const OptionName& entry : kOptions) {
    if (closest != nullptr) break;
    const std::size_t distance = editDistance(name, entry.name);
    if (distance < best) {
      best = distance;
      closest = &entry;
    }
  }
  if (closest != nullptr) message += "; did you mean " + std::string(closest->name) + "?";
  return message + " (velmora --help lists the options)";
}

std::string quoted(std::string_view option, std::string_view value) {
  return std::string(option) + " '" + std::string(value) + "'";
}

// A name that names nothing: what the option takes, and the right spelling when only the letter
// case is wrong (names are case-sensitive).
void checkName(std::string_view option, std::string_view value, std::string_view kind, std::string_view list,
               std::initializer_list<std::string_view> names, std::vector<std::string>& problems) {
  for (const std::string_view name : names) {
    if (name == value) return;
  }
  std::string message =
      quoted(option, value) + ": unknown " + std::string(kind) + "; expected " + std::string(list);
  for (const std::string_view name : names) {
    if (equalsIgnoreCase(name, value)) message += " (names are case-sensitive: " + std::string(name) + ")";
  }
  problems.push_back(std::move(message));
}

void checkDatum(std::string_view option, std::string_view value, std::vector<std::string>& problems) {
  checkName(option, value, "datum", kDatumList,
            {"AGD66", "AGD84", "GDA94", "GDA2020", "ANG", "ISG", "NZGD49", "NZGD2000", "WGS84", "ITRF2000",
             "ITRF2008", "ITRF2014", "ITRF2020", "ATRF2014"},
            problems);
}

void checkCoordType(std::string_view option, std::string_view value, std::vector<std::string>& problems) {
  checkName(option, value, "coordinate type", "EN, DMS, DM or DD", {"EN", "DMS", "DM", "DD"}, problems);
}

void checkHeightType(std::string_view option, std::string_view value, std::vector<std::string>& problems) {
  checkName(option, value, "height type",
            "NONE, Ellipsoid, AHD, AVWS, NZVD2016 or a New Zealand local datum that velmora --help "
            "lists, such as Dunedin1958",
            {"NONE", "None", "Ellipsoid", "AHD", "AVWS", "NZVD2016", "Auckland1946", "Bluff1955",
             "Dunedin1958", "DunedinBluff1960", "Gisborne1926", "Lyttelton1937", "Moturiki1953", "Napier1962",
             "Nelson1955", "OneTreePoint1964", "StewartIsland1977", "Taranaki1970", "Wellington1953"},
            problems);
}

// A whole number that an int holds, so that a message can quote it as read. False after the
// problem, so that no later check speaks of the value it was read as.
bool checkWholeNumber(std::string_view option, std::string_view value, std::vector<std::string>& problems) {
  const std::optional<long long> number = readExactInteger(value);
  if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max()) {
    problems.push_back(quoted(option, value) + ": expected a whole number");
    return false;
  }
  return true;
}

// A field number: a whole number from 1 that an int holds.
std::optional<int> readFieldNumber(std::string_view text) {
  const std::optional<long long> number = readExactInteger(text);
  if (!number || *number < 1 || *number > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(*number);
}

// "A,B" or "A,B,H": field numbers from 1, all different.
std::optional<ColumnSpec> parseColumns(std::string_view value) {
  std::array<int, 3> numbers{};
  std::size_t count = 0;
  for (;;) {
    const std::size_t comma = value.find(',');
    const std::optional<int> number = readFieldNumber(value.substr(0, comma));
    if (!number || count == numbers.size()) return std::nullopt;
    numbers[count++] = *number;
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  if (count < 2 || numbers[0] == numbers[1] ||
      (count == 3 && (numbers[2] == numbers[0] || numbers[2] == numbers[1]))) {
    return std::nullopt;
  }
  return ColumnSpec{numbers[0], numbers[1], count == 3 ? numbers[2] : 0};
}

std::optional<Delimiter> parseDelimiter(std::string_view value) {
  if (value == ",") return Delimiter::kComma;
  if (value == ";") return Delimiter::kSemicolon;
  if (value == "tab" || value == "\t") return Delimiter::kTab;
  if (value == "space" || value == " ") return Delimiter::kSpace;
  return std::nullopt;
}

// The slots of --grid SLOT=FILE and --extraGrid SLOT=FILE.
constexpr std::array<std::pair<std::string_view, GridId>, kGridIdCount> kGridSlots{{
    {"AGD66", GridId::kAgd66},
    {"AGD84", GridId::kAgd84},
    {"GDA2020", GridId::kGda2020},
    {"AUSGeoid2020", GridId::kAusGeoid2020},
    {"AUSGeoid09", GridId::kAusGeoid09},
    {"AUSGeoid98", GridId::kAusGeoid98},
    {"NZGD2000", GridId::kNzgd2000},
    {"NZGeoid2016", GridId::kNzGeoid2016},
    {"Auckland1946", GridId::kAuckland1946},
    {"Bluff1955", GridId::kBluff1955},
    {"Dunedin1958", GridId::kDunedin1958},
    {"DunedinBluff1960", GridId::kDunedinBluff1960},
    {"Gisborne1926", GridId::kGisborne1926},
    {"Lyttelton1937", GridId::kLyttelton1937},
    {"Moturiki1953", GridId::kMoturiki1953},
    {"Napier1962", GridId::kNapier1962},
    {"Nelson1955", GridId::kNelson1955},
    {"OneTreePoint1964", GridId::kOneTreePoint1964},
    {"StewartIsland1977", GridId::kStewartIsland1977},
    {"Taranaki1970", GridId::kTaranaki1970},
    {"Wellington1953", GridId::kWellington1953},
    {"AGQG", GridId::kAgqg},
    {"AUSGeoid2020Error", GridId::kAusGeoid2020Error},
    {"AGQGUncertainty", GridId::kAgqgUncertainty},
    {"NZDeformation", GridId::kNzDeformation},
}};

// "--grid 'X': expected SLOT=FILE, SLOT one of AGD66, ..."
std::string gridSlotProblem(std::string_view option, std::string_view value) {
  std::string message = quoted(option, value) + ": expected SLOT=FILE, SLOT one of ";
  for (std::size_t k = 0; k < kGridSlots.size(); ++k) {
    if (k > 0) message += k + 1 == kGridSlots.size() ? " or " : ", ";
    message += kGridSlots[k].first;
  }
  return message;
}

std::optional<GridId> parseGridSlot(std::string_view slot) {
  for (const auto& [name, id] : kGridSlots) {
    if (equalsIgnoreCase(name, slot)) return id;
  }
  return std::nullopt;
}

// The value of --grid and --extraGrid: SLOT=FILE, the file not empty; nothing for any other text.
struct SlotFile {
  GridId slot = GridId::kAgd66;
  std::string_view file;
};

std::optional<SlotFile> readSlotFile(std::string_view value) {
  const std::size_t equals = value.find('=');
  if (equals == std::string_view::npos || equals + 1 == value.size()) return std::nullopt;
  const std::optional<GridId> slot = parseGridSlot(value.substr(0, equals));
  if (!slot) return std::nullopt;
  return SlotFile{*slot, value.substr(equals + 1)};
}

// The parameter sets are linear in time and published for today's data: an epoch outside these
// years is far more likely a typing error (a day of the year, two digits) than a real one.
constexpr double kFirstEpoch = 1950.0;
constexpr double kLastEpoch = 2100.0;

}  // namespace

bool isEpochInRange(double year) {
  return year >= kFirstEpoch && year <= kLastEpoch;
}

std::optional<double> readEpochText(std::string_view text) {
  return readEpoch(text);
}

std::string_view gridSlotName(GridId grid) {
  for (const auto& [name, id] : kGridSlots) {
    if (id == grid) return name;
  }
  return {};
}

namespace {

// Names that name nothing are read as the catch-all the program has always used (an unknown datum
// is WGS84, an unknown coordinate type DD, an unknown height type no height conversion); the check
// beside each makes that a problem, a warning or an error by policy.
void applyOption(const OptionName& entry, std::string_view value, RunOptions& line) {
  ConversionSettings& settings = line.settings;
  std::vector<std::string>& problems = line.problems;
  switch (entry.option) {
    case Option::kInputFile:
      line.useInputFile = true;
      line.inputFile.assign(value);
      break;
    case Option::kFromDatum:
      settings.fromDatum = parseDatumName(value).value_or(Datum::kWgs84);
      checkDatum(entry.name, value, problems);
      break;
    case Option::kFromCoordType:
      settings.fromCoordType = parseCoordType(value).value_or(CoordType::kDd);
      checkCoordType(entry.name, value, problems);
      break;
    case Option::kFromHeightType:
      settings.fromHeightType = parseHeightType(value).value_or(HeightType::kNone);
      checkHeightType(entry.name, value, problems);
      break;
    case Option::kToDatum:
      settings.toDatum = parseDatumName(value).value_or(Datum::kWgs84);
      checkDatum(entry.name, value, problems);
      break;
    case Option::kToCoordType:
      settings.toCoordType = parseCoordType(value).value_or(CoordType::kDd);
      checkCoordType(entry.name, value, problems);
      break;
    case Option::kToHeightType:
      settings.toHeightType = parseHeightType(value).value_or(HeightType::kNone);
      checkHeightType(entry.name, value, problems);
      break;
    case Option::kZone:
      settings.zone = readWholeNumber(value);
      line.unreadable.zone = !checkWholeNumber(entry.name, value, problems);
      break;
    case Option::kIsgSubZone:
      line.isgSubZoneGiven = true;
      settings.isgSubZone = readWholeNumber(value);
      line.unreadable.isgSubZone = !checkWholeNumber(entry.name, value, problems);
      break;
    case Option::kEpoch: {
      // A decimal year or an ISO date; without --strict other text is read as it always was.
      const std::optional<double> epoch = readEpoch(value);
      settings.epoch = epoch.value_or(readDecimal(value));
      line.unreadable.epoch = !epoch;
      if (line.unreadable.epoch) {
        problems.push_back(quoted(entry.name, value) + ": expected a decimal year or an ISO date such as 2020-07-01");
      }
      break;
    }
    case Option::kToEpoch:
      settings.toEpoch = readEpoch(value);
      line.unreadable.toEpoch = !settings.toEpoch;
      if (!settings.toEpoch) {
        line.errors.push_back(quoted(entry.name, value) +
                              ": expected a decimal year or an ISO date such as 2020-07-01");
      }
      break;
    case Option::kEpochColumn:
      if (const std::optional<int> number = readFieldNumber(value)) {
        line.epochColumn = *number;
      } else {
        line.errors.push_back(quoted(entry.name, value) + ": expected a field number from 1");
      }
      break;
    case Option::kUseGridShift:
      settings.useGridShift = true;
      break;
    case Option::kHemisphere:
      // Only the first character counts, and only in upper case; anything else keeps the setting.
      if (!value.empty() && value.front() == 'S') settings.southernHemisphere = true;
      if (!value.empty() && value.front() == 'N') settings.southernHemisphere = false;
      if (value != "S" && value != "N" && value != "South" && value != "North") {
        problems.push_back(quoted(entry.name, value) + ": expected S or N");
      }
      break;
    case Option::kUseItrf2008:
      settings.useITRF2008 = true;
      break;
    case Option::kUseAusGeoid98:
      settings.useAusGeoid98 = true;
      break;
    case Option::kThreads: {
      // A count below 1 (or no number) asks for every hardware thread.
      const int threads = readWholeNumber(value);
      line.threads = threads > 0 ? static_cast<unsigned>(threads) : 0;
      const std::optional<long long> exact = readExactInteger(value);
      if (!exact || *exact < 0) {
        problems.push_back(quoted(entry.name, value) +
                           ": expected a number of threads (0 for every processor)");
      }
      break;
    }
    case Option::kStrict:
      line.strict = true;
      break;
    case Option::kQuiet:
      line.quiet = true;
      break;
    case Option::kShowMethod:
      line.showMethod = true;
      break;
    case Option::kShowFactors:
      settings.gridFactors = true;
      break;
    case Option::kShowAccuracy:
      line.showAccuracy = true;
      break;
    case Option::kZoneColumn:
      if (const std::optional<int> number = readFieldNumber(value)) {
        line.zoneColumn = *number;
        settings.zonePerPoint = true;
      } else {
        line.errors.push_back(quoted(entry.name, value) + ": expected a field number from 1");
      }
      break;
    case Option::kFromCircuit:
    case Option::kToCircuit: {
      const NzCircuit* circuit = findNzCircuit(value);
      if (circuit == nullptr) {
        std::string names;
        for (const NzCircuit& known : nzCircuits())
          names.append(names.empty() ? "" : ", ").append(known.name);
        line.errors.push_back(quoted(entry.name, value) + ": unknown circuit; expected one of " + names);
        break;
      }
      (entry.option == Option::kFromCircuit ? settings.fromCircuit : settings.toCircuit) = circuit;
      break;
    }
    case Option::kDecimals:
    case Option::kHeightDecimals: {
      const std::optional<long long> decimals = readExactInteger(value);
      if (!decimals || *decimals < 0 || *decimals > kMaxDecimals) {
        line.errors.push_back(quoted(entry.name, value) + ": expected a number of decimals from 0 to 12");
        break;
      }
      (entry.option == Option::kDecimals ? line.form.decimals : line.form.heightDecimals) =
          static_cast<int>(*decimals);
      break;
    }
    case Option::kDmsFormat:
      if (value == "plain") {
        line.form.dmsForm = DmsForm::kPlain;
      } else if (value == "hemisphere") {
        line.form.dmsForm = DmsForm::kHemisphere;
      } else if (value == "symbols") {
        line.form.dmsForm = DmsForm::kSymbols;
      } else {
        line.errors.push_back(quoted(entry.name, value) + ": expected plain, hemisphere or symbols");
      }
      break;
    case Option::kTmFormulas:
      if (value == "redfearn") {
        settings.tmFormulas = TmFormulas::kRedfearn;
      } else if (value == "krueger") {
        settings.tmFormulas = TmFormulas::kKrueger;
      } else {
        line.errors.push_back(quoted(entry.name, value) + ": expected redfearn or krueger");
      }
      break;
    case Option::kSummary:
      line.summary = true;
      break;
    case Option::kHelp:
      line.help = true;
      break;
    case Option::kVersion:
      line.version = true;
      break;
    case Option::kOutputFile:
      line.outputFile.assign(value);
      line.useOutputFile = value != "-";  // "-": standard output, as for --inputFile
      if (value.empty()) line.errors.push_back("--outputFile needs a file name");
      break;
    case Option::kProgress:
      line.progress = true;
      break;
    case Option::kColumns:
      line.columns = parseColumns(value);
      if (!line.columns) {
        line.errors.push_back(quoted(entry.name, value) +
                              ": expected two or three different field numbers from 1, such as 2,3 or 2,3,4");
      }
      break;
    case Option::kDelimiter:
      if (const std::optional<Delimiter> delimiter = parseDelimiter(value)) {
        line.delimiter = *delimiter;
      } else {
        line.errors.push_back(quoted(entry.name, value) + ": expected , ; tab or space");
      }
      break;
    case Option::kSkipLines: {
      const std::optional<long long> count = readExactInteger(value);
      if (count && *count >= 0) {
        line.skipLines = static_cast<std::uint64_t>(*count);
      } else {
        line.errors.push_back(quoted(entry.name, value) + ": expected a number of lines");
      }
      break;
    }
    case Option::kComment:
      line.comment.assign(value);
      if (value.empty())
        line.errors.push_back("--comment needs the text that starts a comment line, such as #");
      break;
    case Option::kGridFolder:
      line.gridFolder.assign(value);
      if (value.empty()) line.errors.push_back("--gridFolder needs a folder");
      break;
    case Option::kToZone: {
      if (value == "auto") {
        settings.autoToZone = true;
        settings.toZone.reset();
        break;
      }
      const std::optional<long long> zone = readExactInteger(value);
      if (!zone || *zone < kFirstUtmZone || *zone > kLastUtmZone) {
        line.errors.push_back(quoted(entry.name, value) + ": expected a zone from 1 to 60, or auto");
        break;
      }
      settings.toZone = static_cast<int>(*zone);
      settings.autoToZone = false;
      break;
    }
    case Option::kGrid:
    case Option::kExtraGrid: {
      const std::optional<SlotFile> slotFile = readSlotFile(value);
      if (!slotFile) {
        line.errors.push_back(gridSlotProblem(entry.name, value));
        break;
      }
      const auto slot = static_cast<std::size_t>(slotFile->slot);
      if (entry.option == Option::kGrid) {
        settings.gridFiles[slot].assign(slotFile->file);
      } else {
        settings.extraGridFiles[slot].emplace_back(slotFile->file);
      }
      break;
    }
  }
}

// An option value met during the scan, to tell whether a later value of the same option disagrees.
struct GivenValue {
  Option option;
  std::optional<GridId> slot;  // --grid: each slot is a setting of its own
  std::string_view name;       // as the help writes it
  std::string_view value;      // as given
};

std::optional<GridId> gridSlotOf(std::string_view value) {
  const std::size_t equals = value.find('=');
  return equals == std::string_view::npos ? std::nullopt : parseGridSlot(value.substr(0, equals));
}

// What the settings hold for an option (for --grid, one slot), as text: two values of an option agree
// when each leaves the same text, that is when the option reads them alike ("55" and "055" for
// --zone, S and South for --hemisphere, tab and a tab character for --delimiter).
std::string settingText(Option option, std::optional<GridId> slot, const RunOptions& line) {
  const ConversionSettings& settings = line.settings;
  switch (option) {
    case Option::kInputFile:
      return line.inputFile;
    case Option::kFromDatum:
      return std::to_string(codeOf(settings.fromDatum));
    case Option::kFromCoordType:
      return std::to_string(codeOf(settings.fromCoordType));
    case Option::kFromHeightType:
      return std::to_string(codeOf(settings.fromHeightType));
    case Option::kToDatum:
      return std::to_string(codeOf(settings.toDatum));
    case Option::kToCoordType:
      return std::to_string(codeOf(settings.toCoordType));
    case Option::kToHeightType:
      return std::to_string(codeOf(settings.toHeightType));
    case Option::kZone:
      return std::to_string(settings.zone);
    case Option::kIsgSubZone:
      return std::to_string(settings.isgSubZone);
    case Option::kEpoch:
      return shortestText(settings.epoch);
    case Option::kToEpoch:
      return settings.toEpoch ? shortestText(*settings.toEpoch) : "";
    case Option::kEpochColumn:
      return std::to_string(line.epochColumn);
    case Option::kHemisphere:
      return settings.southernHemisphere ? "S" : "N";
    case Option::kThreads:
      return std::to_string(line.threads);
    case Option::kOutputFile:
      return line.outputFile;
    case Option::kColumns:
      return line.columns ? std::to_string(line.columns->first) + "," + std::to_string(line.columns->second) +
                                "," + std::to_string(line.columns->height)
                          : "";
    case Option::kDelimiter:
      return std::to_string(static_cast<int>(line.delimiter));
    case Option::kSkipLines:
      return std::to_string(line.skipLines);
    case Option::kComment:
      return line.comment;
    case Option::kGridFolder:
      return line.gridFolder;
    case Option::kTmFormulas:
      return std::to_string(static_cast<int>(settings.tmFormulas));
    case Option::kZoneColumn:
      return std::to_string(line.zoneColumn);
    case Option::kFromCircuit:
      return settings.fromCircuit != nullptr ? std::string(settings.fromCircuit->name) : "";
    case Option::kToCircuit:
      return settings.toCircuit != nullptr ? std::string(settings.toCircuit->name) : "";
    case Option::kDecimals:
      return std::to_string(line.form.decimals.value_or(-1));
    case Option::kHeightDecimals:
      return std::to_string(line.form.heightDecimals.value_or(-1));
    case Option::kDmsFormat:
      return std::to_string(static_cast<int>(line.form.dmsForm));
    case Option::kToZone:
      return settings.autoToZone ? "auto" : std::to_string(settings.toZone.value_or(0));
    case Option::kGrid:
      return slot ? settings.gridFiles[static_cast<std::size_t>(*slot)] : "";
    case Option::kExtraGrid:  // repeatable: each value adds a file
    case Option::kUseGridShift:
    case Option::kUseItrf2008:
    case Option::kUseAusGeoid98:
    case Option::kStrict:
    case Option::kQuiet:
    case Option::kShowMethod:
    case Option::kShowFactors:
    case Option::kShowAccuracy:
    case Option::kSummary:
    case Option::kHelp:
    case Option::kVersion:
    case Option::kProgress:
      break;  // flags: given twice they still say the same
  }
  return "";
}

// Applies an option's value, and reports it when it replaces an earlier value that read otherwise:
// without --strict the last value wins, which is rarely what a script with both meant.
void applyValue(const OptionName& entry, std::string_view value, RunOptions& line,
                std::vector<GivenValue>& given) {
  const std::optional<GridId> slot = entry.option == Option::kGrid ? gridSlotOf(value) : std::nullopt;
  const auto earlier = std::find_if(given.begin(), given.end(), [&](const GivenValue& seen) {
    return seen.option == entry.option && seen.slot == slot;
  });
  const std::string before = settingText(entry.option, slot, line);
  applyOption(entry, value, line);
  const GivenValue now{entry.option, slot, entry.name, value};
  if (earlier == given.end()) {
    given.push_back(now);
    return;
  }
  if (settingText(entry.option, slot, line) != before) {
    line.problems.push_back(std::string(entry.name) + " " + std::string(value) + " after " +
                            std::string(earlier->name) + " " + std::string(earlier->value) +
                            ": an option given twice must not disagree");
  }
  *earlier = now;
}

}  // namespace

std::vector<std::string_view> optionNames() {
  std::vector<std::string_view> names;
  names.reserve(kOptions.size() + 1);
  for (const OptionName& entry : kOptions) names.push_back(entry.name);
  names.push_back(kShortHelp);
  return names;
}

std::optional<bool> optionTakesValue(std::string_view name) {
  const OptionName* entry = findOption(name);
  if (entry == nullptr) return std::nullopt;
  return entry->takesValue;
}

RunOptions readOptions(std::span<const OptionText> options) {
  RunOptions line;
  std::vector<GivenValue> given;
  for (const OptionText& option : options) {
    const OptionName* entry = findOption(option.name);
    if (entry == nullptr) {  // unknown option: skipped alone, it takes no value
      const bool bare = option.name == "--" && option.value;  // "--=x" is said whole
      line.problems.push_back(unknownOption(bare ? std::string(option.name) + "=" + std::string(*option.value)
                                                 : std::string(option.name)));
      continue;
    }
    if (!entry->takesValue) {
      if (option.value) {
        // "--strict=yes" still asks for strict mode, which then reports the value.
        if (entry->option == Option::kStrict) line.strict = true;
        line.problems.push_back("option " + std::string(entry->name) + " takes no value, got '" +
                                std::string(option.name) + "=" + std::string(*option.value) + "'");
        continue;
      }
      applyOption(*entry, {}, line);
      continue;
    }
    if (!option.value) {
      line.missingValue = true;
      line.problems.push_back("option " + std::string(entry->name) + " needs a value");
      continue;
    }
    applyValue(*entry, *option.value, line, given);
  }
  return line;
}

namespace {

// The datums whose positions are taken at --epoch.
bool isEpochDatum(Datum datum) {
  return datum == Datum::kWgs84 || datum == Datum::kItrf2000 || datum == Datum::kItrf2008 ||
         datum == Datum::kItrf2014 || datum == Datum::kItrf2020 || datum == Datum::kAtrf2014;
}

constexpr int kFirstIsgZone = 54;  // the ISG covers New South Wales: UTM zones 54 to 56
constexpr int kLastIsgZone = 56;
constexpr int kFirstIsgSubZone = 1;  // the official ISG zones Z/1, Z/2, Z/3 from the west
constexpr int kLastIsgSubZone = 3;

void addOnce(std::string message, std::vector<std::string>& problems) {
  if (std::find(problems.begin(), problems.end(), message) == problems.end())
    problems.push_back(std::move(message));
}

// The ISG sub-zone of a grid side in zone Z (named by option). Sub-zone 0, the default, lies 2
// degrees west of Z/1: it is the official Z-1/3 (and for zone 54 a meridian, 137 E, that no ISG
// zone has), so a run that means it is told the official name.
void checkIsgSubZone(const RunOptions& line, int zone, std::string_view option,
                     std::vector<std::string>& problems) {
  if (line.unreadable.isgSubZone) return;
  const int subZone = line.settings.isgSubZone;
  const bool isgZone = zone >= kFirstIsgZone && zone <= kLastIsgZone;
  if (line.isgSubZoneGiven && subZone >= kFirstIsgSubZone && subZone <= kLastIsgSubZone) return;
  if (line.isgSubZoneGiven && (subZone != 0 || !isgZone)) {
    addOnce("--ISGSubZone " + std::to_string(subZone) + ": expected 1, 2 or 3 (ISG zones Z/1, Z/2, Z/3)",
            problems);
    return;
  }
  if (!isgZone) {  // the zone itself is refused; name the form of an official zone
    addOnce("ISG grid coordinates need --ISGSubZone 1, 2 or 3 (ISG zone 56/1 is --zone 56 --ISGSubZone 1)",
            problems);
    return;
  }
  // Sub-zone 0, given or by default: name the official zone it is.
  const std::string given = std::string(option) + " " + std::to_string(zone) + " --ISGSubZone 0";
  const std::string start =
      line.isgSubZoneGiven
          ? given + " is "
          : "ISG grid coordinates need --ISGSubZone 1, 2 or 3: without it, " + given + " is ";
  const std::string meridian =
      shortestText(centralMeridianDegrees(makeProjectionParams(Datum::kIsg, zone, true, 0)));
  if (zone == kFirstIsgZone) {
    addOnce(start + "central meridian " + meridian + " E, no ISG zone at all (ISG zone 54/1 is " +
                std::string(option) + " 54 --ISGSubZone 1)",
            problems);
    return;
  }
  const std::string west = std::to_string(zone - 1);
  addOnce(start + "ISG zone " + west + "/3 (central meridian " + meridian + " E): write " +
              std::string(option) + " " + west + " --ISGSubZone 3",
          problems);
}

void checkZone(const RunOptions& line, Datum gridDatum, int zone, std::string_view option,
               std::vector<std::string>& problems) {
  const std::string named = std::string(option) + " " + std::to_string(zone);
  if (gridDatum == Datum::kIsg) {
    if (zone < kFirstIsgZone || zone > kLastIsgZone)
      addOnce(named + ": ISG grid coordinates need zone 54, 55 or 56", problems);
    checkIsgSubZone(line, zone, option, problems);
    return;
  }
  if (zone < kFirstUtmZone || zone > kLastUtmZone)
    addOnce(named + ": expected a zone from 1 to 60", problems);
}

bool isNewZealandHeight(HeightType type) {
  return type == HeightType::kNzvd2016 || isLocalHeightType(type);
}

// Height types that convert nothing between the run's datums. Ellipsoid and AHD keep the words they
// have always had; the other types say on which datums they are defined.
void checkHeightPair(const ConversionSettings& settings, std::vector<std::string>& problems) {
  const HeightType fromType = settings.fromHeightType;
  const HeightType toType = settings.toHeightType;
  if (heightsConvert(settings.fromDatum, fromType, settings.toDatum, toType)) return;
  const std::string from = std::string(datumName(settings.fromDatum));
  const std::string to = std::string(datumName(settings.toDatum));
  const auto old = [](HeightType type) { return type == HeightType::kEllipsoid || type == HeightType::kAhd; };
  if (old(fromType) && old(toType)) {
    const bool onNzgd2000 = settings.fromDatum == Datum::kNzgd2000 || settings.toDatum == Datum::kNzgd2000;
    problems.push_back("heights are converted only between GDA94 and GDA2020, not from " + from + " to " + to +
                       (onNzgd2000 ? " (on NZGD2000 they convert between Ellipsoid, NZVD2016 and the New "
                                     "Zealand local datums)"
                                   : ""));
    return;
  }
  const bool avws = fromType == HeightType::kAvws || toType == HeightType::kAvws;
  const bool newZealand = isNewZealandHeight(fromType) || isNewZealandHeight(toType);
  std::string message = "no height conversion from " + std::string(heightTypeName(fromType)) + " on " + from +
                        " to " + std::string(heightTypeName(toType)) + " on " + to;
  if (newZealand && avws) {
    message += ": New Zealand and Australian heights have no surface in common";
  } else if (newZealand) {
    message += ": Ellipsoid, NZVD2016 and the New Zealand local datums convert on NZGD2000";
  } else {
    message +=
        ": Ellipsoid, AHD and AVWS convert between GDA94 and GDA2020, AVWS on GDA2020 only (the AGQG "
        "surface is referenced to GDA2020)";
  }
  problems.push_back(std::move(message));
}

}  // namespace

std::vector<std::string> settingsProblems(const RunOptions& line) {
  std::vector<std::string> problems;
  const ConversionSettings& settings = line.settings;
  const bool fromGrid = settings.fromCoordType == CoordType::kEn;
  const bool toGrid = settings.toCoordType == CoordType::kEn && !settings.autoToZone;
  if (fromGrid && !line.unreadable.zone)
    checkZone(line, settings.fromDatum, settings.zone, "--zone", problems);
  if (toGrid && (settings.toZone || !line.unreadable.zone)) {
    checkZone(line, settings.toDatum, settings.toZone.value_or(settings.zone),
              settings.toZone ? "--toZone" : "--zone", problems);
  }
  // No grid side reads --zone: a number outside every zone is still a typing error.
  if (!fromGrid && !(toGrid && !settings.toZone) && !line.unreadable.zone &&
      (settings.zone < kFirstUtmZone || settings.zone > kLastUtmZone)) {
    problems.push_back("--zone " + std::to_string(settings.zone) + ": expected a zone from 1 to 60");
  }

  if (settings.gridFactors && !fromGrid && settings.toCoordType != CoordType::kEn) {
    problems.push_back(
        "--showFactors: neither side is a grid (EN): the factor fields would stay empty (give "
        "--fromCoordType EN or --toCoordType EN)");
  }

  // A circuit for a side whose coordinates are not EN is never used.
  const auto unusedCircuit = [&](const NzCircuit* circuit, bool grid, std::string_view option,
                                 std::string_view side) {
    if (circuit != nullptr && !grid) {
      problems.push_back(std::string(option) + " " + std::string(circuit->name) + ": the " +
                         std::string(side) + " is not EN, so the circuit goes unused");
    }
  };
  unusedCircuit(settings.fromCircuit, fromGrid, "--fromCircuit", "input");
  unusedCircuit(settings.toCircuit, settings.toCoordType == CoordType::kEn, "--toCircuit", "output");

  const bool epochUsed = isEpochDatum(settings.fromDatum) || isEpochDatum(settings.toDatum);
  if (epochUsed && !line.unreadable.epoch && !isEpochInRange(settings.epoch)) {
    problems.push_back("--epoch " + shortestText(settings.epoch) +
                       ": expected a decimal year from 1950 to 2100");
  }
  if (settings.toEpoch && !isEpochDatum(settings.toDatum)) {
    problems.push_back("--toEpoch " + shortestText(*settings.toEpoch) + ": " +
                       std::string(datumName(settings.toDatum)) +
                       " positions have no epoch (the target epoch is ignored; it serves WGS84, ITRF and "
                       "ATRF2014 targets)");
  } else if (settings.toEpoch && !isEpochInRange(*settings.toEpoch)) {
    problems.push_back("--toEpoch " + shortestText(*settings.toEpoch) +
                       ": expected a decimal year from 1950 to 2100");
  }

  const bool fromHeight = settings.fromHeightType != HeightType::kNone;
  const bool toHeight = settings.toHeightType != HeightType::kNone;
  if (fromHeight != toHeight) {
    problems.push_back(std::string(fromHeight ? "--fromHeightType" : "--toHeightType") +
                       " alone converts no height: give both --fromHeightType and --toHeightType");
  } else if (fromHeight) {
    checkHeightPair(settings, problems);
  }

  // The datum grids serve only --useGridShift: a file named for one would silently go unread.
  if (!settings.useGridShift) {
    for (const GridId id : kGridIds) {
      if (!isDatumGrid(id)) continue;
      const std::size_t slot = static_cast<std::size_t>(id);
      const auto ignored = [&](std::string_view option, const std::string& file) {
        problems.push_back(std::string(option) + " " + std::string(gridSlotName(id)) + "=" + file +
                           ": datum grids are read only with --useGridShift (the file would be ignored)");
      };
      if (!settings.gridFiles[slot].empty()) ignored("--grid", settings.gridFiles[slot]);
      for (const std::string& file : settings.extraGridFiles[slot]) ignored("--extraGrid", file);
    }
  }

  std::error_code error;
  if (!line.gridFolder.empty() && !std::filesystem::is_directory(line.gridFolder, error)) {
    problems.push_back("--gridFolder '" + line.gridFolder + "': no such folder");
  }
  const char* environmentFolder = std::getenv(kGridFolderVariable);
  if (environmentFolder != nullptr && *environmentFolder != '\0' &&
      !std::filesystem::is_directory(environmentFolder, error)) {
    problems.push_back(std::string(kGridFolderVariable) + " '" + environmentFolder + "': no such folder");
  }
  return problems;
}

std::optional<std::string> autoZoneProblem(const ConversionSettings& settings) {
  if (!settings.autoToZone || settings.toCoordType != CoordType::kEn) return std::nullopt;
  // Each point's own zone exists only for the grids that come in UTM zones.
  const ProjectionParams target =
      makeProjectionParams(settings.toDatum, settings.zone, settings.southernHemisphere, settings.isgSubZone);
  if (target.kind == ProjectionKind::kTransverseMercator && target.zone != 0) return std::nullopt;
  return "--toZone auto: the " + std::string(datumName(settings.toDatum)) +
         " grid has no UTM zones (auto serves AMG, MGA and UTM grids)";
}

std::optional<std::string> circuitProblem(const ConversionSettings& settings) {
  const auto check = [](const NzCircuit* circuit, Datum datum,
                        std::string_view option) -> std::optional<std::string> {
    if (circuit == nullptr || datum == Datum::kNzgd2000 || datum == Datum::kNzgd49) return std::nullopt;
    return std::string(option) + " " + std::string(circuit->name) +
           ": the circuits are grids of NZGD2000 and NZGD49, not of " + std::string(datumName(datum));
  };
  if (std::optional<std::string> problem = check(settings.fromCircuit, settings.fromDatum, "--fromCircuit"))
    return problem;
  return check(settings.toCircuit, settings.toDatum, "--toCircuit");
}

OptionVerdict judgeOptions(const RunOptions& options, OptionPolicy policy,
                           std::span<const std::string> frontEndProblems) {
  OptionVerdict verdict;
  verdict.errors = options.errors;
  if (const std::optional<std::string> problem = autoZoneProblem(options.settings))
    verdict.errors.push_back(*problem);
  if (const std::optional<std::string> problem = circuitProblem(options.settings))
    verdict.errors.push_back(*problem);
  // A line's own epoch or zone is read from a field of its own: not one of --columns, nor other
  // (the epoch's field, for the zone; 0 for none).
  const auto checkOwnField = [&](std::string_view option, int field, std::string_view what, int other,
                                 std::string_view readers) {
    if (field <= 0) return;
    const std::string named = std::string(option) + " " + std::to_string(field);
    if (!options.columns) {
      verdict.errors.push_back(named + ": needs --columns (the " + std::string(what) +
                               " is a field of each line)");
    } else if (const ColumnSpec& c = *options.columns;
               field == c.first || field == c.second || field == c.height || field == other) {
      verdict.errors.push_back(named + ": a field " + std::string(readers) + " already reads");
    }
  };
  checkOwnField("--epochColumn", options.epochColumn, "epoch", 0, "--columns");
  checkOwnField("--zoneColumn", options.zoneColumn, "zone", options.epochColumn,
                "--columns or --epochColumn");
  std::vector<std::string>& problems = policy == OptionPolicy::kStrict ? verdict.errors : verdict.warnings;
  problems.insert(problems.end(), options.problems.begin(), options.problems.end());
  if (!options.missingValue) {  // after a missing value the front end says how it is used
    for (std::string& problem : settingsProblems(options)) problems.push_back(std::move(problem));
    problems.insert(problems.end(), frontEndProblems.begin(), frontEndProblems.end());
  }
  return verdict;
}

}  // namespace velmora
