#include "sepa/bank_data.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "lib/messages.h"
#include "lib/platform.h"

namespace zeko {
namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 text throughout zeko.
fs::path PathOf(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}
std::string TextOf(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Where Debian's library package puts the Bundesbank file it ships.
constexpr char kLibraryDataDir[] = "/usr/share/ktoblzcheck";

// Columns of the Bundesbank file (from 0).
constexpr std::size_t kBankCodeAt = 0;
constexpr std::size_t kMethodAt = 150;
constexpr std::size_t kShortestLine = kMethodAt + 2;

bool Digits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Eight digits as a number.
std::uint32_t CodeOf(std::string_view digits) {
  std::uint32_t code = 0;
  for (char c : digits) code = code * 10 + static_cast<std::uint32_t>(c - '0');
  return code;
}

std::uint16_t MethodCode(char a, char b) {
  return static_cast<std::uint16_t>((static_cast<unsigned char>(a) << 8) |
                                    static_cast<unsigned char>(b));
}

std::string GermanDate(int year, unsigned month, unsigned day) {
  char text[40];
  std::snprintf(text, sizeof text, "%02u.%02u.%04d", day, month, year);
  return text;
}

// "blz_20200420.txt" gives 20.04.2020: eight digits in the name that make a
// date of this century or the last one's end.
std::string DateInName(const std::string& name) {
  for (std::size_t i = 0; i + 8 <= name.size(); ++i) {
    const std::string_view digits(name.data() + i, 8);
    if (!Digits(digits) || (i > 0 && std::isdigit(static_cast<unsigned char>(name[i - 1]))) ||
        (i + 8 < name.size() && std::isdigit(static_cast<unsigned char>(name[i + 8]))))
      continue;
    const int year = std::stoi(std::string(digits.substr(0, 4)));
    const unsigned month = static_cast<unsigned>(std::stoi(std::string(digits.substr(4, 2))));
    const unsigned day = static_cast<unsigned>(std::stoi(std::string(digits.substr(6, 2))));
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                           std::chrono::day(day)};
    if (year >= 1990 && year < 2100 && date.ok()) return GermanDate(year, month, day);
  }
  return std::string();
}

std::string DateChanged(const std::string& path) {
  std::error_code error;
  const fs::file_time_type changed = fs::last_write_time(PathOf(path), error);
  if (error) return std::string();
  const auto days = std::chrono::floor<std::chrono::days>(std::chrono::file_clock::to_sys(changed));
  const std::chrono::year_month_day date{days};
  return GermanDate(static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                    static_cast<unsigned>(date.day()));
}

bool IsBankCodeFileName(const std::string& name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.size() > 8 && lower.compare(0, 4, "blz_") == 0 &&
         lower.compare(lower.size() - 4, 4, ".txt") == 0;
}

// The newest by the date in the name (JJJJMMTT sorts as text).
std::string NewestIn(const std::string& folder) {
  std::error_code error;
  fs::directory_iterator it(PathOf(folder), error);
  if (error) return std::string();
  std::string best, bestName;
  for (const fs::directory_entry& entry : it) {
    const std::string name = TextOf(entry.path().filename());
    if (!IsBankCodeFileName(name) || !entry.is_regular_file(error)) continue;
    if (name > bestName) {
      bestName = name;
      best = TextOf(entry.path());
    }
  }
  return best;
}

}  // namespace

std::string BankData::PackagedFile() {
  std::string file = NewestIn(ExecutableDir() + "bankdaten");
  if (file.empty()) file = NewestIn(kLibraryDataDir);
  return file;
}

BankData BankData::Load(const std::string& path, std::string& problem) {
  BankData data;
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) {
    problem = PathWhere(path, errno);
    return data;
  }
  std::string line;
  long number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::string_view view(line);
    const std::string_view method =
        view.size() >= kShortestLine ? view.substr(kMethodAt, 2) : std::string_view();
    if (!Digits(view.substr(kBankCodeAt, 8)) || method.size() != 2 ||
        !std::isalnum(static_cast<unsigned char>(method[0])) ||
        !std::isalnum(static_cast<unsigned char>(method[1]))) {
      problem = path + " (keine Bankleitzahlendatei der Bundesbank: Zeile " +
                std::to_string(number) + ")";
      data.methods_.clear();
      return data;
    }
    data.methods_.emplace_back(CodeOf(view.substr(kBankCodeAt, 8)),
                               MethodCode(method[0], method[1]));
  }
  if (in.bad() || data.methods_.empty()) {
    problem = path + (in.bad() ? " (nicht lesbar)" : " (keine Bankleitzahl darin)");
    data.methods_.clear();
    return data;
  }
  // A bank and its branches share one code and one method.
  std::sort(data.methods_.begin(), data.methods_.end());
  data.methods_.erase(std::unique(data.methods_.begin(), data.methods_.end(),
                                  [](const auto& a, const auto& b) { return a.first == b.first; }),
                      data.methods_.end());
  data.path_ = path;
  const std::string name = TextOf(PathOf(path).filename());
  data.date_ = DateInName(name);
  if (data.date_.empty()) data.date_ = DateChanged(path);
  return data;
}

AccountVerdict BankData::Check(std::string_view bankCode, std::string_view account) const {
  AccountVerdict verdict;
  if (bankCode.size() != 8 || !Digits(bankCode)) return verdict;
  const std::uint32_t code = CodeOf(bankCode);
  const auto it =
      std::lower_bound(methods_.begin(), methods_.end(), std::make_pair(code, std::uint16_t{0}));
  if (it == methods_.end() || it->first != code) return verdict;
  verdict.method[0] = static_cast<char>(it->second >> 8);
  verdict.method[1] = static_cast<char>(it->second & 0xFF);
  verdict.result = CheckAccountDigits(bankCode, account, verdict.method);
  return verdict;
}

}  // namespace zeko
