// The binary NTv2 form: 16-byte records, an 8-byte ASCII key and an 8-byte value (int32 plus 4
// bytes of padding, IEEE double, or 8 characters). Records are taken by position; keys are not
// checked except that of the end record. Node records hold four float32 values: latitude shift,
// longitude shift (positive WEST), latitude accuracy, longitude accuracy, in the file's unit.
//
// Byte order is found once, from NUM_OREC (11 in one order or the other); some writers leave out
// the padding after int32 values, which is found from the 4 bytes after NUM_OREC.

#include "gridfile/binary_reader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>

#include "gridfile/grid_builder.hpp"
#include "gridfile/grid_keys.hpp"
#include "gridfile/sub_file_header.hpp"
#include "common/bit_cast.hpp"

namespace velmora {

namespace {

constexpr std::size_t kKeyBytes = 8;
constexpr std::size_t kValueBytes = 8;
constexpr std::size_t kIntBytes = 4;
constexpr std::size_t kPaddingBytes = 4;
constexpr std::size_t kNodeRecordBytes = 16;
constexpr std::size_t kFloatsPerNode = 4;
constexpr std::size_t kEndRecordBytes = 16;
constexpr std::size_t kPaddedSubHeaderBytes = 176;
constexpr std::size_t kUnpaddedSubHeaderBytes = 172;
constexpr std::size_t kNodesPerChunk = 65536;     // 1 MiB of node records per read
constexpr std::string_view kEndKey = "END     ";  // compared exactly, letter case counts

std::uint32_t swapBytes(std::uint32_t v) {
  return ((v & 0x000000FFU) << 24U) | ((v & 0x0000FF00U) << 8U) | ((v & 0x00FF0000U) >> 8U) |
         ((v & 0xFF000000U) >> 24U);
}

std::uint64_t swapBytes(std::uint64_t v) {
  return (static_cast<std::uint64_t>(swapBytes(static_cast<std::uint32_t>(v))) << 32U) |
         swapBytes(static_cast<std::uint32_t>(v >> 32U));
}

// A FILE read with positions the reader keeps itself, so that skipping node records past the
// end of a truncated file only shows as a short read later.
class RecordReader {
 public:
  RecordReader(std::FILE* file, bool& swapped) : file_(file), swapped_(swapped) {}

  std::int64_t position() const { return position_; }

  bool seek(std::int64_t position) {
    if (position < 0 || position > LONG_MAX) return false;
    if (std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) return false;
    position_ = position;
    return true;
  }

  // Bytes actually read; fewer than size at the end of the file or on a read error.
  std::size_t read(void* target, std::size_t size) {
    const std::size_t got = std::fread(target, 1, size, file_);
    position_ += static_cast<std::int64_t>(got);
    return got;
  }

  bool readBytes(std::string& text, std::size_t size) {
    text.assign(size, '\0');
    return read(text.data(), size) == size;
  }

  bool skipKey() {
    std::array<char, kKeyBytes> key{};
    return read(key.data(), key.size()) == key.size();
  }

  bool readRawInt32(std::uint32_t& value) {
    std::array<unsigned char, kIntBytes> bytes{};
    if (read(bytes.data(), bytes.size()) != bytes.size()) return false;
    std::memcpy(&value, bytes.data(), bytes.size());
    return true;
  }

  bool readInt32(std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!readRawInt32(raw)) return false;
    if (swapped_) raw = swapBytes(raw);
    value = bitCast<std::int32_t>(raw);
    return true;
  }

  bool readDouble(double& value) {
    std::array<unsigned char, kValueBytes> bytes{};
    if (read(bytes.data(), bytes.size()) != bytes.size()) return false;
    std::uint64_t raw = 0;
    std::memcpy(&raw, bytes.data(), bytes.size());
    if (swapped_) raw = swapBytes(raw);
    value = bitCast<double>(raw);
    return true;
  }

  // Key, int32 value and (when padded) its padding; false when the value is not there whole.
  bool readIntRecord(std::int32_t& value, bool padded) {
    if (!skipKey() || !readInt32(value)) return false;
    return !padded || seek(position_ + static_cast<std::int64_t>(kPaddingBytes));
  }

  bool readTextRecord(std::string& value) { return skipKey() && readBytes(value, kValueBytes); }

