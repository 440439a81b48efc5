// Writers of every grid format from a neutral description, for fixtures and format conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "velmora/gridfile/grid_error.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// How NTv2 geoid files mark a node without data, and the threshold a reader applies (-998 and
// below): the GTX and GeoTIFF writers turn such heights into their own no-data marks.
inline constexpr float kNtv2NoDataHeight = -999.0F;
inline constexpr float kNtv2NoDataAtOrBelow = -998.0F;

struct GridNode {
  float latShift = 0.0F;  // file unit, north positive
  float lonShift = 0.0F;  // file unit, WEST positive
  float latAccuracy = 0.0F;
  float lonAccuracy = 0.0F;
  float vertical = 0.0F;  // a three-dimensional deformation grid's vertical offset, metres
};

// What a GeoTIFF holds when it is a deformation model's displacement grid (TYPE=DEFORMATION_MODEL).
enum class DeformationGridType {
  kNone,        // not one: the offsets of GridImage::content
  kHorizontal,  // east_offset (the node's lonShift, turned east positive) and north_offset (latShift)
  kVertical,    // vertical_offset: the node's latShift
  k3d,          // east_offset, north_offset and vertical_offset (the node's vertical)
};

struct SubGridImage {
  std::string name = "SUBGRID";
  std::string parent = "NONE";
  std::string created = "";
  std::string updated = "";
  double sLat = 0.0;  // bounds and spacings in the file unit; longitudes positive WEST
  double nLat = 0.0;
  double eLong = 0.0;
  double wLong = 0.0;
  double latInc = 0.0;
  double longInc = 0.0;
  std::optional<std::int32_t> gsCount;  // written instead of nodes.size() when set
  std::vector<GridNode> nodes;          // node order: rows from the south, each row east to west
};

struct GridImage {
  std::string gsType = "SECONDS";
  std::string version = "NTv2.0";
  std::string systemF = "";
  std::string systemT = "";
  double majorF = 0.0;
  double minorF = 0.0;
  double majorT = 0.0;
  double minorT = 0.0;
  std::optional<std::int32_t> numFile;  // written instead of subGrids.size() when set
  std::vector<SubGridImage> subGrids;
  // What the nodes hold, for the GTX and GeoTIFF writers: for a geoid or vertical grid each node's
  // latShift is the value (metres, times the unit's arc-second factor: 1 for SECONDS), and NaN
  // marks a node without data.
  GridContent content = GridContent::kHorizontal;
  // For the GeoTIFF writer: a deformation model's grid instead, values as stored, in offsetUnit.
  DeformationGridType deformation = DeformationGridType::kNone;
  std::string offsetUnit = "metre";  // of east_offset and north_offset: "metre" or "degree"
};

struct BinaryLayout {
  bool bigEndian = false;  // byte order of numbers in the file
  bool paddedInts = true;  // int32 values followed by 4 zero bytes
  bool endRecord = true;   // write the closing "END     " record
};

// The binary form: character values are cut or blank-padded to 8 bytes and written as given
// (zero bytes included, so tests can write malformed names); numbers in the layout's byte order.
std::string encodeBinaryGrid(const GridImage& image, const BinaryLayout& layout = {});

// The text form, "." as decimal point, each number in the shortest text that reads back to the
// same value; text values holding white space, and empty ones, are quoted. The text form cannot
// carry a "#" (it starts a comment), enclosing quotes or leading blanks in a text value.
std::string encodeAsciiGrid(const GridImage& image);

// A GTX file (big-endian, rows from the south, -88.8888 for a node without data: NaN or -998 and
// below) into bytes: 0, or
// 335 for a horizontal grid or one of several sub-grids (GTX holds one value per node and one grid),
// 201-206 for bounds that are not a whole number of spacings with as many nodes as stored.
GridError encodeGtxGrid(const GridImage& image, std::string& bytes);

// A GeoTIFF grid in PROJ's profile into bytes: one image per sub-grid, parents before children,
// with grid_name and parent_grid_name; Float32 samples, Deflate with the floating-point predictor,
// PixelIsPoint, GDAL_METADATA with TYPE, DESCRIPTION and UNITTYPE per sample and
// positive_value=east. A horizontal grid has latitude_offset and longitude_offset in arc-seconds
// and, when any is not zero, the two accuracies; a geoid geoid_undulation and a vertical grid
// vertical_offset, in metres; a deformation model's grid (GridImage::deformation) TYPE=
// DEFORMATION_MODEL with DISPLACEMENT_TYPE and UNCERTAINTY_TYPE=NONE. Nodes without data (NaN; for
// heights also -998 and below) get -32768 and a GDAL_NODATA tag. 0, 326 in a build
// without libtiff, 335 bounds that do not hold the nodes, 336 when libtiff fails.
GridError encodeGeoTiffGrid(const GridImage& image, std::string& bytes);

// Description of an opened grid, for writing it in another form: names as normalised, the other
// text values and all header numbers as read, accuracies 0 for a sub-grid that holds none (a text
// sub-grid whose node lines have two values). A geoid or vertical grid's nodes without data (NaN
// in a GTX or GeoTIFF grid) get kNtv2NoDataHeight, as NTv2 geoid files mark them.
GridImage gridImageFromFile(const GridFile& grid);

// Replaces fileName with a file holding bytes, all or nothing: bytes go to a new file of a unique
// name in fileName's folder, which is flushed to the disk, closed and only then renamed over
// fileName. A reader, or the disk after a crash, sees the old file or the whole new one. When a
// step fails the new file is removed, fileName is left as it was, and the error of that step is
// returned; an empty code on success. A symbolic link is followed to the end of its chain, as a
// shell's ">" follows it: the file it leads to is replaced or made, and the link stays.
// An existing file must be writable and keeps its permission bits; a new file gets 0666 less the
// umask.
std::error_code writeFileAtomically(std::string_view fileName, std::string_view bytes);

// writeFileAtomically, reporting only whether it succeeded.
bool writeBytesToFile(std::string_view fileName, std::string_view bytes);

}  // namespace velmora
