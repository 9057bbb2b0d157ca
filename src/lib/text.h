// Text helpers of the record library: fixed-width placement, padding, trimming.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "lib/number.h"  // AtoI, AtoF

namespace zeko {

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
// Pointer to the last n characters (the whole text when it is shorter).
const char* right(const char* text, std::size_t n);
// The text part of a GENERIC field-definition line: the line end removed and
// one pair of enclosing double quotes taken off; blanks inside are kept.
std::string hkpad(std::string_view text);

}  // namespace zeko
