// Line layouts of the REWE-FIBU import file.
#pragma once
#include <iterator>

#include "convert/mapentry.h"

namespace zeko::pcrewe {
// Tables are aligned by column by hand.
// clang-format off

// Bookings (data types 1, 3, 5), lines of 161 characters.
inline constexpr MapEntry kBooking[] = {
    // field len type                 pos
    {105, 8, kDateDDMMYYYY},       //   1 date DDMMYYYY
    {175, 3, kText},               //   9
    {115, 12, kCentsLeadingSign},  //  12 running amount in cents, sign first
    {0, 4, kText},                 //  24 blanks
    {149, 6, kNumberCents},        //  28 times 100
    {0, 5, kText},                 //  34 blanks
    {120, 5, kNumber},             //  39
    {0, 2, kText},                 //  44 blanks
    {100, 6, kNumber},             //  46
    {0, 6, kText},                 //  52 blanks
    {125, 3, kText},               //  58
    {0, 5, kText},                 //  61 blanks
    {110, 5, kNumber},             //  66
    {150, 60, kText},              //  71
    {183, 8, kText},               // 131
    {180, 4, kNumber},             // 139
    {0, 4, kText},                 // 143 blanks
    {290, 15, kText},              // 147
};

// Bookings with RELEASE 2, lines of 126 characters.
inline constexpr MapEntry kBookingRelease2[] = {
    // field len type                 pos
    {105, 8, kDateDDMMYYYY},       //   1 date DDMMYYYY
    {175, 3, kText},               //   9
    {115, 12, kCentsLeadingSign},  //  12 running amount in cents, sign first
    {149, 6, kNumberCents},        //  24 times 100
    {120, 5, kNumber},             //  30
    {100, 6, kNumber},             //  35
    {0, 6, kText},                 //  41 blanks
    {125, 3, kText},               //  47
    {110, 5, kNumber},             //  50
    {150, 45, kText},              //  55
    {183, 8, kText},               // 100
    {180, 4, kNumber},             // 108
    {290, 15, kText},              // 112
};

// Addresses (data types 2 and 4), lines of 495 characters.
inline constexpr MapEntry kAddress[] = {
    // field len type                 pos
    {200, 5, kNumber},             //   1
    {205, 40, kText},              //   6
    {0, 25, kText},                //  46 blanks
    {0, 1, kText},                 //  71 blank
    {253, 25, kText},              //  72
    {215, 25, kText},              //  97
    {0, 10, kText},                // 122 blanks
    {217, 5, kNumberZeroFilled},   // 132 postcode part of field 217
    {220, 25, kText},              // 137 city part of field 217
    {0, 3, kNumber},               // 162 "  0"
    {0, 2, kNumber},               // 165 " 0"
    {0, 25, kText},                // 167 blanks
    {200, 10, kText},              // 192 field 200 again, as text
    {254, 10, kNumber},            // 202
    {312, 27, kText},              // 212
    {305, 8, kNumber},             // 239
    {310, 10, kNumber},            // 247
    {0, 10, kText},                // 257 blanks
    {0, 10, kText},                // 267 blanks
    {0, 10, kText},                // 277 blanks
    {0, 17, kText},                // 287 blanks
    {0, 15, kText},                // 304 blanks
    {0, 15, kText},                // 319 blanks
    {230, 2, kNumber},             // 334
    {0, 1, kNumber},               // 336 "0"
    {0, 4, kNumberCents},          // 337 "   0"
    {0, 3, kNumberTimes10},        // 341 "  0"
    {0, 2, kNumber},               // 344 " 0"
    {0, 2, kNumber},               // 346 " 0"
    {0, 2, kNumber},               // 348 " 0"
    {0, 2, kNumber},               // 350 " 0"
    {0, 1, kNumber},               // 352 "0"
    {0, 2, kNumber},               // 353 " 0"
    {0, 2, kNumber},               // 355 " 0"
    {0, 1, kNumber},               // 357 "0"
    {0, 2, kNumber},               // 358 " 0"
    {250, 120, kText},             // 360
    {290, 15, kText},              // 480
    {0, 1, kText},                 // 495 blank
};

static_assert(std::size(kBooking) == 18 && RecordLength(kBooking) == 161);
static_assert(std::size(kBookingRelease2) == 13 && RecordLength(kBookingRelease2) == 126);
static_assert(std::size(kAddress) == 39 && RecordLength(kAddress) == 495);

// clang-format on
}  // namespace zeko::pcrewe
