// Text helpers of the record library: fixed-width placement, padding, trimming.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "lib/number.h"  // AtoI, AtoF

namespace zeko {

// Copies n bytes, sizeof(Word) <= n <= 2 * sizeof(Word), as two words that
// overlap in the middle.
template <typename Word>
inline void CopyTwoWords(char* target, const char* source, std::size_t n) {
  Word head, tail;
  std::memcpy(&head, source, sizeof head);
  std::memcpy(&tail, source + n - sizeof tail, sizeof tail);
  std::memcpy(target, &head, sizeof head);
  std::memcpy(target + n - sizeof tail, &tail, sizeof tail);
}

// Copies n bytes as memcpy does. The fields of a line are a few bytes each:
// for them two overlapping word copies are quicker than the library's call.
inline void CopyShort(char* target, const char* source, std::size_t n) {
  if (n >= 16) {
    std::memcpy(target, source, n);
  } else if (n >= 8) {
    CopyTwoWords<std::uint64_t>(target, source, n);
  } else if (n >= 4) {
    CopyTwoWords<std::uint32_t>(target, source, n);
  } else if (n > 0) {
    target[0] = source[0];
    target[n / 2] = source[n / 2];
    target[n - 1] = source[n - 1];
  }
}

// n blanks, as memset does, for the padding of a field.
inline void FillBlanks(char* target, std::size_t n) {
  constexpr std::uint64_t kBlanks = 0x2020202020202020ull;
  if (n >= 8) {
    for (std::size_t at = 0; at + 8 < n; at += 8) std::memcpy(target + at, &kBlanks, 8);
    std::memcpy(target + n - 8, &kBlanks, 8);
  } else if (n >= 4) {
    std::memcpy(target, &kBlanks, 4);
    std::memcpy(target + n - 4, &kBlanks, 4);
  } else if (n > 0) {
    target[0] = target[n / 2] = target[n - 1] = ' ';
  }
}

// Upper-cases the ASCII letters a to z only; every other byte stays, so
// Windows-1252 umlauts pass through unchanged.
inline char UpperAsciiChar(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
void UpperAscii(char* text);
void UpperAscii(std::string& text);
std::string UpperAsciiCopy(std::string_view text);

// target = source without trailing blanks. target may equal source.
void rtrim(char* target, const char* source);
// source right-aligned in exactly width characters, blank-padded, terminated.
// A source wider than the field keeps its first width characters, the way
// every text of a record is cut at its field's width.
void rightbound(char* target, const char* source, int width);
// source left-aligned in exactly width characters, blank-padded, terminated.
void leftbound(char* target, const char* source, int width);
// Blanks become '0'.
void fillnull(char* text);
// True when the text is empty or holds only white space (line ends included).
bool empty(const char* text);
// The text part of a GENERIC field-definition line: the line end removed and
// one pair of enclosing double quotes taken off; blanks inside are kept.
std::string hkpad(std::string_view text);

}  // namespace zeko
