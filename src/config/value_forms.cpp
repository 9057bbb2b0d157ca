// The forms a configuration value takes (text after the last or the first
// "=", a number in its range, a yes/no switch, a key's digit) and how a
// value that fits none of them is reported.
#include <string>
#include <string_view>

#include "config/config_reader.h"
#include "lib/messages.h"
#include "lib/number.h"

namespace zeko {

void ConfigReader::Syntax(std::string_view hint) const {
  Problem(WithWhere(msg::kConfigSyntax, Where()) + std::string(hint));
}

void ConfigReader::BadValue(std::string_view value, std::string_view hint) const {
  Problem(WithWhere(msg::kConfigValue, Where()) + ", Wert " + ShownValue(value) +
          std::string(hint));
}

void ConfigReader::BadKey(std::string_view hint) const {
  Problem(WithWhere(msg::kConfigKey, Where()) + std::string(hint));
}

bool ConfigReader::Last(std::string& value) const {
  std::size_t eq = line_.rfind('=');
  if (eq == std::string::npos) {
    Syntax();
    return false;
  }
  eq = line_.find_first_not_of(' ', eq + 1);
  value = eq == std::string::npos ? std::string() : line_.substr(eq);
  return true;
}

bool ConfigReader::First(std::string& value) const {
  std::size_t eq = line_.find('=');
  if (eq == std::string::npos) return false;
  eq = line_.find_first_not_of(' ', eq + 1);
  value = eq == std::string::npos ? std::string() : line_.substr(eq);
  return true;
}

void ConfigReader::SetFirst(std::string& target, std::size_t capacity) const {
  std::string v;
  if (!First(v)) return;
  if (v.size() > capacity) {
    BadValue(v, " (höchstens " + std::to_string(capacity) + " Zeichen)");
    return;
  }
  target = v;
}

bool ConfigReader::Number(long lo, long hi, int& target) const {
  std::string v;
  if (!Last(v)) return false;
  long n = 0;
  if (!ReadWhole(v, lo, hi, n)) {
    BadValue(v, Range(lo, hi));
    return false;
  }
  target = static_cast<int>(n);
  return true;
}

bool ConfigReader::Switch(bool& target) const {
  std::string v;
  if (!Last(v)) return false;
  if (!ReadSwitch(v, target)) {
    BadValue(v, kSwitchValues);
    return false;
  }
  return true;
}

int ConfigReader::Digit(std::size_t keyLen, int lo, int hi) const {
  const int d = keyLen < line_.size() ? line_[keyLen] - '0' : -1;
  if (d >= lo && d <= hi) return d;
  const std::string key = line_.substr(0, keyLen);
  BadKey(" (" + key + std::to_string(lo) + " bis " + key + std::to_string(hi) + ")");
  return -1;
}

std::string_view ConfigReader::Trimmed(std::string_view v) {
  while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
  return v;
}

bool ConfigReader::ReadWhole(std::string_view text, long lo, long hi, long& out) {
  text = Trimmed(text);
  if (text.find('.') != std::string_view::npos) return false;
  const Decimal d = ReadDecimal(text);
  if (!d.valid || d.value < static_cast<double>(lo) || d.value > static_cast<double>(hi))
    return false;
  out = static_cast<long>(d.value);
  return true;
}

bool ConfigReader::ReadSwitch(std::string_view text, bool& on) {
  text = Trimmed(text);
  if (text.empty() || text == "0" || text == "N" || text == "NEIN") {
    on = false;
    return true;
  }
  if (text == "1" || text == "J" || text == "JA") {
    on = true;
    return true;
  }
  return false;
}

std::string ConfigReader::Range(long lo, long hi) {
  return " (erlaubt: " + std::to_string(lo) + " bis " + std::to_string(hi) + ")";
}

}  // namespace zeko
