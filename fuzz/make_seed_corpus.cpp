// Writes the seed corpora of the grid-reader fuzzers: small valid grids in every layout the
// readers accept, a few hundred bytes each. Run once and commit the output:
//   make_seed_corpus fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "velmora/gridfile/grid_writer.hpp"

namespace {

using velmora::GridImage;
using velmora::GridNode;
using velmora::SubGridImage;

// A sub-grid in arc-seconds (longitudes positive west) with shifts that vary by row and column.
SubGridImage subGrid(const char* name, const char* parent, double south, double west, double inc, int rows,
                     int columns) {
  SubGridImage sub;
  sub.name = name;
  sub.parent = parent;
  sub.created = "20240101";
  sub.updated = "20240102";
  sub.sLat = south;
  sub.nLat = south + inc * (rows - 1);
  sub.wLong = west;
  sub.eLong = west - inc * (columns - 1);
  sub.latInc = inc;
  sub.longInc = inc;
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const auto f = static_cast<float>(j * columns + i);
      sub.nodes.push_back(GridNode{1.5F + f, -2.25F + 0.5F * f, 0.125F, 0.0625F});
    }
  }
  return sub;
}

GridImage single(const char* gsType) {
  GridImage image;
  image.gsType = gsType;
  image.systemF = "AGD66";
  image.systemT = "GDA94";
  image.majorF = 6378160.0;
  image.minorF = 6356774.719;
  image.majorT = 6378137.0;
  image.minorT = 6356752.314;
  image.subGrids.push_back(subGrid("ONE", "NONE", -151200.0, -626400.0, 1800.0, 2, 2));
  return image;
}

GridImage nested() {
  GridImage image = single("SECONDS");
  image.subGrids[0] = subGrid("PARENT", "NONE", -151200.0, -626400.0, 1800.0, 3, 3);
  image.subGrids.push_back(subGrid("CHILD", "PARENT", -149400.0, -627300.0, 900.0, 2, 3));
  image.subGrids.push_back(subGrid("OTHER", "NONE", -140400.0, -626400.0, 3600.0, 2, 2));
  return image;
}

GridImage geoid() {
  GridImage image = single("SECONDS");
  image.subGrids[0].nodes[3].latShift = -999.0F;  // no data
  return image;
}

// Eight top-level sub-grids of 2 x 2 nodes, enough for the search to index them: a row of four
// touching tiles, one overlapping two of them, one sharing a corner, and two apart.
GridImage tiles() {
  GridImage image = single("SECONDS");
  image.subGrids.clear();
  const char* names[] = {"T0", "T1", "T2", "T3", "OVER", "CORNER", "APART", "FAR"};
  const double wests[] = {-626400.0, -628200.0, -630000.0, -631800.0,
                          -627300.0, -633600.0, -640800.0, -648000.0};
  const double souths[] = {-151200.0, -151200.0, -151200.0, -151200.0,
                           -150300.0, -149400.0, -151200.0, -144000.0};
  for (int i = 0; i < 8; ++i)
    image.subGrids.push_back(subGrid(names[i], "NONE", souths[i], wests[i], 1800.0, 2, 2));
  return image;
}

