// Number fields: the number codes of the built-in layouts, the six decimals
// of code 30, the four-byte integer, and the numbers writers read for
// themselves. A value must be a decimal number whose printed text finds room
// in its field; anything else is a problem of its input field.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "convert/conversions.h"
#include "convert/convert.h"
#include "lib/messages.h"
#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"

namespace zeko {

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
  while (*v == ' ') ++v;
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
  // Blanks may follow; anything else is for ReadDecimal to judge.
  while (*v == ' ') ++v;
  if (*v != '\0') return false;
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

// Prints the number field of `row` for value; a fallback prints the 0 that
// a check goes on with after a problem (no addend, nothing checked). False
// after a problem, when nothing useful was written.
//
// What a field holds: every character of the printed number, its "-" and
// its point (or ",") included, for codes 0, 1, 2, 12, 15, 19, 22 and 26
// (zero fill only fills in front, so it needs no room of its own). Codes
// 21 and 25 write their sign mark over the first character, so the digits
// get one less; code 27 has its sign behind them and the digits w - 1.
// Fractional digits beyond the printed decimals are rounded, not refused.
bool PrintNumber(char* out, const MapEntry& row, const char* value, bool fallback) {
  if (fallback) value = "";
  const unsigned code = row.type;
  const bool addend = !fallback && row.a && *row.a;
  char text[kFixedRoom];
  std::size_t n = 0;
  // Codes that print the number as it is take a value already in print as
  // it stands (its sign and whether it is zero matter to neither).
  if ((code == kNumber || code == kNumberTwoDecimals) && !addend &&
      AsPrinted(value, code == kNumberTwoDecimals ? 2 : 0, text, n) && n <= row.length) {
    PlaceRight(out, row.length, text, n);
    return true;
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
  if (addend || !PlainDecimal(value, shift, decimals, absolute, text, n, negative, zero)) {
    double x = 0.0;
    if (!fallback) {
      const Decimal d = ReadDecimal(value);
      if (!d.valid) {
        ValueProblem(msg::kBadNumber, static_cast<int>(row.field), value);
        return false;
      }
      x = d.value;
    }
    if (cents) x *= 100.0;
    if (code == kNumberTimes10) x *= 10.0;
    negative = x < 0;
    if (addend) x += AtoF(row.a);
    if (absolute) x = std::fabs(x);
    // Beyond the double range no field holds the number.
    if (!std::isfinite(x)) {
      ValueProblem(msg::kNumberTooLong, static_cast<int>(row.field), value);
      return false;
    }
    n = FormatFixed(text, x, 0, decimals);
    zero = x == 0.0;
  }
  if (w < 0) w = 0;
  const std::size_t room = (code == kCentsAbsoluteMarked || code == kCentsLeadingSign) && w > 0
                               ? static_cast<std::size_t>(w) - 1
                               : static_cast<std::size_t>(w);
  if (!fallback && n > room) {
    ValueProblem(msg::kNumberTooLong, static_cast<int>(row.field), value);
    return false;
  }
  // The quick ways print at most kExactDigits digits of their own.
  if (!fallback && n > kExactDigits && SignificantDigits(text, n) > kExactDigits) {
    ValueProblem(msg::kNumberTooPrecise, static_cast<int>(row.field), value);
    return false;
  }
  if (code == kDecimalComma)
    if (char* dot = static_cast<char*>(std::memchr(text, '.', n))) *dot = ',';
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
  return true;
}

// The value a check goes on with after a problem.
constexpr const char* kZeroText = "0";

}  // namespace

void ConvertNumber(char* out, const MapEntry& row, const char* value) {
  // After a problem the field gets the 0 that a check goes on with.
  for (bool fallback = false;; fallback = true)
    if (PrintNumber(out, row, value ? value : "", fallback)) return;
}

// Six decimals of a number given as text; with field 196 holding 100 the
// decimal point moves two places to the left first.
void ConvertSixDecimals(char* out, const MapEntry& row, const char* value, const Record& fields) {
  // Values come from rooms of about a thousand bytes; a longer text is
  // read up to this many characters.
  constexpr std::size_t kLongest = 2 * Record::kValueRoom;
  const char* v = value ? value : "";
  std::size_t n = strnlen(v, kLongest);
  if (!ReadDecimal(std::string_view(v, n)).valid) {
    ValueProblem(msg::kBadNumber, static_cast<int>(row.field), v);
    v = kZeroText;
    n = 1;
  }
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
  const std::string_view unit = fields.Text(fld::kPriceUnit);
  const Decimal unitNumber = ReadDecimal(unit);
  if (!unitNumber.valid) ValueProblem(msg::kBadNumber, fld::kPriceUnit, unit);
  if (unitNumber.valid && unitNumber.value == 100.0) {
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
  // Every character must find room: the digits are the value's own.
  if (at > row.length && v != kZeroText) {
    ValueProblem(msg::kNumberTooLong, static_cast<int>(row.field), v);
    ConvertSixDecimals(out, row, kZeroText, fields);
    return;
  }
  rightbound(out, text, static_cast<int>(row.length));
}

void PlaceBinary32(char* out, int field, const char* value, const char* a) {
  const char* v = value ? value : "";
  std::int64_t sum = 0;
  if (!ReadDecimal(v).valid) {
    ValueProblem(msg::kBadNumber, field, v);
  } else {
    // The whole part, as the import's integer takes it (a fraction is cut,
    // as atoi cut it); eleven digits already lie beyond any 32-bit number.
    const char* p = v;
    while (*p == ' ') ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    while (*p == '0') ++p;
    std::int64_t whole = 0;
    int digits = 0;
    for (; IsDigit(*p) && digits <= 11; ++p, ++digits) whole = whole * 10 + (*p - '0');
    sum = (negative ? -whole : whole) + AtoI(a);
    if (digits > 11 || sum < INT32_MIN || sum > INT32_MAX) {
      ValueProblem(msg::kNumberTooLong, field, v);
      sum = 0;
    }
  }
  const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(sum));
  out[0] = static_cast<char>(u & 0xFF);
  out[1] = static_cast<char>((u >> 8) & 0xFF);
  out[2] = static_cast<char>((u >> 16) & 0xFF);
  out[3] = static_cast<char>((u >> 24) & 0xFF);
  out[4] = '\0';
}

double FieldNumber(int field, std::string_view value) {
  const Decimal d = ReadDecimal(value);
  if (!d.valid) ValueProblem(msg::kBadNumber, field, value);
  return d.valid ? d.value : 0.0;
}

int FieldInt(int field, std::string_view value) {
  if (!ReadDecimal(value).valid) {
    ValueProblem(msg::kBadNumber, field, value);
    return 0;
  }
  return AtoI(value);
}

}  // namespace zeko
