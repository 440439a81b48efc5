#include "app/input_lines.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/code_printing.hpp"
#include "tests/support/temp_dir.hpp"

namespace velmora {
namespace {

struct Point {
  double x;
  double y;
  double height;
  bool operator==(const Point&) const = default;
};

// Points as (x, y): easting and northing, or longitude and latitude.
Point pointOf(const Coordinates& c, CoordType type) {
  return type == CoordType::kEn ? Point{c.first, c.second, c.height} : Point{c.second, c.first, c.height};
}

std::vector<Point> pointsOfLine(std::string_view line, CoordType type) {
  const std::optional<Coordinates> point = pointOfLine(splitInputLine(line), type);
  if (!point) return {};
  return {pointOf(*point, type)};
}

// Every point of a file, read block by block; false when a read failed or the file cannot be opened.
bool readInputFile(const std::string& path, CoordType type, std::vector<Point>& points) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return false;
  LineReader reader(file);
  InputBlock block;
  ReadStatus status = ReadStatus::kLines;
  while ((status = reader.readBlock(block)) == ReadStatus::kLines) {
    block.forEachLine([&](const LineFields& line) {
      if (const std::optional<Coordinates> point = pointOfLine(line, type))
        points.push_back(pointOf(*point, type));
    });
  }
  std::fclose(file);
  return status == ReadStatus::kEnd;
}

void PrintTo(const Point& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ", " << p.height << ")";
}

struct LineCase {
  std::string line;
  CoordType type;
  std::vector<Point> expected;  // none when the line is skipped
};

const double kDmsLatitude = -((33 + 52 / 60.0) + 10.5 / 3600.0);
const double kDmsLongitude = (151 + 12 / 60.0) + 30.2 / 3600.0;

TEST(InputLine, FieldRules) {
  const LineCase cases[] = {
      // Geographic input is latitude first and stored longitude first.
      {"-33.8,151.2,12.5\n", CoordType::kDd, {{151.2, -33.8, 12.5}}},
      {"-33.8,151.2,12.5\n", CoordType::kEn, {{-33.8, 151.2, 12.5}}},
      {"-33 52 10.5,151 12 30.2,7.25\n", CoordType::kDms, {{kDmsLongitude, kDmsLatitude, 7.25}}},
      {"-33 52.175,151 12.5\n", CoordType::kDm, {{151 + 12.5 / 60.0, -(33 + 52.175 / 60.0), 0.0}}},
      // Empty fields do not count.
      {"1,,2\n", CoordType::kEn, {{1.0, 2.0, 0.0}}},
      {",1,2\n", CoordType::kEn, {{1.0, 2.0, 0.0}}},
      {",,,1,,,2,,,3,,,\n", CoordType::kEn, {{1.0, 2.0, 3.0}}},
      {"1,2,3,4,5\n", CoordType::kEn, {{1.0, 2.0, 3.0}}},
      // Too few fields: skipped.
      {"123.4\n", CoordType::kEn, {}},
      {"\n", CoordType::kEn, {}},
      {"", CoordType::kEn, {}},
      {",,,\n", CoordType::kEn, {}},
      // The newline stays part of the last field, so a trailing comma still leaves a second field.
      {"1,\n", CoordType::kEn, {{1.0, 0.0, 0.0}}},
      {"1,", CoordType::kEn, {}},
      {"1,2,\n", CoordType::kEn, {{1.0, 2.0, 0.0}}},
      // Text that is no number reads as 0: a header line becomes a point.
      {"Easting,Northing,Height\n", CoordType::kEn, {{0.0, 0.0, 0.0}}},
      {"1,2,abc\n", CoordType::kEn, {{1.0, 2.0, 0.0}}},
      // Carriage returns of files written elsewhere are ignored by the number readers.
      {"-33.5,151.25,10\r\n", CoordType::kDd, {{151.25, -33.5, 10.0}}},
      // A tab before the degrees keeps their sign.
      {"\t-0 30 0,151 0 0\n", CoordType::kDms, {{151.0, -0.5, 0.0}}},
      {"  -33.5 , 151.25 , 2.5 \n", CoordType::kDd, {{151.25, -33.5, 2.5}}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "line '" << c.line << "' type " << c.type);
    EXPECT_EQ(pointsOfLine(c.line, c.type), c.expected);
  }
}

TEST(InputFile, LinesOfAnyLengthAndAFinalLineWithoutNewline) {
  const TempDir folder;
  // A 1500-character line is one point: the padding after the height is part of the third field.
  const std::string longLine = "-33.5,151.25,7" + std::string(1500, ' ') + "\n";
  const std::string path = folder.writeFile("points.csv", "1,2,3\n" + longLine + "\n5,6");
  std::vector<Point> points;
  ASSERT_TRUE(readInputFile(path, CoordType::kDd, points));
  EXPECT_EQ(points, (std::vector<Point>{{2.0, 1.0, 3.0}, {151.25, -33.5, 7.0}, {6.0, 5.0, 0.0}}));
}

TEST(InputFile, ManyLinesAcrossReadChunks) {
  const TempDir folder;
  // Lines of varying length so that line ends fall on every offset of the read chunks.
  std::string text;
  std::vector<Point> expected;
  for (int k = 1; k <= 20000; ++k) {
    const std::string padding(static_cast<std::size_t>(k % 13), '0');
    text += padding + std::to_string(k) + "," + std::to_string(-k) + ".5," + std::to_string(k % 7) + "\n";
    expected.push_back({static_cast<double>(k), -k - 0.5, static_cast<double>(k % 7)});
  }
  const std::string path = folder.writeFile("many.csv", text);
  std::vector<Point> points;
  ASSERT_TRUE(readInputFile(path, CoordType::kEn, points));
  EXPECT_EQ(points, expected);
}

// Lines far longer than one read of the file, with long or many fields: the reader keeps only what
// the first three fields need, and each point must be the one its whole line gives.
TEST(InputFile, LinesLongerThanAReadGiveThePointOfTheWholeLine) {
  const std::vector<std::string> lines = {
      "-33.5" + std::string(70000, '0') + ",151.25,7\n",
      "-33.5,151.25,7" + std::string(100000, ',') + "9,9\n",
      "1,2,3" + std::string(5000, 'x') + "," + std::string(80000, 'y') + "\n",
      ",,,,1" + std::string(66000, ',') + std::string(5000, ' ') + "2\n",
      std::string(70000, ' ') + "4,5\n",
      std::string(140000, ',') + "\n",
      "7,8\n",
      "5," + std::string(70000, '6'),
  };
  std::string text;
  std::vector<Point> expected;
  for (const std::string& line : lines) {
    text += line;
    for (const Point& p : pointsOfLine(line, CoordType::kEn)) expected.push_back(p);
  }
  ASSERT_EQ(expected.size(), 7U);
  const TempDir folder;
  std::vector<Point> points;
  ASSERT_TRUE(readInputFile(folder.writeFile("long.csv", text), CoordType::kEn, points));
  EXPECT_EQ(points, expected);
}

// What strict mode needs of a line besides its fields, alike for a line within one read and one that
// continues past it (and keeps only its fields): empty fields, fields cut short, and its number.
TEST(InputFile, StrictFlagsOfWholeAndSpilledLines) {
  struct Case {
    std::string line;
    bool emptyField;
    bool longField;
    bool moreFields;
  };
  const Case cases[] = {
      {"1,2,3\n", false, false, false},
      {"1,2,3", false, false, false},
      {"1,2,3\r\n", false, false, false},
      {"1,,2\n", true, false, false},
      {",1,2\n", true, false, false},
      {"1,2,\n", true, false, false},
      {"1,2,", true, false, false},
      {"1,2,\r\n", true, false, false},
      {"\n", false, false, false},
      {"1,2,3,4\n", false, false, true},
      {"1," + std::string(kFieldReadLimitBytes + 1, '2') + "\n", false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 20));
    const LineFields whole = splitInputLine(c.line);
    EXPECT_EQ(hasEmptyField(whole), c.emptyField);
    EXPECT_EQ(hasLongField(whole), c.longField);
    EXPECT_EQ(whole.moreFields, c.moreFields);

    // The case line starts three bytes before the end of the first read, as line 2.
    const std::string text = std::string(kInputChunkBytes - 4, ' ') + "\n" + c.line;
    const TempDir folder;
    std::FILE* file = std::fopen(folder.writeFile("spill.csv", text).c_str(), "r");
    ASSERT_NE(file, nullptr);
    LineReader reader(file);
    InputBlock block;
    std::vector<LineFields> lines;
    std::uint64_t lastLineNumber = 0;
    while (reader.readBlock(block) == ReadStatus::kLines) {
      std::uint64_t number = block.firstLineNumber();
      block.forEachLine([&](const LineFields& line) {
        lines.push_back(line);
        lastLineNumber = number++;
      });
    }
    std::fclose(file);
    ASSERT_EQ(lines.size(), 2U);
    EXPECT_EQ(lastLineNumber, 2U);
    EXPECT_EQ(hasEmptyField(lines[1]), c.emptyField);
    EXPECT_EQ(hasLongField(lines[1]), c.longField);
    EXPECT_EQ(lines[1].moreFields, c.moreFields);
  }
}

