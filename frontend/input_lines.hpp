// Points from an input file, read in blocks of whole lines, and from the positional arguments.
//
// A line is one point: first coordinate, second coordinate, optional height, the fields being the
// non-empty runs between commas. Memory stays bounded whatever the input: a block holds one read of
// the file, and a line that continues past a read keeps only what its first three fields need.
#pragma once

#include <array>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/converter.hpp"

namespace velmora {

// Bytes of a field that are read: every number fits many times over. The rest of a longer field is
// skipped without being stored.
inline constexpr std::size_t kFieldReadLimitBytes = 4096;

// Bytes of one read of the input file.
inline constexpr std::size_t kInputChunkBytes = 1 << 16;

// The first three fields of a line; the last field found keeps the line's newline when it reaches it.
struct LineFields {
  std::array<std::string_view, 3> fields{};
  std::size_t count = 0;  // fields found, at most 3
};

// Fields of one whole line (with its ending newline, if it had one), each cut to kFieldReadLimitBytes.
LineFields splitInputLine(std::string_view line);

// The point of a line: first and second coordinate by the source coordinate type, the height read
// as a decimal number (0.0 when absent). Nothing when the line has fewer than two fields.
std::optional<Coordinates> pointOfLine(const LineFields& line, CoordType fromCoordType);

// The single point of the positional arguments: first and second coordinate, optional height.
// Nothing when fewer than two arguments are given.
std::optional<Coordinates> positionalPoint(std::span<const std::string_view> positionals,
                                           CoordType fromCoordType);

// Whole lines of the input, in order. The views of lines point into bytes and spill.
struct InputBlock {
  std::vector<char> bytes;        // one read of the file
  std::string spill;              // the fields of a line that began in an earlier read
  std::vector<LineFields> lines;  // every line of the block, also those with fewer than two fields
};

enum class ReadStatus {
  kLines,  // the block holds at least one line
  kEnd,    // the input is exhausted; the block is empty
  kError,  // a read failed; the block is empty, and the lines of earlier blocks stand
};

// Cuts a file into blocks of whole lines. The file stays owned by the caller.
class LineReader {
 public:
  explicit LineReader(std::FILE* file);

  ReadStatus readBlock(InputBlock& block);

 private:
  // A line that continues past the end of a read: the fields seen so far, each cut to its limit.
  class PendingLine {
   public:
    PendingLine();
    bool started() const { return started_; }
    void append(std::string_view piece);
    // The fields, copied into spill; the line is then reset.
    LineFields finish(std::string& spill);

   private:
    std::array<std::string, 3> fields_;
    std::size_t fieldsSeen_ = 0;  // fields begun, counted up to 4 (4: past the third)
    bool inField_ = false;
    bool started_ = false;
  };

  std::FILE* file_;
  PendingLine pending_;
  bool done_ = false;
};

}  // namespace velmora
