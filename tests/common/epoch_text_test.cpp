#include "common/epoch_text.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace velmora {
namespace {

// Expected values worked by hand: the year plus the days (and fraction of a day) since 1 January
// over the days of that year.
TEST(EpochText, ReadsDecimalYearsAndIsoDates) {
  struct Case {
    std::string_view text;
    std::optional<double> year;
  };
  const Case cases[] = {
      {"2020.5", 2020.5},
      {" 1994 ", 1994.0},
      {"2020-01-01", 2020.0},
      {"2020-07-01", 2020.0 + 182.0 / 366.0},
      {"2021-07-01", 2021.0 + 181.0 / 365.0},
      {"2020-07-01T12:00:00Z", 2020.0 + 182.5 / 366.0},
      {"2020-07-01t12:00z", 2020.0 + 182.5 / 366.0},
      {"2020-07-01 12:00:00", 2020.0 + 182.5 / 366.0},
      {"2020-07-01T12:00:00.5Z", 2020.0 + (182.5 + 0.5 / 86400.0) / 366.0},
      {"2020-12-31T23:59:59Z", 2020.0 + (366.0 - 1.0 / 86400.0) / 366.0},
      // An offset east of UTC moves New Year's morning in New Zealand into the year before.
      {"2021-01-01T05:00+12:00", 2020.0 + (365.0 + 17.0 / 24.0) / 366.0},
      {"2020-12-31T20:00-05:00", 2021.0 + 1.0 / 24.0 / 365.0},
      {"2000-02-29", 2000.0 + 59.0 / 366.0},
      {"1900-03-01", 1900.0 + 59.0 / 365.0},  // 1900 is no leap year
      {"2019-02-29", std::nullopt},
      {"2020-13-01", std::nullopt},
      {"2020-07-01T24:00Z", std::nullopt},
      {"2020-07-01T12:60Z", std::nullopt},
      {"2020-07-01T12:00:60Z", std::nullopt},
      {"2020-07-01T12:00:00+24:00", std::nullopt},
      {"2020-07-01T12", std::nullopt},
      {"2020-7-1", std::nullopt},
      {"2020-07-01Z", std::nullopt},
      {"2020-07-01T12:00:00Zx", std::nullopt},
      {"2020.5.1", std::nullopt},
      {"", std::nullopt},
      {"nan", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::optional<double> year = readEpoch(c.text);
    ASSERT_EQ(year.has_value(), c.year.has_value()) << c.text;
    if (year) {
      EXPECT_NEAR(*year, *c.year, 1e-12) << c.text;
    }
  }
}

}  // namespace
}  // namespace velmora
