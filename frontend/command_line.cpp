#include "frontend/command_line.hpp"

#include "common/ascii_text.hpp"
#include "common/number_text.hpp"

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
  kUseGridShift,
  kHemisphere,
  kUseItrf2008,
  kUseAusGeoid98,
  kThreads,
};

struct OptionName {
  std::string_view name;  // compared ignoring ASCII case
  Option option;
  bool takesValue;
};

constexpr std::array<OptionName, 15> kOptions{{
    {"--inputfile", Option::kInputFile, true},
    {"--fromdatum", Option::kFromDatum, true},
    {"--fromcoordtype", Option::kFromCoordType, true},
    {"--fromheighttype", Option::kFromHeightType, true},
    {"--todatum", Option::kToDatum, true},
    {"--tocoordtype", Option::kToCoordType, true},
    {"--toheighttype", Option::kToHeightType, true},
    {"--zone", Option::kZone, true},
    {"--ISGSubZone", Option::kIsgSubZone, true},
    {"--epoch", Option::kEpoch, true},
    {"--usegridshift", Option::kUseGridShift, false},
    {"--hemisphere", Option::kHemisphere, true},
    {"--useITRF2008", Option::kUseItrf2008, false},
    {"--useAusGeoid98", Option::kUseAusGeoid98, false},
    {"--threads", Option::kThreads, true},
}};

bool isOption(std::string_view argument) {
  return argument.size() >= 2 && argument[0] == '-' && argument[1] == '-';
}

const OptionName* findOption(std::string_view argument) {
  for (const OptionName& entry : kOptions) {
    if (equalsIgnoreCase(argument, entry.name)) return &entry;
  }
  return nullptr;
}

void applyOption(Option option, std::string_view value, CommandLine& line) {
  ConversionSettings& settings = line.settings;
  switch (option) {
    case Option::kInputFile:
      line.useInputFile = true;
      line.inputFile.assign(value);
      break;
    case Option::kFromDatum:
      settings.fromDatum = parseDatumName(value);
      break;
    case Option::kFromCoordType:
      settings.fromCoordType = parseCoordType(value);
      break;
    case Option::kFromHeightType:
      settings.fromHeightType = parseHeightType(value);
      break;
    case Option::kToDatum:
      settings.toDatum = parseDatumName(value);
      break;
    case Option::kToCoordType:
      settings.toCoordType = parseCoordType(value);
      break;
    case Option::kToHeightType:
      settings.toHeightType = parseHeightType(value);
      break;
    case Option::kZone:
      settings.zone = readWholeNumber(value);
      break;
    case Option::kIsgSubZone:
      settings.isgSubZone = readWholeNumber(value);
      break;
    case Option::kEpoch:
      settings.epoch = readDecimal(value);
      break;
    case Option::kUseGridShift:
      settings.useGridShift = true;
      break;
    case Option::kHemisphere:
      // Only the first character counts, and only in upper case; anything else keeps the setting.
      if (!value.empty() && value.front() == 'S') settings.southernHemisphere = true;
      if (!value.empty() && value.front() == 'N') settings.southernHemisphere = false;
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
      break;
    }
  }
}

}  // namespace

CommandLine scanCommandLine(std::span<const std::string_view> args) {
  CommandLine line;
  if (!args.empty()) line.programPath.assign(args.front());
  std::size_t index = 1;
  while (index < args.size() && isOption(args[index])) {
    const OptionName* entry = findOption(args[index]);
    ++index;
    if (entry == nullptr) continue;  // unknown option: skipped alone, it takes no value
    if (!entry->takesValue) {
      applyOption(entry->option, {}, line);
      continue;
    }
    if (index >= args.size()) {
      line.missingValue = true;
      return line;
    }
    applyOption(entry->option, args[index], line);
    ++index;
  }
  if (index < args.size()) line.positionals = args.subspan(index);
  return line;
}

}  // namespace velmora
