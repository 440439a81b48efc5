// Options by name, as every front end gives them: the settings read, and which problems stop a run
// under each policy.
#include "velmora/app/options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

TEST(Options, NamesAndValuesBecomeSettingsAndProblems) {
  struct Case {
    std::vector<OptionText> options;
    Datum fromDatum;
    std::vector<std::string> problems;
  };
  const Case cases[] = {
      {{{"--fromDatum", "GDA94"}, {"--TODATUM", "GDA2020"}}, Datum::kGda94, {}},
      // The lax reading of a name that names nothing, and the problem that says so.
      {{{"--fromDatum", "gda94"}},
       Datum::kWgs84,
       {"--fromDatum 'gda94': unknown datum; expected AGD66, AGD84, GDA94, GDA2020, ANG, ISG, NZGD49, "
        "NZGD2000, "
        "WGS84, ITRF2000, ITRF2008, ITRF2014, ITRF2020 or ATRF2014 (names are case-sensitive: GDA94)"}},
      {{{"--fromDatum", std::nullopt}}, Datum::kWgs84, {"option --fromDatum needs a value"}},
      // "--from" begins several options: no one is suggested.
      {{{"--useGridShift", "yes"}, {"--from", "AGD66"}},
       Datum::kWgs84,
       {"option --useGridShift takes no value, got '--useGridShift=yes'",
        "unknown option '--from' (velmora --help lists the options)"}},
      {{{"--fromDatum", "AGD66"}, {"--fromDatum", "AGD84"}},
       Datum::kAgd84,
       {"--fromDatum AGD84 after --fromDatum AGD66: an option given twice must not disagree"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.front().name);
    const RunOptions read = readOptions(c.options);
    EXPECT_EQ(read.settings.fromDatum, c.fromDatum);
    EXPECT_EQ(read.problems, c.problems);
  }
}

TEST(Options, ThePolicyDecidesWhichProblemsStopARun) {
  const std::vector<OptionText> misspelt{{"--toDatum", "gda2020"}};
  const std::vector<OptionText> badDelimiter{{"--delimiter", "|"}};
  const std::string front = "unexpected argument 'x'";
  const OptionVerdict lax = judgeOptions(readOptions(misspelt), OptionPolicy::kLax, {&front, 1});
  EXPECT_TRUE(lax.errors.empty());
  EXPECT_EQ(lax.warnings.size(), 2U);
  EXPECT_EQ(lax.warnings.back(), front);
  const OptionVerdict strict = judgeOptions(readOptions(misspelt), OptionPolicy::kStrict);
  EXPECT_EQ(strict.errors.size(), 1U);
  EXPECT_TRUE(strict.warnings.empty());
  // A value that names nothing of the newer options stops a run under either policy.
  EXPECT_EQ(judgeOptions(readOptions(badDelimiter), OptionPolicy::kLax).errors,
            std::vector<std::string>{"--delimiter '|': expected , ; tab or space"});
}

// --extraGrid adds files to a slot in order, each value one more; a datum slot's extra file is
// read only with --useGridShift, as its own file is.
TEST(Options, ExtraGridsAddFilesInOrder) {
  const std::vector<OptionText> given{{"--extraGrid", "GDA2020=christmas.gsb"},
                                      {"--extragrid", "gda2020=cocos.gsb"},
                                      {"--extraGrid", "AGQG=agqg-east.gsb"}};
  const RunOptions read = readOptions(given);
  EXPECT_TRUE(read.problems.empty());
  EXPECT_EQ(read.settings.extraGridFiles[static_cast<std::size_t>(GridId::kGda2020)],
            (std::vector<std::string>{"christmas.gsb", "cocos.gsb"}));
  EXPECT_EQ(read.settings.extraGridFiles[static_cast<std::size_t>(GridId::kAgqg)],
            std::vector<std::string>{"agqg-east.gsb"});
  EXPECT_EQ(
      settingsProblems(read),
      (std::vector<std::string>{
          "--extraGrid GDA2020=christmas.gsb: datum grids are read only with --useGridShift (the file "
          "would be ignored)",
          "--extraGrid GDA2020=cocos.gsb: datum grids are read only with --useGridShift (the file would "
          "be ignored)"}));
  EXPECT_EQ(readOptions(std::vector<OptionText>{{"--extraGrid", "Dunedin=x.gsb"}}).errors.size(), 1U);
}

}  // namespace
}  // namespace velmora
