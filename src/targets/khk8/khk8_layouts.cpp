// KHK8 layout tables. Columns: field, length, type, prefix, default.
//
// The tax columns repeat one block of rows per tax index 0 to 8; those
// blocks are generated from their row pattern instead of being typed out, so
// a pattern is stated once and cannot drift between the nine copies.
#include "targets/khk8/khk8_layouts.h"

#include <array>
#include <cstddef>

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off
namespace {

// One row of a tax block pattern; the field of the row for index n is
// base + n. Base 0 stands for a field 000 text that carries the digit n.
struct BlockRow {
  std::uint32_t base;
  std::uint32_t length;
  TypeCode type;
};

constexpr std::uint32_t kDigitText = 0;
using khk8::kTaxIndexes;
constexpr const char* kDigits[kTaxIndexes] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};

template <std::size_t R>
constexpr std::array<MapEntry, R * kTaxIndexes> TaxBlocks(const std::array<BlockRow, R>& pattern) {
  std::array<MapEntry, R * kTaxIndexes> rows{};
  std::size_t i = 0;
  for (std::uint32_t n = 0; n < kTaxIndexes; ++n) {
    for (const BlockRow& r : pattern) {
      rows[i++] = r.base == kDigitText ? MapEntry{0, r.length, r.type, kDigits[n]}
                                       : MapEntry{r.base + n, r.length, r.type};
    }
  }
  return rows;
}

// Blocks of the pattern's shape that carry nothing: every row is field 000.
template <std::size_t Count, std::size_t R>
constexpr std::array<MapEntry, R * Count> EmptyBlocks(const std::array<BlockRow, R>& pattern) {
  std::array<MapEntry, R * Count> rows{};
  std::size_t i = 0;
  for (std::size_t n = 0; n < Count; ++n) {
    for (const BlockRow& r : pattern) rows[i++] = MapEntry{0, r.length, r.type};
  }
  return rows;
}

// ---------------------------------------------------------------------------
// Standard layouts (RELEASE other than 2)

// Tax columns 0 to 8 of field 117.
constexpr std::array<BlockRow, 1> kTaxColumn = {{{901, 12, kNumberTwoDecimals}}};

// Rows 1 to 20 of both booking layouts, which differ in the record kind
// and the width of the terms code.
constexpr auto Head8(const char* kind, std::uint32_t termsWidth) {
  return Join(std::to_array<MapEntry>({
                  {  0,  4, kText, kind},         //  1 "RAD8" or "REK8"
                  {920,  1, kText},               //  2 sign code
                  {100, 10, kText},               //  3
                  {105,  6, kDateDDMMYY},         //  4
                  {100, 10, kText},               //  5
                  {110,  5, kNumberZeroFilled},   //  6
                  {180,  5, kText},               //  7
                  {125,  1, kText},               //  8 tax flag
                  {140, termsWidth, kText},       //  9 terms code
                  {115, 12, kNumberTwoDecimals},  // 10 amount
              }),
              TaxBlocks(kTaxColumn),      // 11-19 tax columns
              std::to_array<MapEntry>({
                  {  0, 12, kNumberTwoDecimals},  // 20
              }));
}

// The tax line that follows the header line, from the line break on.
constexpr auto TaxLine8(const char* kind) {
  return Join(std::to_array<MapEntry>({
                  {910,  0, kText},               // line break
                  {  0,  4, kText, kind},         // "RAE8" or "REE8"
                  {120,  2, kText},               // characters 2 and 3
              }),
              TaxBlocks(kTaxColumn),      // tax columns
              std::to_array<MapEntry>({
                  {185,  5, kText},
              }));
}

// DataType 1: "RAD8" line (rows 1 to 23), then "RAE8" line (24 to 36).
constexpr auto kStandardType1 = Join(Head8("RAD8", 10), std::to_array<MapEntry>({
    {400,  3, kNumber},             // 21
    {410, 12, kNumberTwoDecimals},  // 22
    {  0,  6, kText},               // 23
}), TaxLine8("RAE8"));

// DataType 3: "REK8" line (rows 1 to 20), then "REE8" line (21 to 33).
constexpr auto kStandardType3 = Join(Head8("REK8", 8), TaxLine8("REE8"));

