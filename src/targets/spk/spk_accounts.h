// The accounts of the payments, checked against the bank data before
// anything is written, in the DTAUS file and the SEPA document alike: the
// bank code must be one the Bundesbank file has, and the account must pass
// its bank's check-digit method. A typo in an account is the most common
// payment error; the check digit exists to catch it before the money goes
// to a stranger.
#pragma once
#include <string>
#include <string_view>

#include "config/settings.h"
#include "sepa/bank_data.h"

namespace zeko {

// Where an account comes from, for the message: a record (from 1), or the
// configuration keys that set it.
struct AccountSource {
  long record = 0;
  const char* keys = nullptr;
};

class PaymentAccounts {
 public:
  // Loads the bank data (SPK_BANKDATEN, else the packaged file) unless
  // SPK_PRUEFUNG=0; a file that cannot be read ends the run.
  explicit PaymentAccounts(const Settings& settings);

  // bankCode and account as the host exports them: digits, blanks around
  // them, leading zeros optional (the caller has refused anything else).
  // whose: "" or " des Auftraggebers". A refused account ends the run.
  void Check(std::string_view bankCode, std::string_view account, AccountSource source,
             const char* whose);

  // The same for an IBAN that has passed its own checks: a German one's
  // bank code and account.
  void CheckIban(std::string_view iban, AccountSource source, const char* whose);

  bool on() const { return on_; }

 private:
  bool on_ = false;
  BankData data_;
};

}  // namespace zeko
