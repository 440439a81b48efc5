// Writers of both NTv2 forms. The binary form is written in either byte order, with or without
// the 4 bytes of padding after int32 values; the text form uses "." as decimal point and the
// shortest text that reads back to the same number. Files are replaced whole or not at all.

#include "velmora/gridfile/grid_writer.hpp"

#include <unistd.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <span>

#include "common/atomic_file.hpp"
#include "gridfile/grid_keys.hpp"
#include "common/bit_cast.hpp"
#include "common/number_text.hpp"

namespace velmora {

namespace {

constexpr std::size_t kPaddingBytes = 4;
constexpr std::size_t kEndValueBytes = 8;

class BinaryEncoder {
 public:
  explicit BinaryEncoder(const BinaryLayout& layout)
      : swap_((std::endian::native == std::endian::big) != layout.bigEndian), padded_(layout.paddedInts) {}

  void key(std::string_view name) { text(name); }

  // The first 8 bytes of value, blank-padded when shorter.
  void text(std::string_view value) {
    std::string field(value.substr(0, kGridFieldLength));
    field.resize(kGridFieldLength, ' ');
    bytes_ += field;
  }

  void integer(std::int32_t value) {
    bytes(bitCast<std::array<char, 4>>(value));
    if (padded_) bytes_.append(kPaddingBytes, '\0');
  }

  void real(double value) { bytes(bitCast<std::array<char, 8>>(value)); }
  void single(float value) { bytes(bitCast<std::array<char, 4>>(value)); }

  void textRecord(std::string_view name, std::string_view value) {
    key(name);
    text(value);
  }
  void integerRecord(std::string_view name, std::int32_t value) {
    key(name);
    integer(value);
  }
  void realRecord(std::string_view name, double value) {
    key(name);
    real(value);
  }

  void raw(std::string_view value) { bytes_ += value; }

  std::string take() { return std::move(bytes_); }

 private:
  template <std::size_t N>
  void bytes(std::array<char, N> value) {
    if (swap_) {
      for (std::size_t i = 0; i < N / 2; ++i) std::swap(value[i], value[N - 1 - i]);
    }
    bytes_.append(value.data(), N);
  }

