// German bank codes and the check digits of the accounts kept under them.
//
// The bank codes come from the file the Deutsche Bundesbank publishes
// ("Bankleitzahlendatei", fixed-width text, one line per bank or branch):
// bank code in columns 1-8, check-digit method in columns 151-152. One file,
// the one a user can replace with a newer one, decides which bank codes
// exist and which method each one's accounts follow.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sepa/check_digits.h"

namespace zeko {

struct AccountVerdict {
  AccountCheck result = AccountCheck::kUnknownBank;
  char method[3] = "";  // the bank's check-digit method, "09"
};

class BankData {
 public:
  // The newest blz_*.txt (by the date in its name) in the folder "bankdaten"
  // beside the program, else in the library's data folder; empty when
  // neither has one.
  static std::string PackagedFile();

  // Reads a Bundesbank file. On failure `problem` says why ("<path> (...)")
  // and the data is empty.
  static BankData Load(const std::string& path, std::string& problem);

  // bankCode: 8 digits; account: 1 to 10 digits, not all zero (the caller
  // has checked both).
  AccountVerdict Check(std::string_view bankCode, std::string_view account) const;

  const std::string& path() const { return path_; }
  // "TT.MM.JJJJ": the date in the file's name as the Bundesbank names it
  // (blz_JJJJMMTT.txt), else the day the file was last changed.
  const std::string& date() const { return date_; }

 private:
  std::string path_;
  std::string date_;
  // Bank code and method ("09" as 0x3039), sorted by bank code.
  std::vector<std::pair<std::uint32_t, std::uint16_t>> methods_;
};

}  // namespace zeko
