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
  std::uint32_t type;
};

constexpr std::uint32_t kDigitText = 0;
constexpr int kTaxIndexes = 9;
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
constexpr std::array<BlockRow, 1> kTaxColumn = {{{901, 12, 15}}};

// DataType 1: "RAD8" line, then "RAE8" line.
constexpr auto kRad8Head = std::to_array<MapEntry>({
    {  0,  4,  9, "RAD8"},  //  1
    {920,  1,  9},          //  2 sign code
    {100, 10,  9},          //  3
    {105,  6, 11},          //  4
    {100, 10,  9},          //  5
    {110,  5, 12},          //  6
    {180,  5,  9},          //  7
    {125,  1,  9},          //  8 tax flag
    {140, 10,  9},          //  9 terms code
    {115, 12, 15},          // 10 amount
});                         // 11-19 tax columns
constexpr auto kRad8Tail = std::to_array<MapEntry>({
    {  0, 12, 15},          // 20
    {400,  3,  0},          // 21
    {410, 12, 15},          // 22
    {  0,  6,  9},          // 23
    {910,  0,  9},          // 24 line break
    {  0,  4,  9, "RAE8"},  // 25
    {120,  2,  9},          // 26 characters 2 and 3
});                         // 27-35 tax columns
constexpr auto kRae8Tail = std::to_array<MapEntry>({
    {185,  5,  9},          // 36
});
constexpr auto kStandardType1 =
    Join(kRad8Head, TaxBlocks(kTaxColumn), kRad8Tail, TaxBlocks(kTaxColumn), kRae8Tail);

// DataType 3: "REK8" line, then "REE8" line.
constexpr auto kRek8Head = std::to_array<MapEntry>({
    {  0,  4,  9, "REK8"},  //  1
    {920,  1,  9},          //  2 sign code
    {100, 10,  9},          //  3
    {105,  6, 11},          //  4
    {100, 10,  9},          //  5
    {110,  5, 12},          //  6
    {180,  5,  9},          //  7
    {125,  1,  9},          //  8 tax flag
    {140,  8,  9},          //  9 terms code
    {115, 12, 15},          // 10 amount
});                         // 11-19 tax columns
constexpr auto kRek8Tail = std::to_array<MapEntry>({
    {  0, 12, 15},          // 20
    {910,  0,  9},          // 21 line break
    {  0,  4,  9, "REE8"},  // 22
    {120,  2,  9},          // 23 characters 2 and 3
});                         // 24-32 tax columns
constexpr auto kRee8Tail = std::to_array<MapEntry>({
    {185,  5,  9},          // 33
});
constexpr auto kStandardType3 =
    Join(kRek8Head, TaxBlocks(kTaxColumn), kRek8Tail, TaxBlocks(kTaxColumn), kRee8Tail);

// DataType 2: customer address line.
constexpr auto kStandardType2 = std::to_array<MapEntry>({
    {200,  5, 12},          //  1
    {205, 28,  9},          //  2
    {210, 28,  9},          //  3
    {215, 28,  9},          //  4
    {  0,  6,  9},          //  5
    {220, 28,  9},          //  6
    {265, 16,  9},          //  7
    {  0, 16,  9},          //  8
    {  0, 16,  9},          //  9
    {  0,  4,  9},          // 10
    {  0,  6, 11},          // 11
    {240,  3,  0},          // 12
    {  0,  2,  0},          // 13
    {125,  1,  9},          // 14 tax flag
    {235,  1,  9},          // 15
    {  0,  1,  9},          // 16
    {  0,  1,  9},          // 17
    {  0,  5,  9},          // 18
    {  0,  1,  0, "", "1"}, // 19
    {  0,  4,  9},          // 20
    {  0,  4,  9},          // 21
    {245, 28,  9},          // 22
    {  0,  3,  0},          // 23
    {140,  8,  9},          // 24 terms code
    {  0,  1,  9},          // 25
    {  0,  5, 15},          // 26
    {  0,  1,  9},          // 27
    {  0,  1,  9},          // 28
    {  0,  1,  9},          // 29
    {  0,  1,  9},          // 30
    {  0, 11, 15},          // 31
    {  0,  6, 11},          // 32
});

