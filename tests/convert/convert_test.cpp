// ConvertField by type code. The date layouts, the four-byte integer and the
// terms texts of whole exports are golden cases; here: each conversion rule
// and each value a row cannot take.
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

std::string Convert(unsigned type, unsigned width, const char* a, const char* value,
                    const Record& fields) {
  char out[512];
  std::memset(out, 'x', sizeof out);
  char buffer[1024] = {};
  if (value) std::strcpy(buffer, value);
  MapEntry row{1, width, type, a, ""};
  ConvertField(out, row, value ? buffer : nullptr, fields);
  return std::string(out, type == kBinary32 ? 4 : std::strlen(out));
}

// In a check each bad value gives its one problem, named with field and
// value, and the field shows 0 or no date instead; values that look alike
// but are good give none.
TEST(ConvertField, EveryRuleAndEveryRefusal) {
  const std::string n = msg::kBadNumber, longer = msg::kNumberTooLong,
                    precise = msg::kNumberTooPrecise, date = msg::kBadDate;
  const std::string digits400(400, '9');
  const struct {
    unsigned type;
    unsigned width;
    const char* a;
    const char* value;  // nullptr: absent
    std::string want;   // the field as written, up to its zero byte
    std::string problem = "";
  } cases[] = {
      // whole numbers, rounding halves away from zero
      {0, 5, "", "12.5", "   13"},
      {0, 5, "", "2.4999", "    2"},
      {0, 5, "100", "5", "  105"},
      {0, 5, "", nullptr, "    0"},
      {0, 10, "", "  -12.5 ", "       -13"},
      {0, 10, "", "   ", "         0"},
      {0, 10, "", ".5", "         1"},
      {0, 3, "", "-12", "-12"},
      {0, 20, "", "123456789012345", "     123456789012345"},
      {1, 6, "", "1.25", "    13"},
      {2, 8, "", "0.125", "      13"},
      {2, 13, "", "12345678901.23", "1234567890123"},
      {12, 6, "", "-42", "000-42"},
      {15, 10, "", "7", "      7.00"},
      {15, 10, "", "-0.125", "     -0.13"},
      {15, 10, "", "1.005", "      1.00"},  // 1.005 is below the half in binary
      {19, 4, "", "", "    "},
      {19, 4, "", "0.4", "0000"},
      {19, 4, "-12", "12", "    "},
      {21, 6, "", "-999.99", "199999"},
      {22, 10, "", "-7.125", "00000-7,13"},
      {25, 6, "", "-1.5", "-00150"},
      {25, 6, "", "1.5", "+00150"},
      {26, 6, "", "-1.5", "000150"},
      {27, 6, "", "-999.99", "99999-"},
      {27, 6, "", "1.5", "00150+"},
      {kBinary32, 4, "", "-2147483648", std::string("\0\0\0\x80", 4)},
      {30, 11, "", "1.1234567", "  1.1234567"},
      // texts
      {9, 6, "S", "12345678", "S12345"},
      {9, 3, "LONGPREFIX", "v", "LON"},
      {9, 4, "", nullptr, "    "},
      {10, 10, "P", "a,b,c  ", "Pa b c"},
      {10, 6, "", "   ", ""},
      {16, 8, "ab", "x\xe4yz", "abX\xe4YZ  "},
      // dates: two-digit years are 19YY; zeros throughout are no date
      {11, 6, "", " 1. 2.99", "010299"},
      {13, 8, "", "24.12.98", "19981224"},
      {13, 8, "", "00.00.00", "19000000"},
      {13, 8, "", "00.00.0000", "00000000"},
      {13, 8, "", "   ", "00000000"},
      {13, 8, "", "29.02.2000", "20000229"},
      // not numbers (ReadDecimal's own table has the rest)
      {0, 10, "", "1.234,56", "         0", n},
      {0, 10, "", "-12.5xyz", "         0", n},
      {0, 10, "", "-", "         0", n},
      {19, 4, "", "X", "    ", n},
      {25, 6, "", "12,50", "+00000", n},
      {30, 11, "", "1,5", "   0.000000", n},
      {kBinary32, 4, "", "ABC", std::string("\0\0\0\0", 4), n},
      // longer than the field holds
      {0, 3, "", "-123", "  0", longer},
      {0, 3, "", "999.5", "  0", longer},  // rounds to four digits
      {1, 3, "", "100", "  0", longer},
      {2, 13, "", digits400.c_str(), "            0", longer},
      {15, 6, "", "1000", "  0.00", longer},
      {22, 7, "", "-1000", "0000,00", longer},
      {12, 2, "", "-42", "00", longer},
      {19, 2, "", "100", "  ", longer},
      {21, 6, "", "1000", "000000", longer},  // the first character is the sign's
      {27, 6, "", "1000", "00000+", longer},
      {kBinary32, 4, "", "2147483648", std::string("\0\0\0\0", 4), longer},
      {kBinary32, 4, "", "123456789012345678", std::string("\0\0\0\0", 4), longer},
      {30, 8, "", "123456.5", "0.000000", longer},
      // more digits than a double carries
      {0, 20, "", "1234567890123456", "                   0", precise},
      {2, 20, "", "12345678901234.56", "                   0", precise},
      // no calendar dates
      {13, 8, "", "31.02.2026", "00000000", date},
      {13, 8, "", "2026-12-07", "00000000", date},
      {13, 8, "", "12.13.2026", "00000000", date},
      {13, 8, "", "29.02.00", "00000000", date},  // 1900
      {13, 8, "", "29.02.2100", "00000000", date},
      {13, 8, "", "00.12.2026", "00000000", date},
      {13, 8, "", "01.01.0000", "00000000", date},
      {11, 6, "", "01.02. 1999", "000000", date},
  };
  Record fields;
  SetRecordNumber(4);
  for (const auto& c : cases) {
    BeginCheck();
    const std::string got = Convert(c.type, c.width, c.a, c.value, fields);
    const std::vector<std::string> findings = Findings();
    EndCheck();
    const std::string value = c.value ? c.value : "(absent)";
    const std::string where = "code " + std::to_string(c.type) + " value \"" + value + "\"";
    EXPECT_EQ(got, c.want) << where;
    if (c.problem.empty()) {
      EXPECT_TRUE(findings.empty()) << where << ": " << (findings.empty() ? "" : findings[0]);
    } else {
      ASSERT_EQ(findings.size(), 1u) << where;
      EXPECT_EQ(findings[0], c.problem + ": Satz 4, Feld 001, Wert " + ShownValue(value)) << where;
    }
  }
  SetRecordNumber(0);
}

