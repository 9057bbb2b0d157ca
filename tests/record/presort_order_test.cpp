// The fast presort order against the pairwise exchange sort it stands for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "record/presort.h"

namespace zeko {
namespace {

// The exchange sort literally: every pair once, exchanged when the first key
// is greater. Quadratic, so only for checking.
std::vector<std::size_t> ExchangeOrder(const std::vector<double>& keys) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    for (std::size_t j = i + 1; j < order.size(); ++j) {
      if (keys[order[i]] > keys[order[j]]) std::swap(order[i], order[j]);
    }
  }
  return order;
}

// Bit-level text of a key list for failure messages (-0 and NaN included).
std::string Describe(const std::vector<double>& keys) {
  std::string s;
  for (double k : keys) {
    if (!s.empty()) s += ' ';
    s += std::isnan(k) ? "nan" : (k == 0 && std::signbit(k)) ? "-0" : std::to_string(k);
  }
  return s;
}

void ExpectSameOrder(const std::vector<double>& keys) {
  ASSERT_EQ(PresortOrder(keys), ExchangeOrder(keys)) << "keys: " << Describe(keys);
}

// Calls check with every sequence of n digits below base (n when base is 0),
// for n from 1 to maxLength.
template <class Check>
void EverySequence(int maxLength, int base, Check check) {
  for (int n = 1; n <= maxLength; ++n) {
    std::vector<int> digits(n, 0);
    for (int i = 0; i >= 0;) {
      check(digits);
      for (i = n - 1; i >= 0 && digits[i] == (base ? base : n) - 1; --i) digits[i] = 0;
      if (i >= 0) ++digits[i];
    }
  }
}

// Every tie pattern: each sequence of n keys orders like exactly one sequence
// whose values are 0..m-1, all of them used (a weak order of n positions).
// Equal keys end in the exchange order: 2a, 2b, 1 end as 1, 2b, 2a.
TEST(PresortOrder, EveryTiePatternUpToLengthEight) {
  EXPECT_EQ(PresortOrder(std::vector<double>{2, 2, 1}), (std::vector<std::size_t>{2, 1, 0}));
  EXPECT_EQ(PresortOrder(std::vector<double>{}), std::vector<std::size_t>{});
  std::size_t checked = 0;
  EverySequence(8, 0, [&](const std::vector<int>& digits) {
    const int top = *std::max_element(digits.begin(), digits.end());
    for (int d = 0; d < top; ++d)
      if (std::find(digits.begin(), digits.end(), d) == digits.end()) return;
    ExpectSameOrder(std::vector<double>(digits.begin(), digits.end()));
    ++checked;
  });
  // The ordered Bell numbers 1, 3, 13, 75, 541, 4683, 47293, 545835.
  EXPECT_EQ(checked, 598444u);
}

// NaN keys never move, and -0 ties with +0.
TEST(PresortOrder, EveryPatternWithNaNAndSignedZeroUpToLengthSeven) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double alphabet[] = {nan, -0.0, 0.0, 1.0, -1.0, 2.0};
  EverySequence(7, 6, [&](const std::vector<int>& digits) {
    std::vector<double> keys;
    for (int d : digits) keys.push_back(alphabet[d]);
    ExpectSameOrder(keys);
  });
  EXPECT_EQ(PresortOrder(std::vector<double>{3, nan, 1}), (std::vector<std::size_t>{2, 1, 0}));
}

// Groups of the shapes that stress the rotations, at lengths the quadratic
// oracle still checks quickly.
TEST(PresortOrder, ManyRandomGroups) {
  std::mt19937_64 random(20240611);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  const double pool[] = {std::numeric_limits<double>::quiet_NaN(), -0.0, 0.0, 0.5, -2.0};
  for (int round = 0; round < 6000; ++round) {
    const std::size_t n = 2 + below(round < 5000 ? 40 : 700);
    std::vector<double> keys(n);
    double smaller = double(n);
    for (std::size_t i = 0; i < n; ++i) {
      switch (round % 8) {
        case 0: keys[i] = double(below(3)); break;                          // few distinct keys
        case 1: keys[i] = double(below(n * 4)); break;                      // many distinct keys
        case 2: keys[i] = double((n - i) / (1 + below(3))); break;          // descending, runs
        case 3: keys[i] = double(std::min(i, n - 1 - i) / 2); break;        // organ pipe
        case 4: keys[i] = (i % 2 ? 5.0 : 1.0) + (below(10) == 0); break;    // alternating
        case 5: keys[i] = below(2) ? 1000.0 : smaller--; break;             // one key between
        case 6: keys[i] = double(i / 3); break;                             // sorted, ties
        default: keys[i] = pool[below(5)]; break;                           // NaN, signed zeros
      }
    }
    ExpectSameOrder(keys);
  }
}

}  // namespace
}  // namespace zeko
