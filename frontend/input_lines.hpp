// Points from an input file, read in blocks of whole lines, and from the positional arguments.
//
// A line is one point: first coordinate, second coordinate, optional height, the fields being the
// non-empty runs between commas. Memory stays bounded whatever the input: a block holds one read of
// the file, and a line that continues past a read keeps only what its first three fields need.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/app/line_fields.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// Bytes of one read of the input file.
inline constexpr std::size_t kInputChunkBytes = 1 << 16;

// Lines of a block, at most this many: the results and messages of a block stay small whatever the
// lines hold.
inline constexpr std::size_t kMaxLinesPerBlock = 2048;

// Whole lines of the input, in order: first the line that began in an earlier read, if any, then the
// lines in bytes, each with its newline.
class InputBlock {
 public:
  InputBlock();

  // Calls visit(const LineFields&) for every line of the block, in input order.
  template <typename Visit>
  void forEachLine(Visit&& visit) const {
    if (hasSpilledLine_) visit(spilledLine_);
    std::string_view rest(bytes_.data(), bytes_.size());
    for (std::size_t newline; (newline = rest.find('\n')) != std::string_view::npos;) {
      visit(splitInputLine(rest.substr(0, newline + 1)));
      rest.remove_prefix(newline + 1);
    }
  }

  // Calls visit(std::string_view) with the whole text of every line of the block (with its newline,
  // if it had one), in input order. Only for a reader that keeps whole lines.
  template <typename Visit>
  void forEachText(Visit&& visit) const {
    if (hasSpilledLine_) visit(spilledText_);
    std::string_view rest(bytes_.data(), bytes_.size());
    for (std::size_t newline; (newline = rest.find('\n')) != std::string_view::npos;) {
      visit(rest.substr(0, newline + 1));
      rest.remove_prefix(newline + 1);
    }
  }

  bool empty() const { return !hasSpilledLine_ && bytes_.empty(); }

  std::size_t lineCount() const { return lineCount_; }

  // The number of the block's first line in the input, counted from 1.
  std::uint64_t firstLineNumber() const { return firstLineNumber_; }

 private:
  friend class LineReader;
  void clear();

  std::string bytes_;             // whole lines, at most one read of the file
  std::string spill_;             // the fields of a line that began in an earlier read
  LineFields spilledLine_;        // its fields, viewing spill_
  std::string_view spilledText_;  // its whole text, viewing spill_, when the reader keeps whole lines
  bool hasSpilledLine_ = false;
  std::uint64_t firstLineNumber_ = 1;
  std::size_t lineCount_ = 0;
};

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
