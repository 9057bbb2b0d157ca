// Text fields: the row's constant prefix and the value, blank-padded to the
// row's width, upper-cased or trimmed by the code.
#include <cstring>

#include "convert/conversions.h"
#include "lib/text.h"

namespace zeko {

void ConvertText(char* out, const MapEntry& row, const char* value, std::size_t length) {
  const std::size_t w = row.length;
  // Most rows have no constant, and many values are empty: each part is
  // copied only where it exists, and blanks fill what is left.
  const char* a = row.a ? row.a : "";
  std::size_t alen = 0;
  if (*a) {
    alen = strnlen(a, w);
    std::memcpy(out, a, alen);
  }
  const std::size_t room = w - alen;
  std::size_t n = 0;
  if (room > 0 && value && *value) {
    n = length == kUnmeasured ? strnlen(value, room) : (length < room ? length : room);
    std::memcpy(out + alen, value, n);
  }
  std::memset(out + alen + n, ' ', room - n);
  out[w] = '\0';
  if (row.type == kTextUpper) {
    for (std::size_t i = alen; i < w; ++i) out[i] = UpperAsciiChar(out[i]);
  } else if (row.type == kTextTrimmed) {
    std::size_t end = w;
    while (end > alen && out[end - 1] == ' ') --end;
    out[end] = '\0';
    for (std::size_t i = alen; i < end; ++i)
      if (out[i] == ',') out[i] = ' ';
  }
}

}  // namespace zeko