  bool readRealRecord(double& value) { return skipKey() && readDouble(value); }

  bool failed() const { return std::ferror(file_) != 0 || std::feof(file_) != 0; }

 private:
  std::FILE* file_;
  bool& swapped_;
  std::int64_t position_ = 0;
};

// The overview header. A value the file ends before counts as wrong in the test that follows.
GridError readOverview(GridFile& grid, RecordReader& in) {
  GridFileFields& fields = GridFileBuilder::fields(grid);
  std::int32_t numORec = 0;
  if (!in.skipKey()) return kGridInvalidNumORec;
  std::uint32_t raw = 0;
  if (!in.readRawInt32(raw)) return kGridInvalidNumORec;
  numORec = bitCast<std::int32_t>(raw);
  if (numORec != kRecordsPerHeader) {
    fields.byteSwapped = true;
    numORec = bitCast<std::int32_t>(swapBytes(raw));
    if (numORec != kRecordsPerHeader) return kGridInvalidNumORec;
  }

  // Four zero bytes are the padding; anything else is already the next key.
  const std::int64_t afterValue = in.position();
  std::uint32_t padding = 1;
  if (in.readRawInt32(padding) && padding == 0) {
    fields.paddedInts = true;
  } else if (!in.seek(afterValue)) {
    return kGridIoError;
  }

  std::int32_t numSRec = 0;
  if (!in.readIntRecord(numSRec, fields.paddedInts) || numSRec != kRecordsPerHeader)
    return kGridInvalidNumSRec;
  std::int32_t numFile = 0;
  if (!in.readIntRecord(numFile, fields.paddedInts) || numFile <= 0) return kGridInvalidNumFile;
  fields.subGridCount = numFile;

  std::string gsType;
  GridOverview& overview = fields.overview;
  const bool whole = in.readTextRecord(gsType) && in.readTextRecord(overview.version) &&
                     in.readTextRecord(overview.systemF) && in.readTextRecord(overview.systemT) &&
                     in.readRealRecord(overview.majorF) && in.readRealRecord(overview.minorF) &&
                     in.readRealRecord(overview.majorT) && in.readRealRecord(overview.minorT);
  if (!whole || in.failed()) return kGridIoError;

  const std::string normalised = normaliseGridKey(gsType, KeyMode::kType, fields.defects);
  fields.gsType = normalised;
  if (!setGridUnit(grid, normalised)) return kGridInvalidGsType;
  return kGridOk;
}

// One sub-file header into header. The file ending anywhere inside it is an I/O error.
GridError readSubFileHeader(RecordReader& in, bool padded, SubFileHeader& header) {
  const bool whole = in.readTextRecord(header.name) && in.readTextRecord(header.parent) &&
                     in.readTextRecord(header.created) && in.readTextRecord(header.updated) &&
                     in.readRealRecord(header.sLat) && in.readRealRecord(header.nLat) &&
                     in.readRealRecord(header.eLong) && in.readRealRecord(header.wLong) &&
                     in.readRealRecord(header.latInc) && in.readRealRecord(header.longInc) &&
                     in.readIntRecord(header.gsCount, padded);
  if (!whole || in.failed()) return kGridIoError;
  if (header.gsCount <= 0) return kGridInvalidGsCount;
  return kGridOk;
}

void readEndRecord(std::uint32_t& defects, RecordReader& in) {
  std::string record;
  if (!in.readBytes(record, kEndRecordBytes)) {
    defects |= kDefectNoEndRecord;
    return;
  }
  if (std::string_view(record).substr(0, kKeyBytes) != kEndKey) defects |= kDefectBadEndKey;
  if (record.find_first_not_of('\0', kKeyBytes) != std::string::npos) defects |= kDefectEndNotZero;
}

float floatAt(const unsigned char* bytes, bool swapped) {
  std::uint32_t raw = 0;
  std::memcpy(&raw, bytes, sizeof raw);
  if (swapped) raw = swapBytes(raw);
  return bitCast<float>(raw);
}

// All node records of one sub-grid, read in large chunks. The caller has checked that they lie
// inside the file, so the arrays are never larger than the file itself.
GridError loadNodes(SubGridFields& subGrid, RecordReader& in, bool swapped,
                    std::vector<unsigned char>& chunk) {
  const std::size_t count = subGrid.nodeCount;
  subGrid.shifts.resize(count * 2);
  subGrid.accuracies.resize(count * 2);
  if (!in.seek(subGrid.dataOffset)) return kGridIoError;
  for (std::size_t first = 0; first < count; first += kNodesPerChunk) {
    const std::size_t nodes = std::min(kNodesPerChunk, count - first);
    chunk.resize(nodes * kNodeRecordBytes);
    if (in.read(chunk.data(), chunk.size()) != chunk.size()) return kGridIoError;
    const unsigned char* record = chunk.data();
    float* shift = subGrid.shifts.data() + first * 2;
    float* accuracy = subGrid.accuracies.data() + first * 2;
    for (std::size_t n = 0; n < nodes; ++n, record += kNodeRecordBytes, shift += 2, accuracy += 2) {
      // The record is latitude first; the arrays hold the longitude value first.
      shift[1] = floatAt(record, swapped);
      shift[0] = floatAt(record + sizeof(float), swapped);
      accuracy[1] = floatAt(record + 2 * sizeof(float), swapped);
      accuracy[0] = floatAt(record + 3 * sizeof(float), swapped);
    }
  }
  static_assert(kNodeRecordBytes == kFloatsPerNode * sizeof(float));
  return kGridOk;
}

GridError readGrid(GridFile& grid) {
  GridFileFields& fields = GridFileBuilder::fields(grid);
  const std::int64_t fileSize = fileSizeOf(GridFileBuilder::file(grid));
  if (fileSize < 0) return kGridIoError;
  RecordReader in(GridFileBuilder::file(grid), fields.byteSwapped);

  if (const GridError error = readOverview(grid, in); error != kGridOk) return error;

  // Every sub-file needs its header and at least one node record: a NUM_FILE beyond what the
  // rest of the file can hold is refused before the array is made.
  const std::size_t subHeaderBytes = fields.paddedInts ? kPaddedSubHeaderBytes : kUnpaddedSubHeaderBytes;
  const auto remaining = static_cast<std::uint64_t>(std::max<std::int64_t>(fileSize - in.position(), 0));
  if (static_cast<std::uint64_t>(fields.subGridCount) > remaining / (subHeaderBytes + kNodeRecordBytes)) {
    return kGridIoError;
  }
  fields.subGrids.resize(static_cast<std::size_t>(fields.subGridCount));

  for (int i = 0; i < fields.subGridCount; ++i) {
    SubFileHeader header;
    if (const GridError error = readSubFileHeader(in, fields.paddedInts, header); error != kGridOk)
      return error;
    SubGrid& subGrid = fields.subGrids[static_cast<std::size_t>(i)];
    if (const GridError error =
            subGridFromHeader(header, fields.toDegrees, i, in.position(), fields.defects, subGrid);
        error != kGridOk) {
      return error;
    }
    const auto nodeBytes =
        static_cast<std::int64_t>(subGrid.nodeCount()) * static_cast<std::int64_t>(kNodeRecordBytes);
    if (!in.seek(subGrid.dataOffset() + nodeBytes)) return kGridIoError;
  }
  readEndRecord(fields.defects, in);

  if (const GridError error = checkGridHierarchy(grid); error != kGridOk) return error;

  std::vector<unsigned char> chunk;
  for (SubGrid& entry : fields.subGrids) {
    SubGridFields& subGrid = GridFileBuilder::fields(entry);
    if (!subGrid.inUse) continue;
    const auto nodeBytes =
        static_cast<std::int64_t>(subGrid.nodeCount) * static_cast<std::int64_t>(kNodeRecordBytes);
    if (nodeBytes > fileSize - subGrid.dataOffset) return kGridIoError;  // truncated node block
    if (const GridError error = loadNodes(subGrid, in, fields.byteSwapped, chunk); error != kGridOk)
      return error;
  }
  return kGridOk;
}

}  // namespace

std::unique_ptr<GridFile> openBinaryGridFile(std::string_view fileName, GridError& error) {
  std::unique_ptr<GridFile> grid = createGridFile(fileName, error);
  if (!grid) return nullptr;
  error = readGrid(*grid);
  GridFileBuilder::closeFile(*grid);  // the whole file is in memory or the open has failed
  if (error != kGridOk) return nullptr;
  return grid;
}

}  // namespace velmora