bool write(const std::filesystem::path& path, const std::string& bytes) {
  if (velmora::writeBytesToFile(path.string(), bytes)) return true;
  std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seed_corpus FOLDER\n");
    return 1;
  }
  const std::filesystem::path root = argv[1];
  std::filesystem::create_directories(root / "binary");
  std::filesystem::create_directories(root / "ascii");
  std::filesystem::create_directories(root / "gtx");
  std::filesystem::create_directories(root / "tiff");
  const velmora::BinaryLayout littlePadded{false, true, true};
  const velmora::BinaryLayout bigUnpadded{true, false, true};
  const velmora::BinaryLayout noEnd{false, false, false};
  bool ok = true;
  ok = ok && write(root / "binary" / "single-seconds.gsb",
                   velmora::encodeBinaryGrid(single("SECONDS"), littlePadded));
  ok = ok && write(root / "binary" / "single-minutes-big.gsb",
                   velmora::encodeBinaryGrid(single("minutes"), bigUnpadded));
  ok = ok && write(root / "binary" / "single-degrees-noend.gsb",
                   velmora::encodeBinaryGrid(single("DEGREES"), noEnd));
  ok = ok && write(root / "binary" / "nested.gsb", velmora::encodeBinaryGrid(nested(), littlePadded));
  ok = ok && write(root / "binary" / "nested-big.gsb", velmora::encodeBinaryGrid(nested(), bigUnpadded));
  ok = ok && write(root / "binary" / "geoid.gsb", velmora::encodeBinaryGrid(geoid(), littlePadded));
  ok = ok && write(root / "ascii" / "single-seconds.gsa", velmora::encodeAsciiGrid(single("SECONDS")));
  ok = ok && write(root / "ascii" / "single-minutes.gsa", velmora::encodeAsciiGrid(single("minutes")));
  ok = ok && write(root / "ascii" / "nested.gsa", velmora::encodeAsciiGrid(nested()));
  ok = ok && write(root / "ascii" / "geoid.gsa", velmora::encodeAsciiGrid(geoid()));
  ok = ok && write(root / "binary" / "tiles.gsb", velmora::encodeBinaryGrid(tiles(), littlePadded));
  ok = ok && write(root / "ascii" / "tiles.gsa", velmora::encodeAsciiGrid(tiles()));
  // The text form's liberties: comments, blank lines, carriage returns, quoted names, two-value
  // node lines and a lower-case end line.
  ok = ok && write(root / "ascii" / "liberties.gsa",
                   "# hand-written\r\nNUM_OREC 11\r\nNUM_SREC 11\r\n\r\nNUM_FILE 1 # one sub-grid\r\n"
                   "GS_TYPE 'degrees'\r\nVERSION NTv2.0\r\nSYSTEM_F A\r\nSYSTEM_T B\r\nMAJOR_F 6378137.0\r\n"
                   "MINOR_F 6356752.314\r\nMAJOR_T 6378137.0\r\nMINOR_T 6356752.314\r\n"
                   "SUB_NAME \"A B\"\r\nPARENT NONE\r\nCREATED x\r\nUPDATED y\r\nS_LAT -1.0\r\nN_LAT 0.0\r\n"
                   "E_LONG -11.0\r\nW_LONG -10.0\r\nLAT_INC 1.0\r\nLONG_INC 1.0\r\nGS_COUNT 4\r\n"
                   "0.5 -0.25\r\n1.5e-3 2 0.1 0.1\r\n  -3 4   \r\n5 6 7 8\r\nend\r\n");
  // GTX: one value per node, a geoid; GeoTIFF: the nested horizontal grid and the geoid as heights.
  GridImage heights = geoid();
  heights.content = velmora::GridContent::kGeoid;
  heights.subGrids[0].nodes[3].latShift = std::numeric_limits<float>::quiet_NaN();  // no data
  std::string bytes;
  ok = ok && velmora::encodeGtxGrid(heights, bytes) == velmora::kGridOk && write(root / "gtx" / "geoid.gtx", bytes);
  GridImage wide = heights;
  wide.subGrids[0] = subGrid("WIDE", "NONE", -151200.0, -642600.0, 3600.0, 3, 4);  // 178.5 E .. 181.5 E
  ok = ok && velmora::encodeGtxGrid(wide, bytes) == velmora::kGridOk && write(root / "gtx" / "wide.gtx", bytes);
  // GeoTIFF seeds only from a build that writes them.
  if (velmora::encodeGeoTiffGrid(nested(), bytes) == velmora::kGridOk) {
    ok = ok && write(root / "tiff" / "nested.tif", bytes);
    ok = ok && velmora::encodeGeoTiffGrid(heights, bytes) == velmora::kGridOk &&
         write(root / "tiff" / "geoid.tif", bytes);
    heights.content = velmora::GridContent::kVertical;
    ok = ok && velmora::encodeGeoTiffGrid(heights, bytes) == velmora::kGridOk &&
         write(root / "tiff" / "vertical.tif", bytes);
  }
  return ok ? 0 : 1;
}