// A file whose reads fail after the first one: the lines read before stand, then the failure shows.
TEST(InputFile, ReadFailingPartWayEndsWithAnError) {
  struct Source {
    std::string_view text = "1,2\n3,4\n5,";
    bool served = false;
  } source;
  cookie_io_functions_t functions{};
  functions.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto* s = static_cast<Source*>(cookie);
    if (s->served) return -1;
    s->served = true;
    const std::size_t n = std::min(size, s->text.size());
    std::copy_n(s->text.data(), n, buffer);
    return static_cast<ssize_t>(n);
  };
  std::FILE* file = fopencookie(&source, "r", functions);
  ASSERT_NE(file, nullptr);
  LineReader reader(file);
  InputBlock block;
  ASSERT_EQ(reader.readBlock(block), ReadStatus::kLines);
  std::size_t lines = 0;
  block.forEachLine([&](const LineFields&) { ++lines; });
  EXPECT_EQ(lines, 2U);
  EXPECT_EQ(reader.readBlock(block), ReadStatus::kError);
  EXPECT_TRUE(block.empty());
  std::fclose(file);
}

// Blocks hold at most kMaxLinesPerBlock lines, so that short lines cannot make a block's output large.
TEST(InputFile, BlocksHoldABoundedNumberOfLines) {
  const TempDir folder;
  std::FILE* file = std::fopen(folder.writeFile("short.csv", std::string(5000, '\n') + "1,2").c_str(), "r");
  ASSERT_NE(file, nullptr);
  LineReader reader(file);
  InputBlock block;
  std::size_t total = 0;
  while (reader.readBlock(block) == ReadStatus::kLines) {
    std::size_t lines = 0;
    block.forEachLine([&](const LineFields&) { ++lines; });
    EXPECT_LE(lines, kMaxLinesPerBlock);
    total += lines;
  }
  std::fclose(file);
  EXPECT_EQ(total, 5001U);
}

TEST(InputFile, FileWithoutUsableLineGivesNoPoint) {
  const TempDir folder;
  std::vector<Point> points;
  ASSERT_TRUE(readInputFile(folder.writeFile("empty.csv", ""), CoordType::kDd, points));
  ASSERT_TRUE(readInputFile(folder.writeFile("single.csv", "1\n2\n\n"), CoordType::kDd, points));
  EXPECT_TRUE(points.empty());
}

TEST(InputFile, MissingFileOrFolderCannotBeRead) {
  const TempDir folder;
  std::vector<Point> points;
  EXPECT_FALSE(readInputFile(folder.filePath("absent.csv"), CoordType::kDd, points));
  EXPECT_FALSE(readInputFile("", CoordType::kDd, points));
  // Opening a folder succeeds on this system, reading it does not; that is no empty file.
  EXPECT_FALSE(readInputFile(folder.path(), CoordType::kDd, points));
  EXPECT_TRUE(points.empty());
}

}  // namespace
}  // namespace velmora
