// A grid file in memory: the overview, a tree of sub-grids and every node's values. NTv2 files
// (.gsb, .gsa) are held as they are; GTX (.gtx) and GeoTIFF (.tif) grids are converted into the
// same form, so that the search reads every format alike.
//
// Node n of a sub-grid lies in row n / columns and column n % columns. Row 0 is the southern
// edge and rows go north; column 0 is the EASTERN edge and columns go west, as in an NTv2 file.
// Longitude shifts are stored as an NTv2 file holds them: in the file's unit, positive WEST. A
// grid of one value per node (a GTX file, a GeoTIFF geoid or vertical-offset grid) holds it in the
// latitude-shift field with unit "SECONDS" (factor 1, so the value comes back in metres, as an
// NTv2 geoid file's N does) and 0 in the longitude field. A node without data holds NaN.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

// The file formats, named by the extension: .gsb NTv2 binary, .gsa NTv2 text, .gtx GTX,
// .tif/.tiff GeoTIFF.
enum class GridForm { kBinary, kText, kGtx, kGeoTiff };

// What the nodes hold. An NTv2 file does not say: it counts as horizontal (its geoid files put N
// in the latitude-shift field all the same). GTX files hold one value per node, taken as a geoid.
enum class GridContent {
  kHorizontal,  // latitude and longitude offsets
  kGeoid,       // geoid undulation N, metres (ellipsoidal height = gravity-related height + N)
  kVertical,    // offset from one vertical datum to another, metres (target = source + offset)
};

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

class SubGrid;
class GridFileBuilder;  // the readers' write access, in a private header

// One level of the sub-grid tree, in file order: the top-level sub-grids of a file or the children
// of one sub-grid. A view into its GridFile, valid while the grid is.
class SubGridList {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = SubGrid;
    using difference_type = std::ptrdiff_t;
    using pointer = const SubGrid*;
    using reference = const SubGrid&;

    Iterator() = default;
    explicit Iterator(const SubGrid* at) : at_(at) {}
    reference operator*() const { return *at_; }
    pointer operator->() const { return at_; }
    Iterator& operator++();
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator&) const = default;

   private:
    const SubGrid* at_ = nullptr;
  };

  SubGridList() = default;
  explicit SubGridList(const SubGrid* first) : first_(first) {}
  Iterator begin() const { return Iterator(first_); }
  Iterator end() const { return {}; }
  bool empty() const { return first_ == nullptr; }

 private:
  const SubGrid* first_ = nullptr;
};

// One sub-file of the grid: its place in the tree, its bounds and its node values. The readers
// fill them; a GridFile owns its sub-grids, which keep their addresses while it lives.
class SubGrid {
 public:
  SubGrid();  // not in use, no nodes, no place in a tree
  // Moves for the grid's array of sub-grids; a sub-grid moved from may only be assigned or destroyed.
  SubGrid(SubGrid&&) noexcept;
  SubGrid& operator=(SubGrid&&) noexcept;
  ~SubGrid();

  // SUB_NAME and PARENT, normalised to 8 characters; the parent name is "NONE    " at top level.
  const std::string& name() const;
  const std::string& parentName() const;

  // The tree: the parent (nullptr at top level) and the sub-grids that name this one as parent,
  // in file order.
  const SubGrid* parent() const;
  SubGridList children() const;
  int childCount() const;

  // Header read; entries not in use are skipped everywhere.
  bool inUse() const;
  // Position of the sub-file in the file, from 0.
  int index() const;
  // GS_COUNT; equal to rows() x columns() in every grid a reader returns.
  std::uint32_t nodeCount() const;
  // Node rows (latitude direction) and columns (longitude direction).
  int rows() const;
  int columns() const;

  // Bounds and spacings in degrees, latitudes north positive, longitudes EAST positive (converted
  // from the file's west-positive values).
  double latMin() const;
  double latMax() const;
  double latInc() const;
  double lonMin() const;
  double lonMax() const;
  double lonInc() const;

  // File position of the first node record.
  std::int64_t dataOffset() const;

