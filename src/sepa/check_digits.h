// The check-digit methods of German accounts, by the two-character method
// code the Bundesbank file gives each bank code. Computed by libktoblzcheck,
// the library German banking programs use. zeko.exe is built without it
// (Debian offers no source of it to build for Windows): there every method
// counts as one the library does not have.
#pragma once
#include <string_view>

namespace zeko {

enum class AccountCheck {
  kOk,
  kUnknownBank,    // the bank code is in no line of the bank-code file
  kCheckDigit,     // the account fails its bank's method
  kMethodUnknown,  // no such method here: the account is taken unchecked
};

// bankCode: 8 digits; account: 1 to 10 digits; method: "09".
AccountCheck CheckAccountDigits(std::string_view bankCode, std::string_view account,
                                const char* method);

}  // namespace zeko
