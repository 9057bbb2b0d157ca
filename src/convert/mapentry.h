// One row of a layout table and the table itself.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zeko {

// Conversion codes of a layout row's `type` (GENERIC layouts have codes of
// their own: config/generic_codes.h). Number codes print the value, a
// decimal number, plus the addend `a`.
enum TypeCode : std::uint32_t {
  kNumber = 0,         // whole number, right-aligned
  kNumberTimes10 = 1,  // times 10
  kNumberCents = 2,    // times 100
  kBinary32 = 5,       // four bytes, little-endian, of value + a
  kText = 9,           // prefix a and the value, blank-padded
  kTextTrimmed = 10,   // trailing blanks cut, "," becomes a blank
  kDateDDMMYY = 11,
  kNumberZeroFilled = 12,  // blanks become "0"
  kDateYYYYMMDD = 13,
  kDateMM = 14,
  kNumberTwoDecimals = 15,
  kTextUpper = 16,
  kDateDDMM = 17,
  kDateSlashed = 18,                // dd/mm/yy
  kNumberZeroFilledBlankZero = 19,  // zero-filled; 0 gives blanks
  kDateYY = 20,
  kCentsAbsoluteMarked = 21,  // absolute, zero-filled, first digit 1 when negative
  kDecimalComma = 22,         // two decimals with ",", zero-filled
  kDateDDMMYYYY = 23,
  kDateMMYY = 24,
  kCentsLeadingSign = 25,   // absolute, zero-filled, first character the sign
  kCentsAbsolute = 26,      // absolute, zero-filled
  kCentsTrailingSign = 27,  // absolute, zero-filled, the sign after the digits
  kSixDecimals = 30,        // six decimals of a text number (field 196: hundredths)
};

// The date codes: the only ones whose conversion writes to its value.
constexpr bool IsDate(std::uint32_t type) {
  switch (type) {
    case kDateDDMMYY:
    case kDateYYYYMMDD:
    case kDateMM:
    case kDateDDMM:
    case kDateSlashed:
    case kDateYY:
    case kDateDDMMYYYY:
    case kDateMMYY: return true;
    default: return false;
  }
}

// The layouts of ConvertDate.
enum DateLayout : int {
  kLayoutDDdotMMdotYY = 10,
  kLayoutDDMMYY = 11,
  kLayoutDDslashMMslashYY = 12,
  kLayoutYYYYMMDD = 13,
  kLayoutMM = 14,
  kLayoutDDMM = 15,
  kLayoutYY = 16,
  kLayoutDDMMYYYY = 18,
  kLayoutMMYY = 24,
  kLayoutMMYYYY = 25,
};

struct MapEntry {
  std::uint32_t field;   // input field number (0: constant from a)
  std::uint32_t length;  // output width in characters
  std::uint32_t type;    // conversion code
  const char* a = "";    // addend (numbers) or prefix (texts)
  const char* b = "";    // default value (read by the KHK8 writer only)
};

// Layout tables have no end marker; the span carries the row count.
using MapTable = std::span<const MapEntry>;

// Sum of the row lengths: the record length without line end.
constexpr std::uint32_t RecordLength(MapTable table) {
  std::uint32_t n = 0;
  for (const MapEntry& row : table) n += row.length;
  return n;
}

// One table from several: layouts that share runs of rows state each run once.
template <std::size_t... N>
constexpr std::array<MapEntry, (N + ...)> Join(const std::array<MapEntry, N>&... parts) {
  std::array<MapEntry, (N + ...)> rows{};
  std::size_t i = 0;
  auto append = [&](const auto& part) {
    for (const MapEntry& row : part) rows[i++] = row;
  };
  (append(parts), ...);
  return rows;
}

}  // namespace zeko
