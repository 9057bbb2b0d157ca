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

TEST(PresortOrder, EqualKeysEndInTheExchangeOrder) {
  // Keys 2a, 2b, 1 end as 1, 2b, 2a.
  EXPECT_EQ(PresortOrder(std::vector<double>{2, 2, 1}), (std::vector<std::size_t>{2, 1, 0}));
  EXPECT_EQ(PresortOrder(std::vector<double>{}), std::vector<std::size_t>{});
  EXPECT_EQ(PresortOrder(std::vector<double>{7}), std::vector<std::size_t>{0});
}

// Every tie pattern: each sequence of n keys orders like exactly one sequence
// whose values are 0..m-1, all of them used (a weak order of n positions).
TEST(PresortOrder, EveryTiePatternUpToLengthEight) {
  std::size_t checked = 0;
  for (int n = 1; n <= 8; ++n) {
    std::vector<int> digits(n, 0);
    std::vector<double> keys(n);
    std::vector<bool> used(n);
    for (;;) {
      std::fill(used.begin(), used.end(), false);
      int top = 0;
      for (int d : digits) {
        used[d] = true;
        top = std::max(top, d);
      }
      if (std::all_of(used.begin(), used.begin() + top + 1, [](bool u) { return u; })) {
        for (int i = 0; i < n; ++i) keys[i] = digits[i];
        ExpectSameOrder(keys);
        ++checked;
      }
      int i = n - 1;
      while (i >= 0 && digits[i] == n - 1) digits[i--] = 0;
      if (i < 0) break;
      ++digits[i];
    }
  }
  // The ordered Bell numbers 1, 3, 13, 75, 541, 4683, 47293, 545835.
  EXPECT_EQ(checked, 598444u);
}

// NaN keys never move, and -0 ties with +0.
TEST(PresortOrder, EveryPatternWithNaNAndSignedZeroUpToLengthSeven) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double alphabet[] = {nan, -0.0, 0.0, 1.0, -1.0, 2.0};
  for (int n = 1; n <= 7; ++n) {
    std::vector<int> digits(n, 0);
    std::vector<double> keys(n);
    for (;;) {
      for (int i = 0; i < n; ++i) keys[i] = alphabet[digits[i]];
      ExpectSameOrder(keys);
      int i = n - 1;
      while (i >= 0 && digits[i] == 5) digits[i--] = 0;
      if (i < 0) break;
      ++digits[i];
    }
  }
  EXPECT_EQ(PresortOrder(std::vector<double>{3, nan, 1}), (std::vector<std::size_t>{2, 1, 0}));
}

// Groups of the shapes that stress the rotations, at lengths the quadratic
// oracle still checks quickly.
TEST(PresortOrder, ManyRandomGroups) {
  std::mt19937_64 random(20240611);
  auto below = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
  int groups = 0;
  for (int round = 0; round < 6000; ++round) {
    const std::size_t n = 2 + below(round < 5000 ? 40 : 700);
    std::vector<double> keys(n);
    switch (round % 8) {
      case 0:  // few distinct keys
        for (double& k : keys) k = double(below(3));
        break;
      case 1:  // many distinct keys
        for (double& k : keys) k = double(below(n * 4));
        break;
      case 2:  // descending, with runs of equal keys
        for (std::size_t i = 0; i < n; ++i) keys[i] = double((n - i) / (1 + below(3)));
        break;
      case 3:  // organ pipe
        for (std::size_t i = 0; i < n; ++i) keys[i] = double(std::min(i, n - 1 - i) / 2);
        break;
      case 4:  // alternating between two keys, sometimes a third
        for (std::size_t i = 0; i < n; ++i) keys[i] = (i % 2 ? 5.0 : 1.0) + (below(10) == 0);
        break;
      case 5: {  // one repeated key between descending smaller keys
        double smaller = double(n);
        for (std::size_t i = 0; i < n; ++i) keys[i] = below(2) ? 1000.0 : smaller--;
        break;
      }
      case 6:  // sorted already, with ties
        for (std::size_t i = 0; i < n; ++i) keys[i] = double(i / 3);
        break;
      default: {  // few keys with NaN and signed zeros among them
        const double pool[] = {std::numeric_limits<double>::quiet_NaN(), -0.0, 0.0, 0.5, -2.0};
        for (double& k : keys) k = pool[below(5)];
        break;
      }
    }
    ExpectSameOrder(keys);
    ++groups;
  }
  EXPECT_EQ(groups, 6000);
}

}  // namespace
}  // namespace zeko
