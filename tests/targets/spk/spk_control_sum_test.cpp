// The E record's account and bank-code sums: exact beyond 2^53, and the
// same as the plain double sum wherever that one is exact.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "targets/spk/spk_control_sum.h"

namespace zeko {
namespace {

struct SumCase {
  std::vector<double> values;
  int width;
  bool zeroFill;
  const char* expected;
  bool doubleIsExact;  // the plain double sum has no rounding error
};

class ControlSumTest : public ::testing::TestWithParam<SumCase> {};

TEST_P(ControlSumTest, Formats) {
  const SumCase& c = GetParam();
  ControlSum sum;
  double plain = 0.0;
  for (double v : c.values) {
    sum.Add(v);
    plain += v;
  }
  std::string text;
  sum.Format(text, c.width, c.zeroFill);
  EXPECT_EQ(text, c.expected);
  if (c.doubleIsExact) {
    std::string viaDouble;
    FormatDouble(viaDouble, plain, c.width, 0, c.zeroFill);
    EXPECT_EQ(text, viaDouble);
  }
}

constexpr double k2p52plus1 = 4503599627370497.0;

INSTANTIATE_TEST_SUITE_P(
    Sums, ControlSumTest,
    ::testing::Values(
        SumCase{{}, 16, false, "               0", true},
        SumCase{{123456}, 17, true, "00000000000123456", true},
        SumCase{{37050198, 10020030, 50010517}, 16, false, "        97080745", true},
        SumCase{{k2p52plus1, k2p52plus1, k2p52plus1}, 17, true, "13510798882111491", false},
        SumCase{{k2p52plus1, k2p52plus1, k2p52plus1}, 16, false, "13510798882111491", false},
        SumCase{{0.5, 0.5}, 17, true, "00000000000000001", true},
        SumCase{{0.5}, 4, false, "   1", true},  // halves away from zero
        SumCase{{1.25, 2.25}, 3, true, "004", true},
        SumCase{{10, -0.7}, 3, true, "009", false},
        SumCase{{-10, 0.7}, 5, true, "-0009", false},
        SumCase{{-5}, 17, true, "-0000000000000005", true},
        SumCase{{-0.25}, 5, true, "-0000", true},
        SumCase{{-0.25}, 5, false, "   -0", true},
        // Beyond what a whole number of 64 bits holds the double decides.
        SumCase{{1e20, 1}, 0, false, "100000000000000000000", false},
        SumCase{{std::numeric_limits<double>::infinity()}, 5, true, "  inf", true}));

}  // namespace
}  // namespace zeko
