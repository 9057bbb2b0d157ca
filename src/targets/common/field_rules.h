// Field rules that several targets share.
#pragma once
#include <array>
#include <cstring>
#include <string>

#include "config/settings.h"
#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/number.h"
#include "record/field_numbers.h"
#include "record/record.h"

namespace zeko {

// The currency code (WAEHRUNG0..9) that field 190 names, or nullptr: only a
// field 190 with some text names one (a blank one reads as number 0 like
// any other number), and numbers outside 0 to 9 or without a code name none.
inline const std::string* CurrencyCode(const Record& record, const Settings& settings) {
  const char* number = record.Value(fld::kCurrencyNumber);
  if (number[0] == '\0') return nullptr;
  const int n = FieldInt(fld::kCurrencyNumber, number);
  if (n < 0 || n > 9 || settings.currency[static_cast<std::size_t>(n)].empty()) return nullptr;
  return &settings.currency[static_cast<std::size_t>(n)];
}

// "12345 Town" with the postcode first: the blank that ends the postcode
// when one stands among the first nine characters; a longer first word is
// a town name. nullptr when there is none.
inline char* PostcodeBlank(char* value) {
  return static_cast<char*>(std::memchr(value, ' ', strnlen(value, 9)));
}

// "12345 Town" where a leading number is split off: the first blank when
// the text starts with a digit, else nullptr.
inline const char* NumberBlank(const char* value) {
  return value[0] >= '0' && value[0] <= '9' ? std::strchr(value, ' ') : nullptr;
}

// Row 217 of "12345 Town" (PostcodeBlank): the postcode stays, the town
// goes to `town` for row 220; without a postcode both show the whole text.
inline void SplitTownOff(char* value, std::array<char, kValueRoom>& town) {
  char* blank = PostcodeBlank(value);
  ReplaceValue(town.data(), town.size(), blank ? blank + 1 : value);
  if (blank) *blank = '\0';
}

// Row 220 of "12345 Town" (NumberBlank): the town stays, the leading number
// goes to `number` for row 217 (empty when there is none).
inline void SplitNumberOff(char* value, std::array<char, kValueRoom>& number) {
  number[0] = '\0';
  if (const char* blank = NumberBlank(value)) {
    const std::size_t length = static_cast<std::size_t>(blank - value);
    std::memcpy(number.data(), value, length);
    number[length] = '\0';
    std::memmove(value, blank + 1, std::strlen(blank + 1) + 1);
  }
}

}  // namespace zeko
