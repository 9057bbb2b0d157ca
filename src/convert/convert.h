// Conversion of one input value into one fixed-width output field.
#pragma once
#include <cstddef>
#include <cstring>

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
void ConvertDate(int layout, char* out, char* date);

// Number following the first tag letter in the upper-cased text, else 0.
int ReadTaggedInt(const char* text, char tag);
double ReadTaggedReal(const char* text);  // tag "P"

}  // namespace zeko
