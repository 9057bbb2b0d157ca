// Line layouts of the HS bookkeeping import file.
#pragma once
#include <iterator>

#include "convert/mapentry.h"

namespace zeko::hs {
// Tables are aligned by column by hand.
// clang-format off

// Bookings (DataType 1, 3, 5): 24 rows, 137 characters.
inline constexpr MapEntry kBookingLayout[] = {
    // field len type prefix           pos  note
    {187,  1, kText},               //   1  record kind
    {166,  1, kText},               //   2  new-file mark
    {112,  2, kText},               //   3  MANDANT
    {150, 20, kText},               //   5
    {153, 10, kText},               //  25
    {125,  3, kText},               //  35  tax code
    {145,  3, kText, "S"},          //  38  two digits, zero-filled
    {140,  0, kText},               //  41  zero width: takes the terms code
    {143,  3, kNumber},             //  41  net days from the terms code
    {142,  3, kNumber},             //  44  discount days
    {141,  5, kNumberTwoDecimals},  //  47  discount percent
    {  0,  7, kNumber},             //  52  the number 0
    {105,  6, kDateDDMMYY},         //  59
    {105,  6, kDateDDMMYY},         //  65
    {147,  6, kDateDDMMYY},         //  71  empty: 00.00.00
    {146,  6, kDateDDMMYY},         //  77  empty: 00.00.00
    {180,  7, kNumber},             //  83
    {100,  7, kNumber},             //  90
    {120,  7, kNumberZeroFilled},   //  97  DataType 3: field 110
    {110,  7, kNumberZeroFilled},   // 104  DataType 3: field 120
    {102,  7, kNumber},             // 111
    {101,  7, kNumber},             // 118
    {115, 12, kNumberTwoDecimals},  // 125  running amount, absolute value
    {900,  1, kText},               // 137  sign of the running amount
};

// Addresses (DataType 2, 4): 12 rows, 156 characters.
inline constexpr MapEntry kAddressLayout[] = {
    // field len type prefix           pos  note
    {187,  1, kText},               //   1  record kind
    {112,  2, kText},               //   2  MANDANT
    {200,  7, kNumberZeroFilled},   //   4
    {205, 30, kText},               //  11
    {210, 30, kText},               //  41
    {255,  3, kText},               //  71
    {220, 22, kText},               //  74  rest after the split
    {215, 30, kText},               //  96
    {265, 15, kText},               // 126
    {245,  8, kTextUpper},          // 141  upper case
    {217,  5, kText},               // 149  split-off number of field 220
    {230,  3, kText, "S"},          // 154  two digits, zero-filled
};

// The end line is "E" and this many blanks: one more than the record length.
inline constexpr int kBookingEndWidth = 138;
inline constexpr int kAddressEndWidth = 157;

static_assert(std::size(kBookingLayout) == 24 && RecordLength(kBookingLayout) == 137);
static_assert(std::size(kAddressLayout) == 12 && RecordLength(kAddressLayout) == 156);

// clang-format on
}  // namespace zeko::hs
