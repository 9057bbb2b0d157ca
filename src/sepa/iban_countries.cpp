#include "sepa/iban_countries.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace zeko {
namespace {

// Every country of the SWIFT IBAN registry (release 101, December 2025),
// sorted by code. Territories that use the IBANs of another country (the
// French overseas departments, Jersey, the Aland Islands and the like) have
// no entry of their own: their IBANs start with that country's code.
constexpr IbanCountry kIbanCountries[] = {
    {"AD", 24, "4!n4!n12!c"},           // Andorra
    {"AE", 23, "3!n16!n"},              // United Arab Emirates
    {"AL", 28, "8!n16!c"},              // Albania
    {"AT", 20, "5!n11!n"},              // Austria
    {"AZ", 28, "4!a20!c"},              // Azerbaijan
    {"BA", 20, "3!n3!n8!n2!n"},         // Bosnia and Herzegovina
    {"BE", 16, "3!n7!n2!n"},            // Belgium
    {"BG", 22, "4!a4!n2!n8!c"},         // Bulgaria
    {"BH", 22, "4!a14!c"},              // Bahrain
    {"BI", 27, "5!n5!n11!n2!n"},        // Burundi
    {"BR", 29, "8!n5!n10!n1!a1!c"},     // Brazil
    {"BY", 28, "4!c4!n16!c"},           // Belarus
    {"CH", 21, "5!n12!c"},              // Switzerland
    {"CR", 22, "4!n14!n"},              // Costa Rica
    {"CY", 28, "3!n5!n16!c"},           // Cyprus
    {"CZ", 24, "4!n6!n10!n"},           // Czechia
    {"DE", 22, "8!n10!n"},              // Germany
    {"DJ", 27, "5!n5!n11!n2!n"},        // Djibouti
    {"DK", 18, "4!n9!n1!n"},            // Denmark
    {"DO", 28, "4!c20!n"},              // Dominican Republic
    {"EE", 20, "2!n2!n11!n1!n"},        // Estonia
    {"EG", 29, "4!n4!n17!n"},           // Egypt
    {"ES", 24, "4!n4!n1!n1!n10!n"},     // Spain
    {"FI", 18, "3!n11!n"},              // Finland
    {"FK", 18, "2!a12!n"},              // Falkland Islands
    {"FO", 18, "4!n9!n1!n"},            // Faroe Islands
    {"FR", 27, "5!n5!n11!c2!n"},        // France
    {"GB", 22, "4!a6!n8!n"},            // United Kingdom
    {"GE", 22, "2!a16!n"},              // Georgia
    {"GI", 23, "4!a15!c"},              // Gibraltar
    {"GL", 18, "4!n9!n1!n"},            // Greenland
    {"GR", 27, "3!n4!n16!c"},           // Greece
    {"GT", 28, "4!c20!c"},              // Guatemala
    {"HN", 28, "4!a20!n"},              // Honduras
    {"HR", 21, "7!n10!n"},              // Croatia
    {"HU", 28, "3!n4!n1!n15!n1!n"},     // Hungary
    {"IE", 22, "4!a6!n8!n"},            // Ireland
    {"IL", 23, "3!n3!n13!n"},           // Israel
    {"IQ", 23, "4!a3!n12!n"},           // Iraq
    {"IS", 26, "4!n2!n6!n10!n"},        // Iceland
    {"IT", 27, "1!a5!n5!n12!c"},        // Italy
    {"JO", 30, "4!a4!n18!c"},           // Jordan
    {"KW", 30, "4!a22!c"},              // Kuwait
    {"KZ", 20, "3!n13!c"},              // Kazakhstan
    {"LB", 28, "4!n20!c"},              // Lebanon
    {"LC", 32, "4!a24!c"},              // Saint Lucia
    {"LI", 21, "5!n12!c"},              // Liechtenstein
    {"LT", 20, "5!n11!n"},              // Lithuania
    {"LU", 20, "3!n13!c"},              // Luxembourg
    {"LV", 21, "4!a13!c"},              // Latvia
    {"LY", 25, "3!n3!n15!n"},           // Libya
    {"MC", 27, "5!n5!n11!c2!n"},        // Monaco
    {"MD", 24, "2!c18!c"},              // Moldova
    {"ME", 22, "3!n13!n2!n"},           // Montenegro
    {"MK", 19, "3!n10!c2!n"},           // North Macedonia
    {"MN", 20, "4!n12!n"},              // Mongolia
    {"MR", 27, "5!n5!n11!n2!n"},        // Mauritania
    {"MT", 31, "4!a5!n18!c"},           // Malta
    {"MU", 30, "4!a2!n2!n12!n3!n3!a"},  // Mauritius
    {"NI", 28, "4!a20!n"},              // Nicaragua
    {"NL", 18, "4!a10!n"},              // Netherlands
    {"NO", 15, "4!n6!n1!n"},            // Norway
    {"OM", 23, "3!n16!c"},              // Oman
    {"PK", 24, "4!a16!c"},              // Pakistan
    {"PL", 28, "8!n16!n"},              // Poland
    {"PS", 29, "4!a21!c"},              // Palestine
    {"PT", 25, "4!n4!n11!n2!n"},        // Portugal
    {"QA", 29, "4!a21!c"},              // Qatar
    {"RO", 24, "4!a16!c"},              // Romania
    {"RS", 22, "3!n13!n2!n"},           // Serbia
    {"RU", 33, "9!n5!n15!c"},           // Russia
    {"SA", 24, "2!n18!c"},              // Saudi Arabia
    {"SC", 31, "4!a2!n2!n16!n3!a"},     // Seychelles
    {"SD", 18, "2!n12!n"},              // Sudan
    {"SE", 24, "3!n16!n1!n"},           // Sweden
    {"SI", 19, "5!n8!n2!n"},            // Slovenia
    {"SK", 24, "4!n6!n10!n"},           // Slovakia
    {"SM", 27, "1!a5!n5!n12!c"},        // San Marino
    {"SO", 23, "4!n3!n12!n"},           // Somalia
    {"ST", 25, "4!n4!n11!n2!n"},        // Sao Tome and Principe
    {"SV", 28, "4!a20!n"},              // El Salvador
    {"TL", 23, "3!n14!n2!n"},           // Timor-Leste
    {"TN", 24, "2!n3!n13!n2!n"},        // Tunisia
    {"TR", 26, "5!n1!n16!c"},           // Turkey
    {"UA", 29, "6!n19!c"},              // Ukraine
    {"VA", 22, "3!n15!n"},              // Vatican City State
    {"VG", 24, "4!a16!n"},              // British Virgin Islands
    {"XK", 20, "4!n10!n2!n"},           // Kosovo
    {"YE", 30, "4!a4!n18!c"},           // Yemen
};

// The assigned ISO 3166-1 alpha-2 codes, a line per first letter, and XK.
constexpr std::string_view kCountryCodes =
    "AD AE AF AG AI AL AM AO AQ AR AS AT AU AW AX AZ "
    "BA BB BD BE BF BG BH BI BJ BL BM BN BO BQ BR BS BT BV BW BY BZ "
    "CA CC CD CF CG CH CI CK CL CM CN CO CR CU CV CW CX CY CZ "
    "DE DJ DK DM DO DZ "
    "EC EE EG EH ER ES ET "
    "FI FJ FK FM FO FR "
    "GA GB GD GE GF GG GH GI GL GM GN GP GQ GR GS GT GU GW GY "
    "HK HM HN HR HT HU "
    "ID IE IL IM IN IO IQ IR IS IT "
    "JE JM JO JP "
    "KE KG KH KI KM KN KP KR KW KY KZ "
    "LA LB LC LI LK LR LS LT LU LV LY "
    "MA MC MD ME MF MG MH MK ML MM MN MO MP MQ MR MS MT MU MV MW MX MY MZ "
    "NA NC NE NF NG NI NL NO NP NR NU NZ "
    "OM "
    "PA PE PF PG PH PK PL PM PN PR PS PT PW PY "
    "QA "
    "RE RO RS RU RW "
    "SA SB SC SD SE SG SH SI SJ SK SL SM SN SO SR SS ST SV SX SY SZ "
    "TC TD TF TG TH TJ TK TL TM TN TO TR TT TV TW TZ "
    "UA UG UM US UY UZ "
    "VA VC VE VG VI VN VU "
    "WF WS "
    "XK "
    "YE YT "
    "ZA ZM ZW ";

constexpr bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

constexpr bool Fits(char kind, char c) {
  switch (kind) {
    case 'n': return IsDecimal(c);
    case 'a': return IsCapital(c);
    case 'c': return IsDecimal(c) || IsCapital(c);
    default: return false;
  }
}

// The number of characters a layout of fixed groups describes; -1 when it
// has a group that is not fixed or cannot be read.
constexpr int FixedLength(std::string_view layout) {
  int total = 0;
  std::size_t i = 0;
  while (i < layout.size()) {
    int count = 0;
    while (i < layout.size() && IsDecimal(layout[i])) count = count * 10 + (layout[i++] - '0');
    if (count == 0 || i + 1 >= layout.size() || layout[i] != '!') return -1;
    const char kind = layout[i + 1];
    if (kind != 'n' && kind != 'a' && kind != 'c') return -1;
    total += count;
    i += 2;
  }
  return total;
}

constexpr bool TableHolds() {
  std::string_view previous;
  for (const IbanCountry& country : kIbanCountries) {
    const std::string_view code(country.code, 2);
    if (!IsCapital(code[0]) || !IsCapital(code[1]) || country.code[2] != '\0') return false;
    if (!(previous < code)) return false;
    if (FixedLength(country.bban) != country.length - 4) return false;
    if (country.length > 34) return false;
    previous = code;
  }
  return true;
}
// A mistyped row (a layout that does not add up to its length, a code out
// of order) does not build.
static_assert(TableHolds());

constexpr bool CodesHold() {
  if (kCountryCodes.size() % 3 != 0) return false;
  std::string_view previous;
  for (std::size_t i = 0; i < kCountryCodes.size(); i += 3) {
    const std::string_view code = kCountryCodes.substr(i, 2);
    if (!IsCapital(code[0]) || !IsCapital(code[1]) || kCountryCodes[i + 2] != ' ') return false;
    if (!(previous < code)) return false;
    previous = code;
  }
  return true;
}
static_assert(CodesHold());

}  // namespace

const IbanCountry* FindIbanCountry(std::string_view code) {
  const auto* end = std::end(kIbanCountries);
  const auto* found =
      std::lower_bound(std::begin(kIbanCountries), end, code,
                       [](const IbanCountry& c, std::string_view v) { return c.code < v; });
  return found != end && found->code == code ? found : nullptr;
}

bool MatchesLayout(std::string_view layout, std::string_view text) {
  std::size_t i = 0;
  while (i < layout.size()) {
    std::size_t count = 0;
    while (i < layout.size() && IsDecimal(layout[i]) && count < 100)
      count = count * 10 + static_cast<std::size_t>(layout[i++] - '0');
    if (count == 0 || i + 1 >= layout.size() || layout[i] != '!' || count > text.size())
      return false;
    const char kind = layout[i + 1];
    for (std::size_t k = 0; k < count; ++k)
      if (!Fits(kind, text[k])) return false;
    text.remove_prefix(count);
    i += 2;
  }
  return text.empty();
}

bool IsCountryCode(std::string_view code) {
  if (code.size() != 2) return false;
  for (std::size_t i = 0; i < kCountryCodes.size(); i += 3)
    if (kCountryCodes.substr(i, 2) == code) return true;
  return false;
}

}  // namespace zeko
