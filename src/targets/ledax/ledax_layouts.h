// Line layouts of the LEDA-X import files.
#pragma once
#include <array>
#include <iterator>

#include "convert/mapentry.h"

namespace zeko::ledax {
// Tables are aligned by column by hand.
// clang-format off

// Booking line (data types 1, 3, 5), 276 characters, first file.
inline constexpr MapEntry kBooking[] = {
    // field len type                 pos
    {0, 4, kNumberZeroFilled},     //   1 "0000"
    {112, 8, kText},               //   5 MANDANT
    {100, 18, kNumberZeroFilled},  //  13
    {105, 8, kDateYYYYMMDD},       //  31 date YYYYMMDD
    {176, 4, kNumberZeroFilled},   //  39
    {177, 1, kText},               //  43
    {110, 5, kNumberZeroFilled},   //  44
    {0, 3, kNumberZeroFilled},     //  49 "000"
    {178, 12, kText},              //  52
    {152, 8, kDateYYYYMMDD},       //  64 date YYYYMMDD
    {100, 8, kNumberZeroFilled},   //  72 field 100 again, 8 digits
    {179, 1, kText},               //  80
    {115, 18, kCentsAbsolute},     //  81 running amount in cents, no sign
    {191, 4, kText},               //  99 leading blanks removed
    {116, 18, kCentsAbsolute},     // 103
    {125, 2, kNumberZeroFilled},   // 121
    {130, 18, kCentsAbsolute},     // 123
    {150, 24, kText},              // 141
    {144, 8, kDateYYYYMMDD},       // 165 date YYYYMMDD
    {146, 8, kDateYYYYMMDD},       // 173 date YYYYMMDD
    {158, 8, kDateYYYYMMDD},       // 181 date YYYYMMDD
    {149, 18, kCentsAbsolute},     // 189
    {159, 18, kCentsAbsolute},     // 207
    {0, 2, kNumberZeroFilled},     // 225 zeros
    {0, 1, kNumberZeroFilled},     // 227 zero
    {0, 1, kNumberZeroFilled},     // 228 zero
    {0, 6, kNumberZeroFilled},     // 229 zeros
    {0, 10, kText},                // 235 blanks
    {0, 18, kNumberZeroFilled},    // 245 zeros
    {153, 10, kText},              // 263
    {0, 4, kNumberZeroFilled},     // 273 zeros
};

// Supplement line, 87 characters, second file.
inline constexpr MapEntry kSupplement[] = {
    // field len type                 pos
    {112, 8, kText},               //   1 MANDANT
    {100, 18, kNumberZeroFilled},  //   9
    {0, 1, kText},                 //  27 blank
    {120, 8, kText},               //  28
    {116, 18, kCentsAbsolute},     //  36
    {180, 6, kNumberZeroFilled},   //  54
    {0, 10, kText},                //  60 blanks
    {0, 18, kNumberZeroFilled},    //  70 zeros
};

// Debtor and creditor lines share their first 19 rows (268 characters) but
// for the record kind of row 1 and the letter of row 4.
template <std::size_t N>
constexpr std::array<MapEntry, N + 19> Address(const char* kind, const char* letter,
                                               const std::array<MapEntry, N>& tail) {
  return Join(std::to_array<MapEntry>({
                  {901, 4, kNumberZeroFilled, kind},  //   1 "0002" or "0003"
                  {241, 4, kNumberZeroFilled},        //   5
                  {112, 8, kText},                    //   9 MANDANT
                  {901, 1, kText, letter},            //  17 "D" or "C"
                  {200, 5, kNumberZeroFilled},        //  18
                  {0, 3, kNumberZeroFilled},          //  23 zeros
                  {245, 24, kText},                   //  26
                  {205, 30, kText},                   //  50
                  {210, 30, kText},                   //  80
                  {211, 30, kText},                   // 110
                  {0, 10, kText},                     // 140 blanks
                  {0, 6, kNumberZeroFilled},          // 150 zeros
                  {215, 30, kText},                   // 156
                  {220, 30, kText},                   // 186 city part of field 220
                  {0, 3, kText},                      // 216 blanks
                  {217, 6, kNumberZeroFilled},        // 219 postcode split off field 220
                  {265, 15, kText},                   // 225
                  {266, 15, kText},                   // 240
                  {290, 14, kText},                   // 255
              }),
              tail);
}

// Debtor addresses (data type 2), 379 characters.
inline constexpr auto kDebtor = Address("2", "D", std::to_array<MapEntry>({
    {400, 4, kNumberZeroFilled},   // 269
    {275, 3, kNumberZeroFilled},   // 273
    {0, 3, kNumberZeroFilled},     // 276 zeros
    {253, 3, kNumberZeroFilled},   // 279
    {230, 3, kNumberZeroFilled},   // 282
    {254, 18, kCentsAbsolute},     // 285
    {0, 4, kNumberZeroFilled},     // 303 zeros
    {0, 18, kCentsAbsolute},       // 307 zeros
    {0, 8, kNumberZeroFilled},     // 325 zeros
    {0, 1, kText},                 // 333 blank
    {0, 8, kNumberZeroFilled},     // 334 zeros
    {0, 3, kText},                 // 342 blanks
    {305, 8, kNumberZeroFilled},   // 345
    {310, 12, kNumberZeroFilled},  // 353
    {0, 1, kNumberZeroFilled},     // 365 zero
    {235, 1, kNumberZeroFilled},   // 366
    {0, 1, kNumberZeroFilled},     // 367 zero
    {292, 4, kNumberZeroFilled},   // 368
    {0, 4, kNumberZeroFilled},     // 372 zeros
    {0, 4, kNumberZeroFilled},     // 376 zeros
}));

// Creditor addresses (data type 4), 353 characters.
inline constexpr auto kCreditor = Address("3", "C", std::to_array<MapEntry>({
    {291, 15, kText},              // 269
    {275, 3, kNumberZeroFilled},   // 284
    {0, 3, kNumberZeroFilled},     // 287 zeros
    {253, 3, kNumberZeroFilled},   // 290
    {230, 3, kNumberZeroFilled},   // 293
    {0, 8, kNumberZeroFilled},     // 296 zeros
    {0, 1, kText},                 // 304 blank
    {0, 8, kNumberZeroFilled},     // 305 zeros
    {0, 3, kText},                 // 313 blanks
    {0, 8, kNumberZeroFilled},     // 316 zeros
    {0, 12, kNumberZeroFilled},    // 324 zeros
    {0, 1, kNumberZeroFilled},     // 336 zero
    {0, 1, kNumberZeroFilled},     // 337 zero
    {0, 4, kNumberZeroFilled},     // 338 zeros
    {292, 4, kNumberZeroFilled},   // 342
    {0, 4, kNumberZeroFilled},     // 346 zeros
    {0, 4, kNumberZeroFilled},     // 350 zeros
}));

static_assert(std::size(kBooking) == 31 && RecordLength(kBooking) == 276);
static_assert(std::size(kSupplement) == 8 && RecordLength(kSupplement) == 87);
static_assert(kDebtor.size() == 39 && RecordLength(kDebtor) == 379);
static_assert(kCreditor.size() == 36 && RecordLength(kCreditor) == 353);

// clang-format on
}  // namespace zeko::ledax
