// The five DATAX record layouts, one per import-format release.
//
// Each row: input field, width, conversion code. The position column is the
// 1-based byte position in the record. Field 0 is never filled by the
// reader, so its rows come out as blanks. Rows of width 0 write nothing and
// exist only for the terms derivation that runs when they are reached.
#pragma once
#include <array>

#include "convert/mapentry.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// The rows that the releases before 5 share.
inline constexpr auto kDataxDocument = std::to_array<MapEntry>({
    {105, 8, 13},      // date
    {107, 2, 14},
    {100, 10, 9},
    {260, 5, 15},
    {115, 13, 15},     // amount
});
constexpr std::array<MapEntry, 2> DataxAccounts(std::uint32_t width120, std::uint32_t width110) {
  return {{{120, width120, 0}, {110, width110, 0}}};
}
inline constexpr auto kDataxCosts = std::to_array<MapEntry>({
    {180, 7, 9},
    {185, 7, 9},
    {150, 15, 9},
    {190, 2, 0},
});
// The address of RELEASE 2 to 5: five lines of 30.
inline constexpr auto kDataxAddress30 = std::to_array<MapEntry>({
    {204, 30, 9},
    {205, 30, 9},
    {210, 30, 9},
    {215, 30, 9},
    {220, 30, 9},
});

// RELEASE not 2, 3, 4 or 5: 15 rows, 180 bytes with CR LF.
inline constexpr auto kDataxLayout = Join(
    std::to_array<MapEntry>({
        {205, 25, 9},  //   1
        {210, 25, 9},  //  26
        {215, 25, 9},  //  51
        {220, 25, 9},  //  76
    }),
    kDataxDocument, DataxAccounts(4, 5), kDataxCosts);

// RELEASE 2: 18 rows, 232 bytes with CR LF.
inline constexpr auto kDataxLayoutRelease2 = Join(
    kDataxAddress30, kDataxDocument, DataxAccounts(4, 5), kDataxCosts,
    std::to_array<MapEntry>({
        {140, 0, 9},   // 229  terms code
        {143, 2, 0},   // 229  net days
    }));

// RELEASE 3: 19 rows, 237 bytes with CR LF.
inline constexpr auto kDataxLayoutRelease3 = Join(
    kDataxAddress30, kDataxDocument, DataxAccounts(7, 7), kDataxCosts,
    std::to_array<MapEntry>({
        {140, 0, 9},   // 234  terms code
        {139, 0, 9},   // 234  terms text
        {143, 2, 0},   // 234  net days
    }));

// RELEASE 4: 40 rows, 453 bytes with CR LF.
inline constexpr auto kDataxLayoutRelease4 = Join(
    kDataxAddress30, kDataxDocument, DataxAccounts(7, 7), kDataxCosts,
    std::to_array<MapEntry>({
        {139, 0, 9},   // 234  terms text
        {143, 2, 0},   // 234  net days
        {142, 2, 0},   // 236  cash-discount days
        {141, 5, 15},  // 238  cash-discount percent
        {245, 10, 9},  // 243
        {0, 8, 9},     // 253  blanks
        {265, 20, 9},  // 261
        {266, 20, 9},  // 281
        {312, 25, 9},  // 301
        {305, 8, 9},   // 326
        {310, 11, 9},  // 334
        {501, 1, 9},   // 345
        {294, 1, 9},   // 346
        {290, 14, 9},  // 347
        {0, 2, 9},     // 361  blanks
        {0, 4, 9},     // 363  blanks
        {503, 1, 9},   // 367
        {0, 7, 9},     // 368  blanks
        {0, 13, 9},    // 375  blanks
        {507, 13, 9},  // 388
        {0, 1, 9},     // 401  blanks
        {504, 17, 9},  // 402
        {505, 20, 9},  // 419
        {506, 13, 15}, // 439
    }));

// RELEASE 5: 30 rows, 321 bytes with CR LF.
inline constexpr auto kDataxLayoutRelease5 = std::to_array<MapEntry>({
    // field len type       pos
    {112, 3, 0},       //   1  MANDANT
    {113, 4, 0},       //   4  ANWENDER
    {204, 30, 9},      //   8
    {205, 30, 9},      //  38
    {210, 30, 9},      //  68
    {215, 30, 9},      //  98
    {220, 30, 9},      // 128
    {155, 3, 0},       // 158
    {105, 8, 13},      // 161
    {107, 2, 14},      // 169
    {153, 10, 9},      // 171  field 100 when empty
    {100, 10, 9},      // 181  field 153 when empty
    {125, 2, 0},       // 191  plus 10 for incoming invoices
    {115, 13, 15},     // 193  amount, never dropped
    {135, 1, 9},       // 206
    {149, 11, 15},     // 207
    {120, 7, 0},       // 218
    {110, 7, 0},       // 225
    {180, 7, 0},       // 232
    {185, 7, 0},       // 239
    {150, 15, 9},      // 246
    {190, 1, 0},       // 261
    {139, 0, 9},       // 262  terms text
    {143, 2, 0},       // 262  net days
    {183, 20, 9},      // 264
    {184, 1, 9},       // 284
    {186, 20, 9},      // 285
    {189, 1, 9},       // 305
    {181, 7, 0},       // 306
    {188, 7, 0},       // 313
});

// The layout of a RELEASE value; every value but 2 to 5 has the first one.
constexpr MapTable DataxLayout(int release) {
  switch (release) {
    case 2: return kDataxLayoutRelease2;
    case 3: return kDataxLayoutRelease3;
    case 4: return kDataxLayoutRelease4;
    case 5: return kDataxLayoutRelease5;
    default: return kDataxLayout;
  }
}

// Bytes of one record: the fields and CR LF.
constexpr std::uint32_t DataxRecordLength(MapTable table) { return RecordLength(table) + 2; }

static_assert(kDataxLayout.size() == 15 && DataxRecordLength(kDataxLayout) == 180);
static_assert(kDataxLayoutRelease2.size() == 18 && DataxRecordLength(kDataxLayoutRelease2) == 232);
static_assert(kDataxLayoutRelease3.size() == 19 && DataxRecordLength(kDataxLayoutRelease3) == 237);
static_assert(kDataxLayoutRelease4.size() == 40 && DataxRecordLength(kDataxLayoutRelease4) == 453);
static_assert(kDataxLayoutRelease5.size() == 30 && DataxRecordLength(kDataxLayoutRelease5) == 321);

// clang-format on
}  // namespace zeko
