// The full help of velmora, printed for --help and -h: what the program does, every option with its
// values and default, the datums, coordinate forms, grid files, --showMethod's vocabulary, the ISG
// zones, the exit statuses and examples.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Plain ASCII but for the degree sign of one input example, lines shorter than 100 characters, each
// ending in "\n".
extern const std::string_view kHelpText;

// The entry of kHelpText that describes the option named as the help writes it ("--fromDatum"):
// its lines, as printed, from the one that names it to the next entry. Empty for a name the help
// gives no entry of its own.
std::string optionHelp(std::string_view name);

}  // namespace velmora
