#include "frontend/command_line.hpp"

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

CommandLine scanCommandLine(std::span<const std::string_view> args) {
  std::vector<OptionText> options;
  std::size_t index = 1;
  while (index < args.size() && isOption(args[index])) {
    const std::string_view argument = args[index];
    ++index;
    // "--name=value": the name ends at the first "=".
    const std::size_t equals = argument.find('=');
    const std::string_view name = argument.substr(0, equals);
    if (equals != std::string_view::npos) {
      options.push_back({name, argument.substr(equals + 1)});
      continue;
    }
    const std::optional<bool> takesValue = optionTakesValue(name);
    if (!takesValue || !*takesValue) {  // a flag, or an unknown option, which takes no value
      options.push_back({name, std::nullopt});
      continue;
    }
    if (index >= args.size()) {  // the value is missing: the scan stops
      options.push_back({name, std::nullopt});
      break;
    }
    options.push_back({name, args[index]});
    ++index;
  }
  CommandLine line;
  static_cast<RunOptions&>(line) = readOptions(options);
  if (!args.empty()) line.programPath.assign(args.front());
  if (!line.missingValue && index < args.size()) line.positionals = args.subspan(index);
  return line;
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
