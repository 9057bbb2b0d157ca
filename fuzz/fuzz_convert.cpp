// Field conversion: one layout row (type code, width, addend text) and one
// value, converted into a buffer of exactly the room the callers leave, so
// that a byte written beyond it is caught. Also the date layouts, the
// fixed-point formatting of any double, and the tagged numbers of the
// payment terms.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/convert.h"
#include "fuzz_common.h"
#include "lib/platform.h"
#include "record/record.h"

using namespace zeko;

namespace {

// Splits the rest of the input at byte 0x01 into up to three texts.
void Split(std::string_view rest, std::string part[3]) {
  for (int i = 0; i < 3; ++i) {
    std::size_t at = rest.find('\x01');
    part[i] = std::string(rest.substr(0, at));
    // A text ends at its first zero byte, as every value of a record does.
    part[i].resize(std::strlen(part[i].c_str()));
    if (at == std::string_view::npos) {
      rest = {};
    } else {
      rest.remove_prefix(at + 1);
    }
  }
}

// A heap copy of exactly the text and its zero byte.
std::unique_ptr<char[]> Exact(const std::string& text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

bool IsDateCode(std::uint32_t type) {
  switch (type) {
    case 11: case 13: case 14: case 17: case 18: case 20: case 23: case 24: return true;
    default: return false;
  }
}

void CheckConvertField(std::uint32_t type, std::uint32_t length, const std::string& a,
                       const std::string& value, const std::string& field196) {
  auto table = std::make_unique<Record>();
  table->Set(196, field196, static_cast<std::uint32_t>(field196.size()), 0);
  const MapEntry row{115, length, type, a.c_str(), ""};
  const std::size_t room = FieldRoom(row);
  auto out = std::make_unique<char[]>(room);
  auto v = Exact(value);
  fuzz::ArmFatal();
  try {
    ConvertField(out.get(), row, v.get(), *table);
  } catch (const fuzz::FatalExit&) {
    return;  // "Fehler in Typenkonvertierung"
  }
  // The caller advances by the row's width: every other code fills exactly
  // that many characters (a trimmed text may stop short, a binary number
  // has its own four bytes, a date its layout's).
  if (IsDateCode(type) || type == 5) return;
  const std::size_t written = strnlen(out.get(), room);
  fuzz::Require(written < room, "a field without its zero byte");
  if (type == 10) {
    fuzz::Require(written <= length, "a trimmed text wider than its row");
  } else if (type == 27 && length == 0) {
    // The trailing sign has its place even in a row without width.
    fuzz::Require(written == 1, "a sign field not one character");
  } else {
    fuzz::Require(written == length, "a field not exactly its row's width");
  }
}

void CheckConvertDate(int layout, const std::string& date) {
  auto out = std::make_unique<char[]>(11);
  auto d = Exact(date);
  fuzz::ArmFatal();
  try {
    ConvertDate(layout, out.get(), d.get());
  } catch (const fuzz::FatalExit&) {
    return;
  }
  fuzz::Require(strnlen(out.get(), 11) <= 8, "a date wider than its layout");
}

void CheckFormatFixed(double x, int width, int decimals) {
  const std::size_t room = static_cast<std::size_t>(width) + 360;
  auto out = std::make_unique<char[]>(room);
  const std::size_t n = FormatFixed(out.get(), x, width, decimals);
  fuzz::Require(n < room && std::strlen(out.get()) == n, "FormatFixed's length is off");
  fuzz::Require(n >= static_cast<std::size_t>(width), "FormatFixed narrower than its width");
  if (!std::isfinite(x)) return;
  // Rounded to the places asked for: never further off than half a unit of
  // the last place (and the double's own precision).
  const double back = std::strtod(out.get(), nullptr);
  const double unit = std::pow(10.0, -decimals);
  fuzz::Require(std::fabs(back - x) <= unit / 2 + (std::fabs(x) + unit) * 1e-15,
                "FormatFixed rounded to the wrong value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 12) return 0;
  const std::uint32_t type = data[0] % 41;  // the valid codes and some beyond
  const std::uint32_t length = (data[1] | (data[2] << 8)) % 1100;
  const int layout = data[3] % 30;
  double x;
  std::memcpy(&x, data + 4, sizeof x);
  std::string part[3];
  Split(std::string_view(reinterpret_cast<const char*>(data + 12), size - 12), part);
  const std::string& value = part[0];
  const std::string& a = part[1];

  CheckConvertField(type, length, a, value, part[2]);
  CheckConvertDate(layout, value);
  // FormatFixed prints at most kMaxFixedDecimals places (the converter asks
  // for six at the most).
  CheckFormatFixed(x, data[1] % 120, data[2] % (kMaxFixedDecimals + 1));

  // A tag whose number is no number ends the run.
  fuzz::ArmFatal();
  try {
    const int tagged = ReadTaggedInt(value.c_str(), static_cast<char>(data[3]));
    (void)tagged;
    const double real = ReadTaggedReal(value.c_str());
    (void)real;
  } catch (const fuzz::FatalExit&) {
  }

  std::string oem = value;
  AnsiToOem(oem.data(), oem.size());
  fuzz::Require(oem.size() == value.size(), "the OEM conversion changed the length");
  return 0;
}
