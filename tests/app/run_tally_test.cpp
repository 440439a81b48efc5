// The method counts of --summary: points per method in the order of each method's first point,
// within a block and across blocks added up in input order.
#include "velmora/app/run_tally.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

using Counts = std::vector<std::pair<std::string, std::uint64_t>>;

Counts countsOf(const RunTally& tally) {
  Counts counts;
  for (const MethodCount& method : tally.methods()) counts.emplace_back(method.name, method.points);
  return counts;
}

RunTally tallyOf(const std::vector<std::string>& points) {
  RunTally tally;
  for (const std::string& name : points) tally.addMethod(name);
  return tally;
}

TEST(RunTally, MethodsKeepTheOrderOfTheirFirstPoint) {
  struct Case {
    const char* name;
    std::vector<std::vector<std::string>> blocks;  // the methods of each block's points, merged in order
    Counts expected;
  };
  const Case cases[] = {
      {"one block, runs and returns", {{"a", "a", "b", "a", "c", "b"}}, {{"a", 3}, {"b", 2}, {"c", 1}}},
      {"a later block adds to earlier methods and appends its new ones",
       {{"b", "a"}, {"c", "a", "a"}, {"b", "d"}},
       {{"b", 2}, {"a", 3}, {"c", 1}, {"d", 1}}},
      {"an empty block changes nothing", {{"x"}, {}, {"x"}}, {{"x", 2}}},
      {"names that differ in one byte stay apart",
       {{"grid:a:T1", "grid:a:T2", "grid:a:T1"}},
       {{"grid:a:T1", 2}, {"grid:a:T2", 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunTally total;
    for (const std::vector<std::string>& block : c.blocks) total.merge(tallyOf(block));
    EXPECT_EQ(countsOf(total), c.expected);
  }
}

TEST(RunTally, ManyMethodsAreCountedEach) {
  constexpr int kMethods = 5000;
  RunTally block;
  for (int round = 0; round < 3; ++round) {
    for (int k = kMethods - 1; k >= 0; --k) block.addMethod("m" + std::to_string(k));
  }
  RunTally total;
  total.merge(block);
  total.merge(block);
  ASSERT_EQ(total.methods().size(), static_cast<std::size_t>(kMethods));
  for (std::size_t k = 0; k < total.methods().size(); ++k) {
    EXPECT_EQ(total.methods()[k].name, "m" + std::to_string(kMethods - 1 - static_cast<int>(k)));
    EXPECT_EQ(total.methods()[k].points, 6U);
  }
  total.clear();
  EXPECT_TRUE(total.methods().empty());
  total.addMethod("m0");
  EXPECT_EQ(countsOf(total), (Counts{{"m0", 1}}));
}

}  // namespace
}  // namespace velmora
