// Whole lines of input in blocks: the unit a front end reads, the workers convert and the results
// are written in. A block holds one read of the input at most, whatever the lines hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/app/line_fields.hpp"

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
  friend class LineReader;  // the program's reader of files and pipes fills blocks
  void clear();

  std::string bytes_;             // whole lines, at most one read of the file
  std::string spill_;             // the fields of a line that began in an earlier read
  LineFields spilledLine_;        // its fields, viewing spill_
  std::string_view spilledText_;  // its whole text, viewing spill_, when the reader keeps whole lines
  bool hasSpilledLine_ = false;
  std::uint64_t firstLineNumber_ = 1;
  std::size_t lineCount_ = 0;
};

}  // namespace velmora
