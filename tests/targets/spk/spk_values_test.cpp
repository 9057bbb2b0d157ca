// Payment values that cannot be what the DTAUS file needs end the run with
// the value named, before anything is written; values that are what it
// needs, in the forms an export writes them, pass.
#include <gtest/gtest.h>

#include <string>

#include "support/harness.h"

namespace zeko::test {
namespace {

const char* const kConfig =
    "TYP=SPK\nPATH=\nNAME1=SPK.DTA\nSPK_KENNZEICHEN=GK\nSPK_BLZ=37040044\n"
    "SPK_KUNDE=Muster GmbH\nSPK_KONTO=532013000\nSPK_REFERENZ=4711\nPROTPRINTER=note.txt\n";
const char* const kRecord =
    "010 1\n015 0\n105 15.03.2024\n155 C\n205 Hans Maier\n305 37050198\n310 123456\n"
    "330 51\n100 RE-4711\n115 12.5\n";

struct BadValue {
  const char* name;
  const char* extraConfig;  // lines that replace the configuration's
  const char* extraInput;   // fields that replace the record's, or "--" and a second record
  const char* message;      // the whole message; nullptr: the run passes
};

class SpkValueTest : public ::testing::TestWithParam<BadValue> {};

TEST_P(SpkValueTest, RefusedWithTheValueNamedOrPassed) {
  const BadValue& c = GetParam();
  TempDir work;
  WriteFile(work / "fibconf", std::string(kConfig) + c.extraConfig);
  WriteFile(work / "SPK.FRM", "Diskette: $C\r\n");
  WriteFile(work / "SPK.NUM", "41\r\n");
  WriteFile(work / "NOTE.TXT", "alt\r\n");
  WriteFile(work / "INPUT.$TM", EncodeRecords(std::string(kRecord) + c.extraInput));
  const RunResult r = RunZeko(work.path(), {"/CONFIG:./fibconf", "/TEMP:INPUT"});
  if (c.message == nullptr) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(work / "SPK.NUM"), "42\r\n");
    return;
  }
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, std::string(c.message) + "\n");
  EXPECT_FALSE(fs::exists(work / "SPK.DTA"));
  EXPECT_EQ(ReadFile(work / "NOTE.TXT"), "alt\r\n");
  EXPECT_EQ(ReadFile(work / "SPK.NUM"), "41\r\n");
}

const BadValue kValues[] = {
    // Bank codes and accounts: digits, blanks around them.
    {"BankCodeLetterO", "", "305 3705O198\n",
     "Keine gültige Bankleitzahl: Satz 1, Feld 305, Wert \"3705O198\""},
    {"BankCodeSign", "", "305 -37050198\n",
     "Keine gültige Bankleitzahl: Satz 1, Feld 305, Wert \"-37050198\""},
    {"BankCodeBlankInside", "", "305 3705 0198\n",
     "Keine gültige Bankleitzahl: Satz 1, Feld 305, Wert \"3705 0198\""},
    {"BankCodeNineDigits", "", "--\n305 370501981\n",
     "Bankleitzahl zu lang (höchstens 8 Stellen): Satz 2, Feld 305, Wert \"370501981\""},
    {"AccountPoint", "", "310 1234.56\n",
     "Keine gültige Kontonummer: Satz 1, Feld 310, Wert \"1234.56\""},
    {"AccountExponent", "", "310 12E4\n",
     "Keine gültige Kontonummer: Satz 1, Feld 310, Wert \"12E4\""},
    {"AccountElevenDigits", "", "310 12345678901\n",
     "Kontonummer zu lang (höchstens 10 Stellen): Satz 1, Feld 310, Wert \"12345678901\""},
    {"OwnBankCodeOfSecondRecord", "", "--\n340 3704OO44\n",
     "Keine gültige Bankleitzahl: Satz 2, Feld 340, Wert \"3704OO44\""},
    {"OwnAccountOfFirstRecord", "", "350 532O13000\n",
     "Keine gültige Kontonummer: Satz 1, Feld 350, Wert \"532O13000\""},
    {"ConfiguredBankCode", "SPK_BLZ=3704OO44\n", "",
     "Keine gültige Bankleitzahl: Schlüssel SPK_BLZ, Wert \"3704OO44\""},
    {"ConfiguredAccount", "SPK_KONTO=5320-13000\n", "",
     "Keine gültige Kontonummer: Schlüssel SPK_KONTO, Wert \"5320-13000\""},
    {"ConfiguredBankCodeTooLong", "SPK_BLZ=370400440\n", "",
     "Bankleitzahl des Auftraggebers zu lang (höchstens 8 Stellen): Schlüssel "
     "SPK_BLZ, Wert \"370400440\""},
    // Amounts: a decimal number above 0.
    {"AmountLetters", "", "115 ABC\n", "Keine gültige Zahl: Satz 1, Feld 115, Wert \"ABC\""},
    {"AmountComma", "", "115 12,50\n", "Keine gültige Zahl: Satz 1, Feld 115, Wert \"12,50\""},
    {"AmountTrailingText", "", "115 12.5 EUR\n",
     "Keine gültige Zahl: Satz 1, Feld 115, Wert \"12.5 EUR\""},
    {"AmountNegative", "", "115 -12.5\n",
     "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"-12.5\""},
    {"AmountZero", "", "--\n115 0.00\n",
     "Betrag muss größer als 0 sein: Satz 2, Feld 115, Wert \"0.00\""},
    {"AmountEmpty", "", "115 \n", "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"\""},
    {"AmountBelowOneCent", "", "115 0.004\n",
     "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"0.004\""},
    {"AmountTwelveDigits", "", "115 1000000000.00\n",
     "Betrag zu groß (höchstens 11 Stellen): Satz 1, Feld 115, Wert \"1000000000.00\""},
    // What an export writes and the file takes.
    {"BlanksAroundAndLeadingZeros", "SPK_BLZ= 37040044 \n",
     "305  37050198 \n310 0000123456\n340 \n350 00532013000\n115  12.50 \n", nullptr},
    {"EightAndTenDigits", "", "305 99999999\n310 9999999999\n115 999999999.99\n", nullptr},
    {"OneCent", "", "115 0.01\n", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Values, SpkValueTest, ::testing::ValuesIn(kValues),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeko::test
