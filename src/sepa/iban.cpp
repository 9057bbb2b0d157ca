#include "sepa/iban.h"

#include "lib/number.h"
#include "sepa/iban_countries.h"

namespace zeko {
namespace {

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLetter(char c) { return IsUpper(c) || (c >= 'a' && c <= 'z'); }
bool IsUpperOrDigit(char c) { return IsUpper(c) || IsDigit(c); }

bool AllOf(std::string_view text, bool (*fits)(char)) {
  for (char c : text)
    if (!fits(c)) return false;
  return true;
}

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

std::string Normalised(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text)
    if (c != ' ') result += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  return result;
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

std::string NormalisedIban(std::string_view text) { return Normalised(text); }
std::string NormalisedBic(std::string_view text) { return Normalised(text); }
std::string NormalisedCreditorId(std::string_view text) { return Normalised(text); }

IbanProblem CheckIban(std::string_view iban) {
  if (!AllOf(iban, IsUpperOrDigit)) return IbanProblem::kCharacters;
  const IbanCountry* country = iban.size() >= 2 ? FindIbanCountry(iban.substr(0, 2)) : nullptr;
  if (country == nullptr) return IbanProblem::kCountry;
  if (static_cast<int>(iban.size()) != country->length) return IbanProblem::kLength;
  if (!MatchesLayout(country->bban, iban.substr(4))) return IbanProblem::kStructure;
  // 00, 01, 99 leave the same remainders as 97, 98 and 02: the rule allows
  // only the latter.
  const std::string_view check = iban.substr(2, 2);
  if (!IsDigit(check[0]) || !IsDigit(check[1]) || check < "02" || check > "98" ||
      !ChecksMod97(iban.substr(4), iban.substr(0, 4)))
    return IbanProblem::kCheckDigits;
  return IbanProblem::kNone;
}

std::string IbanProblemText(IbanProblem problem, std::string_view iban) {
  switch (problem) {
    case IbanProblem::kNone: break;
    case IbanProblem::kCharacters: return "unzulässige Zeichen";
    case IbanProblem::kCountry: return "Land unbekannt";
    case IbanProblem::kLength: {
      const IbanCountry* country = FindIbanCountry(iban.substr(0, 2));
      if (country == nullptr) break;
      return std::string("Länge passt nicht zum Land (") + country->code + ": " +
             std::to_string(country->length) + ")";
    }
    case IbanProblem::kStructure: return "Aufbau passt nicht zum Land";
    case IbanProblem::kCheckDigits: return "Prüfziffern falsch";
  }
  return {};
}

bool IsValidIban(std::string_view iban) { return CheckIban(iban) == IbanProblem::kNone; }

std::optional<GermanAccount> GermanAccountOf(std::string_view iban) {
  if (iban.substr(0, 2) != "DE" || CheckIban(iban) != IbanProblem::kNone) return std::nullopt;
  return GermanAccount{std::string(iban.substr(4, 8)), std::string(iban.substr(12, 10))};
}

bool IsValidCreditorId(std::string_view text) {
  const std::string id = NormalisedCreditorId(text);
  if (id.size() < 8 || id.size() > 35) return false;
  if (!IsUpper(id[0]) || !IsUpper(id[1]) || !IsDigit(id[2]) || !IsDigit(id[3])) return false;
  if (!AllOf(std::string_view(id).substr(4), IsUpperOrDigit)) return false;
  if (id.compare(0, 2, "DE") == 0 && id.size() != 18) return false;
  return ChecksMod97(std::string_view(id).substr(7), std::string_view(id).substr(0, 4));
}

BicProblem CheckBic(std::string_view bic) {
  if (bic.size() != 8 && bic.size() != 11) return BicProblem::kLength;
  if (!AllOf(bic.substr(0, 4), IsUpper)) return BicProblem::kBank;
  if (!IsCountryCode(bic.substr(4, 2))) return BicProblem::kCountry;
  if (!AllOf(bic.substr(6, 2), IsUpperOrDigit)) return BicProblem::kLocation;
  if (!AllOf(bic.substr(8), IsUpperOrDigit)) return BicProblem::kBranch;
  return BicProblem::kNone;
}

std::string BicProblemText(BicProblem problem) {
  switch (problem) {
    case BicProblem::kNone: break;
    case BicProblem::kLength: return "Länge nicht 8 oder 11 Zeichen";
    case BicProblem::kBank: return "Bankkürzel nicht 4 Buchstaben";
    case BicProblem::kCountry: return "Land unbekannt";
    case BicProblem::kLocation: return "Ortskürzel nicht 2 Buchstaben oder Ziffern";
    case BicProblem::kBranch: return "Filialkürzel nicht 3 Buchstaben oder Ziffern";
  }
  return {};
}

bool IsValidBic(std::string_view bic) { return CheckBic(bic) == BicProblem::kNone; }

AccountIban IbanOf(std::string_view bankCode, std::string_view account) {
  AccountIban result;
  account = Trim(account);
  if (account.size() >= 2 && IsLetter(account[0]) && IsLetter(account[1])) {
    result.iban = NormalisedIban(account);
    result.ibanProblem = CheckIban(result.iban);
    if (result.ibanProblem != IbanProblem::kNone) result.problem = AccountProblem::kIban;
    return result;
  }
  bankCode = Trim(bankCode);
  if (bankCode.size() != 8 || !AllOf(bankCode, IsDigit)) {
    result.problem = AccountProblem::kBankCode;
    return result;
  }
  if (!AllOf(account, IsDigit)) {
    result.problem = AccountProblem::kAccount;
    return result;
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
