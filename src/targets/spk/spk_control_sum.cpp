#include "targets/spk/spk_control_sum.h"

#include <array>
#include <cmath>

#include "convert/convert.h"

namespace zeko {

namespace {

// Values up to this size go into the integer part whole; even a run of
// 10^20 such records stays far inside the 128-bit range.
constexpr double kWholeLimit = 1e18;

// Pads text (a number as printf prints it) on the left to width: blanks, or
// zeros behind the sign.
void Pad(std::string& out, const std::string& text, int width, bool zeroFill) {
  const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
  const std::size_t pad = text.size() < w ? w - text.size() : 0;
  out.clear();
  if (zeroFill) {
    std::size_t digits = 0;
    if (!text.empty() && text[0] == '-') {
      out += '-';
      digits = 1;
    }
    out.append(pad, '0');
    out.append(text, digits, std::string::npos);
  } else {
    out.append(pad, ' ');
    out += text;
  }
}

}  // namespace

void FormatDouble(std::string& out, double x, int width, int decimals, bool zeroFill) {
  std::string text;
  if (std::isnan(x)) {
    text = std::signbit(x) ? "-nan" : "nan";
    zeroFill = false;  // printf pads infinities and NaN with blanks only
  } else if (std::isinf(x)) {
    text = x < 0 ? "-inf" : "inf";
    zeroFill = false;
  } else {
    std::array<char, 400> buf;  // a double has at most 309 integer digits
    const std::size_t n = FormatFixed(buf.data(), x, 0, decimals);
    text.assign(buf.data(), n);
  }
  Pad(out, text, width, zeroFill);
}

void ControlSum::Reset() {
  whole_ = 0;
  rest_ = 0.0;
}

void ControlSum::Add(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= kWholeLimit) {
    rest_ += value;
    return;
  }
  const double whole = std::trunc(value);
  whole_ += static_cast<long long>(whole);
  rest_ += value - whole;  // exact: the fraction of a double is a double
}

void ControlSum::Format(std::string& out, int width, bool zeroFill) const {
  if (!std::isfinite(rest_) || std::fabs(rest_) >= kWholeLimit) {
    // Beyond what a 64-bit whole can take over: the double decides anyway.
    FormatDouble(out, static_cast<double>(whole_) + rest_, width, 0, zeroFill);
    return;
  }
  const double restWhole = std::trunc(rest_);
  __int128 n = whole_ + static_cast<long long>(restWhole);
  const double fraction = rest_ - restWhole;  // in (-1, 1)
  // Round n + fraction to the nearest whole number, halves away from zero.
  bool negative;
  if (n > 0) {
    if (fraction >= 0.5)
      ++n;
    else if (fraction < -0.5)
      --n;
    negative = false;
  } else if (n < 0) {
    if (fraction <= -0.5)
      --n;
    else if (fraction > 0.5)
      ++n;
    negative = true;  // n + fraction < 0; a result of 0 prints as "-0"
  } else {
    if (fraction >= 0.5)
      n = 1;
    else if (fraction <= -0.5)
      n = -1;
    negative = fraction < 0;
  }
  unsigned __int128 magnitude =
      n < 0 ? -static_cast<unsigned __int128>(n) : static_cast<unsigned __int128>(n);
  std::array<char, 48> digits;
  std::size_t at = digits.size();
  do {
    digits[--at] = static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  std::string text;
  if (negative) text += '-';
  text.append(digits.data() + at, digits.size() - at);
  Pad(out, text, width, zeroFill);
}

}  // namespace zeko
