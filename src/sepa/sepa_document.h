// One SEPA payment file: ISO 20022 pain.001.001.09 (credit transfers) or
// pain.008.001.08 (core direct debits), collected payment by payment and
// written whole, since the counts and sums come first in the document.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zeko {

enum class SepaMessage { kCreditTransfer, kDirectDebit };

// One payment, its texts already in the SEPA character set.
struct SepaPayment {
  std::int64_t cents = 0;  // positive
  std::string name;        // the other party
  std::string iban;        // the other party's account
  std::string endToEndId;  // handed on to the other party
  std::string remittance;  // may be empty
  std::string mandateId;   // direct debits
};

// What the whole document shares.
struct SepaHeader {
  SepaMessage message = SepaMessage::kCreditTransfer;
  std::string messageId;  // the payment blocks are named after it: "<id>-<n>"
  std::string created;    // ISO date and time
  std::string initiator;  // name of the party that hands the file in
  std::string date;       // requested execution or collection date (ISO)
  std::string bic;        // the own bank's BIC, or empty (IBAN only)
  // BtchBookg: one booking per block (true) or per payment (false); unset,
  // the bank's agreement with the customer decides and nothing is written.
  std::optional<bool> batchBooking;
  // Direct debits only.
  std::string creditorId;
  std::string mandateDate;  // ISO
  std::string sequence;     // FRST, RCUR, OOFF, FNAL
};

class SepaDocument {
 public:
  // Payments from or to one own account form one payment block; blocks
  // follow the order in which their accounts first appear.
  void Add(const std::string& ownIban, const std::string& ownName, SepaPayment payment);
  // Hands the document to `put` piece by piece (UTF-8, "\n" line ends).
  void Write(const SepaHeader& header, const std::function<void(const std::string&)>& put) const;

 private:
  struct Block {
    std::string iban;
    std::string name;
    std::int64_t cents = 0;
    std::vector<SepaPayment> payments;
  };
  std::vector<Block> blocks_;
  std::size_t count_ = 0;
  std::int64_t totalCents_ = 0;
};

}  // namespace zeko
