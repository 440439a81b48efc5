#include "app/command_line.hpp"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <optional>

namespace velmora {

const std::array<std::string_view, 24> kUsageLines{
    "USAGE:\n",
    "  Velmora [options] <easting_or_latitude> <northing_or_longitude> [height]\n",
    "  Velmora [options] --inputFile <filename>\n",
    "\n",
    "    --fromDatum <datum>\n",
    "    --fromCoordType <coordtype>\n",
    "    --fromHeightType <heighttype> (optional. Only valid when datum is GDA94 or GDA2020)\n",
    "\n",
    "    --toDatum <datum>\n",
    "    --toCoordType <coordtype>\n",
    "    --toHeightType <heighttype> (optional. Only valid when datum is GDA94 or GDA2020)\n",
    "\n",
    "    --zone <utmzone>  (only necessary if fromCoordType is EN)\n",
    "    --ISGSubZone <isg_zone>  (only necessary if datum is ISG)\n",
    "    --epoch <epoch> (optional. default is 1994.0)\n",
    "    --useGridShift (optional. default is no grid shift)\n",
    "    --hemisphere <hemisphere> (optional, default is S)\n",
    "    --useITRF2008 (optional, default is ITRF2000)\n",
    "    --useAusGeoid98 (optional, default is AusGeoid09)\n",
    "\n",
    "Valid values for datum: AGD66, AGD84, ISG, GDA94, GDA2020, WGS84\n",
    "Valid values for coordtype: EN, DMS, DM, DD\n",
    "Valid values for heighttype: None, Ellipsoid, AHD\n",
    "Valid values for hemisphere: S, N\n",
};

void printUsage(std::FILE* out) {
  for (const std::string_view line : kUsageLines) std::fwrite(line.data(), 1, line.size(), out);
}

namespace {

constexpr std::string_view kShortHelp = "-h";

bool isOption(std::string_view argument) {
  return (argument.size() >= 2 && argument[0] == '-' && argument[1] == '-') || argument == kShortHelp;
}

}  // namespace

namespace {

// The options at the start of args, each with the arguments it spans, and where the scan ended.
struct ScannedOptions {
  std::vector<OptionText> options;
  std::vector<std::size_t> firstArgument;  // of each option, its index in args
  std::size_t end = 1;                     // the first argument after the options
};

ScannedOptions scanOptions(std::span<const std::string_view> args) {
  ScannedOptions scan;
  std::size_t& index = scan.end;
  while (index < args.size() && isOption(args[index])) {
    const std::string_view argument = args[index];
    scan.firstArgument.push_back(index);
    ++index;
    // "--name=value": the name ends at the first "=".
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    if (equals != std::string_view::npos) {
      scan.options.push_back({name, argument.substr(equals + 1)});
      continue;
    }
    const std::optional<bool> takesValue = optionTakesValue(name);
    if (!takesValue || !*takesValue) {  // a flag, or an unknown option, which takes no value
      scan.options.push_back({name, std::nullopt});
      continue;
    }
    if (index >= args.size()) {  // the value is missing: the scan stops
      scan.options.push_back({name, std::nullopt});
      break;
    }
    scan.options.push_back({name, args[index]});
    ++index;
  }
  return scan;
}

OptionVerdict judgeScanned(std::span<const OptionText> options, OptionPolicy policy) {
  return judgeOptions(readOptions(options), policy);
}

// Where the message first names the option as given (its name as typed, ending there); npos for
// nowhere.
std::size_t namedAt(std::string_view message, std::string_view name) {
  for (std::size_t at = message.find(name); at != std::string_view::npos; at = message.find(name, at + 1)) {
    const std::size_t after = at + name.size();
    if (after == message.size() || std::isalnum(static_cast<unsigned char>(message[after])) == 0) return at;
  }
  return std::string_view::npos;
}

std::vector<OptionFinding> placeFindings(const std::vector<std::string>& messages, const ScannedOptions& scan,
                                         OptionPolicy policy) {
  // The verdict without each option in turn: a message that disappears belongs to that option.
  std::vector<OptionVerdict> without;
  without.reserve(scan.options.size());
  for (std::size_t k = 0; k < scan.options.size(); ++k) {
    std::vector<OptionText> rest = scan.options;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(k));
    without.push_back(judgeScanned(rest, policy));
  }
  std::vector<OptionFinding> findings;
  for (const std::string& message : messages) {
    // Of the options whose removal takes the message away, the one it names first; of those named
    // alike (an option given twice), the last given, whose value the setting holds. When no single
    // removal takes it away (the same option given twice with one value), the option it names first.
    struct Choice {
      std::optional<std::size_t> option;
      std::size_t at = std::string_view::npos;
    } removing, named;
    for (std::size_t k = 0; k < scan.options.size(); ++k) {
      const std::size_t at = namedAt(message, scan.options[k].name);
      const auto holds = [&](const std::vector<std::string>& list) {
        return std::find(list.begin(), list.end(), message) != list.end();
      };
      const bool removes = !holds(without[k].errors) && !holds(without[k].warnings);
      if (removes && (!removing.option || at <= removing.at)) removing = {k, at};
      if (at != std::string_view::npos && at <= named.at) named = {k, at};
    }
    const std::optional<std::size_t> option = removing.option ? removing.option : named.option;
    findings.push_back({message, option ? std::optional(scan.firstArgument[*option]) : std::nullopt});
  }
  return findings;
}

}  // namespace

CommandLine scanCommandLine(std::span<const std::string_view> args) {
  const ScannedOptions scan = scanOptions(args);
  CommandLine line;
  static_cast<RunOptions&>(line) = readOptions(scan.options);
  if (!args.empty()) line.programPath.assign(args.front());
  if (!line.missingValue && scan.end < args.size()) line.positionals = args.subspan(scan.end);
  return line;
}

OptionFindings findOptionProblems(std::span<const std::string_view> args) {
  const ScannedOptions scan = scanOptions(args);
  const OptionVerdict strict = judgeScanned(scan.options, OptionPolicy::kStrict);
  const OptionVerdict lax = judgeScanned(scan.options, OptionPolicy::kLax);
  return {placeFindings(strict.errors, scan, OptionPolicy::kStrict),
          placeFindings(lax.warnings, scan, OptionPolicy::kLax)};
}

std::vector<std::string> positionalProblems(const CommandLine& line) {
  std::vector<std::string> problems;
  for (const std::string_view argument : line.positionals) {
    // A known option, with a value or without (optionTakesValue is none only for an unknown name).
    if (isOption(argument) && optionTakesValue(argument.substr(0, argument.find('='))).has_value()) {
      problems.push_back("option '" + std::string(argument) +
                         "' after the point: options go before the coordinates");
      return problems;
    }
  }
  if (line.useInputFile) {
    if (!line.positionals.empty()) {
      problems.push_back("unexpected argument '" + std::string(line.positionals.front()) +
                         "': a point is not read from the arguments with --inputFile");
    }
  } else if (line.positionals.size() < 2) {
    problems.push_back("expected a point (two coordinates and an optional height) or --inputFile FILE");
  } else if (line.positionals.size() > 3) {
    problems.push_back("unexpected argument '" + std::string(line.positionals[3]) +
                       "': a point is two coordinates and an optional height");
  }
  return problems;
}

}  // namespace velmora
