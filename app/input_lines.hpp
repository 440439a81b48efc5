// An input file or pipe read in blocks of whole lines (velmora/app/input_block.hpp).
//
// Memory stays bounded whatever the input: a block holds one read of the file, and a line that
// continues past a read keeps only what its first three fields need (or the whole line, up to a
// limit, when lines are read whole).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/app/input_block.hpp"
#include "velmora/app/line_fields.hpp"
#include "velmora/converter.hpp"

namespace velmora {

enum class ReadStatus {
  kLines,        // the block holds at least one line
  kEnd,          // the input is exhausted; the block is empty
  kError,        // a read failed; the block is empty, and the lines of earlier blocks stand
  kLineTooLong,  // a reader that keeps whole lines met one longer than kMaxWholeLineBytes
};

// The longest line a reader that keeps whole lines holds (columns mode copies every line whole).
inline constexpr std::size_t kMaxWholeLineBytes = 1 << 20;

// Cuts a file into blocks of whole lines: at most one read of the file and kMaxLinesPerBlock lines
// each. The file stays owned by the caller.
class LineReader {
 public:
  // keepWholeLines: a line that continues past a read is kept whole (up to kMaxWholeLineBytes), not
  // only its first fields.
  explicit LineReader(std::FILE* file, bool keepWholeLines = false);

  // Bytes read from the file so far.
  std::uint64_t bytesRead() const { return bytesRead_; }

  // The number of the line that was too long, after kLineTooLong.
  std::uint64_t tooLongLineNumber() const { return linesHandedOut_ + 1; }

  ReadStatus readBlock(InputBlock& block);

  // After kError: the errno of the read that failed, taken at the failure (EIO when it set none).
  int readError() const { return readError_; }

  // The last read returned less than it asked for without reaching the end: the input comes from a
  // pipe or a terminal faster than it is written, and results already converted should not wait.
  bool slowInput() const { return slowInput_ && !ended_; }

 private:
  // A line that continues past the end of a read: the fields seen so far, each cut to its limit.
  class PendingLine {
   public:
    explicit PendingLine(bool keepWhole);
    bool started() const { return started_; }
    bool tooLong() const { return tooLong_; }
    void append(std::string_view piece);
    // The fields (and the whole text, when kept), copied into spill; the line is then reset.
    LineFields finish(std::string& spill, std::string_view& text);

   private:
    std::array<std::string, 3> fields_;
    std::size_t fieldsSeen_ = 0;  // fields begun, counted up to 4 (4: past the third)
    bool inField_ = false;
    bool started_ = false;
    bool afterComma_ = true;  // nothing but a line ending since the line's start or its last comma
    bool sawComma_ = false;
    bool emptyField_ = false;
    bool longField_ = false;
    bool keepWhole_;
    bool tooLong_ = false;
    std::string whole_;  // the whole line, when kept
  };

  bool refill();
  std::size_t readSome(char* into, std::size_t size);

  std::FILE* file_;
  std::vector<char> buffer_;  // the last read of the file
  std::size_t begin_ = 0;     // the part of buffer_ not yet handed out
  std::size_t end_ = 0;
  PendingLine pending_;
  std::uint64_t linesHandedOut_ = 0;
  std::uint64_t bytesRead_ = 0;
  bool ended_ = false;   // the file gave its last byte
  int readError_ = 0;    // errno of the read that failed (EIO when it set none); 0: none failed
  bool atStart_ = true;  // nothing read yet: a byte-order mark may come
  bool slowInput_ = false;
};

}  // namespace velmora
