#include "convert/convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "record/record.h"

namespace zeko {
namespace {

struct Case {
  unsigned type;
  unsigned width;
  const char* a;
  const char* value;  // nullptr: absent
  const char* want;   // the field as written, up to its zero byte
};

std::string Convert(const Case& c, const Record& fields) {
  char out[512];
  std::memset(out, 'x', sizeof out);
  char value[256] = {};
  if (c.value) std::strcpy(value, c.value);
  MapEntry row{1, c.width, c.type, c.a, ""};
  ConvertField(out, row, c.value ? value : nullptr, fields);
  return std::string(out, c.type == 5 ? 4 : std::strlen(out));
}

TEST(ConvertField, EveryTypeCode) {
  const Case cases[] = {
      // whole numbers, rounding halves away from zero
      {0, 5, "", "12.5", "   13"},
      {0, 5, "", "-12.5", "  -13"},
      {0, 5, "", "-3", "   -3"},
      {0, 5, "", "2.4999", "    2"},
      {0, 5, "100", "5", "  105"},
      {0, 5, "", "", "    0"},
      {0, 5, "", nullptr, "    0"},
      {0, 5, "", "abc", "    0"},
      {0, 5, "", "  7xyz", "    7"},
      {0, 3, "", "123456", "123"},  // wider than its field: the first characters stay
      {1, 6, "", "1.25", "    13"},
      {2, 8, "", "12.34", "    1234"},
      {2, 8, "", "0.125", "      13"},
      {12, 6, "", "42", "000042"},
      {12, 6, "", "-42", "000-42"},
      {15, 10, "", "7", "      7.00"},
      {15, 10, "", "0.125", "      0.13"},
      {15, 10, "", "-0.125", "     -0.13"},
      {15, 10, "", "1.005", "      1.00"},  // 1.005 is below the half in binary
      {15, 10, "", "2.675", "      2.67"},
      {15, 6, "", "1e3", "1000.0"},
      {19, 4, "", "0", "    "},
      {19, 4, "", "", "    "},
      {19, 4, "", "0.4", "0000"},
      {19, 4, "", "12", "0012"},
      {19, 4, "-12", "12", "    "},
      {21, 6, "", "-1.5", "100150"},
      {21, 6, "", "1.5", "000150"},
      {22, 10, "", "7", "0000007,00"},
      {22, 10, "", "-7.125", "00000-7,13"},
      {25, 6, "", "-1.5", "-00150"},
      {25, 6, "", "1.5", "+00150"},
      {26, 6, "", "-1.5", "000150"},
      {27, 6, "", "-1.5", "00150-"},
      {27, 6, "", "1.5", "00150+"},
      // texts
      {9, 6, "S", "12345678", "S12345"},
      {9, 5, "ADR97", "", "ADR97"},
      {9, 5, "", "ab", "ab   "},
      {9, 3, "LONGPREFIX", "v", "LON"},
      {9, 4, "", nullptr, "    "},
      {10, 10, "P", "a,b,c  ", "Pa b c"},
      {10, 6, "", "   ", ""},
      {16, 8, "ab", "x\xe4yz", "abX\xe4YZ  "},
      // dates
      {11, 6, "", " 1. 2.99", "010299"},
      {11, 6, "", "24.12.2001", "241201"},
      {13, 8, "", "24.12.98", "19981224"},
      {13, 8, "", "24.12.2001", "20011224"},
      {13, 8, "", "", "00000000"},
      {13, 8, "", "2001-12-24", "2-241-20"},  // parts by position only
      {14, 2, "", "24.12.2001", "12"},
      {17, 4, "", "24.12.2001", "2412"},
      {18, 8, "", "24.12.2001", "24/12/01"},
      {20, 2, "", "24.12.2001", "01"},
      {23, 8, "", "24.12.98", "24121998"},
      {24, 4, "", "24.12.2001", "1201"},
      // six decimals, field 196 empty
      {30, 11, "", "3", "   3.000000"},
      {30, 11, "", "1234.5", "1234.500000"},
      {30, 11, "", "1.1234567", "  1.1234567"},
  };
  Record fields;
  for (const Case& c : cases)
    EXPECT_EQ(Convert(c, fields), c.want)
        << "code " << c.type << " value " << (c.value ? c.value : "(absent)");
}

// Plain decimal texts are printed from their own digits rather than through
// a double; every number code must give exactly what the double gives. An
// addend of "-0" adds nothing to any double, -0.0 included, and takes the
// general way: the two must agree byte for byte.
TEST(ConvertField, PlainDecimalsAsThroughADouble) {
  // clang-format off
  std::vector<std::string> values = {
      "", "  ", "-", " +", "0", "-0", "+0", "-0.00", "007", "12", "-12", " 12", "\t-3.5", "0.05",
      "0.285", "1.005", "-1.005", "12.5", "12.50", "12.", "-.5", "12abc", "1.2.3", "12e2", "12d",
      "1 2", "999999999999999", "9999999999999.99", "99999999999999.9", "123456789012345",
      "1234567890123456", "-0.01", "8719.62", "0000000000000012", "4.35", "-4.35", "1.15", "2.675",
      "0.5", "-0.5", "1.25", "2.500000", "-0.000000", "0.0000001", "1.0050",
      "12.3400000000000000000001"};
  // clang-format on
  std::mt19937_64 random(7);
  for (int i = 0; i < 3000; ++i) {
    std::string v = random() % 5 == 0 ? "-" : "";
    const int whole = 1 + static_cast<int>(random() % 14);
    for (int d = 0; d < whole; ++d) v.push_back(static_cast<char>('0' + random() % 10));
    if (random() % 3 != 0) {
      v.push_back('.');
      const int places = static_cast<int>(random() % 4);
      for (int d = 0; d < places; ++d) v.push_back(static_cast<char>('0' + random() % 10));
      // As the writers print computed values: six places.
      if (random() % 2 == 0) v.append(static_cast<std::size_t>(random() % 6), '0');
    }
    values.push_back(v);
  }
  // clang-format off
  const unsigned codes[] = {kNumber, kNumberTimes10, kNumberCents, kNumberZeroFilled,
                            kNumberTwoDecimals, kNumberZeroFilledBlankZero, kCentsAbsoluteMarked,
                            kDecimalComma, kCentsLeadingSign, kCentsAbsolute, kCentsTrailingSign};
  // clang-format on
  Record fields;
  for (const std::string& v : values) {
    for (unsigned code : codes) {
      for (unsigned width : {0u, 3u, 8u, 20u}) {
        const Case plain{code, width, "", v.c_str(), ""};
        const Case general{code, width, "-0", v.c_str(), ""};
        ASSERT_EQ(Convert(plain, fields), Convert(general, fields))
            << "value \"" << v << "\" code " << code << " width " << width;
      }
    }
  }
}

TEST(ConvertField, SixDecimalsInHundredths) {
  Record fields;
  fields.Set(196, "100", 3, 0);
  const Case cases[] = {
      {30, 11, "", "1234.5", "  12.345000"},  {30, 11, "", "1234", "  12.340000"},
      {30, 11, "", "12.5", "   0.125000"},    {30, 11, "", "5", "   0.050000"},
      {30, 11, "", "-1234.5", " -12.345000"}, {30, 11, "", "-5", "  -0.050000"},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(c, fields), c.want) << c.value;
}

TEST(ConvertField, FourByteInteger) {
  Record fields;
  EXPECT_EQ(Convert({5, 4, "2", "256", ""}, fields), std::string("\x02\x01\x00\x00", 4));
  EXPECT_EQ(Convert({5, 4, "", "-1", ""}, fields), std::string("\xff\xff\xff\xff", 4));
}

TEST(ConvertField, DateTurnsBlanksOfTheValueIntoZeros) {
  Record fields;
  char value[] = " 1. 2.99";
  char out[16];
  MapEntry row{105, 6, 11};
  ConvertField(out, row, value, fields);
  EXPECT_STREQ(value, "01.02.99");
}

TEST(ConvertField, InvalidCodesEndTheRun) {
  Record fields;
  for (unsigned code : {3u, 4u, 6u, 7u, 8u, 28u, 29u, 31u, 999u}) {
    EXPECT_EXIT(Convert({code, 4, "", "1", ""}, fields), ::testing::ExitedWithCode(1),
                "Fehler in Typenkonvertierung")
        << code;
  }
  char out[16];
  char date[] = "01.01.2001";
  EXPECT_EXIT(ConvertDate(17, out, date), ::testing::ExitedWithCode(1),
              "Fehler in Typenkonvertierung");
}

TEST(ConvertDate, AllLayouts) {
  const struct {
    int layout;
    const char* want;
  } cases[] = {{10, "24.12.01"}, {11, "241201"}, {12, "24/12/01"}, {13, "20011224"},
               {14, "12"},       {15, "2412"},   {16, "01"},       {18, "24122001"},
               {24, "1201"},     {25, "122001"}};
  for (const auto& c : cases) {
    char out[16];
    char date[] = "24.12.2001";
    ConvertDate(c.layout, out, date);
    EXPECT_STREQ(out, c.want) << c.layout;
  }
}

TEST(ReadTagged, Numbers) {
  EXPECT_EQ(ReadTaggedInt("n12s3p16.5", 'N'), 12);
  EXPECT_EQ(ReadTaggedInt("n12s3p16.5", 'S'), 3);
  EXPECT_DOUBLE_EQ(ReadTaggedReal("n12s3p16.5"), 16.5);
  EXPECT_EQ(ReadTaggedInt("x", 'N'), 0);
  EXPECT_DOUBLE_EQ(ReadTaggedReal(""), 0.0);
}

}  // namespace
}  // namespace zeko
