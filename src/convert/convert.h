// Conversion of one input value into one fixed-width output field, by the
// type code of its layout row (convert.cpp chooses; numbers.cpp, dates.cpp
// and texts.cpp convert).
#pragma once
#include <cstddef>
#include <cstring>
#include <string_view>

#include "convert/mapentry.h"
#include "lib/number.h"  // FormatFixed, which the writers print their amounts with
#include "lib/text.h"

namespace zeko {

class Record;

// Room a caller leaves behind a field's start: the row's length, a date
// layout's full width (rows narrower than their layout still get it all) and
// the terminating zero byte.
inline constexpr std::size_t kWidestDate = 10;
inline constexpr std::size_t FieldRoom(const MapEntry& row) {
  return (row.length > kWidestDate ? row.length : kWidestDate) + 1;
}

// Writes the field of `row` for `value` at `out` (FieldRoom(row) bytes free)
// and a zero byte after it. value may be nullptr (empty). Date layouts turn
// the blanks of value into zeros in place. Code 30 reads field 196 of fields.
// An invalid type code ends the run with "Fehler in Typenkonvertierung".
// A value that the row cannot take (no decimal number, a number longer than
// the field or with more digits than a double carries, no calendar date) is
// a problem of the row's input field; a check goes on with 0 or no date.
void ConvertField(char* out, const MapEntry& row, char* value, const Record& fields);
// The same for a value of known length (the characters before its zero
// byte): the value is not measured again.
void ConvertField(char* out, const MapEntry& row, char* value, std::size_t length,
                  const Record& fields);

// A text row without a constant: the value cut to the row's width, blanks
// behind it. Most fields of a line are such rows, and the line builders place
// them here without the call and the dispatch of ConvertField; it writes the
// same bytes.
inline bool IsPlainText(const MapEntry& row) {
  return row.type == kText && (row.a == nullptr || *row.a == '\0');
}
inline void PlacePlainText(char* out, std::size_t width, const char* value, std::size_t length) {
  const std::size_t n = length < width ? length : width;
  CopyShort(out, value, n);
  FillBlanks(out + n, width - n);
  out[width] = '\0';
}

// Writes date layout `layout` (10..16, 18, 24, 25) for `date` at `out`.
// An empty or blank date, and zeros throughout, are "no date"; a text that
// is no calendar date DD.MM.YY or DD.MM.YYYY is a problem of input field
// `field`, after which (in a check) the field shows no date.
void ConvertDate(int layout, char* out, char* date, int field = 0);

// The four bytes of code 5 at out, and a zero byte: value plus a, whole
// numbers, little-endian. value must be a decimal number (its fraction is
// cut) and the sum a signed 32-bit number; else a problem of input field
// `field`, after which 0 is written.
void PlaceBinary32(char* out, int field, const char* value, const char* a);

// Digits of a printed number from its first one other than 0: what a
// double must carry exactly (kExactDigits) for the text to show the number
// unchanged.
inline int SignificantDigits(const char* text, std::size_t n) {
  int count = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (IsDigit(text[i]) && (count > 0 || text[i] != '0')) ++count;
  return count;
}

// A value that a writer reads as a number of its own (sums, zero tests,
// codes): ReadDecimal's value. A value that is no decimal number is a
// problem of input field `field`; a check goes on with 0.
double FieldNumber(int field, std::string_view value);
// The same for a whole number, whose fraction is cut as atoi cuts it; a
// magnitude beyond the int range gives INT_MAX or INT_MIN.
int FieldInt(int field, std::string_view value);

// Number following the first tag letter (either case) in the terms text of
// field 139, else 0; a tag whose number is no number is a problem.
int ReadTaggedInt(const char* text, char tag);
double ReadTaggedReal(const char* text);  // tag "P"

}  // namespace zeko
