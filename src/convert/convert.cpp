#include "convert/convert.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "lib/error.h"
#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"

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
    default: BadType();
  }
  // clang-format on
  *o = '\0';
}

namespace {

// The printed text of a plain decimal number (blanks, a sign, digits with
// at most one point among them) scaled by 10^shift, with `decimals` places,
// where that needs no rounding: its digits are then the text's own. Read as
// a double, scaled and printed exactly, such a number of at most 15 digits
// gives these very digits, for the double is within a few parts in 10^16
// of it. Most amounts of an export are of this kind, and this spares
// reading and printing them through doubles. False where the general way
// must be taken (more places than are printed, other than zeros, an
// exponent, more digits).
bool PlainDecimal(const char* v, int shift, int decimals, bool absolute, char* text, std::size_t& n,
                  bool& negative, bool& zero) {
  while (IsSpace(*v)) ++v;
  // An empty field reads as 0, as the tax columns that a booking leaves
  // empty do.
  if (*v == '\0') v = "0";
  const bool minus = *v == '-';
  if (*v == '-' || *v == '+') ++v;
  const char* const whole = v;
  while (IsDigit(*v)) ++v;
  const auto wholeDigits = static_cast<std::size_t>(v - whole);
  const char* fraction = v;
  std::size_t fractionDigits = 0;
  if (*v == '.') {
    fraction = ++v;
    while (IsDigit(*v)) ++v;
    fractionDigits = static_cast<std::size_t>(v - fraction);
  }
  if (*v == 'e' || *v == 'E' || *v == 'd' || *v == 'D') return false;
  // The scaled number's digits, `places` of them after its point.
  const auto places = static_cast<std::size_t>(shift + decimals);
  // Zeros at the end of the fraction change nothing: "2.500000", as the
  // writers print computed values, is 2.5.
  while (fractionDigits > places && fraction[fractionDigits - 1] == '0') --fractionDigits;
  if (wholeDigits == 0 || fractionDigits > places || wholeDigits + places > 15) return false;
  const std::size_t length = wholeDigits + places;
  auto digit = [&](std::size_t i) {
    if (i < wholeDigits) return whole[i];
    return i < wholeDigits + fractionDigits ? fraction[i - wholeDigits] : '0';
  };
  const auto kept = static_cast<std::size_t>(decimals);
  std::size_t first = 0;  // leading zeros go, down to one digit before the point
  while (length - first > kept + 1 && digit(first) == '0') ++first;
  // Digit by digit: a few of them are quicker so than through copies.
  char* p = text;
  if (minus && !absolute) *p++ = '-';  // on a zero too, as printing -0.0 keeps it
  char any = 0;
  for (std::size_t i = first; i < length; ++i) {
    if (i == length - kept) *p++ = '.';
    const char c = digit(i);
    any |= static_cast<char>(c - '0');
    *p++ = c;
  }
  zero = any == 0;
  negative = minus && !zero;
  n = static_cast<std::size_t>(p - text);
  return true;
}

// The text of a value that is printed as it stands but for zeros after its
// point: a sign only if "-", digits without a leading zero, and at most
// `decimals` places. Accounts, days and most amounts of an export are such
// values; they are copied rather than read digit by digit. False for every
// other value, which PlainDecimal or the general way then prints.
bool AsPrinted(const char* v, int decimals, char* text, std::size_t& n) {
  const char* p = v;
  if (*p == '-') ++p;
  const char* const whole = p;
  while (IsDigit(*p)) ++p;
  const auto wholeDigits = static_cast<std::size_t>(p - whole);
  const auto places = static_cast<std::size_t>(decimals);
  if (wholeDigits == 0 || (wholeDigits > 1 && *whole == '0') || wholeDigits + places > 15)
    return false;
  std::size_t fractionDigits = 0;
  const bool point = *p == '.' && places > 0;
  if (point) {
    const char* const fraction = ++p;
    while (IsDigit(*p)) ++p;
    fractionDigits = static_cast<std::size_t>(p - fraction);
  }
  if (*p != '\0' || fractionDigits > places) return false;
  n = static_cast<std::size_t>(p - v);
  CopyShort(text, v, n);
  if (places > 0) {
    if (!point) text[n++] = '.';
    for (; fractionDigits < places; ++fractionDigits) text[n++] = '0';
  }
  return true;
}

// The text right-aligned in width characters, blank-padded, terminated; a
// text wider than the field keeps its start (rightbound).
void PlaceRight(char* out, std::size_t width, const char* text, std::size_t n) {
  if (n >= width) {
    CopyShort(out, text, width);
  } else {
    FillBlanks(out, width - n);
    CopyShort(out + (width - n), text, n);
  }
  out[width] = '\0';
}

void ConvertNumber(char* out, const MapEntry& row, const char* value) {
  const unsigned code = row.type;
  const bool addend = row.a && *row.a;
  char text[kFixedRoom];
  std::size_t n = 0;
  // Codes that print the number as it is take a value already in print as
  // it stands (its sign and whether it is zero matter to neither).
  if ((code == kNumber || code == kNumberTwoDecimals) && !addend &&
      AsPrinted(value ? value : "", code == kNumberTwoDecimals ? 2 : 0, text, n)) {
    PlaceRight(out, row.length, text, n);
    return;
  }
  int w = static_cast<int>(row.length);
  const bool cents = code == kNumberCents || code == kCentsAbsoluteMarked ||
                     code == kCentsLeadingSign || code == kCentsAbsolute ||
                     code == kCentsTrailingSign;
  const int shift = cents ? 2 : code == kNumberTimes10 ? 1 : 0;  // the value times 10^shift
  const int decimals = (code == kNumberTwoDecimals || code == kDecimalComma) ? 2 : 0;
  const bool absolute = cents && code != kNumberCents;  // the sign goes, or into a mark
  if (code == kCentsTrailingSign) --w;
  bool negative = false;
  bool zero = false;
  if (addend ||
      !PlainDecimal(value ? value : "", shift, decimals, absolute, text, n, negative, zero)) {
    double x = AtoF(value);
    if (cents) x *= 100.0;
    if (code == kNumberTimes10) x *= 10.0;
    negative = x < 0;
    if (addend) x += AtoF(row.a);
    if (absolute) x = std::fabs(x);
    n = FormatFixed(text, x, 0, decimals);
    zero = x == 0.0;
  }
  if (code == kDecimalComma)
    if (char* dot = static_cast<char*>(std::memchr(text, '.', n))) *dot = ',';
  if (w < 0) w = 0;
  PlaceRight(out, static_cast<std::size_t>(w), text, n);
  if (code == kNumberZeroFilled || code == kNumberZeroFilledBlankZero || code == kDecimalComma ||
      absolute)
    fillnull(out);
  if (code == kCentsAbsoluteMarked && negative && w > 0) out[0] = '1';
  if (code == kCentsLeadingSign && w > 0) out[0] = negative ? '-' : '+';
  if (code == kCentsTrailingSign) {
    out[w] = negative ? '-' : '+';
    out[w + 1] = '\0';
  }
  if (code == kNumberZeroFilledBlankZero && zero) {
    std::memset(out, ' ', static_cast<std::size_t>(w));
    out[w] = '\0';
  }
}

// length: the value's length, or kUnmeasured.
constexpr std::size_t kUnmeasured = static_cast<std::size_t>(-1);

void ConvertText(char* out, const MapEntry& row, const char* value, std::size_t length) {
  const std::size_t w = row.length;
  // Most rows have no constant, and many values are empty: each part is
  // copied only where it exists, and blanks fill what is left.
  const char* a = row.a ? row.a : "";
  std::size_t alen = 0;
  if (*a) {
    alen = strnlen(a, w);
    std::memcpy(out, a, alen);
  }
  const std::size_t room = w - alen;
  std::size_t n = 0;
  if (room > 0 && value && *value) {
    n = length == kUnmeasured ? strnlen(value, room) : (length < room ? length : room);
    std::memcpy(out + alen, value, n);
  }
  std::memset(out + alen + n, ' ', room - n);
  out[w] = '\0';
  if (row.type == kTextUpper) {
    for (std::size_t i = alen; i < w; ++i) out[i] = UpperAsciiChar(out[i]);
  } else if (row.type == kTextTrimmed) {
    std::size_t end = w;
    while (end > alen && out[end - 1] == ' ') --end;
    out[end] = '\0';
    for (std::size_t i = alen; i < end; ++i)
      if (out[i] == ',') out[i] = ' ';
  }
}

// Six decimals of a number given as text; with field 196 holding 100 the
// decimal point moves two places to the left first.
void ConvertSixDecimals(char* out, const MapEntry& row, const char* value, const Record& fields) {
  // Values come from rooms of about a thousand bytes; a longer text is
  // read up to this many characters.
  constexpr std::size_t kLongest = 2 * Record::kValueRoom;
  const char* v = value ? value : "";
  const std::size_t n = strnlen(v, kLongest);
  const char* dot = static_cast<const char*>(std::memchr(v, '.', n));
  std::string_view intPart(v, dot ? static_cast<std::size_t>(dot - v) : n);
  std::string_view frac =
      dot ? std::string_view(dot + 1, n - intPart.size() - 1) : std::string_view();
  // sign, integer digits, "." and at least six decimals: the integer part
  // gains at most three zeros, the decimals two digits and six zeros.
  char text[kLongest + 16];
  std::size_t at = 0;
  auto put = [&](std::string_view part) {
    if (part.empty()) return;  // an empty view may hold no pointer at all
    std::memcpy(text + at, part.data(), part.size());
    at += part.size();
  };
  std::size_t fracDigits = frac.size();
  if (AtoF(fields.Value(fld::kPriceUnit)) == 100.0) {
    // The sign stays in front; missing integer digits become zeros, so
    // "12.5" gives "0.125" rather than ".125".
    if (!intPart.empty() && (intPart[0] == '-' || intPart[0] == '+')) {
      put(intPart.substr(0, 1));
      intPart.remove_prefix(1);
    }
    char padded[3] = {'0', '0', '0'};
    if (intPart.size() < 3) {
      // Too short to give two digits and keep one: zeros in front.
      const std::size_t zeros = 3 - intPart.size();
      std::memcpy(padded + zeros, intPart.data(), intPart.size());
      intPart = std::string_view(padded, 3);
    }
    put(intPart.substr(0, intPart.size() - 2));
    put(".");
    put(intPart.substr(intPart.size() - 2));
    fracDigits += 2;
  } else {
    put(intPart);
    put(".");
  }
  put(frac);
  if (fracDigits < 6) {
    std::memset(text + at, '0', 6 - fracDigits);
    at += 6 - fracDigits;
  }
  text[at] = '\0';
  rightbound(out, text, static_cast<int>(row.length));
}

void Convert(char* out, const MapEntry& row, char* value, std::size_t length,
             const Record& fields) {
  switch (row.type) {
    case kNumber:
    case kNumberTimes10:
    case kNumberCents:
    case kNumberZeroFilled:
    case kNumberTwoDecimals:
    case kNumberZeroFilledBlankZero:
    case kCentsAbsoluteMarked:
    case kDecimalComma:
    case kCentsLeadingSign:
    case kCentsAbsolute:
    case kCentsTrailingSign: ConvertNumber(out, row, value); return;
    case kBinary32: {
      std::int32_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(AtoI(value)) +
                                                 static_cast<std::uint32_t>(AtoI(row.a)));
      auto u = static_cast<std::uint32_t>(v);
      out[0] = static_cast<char>(u & 0xFF);
      out[1] = static_cast<char>((u >> 8) & 0xFF);
      out[2] = static_cast<char>((u >> 16) & 0xFF);
      out[3] = static_cast<char>((u >> 24) & 0xFF);
      out[4] = '\0';
      return;
    }
    case kText:
    case kTextTrimmed:
    case kTextUpper: ConvertText(out, row, value, length); return;
    case kDateDDMMYY: ConvertDate(kLayoutDDMMYY, out, value); return;
    case kDateYYYYMMDD: ConvertDate(kLayoutYYYYMMDD, out, value); return;
    case kDateMM: ConvertDate(kLayoutMM, out, value); return;
    case kDateDDMM: ConvertDate(kLayoutDDMM, out, value); return;
    case kDateSlashed: ConvertDate(kLayoutDDslashMMslashYY, out, value); return;
    case kDateYY: ConvertDate(kLayoutYY, out, value); return;
    case kDateDDMMYYYY: ConvertDate(kLayoutDDMMYYYY, out, value); return;
    case kDateMMYY: ConvertDate(kLayoutMMYY, out, value); return;
    case kSixDecimals: ConvertSixDecimals(out, row, value, fields); return;
    default: BadType();
  }
}

}  // namespace

void ConvertField(char* out, const MapEntry& row, char* value, const Record& fields) {
  Convert(out, row, value, kUnmeasured, fields);
}

void ConvertField(char* out, const MapEntry& row, char* value, std::size_t length,
                  const Record& fields) {
  Convert(out, row, value, value ? length : 0, fields);
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
