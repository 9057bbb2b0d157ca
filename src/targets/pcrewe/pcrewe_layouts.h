// Line layouts of the REWE-FIBU import file.
#pragma once
#include <iterator>

#include "convert/mapentry.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// Bookings (data types 1, 3, 5), lines of 161 characters.
inline constexpr MapEntry kPcreweBooking[] = {
    // field len type        pos
    {105, 8, 23},        //   1 date DDMMYYYY
    {175, 3, 9},         //   9
    {115, 12, 25},       //  12 running amount in cents, sign first
    {0, 4, 9},           //  24 blanks
    {149, 6, 2},         //  28 times 100
    {0, 5, 9},           //  34 blanks
    {120, 5, 0},         //  39
    {0, 2, 9},           //  44 blanks
    {100, 6, 0},         //  46
    {0, 6, 9},           //  52 blanks
    {125, 3, 9},         //  58
    {0, 5, 9},           //  61 blanks
    {110, 5, 0},         //  66
    {150, 60, 9},        //  71
    {183, 8, 9},         // 131
    {180, 4, 0},         // 139
    {0, 4, 9},           // 143 blanks
    {290, 15, 9},        // 147
};

// Bookings with RELEASE 2, lines of 126 characters.
inline constexpr MapEntry kPcreweBookingRelease2[] = {
    // field len type        pos
    {105, 8, 23},        //   1 date DDMMYYYY
    {175, 3, 9},         //   9
    {115, 12, 25},       //  12 running amount in cents, sign first
    {149, 6, 2},         //  24 times 100
    {120, 5, 0},         //  30
    {100, 6, 0},         //  35
    {0, 6, 9},           //  41 blanks
    {125, 3, 9},         //  47
    {110, 5, 0},         //  50
    {150, 45, 9},        //  55
    {183, 8, 9},         // 100
    {180, 4, 0},         // 108
    {290, 15, 9},        // 112
};

// Addresses (data types 2 and 4), lines of 495 characters.
inline constexpr MapEntry kPcreweAddress[] = {
    // field len type        pos
    {200, 5, 0},         //   1
    {205, 40, 9},        //   6
    {0, 25, 9},          //  46 blanks
    {0, 1, 9},           //  71 blank
    {253, 25, 9},        //  72
    {215, 25, 9},        //  97
    {0, 10, 9},          // 122 blanks
    {217, 5, 12},        // 132 postcode part of field 217
    {220, 25, 9},        // 137 city part of field 217
    {0, 3, 0},           // 162 "  0"
    {0, 2, 0},           // 165 " 0"
    {0, 25, 9},          // 167 blanks
    {200, 10, 9},        // 192 field 200 again, as text
    {254, 10, 0},        // 202
    {312, 27, 9},        // 212
    {305, 8, 0},         // 239
    {310, 10, 0},        // 247
    {0, 10, 9},          // 257 blanks
    {0, 10, 9},          // 267 blanks
    {0, 10, 9},          // 277 blanks
    {0, 17, 9},          // 287 blanks
    {0, 15, 9},          // 304 blanks
    {0, 15, 9},          // 319 blanks
    {230, 2, 0},         // 334
    {0, 1, 0},           // 336 "0"
    {0, 4, 2},           // 337 "   0"
    {0, 3, 1},           // 341 "  0"
    {0, 2, 0},           // 344 " 0"
    {0, 2, 0},           // 346 " 0"
    {0, 2, 0},           // 348 " 0"
    {0, 2, 0},           // 350 " 0"
    {0, 1, 0},           // 352 "0"
    {0, 2, 0},           // 353 " 0"
    {0, 2, 0},           // 355 " 0"
    {0, 1, 0},           // 357 "0"
    {0, 2, 0},           // 358 " 0"
    {250, 120, 9},       // 360
    {290, 15, 9},        // 480
    {0, 1, 9},           // 495 blank
};

static_assert(std::size(kPcreweBooking) == 18 && RecordLength(kPcreweBooking) == 161);
static_assert(std::size(kPcreweBookingRelease2) == 13 && RecordLength(kPcreweBookingRelease2) == 126);
static_assert(std::size(kPcreweAddress) == 39 && RecordLength(kPcreweAddress) == 495);

// clang-format on
}  // namespace zeko
