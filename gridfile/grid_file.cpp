#include "velmora/gridfile/grid_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ranges>

#include "common/ascii_text.hpp"
#include "gridfile/ascii_reader.hpp"
#include "gridfile/binary_reader.hpp"
#include "gridfile/geotiff_reader.hpp"
#include "gridfile/grid_builder.hpp"
#include "gridfile/gtx_reader.hpp"

namespace velmora {

// A level of the tree works with the standard range algorithms.
static_assert(std::forward_iterator<SubGridList::Iterator>);
static_assert(std::ranges::forward_range<SubGridList>);

SubGrid::SubGrid() : impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
}

SubGrid::SubGrid(SubGrid&& other) noexcept : impl_(std::move(other.impl_)) {
  if (impl_) impl_->owner = this;
}

SubGrid& SubGrid::operator=(SubGrid&& other) noexcept {
  impl_ = std::move(other.impl_);
  if (impl_) impl_->owner = this;
  return *this;
}

SubGrid::~SubGrid() = default;

const std::string& SubGrid::name() const {
  return impl_->name;
}
const std::string& SubGrid::parentName() const {
  return impl_->parentName;
}
const SubGrid* SubGrid::parent() const {
  return GridFileBuilder::owner(impl_->parent);
}
SubGridList SubGrid::children() const {
  return SubGridList(GridFileBuilder::owner(impl_->firstChild));
}
int SubGrid::childCount() const {
  return impl_->childCount;
}
bool SubGrid::inUse() const {
  return impl_->inUse;
}
int SubGrid::index() const {
  return impl_->index;
}
std::uint32_t SubGrid::nodeCount() const {
  return impl_->nodeCount;
}
int SubGrid::rows() const {
  return impl_->rows;
}
int SubGrid::columns() const {
  return impl_->columns;
}
double SubGrid::latMin() const {
  return impl_->latMin;
}
double SubGrid::latMax() const {
  return impl_->latMax;
}
double SubGrid::latInc() const {
  return impl_->latInc;
}
double SubGrid::lonMin() const {
  return impl_->lonMin;
}
double SubGrid::lonMax() const {
  return impl_->lonMax;
}
double SubGrid::lonInc() const {
  return impl_->lonInc;
}
std::int64_t SubGrid::dataOffset() const {
  return impl_->dataOffset;
}
std::span<const float> SubGrid::shifts() const {
  return impl_->shifts;
}
std::span<const float> SubGrid::accuracies() const {
  return impl_->accuracies;
}
const SubFileHeader& SubGrid::header() const {
  return impl_->header;
}

SubGridList::Iterator& SubGridList::Iterator::operator++() {
  at_ = GridFileBuilder::owner(GridFileBuilder::fields(*at_).nextSibling);
  return *this;
}

GridFile::GridFile() : impl_(std::make_unique<Impl>()) {}
GridFile::~GridFile() = default;

const std::string& GridFile::path() const {
  return impl_->path;
}
int GridFile::subGridCount() const {
  return impl_->subGridCount;
}
int GridFile::topLevelCount() const {
  return impl_->topLevelCount;
}
bool GridFile::paddedInts() const {
  return impl_->paddedInts;
}
bool GridFile::byteSwapped() const {
  return impl_->byteSwapped;
}
std::uint32_t GridFile::defects() const {
  return impl_->defects;
}
double GridFile::toDegrees() const {
  return impl_->toDegrees;
}
double GridFile::toSeconds() const {
  return impl_->toSeconds;
}
const std::string& GridFile::gsType() const {
  return impl_->gsType;
}
GridForm GridFile::form() const {
  return impl_->form;
}
GridContent GridFile::content() const {
  return impl_->content;
}
std::span<const SubGrid> GridFile::subGrids() const {
  return impl_->subGrids;
}
SubGridList GridFile::topLevel() const {
  return SubGridList(GridFileBuilder::owner(impl_->firstTopLevel));
}
const GridOverview& GridFile::overview() const {
  return impl_->overview;
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
  GridFileFields& fields = GridFileBuilder::fields(*grid);
  fields.path = std::string(fileName);
  FileHandle file = openRegularFile(fields.path);
  if (!file) {
    error = kGridCannotOpenFile;
    return nullptr;
  }
  fields.source = std::move(file);
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
  if (gridNamesEqual(extension, "gtx")) return GridForm::kGtx;
  if (gridNamesEqual(extension, "tif") || gridNamesEqual(extension, "tiff")) return GridForm::kGeoTiff;
  return std::nullopt;
}

bool gridFormReadable(GridForm form) {
  return form != GridForm::kGeoTiff || kGeoTiffSupported;
}

std::string_view gridFormatsRead() {
  return kGeoTiffSupported ? ".gsb .gsa .gtx .tif" : ".gsb .gsa .gtx";
}

std::string_view gridContentName(GridContent content) {
  switch (content) {
    case GridContent::kGeoid:
      return "geoid";
    case GridContent::kVertical:
      return "vertical";
    default:
      return "horizontal";
  }
}

std::unique_ptr<GridFile> openGridFile(std::string_view fileName, GridError& error) {
  return openGridFile(fileName, error, GridSamples::kDefault);
}

std::unique_ptr<GridFile> openGridFile(std::string_view fileName, GridError& error, GridSamples samples) {
  const std::optional<GridForm> form = gridFormFromName(fileName);
  if (!form) {
    error = kGridCannotOpenFile;
    return nullptr;
  }
  switch (*form) {
    case GridForm::kBinary:
      return openBinaryGridFile(fileName, error);
    case GridForm::kText:
      return openAsciiGridFile(fileName, error);
    case GridForm::kGtx:
      return openGtxGridFile(fileName, error);
    case GridForm::kGeoTiff:
      return openGeoTiffGridFile(fileName, error, samples);
  }
  return nullptr;
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
