// The DTAUS records of the savings-bank disk: the A record (header) and the
// C record (one payment), in three variants chosen by RELEASE.
//
// Each row: input field, width, conversion code, addend or prefix. The
// position column is the 1-based byte position in the record. Field 0 is
// never filled by the reader: its text rows give blanks, its number rows
// zeros. Fields 335, 340, 345, 350, 355 and 995 are replaced by the writer
// with configuration values (or the kept bank code and account), field 115
// by the absolute amount in cents.
#pragma once
#include <array>

#include "convert/mapentry.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// The C record. The releases share its rows but for where the amount
// stands, the purpose text, the currency sign and the first extension.
inline constexpr auto kSpkCStart = std::to_array<MapEntry>({
    // field len type  addend     pos  role
    {901, 4, 12, "245"},     //   1  record length "0245"
    {155, 1, 9},             //   5  record type "C"
    {902, 8, 12},            //   6  bank code of the first involved bank
    {305, 8, 12},            //  14  counterparty's bank code
    {310, 10, 12},           //  22  counterparty's account
    {0, 13, 12},             //  32  internal customer number
    {330, 2, 12},            //  45  text key
    {903, 3, 12},            //  47  text key supplement
    {0, 1, 9},               //  50  blank
});

// The amount in DM or in Euro, in cents; the other amount field holds zeros.
constexpr std::array<MapEntry, 4> SpkAmounts(std::uint32_t dm, std::uint32_t euro) {
  return {{{dm, 11, 12},     //  51  amount in DM
           {340, 8, 12},     //  62  originator's bank code
           {350, 10, 12},    //  70  originator's account
           {euro, 11, 12}}}; //  80  amount in Euro
}

inline constexpr auto kSpkCNames = std::to_array<MapEntry>({
    {0, 3, 9},               //  91  blanks
    {205, 27, 9},            //  94  counterparty's name
    {0, 8, 9},               // 121  blanks
    {325, 27, 9},            // 129  originator's name
});

inline constexpr auto kSpkPurposeParts = std::to_array<MapEntry>({
    {920, 3, 9},             // 156  purpose, part 1
    {100, 12, 9},            // 159  purpose, part 2
    {921, 4, 9},             // 171  purpose, part 3
    {105, 8, 9},             // 175  purpose, part 4: date text
});

inline constexpr auto kSpkEuroSign = std::to_array<MapEntry>({
    {0, 1, 9, "1"},          // 183  currency sign "1": Euro
    {0, 2, 9},               // 184  blanks
});

constexpr std::array<MapEntry, 6> SpkExtensions(std::uint32_t firstText) {
  return {{{904, 2, 12, "02"},   // 186  number of extension parts
           {905, 2, 12, "02"},   // 188  extension 1 type: purpose
           {firstText, 27, 9},   // 190  extension 1 text
           {906, 2, 12, "02"},   // 217  extension 2 type: purpose
           {912, 27, 9},         // 219  extension 2 text
           {0, 11, 9}}};         // 246  blanks to the end of the block
}

// RELEASE neither 1 nor 2: amounts in DM. 28 rows, 256 bytes.
inline constexpr auto kSpkCRecord =
    Join(kSpkCStart, SpkAmounts(115, 0), kSpkCNames, kSpkPurposeParts,
         std::to_array<MapEntry>({{0, 3, 9}}),  // 183  currency sign (blank), blanks
         SpkExtensions(911));

// RELEASE 1: amounts in Euro, purpose from the four parts. 29 rows, 256 bytes.
inline constexpr auto kSpkCRecordRelease1 = Join(kSpkCStart, SpkAmounts(0, 115), kSpkCNames,
                                                 kSpkPurposeParts, kSpkEuroSign, SpkExtensions(911));

// RELEASE 2: amounts in Euro, purpose and first extension from fields 365
// and 370. 26 rows, 256 bytes.
inline constexpr auto kSpkCRecordRelease2 =
    Join(kSpkCStart, SpkAmounts(0, 115), kSpkCNames,
         std::to_array<MapEntry>({{365, 27, 9}}),  // 156  purpose
         kSpkEuroSign, SpkExtensions(370));

// The A record's positions 1 to 80, alike in all releases.
inline constexpr auto kSpkAStart = std::to_array<MapEntry>({
    // field len type  prefix     pos  role
    {901, 4, 12, "128"},     //   1  record length "0128"
    {902, 1, 9, "A"},        //   5  record type "A"
    {335, 2, 9},             //   6  order kind: SPK_KENNZEICHEN
    {340, 8, 12},            //   8  bank code: SPK_BLZ or field 340
    {903, 8, 12},            //  16  zeros
    {345, 27, 9},            //  24  customer name: SPK_KUNDE
    {995, 6, 11},            //  51  file date DDMMYY
    {0, 4, 9},               //  57  blanks
    {350, 10, 12},           //  61  account: SPK_KONTO or field 350
    {355, 10, 12},           //  71  reference number: SPK_REFERENZ
});

// RELEASE neither 1 nor 2. 11 rows, 128 bytes.
inline constexpr auto kSpkARecord = Join(kSpkAStart, std::to_array<MapEntry>({
    {0, 48, 9},              //  81  blanks
}));

// RELEASE 1 and 2: with the Euro currency sign. 14 rows, 128 bytes.
inline constexpr auto kSpkARecordEuro = Join(kSpkAStart, std::to_array<MapEntry>({
    {0, 15, 9},              //  81  blanks
    {0, 8, 9},               //  96  execution date: blank
    {0, 24, 9},              // 104  blanks
    {0, 1, 9, "1"},          // 128  currency sign "1": Euro
}));

inline constexpr std::uint32_t kSpkARecordLength = 128;
inline constexpr std::uint32_t kSpkCRecordLength = 256;

static_assert(kSpkCRecord.size() == 28);
static_assert(kSpkCRecordRelease1.size() == 29);
static_assert(kSpkCRecordRelease2.size() == 26);
static_assert(kSpkARecord.size() == 11);
static_assert(kSpkARecordEuro.size() == 14);
static_assert(RecordLength(kSpkCRecord) == kSpkCRecordLength);
static_assert(RecordLength(kSpkCRecordRelease1) == kSpkCRecordLength);
static_assert(RecordLength(kSpkCRecordRelease2) == kSpkCRecordLength);
static_assert(RecordLength(kSpkARecord) == kSpkARecordLength);
static_assert(RecordLength(kSpkARecordEuro) == kSpkARecordLength);

// clang-format on
}  // namespace zeko
