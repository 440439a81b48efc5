#include "common/epoch_text.hpp"

#include <cmath>
#include <cstdint>

#include "common/number_text.hpp"

namespace velmora {
namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr int kMinutesPerHour = 60;
constexpr int kLastOffsetMinutes = 23 * 60 + 59;

bool isLeapYear(std::int64_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(std::int64_t year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to year-month-day of the proleptic Gregorian calendar (H. Hinnant's
// days_from_civil: the year counted from March, so that the leap day ends it).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// Reads exactly count decimal digits at text[at], advancing at.
std::optional<int> digits(std::string_view text, std::size_t& at, std::size_t count) {
  if (text.size() - at < count) return std::nullopt;
  int value = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const char c = text[at + k];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  at += count;
  return value;
}

bool take(std::string_view text, std::size_t& at, char c) {
  if (at < text.size() && text[at] == c) {
    ++at;
    return true;
  }
  return false;
}

// ":SS" or ":SS.fff" after the minutes; at is past the minutes.
std::optional<double> seconds(std::string_view text, std::size_t& at) {
  if (!take(text, at, ':')) return 0.0;
  const std::size_t start = at;
  if (!digits(text, at, 2)) return std::nullopt;
  if (take(text, at, '.')) {
    const std::size_t fraction = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == fraction) return std::nullopt;
  }
  return readExactDecimal(text.substr(start, at - start));
}

// "Z", "+HH:MM", "-HH:MM", "+HHMM", "+HH", or nothing (UTC); at is past the time.
std::optional<int> zoneOffset(std::string_view text, std::size_t& at) {
  if (at == text.size()) return 0;
  if (take(text, at, 'Z') || take(text, at, 'z')) return 0;
  const bool east = text[at] == '+';
  if (!east && text[at] != '-') return std::nullopt;
  ++at;
  const std::optional<int> hours = digits(text, at, 2);
  if (!hours) return std::nullopt;
  int minutes = 0;
  if (at < text.size()) {
    take(text, at, ':');
    const std::optional<int> m = digits(text, at, 2);
    if (!m || *m >= kMinutesPerHour) return std::nullopt;
    minutes = *m;
  }
  const int offset = *hours * kMinutesPerHour + minutes;
  if (offset > kLastOffsetMinutes) return std::nullopt;
  return east ? offset : -offset;
}

}  // namespace

std::optional<double> decimalYear(const CalendarMoment& m) {
  if (m.month < 1 || m.month > 12 || m.day < 1 || m.day > daysInMonth(m.year, m.month)) return std::nullopt;
  if (m.hour < 0 || m.hour > 23 || m.minute < 0 || m.minute > 59) return std::nullopt;
  if (!(m.second >= 0.0 && m.second < 60.0)) return std::nullopt;
  if (m.offsetMinutes < -kLastOffsetMinutes || m.offsetMinutes > kLastOffsetMinutes) return std::nullopt;

  // Seconds from 1970-01-01T00:00:00Z, in whole minutes and the seconds beyond them, so that the
  // minutes stay exact whatever the year.
  const std::int64_t minutes =
      daysFromCivil(m.year, m.month, m.day) * 1440 + m.hour * kMinutesPerHour + m.minute - m.offsetMinutes;
  // The UTC year of the moment: the local year, or the one before or after when the offset
  // crosses New Year.
  std::int64_t year = m.year;
  if (minutes < daysFromCivil(year, 1, 1) * 1440) --year;
  if (minutes >= daysFromCivil(year + 1, 1, 1) * 1440) ++year;
  const std::int64_t yearStart = daysFromCivil(year, 1, 1) * 1440;
  const double secondsInYear = (isLeapYear(year) ? 366.0 : 365.0) * kSecondsPerDay;
  const double sinceNewYear = static_cast<double>(minutes - yearStart) * 60.0 + m.second;
  return static_cast<double>(year) + sinceNewYear / secondsInYear;
}

std::optional<double> readIsoEpoch(std::string_view text) {
  text = trimSpace(text);
  std::size_t at = 0;
  CalendarMoment moment;
  const std::optional<int> year = digits(text, at, 4);
  if (!year || !take(text, at, '-')) return std::nullopt;
  const std::optional<int> month = digits(text, at, 2);
  if (!month || !take(text, at, '-')) return std::nullopt;
  const std::optional<int> day = digits(text, at, 2);
  if (!day) return std::nullopt;
  moment.year = *year;
  moment.month = *month;
  moment.day = *day;
  if (at < text.size()) {
    if (!(take(text, at, 'T') || take(text, at, 't') || take(text, at, ' '))) return std::nullopt;
    const std::optional<int> hour = digits(text, at, 2);
    if (!hour || !take(text, at, ':')) return std::nullopt;
    const std::optional<int> minute = digits(text, at, 2);
    if (!minute) return std::nullopt;
    const std::optional<double> second = seconds(text, at);
    const std::optional<int> offset = second ? zoneOffset(text, at) : std::nullopt;
    if (!offset || at != text.size()) return std::nullopt;
    moment.hour = *hour;
    moment.minute = *minute;
    moment.second = *second;
    moment.offsetMinutes = *offset;
  }
  return decimalYear(moment);
}

std::optional<double> readEpoch(std::string_view text) {
  if (const std::optional<double> year = readExactDecimal(text)) return year;
  return readIsoEpoch(text);
}

}  // namespace velmora
