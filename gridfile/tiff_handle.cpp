#include "gridfile/tiff_handle.hpp"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <utility>

#include "gridfile/geo_keys.hpp"

namespace velmora {

// The bytes libtiff reads from (a FILE) or writes to (memory), and what it reported.
struct TiffHandle::Stream {
  std::FILE* file = nullptr;
  std::int64_t size = 0;
  std::string bytes;
  std::uint64_t position = 0;
  bool failed = false;
};

namespace {

using Stream = TiffHandle::Stream;

Stream& streamOf(thandle_t handle) {
  return *static_cast<Stream*>(handle);
}

tmsize_t readProc(thandle_t handle, void* buffer, tmsize_t size) {
  Stream& s = streamOf(handle);
  if (size <= 0) return 0;
  if (s.file != nullptr) {
    if (s.position > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) ||
        ::fseeko(s.file, static_cast<off_t>(s.position), SEEK_SET) != 0) {
      return -1;
    }
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(size), s.file);
    s.position += got;
    return static_cast<tmsize_t>(got);
  }
  if (s.position >= s.bytes.size()) return 0;
  const std::size_t got = std::min(static_cast<std::size_t>(size), s.bytes.size() - static_cast<std::size_t>(s.position));
  std::memcpy(buffer, s.bytes.data() + s.position, got);
  s.position += got;
  return static_cast<tmsize_t>(got);
}

tmsize_t writeProc(thandle_t handle, void* buffer, tmsize_t size) {
  Stream& s = streamOf(handle);
  if (s.file != nullptr || size < 0) return -1;
  const auto count = static_cast<std::size_t>(size);
  if (s.bytes.size() < s.position + count) s.bytes.resize(static_cast<std::size_t>(s.position) + count);
  std::memcpy(s.bytes.data() + s.position, buffer, count);
  s.position += count;
  return size;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
  Stream& s = streamOf(handle);
  const std::uint64_t end = s.file != nullptr ? static_cast<std::uint64_t>(s.size) : s.bytes.size();
  std::uint64_t target = offset;
  if (whence == SEEK_CUR) target = s.position + offset;
  if (whence == SEEK_END) target = end + offset;
  s.position = target;
  return target;
}

int closeProc(thandle_t /*handle*/) {
  return 0;
}

toff_t sizeProc(thandle_t handle) {
  const Stream& s = streamOf(handle);
  return s.file != nullptr ? static_cast<toff_t>(s.size) : s.bytes.size();
}

int mapProc(thandle_t /*handle*/, void** /*base*/, toff_t* /*size*/) {
  return 0;
}

void unmapProc(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) {}

// Errors mark the stream failed; warnings (an unknown tag, say) are dropped. Returning 1 tells
// libtiff the report was handled, so it reaches no process-wide handler.
int errorHandler(TIFF* /*tiff*/, void* user, const char* /*module*/, const char* /*format*/, va_list /*args*/) {
  static_cast<Stream*>(user)->failed = true;
  return 1;
}

int warningHandler(TIFF* /*tiff*/, void* /*user*/, const char* /*module*/, const char* /*format*/,
                   va_list /*args*/) {
  return 1;
}

TIFF* openOn(Stream& stream, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxTiffSingleAllocationBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(options, errorHandler, &stream);
  TIFFOpenOptionsSetWarningHandlerExtR(options, warningHandler, &stream);
  TIFF* tiff = TIFFClientOpenExt("grid", mode, &stream, readProc, writeProc, seekProc, closeProc, sizeProc,
                                 mapProc, unmapProc, options);
  TIFFOpenOptionsFree(options);
  return tiff;
}

template <typename T>
void appendAll(std::vector<double>& out, const void* data, std::size_t count) {
  const auto* values = static_cast<const T*>(data);
  for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<double>(values[i]));
}

// The values of a field libtiff passes with its count, which is 32 bits wide for TIFF_VARIABLE2
// fields and 16 bits otherwise; false when the directory does not hold the field.
template <typename T>
bool countedField(TIFF* tiff, const TIFFField* field, std::uint32_t tag, std::uint32_t& count, T*& data) {
  if (TIFFFieldReadCount(field) == TIFF_VARIABLE2) return TIFFGetField(tiff, tag, &count, &data) == 1;
  std::uint16_t shortCount = 0;
  if (TIFFGetField(tiff, tag, &shortCount, &data) != 1) return false;
  count = shortCount;
  return true;
}

}  // namespace

