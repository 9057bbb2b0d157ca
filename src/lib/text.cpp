#include "lib/text.h"

#include <algorithm>
#include <cstring>

namespace zeko {

void UpperAscii(char* text) {
  for (; *text; ++text) *text = UpperAsciiChar(*text);
}

void UpperAscii(std::string& text) {
  for (char& c : text) c = UpperAsciiChar(c);
}

std::string UpperAsciiCopy(std::string_view text) {
  std::string s(text);
  UpperAscii(s);
  return s;
}

void rtrim(char* target, const char* source) {
  std::size_t n = std::strlen(source);
  while (n > 0 && source[n - 1] == ' ') --n;
  std::memmove(target, source, n);
  target[n] = '\0';
}

namespace {

// source in exactly width characters, blank-padded on the left (right-aligned)
// or on the right; a wider source keeps its first width characters.
void Bound(char* target, const char* source, int width, bool alignRight) {
  if (width <= 0) {
    if (width == 0) target[0] = '\0';
    return;
  }
  const std::size_t w = static_cast<std::size_t>(width);
  const std::size_t n = std::min(std::strlen(source), w);
  const std::size_t pad = w - n;
  std::memmove(alignRight ? target + pad : target, source, n);
  std::memset(alignRight ? target : target + n, ' ', pad);
  target[w] = '\0';
}

}  // namespace

void rightbound(char* target, const char* source, int width) {
  Bound(target, source, width, true);
}

void leftbound(char* target, const char* source, int width) {
  Bound(target, source, width, false);
}

void fillnull(char* text) {
  for (; *text; ++text)
    if (*text == ' ') *text = '0';
}

bool empty(const char* text) {
  if (!text) return true;
  for (; *text; ++text) {
    unsigned char c = static_cast<unsigned char>(*text);
    if (!(c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')) return false;
  }
  return true;
}

std::string hkpad(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text.remove_prefix(1);
    text.remove_suffix(1);
  }
  return std::string(text);
}

}  // namespace zeko
