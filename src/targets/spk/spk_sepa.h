// The SEPA form of the SPK payment file (SPK_FORMAT=SEPA): the payments that
// the DTAUS file would carry as C records, with the same amounts and purpose
// texts, as one pain.001 (SPK_KENNZEICHEN GK) or pain.008 (LK) document.
// Every payment is checked as it comes; the document is written at the end,
// so that a payment the bank could not take ends the run before anything
// is written.
#pragma once
#include <cstdint>
#include <string>

#include "config/settings.h"
#include "record/record.h"
#include "targets/spk/sepa_document.h"

namespace zeko {

class OutputStream;

// True for SPK_FORMAT=SEPA; false for DTAUS and when the key is not set.
// Any other value ends the run.
bool SpkSepaChosen(const Settings& settings);

class SpkSepa {
 public:
  // Checks the SEPA settings; a wrong one ends the run. `now` is the run's
  // time; `euro` tells where the C record carries the amount.
  SpkSepa(const Settings& settings, bool euro, std::int64_t now);

  // One payment: its C record as built (not upper-cased), the fields of its
  // input record, and the originator's bank code and account that the
  // record carries. recordNumber (from 1) names the record in messages.
  // numbersTold: a bank code or account has been told as no number; the
  // payment is left out without telling it again.
  void Add(const char* record, const Record& fields, const std::string& ownBankCode,
           const std::string& ownAccount, long recordNumber, bool numbersTold);

  // Ends the run when no payment came, before anything is written.
  void CheckNotEmpty() const;

  // Writes the document; diskNumber is the one the cover note will carry.
  void Write(OutputStream& out, long long diskNumber) const;

 private:
  const Settings& settings_;
  bool euro_;
  std::int64_t now_;
  int mandateField_ = 310;
  long offered_ = 0;  // payments given to Add, taken or refused
  SepaHeader header_;
  SepaDocument document_;
};

}  // namespace zeko
