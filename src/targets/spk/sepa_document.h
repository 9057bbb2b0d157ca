// One SEPA payment file: ISO 20022 pain.001.001.09 (credit transfers) or
// pain.008.001.08 (core direct debits), collected payment by payment and
// written whole, since the counts and sums come first in the document.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeko {

// A calendar day.
struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;

  // "TT.MM.JJJJ" (one-digit day and month allowed); false for anything
  // else or a day the calendar does not have.
  static bool ParseGerman(std::string_view text, CivilDate& date);
  std::string Iso() const;  // "YYYY-MM-DD"
  // The n-th business day of the euro payment system (TARGET) after this
  // day: no Saturday, Sunday, 1 January, Good Friday, Easter Monday,
  // 1 May, 25 and 26 December. n = 0 gives this day itself.
  CivilDate AddBusinessDays(int n) const;
  friend bool operator<(const CivilDate& a, const CivilDate& b) {
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    return a.day < b.day;
  }
};

// "12.50" for 1250 cents.
std::string FormatCents(std::int64_t cents);

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
  std::size_t count() const { return count_; }
  std::int64_t totalCents() const { return totalCents_; }
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
