#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridfile/grid_builder.hpp"

namespace velmora {
namespace {

struct Named {
  std::string name;
  std::string parent;
};

// A grid whose sub-grids carry only the normalised names the hierarchy check looks at.
std::unique_ptr<GridFile> gridOf(const std::vector<Named>& subGrids) {
  auto grid = std::make_unique<GridFile>();
  GridFileFields& fields = GridFileBuilder::fields(*grid);
  fields.subGridCount = static_cast<int>(subGrids.size());
  for (const Named& named : subGrids) {
    SubGridFields& subGrid = GridFileBuilder::fields(fields.subGrids.emplace_back());
    subGrid.name = named.name;
    subGrid.parentName = named.parent;
    subGrid.inUse = true;
    subGrid.index = static_cast<int>(fields.subGrids.size()) - 1;
  }
  return grid;
}

std::vector<std::string> topLevelNames(const GridFile& grid) {
  std::vector<std::string> names;
  for (const SubGrid& s : grid.topLevel()) names.push_back(s.name());
  return names;
}

std::vector<std::string> childNames(const SubGrid& parent) {
  std::vector<std::string> names;
  for (const SubGrid& s : parent.children()) names.push_back(s.name());
  return names;
}

TEST(GridHierarchy, ErrorCodes) {
  struct Case {
    const char* what;
    std::vector<Named> subGrids;
    GridError expected;
  };
  const Case cases[] = {
      {"own parent", {{"TOP     ", "NONE    "}, {"SELF    ", "SELF    "}}, kGridInvalidParentName},
      {"own parent, other case",
       {{"TOP     ", "NONE    "}, {"self    ", "SELF    "}},
       kGridInvalidParentName},
      {"parent missing", {{"TOP     ", "NONE    "}, {"CHILD   ", "GHOST   "}}, kGridParentNotFound},
      {"loop, no top level", {{"A       ", "B       "}, {"B       ", "A       "}}, kGridNoTopLevelParent},
      {"loop beside a top level",
       {{"TOP     ", "NONE    "}, {"A       ", "B       "}, {"B       ", "A       "}},
       kGridParentLoop},
      {"three-step loop under a tree",
       {{"TOP     ", "NONE    "},
        {"K       ", "TOP     "},
        {"A       ", "C       "},
        {"B       ", "A       "},
        {"C       ", "B       "}},
       kGridParentLoop},
      {"no sub-grids", {}, kGridNoTopLevelParent},
  };
  for (const Case& c : cases) {
    std::unique_ptr<GridFile> grid = gridOf(c.subGrids);
    EXPECT_EQ(checkGridHierarchy(*grid), c.expected) << c.what;
  }
}

TEST(GridHierarchy, LinksTopLevelAndChildrenInFileOrder) {
  // The second child appears before its parent and the first child after it.
  std::unique_ptr<GridFile> grid = gridOf({{"A       ", "NONE    "},
                                           {"C2      ", "b       "},
                                           {"B       ", "none    "},
                                           {"C1      ", "B       "},
                                           {"GC      ", "c1      "},
                                           {"C3      ", "B       "}});
  ASSERT_EQ(checkGridHierarchy(*grid), kGridOk);
  EXPECT_EQ(grid->topLevelCount(), 2);
  EXPECT_EQ(topLevelNames(*grid), (std::vector<std::string>{"A       ", "B       "}));
  const SubGrid& b = grid->subGrids()[2];
  EXPECT_EQ(b.childCount(), 3);
  EXPECT_EQ(childNames(b), (std::vector<std::string>{"C2      ", "C1      ", "C3      "}));
  EXPECT_EQ(grid->subGrids()[4].parent(), &grid->subGrids()[3]);  // parent names match in any case
  EXPECT_EQ(childNames(grid->subGrids()[3]), (std::vector<std::string>{"GC      "}));
  EXPECT_TRUE(grid->subGrids()[0].children().empty());
  EXPECT_EQ(grid->defects(), 0U);
}

TEST(GridHierarchy, BlankNamesAreToleratedAndNoted) {
  std::unique_ptr<GridFile> grid =
      gridOf({{"A       ", "NONE    "}, {"B       ", "        "}, {"C       ", "B       "}});
  ASSERT_EQ(checkGridHierarchy(*grid), kGridOk);
  EXPECT_EQ(grid->defects(), kDefectBlankParent);
  EXPECT_EQ(grid->subGrids()[1].parentName(), "NONE    ");  // became top level
  EXPECT_EQ(topLevelNames(*grid), (std::vector<std::string>{"A       ", "B       "}));
  EXPECT_EQ(grid->subGrids()[2].parent(), &grid->subGrids()[1]);

  // A blank parent name that matches a blank-named sub-grid is an ordinary parent.
  grid = gridOf({{"A       ", "NONE    "}, {"        ", "A       "}, {"B       ", "        "}});
  ASSERT_EQ(checkGridHierarchy(*grid), kGridOk);
  EXPECT_EQ(grid->defects(), kDefectBlankName);
  EXPECT_EQ(grid->subGrids()[2].parent(), &grid->subGrids()[1]);
  EXPECT_EQ(grid->topLevelCount(), 1);
}

TEST(GridHierarchy, FirstSubGridOfADuplicatedNameIsTheParent) {
  std::unique_ptr<GridFile> grid =
      gridOf({{"P       ", "NONE    "}, {"P       ", "NONE    "}, {"C       ", "P       "}});
  ASSERT_EQ(checkGridHierarchy(*grid), kGridOk);
  EXPECT_EQ(grid->subGrids()[2].parent(), &grid->subGrids()[0]);
  EXPECT_EQ(grid->subGrids()[1].childCount(), 0);
}

TEST(GridHierarchy, ManySubGridsInADeepChainAreCheckedQuickly) {
  // 20000 sub-grids, each the parent of the next.
  std::vector<Named> chain = {{"N0", "NONE    "}};
  for (int i = 1; i < 20000; ++i) chain.push_back({"N" + std::to_string(i), "N" + std::to_string(i - 1)});
  std::unique_ptr<GridFile> grid = gridOf(chain);
  ASSERT_EQ(checkGridHierarchy(*grid), kGridOk);
  EXPECT_EQ(grid->subGrids().back().parent(), &grid->subGrids()[grid->subGrids().size() - 2]);
  chain.front().parent = chain.back().name;  // closes the chain into one loop
  chain.push_back({"TOP", "NONE    "});
  grid = gridOf(chain);
  EXPECT_EQ(checkGridHierarchy(*grid), kGridParentLoop);
}

}  // namespace
}  // namespace velmora
