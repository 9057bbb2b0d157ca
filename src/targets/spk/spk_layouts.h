// The DTAUS records of the savings-bank disk: the A record (header) and the
// C record (one payment), in three variants chosen by RELEASE, and the E
// record (trailer).
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
#include "targets/spk/spk_fields.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// The C record. The releases share its rows but for where the amount
// stands, the purpose text, the currency sign and the first extension.
inline constexpr auto kSpkCStart = std::to_array<MapEntry>({
    // field, len, type, addend                          pos  role
    {spk::kRecordLength, 4, kNumberZeroFilled, "245"},    //   1  record length "0245"
    {155, 1, kText},                                      //   5  record type "C"
    {spk::kFirstBankCode, 8, kNumberZeroFilled},          //   6  first involved bank
    {305, 8, kNumberZeroFilled},                          //  14  counterparty's bank code
    {310, 10, kNumberZeroFilled},                         //  22  counterparty's account
    {0, 13, kNumberZeroFilled},                           //  32  internal customer number
    {330, 2, kNumberZeroFilled},                          //  45  text key
    {spk::kTextKeySupplement, 3, kNumberZeroFilled},      //  47  text key supplement
    {0, 1, kText},                                        //  50  blank
});

// The amount in DM or in Euro, in cents; the other amount field holds zeros.
constexpr std::array<MapEntry, 4> SpkAmounts(std::uint32_t dm, std::uint32_t euro) {
  return {{{dm, 11, kNumberZeroFilled},                 //  51  amount in DM
           {340, 8, kNumberZeroFilled},                 //  62  originator's bank code
           {350, 10, kNumberZeroFilled},                //  70  originator's account
           {euro, 11, kNumberZeroFilled}}};             //  80  amount in Euro
}

inline constexpr auto kSpkCNames = std::to_array<MapEntry>({
    {0, 3, kText},                                        //  91  blanks
    {205, 27, kText},                                     //  94  counterparty's name
    {0, 8, kText},                                        // 121  blanks
    {325, 27, kText},                                     // 129  originator's name
});

inline constexpr auto kSpkPurposeParts = std::to_array<MapEntry>({
    {spk::kPurposePart1, 3, kText},                       // 156  purpose, part 1
    {spk::kDocumentNumber, 12, kText},                    // 159  purpose, part 2
    {spk::kPurposePart3, 4, kText},                       // 171  purpose, part 3
    {spk::kDocumentDate, 8, kText},                       // 175  purpose, part 4: date text
});

inline constexpr auto kSpkEuroSign = std::to_array<MapEntry>({
    {0, 1, kText, "1"},                                   // 183  currency sign "1": Euro
    {0, 2, kText},                                        // 184  blanks
});

constexpr std::array<MapEntry, 6> SpkExtensions(std::uint32_t firstText) {
  return {{{spk::kExtensionParts, 2, kNumberZeroFilled, "02"},  // 186  number of extension parts
           {spk::kExtension1Type, 2, kNumberZeroFilled, "02"},  // 188  extension 1 type: purpose
           {firstText, 27, kText},                              // 190  extension 1 text
           {spk::kExtension2Type, 2, kNumberZeroFilled, "02"},  // 217  extension 2 type: purpose
           {spk::kExtension2Text, 27, kText},                   // 219  extension 2 text
           {0, 11, kText}}};                                    // 246  blanks to the block end
}

// RELEASE neither 1 nor 2: amounts in DM. 28 rows, 256 bytes.
inline constexpr auto kSpkCRecord =
    Join(kSpkCStart, SpkAmounts(115, 0), kSpkCNames, kSpkPurposeParts,
         std::to_array<MapEntry>({{0, 3, kText}}),  // 183  currency sign (blank), blanks
         SpkExtensions(spk::kExtension1Text));

// RELEASE 1: amounts in Euro, purpose from the four parts. 29 rows, 256 bytes.
inline constexpr auto kSpkCRecordRelease1 =
    Join(kSpkCStart, SpkAmounts(0, 115), kSpkCNames, kSpkPurposeParts, kSpkEuroSign,
         SpkExtensions(spk::kExtension1Text));

// RELEASE 2: amounts in Euro, purpose and first extension from fields 365
// and 370. 26 rows, 256 bytes.
inline constexpr auto kSpkCRecordRelease2 =
    Join(kSpkCStart, SpkAmounts(0, 115), kSpkCNames,
         std::to_array<MapEntry>({{spk::kPurpose, 27, kText}}),  // 156  purpose
         kSpkEuroSign, SpkExtensions(spk::kPurposeExtension));

// The A record's positions 1 to 80, alike in all releases.
inline constexpr auto kSpkAStart = std::to_array<MapEntry>({
    // field, len, type, prefix                          pos  role
    {spk::kRecordLength, 4, kNumberZeroFilled, "128"},    //   1  record length "0128"
    {spk::kFirstBankCode, 1, kText, "A"},                 //   5  record type "A"
    {335, 2, kText},                                      //   6  order kind: SPK_KENNZEICHEN
    {340, 8, kNumberZeroFilled},                          //   8  bank code: SPK_BLZ or field 340
    {spk::kTextKeySupplement, 8, kNumberZeroFilled},      //  16  zeros
    {345, 27, kText},                                     //  24  customer name: SPK_KUNDE
    {995, 6, kDateDDMMYY},                                //  51  file date DDMMYY
    {0, 4, kText},                                        //  57  blanks
    {350, 10, kNumberZeroFilled},                         //  61  account: SPK_KONTO or field 350
    {355, 10, kNumberZeroFilled},                         //  71  reference number: SPK_REFERENZ
});

// RELEASE neither 1 nor 2. 11 rows, 128 bytes.
inline constexpr auto kSpkARecord = Join(kSpkAStart, std::to_array<MapEntry>({
    {0, 48, kText},                                       //  81  blanks
}));

// RELEASE 1 and 2: with the Euro currency sign. 14 rows, 128 bytes.
inline constexpr auto kSpkARecordEuro = Join(kSpkAStart, std::to_array<MapEntry>({
    {0, 15, kText},                                       //  81  blanks
    {0, 8, kText},                                        //  96  execution date: blank
    {0, 24, kText},                                       // 104  blanks
    {0, 1, kText, "1"},                                   // 128  currency sign "1": Euro
}));

// The E record (trailer): the count and the control sums. The writer
// prints them itself, the sums exactly to the last digit, and they stand
// in text rows: a number row would read them back through a double.
inline constexpr auto kSpkERecord = std::to_array<MapEntry>({
    {0, 4, kNumberZeroFilled, "128"},                     //   1  record length "0128"
    {0, 1, kText, "E"},                                   //   5  record type "E"
    {0, 5, kText},                                        //   6  blanks
    {spk::kPaymentCount, 7, kText},                       //  11  number of C records
    {spk::kDmSum, 13, kText},                             //  18  DM amount sum
    {spk::kAccountSum, 17, kText},                        //  31  account sum
    {spk::kBankCodeSum, 17, kText},                       //  48  bank-code sum
    {spk::kEuroSum, 13, kText},                           //  65  Euro amount sum
    {0, 51, kText},                                       //  78  blanks
});

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
static_assert(RecordLength(kSpkERecord) == kSpkARecordLength);

// clang-format on
}  // namespace zeko
