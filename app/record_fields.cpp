// The fields of a line read by records: split at the chosen delimiter, double quotes keeping a field
// whole, and the result lines written back with that delimiter.
#include "velmora/app/record_fields.hpp"

#include <algorithm>

namespace velmora {

void withDelimiter(Delimiter delimiter, std::string& results, std::size_t start) {
  const auto begin = results.begin() + static_cast<std::ptrdiff_t>(start);
  if (delimiter != Delimiter::kSpace) {
    std::replace(begin, results.end(), ',', delimiterChar(delimiter));
    return;
  }
  std::replace(begin, results.end(), ' ', ':');
  std::string line;
  for (auto at = begin; at != results.end(); ++at) {
    const bool fieldEnd = *at == ',' || *at == '\n';
    if (fieldEnd && (line.empty() || line.back() == ' ' || line.back() == '\n')) line.push_back('*');
    line.push_back(*at == ',' ? ' ' : *at);
  }
  results.replace(begin, results.end(), line);
}

LineFields splitAtDelimiter(std::string_view body, Delimiter delimiter) {
  LineFields line;
  std::size_t found = 0;
  std::size_t at = 0;
  const bool blanks = delimiter == Delimiter::kSpace;
  const char separator = delimiterChar(delimiter);
  const auto isSeparator = [&](char c) { return blanks ? (c == ' ' || c == '\t') : c == separator; };
  while (at < body.size()) {
    if (isSeparator(body[at])) {
      if (!blanks && (at == 0 || at + 1 == body.size() || isSeparator(body[at + 1]))) line.emptyField = true;
      ++at;
      continue;
    }
    std::size_t end = at;
    while (end < body.size() && !isSeparator(body[end])) ++end;
    if (found < line.fields.size()) line.fields[found] = body.substr(at, end - at);
    ++found;
    at = end;
  }
  line.count = std::min(found, line.fields.size());
  line.moreFields = found > line.fields.size();
  return line;
}

bool splitRecord(std::string_view body, Delimiter delimiter, std::vector<FieldRange>& fields) {
  fields.clear();
  const bool blanks = delimiter == Delimiter::kSpace;
  const char separator = delimiterChar(delimiter);
  const auto isSeparator = [&](char c) { return blanks ? (c == ' ' || c == '\t') : c == separator; };
  std::size_t at = 0;
  if (blanks) {
    while (at < body.size() && isSeparator(body[at])) ++at;
    if (at == body.size()) return true;
  }
  bool closed = true;
  for (;;) {
    std::size_t end = at;
    if (end < body.size() && body[end] == '"') {
      // To the closing quote ("" is a quote inside), then on to the separator.
      closed = false;
      for (++end; end < body.size(); ++end) {
        if (body[end] != '"') continue;
        if (end + 1 < body.size() && body[end + 1] == '"') {
          ++end;
          continue;
        }
        closed = true;
        break;
      }
      if (!closed) {
        fields.push_back({at, body.size()});
        return false;
      }
    }
    while (end < body.size() && !isSeparator(body[end])) ++end;
    fields.push_back({at, end});
    if (end == body.size()) return true;
    at = end + 1;
    if (blanks) {
      while (at < body.size() && isSeparator(body[at])) ++at;
      if (at == body.size()) return true;
    }
  }
}

std::string_view fieldValue(std::string_view field, std::string& scratch) {
  if (field.size() < 2 || field.front() != '"' || field.back() != '"') return field;
  scratch.clear();
  const std::string_view inner = field.substr(1, field.size() - 2);
  for (std::size_t k = 0; k < inner.size(); ++k) {
    scratch.push_back(inner[k]);
    if (inner[k] == '"' && k + 1 < inner.size() && inner[k + 1] == '"') ++k;
  }
  return scratch;
}

}  // namespace velmora
