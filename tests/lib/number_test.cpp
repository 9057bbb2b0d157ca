#include "lib/number.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <random>
#include <string>

namespace zeko {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// The host's own spellings and the edges of the range; plain decimal numbers
// are compared with strtod below.
TEST(AtoF, SpellingsReadAsTheHostRuntimeReadsThem) {
  const struct {
    const char* text;
    double want;
  } cases[] = {
      {"--1", 0.0}, {"+-1", 0.0}, {"- 1", 0.0}, {"x12", 0.0},
      {"\xa0" "7", 0.0},  // a non-breaking space is no white space
      {" +1.5e3", 1500.0}, {"\t\n\v\f\r -2", -2.0}, {"1,5", 1.0}, {"12abc", 12.0},
      {"1.2.3", 1.2}, {" 1 2", 1.0}, {"0x1F", 0.0}, {"0X1f", 0.0}, {"0x1p3", 0.0}, {"inf", 0.0},
      {"-inf", 0.0}, {"INFINITY", 0.0}, {"nan", 0.0}, {"NaN(123)", 0.0}, {"1e", 1.0},
      {"1e+", 1.0}, {"1e-x", 1.0}, {"1.5d2", 150.0}, {"1.5D-1", 0.15}, {"1d", 1.0},
      {"1e99999999999999999999", kInf}, {"0.0000001e316", kInf}, {"0e99999", 0.0},
      {"10000e-330", 0.0},  // rounds to zero
      {"0.001e-322", 0.0}, {"4.9406564584124654e-324", 4.9406564584124654e-324},
      {"1.7976931348623157e308", 1.7976931348623157e308},
      {"3.14159265358979323846264338327950288419716939937510", 3.141592653589793},
      {"0.1000000000000000055511151231257827021181583404541015625", 0.1},
      {"9007199254740993", 9007199254740992.0}  // a tie: to even
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AtoF(c.text), c.want) << '"' << c.text << '"';
    EXPECT_EQ(AtoF(std::string_view(c.text)), c.want) << '"' << c.text << '"';
  }
}

TEST(AtoF, SignOfZeroAndViews) {
  EXPECT_TRUE(std::signbit(AtoF("-0")));
  EXPECT_TRUE(std::signbit(AtoF("-0.0e5")));
  EXPECT_FALSE(std::signbit(AtoF("-")));  // no number at all
  EXPECT_FALSE(std::signbit(AtoF("-x")));
  EXPECT_EQ(AtoF(static_cast<const char*>(nullptr)), 0.0);
  // A view ends the number where it ends, zero byte or not.
  EXPECT_EQ(AtoF(std::string_view("12345", 2)), 12.0);
  EXPECT_EQ(AtoF(std::string_view("1.5e3", 4)), 1.5);
  EXPECT_EQ(AtoF(std::string_view("1.5e3", 3)), 1.5);
  EXPECT_EQ(AtoF(std::string_view("-", 1)), 0.0);
}

// The C library's strtod in the "C" locale rounds correctly too; every
// decimal number without the host's own spellings must read the same.
TEST(AtoF, RandomDecimalsReadAsStrtod) {
  locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  ASSERT_NE(c, static_cast<locale_t>(0));
  std::mt19937_64 rng(20240611);
  auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int i = 0; i < 200000; ++i) {
    std::string s;
    if (below(3) == 0) s += below(2) ? "-" : "+";
    const int intDigits = below(4) == 0 ? below(40) : below(8);
    for (int k = 0; k < intDigits; ++k) s += static_cast<char>('0' + below(10));
    if (below(2)) {
      s += '.';
      const int fracDigits = below(4) == 0 ? below(40) : below(8);
      for (int k = 0; k < fracDigits; ++k) s += static_cast<char>('0' + below(10));
    }
    if (below(4) == 0) {
      s += below(2) ? 'e' : 'E';
      if (below(2)) s += below(2) ? "-" : "+";
      s += std::to_string(below(4) == 0 ? below(400) : below(30));
    }
    const double want = strtod_l(s.c_str(), nullptr, c);
    const double got = AtoF(s);
    ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << '"' << s << "\" " << got << " " << want;
  }
  freelocale(c);
}

