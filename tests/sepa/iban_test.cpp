// IBANs from bank codes and accounts, and the check digits of IBANs,
// creditor identifiers and BICs.
#include <gtest/gtest.h>

#include <string_view>
#include <utility>
#include <vector>

#include "sepa/iban.h"

namespace zeko {
namespace {

TEST(IbanTest, FromBankCodeAndAccount) {
  const struct {
    const char* bankCode;
    const char* account;
    const char* iban;
  } valid[] = {
      {"37040044", "532013000", "DE89370400440532013000"},  // the example of the German banks
      {" 37040044 ", "0532013000 ", "DE89370400440532013000"},
      {"37040044", "00012345678", "DE84370400440012345678"},  // leading zeros do not count
      {"37050198", "123456", "DE46370501980000123456"},
      // An account that holds an IBAN is taken once it checks.
      {"x", "de89 3704 0044 0532 0130 00", "DE89370400440532013000"},
      {"", "GB82 WEST 1234 5698 7654 32", "GB82WEST12345698765432"},
  };
  for (const auto& c : valid) {
    const AccountIban result = IbanOf(c.bankCode, c.account);
    EXPECT_EQ(result.problem, AccountProblem::kNone) << c.account;
    EXPECT_EQ(result.iban, c.iban);
  }
  for (const char* iban :
       {"DE89370400440532013000", "NL91ABNA0417164300", "FR1420041010050500013M02606",
        "AT611904300234573201", "BE68539007547034", "CH9300762011623852957"})
    EXPECT_EQ(IbanOf("", iban).iban, iban);
  const struct {
    AccountProblem problem;
    std::vector<std::pair<const char*, const char*>> inputs;  // bank code, account
  } invalid[] = {
      {AccountProblem::kIban,
       {{"", "DE88370400440532013000"}, {"", "DE89370400440532013001"},
        {"", "DE8937040044053201300"}, {"", "DE89-3704-0044"}}},
      {AccountProblem::kBankCode,
       {{"3704004", "532013000"}, {"370400440", "532013000"}, {"3704004A", "532013000"},
        {"", "532013000"}}},
      {AccountProblem::kAccount,
       {{"37040044", ""}, {"37040044", "   "}, {"37040044", "0"}, {"37040044", "0000000000"},
        {"37040044", "12345678901"}, {"37040044", "532-013000"}, {"37040044", "A532013000"}}},
  };
  for (const auto& c : invalid)
    for (const auto& [bankCode, account] : c.inputs)
      EXPECT_EQ(IbanOf(bankCode, account).problem, c.problem) << bankCode << " " << account;
}

TEST(IdentifierTest, CheckDigitsAndForm) {
  const struct {
    bool (*check)(std::string_view);
    const char* text;
    bool valid;
  } cases[] = {
      {IsValidCreditorId, "DE98ZZZ09999999999", true},  // the Bundesbank's example
      {IsValidCreditorId, "DE98ABC09999999999", true},  // the business code is not checked
      {IsValidCreditorId, "DE97ZZZ09999999999", false},
      {IsValidCreditorId, "DE98ZZZ09999999998", false},
      {IsValidCreditorId, "DE98ZZZ0999999999", false},
      {IsValidCreditorId, "DE98ZZZ099999999990", false},
      {IsValidCreditorId, "DE98ZZZ0999999999X", false},
      {IsValidCreditorId, "DEXXZZZ09999999999", false},
      {IsValidCreditorId, "", false},
      {IsValidBic, "COBADEFFXXX", true},
      {IsValidBic, "COBADEFF", true},
      {IsValidBic, "COLSDE33", true},
      {IsValidBic, "COBADEFF1", false},
      {IsValidBic, "COBA1EFF", false},
      {IsValidBic, "cobadeff", false},
      {IsValidBic, "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.check(c.text), c.valid) << c.text;
}

}  // namespace
}  // namespace zeko
