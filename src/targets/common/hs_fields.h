// Field rules that the HS and HS3 writers share.
#pragma once
#include <cstddef>
#include <cstring>

#include "lib/text.h"
#include "record/record.h"

namespace zeko::hs {

// Value buffer of record assembly: a field value (up to 999 characters) or
// an amount printed with six decimals.
inline constexpr std::size_t kValueRoom = 1024;
// Room of one held (consolidated) line.
inline constexpr std::size_t kHeldRoom = 2048;

// Copies text into a buffer of `room` bytes, cut to fit.
inline void CopyText(char* target, const char* source, std::size_t room = kValueRoom) {
  std::size_t n = strnlen(source, room - 1);
  std::memmove(target, source, n);
  target[n] = '\0';
}

// Tax code: blanks for 0, else "M" (outgoing: DataType 1, 2, 5) or "V"
// (incoming: DataType 3, 4) and two digits.
inline void FormatTaxCode(char* value, int dataType) {
  int n = AtoI(value);
  if (n == 0) {
    std::memcpy(value, "   ", 4);
    return;
  }
  value[0] = (dataType == 3 || dataType == 4) ? 'V' : 'M';
  FormatInt(value + 1, n, 2);
  fillnull(value);
}

// A number as two digits, zero-filled (5 gives 05).
inline void FormatTwoDigits(char* value) {
  FormatInt(value, AtoI(value), 2);
  fillnull(value);
}

// The two digits of the terms code at 0-based offset `at`; positions beyond
// the end of the code read as nothing, so a missing pair gives 0.
inline int TermsPair(const char* terms, std::size_t at) {
  return std::strlen(terms) > at ? ParseFixedInt(terms + at, 2) : 0;
}

}  // namespace zeko::hs
