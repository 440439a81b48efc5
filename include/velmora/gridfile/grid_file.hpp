// An NTv2 grid file in memory: the overview, a tree of sub-grids and every node's values.
//
// Node n of a sub-grid lies in row n / columns and column n % columns. Row 0 is the southern
// edge and rows go north; column 0 is the EASTERN edge and columns go west, as in the file.
// Longitude shifts are stored as the file holds them: in the file's unit, positive WEST.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/gridfile/grid_error.hpp"

namespace velmora {

inline constexpr std::size_t kMaxGridPathLength = 1023;  // longer names are refused, never cut

// Bits of GridFile::defects: irregularities that were repaired or tolerated, never errors.
inline constexpr std::uint32_t kDefectBadNameChar = 0x01;    // control/high byte ended a name field
inline constexpr std::uint32_t kDefectLowerCaseType = 0x02;  // GS_TYPE letter upper-cased
inline constexpr std::uint32_t kDefectBadTypeChar = 0x04;    // GS_TYPE held a non-letter
inline constexpr std::uint32_t kDefectBlankParent = 0x08;    // blank unmatched parent became NONE
inline constexpr std::uint32_t kDefectBlankName = 0x10;      // a sub-grid name is eight blanks
inline constexpr std::uint32_t kDefectNoEndRecord = 0x20;    // end record/line missing or (text) not END
inline constexpr std::uint32_t kDefectBadEndKey = 0x40;      // binary end key is not "END     "
inline constexpr std::uint32_t kDefectEndNotZero = 0x80;     // binary end value bytes not all zero

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A sub-file header as the file holds it: file angle unit, longitudes positive WEST. Kept so
// that a grid can be written again in either form without rounding its bounds.
struct SubFileHeader {
  std::string name;     // SUB_NAME, 8 raw bytes (binary) or the text value (text form)
  std::string parent;   // PARENT, raw
  std::string created;  // CREATED, raw, not used
  std::string updated;  // UPDATED, raw, not used
  double sLat = 0.0;
  double nLat = 0.0;
  double eLong = 0.0;
  double wLong = 0.0;
  double latInc = 0.0;
  double longInc = 0.0;
  std::int32_t gsCount = 0;
};

// The overview values that no computation uses, kept for rewriting the file.
struct GridOverview {
  std::string version;  // VERSION, raw
  std::string systemF;  // SYSTEM_F, raw
  std::string systemT;  // SYSTEM_T, raw
  double majorF = 0.0;  // semi-axes of the two ellipsoids, metres
  double minorF = 0.0;
  double majorT = 0.0;
  double minorT = 0.0;
};

struct SubGrid {
  std::string name;        // SUB_NAME, normalised to 8 characters
  std::string parentName;  // PARENT, normalised; "NONE    " at top level
  SubGrid* parent = nullptr;
  SubGrid* firstChild = nullptr;
  SubGrid* nextSibling = nullptr;  // next child of the same parent, or next top-level sub-grid
  bool inUse = false;              // header read; entries not in use are skipped everywhere
  int childCount = 0;
  int index = 0;                // position of the sub-file in the file, from 0
  std::uint32_t nodeCount = 0;  // GS_COUNT
  int rows = 0;                 // node rows, latitude direction
  int columns = 0;              // node columns, longitude direction
  double latMin = 0.0;          // degrees, north positive
  double latMax = 0.0;
  double latInc = 0.0;
  double lonMin = 0.0;  // degrees, EAST positive (converted from the file's west-positive)
  double lonMax = 0.0;
  double lonInc = 0.0;
  std::int64_t dataOffset = 0;    // file position of the first node record
  std::vector<float> shifts;      // 2n: longitude shift (positive west), 2n+1: latitude shift; file unit
  std::vector<float> accuracies;  // as shifts; empty for text-form files
  SubFileHeader header;           // the header as read
};

struct GridFile {
  GridFile() = default;
  GridFile(const GridFile&) = delete;  // sub-grids link to each other by address
  GridFile& operator=(const GridFile&) = delete;

  std::string path;               // the name as given to the open
  int subGridCount = 0;           // NUM_FILE
  int topLevelCount = 0;          // sub-grids whose parent is NONE
  bool paddedInts = false;        // binary: int32 values followed by 4 bytes of padding
  bool byteSwapped = false;       // binary: the file's byte order is the reverse of the machine's
  std::uint32_t defects = 0;      // kDefect* bits
  double toDegrees = 0.0;         // file angle unit to degrees
  double toSeconds = 0.0;         // file angle unit to arc-seconds
  std::string gsType;             // normalised GS_TYPE, 8 characters
  std::vector<SubGrid> subGrids;  // file order
  SubGrid* firstTopLevel = nullptr;
  FileHandle file;        // text-form files stay open until the GridFile is closed
  GridOverview overview;  // unused overview values as read
};

// Opens a .gsb (binary) or .gsa (text) file, extension compared ignoring case; nullptr on any
// failure (missing or empty name, unknown extension, unreadable or invalid file). Prints nothing.
std::unique_ptr<GridFile> openGridFile(std::string_view fileName);

// Releases the grid (closing its file if still open) and empties the holder; nothing for none.
void closeGridFile(std::unique_ptr<GridFile>& grid);

// First step of both readers: a GridFile holding the name and the file opened "rb".
// nullptr and 321 when the name is empty, holds a zero byte, is longer than kMaxGridPathLength
// characters or the file cannot be opened.
std::unique_ptr<GridFile> createGridFile(std::string_view fileName, GridError& error);

// Case-insensitive whole-string comparison used for names, parents, "NONE", "END" and extensions.
bool gridNamesEqual(std::string_view a, std::string_view b);

// Links parents, children and the top-level list. Returns 0, 307, 308, 309 or 310.
GridError checkGridHierarchy(GridFile& grid);

}  // namespace velmora
