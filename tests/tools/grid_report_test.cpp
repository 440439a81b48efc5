#include "tools/grid_report.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "gridfile/grid_builder.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

// A grid built by hand, linked as the hierarchy check links it, so that the report is tested
// without any reader.
struct HandGrid {
  GridFile grid;
  GridFileFields& fields = GridFileBuilder::fields(grid);

  void add(std::string name, std::string parentName, int rows, int columns, double latMin, double lonMin,
           double inc) {
    SubGridFields& sub = GridFileBuilder::fields(fields.subGrids.emplace_back());
    sub.name = std::move(name);
    sub.parentName = std::move(parentName);
    sub.inUse = true;
    sub.index = static_cast<int>(fields.subGrids.size()) - 1;
    sub.rows = rows;
    sub.columns = columns;
    sub.nodeCount = static_cast<std::uint32_t>(rows * columns);
    sub.latMin = latMin;
    sub.latMax = latMin + (rows - 1) * inc;
    sub.latInc = inc;
    sub.lonMin = lonMin;
    sub.lonMax = lonMin + (columns - 1) * inc;
    sub.lonInc = inc;
  }
  SubGridFields& sub(std::size_t index) { return GridFileBuilder::fields(fields.subGrids[index]); }
  SubGridFields* at(std::size_t index) { return &sub(index); }
};

// Three top-level sub-grids in file order, the second with two children and a grandchild:
//   0 A, 1 B (children 2 B1 and 4 B2, B1 has child 3 B1X), 5 C.
void buildTree(HandGrid& hand) {
  GridFileFields& g = hand.fields;
  g.path = "tree.gsb";
  hand.add("A       ", "NONE    ", 3, 3, -44.0, 170.0, 0.5);
  hand.add("B       ", "NONE    ", 5, 5, -40.0, 170.0, 0.5);
  hand.add("B1      ", "B       ", 3, 3, -40.0, 171.0, 0.25);
  hand.add("B1X     ", "B1      ", 2, 2, -39.75, 171.25, 0.125);
  hand.add("B2      ", "b       ", 2, 3, -39.0, 170.0, 0.25);
  hand.add("C       ", "NONE    ", 2, 2, -30.0, 150.0, 1.0);
  g.subGridCount = 6;
  g.topLevelCount = 3;
  g.firstTopLevel = hand.at(0);
  hand.sub(0).nextSibling = hand.at(1);
  hand.sub(1).nextSibling = hand.at(5);
  hand.sub(1).firstChild = hand.at(2);
  hand.sub(2).nextSibling = hand.at(4);
  hand.sub(2).firstChild = hand.at(3);
  hand.sub(2).parent = hand.at(1);
  hand.sub(4).parent = hand.at(1);
  hand.sub(3).parent = hand.at(2);
  hand.sub(1).childCount = 2;
  hand.sub(2).childCount = 1;
  g.paddedInts = true;
  g.gsType = "SECONDS ";
  g.toDegrees = 0.0002777777777777778;
  g.toSeconds = 1.0;
}

constexpr const char* kTreeHead =
    "File:        tree.gsb\n"
    "Form:        binary\n"
    "Byte order:  little-endian\n"
    "Integers:    padded to 8 bytes\n"
    "Unit:        SECONDS\n"
    "Sub-grids:   6 (3 top-level)\n";

constexpr const char* kTreeBody =
    "Sub-grid tree (lat and lon in degrees: south .. north and west .. east, then the spacing):\n"
    "  [0] \"A       \" parent \"NONE    \", 3 x 3 nodes (rows x columns), 9 stored, lat -44.000000000 .. "
    "-43.000000000 step 0.500000000, lon 170.000000000 .. 171.000000000 step 0.500000000\n"
    "  [1] \"B       \" parent \"NONE    \", 5 x 5 nodes (rows x columns), 25 stored, lat -40.000000000 .. "
    "-38.000000000 step 0.500000000, lon 170.000000000 .. 172.000000000 step 0.500000000\n"
    "    [2] \"B1      \" parent \"B       \", 3 x 3 nodes (rows x columns), 9 stored, lat -40.000000000 .. "
    "-39.500000000 step 0.250000000, lon 171.000000000 .. 171.500000000 step 0.250000000\n"
    "      [3] \"B1X     \" parent \"B1      \", 2 x 2 nodes (rows x columns), 4 stored, lat -39.750000000 "
    ".. "
    "-39.625000000 step 0.125000000, lon 171.250000000 .. 171.375000000 step 0.125000000\n"
    "    [4] \"B2      \" parent \"b       \", 2 x 3 nodes (rows x columns), 6 stored, lat -39.000000000 .. "
    "-38.750000000 step 0.250000000, lon 170.000000000 .. 170.500000000 step 0.250000000\n"
    "  [5] \"C       \" parent \"NONE    \", 2 x 2 nodes (rows x columns), 4 stored, lat -30.000000000 .. "
    "-29.000000000 step 1.000000000, lon 150.000000000 .. 151.000000000 step 1.000000000\n";

