#include "velmora/gridfile/grid_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// The file for reading when it is a regular file; nullptr otherwise. The open does not block, so
// that a FIFO without a writer cannot hold the program for ever; the type is then told from the
// open file itself (no race with a rename), and blocking reads are restored for the stream. A
// folder, which opens on Linux and would read as an empty or invalid grid, is refused here too.
FileHandle openRegularFile(const std::string& name) {
  const int descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status {};
  const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
  const int flags = regular ? ::fcntl(descriptor, F_GETFL) : -1;
  if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(descriptor);
    return nullptr;
  }
  // Binary mode for both forms: the text reader trims carriage returns itself.
  FileHandle file(::fdopen(descriptor, "rb"));
  if (!file) ::close(descriptor);
  return file;
}

}  // namespace

std::unique_ptr<GridFile> createGridFile(std::string_view fileName, GridError& error) {
  // A name too long for the design's fixed path field is refused, never cut.
  if (fileName.size() > kMaxGridPathLength) {
    error = kGridPathTooLong;
    return nullptr;
  }
  // open needs a zero-terminated name: a name with an inner zero byte would silently open
  // another file.
  if (fileName.empty() || fileName.find('\0') != std::string_view::npos) {
    error = kGridCannotOpenFile;
    return nullptr;
  }
  auto grid = std::make_unique<GridFile>();
  detail::GridFileFields& fields = GridFileBuilder::fields(*grid);
  fields.path = std::string(fileName);
  FileHandle file = openRegularFile(fields.path);
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
