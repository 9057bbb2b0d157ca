// Date fields: what a date text of the export is, and its output layouts.
#include <cstring>

#include "convert/convert.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "lib/text.h"

namespace zeko {

namespace {

// Days of a month of the Gregorian calendar.
int DaysInMonth(int month, int year) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month != 2) return kDays[month - 1];
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  return leap ? 29 : 28;
}

enum class DateKind { kNoDate, kDate, kBad };

// What a date text of the export is: a calendar date DD.MM.YY or
// DD.MM.YYYY (blanks among its digits count as zeros), the "no date" of an
// empty or blank text or of zeros throughout (00.00.00, 00.00.0000), or no
// date at all. A two-digit year is 19YY, as the layouts with four year
// digits print it; so 29.02.00 is no date (1900 was no leap year). The year
// 0000 is no calendar year.
DateKind KindOfDate(const char* date, std::size_t len) {
  std::size_t i = 0;
  while (i < len && date[i] == ' ') ++i;
  if (i == len) return DateKind::kNoDate;
  if (len != 8 && len != 10) return DateKind::kBad;
  if (date[2] != '.' || date[5] != '.') return DateKind::kBad;
  int part[3] = {0, 0, 0};  // day, month, year
  for (std::size_t k = 0; k < len; ++k) {
    if (k == 2 || k == 5) continue;
    const char c = date[k];
    if (c != ' ' && !IsDigit(c)) return DateKind::kBad;
    int& n = part[k < 2 ? 0 : k < 5 ? 1 : 2];
    n = n * 10 + (c == ' ' ? 0 : c - '0');
  }
  const int day = part[0], month = part[1];
  int year = part[2];
  if (day == 0 && month == 0 && year == 0) return DateKind::kNoDate;
  if (len == 8) year += 1900;
  if (year == 0 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(month, year))
    return DateKind::kBad;
  return DateKind::kDate;
}

}  // namespace

void ConvertDate(int layout, char* out, char* date, int field) {
  char fallback[] = "00.00.0000";
  std::size_t len = date ? strnlen(date, 11) : 0;
  const char* d = date;
  const DateKind kind = KindOfDate(date ? date : "", len);
  if (kind == DateKind::kDate || (kind == DateKind::kNoDate && (len == 8 || len == 10))) {
    fillnull(date);
  } else {
    // Nothing else is taken for a date; after the problem (a check goes
    // on) the field shows no date.
    if (kind == DateKind::kBad) ValueProblem(msg::kBadDate, field, date);
    d = fallback;
    len = 10;
  }
  const char day[2] = {d[0], d[1]};
  const char month[2] = {d[3], d[4]};
  char year[4];
  if (len == 8) {
    year[0] = '1';
    year[1] = '9';
    year[2] = d[6];
    year[3] = d[7];
  } else {
    std::memcpy(year, d + 6, 4);
  }
  const char* yy = year + 2;
  char* o = out;
  auto put = [&](const char* p, std::size_t n) {
    std::memcpy(o, p, n);
    o += n;
  };
  // One layout a line, read like the layout's name.
  // clang-format off
  switch (layout) {
    case kLayoutDDdotMMdotYY: put(day, 2); put(".", 1); put(month, 2); put(".", 1); put(yy, 2); break;
    case kLayoutDDMMYY: put(day, 2); put(month, 2); put(yy, 2); break;
    case kLayoutDDslashMMslashYY: put(day, 2); put("/", 1); put(month, 2); put("/", 1); put(yy, 2); break;
    case kLayoutYYYYMMDD: put(year, 4); put(month, 2); put(day, 2); break;
    case kLayoutMM: put(month, 2); break;
    case kLayoutDDMM: put(day, 2); put(month, 2); break;
    case kLayoutYY: put(yy, 2); break;
    case kLayoutDDMMYYYY: put(day, 2); put(month, 2); put(year, 4); break;
    case kLayoutMMYY: put(month, 2); put(yy, 2); break;
    case kLayoutMMYYYY: put(month, 2); put(year, 4); break;
    default: ErrorExit("%s", msg::kConversionError);
  }
  // clang-format on
  *o = '\0';
}

}  // namespace zeko
