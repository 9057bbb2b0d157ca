// Numbers in text: read the way the host system's C runtime reads them
// (atof, atoi) and printed the way its printf prints them, with no
// dependence on the process locale and without the C library's stdio.
#pragma once
#include <cstddef>
#include <string_view>

namespace zeko {

// The characters of numbers as the host runtime reads them: decimal digits,
// and the white space of the C locale's isspace.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// atof: optional white space, an optional sign, decimal digits with an
// optional "." and fraction, and an optional exponent ("e", "E", "d" or "D",
// an optional sign, digits). Whatever follows is ignored; text without such
// a number reads as 0. "inf", "nan" and "0x1F" are not numbers to the host
// runtime: they read as 0 (the last as its leading "0"). The value is the
// nearest double; a magnitude beyond the double range gives an infinity,
// one below it zero.
double AtoF(std::string_view text);
double AtoF(const char* text);  // nullptr reads as 0

// atoi: optional white space, an optional sign, decimal digits. A value
// beyond the int range gives INT_MAX or INT_MIN, as the host runtime's
// atoi does (its long is 32 bits wide).
int AtoI(std::string_view text);
int AtoI(const char* text);  // nullptr reads as 0

// A decimal number as an export writes it: optional blanks, an optional
// sign, digits with at most one "." among or behind them, optional blanks.
// Nothing else: no exponent, no "," (neither "1.234,56" nor "12,34" is a
// number here), no letters, no "inf" or "0x1F". Text of blanks only, and
// empty text, is 0. `digits` counts the digits without the leading zeros of
// the integer part (what a field must find room for); `decimals` the
// digits after the ".". The value is the nearest double.
struct Decimal {
  bool valid = false;
  bool negative = false;
  double value = 0;
  int integerDigits = 0;  // significant digits before the "."
  int decimals = 0;       // digits after the "."
};
Decimal ReadDecimal(std::string_view text);
// Digits a double carries exactly: a number with more significant digits
// than this cannot be printed without changing it.
inline constexpr int kExactDigits = 15;

// Most decimals FormatFixed prints.
inline constexpr int kMaxFixedDecimals = 19;
// Room FormatFixed needs besides the width: a double has up to 309 integer
// digits, plus sign, point, decimals and the zero byte.
inline constexpr std::size_t kFixedRoom = 360;

// printf("%*.*f", width, decimals, x), except that a value exactly halfway
// between two results rounds away from zero (printf rounds such ties to
// even). A negative width left-aligns, as in printf. decimals is 0 to
// kMaxFixedDecimals. Writes the text and a zero byte at out (room for
// max(|width|, kFixedRoom) characters) and returns the text's length.
std::size_t FormatFixed(char* out, double x, int width, int decimals);

// printf("%*.*lld", width, minDigits, n): at least minDigits digits (zeros
// in front), right-aligned in width characters (left-aligned when width is
// negative). Writes a zero byte after the text and returns its length; out
// needs room for max(|width|, minDigits + 1, 20) + 1 characters.
std::size_t FormatInt(char* out, long long n, int width = 0, int minDigits = 1);

}  // namespace zeko
