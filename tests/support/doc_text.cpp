#include "tests/support/doc_text.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>

namespace velmora {

bool mentions(std::string_view text, std::string_view word) {
  const auto isWordChar = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
  };
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || !isWordChar(text[at - 1])) && (end == text.size() || !isWordChar(text[end]))) return true;
  }
  return false;
}

std::string manPageWords(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  const std::string source{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::string words;
  words.reserve(source.size());
  for (std::size_t at = 0; at < source.size(); ++at) {
    if (source[at] == '\\' && at + 1 < source.size()) {
      if (source[at + 1] == '-') continue;  // "\-" is the minus sign options are written with
      if (source[at + 1] == 'f' && at + 2 < source.size()) {
        at += 2;  // a one-letter font change
        continue;
      }
    }
    words += source[at];
  }
  return words;
}

}  // namespace velmora