// DataType 2: customer address line.
constexpr auto kStandardType2 = std::to_array<MapEntry>({
    {200,  5, kNumberZeroFilled},   //  1
    {205, 28, kText},               //  2
    {210, 28, kText},               //  3
    {215, 28, kText},               //  4
    {  0,  6, kText},               //  5
    {220, 28, kText},               //  6
    {265, 16, kText},               //  7
    {  0, 16, kText},               //  8
    {  0, 16, kText},               //  9
    {  0,  4, kText},               // 10
    {  0,  6, kDateDDMMYY},         // 11
    {240,  3, kNumber},             // 12
    {  0,  2, kNumber},             // 13
    {125,  1, kText},               // 14 tax flag
    {235,  1, kText},               // 15
    {  0,  1, kText},               // 16
    {  0,  1, kText},               // 17
    {  0,  5, kText},               // 18
    {  0,  1, kNumber, "", "1"},    // 19
    {  0,  4, kText},               // 20
    {  0,  4, kText},               // 21
    {245, 28, kText},               // 22
    {  0,  3, kNumber},             // 23
    {140,  8, kText},               // 24 terms code
    {  0,  1, kText},               // 25
    {  0,  5, kNumberTwoDecimals},  // 26
    {  0,  1, kText},               // 27
    {  0,  1, kText},               // 28
    {  0,  1, kText},               // 29
    {  0,  1, kText},               // 30
    {  0, 11, kNumberTwoDecimals},  // 31
    {  0,  6, kDateDDMMYY},         // 32
});

// DataType 4: supplier address line.
constexpr auto kStandardType4 = std::to_array<MapEntry>({
    {200,  5, kNumberZeroFilled},   //  1
    {205, 28, kText},               //  2
    {210, 28, kText},               //  3
    {215, 28, kText},               //  4
    {220, 28, kText},               //  5
    {265, 14, kText},               //  6
    {  0, 14, kText},               //  7
    {  0, 20, kText},               //  8
    {  0,  4, kText},               //  9
    {  0,  2, kText},               // 10
    {125,  1, kText},               // 11 tax flag
    {235,  1, kText},               // 12
    {  0,  1, kText},               // 13
    {  0,  1, kText},               // 14
    {  0,  5, kText},               // 15
    {  0,  4, kText},               // 16
    {  0, 10, kText},               // 17
    {  0,  4, kText},               // 18
    {245, 27, kText},               // 19
    {140,  8, kText},               // 20 terms code
    {  0, 12, kText},               // 21
    {  0,  8, kText},               // 22
    {  0, 14, kText},               // 23
    {  0,  5, kText},               // 24
    {  0,  1, kText},               // 25
    {  0,  1, kText},               // 26
    {  0, 11, kNumberTwoDecimals},  // 27
    {  0,  6, kDateDDMMYY},         // 28
});

// ---------------------------------------------------------------------------
// RELEASE 2 layouts

// Tax block patterns of the header and tax lines.
constexpr std::array<BlockRow, 5> kRad97Block = {{
    {940,  2, kNumber},             // tax rate text
    {911, 12, kNumberTwoDecimals},  // field 118
    {931, 12, kNumberTwoDecimals},  // field 131
    {901, 12, kNumberTwoDecimals},  // field 117
    {921, 12, kNumberTwoDecimals},  // field 130
}};
constexpr std::array<BlockRow, 3> kRae97Block = {{
    {940,  2, kNumber},             // tax rate text
    {911, 12, kNumberTwoDecimals},  // field 118
    {901, 12, kNumberTwoDecimals},  // field 117
}};
constexpr std::array<BlockRow, 5> kRek97Block = {{
    {kDigitText, 2, kText},         // the block's digit
    {911, 12, kNumberTwoDecimals},  // field 118
    {931, 12, kNumberTwoDecimals},  // field 131
    {901, 12, kNumberTwoDecimals},  // field 117
    {921, 12, kNumberTwoDecimals},  // field 130
}};
constexpr std::array<BlockRow, 3> kRee97Block = {{
    {kDigitText, 2, kText},         // the block's digit
    {911, 12, kNumberTwoDecimals},  // field 118
    {901, 12, kNumberTwoDecimals},  // field 117
}};
constexpr std::size_t kEmptyBlocks = 4;

