// IBANs from bank codes and accounts, and the checks of IBANs, BICs and
// creditor identifiers.
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
  const struct {
    AccountProblem problem;
    std::vector<std::pair<const char*, const char*>> inputs;  // bank code, account
  } invalid[] = {
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

TEST(IbanTest, CountryLengthLayoutAndCheckDigits) {
  const struct {
    const char* iban;
    IbanProblem problem;
  } cases[] = {
      {"DE89370400440532013000", IbanProblem::kNone},
      {"DE98370400440532013032", IbanProblem::kNone},  // the highest check digits
      {"DE02370400440532013014", IbanProblem::kNone},  // the lowest
      {"GB29NWBK60161331926819", IbanProblem::kNone},
      {"FR1420041010050500013M02606", IbanProblem::kNone},
      {"IT60X0542811101000000123456", IbanProblem::kNone},
      {"NO9386011117947", IbanProblem::kNone},
      {"MT84MALT011000012345MTLCAST001S", IbanProblem::kNone},
      {"BR1800360305000010009795493C1", IbanProblem::kNone},
      {"LC55HEMM000100010012001200023015", IbanProblem::kNone},
      {"XK051212012345678906", IbanProblem::kNone},
      {"YE15CBYE0001018861234567891234", IbanProblem::kNone},
      {"DE89-3704-0044-0532-01", IbanProblem::kCharacters},
      {"de89370400440532013000", IbanProblem::kCharacters},  // not normalised
      {"XX46370400440532013000", IbanProblem::kCountry},  // its check digits hold
      {"1289370400440532013000", IbanProblem::kCountry},
      {"", IbanProblem::kCountry},
      {"DE8937040044053201300", IbanProblem::kLength},
      {"DE893704004405320130000", IbanProblem::kLength},
      {"DE973704004405320130A0", IbanProblem::kStructure},  // check digits hold
      {"GB31WE5T12345698765432", IbanProblem::kStructure},  // a digit in the bank code
      {"DE88370400440532013000", IbanProblem::kCheckDigits},
      {"DE89370400440532013001", IbanProblem::kCheckDigits},
      {"DEAB370400440532013000", IbanProblem::kCheckDigits},
      // The same remainders as 98, 97 and 02, but no IBAN has them.
      {"DE01370400440532013032", IbanProblem::kCheckDigits},
      {"DE00370400440532013050", IbanProblem::kCheckDigits},
      {"DE99370400440532013014", IbanProblem::kCheckDigits},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckIban(c.iban), c.problem) << c.iban;
    const std::string_view iban = c.iban;
    if (iban.size() >= 2 && iban[0] >= 'A' && iban[0] <= 'Z') {
      const AccountIban account = IbanOf("37040044", iban);
      EXPECT_EQ(account.ibanProblem, c.problem) << iban;
      EXPECT_EQ(account.problem == AccountProblem::kNone, c.problem == IbanProblem::kNone);
    }
  }
  EXPECT_EQ(IbanProblemText(IbanProblem::kLength, "DE8937040044053201300"),
            "Länge passt nicht zum Land (DE: 22)");

  const auto german = GermanAccountOf("DE89370400440532013000");
  ASSERT_TRUE(german.has_value());
  EXPECT_EQ(german->bankCode, "37040044");
  EXPECT_EQ(german->account, "0532013000");
  for (const char* other : {"GB29NWBK60161331926819", "DE88370400440532013000", ""})
    EXPECT_FALSE(GermanAccountOf(other).has_value()) << other;
}

TEST(IbanTest, Bic) {
  const struct {
    const char* bic;
    BicProblem problem;
  } cases[] = {
      {"COBADEFFXXX", BicProblem::kNone},
      {"COBADEFF", BicProblem::kNone},
      {"COLSDE33", BicProblem::kNone},
      {"BKAUATWW", BicProblem::kNone},
      {"DEUTXKPR", BicProblem::kNone},  // Kosovo, as SWIFT writes it
      {"COBADEFF1", BicProblem::kLength},
      {"", BicProblem::kLength},
      {"C0BADEFF", BicProblem::kBank},
      {"COBAXXFF", BicProblem::kCountry},
      {"COBA1EFF", BicProblem::kCountry},
      {"COBAEUFF", BicProblem::kCountry},  // reserved, not a country
      {"cobadeff", BicProblem::kBank},     // not normalised
      {"COBADEF-", BicProblem::kLocation},
      {"COBADEFFXX-", BicProblem::kBranch},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckBic(c.bic), c.problem) << c.bic;
  EXPECT_EQ(NormalisedBic(" coba de ff xxx"), "COBADEFFXXX");
}

TEST(IbanTest, CreditorId) {
  const struct {
    const char* id;
    bool valid;
  } cases[] = {
      {"DE98ZZZ09999999999", true},  // the Bundesbank's example
      {"DE98ABC09999999999", true},  // the business code is not checked
      {"DE98 ZZZ 09999999999", true},  // as letters print it
      {"de98 zzz 0999 9999 999", true},
      {"DE97ZZZ09999999999", false},
      {"DE98ZZZ09999999998", false},
      {"DE98ZZZ0999999999", false},
      {"DE98ZZZ099999999990", false},
      {"DE98ZZZ0999999999X", false},
      {"DE98-ZZZ-09999999999", false},
      {"DEXXZZZ09999999999", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidCreditorId(c.id), c.valid) << c.id;
}

}  // namespace
}  // namespace zeko
