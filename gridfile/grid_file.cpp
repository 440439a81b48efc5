#include "velmora/gridfile/grid_file.hpp"

#include "common/ascii_text.hpp"
#include "gridfile/ascii_reader.hpp"
#include "gridfile/binary_reader.hpp"
#include "gridfile/grid_builder.hpp"

namespace velmora {

void detail::GridSourceCloser::operator()(GridSource* source) const {
  delete source;
}

std::unique_ptr<GridFile> createGridFile(std::string_view fileName, GridError& error) {
  // fopen needs a zero-terminated name: a name with an inner zero byte would silently open
  // another file, and one too long for the design's fixed path field is refused, never cut.
  if (fileName.empty() || fileName.size() > kMaxGridPathLength ||
      fileName.find('\0') != std::string_view::npos) {
    error = kGridCannotOpenFile;
    return nullptr;
  }
  auto grid = std::make_unique<GridFile>();
  detail::GridFileFields& fields = GridFileBuilder::fields(*grid);
  fields.path = std::string(fileName);
  // Binary mode for both forms: the text reader trims carriage returns itself.
  FileHandle file(std::fopen(fields.path.c_str(), "rb"));
  if (!file) {
    error = kGridCannotOpenFile;
    return nullptr;
  }
  fields.source.reset(new detail::GridSource{std::move(file)});
  error = kGridOk;
  return grid;
}

std::unique_ptr<GridFile> openGridFile(std::string_view fileName) {
  if (fileName.empty()) return nullptr;
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  const std::string_view extension = fileName.substr(dot + 1);
  GridError error = kGridOk;
  if (gridNamesEqual(extension, "gsb")) return openBinaryGridFile(fileName, error);
  if (gridNamesEqual(extension, "gsa")) return openAsciiGridFile(fileName, error);
  return nullptr;
}

void closeGridFile(std::unique_ptr<GridFile>& grid) {
  grid.reset();
}

bool gridNamesEqual(std::string_view a, std::string_view b) {
  return equalsIgnoreCase(a, b);
}

}  // namespace velmora
