#include "velmora/gridfile/grid_file.hpp"

#include <ranges>

#include "common/ascii_text.hpp"
#include "gridfile/ascii_reader.hpp"
#include "gridfile/binary_reader.hpp"
#include "gridfile/grid_builder.hpp"

namespace velmora {

// A level of the tree works with the standard range algorithms.
static_assert(std::forward_iterator<SubGridList::Iterator>);
static_assert(std::ranges::forward_range<SubGridList>);

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

std::int64_t fileSizeOf(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

std::optional<GridForm> gridFormFromName(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view extension = fileName.substr(dot + 1);
  if (gridNamesEqual(extension, "gsb")) return GridForm::kBinary;
  if (gridNamesEqual(extension, "gsa")) return GridForm::kText;
  return std::nullopt;
}

std::unique_ptr<GridFile> openGridFile(std::string_view fileName, GridError& error) {
  const std::optional<GridForm> form = gridFormFromName(fileName);
  if (!form) {
    error = kGridCannotOpenFile;
    return nullptr;
  }
  return *form == GridForm::kBinary ? openBinaryGridFile(fileName, error)
                                    : openAsciiGridFile(fileName, error);
}

std::unique_ptr<GridFile> openGridFile(std::string_view fileName) {
  GridError error = kGridOk;
  return openGridFile(fileName, error);
}

void closeGridFile(std::unique_ptr<GridFile>& grid) {
  grid.reset();
}

bool gridNamesEqual(std::string_view a, std::string_view b) {
  return equalsIgnoreCase(a, b);
}

}  // namespace velmora
