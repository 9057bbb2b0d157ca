// Account identifiers of the SEPA payment files: IBANs formed from a German
// bank code and account, and the check digits of IBANs and creditor
// identifiers (ISO 7064 mod 97-10).
#pragma once
#include <string>
#include <string_view>

namespace zeko {

// Remainder mod 97 of the number the text stands for when every letter A to
// Z counts as 10 to 35 and every digit as itself; -1 for any other character.
int Mod97(std::string_view text);

// "DE", the check digits, the 8-digit bank code and the account filled with
// zeros to 10 digits. The caller has checked both.
std::string GermanIban(std::string_view bankCode, std::string_view account);

// Two capital letters, two digits, 1 to 30 letters or digits, with the
// length of its country where that is known, and check digits that hold.
bool IsValidIban(std::string_view iban);

// Country, check digits, a 3-character business code that the check leaves
// out and the national identifier; German ones have 18 characters.
bool IsValidCreditorId(std::string_view id);

// Four letters or digits for the bank, two letters for the country, two
// letters or digits for the place, optionally three for the branch.
bool IsValidBic(std::string_view bic);

// The IBAN of one party, from a bank code and an account as the host
// exports them.
enum class AccountProblem { kNone, kBankCode, kAccount, kIban };
struct AccountIban {
  std::string iban;
  AccountProblem problem = AccountProblem::kNone;
};
// An account that already holds an IBAN (it starts with two letters; blanks
// between its groups and small letters are allowed) is taken as it is once
// it checks, and the bank code is then not needed. Otherwise the bank code
// must be 8 digits, and the account 1 to 10 digits (leading zeros not
// counted) that are not all zero; blanks around both are ignored.
AccountIban IbanOf(std::string_view bankCode, std::string_view account);

}  // namespace zeko