TEST(GridInfoReport, TreeListsChildrenIndentedUnderTheirParentsInFileOrder) {
  HandGrid hand;
  buildTree(hand);
  EXPECT_EQ(formatGridInfo(hand.grid, GridForm::kBinary),
            std::string(kTreeHead) + "Defects:     none\n" + kTreeBody);
}

// Past depth 8 the indentation stops growing and the line names its depth, so that a deep chain
// costs a bounded number of bytes per sub-grid; a later top-level sub-grid is back at the margin.
TEST(GridInfoReport, DeepNestingShowsTheDepthInsteadOfMoreIndentation) {
  constexpr int kChain = 12;
  HandGrid hand;
  hand.fields.path = "deep.gsb";
  for (int k = 0; k < kChain; ++k) {
    hand.add("N" + std::to_string(k), k == 0 ? "NONE" : "N" + std::to_string(k - 1), 2, 2, 0.0, 0.0, 1.0);
    if (k > 0) {
      hand.sub(k).parent = hand.at(k - 1);
      hand.sub(k - 1).firstChild = hand.at(k);
      hand.sub(k - 1).childCount = 1;
    }
  }
  hand.add("Z", "NONE", 2, 2, 0.0, 0.0, 1.0);
  hand.sub(0).nextSibling = hand.at(kChain);
  hand.fields.subGridCount = kChain + 1;
  hand.fields.topLevelCount = 2;
  hand.fields.firstTopLevel = hand.at(0);

  const std::string report = formatGridInfo(hand.grid, GridForm::kBinary);
  std::string starts;  // each tree line up to its sub-grid number
  for (std::size_t at = report.find("\n", report.find("Sub-grid tree")); at + 1 < report.size();
       at = report.find('\n', at + 1)) {
    starts += report.substr(at + 1, report.find(']', at) - at) + '\n';
  }
  EXPECT_EQ(starts,
            "  [0]\n"
            "    [1]\n"
            "      [2]\n"
            "        [3]\n"
            "          [4]\n"
            "            [5]\n"
            "              [6]\n"
            "                [7]\n"
            "                  [8]\n"
            "                    (depth 9) [9]\n"
            "                    (depth 10) [10]\n"
            "                    (depth 11) [11]\n"
            "  [12]\n");
}

TEST(GridInfoReport, DefectsAreListedOneBitPerLineWithTheMeaningOfTheForm) {
  HandGrid hand;
  buildTree(hand);
  hand.fields.defects = kDefectBadNameChar | kDefectNoEndRecord | kDefectEndNotZero;
  EXPECT_EQ(formatGridInfo(hand.grid, GridForm::kBinary),
            std::string(kTreeHead) +
                "Defects:     0xA1\n"
                "  0x01  a name or key field held a control character or a byte above 0x7F; the rest became "
                "blanks\n"
                "  0x20  the end record after the last sub-grid is missing\n"
                "  0x80  the eight bytes after the END key are not all zero\n" +
                kTreeBody);
}

TEST(GridInfoReport, TextFormHasNoByteOrderAndItsOwnEndDefect) {
  HandGrid hand;
  buildTree(hand);
  hand.fields.path = "tree.gsa";
  hand.fields.paddedInts = false;
  hand.fields.defects = kDefectNoEndRecord;
  EXPECT_EQ(formatGridInfo(hand.grid, GridForm::kText),
            std::string("File:        tree.gsa\n"
                        "Form:        text\n"
                        "Unit:        SECONDS\n"
                        "Sub-grids:   6 (3 top-level)\n"
                        "Defects:     0x20\n"
                        "  0x20  the line after the last node is missing or is not END\n") +
                kTreeBody);
}

TEST(GridInfoReport, ByteOrderAndPaddingFollowTheFileNotTheMachine) {
  HandGrid hand;
  buildTree(hand);
  hand.fields.byteSwapped = true;
  hand.fields.paddedInts = false;
  const std::string report = formatGridInfo(hand.grid, GridForm::kBinary);
  // The machines this builds on are little-endian; a swapped file is therefore big-endian.
  EXPECT_NE(report.find("Byte order:  big-endian\nIntegers:    not padded (4 bytes)\n"), std::string::npos)
      << report;
}

TEST(GridInfoReport, SubGridsOutsideTheTreeAreStillShown) {
  HandGrid hand;
  buildTree(hand);
  hand.sub(1).nextSibling = nullptr;     // C (5) drops out of the top-level list
  hand.sub(2).nextSibling = hand.at(2);  // a list that points at itself must not loop
  const std::string report = formatGridInfo(hand.grid, GridForm::kBinary);
  const std::string outside = "Sub-grids outside the tree (never searched):\n";
  const auto at = report.find(outside);
  ASSERT_NE(at, std::string::npos) << report;
  EXPECT_EQ(
      report.substr(at + outside.size()),
      "  [4] \"B2      \" parent \"b       \", 2 x 3 nodes (rows x columns), 6 stored, lat -39.000000000 .. "
      "-38.750000000 step 0.250000000, lon 170.000000000 .. 170.500000000 step 0.250000000\n"
      "  [5] \"C       \" parent \"NONE    \", 2 x 2 nodes (rows x columns), 4 stored, lat -30.000000000 .. "
      "-29.000000000 step 1.000000000, lon 150.000000000 .. 151.000000000 step 1.000000000\n");
}

