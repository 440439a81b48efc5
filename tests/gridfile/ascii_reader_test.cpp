#include "gridfile/ascii_reader.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <sstream>
#include <string>

#include "gridfile/binary_reader.hpp"
#include "gridfile/grid_builder.hpp"
#include "tests/support/grid_fixtures.hpp"

namespace velmora {
namespace {

std::unique_ptr<GridFile> openText(const TempDir& dir, const std::string& text, GridError& error) {
  return openAsciiGridFile(dir.writeFile("grid.gsa", text), error);
}

// text with the first occurrence of from replaced by to.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// A 2 x 2 grid written by hand with every irregularity the text form allows.
std::string handWrittenGrid() {
  // Cut into 255-character pieces, this comment would leave a node line " 7.5 8.5".
  const std::string longComment = "#" + std::string(254, 'x') + " 7.5 8.5\n";
  const std::string longNodeLine = "1.5" + std::string(400, ' ') + "+1.25\n";
  return "# a grid written by hand\n"
         "NUM_OREC 11\r\n"
         "  NUM_SREC\t11   # the same count again\r\n"
         "\r\n"
         "\n"
         "NUM_FILE 1\n"
         "GS_TYPE seconds\n"
         "VERSION \"NT v2\"\n"
         "SYSTEM_F 'A B'\n"
         "SYSTEM_T X\n"
         "MAJOR_F 6378137.0\n"
         "MINOR_F 6356752.314\n"
         "MAJOR_T 6378137\n"
         "MINOR_T 6356752.31414\n"
         "SUB_NAME \"my grid name\"\n"
         "PARENT NONE\n"
         "CREATED 2024\n"
         "UPDATED 2024\n"
         "S_LAT 0\n"
         "N_LAT 3600.0\n"
         "E_LONG -3600\n"
         "W_LONG 0\n"
         "LAT_INC 3.6e3\n"
         "LONG_INC 3600\n"
         "GS_COUNT 4\n" +
         longComment + "0.5 -0.25 0.1 0.1\n" + longNodeLine +
         "+2.5e0 -2.25 0 0 extra values\n"
         ".5 3.25 0 0\n"
         "end\n";
}

TEST(AsciiReader, ReadsTheSameGridAsTheBinaryForm) {
  TempDir dir;
  GridError textError = -1;
  GridError binaryError = -1;
  std::unique_ptr<GridFile> text = openText(dir, encodeAsciiGrid(parentWithChildGrid()), textError);
  std::unique_ptr<GridFile> binary =
      openBinaryGridFile(writeGridFile(dir, "grid.gsb", parentWithChildGrid()), binaryError);
  ASSERT_EQ(textError, kGridOk);
  ASSERT_EQ(binaryError, kGridOk);
  EXPECT_NE(GridFileBuilder::file(*text), nullptr);  // the text form keeps its file until closed
  EXPECT_EQ(text->defects(), 0U);
  EXPECT_EQ(text->gsType(), "SECONDS ");
  EXPECT_EQ(text->toSeconds(), 1.0);
  ASSERT_EQ(text->subGrids().size(), 2U);
  EXPECT_EQ(text->subGrids()[1].parent(), &text->subGrids()[0]);
  for (std::size_t s = 0; s < 2; ++s) {
    const SubGrid& a = text->subGrids()[s];
    const SubGrid& b = binary->subGrids()[s];
    EXPECT_EQ(a.name(), b.name());
    EXPECT_EQ(a.parentName(), b.parentName());
    EXPECT_EQ(a.latMin(), b.latMin());
    EXPECT_EQ(a.latMax(), b.latMax());
    EXPECT_EQ(a.lonMin(), b.lonMin());
    EXPECT_EQ(a.lonMax(), b.lonMax());
    EXPECT_EQ(a.latInc(), b.latInc());
    EXPECT_EQ(a.lonInc(), b.lonInc());
    EXPECT_EQ(a.rows(), b.rows());
    EXPECT_EQ(a.columns(), b.columns());
    EXPECT_EQ(nodeValues(a.shifts()), nodeValues(b.shifts()));
    EXPECT_EQ(nodeValues(a.accuracies()), nodeValues(b.accuracies()));
  }
}

void expectHandWrittenValues(const GridFile& grid) {
  EXPECT_EQ(grid.defects(), kDefectLowerCaseType);
  EXPECT_EQ(grid.gsType(), "SECONDS ");
  EXPECT_EQ(grid.overview().version, "NT v2   ");
  EXPECT_EQ(grid.overview().systemF, "A B     ");
  EXPECT_EQ(grid.overview().minorF, 6356752.314);
  EXPECT_EQ(grid.overview().minorT, 6356752.31414);
  ASSERT_EQ(grid.subGrids().size(), 1U);
  const SubGrid& g = grid.subGrids()[0];
  EXPECT_EQ(g.name(), "my grid ");  // quotes gone, inner blank kept, cut to 8
  EXPECT_EQ(g.rows(), 2);
  EXPECT_EQ(g.columns(), 2);
  EXPECT_EQ(g.latInc(), 1.0);
  // Longitude shift first, then latitude shift; the long comment line adds no node.
  EXPECT_EQ(nodeValues(g.shifts()),
            (std::vector<float>{-0.25F, 0.5F, 1.25F, 1.5F, -2.25F, 2.5F, 3.25F, 0.5F}));
  // The long line has two values: its node reads 0 among the others' accuracies.
  EXPECT_EQ(nodeValues(g.accuracies()), (std::vector<float>{0.1F, 0.1F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F, 0.0F}));
}

TEST(AsciiReader, CommentsBlankLinesCarriageReturnsQuotesAndLongLines) {
  TempDir dir;
  GridError error = -1;
  std::unique_ptr<GridFile> grid = openText(dir, handWrittenGrid(), error);
  ASSERT_EQ(error, kGridOk);
  expectHandWrittenValues(*grid);
}

TEST(AsciiReader, DecimalPointsUnderACommaLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (locale-gen de_DE.UTF-8)";
  }
  ASSERT_EQ(*std::localeconv()->decimal_point, ',');
  TempDir dir;
  GridError error = -1;
  std::unique_ptr<GridFile> grid = openText(dir, handWrittenGrid(), error);
  std::setlocale(LC_ALL, "C");
  ASSERT_EQ(error, kGridOk);
  expectHandWrittenValues(*grid);
}

TEST(AsciiReader, NodeLinesNeedTwoOrFourValues) {
  const std::string good = encodeAsciiGrid(planeGrid(parentPlaneSpec()));
  const std::string firstNode = "1 -2 0.5 0.25\n";
  struct Case {
    std::string line;
    GridError expected;
    std::vector<float> accuracies;  // of the first node: longitude, latitude
  };
  const Case cases[] = {
      {"1 -2 0.5 0.25\n", kGridOk, {0.25F, 0.5F}},
      {"1 -2\n", kGridOk, {0.0F, 0.0F}},                // the sub-grid's other lines carry accuracies
      {"1 -2 0.5 0.25 9 9\n", kGridOk, {0.25F, 0.5F}},  // the fourth field takes the rest of the line
      {"1 \"-2 0.5\" 0.25 0\n", kGridOk, {0.0F, 0.25F}},
      {"1 -2 0.5\n", kGridInvalidLine, {}},
      {"1\n", kGridInvalidLine, {}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    GridError error = -1;
    std::unique_ptr<GridFile> grid = openText(dir, replaced(good, firstNode, c.line), error);
    EXPECT_EQ(error, c.expected) << c.line;
    if (grid) {
      const SubGrid& g = grid->subGrids()[0];
      EXPECT_EQ(g.shifts()[0], -2.0F) << c.line;
      ASSERT_EQ(g.accuracies().size(), g.shifts().size()) << c.line;
      EXPECT_EQ(nodeValues(g.accuracies().first(2)), c.accuracies) << c.line;
      EXPECT_EQ(g.accuracies()[2], parentPlaneSpec().lonAccuracy.at(0, 1)) << c.line;  // from its own line
    }
  }
}

TEST(AsciiReader, ASubGridOfTwoValueLinesHoldsNoAccuracies) {
  // The parent's node lines lose their accuracies, the child keeps them.
  std::istringstream in(encodeAsciiGrid(parentWithChildGrid()));
  std::string text;
  int subGrids = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("SUB_NAME")) ++subGrids;
    const bool node = line[0] == '-' || std::isdigit(static_cast<unsigned char>(line[0])) != 0;
    if (node && subGrids == 1) line.erase(line.find(' ', line.find(' ') + 1));
    text += line + '\n';
  }
  TempDir dir;
  GridError error = -1;
  std::unique_ptr<GridFile> grid = openText(dir, text, error);
  ASSERT_EQ(error, kGridOk);
  EXPECT_TRUE(grid->subGrids()[0].accuracies().empty());
  EXPECT_EQ(grid->subGrids()[0].shifts().size(), 50U);
  EXPECT_EQ(grid->subGrids()[1].accuracies().size(), 50U);
}