  // Two values per node: 2n the longitude shift (positive WEST), 2n+1 the latitude shift, in the
  // file's unit. The accuracies likewise; empty for a text-form sub-grid whose node lines hold two
  // values.
  std::span<const float> shifts() const;
  std::span<const float> accuracies() const;

  // The header as read, for writing the grid again.
  const SubFileHeader& header() const;

 private:
  friend class GridFile;  // whose state links to the states of its sub-grids
  friend class GridFileBuilder;
  struct Impl;  // in a private header of the grid library
  std::unique_ptr<Impl> impl_;
};

// An opened grid file, complete and read-only from the end of its open to its release.
class GridFile {
 public:
  GridFile();
  GridFile(const GridFile&) = delete;  // sub-grids link to each other by address
  GridFile& operator=(const GridFile&) = delete;
  ~GridFile();

  // The name as given to the open.
  const std::string& path() const;
  // NUM_FILE, and the sub-grids whose parent is NONE.
  int subGridCount() const;
  int topLevelCount() const;
  // Binary form only: int32 values followed by 4 bytes of padding; the file's byte order is the
  // reverse of the machine's.
  bool paddedInts() const;
  bool byteSwapped() const;
  // kDefect* bits.
  std::uint32_t defects() const;
  // Factors from the file's angle unit to degrees and to arc-seconds.
  double toDegrees() const;
  double toSeconds() const;
  // The normalised GS_TYPE, 8 characters; "SECONDS " for GTX and GeoTIFF grids.
  const std::string& gsType() const;
  // The format read and what the nodes hold.
  GridForm form() const;
  GridContent content() const;

  // Every sub-file in file order, and the top-level sub-grids (the roots of the tree) in file order.
  std::span<const SubGrid> subGrids() const;
  SubGridList topLevel() const;

  // The overview values no computation uses, as read.
  const GridOverview& overview() const;

 private:
  friend class GridFileBuilder;
  struct Impl;  // in a private header of the grid library
  std::unique_ptr<Impl> impl_;
};

// The form named by the extension after the last "." of the name, "gsb", "gsa", "gtx", "tif" or
// "tiff" in any letter case; nullopt for any other name.
std::optional<GridForm> gridFormFromName(std::string_view fileName);

// Whether this build reads the form: GeoTIFF needs libtiff at build time, the others always.
bool gridFormReadable(GridForm form);

// The extensions this build reads, for a program's --version: ".gsb .gsa .gtx .tif" or, built
// without libtiff, ".gsb .gsa .gtx".
std::string_view gridFormatsRead();

// "horizontal", "geoid" or "vertical".
std::string_view gridContentName(GridContent content);

// Which samples of a GeoTIFF grid are read. A deformation model's displacement grid
// (TYPE=DEFORMATION_MODEL) is read only when asked for, since its offsets are metres (or degrees)
// rather than arc-seconds: its horizontal offsets as a horizontal grid, north_offset in the
// latitude-shift field and east_offset in the longitude-shift field (stored positive west like
// every longitude shift), both as stored; its vertical_offset (metres) as a vertical grid. A "3D"
// grid holds both: each reading gives one. Other forms and types ignore the choice.
enum class GridSamples {
  kDefault,
  kDeformationHorizontal,
  kDeformationVertical,
};

// Opens a grid file, the form chosen by gridFormFromName; nullptr on any failure (missing or empty
// name, unknown extension, unreadable or invalid file). Prints nothing.
std::unique_ptr<GridFile> openGridFile(std::string_view fileName);

// The same, with the code of the failure (grid_error.hpp): the reader's code, 321 also for a name
// without a known extension, 326 for a GeoTIFF file in a build without libtiff; kGridOk with a grid.
std::unique_ptr<GridFile> openGridFile(std::string_view fileName, GridError& error);
// The same, reading the samples chosen.
std::unique_ptr<GridFile> openGridFile(std::string_view fileName, GridError& error, GridSamples samples);

// Releases the grid (closing its file if still open) and empties the holder; nothing for none.
void closeGridFile(std::unique_ptr<GridFile>& grid);

}  // namespace velmora
