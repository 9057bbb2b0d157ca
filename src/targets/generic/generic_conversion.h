// One field of a GENERIC record, converted by its row's GENERIC type code
// (config/generic_codes.h): numbers with their option flags, texts behind
// the row's prefix, dates, four-byte integers. Defined here, inline, for the
// record builder's loop (GenericWriter) takes them all into itself.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "config/generic_codes.h"
#include "convert/convert.h"
#include "convert/mapentry.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "lib/text.h"

namespace zeko {

// Room for the printed text of a number field of width w.
inline std::size_t GenericScratchRoom(std::uint32_t width) { return std::size_t{width} + 401; }

// Room a field needs at its output position: its width, a date's layout or
// a binary number's four bytes, the debit or credit mark and a zero byte.
inline std::size_t GenericFieldRoom(std::uint32_t width) {
  return std::max<std::size_t>(width, kWidestDate) + 2;
}

// A number row: value must be a decimal number whose printed text finds
// room in the field's w characters: its digits, point (or ",") and "-"; a
// leading-sign row (and a zero-filled one of a negative value) keeps the
// first character for the sign, and a debit or credit mark takes a
// character of its own. The text must also show no more significant digits
// than a double carries. A problem of input field `field` otherwise, after
// which (in a check) 0 is written.
inline std::size_t ConvertGenericNumber(char* out, int field, GenericType type, std::size_t w,
                                        const char* a, const char* value, bool compact,
                                        char* scratch, bool* marked) {
  const Decimal d = ReadDecimal(value);
  const bool fallback = !d.valid;
  if (fallback) ValueProblem(msg::kBadNumber, field, value);
  double x = d.valid ? d.value : 0.0;
  const bool scaled = type.Has(GenericNumberFlag::kScale);
  constexpr double kScale[5] = {1.0, 10.0, 100.0, 1000.0, 10000.0};
  if (scaled) x *= kScale[type.decimals()];
  bool negative = x < 0.0;
  if (*a && !fallback) x += AtoF(a);
  if (type.Has(GenericNumberFlag::kAbsolute) && negative) x = -x;
  const int decimals = scaled ? 0 : type.decimals();
  std::size_t printed = FormatFixed(scratch, x, static_cast<int>(w), decimals);
  if (!fallback) {
    const char* text = scratch;
    while (*text == ' ') ++text;
    const auto length = static_cast<std::size_t>(scratch + printed - text);
    const bool minus = *text == '-';
    // A sign written over the first character needs one of its own.
    const bool signOver = type.Has(GenericNumberFlag::kLeadingSign) ||
                          (type.Has(GenericNumberFlag::kZeroFill) && negative);
    const std::size_t need = signOver && !minus ? length + 1 : length;
    const char* problem = need > w || !std::isfinite(x)                    ? msg::kNumberTooLong
                          : SignificantDigits(text, length) > kExactDigits ? msg::kNumberTooPrecise
                                                                           : nullptr;
    if (problem) {
      ValueProblem(problem, field, value);
      negative = false;
      printed = FormatFixed(scratch, 0.0, static_cast<int>(w), decimals);
    }
  }
  if (type.Has(GenericNumberFlag::kDecimalComma)) {
    if (char* dot = std::strchr(scratch, '.')) *dot = ',';
  }

  std::size_t n;
  if (compact && !type.Has(GenericNumberFlag::kZeroFill, GenericNumberFlag::kLeadingSign)) {
    if (printed > w) printed = w;
    const char* p = scratch;
    const char* end = scratch + printed;
    while (p < end && *p == ' ') ++p;
    n = static_cast<std::size_t>(end - p);
    std::memmove(out, p, n);
    out[n] = '\0';
  } else {
    rightbound(out, scratch, static_cast<int>(w));
    n = w;
  }

  if (type.Has(GenericNumberFlag::kZeroFill)) {
    for (std::size_t i = 0; i < n; ++i)
      if (out[i] == ' ' || out[i] == '-' || out[i] == '+') out[i] = '0';
    if (negative && n > 0) out[0] = '-';
  }
  if (type.Has(GenericNumberFlag::kDebitMark, GenericNumberFlag::kCreditMark)) {
    if (char* minus = static_cast<char*>(std::memchr(out, '-', n))) *minus = '0';
    out[n++] = type.Has(GenericNumberFlag::kDebitMark) ? 'S' : 'H';
    out[n] = '\0';
    *marked = true;
  }
  if (type.Has(GenericNumberFlag::kLeadingSign) && n > 0) out[0] = negative ? '-' : '+';
  return n;
}

// The prefix a, then the value in the room left; the flags act on the part
// after the prefix.
inline std::size_t ConvertGenericText(char* out, GenericType type, std::size_t w, const char* a,
                                      const char* value) {
  std::memset(out, ' ', w);
  out[w] = '\0';
  const std::size_t prefix = std::min(std::strlen(a), w);
  std::memcpy(out, a, prefix);
  if (prefix < w) {
    if (type.Has(GenericTextFlag::kSkipLeading))
      while (*value == ' ') ++value;
    std::memcpy(out + prefix, value, std::min(std::strlen(value), w - prefix));
  }
  std::size_t n = w;
  if (type.Has(GenericTextFlag::kUpper))
    for (std::size_t i = prefix; i < n; ++i) out[i] = UpperAsciiChar(out[i]);
  if (type.Has(GenericTextFlag::kTrim)) {
    while (n > prefix && out[n - 1] == ' ') --n;
    out[n] = '\0';
    std::replace(out + prefix, out + n, ',', ' ');
  }
  if (type.Has(GenericTextFlag::kZeroBlanks)) std::replace(out + prefix, out + n, ' ', '0');
  return n;
}

// Converts value at out (GenericFieldRoom bytes free) and returns the number
// of bytes of the field; scratch holds GenericScratchRoom(row.length)
// bytes. A date turns the value's blanks into zeros. In compact mode a
// number is written without its leading blanks. *marked tells whether a
// debit or credit mark made the field one character longer than the row.
// A value the row cannot take is a problem of the row's input field, after
// which (in a check) the field shows 0 or no date.
inline std::size_t ConvertGenericField(char* out, const MapEntry& row, char* value, bool compact,
                                       char* scratch, bool* marked) {
  *marked = false;
  const GenericType type(row.type);
  const int field = static_cast<int>(row.field);
  const char* a = row.a ? row.a : "";
  switch (type.conversion()) {
    case GenericConversion::kNumber:
      return ConvertGenericNumber(out, field, type, row.length, a, value, compact, scratch, marked);
    case GenericConversion::kText: return ConvertGenericText(out, type, row.length, a, value);
    case GenericConversion::kDate:
      ConvertDate(static_cast<int>(type.base()), out, value, field);
      return std::strlen(out);
    case GenericConversion::kBinary:
      // A signed 32-bit number, as the import side's integers are.
      PlaceBinary32(out, field, value, a);
      return 4;
    case GenericConversion::kNone: break;
  }
  ErrorExit("%s", msg::kConversionError);
}

}  // namespace zeko
