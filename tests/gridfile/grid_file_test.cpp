#include "velmora/gridfile/grid_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "gridfile/binary_reader.hpp"
#include "tests/support/grid_fixtures.hpp"

namespace velmora {
namespace {

TEST(GridErrorTable, KeepsTheLibraryOrderAndEndsWithTheTerminator) {
  const std::array<GridError, 36> order = {0,   1,   2,   3,   101, 201, 202, 203, 204, 205, 207, 208,
                                           206, 301, 302, 303, 304, 305, 306, 307, 308, 309, 310, 311,
                                           312, 313, 314, 315, 316, 317, 318, 319, 320, 321, 322, 323};
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

  const std::string tooLong = longest.substr(0, longest.size() - 4) + "f.gsb";
  GridError error = kGridOk;
  EXPECT_EQ(openBinaryGridFile(tooLong, error), nullptr);
  EXPECT_EQ(error, kGridCannotOpenFile);
  EXPECT_EQ(openBinaryGridFile(std::string(5000, 'x'), error), nullptr);
  EXPECT_EQ(error, kGridCannotOpenFile);
  // An inner zero byte would open a different file.
  const std::string shortName = dir.writeFile("z.gsb", bytes);
  EXPECT_NE(openBinaryGridFile(shortName, error), nullptr);
  EXPECT_EQ(openBinaryGridFile(shortName + std::string(1, '\0') + "x", error), nullptr);
  EXPECT_EQ(error, kGridCannotOpenFile);
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
