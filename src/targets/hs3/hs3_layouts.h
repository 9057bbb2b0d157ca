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
constexpr std::array<MapEntry, 30> BookingRows(TypeCode termsType, TypeCode percentType,
                                               std::uint32_t amountField) {
  return {{
    // field len type prefix          pos  note
    {  0,  1, kText, "3"},         //   1
    {  0,  2, kText},              //   2  blanks
    {  0,  1, kText, "B"},         //   4
    {  0,  2, kText, "FI"},        //   5
    {187,  1, kText},              //   7  record kind
    {166,  1, kText},              //   8  new-file mark
    {112,  2, kText},              //   9  MANDANT
    {150, 20, kText},              //  11
    {153, 20, kText},              //  31
    {125,  3, kText},              //  51  tax code
    {145,  3, kText, "S"},         //  54  two digits, zero-filled
    {140,  0, kText},              //  57  zero width: takes the terms code
    {143,  3, termsType},          //  57  net days
    {142,  3, termsType},          //  60  discount days
    {141,  5, percentType},        //  63  discount percent
    {  0,  7, kNumber},            //  68  the number 0
    {105,  6, kDateDDMMYY},        //  75
    {105,  6, kDateDDMMYY},        //  81
    {147,  6, kDateDDMMYY},        //  87  empty: 00.00.00
    {146,  6, kDateDDMMYY},        //  93  empty: 00.00.00
    {180,  7, kNumber},            //  99
    {100,  7, kNumber},            // 106
    {120,  7, kNumberZeroFilled},  // 113  DataType 3: field 110
    {110,  7, kNumberZeroFilled},  // 120  DataType 3: field 120
    {102,  7, kNumber},            // 127
    {101,  7, kNumber},            // 134
    {amountField, 12, kNumberTwoDecimals},  // 141  running amount, absolute value
    {900,  1, kText},              // 153  sign
    {  0,  7, kNumber},            // 154  the number 0
    {290, 15, kText},              // 161
  }};
}

// Bookings for RELEASE below 38: 30 rows, 175 characters.
inline constexpr auto kBookingLayout = BookingRows(kNumber, kNumberTwoDecimals, 115);

// Bookings for RELEASE 38 and above: 32 rows, 198 characters; the currency
// code closes the line.
inline constexpr auto kBookingLayout38 = Join(BookingRows(kText, kText, 116),
                                              std::to_array<MapEntry>({
    {  0, 20, kText},              // 176  blanks
    {191,  3, kText},              // 196  currency code of field 190
}));

// Every address line starts with the same six rows: "2", two blanks, the
// record kind, the line type digit, MANDANT and the account (field 200).
template <std::size_t N>
constexpr std::array<MapEntry, N + 6> AddressLine(const char* digit, const std::array<MapEntry, N>& body) {
  return Join(std::to_array<MapEntry>({
                  {  0,  1, kText, "2"},         //   1
                  {  0,  2, kText},              //   2  blanks
                  {187,  1, kText},              //   4  record kind
                  {  0,  1, kText, digit},       //   5
                  {112,  2, kText},              //   6  MANDANT
                  {200,  7, kNumberZeroFilled},  //   8
              }),
              body);
}

// Address line type 1, written for every address: 16 rows, 245 characters.
inline constexpr auto kAddressLine1 = AddressLine("1", std::to_array<MapEntry>({
    {204, 30, kText},              //  15
    {205, 30, kText},              //  45
    {210, 30, kText},              //  75
    {211, 30, kText},              // 105
    {215, 30, kText},              // 135
    {255,  3, kText},              // 165
    {217,  8, kText},              // 168  leading part of input field 220
    {220, 30, kText},              // 176  rest of field 220
    {265, 20, kText},              // 206
    {266, 20, kText},              // 226
}));

// Address line type 2: 9 rows, 89 characters.
inline constexpr auto kAddressLine2 = AddressLine("2", std::to_array<MapEntry>({
    {205, 30, kText},              //  15
    {225, 15, kTextUpper},         //  45  upper case
    {  0, 30, kText},              //  60  blanks
}));

// Address line type 7: 7 rows, 17 characters.
inline constexpr auto kAddressLine7 = AddressLine("7", std::to_array<MapEntry>({
    {230,  3, kText, "S"},         //  15  two digits, zero-filled
}));

// Address line type 8: 7 rows, 29 characters; not written when field 290 is empty.
inline constexpr auto kAddressLine8 = AddressLine("8", std::to_array<MapEntry>({
    {290, 15, kText},              //  15
}));

// Address line type 3, once the input has carried field 295: 16 rows, 185 characters.
inline constexpr auto kAddressLine3 = AddressLine("3", std::to_array<MapEntry>({
    {291, 10, kText},              //  15
    {951, 30, kText},              //  25
    {952, 30, kText},              //  55
    {953, 30, kText},              //  85
    {954, 30, kText},              // 115
    {961, 10, kText},              // 145
    {962, 10, kText},              // 155
    {963, 10, kText},              // 165
    {964, 10, kText},              // 175
    {235,  1, kText},              // 185  0 gives N, 1 gives J
}));

// Address line type 4, once the input has carried field 296: 13 rows, 95 characters.
inline constexpr auto kAddressLine4 = AddressLine("4", std::to_array<MapEntry>({
    {305,  8, kText},              //  15
    {312, 27, kText},              //  23
    {310, 11, kText},              //  50
    {205, 27, kText},              //  61
    {901,  1, kText},              //  88
    {294,  1, kText},              //  89  0 gives K, 1 gives E, 2 gives A
    {285,  6, kDateDDMMYY},        //  90  DDMMYY
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
