#include "sepa/check_digits.h"

#include <ktoblzcheck.h>

#include <iostream>
#include <string>

namespace zeko {
namespace {

// The library tells about a method it lacks, and about its own bank list
// that zeko does not give it, on std::cerr; zeko's messages go to stderr
// whole, and a method it lacks is the caller's to count.
class QuietLibrary {
 public:
  QuietLibrary() : kept_(std::cerr.rdbuf(nullptr)) {}
  ~QuietLibrary() {
    std::cerr.rdbuf(kept_);
    std::cerr.clear();
  }
  QuietLibrary(const QuietLibrary&) = delete;
  QuietLibrary& operator=(const QuietLibrary&) = delete;

 private:
  std::streambuf* kept_;
};

const AccountNumberCheck& Methods() {
  // An empty file name: the library's own bank list stays empty, the bank
  // codes are the Bundesbank file's.
  static const AccountNumberCheck* methods = [] {
    QuietLibrary quiet;
    return new AccountNumberCheck(std::string());
  }();
  return *methods;
}

}  // namespace

AccountCheck CheckAccountDigits(std::string_view bankCode, std::string_view account,
                                const char* method) {
  const AccountNumberCheck& methods = Methods();
  QuietLibrary quiet;
  switch (methods.check(std::string(bankCode), std::string(account), method)) {
    case AccountNumberCheck::OK: return AccountCheck::kOk;
    case AccountNumberCheck::UNKNOWN: return AccountCheck::kMethodUnknown;
    default: return AccountCheck::kCheckDigit;
  }
}

}  // namespace zeko
