// The number and text conversions that ConvertField chooses among by a
// row's type code (numbers.cpp, texts.cpp; the dates are ConvertDate's, in
// dates.cpp). Writers call ConvertField (convert.h), not these.
#pragma once
#include <cstddef>

#include "convert/mapentry.h"

namespace zeko {

class Record;

// A value length that is not known: the conversion measures the value.
inline constexpr std::size_t kUnmeasured = static_cast<std::size_t>(-1);

// The number codes (kNumber .. kCentsTrailingSign but kSixDecimals).
void ConvertNumber(char* out, const MapEntry& row, const char* value);
// kSixDecimals: six decimals of a number given as text; field 196 of
// `fields` holding 100 moves the point two places to the left first.
void ConvertSixDecimals(char* out, const MapEntry& row, const char* value, const Record& fields);
// The text codes (kText, kTextTrimmed, kTextUpper); length may be
// kUnmeasured.
void ConvertText(char* out, const MapEntry& row, const char* value, std::size_t length);

}  // namespace zeko
