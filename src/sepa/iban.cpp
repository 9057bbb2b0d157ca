#include "sepa/iban.h"

#include "lib/number.h"

namespace zeko {
namespace {

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLetter(char c) { return IsUpper(c) || (c >= 'a' && c <= 'z'); }

// IBAN lengths of the countries of the SEPA area. An IBAN of a country not
// listed here is checked by its check digits alone.
struct CountryLength {
  const char code[3];
  int length;
};
constexpr CountryLength kIbanLengths[] = {
    {"AD", 24}, {"AT", 20}, {"BE", 16}, {"BG", 22}, {"CH", 21}, {"CY", 28}, {"CZ", 24}, {"DE", 22},
    {"DK", 18}, {"EE", 20}, {"ES", 24}, {"FI", 18}, {"FR", 27}, {"GB", 22}, {"GI", 23}, {"GR", 27},
    {"HR", 21}, {"HU", 28}, {"IE", 22}, {"IS", 26}, {"IT", 27}, {"LI", 21}, {"LT", 20}, {"LU", 20},
    {"LV", 21}, {"MC", 27}, {"MT", 31}, {"NL", 18}, {"NO", 15}, {"PL", 28}, {"PT", 25}, {"RO", 24},
    {"SE", 24}, {"SI", 19}, {"SK", 24}, {"SM", 27}, {"VA", 22},
};

// The check of both identifiers: the part after the check, the country
// and the check digits, read as one number, leave 1 mod 97.
bool ChecksMod97(std::string_view rest, std::string_view countryAndCheck) {
  const int a = Mod97(rest);
  const int b = Mod97(countryAndCheck);
  if (a < 0 || b < 0) return false;
  // Appending the four characters of the country and check digits (each
  // letter two decimal digits) multiplies by 10^6.
  int scale = 1;
  for (int i = 0; i < 6; ++i) scale = scale * 10 % 97;
  return (a * scale + b) % 97 == 1;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

int Mod97(std::string_view text) {
  int rest = 0;
  for (char c : text) {
    if (IsDigit(c)) {
      rest = (rest * 10 + (c - '0')) % 97;
    } else if (IsUpper(c)) {
      rest = (rest * 100 + (c - 'A' + 10)) % 97;
    } else {
      return -1;
    }
  }
  return rest;
}

std::string GermanIban(std::string_view bankCode, std::string_view account) {
  std::string bban(bankCode);
  bban.append(10 - account.size(), '0');
  bban += account;
  const int check = 98 - (Mod97(bban + "DE00") % 97 + 97) % 97;
  std::string iban = "DE";
  iban += static_cast<char>('0' + check / 10);
  iban += static_cast<char>('0' + check % 10);
  return iban + bban;
}

bool IsValidIban(std::string_view iban) {
  if (iban.size() < 5 || iban.size() > 34) return false;
  if (!IsUpper(iban[0]) || !IsUpper(iban[1]) || !IsDigit(iban[2]) || !IsDigit(iban[3]))
    return false;
  for (char c : iban.substr(4))
    if (!IsDigit(c) && !IsUpper(c)) return false;
  for (const CountryLength& country : kIbanLengths)
    if (iban.substr(0, 2) == country.code && static_cast<int>(iban.size()) != country.length)
      return false;
  return ChecksMod97(iban.substr(4), iban.substr(0, 4));
}

bool IsValidCreditorId(std::string_view id) {
  if (id.size() < 8 || id.size() > 35) return false;
  if (!IsUpper(id[0]) || !IsUpper(id[1]) || !IsDigit(id[2]) || !IsDigit(id[3])) return false;
  for (char c : id.substr(4))
    if (!IsDigit(c) && !IsUpper(c)) return false;
  if (id.substr(0, 2) == "DE" && id.size() != 18) return false;
  return ChecksMod97(id.substr(7), id.substr(0, 4));
}

bool IsValidBic(std::string_view bic) {
  if (bic.size() != 8 && bic.size() != 11) return false;
  for (std::size_t i = 0; i < bic.size(); ++i) {
    const bool country = i == 4 || i == 5;
    if (country ? !IsUpper(bic[i]) : !(IsUpper(bic[i]) || IsDigit(bic[i]))) return false;
  }
  return true;
}

AccountIban IbanOf(std::string_view bankCode, std::string_view account) {
  AccountIban result;
  account = Trim(account);
  if (account.size() >= 2 && IsLetter(account[0]) && IsLetter(account[1])) {
    for (char c : account) {
      if (c == ' ') continue;
      result.iban += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (!IsValidIban(result.iban)) result.problem = AccountProblem::kIban;
    return result;
  }
  bankCode = Trim(bankCode);
  if (bankCode.size() != 8) {
    result.problem = AccountProblem::kBankCode;
    return result;
  }
  for (char c : bankCode) {
    if (!IsDigit(c)) {
      result.problem = AccountProblem::kBankCode;
      return result;
    }
  }
  for (char c : account) {
    if (!IsDigit(c)) {
      result.problem = AccountProblem::kAccount;
      return result;
    }
  }
  while (!account.empty() && account.front() == '0') account.remove_prefix(1);
  if (account.empty() || account.size() > 10) {
    result.problem = AccountProblem::kAccount;
    return result;
  }
  result.iban = GermanIban(bankCode, account);
  return result;
}

}  // namespace zeko
