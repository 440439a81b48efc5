#include "frontend/input_points.hpp"

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/number_text.hpp"
#include "frontend/coordinate_parser.hpp"
#include "frontend/text_fields.hpp"

namespace velmora {
namespace {

constexpr std::size_t kReadChunkBytes = 1 << 16;  // one fread of the input file

struct InputFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void addPoint(std::string_view first, std::string_view second, double height, CoordTypeCode fromCoordType,
              InputPoints& points) {
  const double firstValue = parseCoordinate(fromCoordType, first);
  const double secondValue = parseCoordinate(fromCoordType, second);
  // Grid coordinates come easting first; geographic ones latitude first, stored longitude first.
  const bool isGrid = fromCoordType == kEn;
  points.xValues.push_back(isGrid ? firstValue : secondValue);
  points.yValues.push_back(isGrid ? secondValue : firstValue);
  points.heights.push_back(height);
}

}  // namespace

void addInputLine(std::string_view line, CoordTypeCode fromCoordType, InputPoints& points) {
  std::array<std::string_view, 3> fields;
  const std::size_t count = splitFields(line, ',', fields);
  if (count < 2) return;
  const double height = count == 3 ? readDecimal(fields[2]) : 0.0;
  addPoint(fields[0], fields[1], height, fromCoordType, points);
}

bool readInputFile(const std::string& fileName, CoordTypeCode fromCoordType, InputPoints& points) {
  const std::unique_ptr<std::FILE, InputFileCloser> file(std::fopen(fileName.c_str(), "r"));
  if (!file) return false;
  std::vector<char> chunk(kReadChunkBytes);
  std::string pending;  // the start of a line that continues in the next chunk
  for (;;) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file.get());
    if (got == 0) break;
    std::string_view rest(chunk.data(), got);
    for (;;) {
      const std::size_t newline = rest.find('\n');
      if (newline == std::string_view::npos) break;
      const std::string_view line = rest.substr(0, newline + 1);  // newline included
      if (pending.empty()) {
        addInputLine(line, fromCoordType, points);
      } else {
        pending.append(line);
        addInputLine(pending, fromCoordType, points);
        pending.clear();
      }
      rest.remove_prefix(newline + 1);
    }
    pending.append(rest);
  }
  // A read error (a folder given as the file, a failing device) must not pass for a short file.
  if (std::ferror(file.get()) != 0) return false;
  if (!pending.empty()) addInputLine(pending, fromCoordType, points);
  return true;
}

bool addPositionalPoint(std::span<const std::string_view> positionals, CoordTypeCode fromCoordType,
                        InputPoints& points) {
  if (positionals.size() < 2) return false;
  const double height = positionals.size() >= 3 ? readDecimal(positionals[2]) : 0.0;
  addPoint(positionals[0], positionals[1], height, fromCoordType, points);
  return true;
}

}  // namespace velmora