TiffHandle::TiffHandle() : stream_(std::make_unique<Stream>()) {}
TiffHandle::TiffHandle(TiffHandle&& other) noexcept
    : stream_(std::move(other.stream_)), tiff_(std::exchange(other.tiff_, nullptr)) {}
TiffHandle& TiffHandle::operator=(TiffHandle&& other) noexcept {
  if (this != &other) {
    if (tiff_ != nullptr) TIFFClose(tiff_);
    stream_ = std::move(other.stream_);
    tiff_ = std::exchange(other.tiff_, nullptr);
  }
  return *this;
}
TiffHandle::~TiffHandle() {
  if (tiff_ != nullptr) TIFFClose(tiff_);
}

TiffHandle TiffHandle::forReading(std::FILE* file, std::int64_t size) {
  TiffHandle handle;
  handle.stream_->file = file;
  handle.stream_->size = size;
  handle.tiff_ = openOn(*handle.stream_, "rm");  // "m": no memory mapping, the procs read
  return handle;
}

TiffHandle TiffHandle::forWriting() {
  TiffHandle handle;
  handle.tiff_ = openOn(*handle.stream_, "wm");
  return handle;
}

TIFF* TiffHandle::get() const {
  return tiff_;
}

bool TiffHandle::close() {
  if (tiff_ != nullptr) TIFFClose(std::exchange(tiff_, nullptr));
  return !stream_->failed;
}

const std::string& TiffHandle::bytes() const {
  return stream_->bytes;
}

bool TiffHandle::failed() const {
  return stream_->failed;
}

std::optional<std::vector<double>> tiffNumbers(TIFF* tiff, std::uint32_t tag) {
  const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
  // Every tag read here is an array libtiff passes with its count.
  if (field == nullptr || TIFFFieldPassCount(field) == 0) return std::nullopt;
  std::uint32_t count = 0;
  void* data = nullptr;
  if (!countedField(tiff, field, tag, count, data) || data == nullptr) return std::nullopt;
  std::vector<double> out;
  out.reserve(count);
  switch (TIFFFieldDataType(field)) {
    case TIFF_BYTE:
      appendAll<std::uint8_t>(out, data, count);
      break;
    case TIFF_SBYTE:
      appendAll<std::int8_t>(out, data, count);
      break;
    case TIFF_SHORT:
      appendAll<std::uint16_t>(out, data, count);
      break;
    case TIFF_SSHORT:
      appendAll<std::int16_t>(out, data, count);
      break;
    case TIFF_LONG:
    case TIFF_IFD:
      appendAll<std::uint32_t>(out, data, count);
      break;
    case TIFF_SLONG:
      appendAll<std::int32_t>(out, data, count);
      break;
    case TIFF_FLOAT:
      appendAll<float>(out, data, count);
      break;
    case TIFF_DOUBLE:
      appendAll<double>(out, data, count);
      break;
    default:
      return std::nullopt;
  }
  return out;
}

std::optional<std::string> tiffText(TIFF* tiff, std::uint32_t tag) {
  const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
  if (field == nullptr || TIFFFieldDataType(field) != TIFF_ASCII) return std::nullopt;
  char* text = nullptr;
  if (TIFFFieldPassCount(field) != 0) {
    std::uint32_t count = 0;
    if (!countedField(tiff, field, tag, count, text) || text == nullptr) return std::nullopt;
    // Counted text: the terminating zero, when there, is not part of the value.
    std::string value(text, count);
    if (const std::size_t zero = value.find('\0'); zero != std::string::npos) value.resize(zero);
    return value;
  }
  if (TIFFGetField(tiff, tag, &text) != 1 || text == nullptr) return std::nullopt;
  return std::string(text);
}

bool registerGeoTiffTags(TIFF* tiff) {
  static const std::array<TIFFFieldInfo, 6> kFields = {{
      {kTagModelPixelScale, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScale")},
      {kTagModelTiepoint, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTiepoint")},
      {kTagModelTransformation, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTransformation")},
      {kTagGeoKeyDirectory, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectory")},
      {kTagGdalMetadata, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALMetadata")},
      {kTagGdalNoData, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")},
  }};
  return TIFFMergeFieldInfo(tiff, kFields.data(), static_cast<std::uint32_t>(kFields.size())) == 0;
}

}  // namespace velmora
