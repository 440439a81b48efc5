// Epochs of coordinates: decimal years, and calendar dates and times turned into decimal years the
// way the deformation model format defines them: the year plus the seconds since 1 January 00:00:00
// UTC of that year divided by the seconds in that year (366 days in a leap year; leap seconds are
// not counted). 2020-07-01 is 2020.4972677595629 (182 of 366 days).
#pragma once

#include <optional>
#include <string_view>

namespace velmora {

// A moment of the proleptic Gregorian calendar, in local time offsetMinutes east of UTC.
struct CalendarMoment {
  int year = 1;
  int month = 1;          // 1..12
  int day = 1;            // 1..28, 29, 30 or 31 as the month has
  int hour = 0;           // 0..23
  int minute = 0;         // 0..59
  double second = 0.0;    // 0 <= second < 60
  int offsetMinutes = 0;  // the zone's offset from UTC, -23:59..+23:59
};

// The decimal year of the moment, taken in UTC (an offset may move it into another year); nothing
// for a moment that is no moment (30 February, hour 24, second 60, ...).
std::optional<double> decimalYear(const CalendarMoment& moment);

// An ISO 8601 date or date and time: "2020-07-01", "2020-07-01T12:00", "2020-07-01T12:00:00Z",
// "2020-07-01T12:00:00.25+12:00" ("t" and a space also separate date and time; "z" also means UTC;
// no zone means UTC). Nothing for any other text; white space around it is allowed.
std::optional<double> readIsoEpoch(std::string_view text);

// A decimal year ("2020.5", as readExactDecimal reads it) or an ISO date as readIsoEpoch reads it.
std::optional<double> readEpoch(std::string_view text);

}  // namespace velmora
