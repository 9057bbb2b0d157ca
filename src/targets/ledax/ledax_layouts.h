// Line layouts of the LEDA-X import files.
#pragma once
#include <array>
#include <iterator>

#include "convert/mapentry.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// Booking line (data types 1, 3, 5), 276 characters, first file.
inline constexpr MapEntry kLedaxBooking[] = {
    // field len type            pos
    {0, 4, 12},              //   1 "0000"
    {112, 8, 9},             //   5 MANDANT
    {100, 18, 12},           //  13
    {105, 8, 13},            //  31 date YYYYMMDD
    {176, 4, 12},            //  39
    {177, 1, 9},             //  43
    {110, 5, 12},            //  44
    {0, 3, 12},              //  49 "000"
    {178, 12, 9},            //  52
    {152, 8, 13},            //  64 date YYYYMMDD
    {100, 8, 12},            //  72 field 100 again, 8 digits
    {179, 1, 9},             //  80
    {115, 18, 26},           //  81 running amount in cents, no sign
    {191, 4, 9},             //  99 leading blanks removed
    {116, 18, 26},           // 103
    {125, 2, 12},            // 121
    {130, 18, 26},           // 123
    {150, 24, 9},            // 141
    {144, 8, 13},            // 165 date YYYYMMDD
    {146, 8, 13},            // 173 date YYYYMMDD
    {158, 8, 13},            // 181 date YYYYMMDD
    {149, 18, 26},           // 189
    {159, 18, 26},           // 207
    {0, 2, 12},              // 225 zeros
    {0, 1, 12},              // 227 zero
    {0, 1, 12},              // 228 zero
    {0, 6, 12},              // 229 zeros
    {0, 10, 9},              // 235 blanks
    {0, 18, 12},             // 245 zeros
    {153, 10, 9},            // 263
    {0, 4, 12},              // 273 zeros
};

// Supplement line, 87 characters, second file.
inline constexpr MapEntry kLedaxSupplement[] = {
    // field len type            pos
    {112, 8, 9},             //   1 MANDANT
    {100, 18, 12},           //   9
    {0, 1, 9},               //  27 blank
    {120, 8, 9},             //  28
    {116, 18, 26},           //  36
    {180, 6, 12},            //  54
    {0, 10, 9},              //  60 blanks
    {0, 18, 12},             //  70 zeros
};

// Debtor and creditor lines share their first 19 rows (268 characters) but
// for the record kind of row 1 and the letter of row 4.
template <std::size_t N>
constexpr std::array<MapEntry, N + 19> LedaxAddress(const char* kind, const char* letter,
                                                    const std::array<MapEntry, N>& tail) {
  return Join(std::to_array<MapEntry>({
                  {901, 4, 12, kind},      //   1 "0002" or "0003"
                  {241, 4, 12},            //   5
                  {112, 8, 9},             //   9 MANDANT
                  {901, 1, 9, letter},     //  17 "D" or "C"
                  {200, 5, 12},            //  18
                  {0, 3, 12},              //  23 zeros
                  {245, 24, 9},            //  26
                  {205, 30, 9},            //  50
                  {210, 30, 9},            //  80
                  {211, 30, 9},            // 110
                  {0, 10, 9},              // 140 blanks
                  {0, 6, 12},              // 150 zeros
                  {215, 30, 9},            // 156
                  {220, 30, 9},            // 186 city part of field 220
                  {0, 3, 9},               // 216 blanks
                  {217, 6, 12},            // 219 postcode split off field 220
                  {265, 15, 9},            // 225
                  {266, 15, 9},            // 240
                  {290, 14, 9},            // 255
              }),
              tail);
}

// Debtor addresses (data type 2), 379 characters.
inline constexpr auto kLedaxDebtor = LedaxAddress("2", "D", std::to_array<MapEntry>({
    {400, 4, 12},            // 269
    {275, 3, 12},            // 273
    {0, 3, 12},              // 276 zeros
    {253, 3, 12},            // 279
    {230, 3, 12},            // 282
    {254, 18, 26},           // 285
    {0, 4, 12},              // 303 zeros
    {0, 18, 26},             // 307 zeros
    {0, 8, 12},              // 325 zeros
    {0, 1, 9},               // 333 blank
    {0, 8, 12},              // 334 zeros
    {0, 3, 9},               // 342 blanks
    {305, 8, 12},            // 345
    {310, 12, 12},           // 353
    {0, 1, 12},              // 365 zero
    {235, 1, 12},            // 366
    {0, 1, 12},              // 367 zero
    {292, 4, 12},            // 368
    {0, 4, 12},              // 372 zeros
    {0, 4, 12},              // 376 zeros
}));

// Creditor addresses (data type 4), 353 characters.
inline constexpr auto kLedaxCreditor = LedaxAddress("3", "C", std::to_array<MapEntry>({
    {291, 15, 9},            // 269
    {275, 3, 12},            // 284
    {0, 3, 12},              // 287 zeros
    {253, 3, 12},            // 290
    {230, 3, 12},            // 293
    {0, 8, 12},              // 296 zeros
    {0, 1, 9},               // 304 blank
    {0, 8, 12},              // 305 zeros
    {0, 3, 9},               // 313 blanks
    {0, 8, 12},              // 316 zeros
    {0, 12, 12},             // 324 zeros
    {0, 1, 12},              // 336 zero
    {0, 1, 12},              // 337 zero
    {0, 4, 12},              // 338 zeros
    {292, 4, 12},            // 342
    {0, 4, 12},              // 346 zeros
    {0, 4, 12},              // 350 zeros
}));

static_assert(std::size(kLedaxBooking) == 31 && RecordLength(kLedaxBooking) == 276);
static_assert(std::size(kLedaxSupplement) == 8 && RecordLength(kLedaxSupplement) == 87);
static_assert(kLedaxDebtor.size() == 39 && RecordLength(kLedaxDebtor) == 379);
static_assert(kLedaxCreditor.size() == 36 && RecordLength(kLedaxCreditor) == 353);

// clang-format on
}  // namespace zeko