// DataType 4: supplier address line.
constexpr auto kStandardType4 = std::to_array<MapEntry>({
    {200,  5, 12},          //  1
    {205, 28,  9},          //  2
    {210, 28,  9},          //  3
    {215, 28,  9},          //  4
    {220, 28,  9},          //  5
    {265, 14,  9},          //  6
    {  0, 14,  9},          //  7
    {  0, 20,  9},          //  8
    {  0,  4,  9},          //  9
    {  0,  2,  9},          // 10
    {125,  1,  9},          // 11 tax flag
    {235,  1,  9},          // 12
    {  0,  1,  9},          // 13
    {  0,  1,  9},          // 14
    {  0,  5,  9},          // 15
    {  0,  4,  9},          // 16
    {  0, 10,  9},          // 17
    {  0,  4,  9},          // 18
    {245, 27,  9},          // 19
    {140,  8,  9},          // 20 terms code
    {  0, 12,  9},          // 21
    {  0,  8,  9},          // 22
    {  0, 14,  9},          // 23
    {  0,  5,  9},          // 24
    {  0,  1,  9},          // 25
    {  0,  1,  9},          // 26
    {  0, 11, 15},          // 27
    {  0,  6, 11},          // 28
});

// ---------------------------------------------------------------------------
// RELEASE 2 layouts

// Tax block patterns of the header and tax lines.
constexpr std::array<BlockRow, 5> kRad97Block = {{
    {940,  2,  0},          // tax rate text
    {911, 12, 15},          // field 118
    {931, 12, 15},          // field 131
    {901, 12, 15},          // field 117
    {921, 12, 15},          // field 130
}};
constexpr std::array<BlockRow, 3> kRae97Block = {{
    {940,  2,  0},          // tax rate text
    {911, 12, 15},          // field 118
    {901, 12, 15},          // field 117
}};
constexpr std::array<BlockRow, 5> kRek97Block = {{
    {kDigitText, 2, 9},     // the block's digit
    {911, 12, 15},          // field 118
    {931, 12, 15},          // field 131
    {901, 12, 15},          // field 117
    {921, 12, 15},          // field 130
}};
constexpr std::array<BlockRow, 3> kRee97Block = {{
    {kDigitText, 2, 9},     // the block's digit
    {911, 12, 15},          // field 118
    {901, 12, 15},          // field 117
}};
constexpr std::size_t kEmptyBlocks = 4;

// The address line in front of every booking.
constexpr auto kAdr97Line = std::to_array<MapEntry>({
    {  0,  5,  9, "ADR97"}, //  1
    {205, 28,  9},          //  2
    {210, 28,  9},          //  3
    {215, 28,  9},          //  4
    {220, 28,  9},          //  5
    {245, 28,  9},          //  6
    {  0,  6,  9},          //  7
    {  0,  1,  9},          //  8
    {910,  0,  9},          //  9 line break
});