TEST(GridInfoReport, NamesShowBlanksQuotesAndBytesOutsidePrintableAscii) {
  HandGrid hand;
  hand.fields.path = "names.gsb";
  hand.fields.gsType = "DEGREES ";
  hand.add("        ", "NONE    ", 2, 2, 0.0, 0.0, 1.0);
  hand.add("A\"B\\C\x7F\x01 ", "NONE    ", 2, 2, 0.0, 0.0, 1.0);
  hand.fields.firstTopLevel = hand.at(0);
  hand.sub(0).nextSibling = hand.at(1);
  hand.sub(1).nodeCount = 3;  // a count that differs from rows x columns shows as stored
  const std::string report = formatGridInfo(hand.grid, GridForm::kBinary);
  EXPECT_NE(report.find("  [0] \"        \" parent \"NONE    \", 2 x 2 nodes (rows x columns), 4 stored"),
            std::string::npos)
      << report;
  EXPECT_NE(
      report.find(
          "  [1] \"A\\\"B\\\\C\\x7F\\x01 \" parent \"NONE    \", 2 x 2 nodes (rows x columns), 3 stored"),
      std::string::npos)
      << report;
  EXPECT_NE(report.find("Unit:        DEGREES\n"), std::string::npos) << report;
}

TEST(GridDefectMeaning, EveryLibraryBitHasAMeaningInBothFormsAndOthersHaveNone) {
  for (std::uint32_t bit = 1; bit <= 0x80; bit <<= 1U) {
    EXPECT_FALSE(gridDefectMeaning(bit, GridForm::kBinary).empty()) << bit;
    EXPECT_FALSE(gridDefectMeaning(bit, GridForm::kText).empty()) << bit;
  }
  EXPECT_NE(gridDefectMeaning(kDefectNoEndRecord, GridForm::kBinary),
            gridDefectMeaning(kDefectNoEndRecord, GridForm::kText));
  EXPECT_TRUE(gridDefectMeaning(0x100, GridForm::kBinary).empty());
  EXPECT_TRUE(gridDefectMeaning(0, GridForm::kText).empty());
}

TEST(GridInfoReport, UnknownDefectBitsAreShownNotDropped) {
  HandGrid hand;
  buildTree(hand);
  hand.fields.defects = 0x100;
  EXPECT_NE(
      formatGridInfo(hand.grid, GridForm::kBinary).find("Defects:     0x100\n  0x100  unknown defect\n"),
      std::string::npos);
}

TEST(LocationClassName, NamesEachClassOfTheSearch) {
  const struct {
    int locationClass;
    const char* name;
  } cases[] = {{0, "none"},
               {kClassInterior, "interior"},
               {kClassNorthernEdge, "northern edge"},
               {kClassWesternEdge, "western edge"},
               {kClassNorthWestCorner, "north-western corner"},
               {kClassMargin, "margin outside the sub-grid"},
               {6, "none"}};
  for (const auto& c : cases) EXPECT_EQ(locationClassName(c.locationClass), c.name) << c.locationClass;
}

TEST(FormatFixed, RoundsToTheDecimalsAndNeverShowsANegativeZero) {
  const struct {
    double value;
    int decimals;
    const char* text;
  } cases[] = {
      {0.0, 9, "0.000000000"},
      {-0.0, 9, "0.000000000"},
      {-4e-10, 9, "0.000000000"},  // rounds to zero: no sign
      {-6e-10, 9, "-0.000000001"},
      {-174.25, 9, "-174.250000000"},
      {1.0 / 3.0, 9, "0.333333333"},
      {2.0 / 3.0, 9, "0.666666667"},
      {-41.5, 3, "-41.500"},
      {std::numeric_limits<double>::quiet_NaN(), 9, "nan"},
      {std::numeric_limits<double>::infinity(), 9, "inf"},
      {-std::numeric_limits<double>::infinity(), 9, "-inf"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatFixed(c.value, c.decimals), c.text) << c.value;
  // The largest double is written whole: 309 integer digits, a point and 9 decimals.
  EXPECT_EQ(formatFixed(std::numeric_limits<double>::max(), 9).size(), 309U + 1U + 9U);
}

TEST(FormatFixed, UsesAPointUnderACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  const std::string text = formatFixed(-41.25, 9);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(text, "-41.250000000");
}

}  // namespace
}  // namespace velmora