TEST(AtoI, Spellings) {
  const struct {
    const char* text;
    int want;
  } cases[] = {
      {"", 0}, {"-", 0}, {"x1", 0}, {"- 1", 0}, {" 42x", 42}, {"\t-17", -17}, {"+5", 5},
      {"007", 7}, {"1.9", 1}, {"-1.9", -1}, {"1e5", 1}, {"0x1F", 0}, {"inf", 0}, {"1,5", 1},
      {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-2147483648", INT_MIN},
      {"-2147483649", INT_MIN}, {"99999999999999999999999", INT_MAX},
      {"-99999999999999999999999", INT_MIN}, {"00000000000000000000000000012", 12}
  };
  for (const auto& c : cases) EXPECT_EQ(AtoI(c.text), c.want) << '"' << c.text << '"';
  EXPECT_EQ(AtoI(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(AtoI(std::string_view("123", 2)), 12);
}

// What an export writes as a number, and all that only looks like one.
TEST(ReadDecimal, OnlyPlainDecimals) {
  const struct {
    const char* text;
    double value;
    int integerDigits;
    int decimals;
  } valid[] = {
      {"", 0, 0, 0},         {"   ", 0, 0, 0},       {"0", 0, 0, 0},         {"007", 7, 1, 0},
      {"  -12.50  ", -12.5, 2, 2}, {"+3", 3, 1, 0}, {"12.", 12, 2, 0},      {".5", 0.5, 0, 1},
      {"-0.05", -0.05, 0, 2}, {"1234567890123456789012345", 1234567890123456789012345.0, 25, 0},
  };
  for (const auto& c : valid) {
    const Decimal d = ReadDecimal(c.text);
    EXPECT_TRUE(d.valid) << '"' << c.text << '"';
    EXPECT_EQ(d.value, c.value) << '"' << c.text << '"';
    EXPECT_EQ(d.integerDigits, c.integerDigits) << '"' << c.text << '"';
    EXPECT_EQ(d.decimals, c.decimals) << '"' << c.text << '"';
  }
  for (const char* text : {"1.234,56", "12,34", "ABC", "inf", "nan", "0x1F", "-12.5xyz", "1e5", "1d5", "-",
                           ".", "+-1", "1.2.3", "1 2", "- 1", "\t1", "1\n"})
    EXPECT_FALSE(ReadDecimal(text).valid) << '"' << text << '"';
  EXPECT_FALSE(ReadDecimal(std::string_view("1\0", 2)).valid);  // a zero byte inside
  // The value is AtoF's to the bit, the sign of a zero included.
  std::mt19937_64 random(11);
  for (int i = 0; i < 20000; ++i) {
    std::string v = random() % 3 == 0 ? "-" : "";
    const int whole = static_cast<int>(random() % 22);
    for (int k = 0; k < whole; ++k) v.push_back(static_cast<char>('0' + random() % 10));
    if (random() % 2 == 0) {
      v.push_back('.');
      const int places = static_cast<int>(random() % 25);
      for (int k = 0; k < places; ++k) v.push_back(static_cast<char>('0' + random() % 10));
    }
    const Decimal d = ReadDecimal(v);
    if (!d.valid) continue;  // a lone sign or point
    ASSERT_EQ(std::bit_cast<std::uint64_t>(d.value), std::bit_cast<std::uint64_t>(AtoF(v))) << v;
  }
}

TEST(FormatFixed, Cases) {
  const struct {
    double x;
    int width, decimals;
    const char* want;
  } cases[] = {
      // Exact ties round away from zero.
      {0.5, 0, 0, "1"}, {2.5, 0, 0, "3"}, {-2.5, 0, 0, "-3"}, {0.125, 0, 2, "0.13"},
      {-0.125, 0, 2, "-0.13"}, {0.375, 6, 2, "  0.38"}, {99.5, 4, 0, " 100"},
      {999999.5, 0, 0, "1000000"}, {4503599627370495.5, 0, 0, "4503599627370496"},
      {0.0000005, 0, 6, "0.000000"},  // not a tie: the double lies below
      // Everything else as the nearest value.
      {9.995, 0, 2, "9.99"},  // the double lies below the half
      {1.005, 0, 2, "1.00"}, {0.49999999999999994, 0, 0, "0"}, {-0.4, 0, 0, "-0"},
      {-0.0, 0, 0, "-0"}, {-0.0, 5, 2, "-0.00"}, {0.0, 0, 6, "0.000000"}, {-0.001, 0, 2, "-0.00"},
      {5e-324, 0, 6, "0.000000"}, {0.07, 0, 19, "0.0700000000000000067"},
      {1e23, 0, 2, "99999999999999991611392.00"}, {9007199254740993.0, 0, 1, "9007199254740992.0"},
      {18446744073709551616.0, 0, 0, "18446744073709551616"},
      {1e15 + 0.3, 0, 6, "1000000000000000.250000"},
      {123456789.125, 0, 19, "123456789.1250000000000000000"},
      // Widths: at least that many characters, blanks in front; a negative
      // width pads behind.
      {-1234.5678, 12, 2, "    -1234.57"}, {12345.0, 3, 0, "12345"}, {-3.0, -5, 0, "-3   "},
      {42.0, -2, 0, "42"},
      // Not numbers.
      {kInf, 0, 6, "inf"}, {-kInf, 6, 2, "  -inf"},
      {std::numeric_limits<double>::quiet_NaN(), 0, 2, "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), 5, 2, " -nan"}
  };
  for (const auto& c : cases) {
    char out[512];
    std::memset(out, 'x', sizeof out);
    const std::size_t n = FormatFixed(out, c.x, c.width, c.decimals);
    EXPECT_STREQ(out, c.want) << c.x << " %" << c.width << "." << c.decimals << "f";
    EXPECT_EQ(n, std::strlen(c.want));
  }
  char out[512];
  const std::size_t n = FormatFixed(out, -1.7976931348623157e308, 0, kMaxFixedDecimals);
  EXPECT_EQ(n, 1 + 309 + 1 + 19u);
  EXPECT_LT(n, kFixedRoom);
  EXPECT_EQ(std::string(out, 6), "-17976");
}

// The C library's printf, except that exact ties go away from zero: the
// exact decimal expansion tells them apart.
std::string Expected(double x, int width, int decimals) {
  char exact[1200];
  std::snprintf(exact, sizeof exact, "%.1100f", std::fabs(x));
  const char* dot = std::strchr(exact, '.');
  const char* rest = dot + 1 + decimals;
  bool tie = *rest == '5';
  for (const char* p = rest + 1; tie && *p; ++p) tie = *p == '0';
  char printed[1300];
  if (!tie) {
    std::snprintf(printed, sizeof printed, "%*.*f", width, decimals, x);
    return printed;
  }
  std::string digits(exact, static_cast<std::size_t>(rest - exact));
  if (digits.back() == '.') digits.pop_back();
  std::size_t i = digits.size();
  for (;;) {
    if (i == 0) {
      digits.insert(digits.begin(), '1');
      break;
    }
    char& d = digits[--i];
    if (d == '.') continue;
    if (d != '9') {
      ++d;
      break;
    }
    d = '0';
  }
  if (std::signbit(x)) digits.insert(digits.begin(), '-');
  std::snprintf(printed, sizeof printed, "%*s", width, digits.c_str());
  return printed;
}

TEST(FormatFixed, RandomValuesAsPrintfWithTiesAwayFromZero) {
  std::mt19937_64 rng(7);
  auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  int ties = 0;
  for (int i = 0; i < 100000; ++i) {
    double x = 0;
    switch (below(6)) {
      case 0: {  // any finite double
        std::uint64_t bits = rng();
        std::memcpy(&x, &bits, sizeof x);
        if (!std::isfinite(x)) continue;
        break;
      }
      case 1:  // a binary fraction: ties galore
        x = std::ldexp(static_cast<double>(static_cast<std::int64_t>(rng() >> (11 + below(50)))),
                       -below(30));
        break;
      case 2:  // amounts as the host writes them, scaled as the converter does
        x = static_cast<double>(static_cast<std::int64_t>(rng() % 2000000001) - 1000000000) /
            (below(2) ? 100.0 : 1000.0) * (below(2) ? 100.0 : 1.0);
        break;
      case 3:
        x = (static_cast<double>(rng() >> 11) / 9007199254740992.0 - 0.5) *
            std::pow(10.0, below(30) - 8);
        break;
      case 4:  // halves of whole numbers and of cents
        x = (static_cast<double>(below(2000000)) - 1000000.0 + 0.5) / (below(2) ? 1.0 : 100.0);
        break;
      default:
        x = static_cast<double>(static_cast<std::int64_t>(rng())) * std::ldexp(1.0, below(40));
        break;
    }
    if (below(2)) x = -x;
    const int decimals = below(3) == 0 ? below(kMaxFixedDecimals + 1) : (below(2) ? 2 : 6);
    const int width = below(3) == 0 ? below(61) - 20 : 0;
    char out[512];
    FormatFixed(out, x, width, decimals);
    const std::string want = Expected(x, width, decimals);
    ASSERT_EQ(out, want) << x << " %" << width << "." << decimals << "f";
    char printed[1300];
    std::snprintf(printed, sizeof printed, "%*.*f", width, decimals, x);
    if (want != printed) ++ties;
  }
  EXPECT_GT(ties, 300);  // the ties were exercised, not just the easy cases
}

TEST(FormatInt, AsPrintf) {
  const struct {
    long long n;
    int width, minDigits;
    const char* want;
  } cases[] = {
      {0, 0, 1, "0"}, {0, 0, 0, ""}, {0, 3, 0, "   "}, {-5, 3, 3, "-005"}, {12, -4, 1, "12  "},
      {LLONG_MIN, 0, 1, "-9223372036854775808"}
  };
  for (const auto& c : cases) {
    char out[64];
    const std::size_t n = FormatInt(out, c.n, c.width, c.minDigits);
    EXPECT_STREQ(out, c.want) << c.n;
    EXPECT_EQ(n, std::strlen(c.want));
  }
  std::mt19937_64 rng(11);
  for (int i = 0; i < 100000; ++i) {
    const long long n = static_cast<long long>(rng()) >> (rng() % 64);
    const int width = static_cast<int>(rng() % 51) - 25;
    const int minDigits = static_cast<int>(rng() % 25);
    char out[64], want[64];
    FormatInt(out, n, width, minDigits);
    std::snprintf(want, sizeof want, "%*.*lld", width, minDigits, n);
    ASSERT_STREQ(out, want) << n << " %" << width << "." << minDigits << "lld";
  }
}

}  // namespace
}  // namespace zeko
