#include "app/input_lines.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/text_fields.hpp"

namespace velmora {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kPastLastField = kFieldsPerLine + 1;

bool isLineEnding(std::string_view text) {
  return text.find_first_not_of("\r\n") == std::string_view::npos;
}

}  // namespace

LineReader::PendingLine::PendingLine(bool keepWhole) : keepWhole_(keepWhole) {
  for (std::string& field : fields_) field.reserve(kFieldReadLimitBytes);
}

void LineReader::PendingLine::append(std::string_view piece) {
  started_ = started_ || !piece.empty();
  if (keepWhole_ && !tooLong_) {
    // The limit is of the line's text: its ending ("\r\n" at most) does not count.
    tooLong_ = whole_.size() + piece.size() > kMaxWholeLineBytes + 2;
    if (!tooLong_) whole_.append(piece);
  }
  while (!piece.empty()) {
    const std::size_t comma = piece.find(',');
    const std::string_view run = piece.substr(0, comma);
    if (!run.empty()) {
      if (!inField_) {
        inField_ = true;
        fieldsSeen_ = std::min(fieldsSeen_ + 1, kPastLastField);
      }
      if (fieldsSeen_ <= kFieldsPerLine) {
        std::string& field = fields_[fieldsSeen_ - 1];
        const std::size_t room = kFieldReadLimitBytes - field.size();
        longField_ = longField_ || run.size() > room;
        field.append(run.substr(0, room));
      }
      afterComma_ = afterComma_ && isLineEnding(run);
    }
    if (comma == std::string_view::npos) break;
    emptyField_ = emptyField_ || afterComma_;
    afterComma_ = true;
    sawComma_ = true;
    inField_ = false;
    piece.remove_prefix(comma + 1);
  }
}

LineFields LineReader::PendingLine::finish(std::string& spill, std::string_view& text) {
  LineFields result;
  result.count = std::min(fieldsSeen_, kFieldsPerLine);
  result.moreFields = fieldsSeen_ > kFieldsPerLine;
  result.emptyField = emptyField_ || (sawComma_ && afterComma_);
  result.longField = longField_;
  // Views are taken once every field is in place, so a growing spill cannot leave one dangling.
  std::array<std::size_t, kFieldsPerLine> offsets{};
  for (std::size_t k = 0; k < result.count; ++k) {
    offsets[k] = spill.size();
    spill.append(fields_[k]);
  }
  const std::size_t textOffset = spill.size();
  if (keepWhole_) spill.append(whole_);
  for (std::size_t k = 0; k < result.count; ++k) {
    result.fields[k] = std::string_view(spill).substr(offsets[k], fields_[k].size());
  }
  text = std::string_view(spill).substr(textOffset, keepWhole_ ? whole_.size() : 0);
  whole_.clear();
  for (std::string& field : fields_) field.clear();
  fieldsSeen_ = 0;
  inField_ = false;
  started_ = false;
  afterComma_ = true;
  sawComma_ = false;
  emptyField_ = false;
  longField_ = false;
  return result;
}

LineReader::LineReader(std::FILE* file, bool keepWholeLines)
    : file_(file), buffer_(kInputChunkBytes), pending_(keepWholeLines) {}

std::size_t LineReader::readSome(char* into, std::size_t size) {
  // read(2) where the stream has a descriptor: it returns what a pipe holds now, where fread would
  // wait for the whole request, so that a line typed or piped in is converted at once.
  const int descriptor = ::fileno(file_);
  if (descriptor < 0) {
    errno = 0;
    const std::size_t got = std::fread(into, 1, size, file_);
    if (got == 0 && std::ferror(file_) != 0) readError_ = errno != 0 ? errno : EIO;
    return got;
  }
  for (;;) {
    const ssize_t got = ::read(descriptor, into, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno == EINTR) continue;
    readError_ = errno;  // a folder given as the file, a failing device
    return 0;
  }
}

bool LineReader::refill() {
  if (ended_) return false;
  begin_ = 0;
  end_ = readSome(buffer_.data(), buffer_.size());
  if (atStart_) {
    atStart_ = false;
    // A UTF-8 byte-order mark, as spreadsheet programs write it, is no part of the first field. A
    // pipe may hand over its first bytes one by one.
    while (end_ > 0 && end_ < kByteOrderMark.size() && kByteOrderMark.starts_with({buffer_.data(), end_})) {
      const std::size_t more = readSome(buffer_.data() + end_, buffer_.size() - end_);
      if (more == 0) break;
      end_ += more;
    }
    if (std::string_view(buffer_.data(), end_).starts_with(kByteOrderMark)) begin_ = kByteOrderMark.size();
  }
  bytesRead_ += end_;
  slowInput_ = end_ > 0 && end_ < buffer_.size();
  if (end_ > 0) return true;
  ended_ = true;
  return false;
}

// A block never holds lines of two reads, so its bytes fit the room reserved once; a line that
// began in an earlier read comes first in the block where it ends.
ReadStatus LineReader::readBlock(InputBlock& block) {
  block.clear();
  if (pending_.tooLong()) return ReadStatus::kLineTooLong;
  block.firstLineNumber_ = linesHandedOut_ + 1;
  std::size_t lines = 0;
  const auto handOut = [&](ReadStatus status) {
    linesHandedOut_ += lines;
    block.lineCount_ = lines;
    return status;
  };
  for (;;) {
    if (begin_ == end_) {
      if (lines > 0) return handOut(ReadStatus::kLines);
      if (!refill()) {
        if (readError_ != 0) return ReadStatus::kError;
        if (!pending_.started()) return ReadStatus::kEnd;
        block.spilledLine_ = pending_.finish(block.spill_, block.spilledText_);
        block.hasSpilledLine_ = true;
        lines = 1;
        return handOut(ReadStatus::kLines);
      }
    }
    std::string_view rest(buffer_.data() + begin_, end_ - begin_);
    if (pending_.started()) {
      const std::size_t newline = rest.find('\n');
      const std::size_t taken = newline == std::string_view::npos ? rest.size() : newline + 1;
      pending_.append(rest.substr(0, taken));
      begin_ += taken;
      if (pending_.tooLong()) return lines > 0 ? handOut(ReadStatus::kLines) : ReadStatus::kLineTooLong;
      if (newline == std::string_view::npos) continue;
      block.spilledLine_ = pending_.finish(block.spill_, block.spilledText_);
      block.hasSpilledLine_ = true;
      rest.remove_prefix(taken);
      ++lines;
    }
    // Whole lines, up to the cap; what follows the last newline begins the next pending line.
    std::size_t taken = 0;
    for (std::size_t newline;
         lines < kMaxLinesPerBlock && (newline = rest.find('\n', taken)) != std::string_view::npos;) {
      taken = newline + 1;
      ++lines;
    }
    block.bytes_.append(rest.data(), taken);
    begin_ += taken;
    if (lines == kMaxLinesPerBlock) return handOut(ReadStatus::kLines);
    pending_.append(rest.substr(taken));
    begin_ = end_;
    if (pending_.tooLong()) return lines > 0 ? handOut(ReadStatus::kLines) : ReadStatus::kLineTooLong;
  }
}

}  // namespace velmora