// The address line in front of every booking.
constexpr auto kAdr97Line = std::to_array<MapEntry>({
    {  0,  5, kText, "ADR97"},      //  1
    {205, 28, kText},               //  2
    {210, 28, kText},               //  3
    {215, 28, kText},               //  4
    {220, 28, kText},               //  5
    {245, 28, kText},               //  6
    {  0,  6, kText},               //  7
    {  0,  1, kText},               //  8
    {910,  0, kText},               //  9 line break
});

// The "RAD97" and "REK97" header lines up to the tax blocks. "REK97"
// carries the sign code (field 920) in its second row where "RAD97" carries
// field 150, and has no rows for fields 400 and 411; the row numbers are
// those of "RAD97" in DataType 1.
template <std::size_t N>
constexpr auto Header97(const char* kind, MapEntry second,
                        const std::array<MapEntry, N>& rows400And411) {
  return Join(std::to_array<MapEntry>({
                  {  0,  5, kText, kind},         // 10
                  second,                 // 11
                  {100, 10, kText},               // 12
                  {105,  6, kDateDDMMYY},         // 13
                  {100, 10, kText},               // 14
                  {  0, 30, kText},               // 15
                  {110,  5, kNumberZeroFilled},   // 16
                  {180,  5, kText},               // 17
                  {  0,  2, kText},               // 18
                  {  0,  1, kText},               // 19
                  {  0,  2, kText},               // 20
                  {  0,  1, kText},               // 21
                  {140, 15, kText},               // 22 terms code
                  {191,  3, kText},               // 23 currency code
                  {  0,  1, kText},               // 24
                  {  0,  1, kText, "6"},          // 25
                  {  0,  6, kText},               // 26
              }),
              rows400And411,              // 27-28
              std::to_array<MapEntry>({
                  {193, 11, kSixDecimals},        // 29
                  {116, 12, kNumberTwoDecimals},  // 30
                  {118, 12, kNumberTwoDecimals},  // 31
                  {115, 12, kNumberTwoDecimals},  // 32 amount
                  {117, 12, kNumberTwoDecimals},  // 33
              }));
}

// The tax line's rows in front of its tax blocks.
constexpr auto TaxLine97(const char* kind) {
  return std::to_array<MapEntry>({
      {910,  0, kText},        // line break
      {  0,  5, kText, kind},  // "RAE97" or "REE97"
      {120,  2, kText},        // characters 2 and 3
      {  0,  1, kText},
      {  0,  2, kText},
      {185,  5, kText},
  });
}

// DataType 1: "ADR97" (rows 1 to 9), "RAD97" (10 to 78), "RAE97" (79 to 111).
constexpr auto kRelease2Type1 =
    Join(kAdr97Line,
         Header97("RAD97", {150, 20, kText}, std::to_array<MapEntry>({
             {400,  3, kNumber},             // 27
             {411,  9, kNumberTwoDecimals},  // 28
         })),
         TaxBlocks(kRad97Block), TaxLine97("RAE97"), TaxBlocks(kRae97Block));

// DataType 3: "ADR97" (rows 1 to 9), "REK97" (10 to 96: tax blocks 0 to 8
// and four empty blocks), "REE97" (97 to 141, the same way).
constexpr auto kRelease2Type3 =
    Join(kAdr97Line, Header97("REK97", {920, 1, kText}, std::array<MapEntry, 0>{}),
         TaxBlocks(kRek97Block), EmptyBlocks<kEmptyBlocks>(kRek97Block), TaxLine97("REE97"),
         TaxBlocks(kRee97Block), EmptyBlocks<kEmptyBlocks>(kRee97Block));

// Rows 1 to 10 of both "V97" lines.
constexpr auto kV97Head = std::to_array<MapEntry>({
    {  0,  3, kText, "V97"},        //  1
    {200,  5, kNumberZeroFilled},   //  2
    {205, 28, kText},               //  3
    {210, 28, kText},               //  4
    {215, 28, kText},               //  5
    {  0,  6, kText},               //  6
    {220, 28, kText},               //  7
    {265, 20, kText},               //  8
    {266, 20, kText},               //  9
    {252, 28, kText},               // 10
});

