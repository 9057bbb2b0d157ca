// Account identifiers of the SEPA payment files: IBANs formed from a German
// bank code and account or written out, BICs, and creditor identifiers,
// each checked as strictly as its own rules allow.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zeko {

// Remainder mod 97 of the number the text stands for when every letter A to
// Z counts as 10 to 35 and every digit as itself; -1 for any other character.
int Mod97(std::string_view text);

// "DE", the check digits, the 8-digit bank code and the account filled with
// zeros to 10 digits. The caller has checked both.
std::string GermanIban(std::string_view bankCode, std::string_view account);

// The text with its blanks taken out and small letters made capitals, the
// form in which IBANs, BICs and creditor identifiers are checked and
// written: people write them in groups ("DE89 3704 0044 ...").
std::string NormalisedIban(std::string_view text);
std::string NormalisedBic(std::string_view text);
std::string NormalisedCreditorId(std::string_view text);

// What is wrong with an IBAN (normalised), the first thing found in this
// order: a character other than A-Z and 0-9, a country without IBANs, a
// length other than the country's, a layout other than the country's (a
// letter in a German account), check digits that do not hold (or are not
// 02 to 98).
enum class IbanProblem { kNone, kCharacters, kCountry, kLength, kStructure, kCheckDigits };
IbanProblem CheckIban(std::string_view iban);
// The reason as a message names it, "Länge passt nicht zum Land (DE: 22)";
// empty for kNone.
std::string IbanProblemText(IbanProblem problem, std::string_view iban);
bool IsValidIban(std::string_view iban);  // CheckIban(iban) == kNone

// The bank code (8 digits) and account (10 digits, leading zeros kept) in a
// German IBAN that checks; nothing for any other IBAN.
struct GermanAccount {
  std::string bankCode;
  std::string account;
};
std::optional<GermanAccount> GermanAccountOf(std::string_view iban);

// Country, check digits, a 3-character business code that the check leaves
// out and the national identifier; German ones have 18 characters. Blanks
// and small letters are allowed (the identifier is normalised first).
bool IsValidCreditorId(std::string_view id);

// What is wrong with a BIC (normalised): not 8 or 11 characters, a bank
// code that is not 4 letters, a country that is not an assigned country
// code, a place that is not 2 letters or digits, a branch that is not 3.
enum class BicProblem { kNone, kLength, kBank, kCountry, kLocation, kBranch };
BicProblem CheckBic(std::string_view bic);
// The reason as a message names it, "Land unbekannt"; empty for kNone.
std::string BicProblemText(BicProblem problem);
bool IsValidBic(std::string_view bic);  // CheckBic(bic) == kNone

// The IBAN of one party, from a bank code and an account as the host
// exports them.
enum class AccountProblem { kNone, kBankCode, kAccount, kIban };
struct AccountIban {
  std::string iban;
  AccountProblem problem = AccountProblem::kNone;
  IbanProblem ibanProblem = IbanProblem::kNone;  // why, for kIban
};
// An account that already holds an IBAN (it starts with two letters) is
// normalised and taken once it checks, and the bank code is then not
// needed. Otherwise the bank code must be 8 digits, and the account 1 to 10
// digits (leading zeros not counted) that are not all zero; blanks around
// both are ignored.
AccountIban IbanOf(std::string_view bankCode, std::string_view account);

}  // namespace zeko
