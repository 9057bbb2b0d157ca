#include "convert/convert.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "lib/text.h"
#include "run/error.h"
#include "run/fields.h"

namespace zeko {

namespace {

[[noreturn]] void BadType() { ErrorExit("Fehler in Typenkonvertierung"); }

}  // namespace

void ConvertDate(int layout, char* out, char* date) {
  char fallback[] = "00.00.0000";
  std::size_t len = date ? strnlen(date, 11) : 0;
  const char* d = date;
  if (len == 8 || len == 10) {
    fillnull(date);
  } else {
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
  switch (layout) {
    case 10: put(day, 2); put(".", 1); put(month, 2); put(".", 1); put(yy, 2); break;
    case 11: put(day, 2); put(month, 2); put(yy, 2); break;
    case 12: put(day, 2); put("/", 1); put(month, 2); put("/", 1); put(yy, 2); break;
    case 13: put(year, 4); put(month, 2); put(day, 2); break;
    case 14: put(month, 2); break;
    case 15: put(day, 2); put(month, 2); break;
    case 16: put(yy, 2); break;
    case 18: put(day, 2); put(month, 2); put(year, 4); break;
    case 24: put(month, 2); put(yy, 2); break;
    case 25: put(month, 2); put(year, 4); break;
    default: BadType();
  }
  *o = '\0';
}

namespace {

void ConvertNumber(char* out, const MapEntry& row, const char* value) {
  const unsigned code = row.type;
  int w = static_cast<int>(row.length);
  double x = AtoF(value);
  if (code == 2 || code == 21 || code == 25 || code == 26 || code == 27) x *= 100.0;
  if (code == 1) x *= 10.0;
  const bool negative = x < 0;
  if (row.a && *row.a) x += AtoF(row.a);
  const int decimals = (code == 15 || code == 22) ? 2 : 0;
  const bool absolute = code == 21 || code == 25 || code == 26 || code == 27;
  if (absolute) x = std::fabs(x);
  if (code == 27) --w;
  char text[kFixedRoom];
  const std::size_t n = FormatFixed(text, x, 0, decimals);
  if (code == 22)
    if (char* dot = static_cast<char*>(std::memchr(text, '.', n))) *dot = ',';
  if (w < 0) w = 0;
  // As rightbound places it: a text wider than the field keeps its start.
  const auto width = static_cast<std::size_t>(w);
  if (n >= width) {
    std::memcpy(out, text, width);
  } else {
    std::memset(out, ' ', width - n);
    std::memcpy(out + (width - n), text, n);
  }
  out[width] = '\0';
  if (code == 12 || code == 19 || code == 21 || code == 22 || code == 25 || code == 26 ||
      code == 27)
    fillnull(out);
  if (code == 21 && negative && w > 0) out[0] = '1';
  if (code == 25 && w > 0) out[0] = negative ? '-' : '+';
  if (code == 27) {
    out[w] = negative ? '-' : '+';
    out[w + 1] = '\0';
  }
  if (code == 19 && x == 0.0) {
    std::memset(out, ' ', static_cast<std::size_t>(w));
    out[w] = '\0';
  }
}

void ConvertText(char* out, const MapEntry& row, const char* value) {
  const std::size_t w = row.length;
  std::memset(out, ' ', w);
  out[w] = '\0';
  const char* a = row.a ? row.a : "";
  // Most rows have no constant, and many values are empty.
  const std::size_t alen = *a ? strnlen(a, w) : 0;
  std::memcpy(out, a, alen);
  const std::size_t room = w - alen;
  if (room > 0 && value && *value) std::memcpy(out + alen, value, strnlen(value, room));
  if (row.type == 16) {
    for (std::size_t i = alen; i < w; ++i) out[i] = UpperAsciiChar(out[i]);
  } else if (row.type == 10) {
    std::size_t end = w;
    while (end > alen && out[end - 1] == ' ') --end;
    out[end] = '\0';
    for (std::size_t i = alen; i < end; ++i)
      if (out[i] == ',') out[i] = ' ';
  }
}

// Six decimals of a number given as text; with field 196 holding 100 the
// decimal point moves two places to the left first.
void ConvertSixDecimals(char* out, const MapEntry& row, const char* value, const FieldTable& fields) {
  std::string v = value ? value : "";
  std::string sign;
  std::string intPart, frac;
  std::size_t dot = v.find('.');
  intPart = v.substr(0, dot);
  if (dot != std::string::npos) frac = v.substr(dot + 1);
  if (AtoF(fields.Value(196)) == 100.0) {
    // The sign stays in front; missing integer digits become zeros, so
    // "12.5" gives "0.125" rather than ".125".
    if (!intPart.empty() && (intPart[0] == '-' || intPart[0] == '+')) {
      sign = intPart.substr(0, 1);
      intPart.erase(0, 1);
    }
    while (intPart.size() < 3) intPart.insert(intPart.begin(), '0');
    frac = intPart.substr(intPart.size() - 2) + frac;
    intPart.resize(intPart.size() - 2);
  }
  if (frac.size() < 6) frac.append(6 - frac.size(), '0');
  std::string text = sign + intPart + "." + frac;
  rightbound(out, text.c_str(), static_cast<int>(row.length));
}

}  // namespace

void ConvertField(char* out, const MapEntry& row, char* value, const FieldTable& fields) {
  switch (row.type) {
    case 0: case 1: case 2: case 12: case 15: case 19: case 21: case 22: case 25: case 26:
    case 27:
      ConvertNumber(out, row, value);
      return;
    case 5: {
      std::int32_t v = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(AtoI(value)) + static_cast<std::uint32_t>(AtoI(row.a)));
      auto u = static_cast<std::uint32_t>(v);
      out[0] = static_cast<char>(u & 0xFF);
      out[1] = static_cast<char>((u >> 8) & 0xFF);
      out[2] = static_cast<char>((u >> 16) & 0xFF);
      out[3] = static_cast<char>((u >> 24) & 0xFF);
      out[4] = '\0';
      return;
    }
    case 9: case 10: case 16:
      ConvertText(out, row, value);
      return;
    case 11: ConvertDate(11, out, value); return;
    case 13: ConvertDate(13, out, value); return;
    case 14: ConvertDate(14, out, value); return;
    case 17: ConvertDate(15, out, value); return;
    case 18: ConvertDate(12, out, value); return;
    case 20: ConvertDate(16, out, value); return;
    case 23: ConvertDate(18, out, value); return;
    case 24: ConvertDate(24, out, value); return;
    case 30: ConvertSixDecimals(out, row, value, fields); return;
    default: BadType();
  }
}

namespace {
// The text behind the first occurrence of the tag letter, either case; the
// number there reads the same upper-cased or not.
const char* AfterTag(const char* text, char tag) {
  if (text == nullptr) return nullptr;
  const char upper = UpperAsciiChar(tag);
  for (; *text; ++text)
    if (UpperAsciiChar(*text) == upper) return text + 1;
  return nullptr;
}
}  // namespace

int ReadTaggedInt(const char* text, char tag) { return AtoI(AfterTag(text, tag)); }

double ReadTaggedReal(const char* text) { return AtoF(AfterTag(text, 'P')); }

}  // namespace zeko
