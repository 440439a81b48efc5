// Portable stand-ins for the few platform text functions the program relies on. They work on
// bytes: ASCII letters fold, every byte of a multibyte UTF-8 character is above 0x7F and is
// never a letter or white space, so a multibyte character is never split or changed.
#pragma once

#include <string_view>

namespace velmora {

// Upper-case of an ASCII letter; every other byte unchanged.
constexpr char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// True for space, tab, line feed, vertical tab, form feed and carriage return.
constexpr bool isAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Whole-string comparison ignoring ASCII letter case.
constexpr bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiUpper(a[i]) != asciiUpper(b[i])) return false;
  }
  return true;
}

}  // namespace velmora
