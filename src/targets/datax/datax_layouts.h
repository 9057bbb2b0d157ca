// The five DATAX record layouts, one per import-format release.
//
// Each row: input field, width, conversion code. The position column is the
// 1-based byte position in the record. Field 0 is never filled by the
// reader, so its rows come out as blanks. Rows of width 0 write nothing and
// exist only for the terms derivation that runs when they are reached.
#pragma once
#include <array>

#include "convert/mapentry.h"

namespace zeko::datax {
// Tables are aligned by column by hand.
// clang-format off

// The rows that the releases before 5 share.
inline constexpr auto kDocument = std::to_array<MapEntry>({
    {105, 8, kDateYYYYMMDD},        // date
    {107, 2, kDateMM},
    {100, 10, kText},
    {260, 5, kNumberTwoDecimals},
    {115, 13, kNumberTwoDecimals},  // amount
});
constexpr std::array<MapEntry, 2> Accounts(std::uint32_t width120, std::uint32_t width110) {
  return {{{120, width120, kNumber}, {110, width110, kNumber}}};
}
inline constexpr auto kCosts = std::to_array<MapEntry>({
    {180, 7, kText},
    {185, 7, kText},
    {150, 15, kText},
    {190, 2, kNumber},
});
// The address of RELEASE 2 to 5: five lines of 30.
inline constexpr auto kAddress30 = std::to_array<MapEntry>({
    {204, 30, kText},
    {205, 30, kText},
    {210, 30, kText},
    {215, 30, kText},
    {220, 30, kText},
});

// RELEASE not 2, 3, 4 or 5: 15 rows, 180 bytes with CR LF.
inline constexpr auto kLayout = Join(
    std::to_array<MapEntry>({
        {205, 25, kText},               //   1
        {210, 25, kText},               //  26
        {215, 25, kText},               //  51
        {220, 25, kText},               //  76
    }),
    kDocument, Accounts(4, 5), kCosts);

// RELEASE 2: 18 rows, 232 bytes with CR LF.
inline constexpr auto kLayoutRelease2 = Join(
    kAddress30, kDocument, Accounts(4, 5), kCosts,
    std::to_array<MapEntry>({
        {140, 0, kText},                // 229  terms code
        {143, 2, kNumber},              // 229  net days
    }));

// RELEASE 3: 19 rows, 237 bytes with CR LF.
inline constexpr auto kLayoutRelease3 = Join(
    kAddress30, kDocument, Accounts(7, 7), kCosts,
    std::to_array<MapEntry>({
        {140, 0, kText},                // 234  terms code
        {139, 0, kText},                // 234  terms text
        {143, 2, kNumber},              // 234  net days
    }));

// RELEASE 4: 40 rows, 453 bytes with CR LF.
inline constexpr auto kLayoutRelease4 = Join(
    kAddress30, kDocument, Accounts(7, 7), kCosts,
    std::to_array<MapEntry>({
        {139, 0, kText},                // 234  terms text
        {143, 2, kNumber},              // 234  net days
        {142, 2, kNumber},              // 236  cash-discount days
        {141, 5, kNumberTwoDecimals},   // 238  cash-discount percent
        {245, 10, kText},               // 243
        {0, 8, kText},                  // 253  blanks
        {265, 20, kText},               // 261
        {266, 20, kText},               // 281
        {312, 25, kText},               // 301
        {305, 8, kText},                // 326
        {310, 11, kText},               // 334
        {501, 1, kText},                // 345
        {294, 1, kText},                // 346
        {290, 14, kText},               // 347
        {0, 2, kText},                  // 361  blanks
        {0, 4, kText},                  // 363  blanks
        {503, 1, kText},                // 367
        {0, 7, kText},                  // 368  blanks
        {0, 13, kText},                 // 375  blanks
        {507, 13, kText},               // 388
        {0, 1, kText},                  // 401  blanks
        {504, 17, kText},               // 402
        {505, 20, kText},               // 419
        {506, 13, kNumberTwoDecimals},  // 439
    }));

// RELEASE 5: 30 rows, 321 bytes with CR LF.
inline constexpr auto kLayoutRelease5 = std::to_array<MapEntry>({
    // field len type                  pos
    {112, 3, kNumber},              //   1  MANDANT
    {113, 4, kNumber},              //   4  ANWENDER
    {204, 30, kText},               //   8
    {205, 30, kText},               //  38
    {210, 30, kText},               //  68
    {215, 30, kText},               //  98
    {220, 30, kText},               // 128
    {155, 3, kNumber},              // 158
    {105, 8, kDateYYYYMMDD},        // 161
    {107, 2, kDateMM},              // 169
    {153, 10, kText},               // 171  field 100 when empty
    {100, 10, kText},               // 181  field 153 when empty
    {125, 2, kNumber},              // 191  plus 10 for incoming invoices
    {115, 13, kNumberTwoDecimals},  // 193  amount, never dropped
    {135, 1, kText},                // 206
    {149, 11, kNumberTwoDecimals},  // 207
    {120, 7, kNumber},              // 218
    {110, 7, kNumber},              // 225
    {180, 7, kNumber},              // 232
    {185, 7, kNumber},              // 239
    {150, 15, kText},               // 246
    {190, 1, kNumber},              // 261
    {139, 0, kText},                // 262  terms text
    {143, 2, kNumber},              // 262  net days
    {183, 20, kText},               // 264
    {184, 1, kText},                // 284
    {186, 20, kText},               // 285
    {189, 1, kText},                // 305
    {181, 7, kNumber},              // 306
    {188, 7, kNumber},              // 313
});

// The layout of a RELEASE value; every value but 2 to 5 has the first one.
constexpr MapTable Layout(int release) {
  switch (release) {
    case 2: return kLayoutRelease2;
    case 3: return kLayoutRelease3;
    case 4: return kLayoutRelease4;
    case 5: return kLayoutRelease5;
    default: return kLayout;
  }
}

// Bytes of one record: the fields and CR LF.
constexpr std::uint32_t RecordBytes(MapTable table) { return RecordLength(table) + 2; }

static_assert(kLayout.size() == 15 && RecordBytes(kLayout) == 180);
static_assert(kLayoutRelease2.size() == 18 && RecordBytes(kLayoutRelease2) == 232);
static_assert(kLayoutRelease3.size() == 19 && RecordBytes(kLayoutRelease3) == 237);
static_assert(kLayoutRelease4.size() == 40 && RecordBytes(kLayoutRelease4) == 453);
static_assert(kLayoutRelease5.size() == 30 && RecordBytes(kLayoutRelease5) == 321);

// clang-format on
}  // namespace zeko::datax