// DataType 1: "ADR97", "RAD97", "RAE97".
constexpr auto kRad97Head = std::to_array<MapEntry>({
    {  0,  5,  9, "RAD97"}, // 10
    {150, 20,  9},          // 11
    {100, 10,  9},          // 12
    {105,  6, 11},          // 13
    {100, 10,  9},          // 14
    {  0, 30,  9},          // 15
    {110,  5, 12},          // 16
    {180,  5,  9},          // 17
    {  0,  2,  9},          // 18
    {  0,  1,  9},          // 19
    {  0,  2,  9},          // 20
    {  0,  1,  9},          // 21
    {140, 15,  9},          // 22 terms code
    {191,  3,  9},          // 23 currency code
    {  0,  1,  9},          // 24
    {  0,  1,  9, "6"},     // 25
    {  0,  6,  9},          // 26
    {400,  3,  0},          // 27
    {411,  9, 15},          // 28
    {193, 11, 30},          // 29
    {116, 12, 15},          // 30
    {118, 12, 15},          // 31
    {115, 12, 15},          // 32 amount
    {117, 12, 15},          // 33
});                         // 34-78 tax blocks 0 to 8
constexpr auto kRae97Head = std::to_array<MapEntry>({
    {910,  0,  9},          // 79 line break
    {  0,  5,  9, "RAE97"}, // 80
    {120,  2,  9},          // 81 characters 2 and 3
    {  0,  1,  9},          // 82
    {  0,  2,  9},          // 83
    {185,  5,  9},          // 84
});                         // 85-111 tax blocks 0 to 8
constexpr auto kRelease2Type1 = Join(kAdr97Line, kRad97Head, TaxBlocks(kRad97Block), kRae97Head,
                                     TaxBlocks(kRae97Block));

// DataType 3: "ADR97", "REK97", "REE97".
constexpr auto kRek97Head = std::to_array<MapEntry>({
    {  0,  5,  9, "REK97"}, // 10
    {920,  1,  9},          // 11 sign code
    {100, 10,  9},          // 12
    {105,  6, 11},          // 13
    {100, 10,  9},          // 14
    {  0, 30,  9},          // 15
    {110,  5, 12},          // 16
    {180,  5,  9},          // 17
    {  0,  2,  9},          // 18
    {  0,  1,  9},          // 19
    {  0,  2,  9},          // 20
    {  0,  1,  9},          // 21
    {140, 15,  9},          // 22 terms code
    {191,  3,  9},          // 23 currency code
    {  0,  1,  9},          // 24
    {  0,  1,  9, "6"},     // 25
    {  0,  6,  9},          // 26
    {193, 11, 30},          // 27
    {116, 12, 15},          // 28
    {118, 12, 15},          // 29
    {115, 12, 15},          // 30 amount
    {117, 12, 15},          // 31
});                         // 32-76 tax blocks 0 to 8, 77-96 four empty blocks
constexpr auto kRee97Head = std::to_array<MapEntry>({
    {910,  0,  9},          // 97 line break
    {  0,  5,  9, "REE97"}, // 98
    {120,  2,  9},          // 99 characters 2 and 3
    {  0,  1,  9},          // 100
    {  0,  2,  9},          // 101
    {185,  5,  9},          // 102
});                         // 103-129 tax blocks 0 to 8, 130-141 four empty blocks
constexpr auto kRelease2Type3 =
    Join(kAdr97Line, kRek97Head, TaxBlocks(kRek97Block), EmptyBlocks<kEmptyBlocks>(kRek97Block),
         kRee97Head, TaxBlocks(kRee97Block), EmptyBlocks<kEmptyBlocks>(kRee97Block));

