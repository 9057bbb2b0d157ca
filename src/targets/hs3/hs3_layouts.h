// Line layouts of the HS3 bookkeeping import file. Every line begins with
// its record type: "3" for bookings, "2" for addresses.
#pragma once
#include <array>

#include "convert/mapentry.h"

namespace zeko::hs3 {
// Tables are aligned by column by hand.
// clang-format off

// Bookings, rows 1 to 30. From RELEASE 38 on the terms values are texts
// and the amount is the second one (field 116).
constexpr std::array<MapEntry, 30> BookingRows(std::uint32_t termsType, std::uint32_t percentType,
                                               std::uint32_t amountField) {
  return {{
    // field len type prefix        pos  note
    {  0,  1,  9, "3"},         //   1
    {  0,  2,  9},              //   2  blanks
    {  0,  1,  9, "B"},         //   4
    {  0,  2,  9, "FI"},        //   5
    {187,  1,  9},              //   7  record kind
    {166,  1,  9},              //   8  new-file mark
    {112,  2,  9},              //   9  MANDANT
    {150, 20,  9},              //  11
    {153, 20,  9},              //  31
    {125,  3,  9},              //  51  tax code
    {145,  3,  9, "S"},         //  54  two digits, zero-filled
    {140,  0,  9},              //  57  zero width: takes the terms code
    {143,  3, termsType},       //  57  net days
    {142,  3, termsType},       //  60  discount days
    {141,  5, percentType},     //  63  discount percent
    {  0,  7,  0},              //  68  the number 0
    {105,  6, 11},              //  75
    {105,  6, 11},              //  81
    {147,  6, 11},              //  87  empty: 00.00.00
    {146,  6, 11},              //  93  empty: 00.00.00
    {180,  7,  0},              //  99
    {100,  7,  0},              // 106
    {120,  7, 12},              // 113  DataType 3: field 110
    {110,  7, 12},              // 120  DataType 3: field 120
    {102,  7,  0},              // 127
    {101,  7,  0},              // 134
    {amountField, 12, 15},      // 141  running amount, absolute value
    {900,  1,  9},              // 153  sign
    {  0,  7,  0},              // 154  the number 0
    {290, 15,  9},              // 161
  }};
}

// Bookings for RELEASE below 38: 30 rows, 175 characters.
inline constexpr auto kBookingLayout = BookingRows(0, 15, 115);

// Bookings for RELEASE 38 and above: 32 rows, 198 characters; the currency
// code closes the line.
inline constexpr auto kBookingLayout38 = Join(BookingRows(9, 9, 116), std::to_array<MapEntry>({
    {  0, 20,  9},              // 176  blanks
    {191,  3,  9},              // 196  currency code of field 190
}));

// Every address line starts with the same six rows: "2", two blanks, the
// record kind, the line type digit, MANDANT and the account (field 200).
template <std::size_t N>
constexpr std::array<MapEntry, N + 6> AddressLine(const char* digit, const std::array<MapEntry, N>& body) {
  return Join(std::to_array<MapEntry>({
                  {  0,  1,  9, "2"},   //   1
                  {  0,  2,  9},        //   2  blanks
                  {187,  1,  9},        //   4  record kind
                  {  0,  1,  9, digit}, //   5
                  {112,  2,  9},        //   6  MANDANT
                  {200,  7, 12},        //   8
              }),
              body);
}

// Address line type 1, written for every address: 16 rows, 245 characters.
inline constexpr auto kAddressLine1 = AddressLine("1", std::to_array<MapEntry>({
    {204, 30,  9},              //  15
    {205, 30,  9},              //  45
    {210, 30,  9},              //  75
    {211, 30,  9},              // 105
    {215, 30,  9},              // 135
    {255,  3,  9},              // 165
    {217,  8,  9},              // 168  leading part of input field 220
    {220, 30,  9},              // 176  rest of field 220
    {265, 20,  9},              // 206
    {266, 20,  9},              // 226
}));

// Address line type 2: 9 rows, 89 characters.
inline constexpr auto kAddressLine2 = AddressLine("2", std::to_array<MapEntry>({
    {205, 30,  9},              //  15
    {225, 15, 16},              //  45  upper case
    {  0, 30,  9},              //  60  blanks
}));

// Address line type 7: 7 rows, 17 characters.
inline constexpr auto kAddressLine7 = AddressLine("7", std::to_array<MapEntry>({
    {230,  3,  9, "S"},         //  15  two digits, zero-filled
}));

// Address line type 8: 7 rows, 29 characters; not written when field 290 is empty.
inline constexpr auto kAddressLine8 = AddressLine("8", std::to_array<MapEntry>({
    {290, 15,  9},              //  15
}));

// Address line type 3, once the input has carried field 295: 16 rows, 185 characters.
inline constexpr auto kAddressLine3 = AddressLine("3", std::to_array<MapEntry>({
    {291, 10,  9},              //  15
    {951, 30,  9},              //  25
    {952, 30,  9},              //  55
    {953, 30,  9},              //  85
    {954, 30,  9},              // 115
    {961, 10,  9},              // 145
    {962, 10,  9},              // 155
    {963, 10,  9},              // 165
    {964, 10,  9},              // 175
    {235,  1,  9},              // 185  0 gives N, 1 gives J
}));

// Address line type 4, once the input has carried field 296: 13 rows, 95 characters.
inline constexpr auto kAddressLine4 = AddressLine("4", std::to_array<MapEntry>({
    {305,  8,  9},              //  15
    {312, 27,  9},              //  23
    {310, 11,  9},              //  50
    {205, 27,  9},              //  61
    {901,  1,  9},              //  88
    {294,  1,  9},              //  89  0 gives K, 1 gives E, 2 gives A
    {285,  6, 11},              //  90  DDMMYY
}));

// Header line: "I  $", the data digit, 148 blanks (153 characters); the
// trailer has a blank in place of the digit.
inline constexpr int kHeaderBlanks = 148;

static_assert(kBookingLayout.size() == 30 && RecordLength(kBookingLayout) == 175);
static_assert(kBookingLayout38.size() == 32 && RecordLength(kBookingLayout38) == 198);
static_assert(kAddressLine1.size() == 16 && RecordLength(kAddressLine1) == 245);
static_assert(kAddressLine2.size() == 9 && RecordLength(kAddressLine2) == 89);
static_assert(kAddressLine7.size() == 7 && RecordLength(kAddressLine7) == 17);
static_assert(kAddressLine8.size() == 7 && RecordLength(kAddressLine8) == 29);
static_assert(kAddressLine3.size() == 16 && RecordLength(kAddressLine3) == 185);
static_assert(kAddressLine4.size() == 13 && RecordLength(kAddressLine4) == 95);

// clang-format on
}  // namespace zeko::hs3
