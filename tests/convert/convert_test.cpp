#include "convert/convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "lib/messages.h"
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
  char value[1024] = {};
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
      {0, 5, "", " 7 ", "    7"},
      {0, 3, "", "-12", "-12"},
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
      {13, 8, "", "00.00.00", "19000000"},  // no date, shown as it always was
      {13, 8, "", "29.02.2000", "20000229"},
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
  // Values that are no number, or too long for a field, must be problems on
  // both ways alike.
  BeginCheck();
  for (const std::string& v : values) {
    for (unsigned code : codes) {
      for (unsigned width : {0u, 3u, 8u, 20u}) {
        const Case plain{code, width, "", v.c_str(), ""};
        const Case general{code, width, "-0", v.c_str(), ""};
        const long before = FindingCount();
        const std::string viaPlain = Convert(plain, fields);
        const long plainProblems = FindingCount() - before;
        const std::string viaGeneral = Convert(general, fields);
        ASSERT_EQ(viaPlain, viaGeneral)
            << "value \"" << v << "\" code " << code << " width " << width;
        ASSERT_EQ(plainProblems, FindingCount() - before - plainProblems)
            << "value \"" << v << "\" code " << code << " width " << width;
      }
    }
  }
  EndCheck();
}

// Values a row cannot take: in a check each gives its one problem, named
// with field and value, and the field shows 0 or no date instead; values
// that look alike but are good give none.
TEST(ConvertField, BadValuesAreProblems) {
  const std::string n = msg::kBadNumber, longer = msg::kNumberTooLong,
                    precise = msg::kNumberTooPrecise, date = msg::kBadDate;
  const std::string digits30(30, '7'), digits400(400, '9');
  const struct {
    unsigned type;
    unsigned width;
    std::string value;
    std::string problem;  // empty: none
    std::string want;     // the field written
  } cases[] = {
      // not numbers
      {0, 10, "1.234,56", n, "         0"},
      {0, 10, "12,34", n, "         0"},
      {0, 10, "ABC", n, "         0"},
      {0, 10, "inf", n, "         0"},
      {0, 10, "0x1F", n, "         0"},
      {0, 10, "-12.5xyz", n, "         0"},
      {0, 10, "1e5", n, "         0"},
      {0, 10, "\t5", n, "         0"},
      {0, 10, "-", n, "         0"},
      {0, 10, "1 2", n, "         0"},
      {2, 8, "1.2.3", n, "       0"},
      {19, 4, "X", n, "    "},
      {25, 6, "12,50", n, "+00000"},
      {30, 11, "1,5", n, "   0.000000"},
      {5, 4, "ABC", n, std::string("\0\0\0\0", 4)},
      // good numbers
      {0, 10, "  -12.5 ", "", "       -13"},
      {0, 10, "", "", "         0"},
      {0, 10, "   ", "", "         0"},
      {0, 10, ".5", "", "         1"},
      {2, 13, "12345678901.23", "", "1234567890123"},
      {0, 20, "123456789012345", "", "     123456789012345"},
      {0, 3, "12.4999", "", " 12"},
      {21, 6, "-999.99", "", "199999"},
      {27, 6, "-999.99", "", "99999-"},
      {12, 3, "-42", "", "-42"},
      {5, 4, "-2147483648", "", std::string("\0\0\0\x80", 4)},
      // longer than the field holds
      {0, 3, "1234", longer, "  0"},
      {0, 3, "-123", longer, "  0"},
      {0, 3, "999.5", longer, "  0"},  // rounds to four digits
      {1, 3, "100", longer, "  0"},
      {2, 13, digits30, longer, "            0"},
      {2, 13, digits400, longer, "            0"},
      {15, 6, "1000", longer, "  0.00"},
      {22, 7, "-1000", longer, "0000,00"},
      {12, 2, "-42", longer, "00"},
      {19, 2, "100", longer, "  "},
      {21, 6, "1000", longer, "000000"},  // the first character is the sign's
      {25, 6, "-1000", longer, "+00000"},
      {26, 4, "100", longer, "0000"},
      {27, 6, "1000", longer, "00000+"},
      {5, 4, "2147483648", longer, std::string("\0\0\0\0", 4)},
      {5, 4, "123456789012345678", longer, std::string("\0\0\0\0", 4)},
      {30, 8, "123456.5", longer, "0.000000"},
      // more digits than a double carries
      {0, 20, "1234567890123456", precise, "                   0"},
      {2, 20, "12345678901234.56", precise, "                   0"},
      // dates
      {13, 8, "31.02.2026", date, "00000000"},
      {13, 8, "2026-12-07", date, "00000000"},
      {13, 8, "7.12.26", date, "00000000"},
      {13, 8, "32.01.2026", date, "00000000"},
      {13, 8, "12.13.2026", date, "00000000"},
      {13, 8, "ABCDEFGH", date, "00000000"},
      {13, 8, "29.02.00", date, "00000000"},  // 1900
      {13, 8, "29.02.2100", date, "00000000"},
      {13, 8, "00.12.2026", date, "00000000"},
      {13, 8, "01.01.0000", date, "00000000"},
      {13, 8, "01/02/2026", date, "00000000"},
      {11, 6, "01.02. 1999", date, "000000"},
      {13, 8, "29.02.2024", "", "20240229"},
      {13, 8, "29.02.96", "", "19960229"},
      {11, 6, " 1. 2.99", "", "010299"},
      {13, 8, "00.00.0000", "", "00000000"},
      {13, 8, "", "", "00000000"},
      {13, 8, "   ", "", "00000000"},
  };
  Record fields;
  SetRecordNumber(4);
  for (const auto& c : cases) {
    BeginCheck();
    const std::string got = Convert({c.type, c.width, "", c.value.c_str(), ""}, fields);
    const std::vector<std::string> findings = Findings();
    EndCheck();
    const std::string where = "code " + std::to_string(c.type) + " value \"" + c.value + "\"";
    EXPECT_EQ(got, c.want) << where;
    if (c.problem.empty()) {
      EXPECT_TRUE(findings.empty()) << where << ": " << (findings.empty() ? "" : findings[0]);
    } else {
      ASSERT_EQ(findings.size(), 1u) << where;
      EXPECT_EQ(findings[0], c.problem + ": Satz 4, Feld 001, Wert " + ShownValue(c.value))
          << where;
    }
  }
  SetRecordNumber(0);
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
  EXPECT_EQ(ReadTaggedInt("N30 S10 P2.5", 'S'), 10);
  EXPECT_DOUBLE_EQ(ReadTaggedReal("N30 S10 P2.5"), 2.5);
}

TEST(ReadTagged, ATagWithoutANumberIsAProblem) {
  BeginCheck();
  SetRecordNumber(7);
  EXPECT_EQ(ReadTaggedInt("N3X S10", 'N'), 0);
  EXPECT_EQ(ReadTaggedInt("N S10", 'N'), 0);
  EXPECT_EQ(ReadTaggedInt("N2.5", 'N'), 0);
  EXPECT_DOUBLE_EQ(ReadTaggedReal("P2,5"), 0.0);
  EXPECT_EQ(ReadTaggedInt("N30 S10 P2.5", 'N'), 30);  // no problem
  ASSERT_EQ(Findings().size(), 4u);
  EXPECT_EQ(Findings()[0], "Keine gültige Zahl: Satz 7, Feld 139, Wert \"N3X S10\"");
  EndCheck();
}

}  // namespace
}  // namespace zeko