// DataType 2: "V97" customer line.
constexpr auto kRelease2Type2 = std::to_array<MapEntry>({
    {  0,  3,  9, "V97"},   //  1
    {200,  5, 12},          //  2
    {205, 28,  9},          //  3
    {210, 28,  9},          //  4
    {215, 28,  9},          //  5
    {  0,  6,  9},          //  6
    {220, 28,  9},          //  7
    {265, 20,  9},          //  8
    {266, 20,  9},          //  9
    {252, 28,  9},          // 10
    {  0,  4,  9},          // 11
    {  0,  6, 11},          // 12
    {240,  3,  0},          // 13
    {  0,  2,  0},          // 14
    {125,  1,  9},          // 15 tax flag
    {235,  1,  9},          // 16
    {191,  6,  9},          // 17 currency code
    {  0,  1,  9},          // 18
    {  0,  5,  9},          // 19
    {  0,  1,  0, "", "1"}, // 20
    {  0,  4,  9},          // 21
    {  0,  4,  9},          // 22
    {245, 27,  9},          // 23
    {  0,  3,  0},          // 24
    {140, 15,  9},          // 25 terms code
    {  0,  1,  9},          // 26
    {  0,  5, 15},          // 27
    {  0,  1,  9},          // 28
    {  0,  1,  9},          // 29
    {  0,  1,  9},          // 30
    {  0,  1,  9},          // 31
    {  0, 11, 15},          // 32
    {  0,  6, 11},          // 33
    {  0,  2,  9},          // 34
    {  0,  5, 12},          // 35
    {  0, 15,  9},          // 36
    {  0,  1,  9},          // 37
    {  0,  1,  9},          // 38
    {  0, 10,  9},          // 39
    {  0,  1,  9},          // 40
    {  0,  5, 15},          // 41
    {  0,  2, 12},          // 42
    {  0,  2,  9},          // 43
    {290, 13,  9},          // 44
    {  0,  1,  9},          // 45
    {  0,  1,  9},          // 46
    {  0,  8,  9},          // 47
    {  0, 10,  9},          // 48
    {  0, 40,  9},          // 49
    {  0,  8,  9},          // 50
    {  0, 10,  9},          // 51
    {  0, 40,  9},          // 52
});

// DataType 4: "V97" supplier line.
constexpr auto kRelease2Type4 = std::to_array<MapEntry>({
    {  0,  3,  9, "V97"},   //  1
    {200,  5, 12},          //  2
    {205, 28,  9},          //  3
    {210, 28,  9},          //  4
    {215, 28,  9},          //  5
    {  0,  6,  9},          //  6
    {220, 28,  9},          //  7
    {265, 20,  9},          //  8
    {266, 20,  9},          //  9
    {252, 28,  9},          // 10
    {  0,  4,  9},          // 11
    {  0,  2,  9},          // 12
    {125,  1,  9},          // 13 tax flag
    {235,  1,  9},          // 14
    {191,  6,  9},          // 15 currency code
    {  0,  1,  9},          // 16
    {  0,  5,  9},          // 17
    {  0,  4,  9},          // 18
    {  0, 10,  9},          // 19
    {  0,  4,  9},          // 20
    {245, 27,  9},          // 21
    {140, 15,  9},          // 22 terms code
    {  0,  1,  9},          // 23
    {  0,  1,  9},          // 24
    {  0, 11, 15},          // 25
    {  0,  6, 11},          // 26
    {  0,  1, 12},          // 27
    {  0, 15,  9},          // 28
    {  0,  1,  9},          // 29
    {  0,  1,  9},          // 30
    {  0,  2, 12},          // 31
    {  0,  1,  9},          // 32
    {  0,  2,  9},          // 33
    {290, 13,  9},          // 34
    {  0,  1,  9},          // 35
    {  0,  1,  9},          // 36
    {  0,  8,  9},          // 37
    {  0, 10,  9},          // 38
    {  0, 40,  9},          // 39
    {  0,  8,  9},          // 40
    {  0, 10,  9},          // 41
    {  0, 40,  9},          // 42
    {  0,  8,  9},          // 43
    {  0, 10,  9},          // 44
    {  0, 40,  9},          // 45
    {  0,  9,  9},          // 46
    {  0,  9,  9},          // 47
    {  0, 40,  9},          // 48
});

}  // namespace

MapTable Khk8Layout(int dataType, bool release2) {
  switch (dataType) {
    case 1: return release2 ? MapTable(kRelease2Type1) : MapTable(kStandardType1);
    case 2: return release2 ? MapTable(kRelease2Type2) : MapTable(kStandardType2);
    case 3: return release2 ? MapTable(kRelease2Type3) : MapTable(kStandardType3);
    case 4: return release2 ? MapTable(kRelease2Type4) : MapTable(kStandardType4);
    default: return {};
  }
}

// clang-format on
}  // namespace zeko
