#include "targets/spk/spk_accounts.h"

#include <optional>

#include "lib/messages.h"
#include "lib/platform.h"
#include "sepa/iban.h"

namespace zeko {
namespace {

std::string_view Trimmed(std::string_view v) {
  while (!v.empty() && v.front() == ' ') v.remove_prefix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  return v;
}

}  // namespace

PaymentAccounts::PaymentAccounts(const Settings& settings) : on_(settings.spkPruefung) {
  if (!on_) return;
  const bool configured = !settings.spkBankdaten.empty();
  const std::string path = configured ? settings.spkBankdaten : BankData::PackagedFile();
  if (path.empty()) {
    Problem(std::string(msg::kNoBankData) +
            " (SPK_BANKDATEN=<Datei> nennt eine, SPK_PRUEFUNG=0 nur für Testdaten)");
    on_ = false;
    return;
  }
  std::string problem;
  data_ = BankData::Load(configured ? ResolvePath(path) : path, problem);
  if (!problem.empty()) {
    Problem(
        WithWhere(msg::kBankDataFile, problem + (configured ? ", Schlüssel SPK_BANKDATEN" : "")));
    on_ = false;
  }
}

void PaymentAccounts::Check(std::string_view bankCode, std::string_view account,
                            AccountSource source, const char* whose) {
  if (!on_) return;
  bankCode = Trimmed(bankCode);
  account = Trimmed(account);
  // Numbers are right-aligned with zeros in the bank's fields.
  char code[9] = "00000000";
  if (bankCode.size() <= 8) bankCode.copy(code + 8 - bankCode.size(), bankCode.size());
  while (!account.empty() && account.front() == '0') account.remove_prefix(1);
  // Built only for a message: the check itself runs once per payment.
  const auto shown = [&] {
    return (source.keys != nullptr ? std::string("Schlüssel ") + source.keys
                                   : "Satz " + std::to_string(source.record)) +
           ", Bankleitzahl" + whose + " " + ShownValue(bankCode) + ", Konto " + ShownValue(account);
  };
  if (account.empty()) {
    Problem(WithWhere(msg::kBadAccount, shown()) + " (Kontonummer fehlt)");
    return;
  }
  const AccountVerdict verdict = data_.Check(std::string_view(code, 8), account);
  switch (verdict.result) {
    // A method without a computation here is taken as it is: refusing
    // every account of such a bank would stop payments no check can doubt.
    case AccountCheck::kOk:
    case AccountCheck::kMethodUnknown: break;
    case AccountCheck::kUnknownBank:
      Problem(WithWhere(msg::kBadBankCode, shown()) + " (nicht in der Bankleitzahlendatei vom " +
              data_.date() + ")");
      break;
    case AccountCheck::kCheckDigit:
      Problem(WithWhere(msg::kBadAccount, shown()) + " (Prüfziffer falsch, Verfahren " +
              verdict.method + ")");
      break;
  }
}

void PaymentAccounts::CheckIban(std::string_view iban, AccountSource source, const char* whose) {
  if (!on_) return;
  if (const std::optional<GermanAccount> german = GermanAccountOf(iban))
    Check(german->bankCode, german->account, source, whose);
}

}  // namespace zeko
