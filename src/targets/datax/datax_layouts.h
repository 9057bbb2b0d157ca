// The five DATAX record layouts, one per import-format release.
//
// Each row: input field, width, conversion code. The position column is the
// 1-based byte position in the record. Field 0 is never filled by the
// reader, so its rows come out as blanks. Rows of width 0 write nothing and
// exist only for the terms derivation that runs when they are reached.
#pragma once
#include "convert/mapentry.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// RELEASE not 2, 3, 4 or 5: 15 rows, 180 bytes with CR LF.
inline constexpr MapEntry kDataxLayout[] = {
    // field len type       pos
    {205, 25, 9},      //   1
    {210, 25, 9},      //  26
    {215, 25, 9},      //  51
    {220, 25, 9},      //  76
    {105, 8, 13},      // 101
    {107, 2, 14},      // 109
    {100, 10, 9},      // 111
    {260, 5, 15},      // 121
    {115, 13, 15},     // 126  amount
    {120, 4, 0},       // 139
    {110, 5, 0},       // 143
    {180, 7, 9},       // 148
    {185, 7, 9},       // 155
    {150, 15, 9},      // 162
    {190, 2, 0},       // 177
};

// RELEASE 2: 18 rows, 232 bytes with CR LF.
inline constexpr MapEntry kDataxLayoutRelease2[] = {
    // field len type       pos
    {204, 30, 9},      //   1
    {205, 30, 9},      //  31
    {210, 30, 9},      //  61
    {215, 30, 9},      //  91
    {220, 30, 9},      // 121
    {105, 8, 13},      // 151
    {107, 2, 14},      // 159
    {100, 10, 9},      // 161
    {260, 5, 15},      // 171
    {115, 13, 15},     // 176  amount
    {120, 4, 0},       // 189
    {110, 5, 0},       // 193
    {180, 7, 9},       // 198
    {185, 7, 9},       // 205
    {150, 15, 9},      // 212
    {190, 2, 0},       // 227
    {140, 0, 9},       // 229  terms code
    {143, 2, 0},       // 229  net days
};

// RELEASE 3: 19 rows, 237 bytes with CR LF.
inline constexpr MapEntry kDataxLayoutRelease3[] = {
    // field len type       pos
    {204, 30, 9},      //   1
    {205, 30, 9},      //  31
    {210, 30, 9},      //  61
    {215, 30, 9},      //  91
    {220, 30, 9},      // 121
    {105, 8, 13},      // 151
    {107, 2, 14},      // 159
    {100, 10, 9},      // 161
    {260, 5, 15},      // 171
    {115, 13, 15},     // 176  amount
    {120, 7, 0},       // 189
    {110, 7, 0},       // 196
    {180, 7, 9},       // 203
    {185, 7, 9},       // 210
    {150, 15, 9},      // 217
    {190, 2, 0},       // 232
    {140, 0, 9},       // 234  terms code
    {139, 0, 9},       // 234  terms text
    {143, 2, 0},       // 234  net days
};

// RELEASE 4: 40 rows, 453 bytes with CR LF.
inline constexpr MapEntry kDataxLayoutRelease4[] = {
    // field len type       pos
    {204, 30, 9},      //   1
    {205, 30, 9},      //  31
    {210, 30, 9},      //  61
    {215, 30, 9},      //  91
    {220, 30, 9},      // 121
    {105, 8, 13},      // 151
    {107, 2, 14},      // 159
    {100, 10, 9},      // 161
    {260, 5, 15},      // 171
    {115, 13, 15},     // 176  amount
    {120, 7, 0},       // 189
    {110, 7, 0},       // 196
    {180, 7, 9},       // 203
    {185, 7, 9},       // 210
    {150, 15, 9},      // 217
    {190, 2, 0},       // 232
    {139, 0, 9},       // 234  terms text
    {143, 2, 0},       // 234  net days
    {142, 2, 0},       // 236  cash-discount days
    {141, 5, 15},      // 238  cash-discount percent
    {245, 10, 9},      // 243
    {0, 8, 9},         // 253  blanks
    {265, 20, 9},      // 261
    {266, 20, 9},      // 281
    {312, 25, 9},      // 301
    {305, 8, 9},       // 326
    {310, 11, 9},      // 334
    {501, 1, 9},       // 345
    {294, 1, 9},       // 346
    {290, 14, 9},      // 347
    {0, 2, 9},         // 361  blanks
    {0, 4, 9},         // 363  blanks
    {503, 1, 9},       // 367
    {0, 7, 9},         // 368  blanks
    {0, 13, 9},        // 375  blanks
    {507, 13, 9},      // 388
    {0, 1, 9},         // 401  blanks
    {504, 17, 9},      // 402
    {505, 20, 9},      // 419
    {506, 13, 15},     // 439
};

// RELEASE 5: 30 rows, 321 bytes with CR LF.
inline constexpr MapEntry kDataxLayoutRelease5[] = {
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
};

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

// clang-format on
}  // namespace zeko
