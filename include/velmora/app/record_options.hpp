// How the lines of a file are read when they are more than a point each: columns that say where
// the coordinates are (the rest of the line passes through), another field separator, header lines
// and comment lines copied unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// Fields of a line, counted from 1, that hold the first coordinate, the second and the height.
struct ColumnSpec {
  int first = 0;
  int second = 0;
  int height = 0;  // 0: no height field
};

// The field separator of --delimiter, for input and output.
enum class Delimiter : std::uint8_t {
  kComma,
  kSemicolon,
  kTab,
  kSpace,  // runs of blanks and tabs separate on input; one space is written
};

// The character a delimiter writes.
constexpr char delimiterChar(Delimiter delimiter) {
  switch (delimiter) {
    case Delimiter::kSemicolon:
      return ';';
    case Delimiter::kTab:
      return '\t';
    case Delimiter::kSpace:
      return ' ';
    default:
      return ',';
  }
}

struct RecordOptions {
  std::optional<ColumnSpec> columns;  // the line passes through with these fields replaced
  Delimiter delimiter = Delimiter::kComma;
  std::uint64_t skipLines = 0;  // the first lines are copied unchanged
  std::string comment;          // lines that begin with it are copied unchanged; empty: none
  int epochColumn = 0;          // with columns: the field (from 1) of each line's source epoch; 0: none
  int zoneColumn = 0;           // with columns: the field (from 1) of each line's zone; 0: none
};

}  // namespace velmora
