#include "lib/number.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace zeko {

namespace {

// The magnitude of a number too large or too small for a double: infinity
// when its first significant digit stands before the decimal point once the
// exponent is applied, else zero.
double OutOfRange(const char* digits, const char* digitsEnd, long exponent) {
  long position = 0;  // power of ten of the first significant digit
  const char* dot = static_cast<const char*>(std::memchr(digits, '.', digitsEnd - digits));
  const char* intEnd = dot ? dot : digitsEnd;
  const char* p = digits;
  while (p < intEnd && *p == '0') ++p;
  if (p < intEnd) {
    position = static_cast<long>(intEnd - p) - 1;
  } else if (dot) {
    p = dot + 1;
    while (p < digitsEnd && *p == '0') ++p;
    if (p == digitsEnd) return 0.0;
    position = -static_cast<long>(p - dot);
  } else {
    return 0.0;
  }
  return position + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Powers of ten that a double holds exactly.
constexpr double kExactPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                    1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The end of a zero-terminated text: its zero byte stops every scan below,
// so the text need not be measured first.
struct ZeroByte {};
bool Before(const char* p, const char* end) { return p < end; }
bool Before(const char*, ZeroByte) { return true; }

template <class End>
const char* SkipSpace(const char* p, End end) {
  while (Before(p, end) && IsSpace(*p)) ++p;
  return p;
}

template <class End>
const char* SkipDigits(const char* p, End end) {
  while (Before(p, end) && IsDigit(*p)) ++p;
  return p;
}

// Exponent digits as a number, saturated far beyond any exponent that still
// gives a finite, non-zero double.
long ReadExponent(const char* p, const char* end) {
  long e = 0;
  for (; p < end; ++p)
    if (e < 100000) e = e * 10 + (*p - '0');
  return e;
}

template <class End>
double ReadReal(const char* p, End end) {
  p = SkipSpace(p, end);
  bool negative = false;
  if (Before(p, end) && (*p == '+' || *p == '-')) negative = *p++ == '-';

  // The longest prefix of the form digits [. digits] [exponent]. Its digits
  // are also gathered as a whole number, which is all that most need.
  const char* const digits = p;
  // Wraps beyond 19 digits; `taken` tells when whole cannot be trusted.
  std::uint64_t whole = 0;
  for (; Before(p, end) && IsDigit(*p); ++p) whole = whole * 10 + static_cast<unsigned>(*p - '0');
  long taken = p - digits;
  bool any = taken > 0;
  long places = 0;  // digits after the point
  if (Before(p, end) && *p == '.') {
    const char* fraction = ++p;
    for (; Before(p, end) && IsDigit(*p); ++p) whole = whole * 10 + static_cast<unsigned>(*p - '0');
    places = p - fraction;
    taken += places;
    any = any || places > 0;
  }
  if (!any) return 0.0;  // no digit: "", "-", ".", "inf", "nan"
  const char* const digitsEnd = p;
  long exponent = 0;
  bool fortranExponent = false;
  if (Before(p, end) && (*p == 'e' || *p == 'E' || *p == 'd' || *p == 'D')) {
    const char* q = p + 1;
    bool expNegative = false;
    if (Before(q, end) && (*q == '+' || *q == '-')) expNegative = *q++ == '-';
    if (Before(q, end) && IsDigit(*q)) {  // else the letter is not part of the number
      fortranExponent = *p == 'd' || *p == 'D';
      p = SkipDigits(q, end);
      exponent = ReadExponent(q, p);
      if (expNegative) exponent = -exponent;
    }
  }

  // Most numbers have few digits: their digits as a whole number and a
  // power of ten are both exact doubles, and the one rounding of the
  // multiplication or division gives the nearest double, as below.
  // 19 digits cannot wrap; below 2^53 the whole number is an exact double.
  if (taken <= 19 && whole <= (std::uint64_t{1} << 53)) {
    const long power = exponent - places;
    if (whole == 0) return negative ? -0.0 : 0.0;
    if (power >= -22 && power <= 22) {
      const auto w = static_cast<double>(whole);
      const double value = power < 0 ? w / kExactPow10[-power] : w * kExactPow10[power];
      return negative ? -value : value;
    }
  }

  double value = 0.0;
  std::from_chars_result r;
  if (!fortranExponent) {
    r = std::from_chars(digits, p, value, std::chars_format::general);
  } else {
    // The host runtime also takes the "d" exponent of Fortran-style output.
    std::string copy(digits, p);
    copy[static_cast<std::size_t>(digitsEnd - digits)] = 'e';
    r = std::from_chars(copy.data(), copy.data() + copy.size(), value, std::chars_format::general);
  }
  if (r.ec == std::errc::result_out_of_range) {
    value = OutOfRange(digits, digitsEnd, exponent);
  } else if (r.ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

template <class End>
int ReadInt(const char* p, End end) {
  p = SkipSpace(p, end);
  bool negative = false;
  if (Before(p, end) && (*p == '+' || *p == '-')) negative = *p++ == '-';
  // The magnitude, held just past the int range once it gets there.
  constexpr long long kCap = static_cast<long long>(INT_MAX) + 1;
  long long n = 0;
  for (; Before(p, end) && IsDigit(*p); ++p) {
    n = n * 10 + (*p - '0');
    if (n > kCap) n = kCap;
  }
  if (negative) return n >= kCap ? INT_MIN : static_cast<int>(-n);
  return n >= kCap ? INT_MAX : static_cast<int>(n);
}

}  // namespace

double AtoF(std::string_view text) { return ReadReal(text.data(), text.data() + text.size()); }
double AtoF(const char* text) { return text ? ReadReal(text, ZeroByte{}) : 0.0; }
int AtoI(std::string_view text) { return ReadInt(text.data(), text.data() + text.size()); }
int AtoI(const char* text) { return text ? ReadInt(text, ZeroByte{}) : 0; }

Decimal ReadDecimal(std::string_view text) {
  Decimal d;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && *p == ' ') ++p;
  const char* const start = p;
  if (p < end && (*p == '-' || *p == '+')) d.negative = *p++ == '-';
  // The digits as a whole number too, as AtoF's quick way gathers them;
  // leading zeros add nothing, and beyond 19 digits it wraps and `taken`
  // tells that it cannot be trusted.
  const char* const digits = p;
  while (p < end && *p == '0') ++p;
  const char* const significant = p;
  std::uint64_t whole = 0;
  for (; p < end && IsDigit(*p); ++p) whole = whole * 10 + static_cast<unsigned>(*p - '0');
  d.integerDigits = static_cast<int>(p - significant);
  bool anyDigit = p > digits;
  if (p < end && *p == '.') {
    const char* const fraction = ++p;
    for (; p < end && IsDigit(*p); ++p) whole = whole * 10 + static_cast<unsigned>(*p - '0');
    d.decimals = static_cast<int>(p - fraction);
    anyDigit = anyDigit || d.decimals > 0;
  }
  const char* const numberEnd = p;
  while (p < end && *p == ' ') ++p;
  if (p != end) return Decimal{};  // something else follows: not a number
  if (!anyDigit) {
    // Blanks only: an empty number, which is 0. A lone sign or "." is not.
    Decimal empty;
    empty.valid = numberEnd == start;
    return empty;
  }
  d.valid = true;
  // Most amounts have few digits: the one rounding of the division gives
  // the nearest double, exactly as AtoF does for them, without a second
  // reading of the text.
  const int taken = d.integerDigits + d.decimals;
  if (taken <= 19 && whole <= (std::uint64_t{1} << 53) && d.decimals <= 22) {
    const double value = whole == 0 ? 0.0 : static_cast<double>(whole) / kExactPow10[d.decimals];
    d.value = d.negative ? -value : value;
  } else {
    d.value = AtoF(std::string_view(start, static_cast<std::size_t>(numberEnd - start)));
  }
  return d;
}

namespace {

constexpr std::uint64_t kPow10[kMaxFixedDecimals + 1] = {
    1ull,
    10ull,
    100ull,
    1000ull,
    10000ull,
    100000ull,
    1000000ull,
    10000000ull,
    100000000ull,
    1000000000ull,
    10000000000ull,
    100000000000ull,
    1000000000000ull,
    10000000000000ull,
    100000000000000ull,
    1000000000000000ull,
    10000000000000000ull,
    100000000000000000ull,
    1000000000000000000ull,
    10000000000000000000ull,
};

using u128 = unsigned __int128;

// The decimal digits of n written to end just before `end`, from the last
// and two at a time (quicker than measuring n first for the few digits of
// an amount); returns where they start.
char* PutDigitsBefore(char* end, std::uint64_t n) {
  static constexpr char kPairs[] =
      "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243"
      "4445464748495051525354555657585960616263646566676869707172737475767778798081828384858687"
      "8889909192939495969798990";
  for (; n >= 100; n /= 100) {
    end -= 2;
    std::memcpy(end, kPairs + 2 * (n % 100), 2);
  }
  if (n >= 10) {
    end -= 2;
    std::memcpy(end, kPairs + 2 * n, 2);
  } else {
    *--end = static_cast<char>('0' + n);
  }
  return end;
}

// Decimal digits of n at p; returns the end.
char* PutDigits(char* p, u128 n) {
  if (n <= UINT64_MAX) {
    char digits[20];
    const char* first = PutDigitsBefore(digits + sizeof digits, static_cast<std::uint64_t>(n));
    const auto count = static_cast<std::size_t>(digits + sizeof digits - first);
    std::memcpy(p, first, count);
    return p + count;
  }
  // Below 2^117 here, so the high part fits 64 bits.
  const auto high = static_cast<std::uint64_t>(n / kPow10[19]);
  auto low = static_cast<std::uint64_t>(n % kPow10[19]);
  p = std::to_chars(p, p + 20, high).ptr;
  for (int i = 18; i >= 0; --i) {
    p[i] = static_cast<char>('0' + low % 10);
    low /= 10;
  }
  return p + 19;
}

// The text of x with `decimals` places, unpadded; returns its end.
char* FixedText(char* p, double x, int decimals) {
  if (std::isnan(x)) {
    const char* text = std::signbit(x) ? "-nan" : "nan";
    const std::size_t n = std::strlen(text);
    std::memcpy(p, text, n);
    return p + n;
  }
  if (std::signbit(x)) *p++ = '-';
  if (std::isinf(x)) {
    std::memcpy(p, "inf", 3);
    return p + 3;
  }
  // |x| = mantissa * 2^exp2, exactly.
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exp2 = -1074;
  if (biased != 0) {
    mantissa |= std::uint64_t{1} << 52;
    exp2 = biased - 1075;
  }

  if (exp2 >= 0) {
    // A whole number; beyond 64 bits its exact digits come from to_chars.
    if (exp2 <= 11) {
      p = std::to_chars(p, p + 20, mantissa << exp2).ptr;
    } else {
      p = std::to_chars(p, p + 320, std::fabs(x), std::chars_format::fixed, 0).ptr;
    }
    if (decimals > 0) {
      *p++ = '.';
      std::memset(p, '0', static_cast<std::size_t>(decimals));
      p += decimals;
    }
    return p;
  }

  // |x| * 10^decimals = scaled / 2^shift, rounded to the nearest whole
  // number q; a remainder of exactly one half rounds up (away from zero).
  // scaled < 2^53 * 10^19 < 2^117, so a shift of 118 or more leaves 0.
  const int shift = -exp2;
  u128 q = 0;
  if (decimals <= 3 && shift < 64) {
    // The common amounts: everything fits 64 bits (2^53 * 10^3 < 2^64).
    const std::uint64_t scaled = mantissa * kPow10[decimals];
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
    q = (scaled >> shift) + (rest >= (std::uint64_t{1} << (shift - 1)));
  } else if (shift < 118) {
    const u128 scaled = static_cast<u128>(mantissa) * kPow10[decimals];
    const u128 rest = scaled & ((u128{1} << shift) - 1);
    q = (scaled >> shift) + (rest >= (u128{1} << (shift - 1)));
  }
  // q's digits with the point before the last `decimals`, and at least one
  // digit before the point.
  char digits[48];
  const std::size_t n = static_cast<std::size_t>(PutDigits(digits, q) - digits);
  const std::size_t d = static_cast<std::size_t>(decimals);
  if (n > d) {
    std::memcpy(p, digits, n - d);
    p += n - d;
  } else {
    *p++ = '0';
  }
  if (d > 0) {
    *p++ = '.';
    if (n < d) {
      std::memset(p, '0', d - n);
      p += d - n;
    }
    const std::size_t take = n < d ? n : d;
    std::memcpy(p, digits + n - take, take);
    p += take;
  }
  return p;
}

// Moves the text [out, out + n) into a field of |width| characters: blanks
// in front, or behind for a negative width. Returns the final length.
std::size_t Pad(char* out, std::size_t n, int width) {
  const std::size_t w = width < 0 ? static_cast<std::size_t>(-static_cast<long>(width))
                                  : static_cast<std::size_t>(width);
  if (n >= w) {
    out[n] = '\0';
    return n;
  }
  const std::size_t pad = w - n;
  if (width > 0) {
    std::memmove(out + pad, out, n);
    std::memset(out, ' ', pad);
  } else {
    std::memset(out + n, ' ', pad);
  }
  out[w] = '\0';
  return w;
}

}  // namespace

std::size_t FormatFixed(char* out, double x, int width, int decimals) {
  // Whole amounts (cents, counts) are most of what is printed. Below 2^53
  // the fraction x - trunc(x) is exact, so comparing it with one half
  // rounds exactly as the general path does; NaN fails the comparison.
  if (decimals <= 0 && std::fabs(x) < 9007199254740992.0) {
    const double magnitude = std::fabs(x);
    const double whole = std::trunc(magnitude);
    const auto q = static_cast<std::uint64_t>(whole) + (magnitude - whole >= 0.5);
    char* p = out;
    if (std::signbit(x)) *p++ = '-';
    p = PutDigits(p, q);
    return Pad(out, static_cast<std::size_t>(p - out), width);
  }
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxFixedDecimals) decimals = kMaxFixedDecimals;
  const std::size_t n = static_cast<std::size_t>(FixedText(out, x, decimals) - out);
  return Pad(out, n, width);
}

std::size_t FormatInt(char* out, long long n, int width, int minDigits) {
  char* p = out;
  if (n < 0) *p++ = '-';
  const unsigned long long magnitude =
      n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
  char digits[24];
  // printf prints no digit at all for 0 with precision 0.
  const std::size_t count =
      magnitude == 0 && minDigits == 0
          ? 0
          : static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, magnitude).ptr -
                                     digits);
  if (minDigits > 0 && count < static_cast<std::size_t>(minDigits)) {
    const std::size_t zeros = static_cast<std::size_t>(minDigits) - count;
    std::memset(p, '0', zeros);
    p += zeros;
  }
  std::memcpy(p, digits, count);
  p += count;
  return Pad(out, static_cast<std::size_t>(p - out), width);
}

}  // namespace zeko
