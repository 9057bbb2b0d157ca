// The countries an IBAN or a BIC may name: the IBAN countries with the
// length and account layout each one has registered, and the country codes
// a BIC may carry.
#pragma once
#include <string_view>

namespace zeko {

// One IBAN country. `bban` is the layout of everything after the country
// and the check digits, written as the IBAN registry writes it: groups of
// a length and a kind, "8!n10!n" for 8 digits then 10 digits. The kinds are
// n (digits), a (capital letters) and c (capital letters or digits); "!"
// makes a group exactly that long, which every registered group is.
struct IbanCountry {
  char code[3];
  int length;  // of the whole IBAN
  const char* bban;
};

// The IBAN country with this two-letter code, or nullptr.
const IbanCountry* FindIbanCountry(std::string_view code);

// Whether the text has the layout (see IbanCountry::bban). A layout that
// cannot be read, or has a group that is not fixed, matches nothing.
bool MatchesLayout(std::string_view layout, std::string_view text);

// Whether the two letters are an assigned country code (ISO 3166-1 alpha-2),
// or XK, which SWIFT uses for Kosovo.
bool IsCountryCode(std::string_view code);

}  // namespace zeko
