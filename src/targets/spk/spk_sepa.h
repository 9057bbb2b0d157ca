// The SEPA form of the SPK payment file (SPK_FORMAT=SEPA): the payments that
// the DTAUS file would carry as C records, with the same amounts and purpose
// texts, as one pain.001 (SPK_KENNZEICHEN GK) or pain.008 (LK) document.
// Every payment is checked as it comes; the document is written at the end,
// so that a payment the bank could not take ends the run before anything
// is written.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "record/record.h"
#include "sepa/sepa_document.h"
#include "sepa/sepa_text.h"

namespace zeko {

class LineSink;
class PaymentAccounts;

// True for SPK_FORMAT=SEPA; false for DTAUS and when the key is not set.
// Any other value ends the run.
bool SpkSepaChosen(const Settings& settings);

class SpkSepa {
 public:
  // Checks the SEPA settings; a wrong one ends the run. `now` is the run's
  // time. Every German IBAN, given or formed, goes through `accounts`.
  SpkSepa(const Settings& settings, std::int64_t now, PaymentAccounts& accounts);

  // One payment: the whole cents and the purpose text (not upper-cased) of
  // its C record, the fields of its input record, and the originator's bank
  // code and account that the record carries. recordNumber (from 1) names
  // the record in messages. numbersTold: a bank code or account has been
  // told as no number; the payment is left out without telling it again.
  void Add(long long cents, std::string_view purpose, const Record& fields,
           const std::string& ownBankCode, const std::string& ownAccount, long recordNumber,
           bool numbersTold);

  // Ends the run when no payment came, before anything is written.
  void CheckNotEmpty() const;

  // Writes the document; diskNumber is the one the cover note will carry.
  void Write(LineSink& out, long long diskNumber) const;

 private:
  const Settings& settings_;
  std::int64_t now_;
  PaymentAccounts& accounts_;
  CodePage codePage_;       // of the host's texts (SPK_ZEICHENSATZ)
  std::string ownChecked_;  // the originator's IBAN last checked
  int mandateField_ = 310;
  long offered_ = 0;  // payments given to Add, taken or refused
  SepaHeader header_;
  SepaDocument document_;
};

}  // namespace zeko