// DataType 2: "V97" customer line.
constexpr auto kRelease2Type2 = Join(kV97Head, std::to_array<MapEntry>({
    {  0,  4, kText},               // 11
    {  0,  6, kDateDDMMYY},         // 12
    {240,  3, kNumber},             // 13
    {  0,  2, kNumber},             // 14
    {125,  1, kText},               // 15 tax flag
    {235,  1, kText},               // 16
    {191,  6, kText},               // 17 currency code
    {  0,  1, kText},               // 18
    {  0,  5, kText},               // 19
    {  0,  1, kNumber, "", "1"},    // 20
    {  0,  4, kText},               // 21
    {  0,  4, kText},               // 22
    {245, 27, kText},               // 23
    {  0,  3, kNumber},             // 24
    {140, 15, kText},               // 25 terms code
    {  0,  1, kText},               // 26
    {  0,  5, kNumberTwoDecimals},  // 27
    {  0,  1, kText},               // 28
    {  0,  1, kText},               // 29
    {  0,  1, kText},               // 30
    {  0,  1, kText},               // 31
    {  0, 11, kNumberTwoDecimals},  // 32
    {  0,  6, kDateDDMMYY},         // 33
    {  0,  2, kText},               // 34
    {  0,  5, kNumberZeroFilled},   // 35
    {  0, 15, kText},               // 36
    {  0,  1, kText},               // 37
    {  0,  1, kText},               // 38
    {  0, 10, kText},               // 39
    {  0,  1, kText},               // 40
    {  0,  5, kNumberTwoDecimals},  // 41
    {  0,  2, kNumberZeroFilled},   // 42
    {  0,  2, kText},               // 43
    {290, 13, kText},               // 44
    {  0,  1, kText},               // 45
    {  0,  1, kText},               // 46
    {  0,  8, kText},               // 47
    {  0, 10, kText},               // 48
    {  0, 40, kText},               // 49
    {  0,  8, kText},               // 50
    {  0, 10, kText},               // 51
    {  0, 40, kText},               // 52
}));

// DataType 4: "V97" supplier line.
constexpr auto kRelease2Type4 = Join(kV97Head, std::to_array<MapEntry>({
    {  0,  4, kText},               // 11
    {  0,  2, kText},               // 12
    {125,  1, kText},               // 13 tax flag
    {235,  1, kText},               // 14
    {191,  6, kText},               // 15 currency code
    {  0,  1, kText},               // 16
    {  0,  5, kText},               // 17
    {  0,  4, kText},               // 18
    {  0, 10, kText},               // 19
    {  0,  4, kText},               // 20
    {245, 27, kText},               // 21
    {140, 15, kText},               // 22 terms code
    {  0,  1, kText},               // 23
    {  0,  1, kText},               // 24
    {  0, 11, kNumberTwoDecimals},  // 25
    {  0,  6, kDateDDMMYY},         // 26
    {  0,  1, kNumberZeroFilled},   // 27
    {  0, 15, kText},               // 28
    {  0,  1, kText},               // 29
    {  0,  1, kText},               // 30
    {  0,  2, kNumberZeroFilled},   // 31
    {  0,  1, kText},               // 32
    {  0,  2, kText},               // 33
    {290, 13, kText},               // 34
    {  0,  1, kText},               // 35
    {  0,  1, kText},               // 36
    {  0,  8, kText},               // 37
    {  0, 10, kText},               // 38
    {  0, 40, kText},               // 39
    {  0,  8, kText},               // 40
    {  0, 10, kText},               // 41
    {  0, 40, kText},               // 42
    {  0,  8, kText},               // 43
    {  0, 10, kText},               // 44
    {  0, 40, kText},               // 45
    {  0,  9, kText},               // 46
    {  0,  9, kText},               // 47
    {  0, 40, kText},               // 48
}));

}  // namespace

MapTable khk8::Layout(DataType dataType, bool release2) {
  switch (dataType) {
    case DataType::kOutgoingInvoices:
      return release2 ? MapTable(kRelease2Type1) : MapTable(kStandardType1);
    case DataType::kCustomerAddresses:
      return release2 ? MapTable(kRelease2Type2) : MapTable(kStandardType2);
    case DataType::kIncomingInvoices:
      return release2 ? MapTable(kRelease2Type3) : MapTable(kStandardType3);
    case DataType::kSupplierAddresses:
      return release2 ? MapTable(kRelease2Type4) : MapTable(kStandardType4);
    default: return {};
  }
}

// clang-format on
}  // namespace zeko