// Plain decimal texts are printed from their own digits rather than through
// a double; every number code must give exactly what the double gives. An
// addend of "-0" adds nothing to any double, -0.0 included, and takes the
// general way: the two must agree byte for byte, problems included.
TEST(ConvertField, PlainDecimalsAsThroughADouble) {
  // clang-format off
  std::vector<std::string> values = {
      "", "  ", "-", " +", "0", "-0", "+0", "-0.00", "007", " 12", "\t-3.5", "0.285", "-1.005",
      "12.50", "12.", "-.5", "12abc", "1.2.3", "12e2", "12d", "1 2", "999999999999999",
      "9999999999999.99", "99999999999999.9", "1234567890123456", "-0.01", "0000000000000012",
      "-4.35", "2.675", "-0.5", "2.500000", "-0.000000", "0.0000001", "1.0050",
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
  BeginCheck();
  for (const std::string& v : values) {
    for (unsigned code : codes) {
      for (unsigned width : {0u, 3u, 8u, 20u}) {
        const long before = FindingCount();
        const std::string viaPlain = Convert(code, width, "", v.c_str(), fields);
        const long plainProblems = FindingCount() - before;
        const std::string viaGeneral = Convert(code, width, "-0", v.c_str(), fields);
        ASSERT_EQ(viaPlain, viaGeneral)
            << "value \"" << v << "\" code " << code << " width " << width;
        ASSERT_EQ(plainProblems, FindingCount() - before - plainProblems)
            << "value \"" << v << "\" code " << code << " width " << width;
      }
    }
  }
  EndCheck();
}

TEST(ConvertField, SixDecimalsInHundredths) {
  Record fields;
  fields.Set(196, "100", 3, 0);
  const struct {
    const char* value;
    const char* want;
  } cases[] = {{"1234.5", "  12.345000"}, {"12.5", "   0.125000"}, {"-5", "  -0.050000"}};
  for (const auto& c : cases) EXPECT_EQ(Convert(30, 11, "", c.value, fields), c.want) << c.value;
}

TEST(ConvertField, InvalidCodesEndTheRun) {
  Record fields;
  for (unsigned code : {3u, 8u, 31u}) {
    EXPECT_EXIT(Convert(code, 4, "", "1", fields), ::testing::ExitedWithCode(1),
                "Fehler in Typenkonvertierung")
        << code;
  }
  char out[16];
  char date[] = "01.01.2001";
  EXPECT_EXIT(ConvertDate(17, out, date), ::testing::ExitedWithCode(1),
              "Fehler in Typenkonvertierung");
}

// The number behind a tag must be one, whole for N and S; a tag that is
// missing reads as 0 without a problem.
TEST(ReadTagged, ATagWithoutANumberIsAProblem) {
  BeginCheck();
  SetRecordNumber(7);
  EXPECT_EQ(ReadTaggedInt("N3X S10", 'N'), 0);
  EXPECT_EQ(ReadTaggedInt("N S10", 'N'), 0);
  EXPECT_EQ(ReadTaggedInt("N2.5", 'N'), 0);
  EXPECT_DOUBLE_EQ(ReadTaggedReal("P2,5"), 0.0);
  EXPECT_EQ(ReadTaggedInt("x", 'N'), 0);              // no problem
  EXPECT_EQ(ReadTaggedInt("n12s3p16.5", 'S'), 3);     // no problem
  EXPECT_EQ(ReadTaggedInt("N30 S10 P2.5", 'N'), 30);  // no problem
  ASSERT_EQ(Findings().size(), 4u);
  EXPECT_EQ(Findings()[0], "Keine gültige Zahl: Satz 7, Feld 139, Wert \"N3X S10\"");
  EndCheck();
  SetRecordNumber(0);
}

}  // namespace
}  // namespace zeko
