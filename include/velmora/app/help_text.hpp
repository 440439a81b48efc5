// The full help of velmora, printed for --help and -h: what the program does, every option with its
// values and default, the datums, coordinate forms, grid files, --showMethod's vocabulary, the ISG
// zones, the exit statuses and examples.
#pragma once

#include <string_view>

namespace velmora {

// Plain ASCII but for the degree sign of one input example, lines shorter than 100 characters, each
// ending in "\n".
extern const std::string_view kHelpText;

}  // namespace velmora
