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
#include <iterator>

#include "convert/mapentry.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// RELEASE neither 1 nor 2: amounts in DM. 28 rows, 256 bytes.
inline constexpr MapEntry kSpkCRecord[] = {
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
    {115, 11, 12},           //  51  amount in DM, cents
    {340, 8, 12},            //  62  originator's bank code
    {350, 10, 12},           //  70  originator's account
    {0, 11, 12},             //  80  amount in Euro: zeros
    {0, 3, 9},               //  91  blanks
    {205, 27, 9},            //  94  counterparty's name
    {0, 8, 9},               // 121  blanks
    {325, 27, 9},            // 129  originator's name
    {920, 3, 9},             // 156  purpose, part 1
    {100, 12, 9},            // 159  purpose, part 2
    {921, 4, 9},             // 171  purpose, part 3
    {105, 8, 9},             // 175  purpose, part 4: date text
    {0, 3, 9},               // 183  currency sign (blank), blanks
    {904, 2, 12, "02"},      // 186  number of extension parts
    {905, 2, 12, "02"},      // 188  extension 1 type: purpose
    {911, 27, 9},            // 190  extension 1 text
    {906, 2, 12, "02"},      // 217  extension 2 type: purpose
    {912, 27, 9},            // 219  extension 2 text
    {0, 11, 9},              // 246  blanks to the end of the block
};

// RELEASE 1: amounts in Euro, purpose from the four parts. 29 rows, 256 bytes.
inline constexpr MapEntry kSpkCRecordRelease1[] = {
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
    {0, 11, 12},             //  51  amount in DM: zeros
    {340, 8, 12},            //  62  originator's bank code
    {350, 10, 12},           //  70  originator's account
    {115, 11, 12},           //  80  amount in Euro, cents
    {0, 3, 9},               //  91  blanks
    {205, 27, 9},            //  94  counterparty's name
    {0, 8, 9},               // 121  blanks
    {325, 27, 9},            // 129  originator's name
    {920, 3, 9},             // 156  purpose, part 1
    {100, 12, 9},            // 159  purpose, part 2
    {921, 4, 9},             // 171  purpose, part 3
    {105, 8, 9},             // 175  purpose, part 4: date text
    {0, 1, 9, "1"},          // 183  currency sign "1": Euro
    {0, 2, 9},               // 184  blanks
    {904, 2, 12, "02"},      // 186  number of extension parts
    {905, 2, 12, "02"},      // 188  extension 1 type: purpose
    {911, 27, 9},            // 190  extension 1 text
    {906, 2, 12, "02"},      // 217  extension 2 type: purpose
    {912, 27, 9},            // 219  extension 2 text
    {0, 11, 9},              // 246  blanks to the end of the block
};

// RELEASE 2: amounts in Euro, purpose and first extension from fields 365
// and 370. 26 rows, 256 bytes.
inline constexpr MapEntry kSpkCRecordRelease2[] = {
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
    {0, 11, 12},             //  51  amount in DM: zeros
    {340, 8, 12},            //  62  originator's bank code
    {350, 10, 12},           //  70  originator's account
    {115, 11, 12},           //  80  amount in Euro, cents
    {0, 3, 9},               //  91  blanks
    {205, 27, 9},            //  94  counterparty's name
    {0, 8, 9},               // 121  blanks
    {325, 27, 9},            // 129  originator's name
    {365, 27, 9},            // 156  purpose
    {0, 1, 9, "1"},          // 183  currency sign "1": Euro
    {0, 2, 9},               // 184  blanks
    {904, 2, 12, "02"},      // 186  number of extension parts
    {905, 2, 12, "02"},      // 188  extension 1 type: purpose
    {370, 27, 9},            // 190  extension 1 text
    {906, 2, 12, "02"},      // 217  extension 2 type: purpose
    {912, 27, 9},            // 219  extension 2 text
    {0, 11, 9},              // 246  blanks to the end of the block
};

// RELEASE neither 1 nor 2. 11 rows, 128 bytes.
inline constexpr MapEntry kSpkARecord[] = {
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
    {0, 48, 9},              //  81  blanks
};

// RELEASE 1 and 2: with the Euro currency sign. 14 rows, 128 bytes.
inline constexpr MapEntry kSpkARecordEuro[] = {
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
    {0, 15, 9},              //  81  blanks
    {0, 8, 9},               //  96  execution date: blank
    {0, 24, 9},              // 104  blanks
    {0, 1, 9, "1"},          // 128  currency sign "1": Euro
};

inline constexpr std::uint32_t kSpkARecordLength = 128;
inline constexpr std::uint32_t kSpkCRecordLength = 256;

static_assert(std::size(kSpkCRecord) == 28);
static_assert(std::size(kSpkCRecordRelease1) == 29);
static_assert(std::size(kSpkCRecordRelease2) == 26);
static_assert(std::size(kSpkARecord) == 11);
static_assert(std::size(kSpkARecordEuro) == 14);
static_assert(RecordLength(kSpkCRecord) == kSpkCRecordLength);
static_assert(RecordLength(kSpkCRecordRelease1) == kSpkCRecordLength);
static_assert(RecordLength(kSpkCRecordRelease2) == kSpkCRecordLength);
static_assert(RecordLength(kSpkARecord) == kSpkARecordLength);
static_assert(RecordLength(kSpkARecordEuro) == kSpkARecordLength);

// clang-format on
}  // namespace zeko
