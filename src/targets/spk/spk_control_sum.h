// Control sum of the DTAUS E record over account numbers or bank codes.
#pragma once
#include <cstddef>
#include <string>

namespace zeko {

// The bank recomputes these sums from the C records to the last digit. A
// double stops counting in ones beyond 2^53, which a long run of ten-digit
// accounts reaches, so the whole parts are summed in a wide integer and
// only the fractions (and values too large for it) in a double. Wherever a
// double sum is exact, the result is the same as that double's.
class ControlSum {
 public:
  void Reset();
  void Add(double value);
  // The sum rounded to a whole number (halves away from zero) as
  // printf("%0*.0f") (zeroFill) or printf("%*.0f") prints it: at least
  // width characters, more when the number needs them.
  void Format(std::string& out, int width, bool zeroFill) const;

 private:
  __int128 whole_ = 0;
  double rest_ = 0.0;
};

// printf("%.0f") or ("%.2f") of x into out, padded to width with blanks or,
// for a finite x and zeroFill, with zeros after the sign. Rounds halves away
// from zero, independent of the C library and locale.
void FormatDouble(std::string& out, double x, int width, int decimals, bool zeroFill);

}  // namespace zeko
