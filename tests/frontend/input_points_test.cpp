#include "frontend/input_points.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_dir.hpp"

namespace velmora {
namespace {

struct Point {
  double x;
  double y;
  double height;
  bool operator==(const Point&) const = default;
};

std::vector<Point> pointsOf(const InputPoints& points) {
  std::vector<Point> result;
  EXPECT_EQ(points.xValues.size(), points.yValues.size());
  EXPECT_EQ(points.xValues.size(), points.heights.size());
  for (std::size_t k = 0; k < points.xValues.size(); ++k) {
    result.push_back({points.xValues[k], points.yValues[k], points.heights[k]});
  }
  return result;
}

void PrintTo(const Point& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ", " << p.height << ")";
}

struct LineCase {
  std::string line;
  CoordTypeCode type;
  std::vector<Point> expected;  // none when the line is skipped
};

const double kDmsLatitude = -((33 + 52 / 60.0) + 10.5 / 3600.0);
const double kDmsLongitude = (151 + 12 / 60.0) + 30.2 / 3600.0;

TEST(InputLine, FieldRules) {
  const LineCase cases[] = {
      // Geographic input is latitude first and stored longitude first.
      {"-33.8,151.2,12.5\n", kDd, {{151.2, -33.8, 12.5}}},
      {"-33.8,151.2,12.5\n", kEn, {{-33.8, 151.2, 12.5}}},
      {"-33 52 10.5,151 12 30.2,7.25\n", kDms, {{kDmsLongitude, kDmsLatitude, 7.25}}},
      {"-33 52.175,151 12.5\n", kDm, {{151 + 12.5 / 60.0, -(33 + 52.175 / 60.0), 0.0}}},
      // Empty fields do not count.
      {"1,,2\n", kEn, {{1.0, 2.0, 0.0}}},
      {",1,2\n", kEn, {{1.0, 2.0, 0.0}}},
      {",,,1,,,2,,,3,,,\n", kEn, {{1.0, 2.0, 3.0}}},
      {"1,2,3,4,5\n", kEn, {{1.0, 2.0, 3.0}}},
      // Too few fields: skipped.
      {"123.4\n", kEn, {}},
      {"\n", kEn, {}},
      {"", kEn, {}},
      {",,,\n", kEn, {}},
      // The newline stays part of the last field, so a trailing comma still leaves a second field.
      {"1,\n", kEn, {{1.0, 0.0, 0.0}}},
      {"1,", kEn, {}},
      {"1,2,\n", kEn, {{1.0, 2.0, 0.0}}},
      // Text that is no number reads as 0: a header line becomes a point.
      {"Easting,Northing,Height\n", kEn, {{0.0, 0.0, 0.0}}},
      {"1,2,abc\n", kEn, {{1.0, 2.0, 0.0}}},
      // Carriage returns of files written elsewhere are ignored by the number readers.
      {"-33.5,151.25,10\r\n", kDd, {{151.25, -33.5, 10.0}}},
      // A tab before the degrees keeps their sign.
      {"\t-0 30 0,151 0 0\n", kDms, {{151.0, -0.5, 0.0}}},
      {"  -33.5 , 151.25 , 2.5 \n", kDd, {{151.25, -33.5, 2.5}}},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "line '" << c.line << "' type " << c.type);
    InputPoints points;
    addInputLine(c.line, c.type, points);
    EXPECT_EQ(pointsOf(points), c.expected);
  }
}

TEST(InputFile, LinesOfAnyLengthAndAFinalLineWithoutNewline) {
  const TempDir folder;
  // A 1500-character line is one point: the padding after the height is part of the third field.
  const std::string longLine = "-33.5,151.25,7" + std::string(1500, ' ') + "\n";
  const std::string path = folder.writeFile("points.csv", "1,2,3\n" + longLine + "\n5,6");
  InputPoints points;
  ASSERT_TRUE(readInputFile(path, kDd, points));
  EXPECT_EQ(pointsOf(points), (std::vector<Point>{{2.0, 1.0, 3.0}, {151.25, -33.5, 7.0}, {6.0, 5.0, 0.0}}));
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
  InputPoints points;
  ASSERT_TRUE(readInputFile(path, kEn, points));
  EXPECT_EQ(pointsOf(points), expected);
}

TEST(InputFile, FileWithoutUsableLineGivesNoPoint) {
  const TempDir folder;
  InputPoints points;
  ASSERT_TRUE(readInputFile(folder.writeFile("empty.csv", ""), kDd, points));
  ASSERT_TRUE(readInputFile(folder.writeFile("single.csv", "1\n2\n\n"), kDd, points));
  EXPECT_TRUE(points.xValues.empty());
}

TEST(InputFile, MissingFileOrFolderCannotBeRead) {
  const TempDir folder;
  InputPoints points;
  EXPECT_FALSE(readInputFile(folder.filePath("absent.csv"), kDd, points));
  EXPECT_FALSE(readInputFile("", kDd, points));
  // Opening a folder succeeds on this system, reading it does not; that is no empty file.
  EXPECT_FALSE(readInputFile(folder.path(), kDd, points));
  EXPECT_TRUE(points.xValues.empty());
}

TEST(PositionalPoint, CoordinatesAndHeight) {
  struct Case {
    std::vector<std::string_view> arguments;
    CoordTypeCode type;
    bool accepted;
    std::vector<Point> expected;
  };
  const Case cases[] = {
      {{"-33.5", "151.25"}, kDd, true, {{151.25, -33.5, 0.0}}},
      {{"-33.5", "151.25", "12.5"}, kDd, true, {{151.25, -33.5, 12.5}}},
      {{"-33.5", "151.25", "12.5", "99", "x"}, kDd, true, {{151.25, -33.5, 12.5}}},
      {{"334000", "6250000", "abc"}, kEn, true, {{334000.0, 6250000.0, 0.0}}},
      {{"-33 52 10.5", "151 12 30.2"}, kDms, true, {{kDmsLongitude, kDmsLatitude, 0.0}}},
      {{"-33.5"}, kDd, false, {}},
      {{}, kDd, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.arguments.size() << " arguments, type " << c.type);
    InputPoints points;
    EXPECT_EQ(addPositionalPoint(c.arguments, c.type, points), c.accepted);
    EXPECT_EQ(pointsOf(points), c.expected);
  }
}

}  // namespace
}  // namespace velmora
