// The terms text of field 139 ("N30 S10 P2.5"): the number behind each tag.
#include <string_view>

#include "convert/convert.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "lib/text.h"
#include "record/field_numbers.h"

namespace zeko {

namespace {

// The text behind the first occurrence of the tag letter, either case; the
// number there reads the same upper-cased or not.
const char* AfterTag(const char* text, char tag) {
  if (text == nullptr) return nullptr;
  const char upper = UpperAsciiChar(tag);
  for (; *text; ++text)
    if (UpperAsciiChar(*text) == upper) return text + 1;
  return nullptr;
}

// The number behind a tag runs to a blank, the next tag letter or the end
// ("N30 S10 P2.5", "n12s3p16.5"). It must be a number, whole for N and S:
// "N3X" or a tag with nothing behind it is a problem of the terms text,
// and (in a check) 0.
std::string_view TaggedNumber(const char* after) {
  std::size_t n = 0;
  while (after[n] != '\0' && after[n] != ' ') {
    const char c = UpperAsciiChar(after[n]);
    if (c == 'N' || c == 'S' || c == 'P') break;
    ++n;
  }
  return std::string_view(after, n);
}

double ReadTagged(const char* text, char tag, bool whole) {
  const char* after = AfterTag(text, tag);
  if (after == nullptr) return 0;
  const std::string_view number = TaggedNumber(after);
  const Decimal d = ReadDecimal(number);
  if (number.empty() || !d.valid || (whole && number.find('.') != std::string_view::npos) ||
      (whole && d.integerDigits > 9)) {
    ValueProblem(msg::kBadNumber, fld::kTermsText, text);
    return 0;
  }
  return d.value;
}

}  // namespace

int ReadTaggedInt(const char* text, char tag) {
  return static_cast<int>(ReadTagged(text, tag, true));
}

double ReadTaggedReal(const char* text) { return ReadTagged(text, 'P', false); }

}  // namespace zeko
