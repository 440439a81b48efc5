// The fields of a line read by records (--columns, --delimiter, --skipLines, --comment).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/app/line_fields.hpp"
#include "velmora/app/record_options.hpp"

namespace velmora {

// The bytes [begin, end) of one field in its line.
struct FieldRange {
  std::size_t begin;
  std::size_t end;
};

// Every field of a line (without its ending), empty ones included; a field in double quotes is one
// field whatever it holds (RFC 4180). With blanks as the delimiter, runs of blanks and tabs separate
// and the line's leading and trailing blanks belong to no field. False when a field opens a double
// quote that the line never closes (that field then runs to the line's end).
bool splitRecord(std::string_view body, Delimiter delimiter, std::vector<FieldRange>& fields);

// A field's value: a quoted field without its quotes, "" read as one quote (in scratch).
std::string_view fieldValue(std::string_view field, std::string& scratch);

// The first three non-empty fields, as a line of the default form is read, split at the delimiter.
LineFields splitAtDelimiter(std::string_view body, Delimiter delimiter);

// The result lines from start on, written with commas, take the delimiter. With blanks, the groups
// of an angle are joined by colons and an empty field of a failed line is written "*".
void withDelimiter(Delimiter delimiter, std::string& results, std::size_t start);

}  // namespace velmora