TEST(AsciiReader, EndLine) {
  const std::string good = encodeAsciiGrid(planeGrid(parentPlaneSpec()));
  struct Case {
    std::string end;
    std::uint32_t defects;
  };
  const Case cases[] = {
      {"END\n", 0},
      {"end", 0},
      {"  End  # closing line\r\n", 0},
      {"\"END\"\n", 0},
      {"", kDefectNoEndRecord},
      {"# END\n", kDefectNoEndRecord},
      {"END now\n", kDefectNoEndRecord},
      {"ENDE\n", kDefectNoEndRecord},
  };
  TempDir dir;
  for (const Case& c : cases) {
    GridError error = -1;
    std::unique_ptr<GridFile> grid = openText(dir, replaced(good, "END\n", c.end), error);
    ASSERT_EQ(error, kGridOk) << c.end;
    EXPECT_EQ(grid->defects(), c.defects) << c.end;
  }
}

TEST(AsciiReader, FailureCodes) {
  const std::string good = encodeAsciiGrid(parentWithChildGrid());
  const std::size_t beforeLastNode = good.rfind('\n', good.size() - std::string("\nEND\n").size() - 1);
  struct Case {
    const char* what;
    std::string text;
    GridError expected;
  };
  const Case cases[] = {
      {"NUM_OREC 12", replaced(good, "NUM_OREC 11", "NUM_OREC 12"), kGridInvalidNumORec},
      {"NUM_OREC not a number", replaced(good, "NUM_OREC 11", "NUM_OREC eleven"), kGridInvalidNumORec},
      {"NUM_SREC 10", replaced(good, "NUM_SREC 11", "NUM_SREC 10"), kGridInvalidNumSRec},
      {"NUM_FILE 0", replaced(good, "NUM_FILE 2", "NUM_FILE 0"), kGridInvalidNumFile},
      {"NUM_FILE overflowing", replaced(good, "NUM_FILE 2", "NUM_FILE -99999999999999"), kGridInvalidNumFile},
      // Counts are plain whole numbers: read as atoi would, "1e9" was 1 and "2.9" was 2.
      {"NUM_FILE 1e9", replaced(good, "NUM_FILE 2", "NUM_FILE 1e9"), kGridInvalidNumFile},
      {"NUM_FILE 2.0", replaced(good, "NUM_FILE 2", "NUM_FILE 2.0"), kGridInvalidNumFile},
      {"NUM_FILE 2 sub-grids", replaced(good, "NUM_FILE 2", "NUM_FILE 2 sub-grids"), kGridInvalidNumFile},
      {"NUM_FILE 0x2", replaced(good, "NUM_FILE 2", "NUM_FILE 0x2"), kGridInvalidNumFile},
      {"NUM_FILE beyond int32", replaced(good, "NUM_FILE 2", "NUM_FILE 4294967298"), kGridInvalidNumFile},
      {"NUM_OREC 11.5", replaced(good, "NUM_OREC 11", "NUM_OREC 11.5"), kGridInvalidNumORec},
      {"NUM_SREC 1.1e1", replaced(good, "NUM_SREC 11", "NUM_SREC 1.1e1"), kGridInvalidNumSRec},
      {"GS_COUNT 25e0", replaced(good, "GS_COUNT 25", "GS_COUNT 25e0"), kGridInvalidGsCount},
      {"GS_COUNT 25.", replaced(good, "GS_COUNT 25", "GS_COUNT 25."), kGridInvalidGsCount},
      {"unknown unit", replaced(good, "GS_TYPE  SECONDS", "GS_TYPE RADIANS"), kGridInvalidGsType},
      {"GS_COUNT 0", replaced(good, "GS_COUNT 25", "GS_COUNT 0"), kGridInvalidGsCount},
      {"GS_COUNT -3", replaced(good, "GS_COUNT 25", "GS_COUNT -3"), kGridInvalidGsCount},
      {"GS_COUNT not rows x columns", replaced(good, "GS_COUNT 25", "GS_COUNT 24"), kGridInvalidGsCount},
      {"LAT_INC 0", replaced(good, "LAT_INC  3600", "LAT_INC 0.0"), kGridInvalidLatInc},
      {"LONG_INC negative", replaced(good, "LONG_INC 3600", "LONG_INC -3600"), kGridInvalidLonInc},
      {"S_LAT overflowing", replaced(good, "S_LAT    0", "S_LAT 1e999"), kGridInvalidLatMin},
      {"N_LAT not a number", replaced(good, "N_LAT    14400", "N_LAT nan"), kGridInvalidLatMax},
      {"N_LAT below S_LAT", replaced(good, "N_LAT    14400", "N_LAT -14400"), kGridInvalidLatMinMax},
      {"parent not in the file", replaced(good, "PARENT   PARENT", "PARENT GHOST"), kGridParentNotFound},
      {"empty file", "", kGridUnexpectedEof},
      {"only comments", "# nothing\n\n", kGridUnexpectedEof},
      {"ends in the overview", good.substr(0, good.find("MAJOR_F")), kGridUnexpectedEof},
      {"ends in a sub-file header", good.substr(0, good.find("N_LAT")), kGridUnexpectedEof},
      {"ends before the last node", good.substr(0, beforeLastNode + 1), kGridUnexpectedEof},
      {"NUM_FILE beyond the sub-files", replaced(good, "NUM_FILE 2", "NUM_FILE 2147483647"),
       kGridUnexpectedEof},
  };
  TempDir dir;
  for (const Case& c : cases) {
    GridError error = kGridOk;
    EXPECT_EQ(openText(dir, c.text, error), nullptr) << c.what;
    EXPECT_EQ(error, c.expected) << c.what;
  }
  GridError error = kGridOk;
  EXPECT_EQ(openAsciiGridFile(dir.filePath("missing.gsa"), error), nullptr);
  EXPECT_EQ(error, kGridCannotOpenFile);
}

TEST(AsciiReader, CountBeyondTheLinesEndsWithoutAllocatingForIt) {
  // 46340 x 46340 nodes agree with GS_COUNT; the file holds one node line.
  const std::string text = encodeAsciiGrid(planeGrid(parentPlaneSpec()));
  std::string huge = replaced(text, "N_LAT    14400", "N_LAT 46339");
  huge = replaced(huge, "E_LONG   -14400", "E_LONG 0");
  huge = replaced(huge, "W_LONG   0", "W_LONG 46339");
  huge = replaced(huge, "LAT_INC  3600", "LAT_INC 1");
  huge = replaced(huge, "LONG_INC 3600", "LONG_INC 1");
  huge = replaced(huge, "GS_COUNT 25", "GS_COUNT 2147395600");
  huge = replaced(huge, "END\n", "");
  TempDir dir;
  GridError error = kGridOk;
  EXPECT_EQ(openText(dir, huge, error), nullptr);
  EXPECT_EQ(error, kGridUnexpectedEof);
}

}  // namespace
}  // namespace velmora
