#include "targets/generic/generic_field_rules.h"

#include <charconv>
#include <cstring>

#include "lib/number.h"
#include "targets/common/field_rules.h"

namespace zeko {

GenericValue::GenericValue(const Settings& settings)
    // A field value has at most 999 characters; the settings that replace
    // values may be longer.
    : buffer_(1024 + settings.mandant.size() + settings.anwender.size()) {}

void GenericValue::SetNumber(double x) {
  // The buffer always has room for the widest double.
  FormatFixed(buffer_.data(), x, 0, 6);
}

void GenericValue::SetInt(std::int64_t n) {
  auto result = std::to_chars(buffer_.data(), buffer_.data() + 32, n);
  *result.ptr = '\0';
}

GenericFieldRules::GenericFieldRules(const Settings& settings, Consolidation& groups)
    : s_(settings), groups_(groups) {
  splitText_.reserve(1024);
}

void GenericFieldRules::SplitField217(GenericValue& value, bool cutValue) {
  char* text = value.data();
  const std::size_t length = std::strlen(text);
  if (char* blank = PostcodeBlank(text)) {
    splitText_.assign(blank + 1, text + length);
    if (cutValue) *blank = '\0';
  } else {
    splitText_.assign(text, length);
  }
}

}  // namespace zeko
