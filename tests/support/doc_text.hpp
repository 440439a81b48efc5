// Searching the documentation (help texts and manual pages) for the names a user may type.
#pragma once

#include <string>
#include <string_view>

namespace velmora {

// True when word stands in text with no letter, digit, '-' or '_' right before or after it, so
// that "-h" is not found inside "--hemisphere", "--grid" inside "--gridFolder" nor "GDA94" inside
// "GDA94-GDA2020" alone.
bool mentions(std::string_view text, std::string_view word);

// The roff source of a manual page as a reader sees its words: "\-" is "-" and the font changes
// (\fB, \fI, \fR, \fP) are gone. An unreadable file gives a GoogleTest failure and empty text.
std::string manPageWords(const std::string& path);

}  // namespace velmora
