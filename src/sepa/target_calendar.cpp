#include "sepa/target_calendar.h"

#include <cstdio>

namespace zeko {
namespace {

using namespace std::chrono;

// Easter Sunday of the Gregorian calendar (the anonymous Gregorian
// algorithm of Meeus).
sys_days EasterSunday(year y) {
  const int n = static_cast<int>(y);
  const int a = n % 19, b = n / 100, c = n % 100;
  const int h = (19 * a + b - b / 4 - (b - (b + 8) / 25 + 1) / 3 + 15) % 30;
  const int l = (32 + 2 * (b % 4) + 2 * (c / 4) - h - c % 4) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const auto easterMonth = static_cast<unsigned>((h + l - 7 * m + 114) / 31);
  const auto easterDay = static_cast<unsigned>((h + l - 7 * m + 114) % 31 + 1);
  return sys_days{y / month{easterMonth} / day{easterDay}};
}

bool IsBusinessDay(sys_days date) {
  const weekday wd{date};
  if (wd == Saturday || wd == Sunday) return false;
  const year_month_day ymd{date};
  const month_day md{ymd.month(), ymd.day()};
  if (md == January / 1 || md == May / 1 || md == December / 25 || md == December / 26)
    return false;
  const sys_days easter = EasterSunday(ymd.year());
  return date != easter - days{2} && date != easter + days{1};
}

}  // namespace

std::optional<year_month_day> ParseGermanDate(std::string_view text) {
  int parts[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int part = 0;
  for (char c : text) {
    if (c == '.') {
      if (++part > 2) return std::nullopt;
    } else if (c >= '0' && c <= '9') {
      parts[part] = parts[part] * 10 + (c - '0');
      if (++digits[part] > 4) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (part != 2 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 ||
      digits[2] != 4)
    return std::nullopt;
  const year_month_day date{year{parts[2]}, month{static_cast<unsigned>(parts[1])},
                            day{static_cast<unsigned>(parts[0])}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::string IsoDate(year_month_day date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

year_month_day AddBusinessDays(year_month_day date, int n) {
  sys_days d{date};
  if (n == 0)
    while (!IsBusinessDay(d)) d += days{1};
  for (int i = 0; i < n;)
    if (IsBusinessDay(d += days{1})) ++i;
  return year_month_day{d};
}

}  // namespace zeko
