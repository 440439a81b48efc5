#include "velmora/gridfile/grid_file.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "gridfile/ascii_reader.hpp"
#include "gridfile/binary_reader.hpp"
#include "tests/support/grid_fixtures.hpp"

namespace velmora {
namespace {

TEST(GridErrorTable, KeepsTheLibraryOrderAndEndsWithTheTerminator) {
  const std::array<GridError, 53> order = {0,   1,   2,   3,   101, 201, 202, 203, 204, 205, 207, 208, 206,
                                           301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311, 312, 313,
                                           314, 315, 316, 317, 318, 319, 320, 321, 322, 323, 324, 325, 326,
                                           327, 328, 329, 330, 331, 332, 333, 334, 335, 336, 337, 338, 339, 340};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(kGridErrorMessages[i].code, order[i]) << "entry " << i;
    EXPECT_NE(kGridErrorMessages[i].message, nullptr) << "entry " << i;
  }
  EXPECT_EQ(kGridErrorMessages.back().code, -1);
  EXPECT_EQ(kGridErrorMessages.back().message, nullptr);
}

TEST(GridErrorTable, LooksUpMessagesByCode) {
  EXPECT_STREQ(gridErrorMessage(0), "No error");
  EXPECT_STREQ(gridErrorMessage(206), "Invalid LON_INC");
  EXPECT_STREQ(gridErrorMessage(208), "Invalid LON_MAX");
  EXPECT_STREQ(gridErrorMessage(201), "LAT_MIN >= LAT_MAX");
  EXPECT_STREQ(gridErrorMessage(323), "Invalid line");
  EXPECT_STREQ(gridErrorMessage(324), "Path too long");
  EXPECT_EQ(gridErrorMessage(-1), nullptr);
  EXPECT_EQ(gridErrorMessage(999), nullptr);
}

TEST(GridFormFromName, ComparesTheWholeLastExtensionIgnoringCase) {
  const struct {
    std::string_view name;
    std::optional<GridForm> form;
  } cases[] = {
      {"a.gsb", GridForm::kBinary},   {"A.GSB", GridForm::kBinary}, {"dir.x/a.GsB", GridForm::kBinary},
      {"x.gsa", GridForm::kText},     {"X.Gsa", GridForm::kText},   {".gsa", GridForm::kText},
      {"a.gsb.bak", std::nullopt},    {"a.gs", std::nullopt},       {"a.gsbx", std::nullopt},
      {"gsb", std::nullopt},          {"", std::nullopt},           {"a.", std::nullopt},
      {"dir.gsb/file", std::nullopt},
      {"g.gtx", GridForm::kGtx},      {"G.GTX", GridForm::kGtx},    {"t.tif", GridForm::kGeoTiff},
      {"T.TIFF", GridForm::kGeoTiff}, {"t.tiff.x", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(gridFormFromName(c.name), c.form) << '"' << c.name << '"';
}

TEST(OpenGridFile, ChoosesTheReaderByTheWholeExtensionInAnyCase) {
  TempDir dir;
  const GridImage image = planeGrid(parentPlaneSpec());
  struct Case {
    std::string name;
    std::string bytes;
    GridError error;  // kGridOk: the grid opens
  };
  const Case cases[] = {
      {"a.gsb", encodeBinaryGrid(image), kGridOk},
      {"b.GSB", encodeBinaryGrid(image), kGridOk},
      {"c.gsa", encodeAsciiGrid(image), kGridOk},
      {"d.Gsa", encodeAsciiGrid(image), kGridOk},
      {"e.gsb.bak", encodeBinaryGrid(image), kGridCannotOpenFile},
      {"f.gsbx", encodeBinaryGrid(image), kGridCannotOpenFile},
      {"gsb", encodeBinaryGrid(image), kGridCannotOpenFile},
      {"h.gsa", encodeBinaryGrid(image), kGridInvalidNumORec},  // the extension decides the reader
  };
  for (const Case& c : cases) {
    const std::string path = dir.writeFile(c.name, c.bytes);
    GridError error = -1;
    std::unique_ptr<GridFile> grid = openGridFile(path, error);
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_EQ(grid != nullptr, c.error == kGridOk) << c.name;
    EXPECT_EQ(openGridFile(path) != nullptr, c.error == kGridOk) << c.name;
    if (grid) {
      EXPECT_EQ(grid->path(), path);
    }
  }
  EXPECT_EQ(openGridFile(""), nullptr);
  EXPECT_EQ(openGridFile(dir.filePath("missing.gsb")), nullptr);
}

TEST(OpenGridFile, RefusesNamesTooLongForThePathField) {
  TempDir dir;
  const std::string bytes = encodeBinaryGrid(planeGrid(parentPlaneSpec()));
  // Folders of 200 characters until a file name can make the path exactly 1023 characters.
  std::string folder = dir.path();
  while (folder.size() + 1 + 200 + 1 + 10 < kMaxGridPathLength) {
    folder += "/" + std::string(200, 'd');
    std::filesystem::create_directory(folder);
  }
  const std::string longest =
      folder + "/" + std::string(kMaxGridPathLength - folder.size() - 5, 'f') + ".gsb";
  ASSERT_EQ(longest.size(), kMaxGridPathLength);
  ASSERT_TRUE(writeBytesToFile(longest, bytes));
  std::unique_ptr<GridFile> grid = openGridFile(longest);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->path(), longest);

  // One character more has a code of its own, whether the file exists or not, in both forms.
  const std::string tooLong = longest.substr(0, longest.size() - 4) + "f.gsb";
  ASSERT_TRUE(writeBytesToFile(tooLong.substr(0, tooLong.size() - 4) + ".gsa",
                               encodeAsciiGrid(planeGrid(parentPlaneSpec()))));
  GridError error = kGridOk;
  EXPECT_EQ(openBinaryGridFile(tooLong, error), nullptr);
  EXPECT_EQ(error, kGridPathTooLong);
  EXPECT_EQ(openGridFile(tooLong.substr(0, tooLong.size() - 4) + ".gsa", error), nullptr);
  EXPECT_EQ(error, kGridPathTooLong);
  EXPECT_EQ(openBinaryGridFile(std::string(5000, 'x'), error), nullptr);
  EXPECT_EQ(error, kGridPathTooLong);
  // An inner zero byte would open a different file.
  const std::string shortName = dir.writeFile("z.gsb", bytes);
  EXPECT_NE(openBinaryGridFile(shortName, error), nullptr);
  EXPECT_EQ(openBinaryGridFile(shortName + std::string(1, '\0') + "x", error), nullptr);
  EXPECT_EQ(error, kGridCannotOpenFile);
}

// A sparse file of size bytes: head, then zero bytes that take no room on disk.
std::string writeSparseFile(const TempDir& dir, std::string_view name, std::string_view head,
                            std::uintmax_t size) {
  const std::string path = dir.writeFile(name, head);
  std::filesystem::resize_file(path, size);
  return path;
}

// Paths that are no grid file and text files that once made a reader wait or grow without bound:
// each is refused at once with its code.
TEST(OpenGridFile, RefusesNonRegularFilesAndOverlongTextLines) {
  constexpr std::uintmax_t kGibibyte = std::uintmax_t{1} << 30U;
  TempDir dir;
  const GridImage image = planeGrid(parentPlaneSpec());
  const std::string text = encodeAsciiGrid(image);
  const std::string grid = dir.writeFile("grid.gsb", encodeBinaryGrid(image));
  std::filesystem::create_directory(dir.filePath("folder.gsb"));
  std::filesystem::create_directory(dir.filePath("folder.gsa"));
  ASSERT_EQ(::mkfifo(dir.filePath("fifo.gsb").c_str(), 0600), 0);  // no writer: a blocking open waits
  ASSERT_EQ(::mkfifo(dir.filePath("fifo.gsa").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.filePath("zero.gsa"));
  std::filesystem::create_symlink(grid, dir.filePath("link.gsb"));
  // Lines of exactly the limit and one byte more (the carriage return counts, the newline not).
  const std::string commentAtLimit = "#" + std::string(kMaxGridTextLineBytes - 2, 'x') + "\r\n";
  const std::string commentOver = "#" + std::string(kMaxGridTextLineBytes - 1, 'x') + "\r\n";
  std::string longNode = text;  // the first node line padded with blanks to one byte over
  const std::string firstNode = "1 -2 0.5 0.25\n";
  ASSERT_NE(longNode.find(firstNode), std::string::npos);
  longNode.insert(longNode.find(firstNode) + firstNode.size() - 1,
                  kMaxGridTextLineBytes + 1 - (firstNode.size() - 1), ' ');
  std::string hugeCount = text.substr(0, text.find("SUB_NAME"));
  hugeCount.replace(hugeCount.find("NUM_FILE 1\n"), 11, "NUM_FILE 2147483647\n");
  struct Case {
    const char* what;
    std::string path;
    GridError expected;
  };
  const Case cases[] = {
      {"a symbolic link to a grid", dir.filePath("link.gsb"), kGridOk},
      {"a folder, binary", dir.filePath("folder.gsb"), kGridCannotOpenFile},  // read as 301 once
      {"a folder, text", dir.filePath("folder.gsa"), kGridCannotOpenFile},
      {"a FIFO, binary", dir.filePath("fifo.gsb"), kGridCannotOpenFile},  // waited for ever once
      {"a FIFO, text", dir.filePath("fifo.gsa"), kGridCannotOpenFile},
      {"a link to a device", dir.filePath("zero.gsa"), kGridCannotOpenFile},
      {"a comment line at the limit", dir.writeFile("at.gsa", commentAtLimit + text), kGridOk},
      {"a comment line one byte over", dir.writeFile("over.gsa", commentOver + text), kGridInvalidLine},
      {"a node line one byte over", dir.writeFile("node.gsa", longNode), kGridInvalidLine},
      {"an end line over the limit, without newline",
       dir.writeFile("end.gsa",
                     text.substr(0, text.rfind("END")) + "END" + std::string(kMaxGridTextLineBytes, ' ')),
       kGridInvalidLine},
      {"a gibibyte without newline", writeSparseFile(dir, "nl.gsa", "", kGibibyte),
       kGridInvalidLine},  // gathered whole once, then 301
      {"NUM_FILE 2^31-1 in a gibibyte", writeSparseFile(dir, "num.gsa", hugeCount, kGibibyte),
       kGridInvalidLine},  // std::bad_alloc once: room was reserved for size / 16 sub-grids
  };
  for (const Case& c : cases) {
    GridError error = -1;
    std::unique_ptr<GridFile> opened = openGridFile(c.path, error);
    EXPECT_EQ(error, c.expected) << c.what;
    EXPECT_EQ(opened != nullptr, c.expected == kGridOk) << c.what;
  }
}

TEST(CloseGridFile, EmptiesTheHolderAndIgnoresNone) {
  TempDir dir;
  std::unique_ptr<GridFile> grid = openGridFile(writeGridFile(dir, "g.gsa", parentWithChildGrid()));
  ASSERT_NE(grid, nullptr);
  closeGridFile(grid);
  EXPECT_EQ(grid, nullptr);
  closeGridFile(grid);
  EXPECT_EQ(grid, nullptr);
}

}  // namespace
}  // namespace velmora