  bool swap_;
  bool padded_;
  std::string bytes_;
};

std::int32_t countOf(std::size_t size, const std::optional<std::int32_t>& override) {
  return override.value_or(static_cast<std::int32_t>(size));
}

std::string numberText(double value) {
  return shortestText(value);
}

// A float in the shortest text that the reader (which parses a double and narrows it) turns back
// into the same float; the double's own digits when the float's would round differently.
std::string floatText(float value) {
  std::string text = shortestText(value);
  const double back = readDecimal(text);
  if (bitCast<std::uint32_t>(static_cast<float>(back)) != bitCast<std::uint32_t>(value)) {
    text = shortestText(static_cast<double>(value));
  }
  return text;
}

// Text values are quoted when they hold white space or are empty, so they read back whole.
std::string textValue(std::string_view value) {
  const bool needsQuotes = value.empty() || value.find_first_of(" \t") != std::string_view::npos;
  if (!needsQuotes) return std::string(value);
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.append(1, '"').append(value).append(1, '"');
  return quoted;
}

// Trailing blanks and everything from the first control byte on are no part of a text value.
std::string cleanText(std::string_view raw) {
  std::size_t end = 0;
  while (end < raw.size() && static_cast<unsigned char>(raw[end]) >= 0x20) ++end;
  raw = raw.substr(0, end);
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  return std::string(raw);
}

std::error_code lastError() {
  return {errno, std::generic_category()};
}

}  // namespace

std::string encodeBinaryGrid(const GridImage& image, const BinaryLayout& layout) {
  BinaryEncoder out(layout);
  out.integerRecord("NUM_OREC", kRecordsPerHeader);
  out.integerRecord("NUM_SREC", kRecordsPerHeader);
  out.integerRecord("NUM_FILE", countOf(image.subGrids.size(), image.numFile));
  out.textRecord("GS_TYPE ", image.gsType);
  out.textRecord("VERSION ", image.version);
  out.textRecord("SYSTEM_F", image.systemF);
  out.textRecord("SYSTEM_T", image.systemT);
  out.realRecord("MAJOR_F ", image.majorF);
  out.realRecord("MINOR_F ", image.minorF);
  out.realRecord("MAJOR_T ", image.majorT);
  out.realRecord("MINOR_T ", image.minorT);
  for (const SubGridImage& sub : image.subGrids) {
    out.textRecord("SUB_NAME", sub.name);
    out.textRecord("PARENT  ", sub.parent);
    out.textRecord("CREATED ", sub.created);
    out.textRecord("UPDATED ", sub.updated);
    out.realRecord("S_LAT   ", sub.sLat);
    out.realRecord("N_LAT   ", sub.nLat);
    out.realRecord("E_LONG  ", sub.eLong);
    out.realRecord("W_LONG  ", sub.wLong);
    out.realRecord("LAT_INC ", sub.latInc);
    out.realRecord("LONG_INC", sub.longInc);
    out.integerRecord("GS_COUNT", countOf(sub.nodes.size(), sub.gsCount));
    for (const GridNode& node : sub.nodes) {
      out.single(node.latShift);
      out.single(node.lonShift);
      out.single(node.latAccuracy);
      out.single(node.lonAccuracy);
    }
  }
  if (layout.endRecord) {
    out.key("END     ");
    out.raw(std::string(kEndValueBytes, '\0'));
  }
  return out.take();
}

std::string encodeAsciiGrid(const GridImage& image) {
  std::string text;
  const auto line = [&text](std::string_view key, std::string_view value) {
    text += key;
    text.append(key.size() < kGridFieldLength + 1 ? kGridFieldLength + 1 - key.size() : 1, ' ');
    text += value;
    text += '\n';
  };
  line("NUM_OREC", std::to_string(kRecordsPerHeader));
  line("NUM_SREC", std::to_string(kRecordsPerHeader));
  line("NUM_FILE", std::to_string(countOf(image.subGrids.size(), image.numFile)));
  line("GS_TYPE", textValue(image.gsType));
  line("VERSION", textValue(image.version));
  line("SYSTEM_F", textValue(image.systemF));
  line("SYSTEM_T", textValue(image.systemT));
  line("MAJOR_F", numberText(image.majorF));
  line("MINOR_F", numberText(image.minorF));
  line("MAJOR_T", numberText(image.majorT));
  line("MINOR_T", numberText(image.minorT));
  for (const SubGridImage& sub : image.subGrids) {
    line("SUB_NAME", textValue(sub.name));
    line("PARENT", textValue(sub.parent));
    line("CREATED", textValue(sub.created));
    line("UPDATED", textValue(sub.updated));
    line("S_LAT", numberText(sub.sLat));
    line("N_LAT", numberText(sub.nLat));
    line("E_LONG", numberText(sub.eLong));
    line("W_LONG", numberText(sub.wLong));
    line("LAT_INC", numberText(sub.latInc));
    line("LONG_INC", numberText(sub.longInc));
    line("GS_COUNT", std::to_string(countOf(sub.nodes.size(), sub.gsCount)));
    for (const GridNode& node : sub.nodes) {
      text += floatText(node.latShift);
      text += ' ';
      text += floatText(node.lonShift);
      text += ' ';
      text += floatText(node.latAccuracy);
      text += ' ';
      text += floatText(node.lonAccuracy);
      text += '\n';
    }
  }
  text += "END\n";
  return text;
}

GridImage gridImageFromFile(const GridFile& grid) {
  GridImage image;
  const GridOverview& overview = grid.overview();
  image.gsType = cleanText(grid.gsType());
  image.version = cleanText(overview.version);
  image.systemF = cleanText(overview.systemF);
  image.systemT = cleanText(overview.systemT);
  image.majorF = overview.majorF;
  image.minorF = overview.minorF;
  image.majorT = overview.majorT;
  image.minorT = overview.minorT;
  image.content = grid.content();
  for (const SubGrid& subGrid : grid.subGrids()) {
    if (!subGrid.inUse()) continue;
    SubGridImage& sub = image.subGrids.emplace_back();
    const SubFileHeader& header = subGrid.header();
    // The normalised names: a blank parent that the hierarchy check made top level stays so.
    sub.name = cleanText(subGrid.name());
    sub.parent = cleanText(subGrid.parentName());
    sub.created = cleanText(header.created);
    sub.updated = cleanText(header.updated);
    sub.sLat = header.sLat;
    sub.nLat = header.nLat;
    sub.eLong = header.eLong;
    sub.wLong = header.wLong;
    sub.latInc = header.latInc;
    sub.longInc = header.longInc;
    const std::span<const float> shifts = subGrid.shifts();
    const std::span<const float> accuracies = subGrid.accuracies();
    const std::size_t count = shifts.size() / 2;
    const bool hasAccuracies = accuracies.size() == shifts.size();
    sub.nodes.resize(count);
    for (std::size_t n = 0; n < count; ++n) {
      GridNode& node = sub.nodes[n];
      node.lonShift = shifts[2 * n];
      node.latShift = shifts[2 * n + 1];
      if (image.content != GridContent::kHorizontal && std::isnan(node.latShift)) node.latShift = kNtv2NoDataHeight;
      node.lonAccuracy = hasAccuracies ? accuracies[2 * n] : 0.0F;
      node.latAccuracy = hasAccuracies ? accuracies[2 * n + 1] : 0.0F;
    }
  }
  return image;
}

std::error_code writeFileAtomically(std::string_view fileName, std::string_view bytes) {
  AtomicFile file;
  if (const std::error_code error = file.create(fileName)) return error;
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(file.descriptor(), bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return lastError();
    if (wrote == 0) return std::make_error_code(std::errc::io_error);  // never for a regular file
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return file.commit();
}

bool writeBytesToFile(std::string_view fileName, std::string_view bytes) {
  return !writeFileAtomically(fileName, bytes);
}

}  // namespace velmora
