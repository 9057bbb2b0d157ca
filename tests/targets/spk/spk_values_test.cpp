// Payment values and settings that the payment file cannot take end the run
// with the value named, before anything is written, in the DTAUS file and
// in the SEPA document alike; values that it takes, in the forms an export
// writes them, pass.
#include <gtest/gtest.h>

#include <string>

#include "support/harness.h"

namespace zeko::test {
namespace {

const char* const kConfig =
    "TYP=SPK\nPATH=\nNAME1=SPK.DTA\nSPK_KENNZEICHEN=GK\nSPK_BLZ=37040044\n"
    "SPK_KUNDE=Muster GmbH\nSPK_KONTO=532013000\nSPK_REFERENZ=4711\nPROTPRINTER=note.txt\n"
    // Invented accounts: the bank-data check has golden cases of its own.
    "SPK_PRUEFUNG=0\n";
const char* const kCreditTransfers = "SPK_FORMAT=SEPA\n";
const char* const kDirectDebits =
    "SPK_FORMAT=SEPA\nSPK_KENNZEICHEN=LK\nSPK_GLAEUBIGERID=DE98ZZZ09999999999\n"
    "SPK_MANDATDATUM=01.02.2020\n";
const char* const kRecord =
    "010 1\n015 0\n105 15.03.2024\n155 C\n205 Hans Maier\n305 37050198\n310 123456\n"
    "330 51\n100 RE-4711\n115 12.5\n";

enum class Form { kDtaus, kCredit, kDebit };

struct BadValue {
  const char* name;
  Form form;
  const char* extraConfig;  // lines that replace the configuration's
  const char* extraInput;   // fields that replace the record's, or "--" and a second record
  const char* message;      // the whole message ("{TODAY}": ISO date); nullptr: the run passes
};

class SpkValueTest : public ::testing::TestWithParam<BadValue> {};

// A refused run writes nothing: no payment file, the earlier cover note
// and the diskette number stay.
TEST_P(SpkValueTest, RefusedWithTheValueNamedOrPassed) {
  const BadValue& c = GetParam();
  const char* form = c.form == Form::kCredit  ? kCreditTransfers
                     : c.form == Form::kDebit ? kDirectDebits
                                              : "";
  TempDir work;
  WriteFile(work / "fibconf", std::string(kConfig) + form + c.extraConfig);
  WriteFile(work / "SPK.FRM", "Diskette: $C\r\n");
  WriteFile(work / "SPK.NUM", "41\r\n");
  WriteFile(work / "NOTE.TXT", "alt\r\n");
  WriteFile(work / "INPUT.$TM", EncodeRecords(std::string(kRecord) + c.extraInput));
  const RunResult r = RunZeko(work.path(), {"/CONFIG:./fibconf", "/TEMP:INPUT"});
  if (c.message == nullptr) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(work / "SPK.NUM"), "42\r\n");
    EXPECT_EQ(ReadFile(work / "NOTE.TXT"), "Diskette: 42\r\n");
    return;
  }
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, Replace(c.message, "{TODAY}", TodayIso()) + "\n");
  EXPECT_FALSE(fs::exists(work / "SPK.DTA"));
  EXPECT_EQ(ReadFile(work / "NOTE.TXT"), "alt\r\n");
  EXPECT_EQ(ReadFile(work / "SPK.NUM"), "41\r\n");
  EXPECT_TRUE(fs::exists(work / "INPUT.$TM"));
}

// The plainest refusals are golden cases (tests/golden/spk).
const BadValue kValues[] = {
    // Bank codes and accounts: digits, blanks around them.
    {"BankCodeSign", Form::kDtaus, "", "305 -37050198\n",
     "Keine gültige Bankleitzahl: Satz 1, Feld 305, Wert \"-37050198\""},
    {"BankCodeBlankInside", Form::kCredit, "", "305 3705 0198\n",
     "Keine gültige Bankleitzahl: Satz 1, Feld 305, Wert \"3705 0198\""},
    {"AccountPoint", Form::kDtaus, "", "310 1234.56\n",
     "Keine gültige Kontonummer: Satz 1, Feld 310, Wert \"1234.56\""},
    {"AccountExponent", Form::kDtaus, "", "310 12E4\n",
     "Keine gültige Kontonummer: Satz 1, Feld 310, Wert \"12E4\""},
    {"OwnBankCodeOfSecondRecord", Form::kDtaus, "", "--\n340 3704OO44\n",
     "Keine gültige Bankleitzahl: Satz 2, Feld 340, Wert \"3704OO44\""},
    {"OwnAccountOfFirstRecord", Form::kDtaus, "", "350 532O13000\n",
     "Keine gültige Kontonummer: Satz 1, Feld 350, Wert \"532O13000\""},
    {"ConfiguredBankCode", Form::kDtaus, "SPK_BLZ=3704OO44\n", "",
     "Keine gültige Bankleitzahl: Schlüssel SPK_BLZ, Wert \"3704OO44\""},
    {"ConfiguredAccount", Form::kDtaus, "SPK_KONTO=5320-13000\n", "",
     "Keine gültige Kontonummer: Schlüssel SPK_KONTO, Wert \"5320-13000\""},
    {"ConfiguredBankCodeTooLong", Form::kDtaus, "SPK_BLZ=370400440\n", "",
     "Bankleitzahl des Auftraggebers zu lang (höchstens 8 Stellen): Schlüssel "
     "SPK_BLZ, Wert \"370400440\""},
    // A SEPA document takes IBANs, and accounts it can make one of.
    {"SepaAccountEmpty", Form::kCredit, "", "310 \n",
     "SEPA: Satz 1: Kontonummer \"\" ist leer, 0 oder keine Zahl mit höchstens 10 Ziffern"},
    {"SepaAccountZero", Form::kCredit, "", "310 0000\n",
     "SEPA: Satz 1: Kontonummer \"0000\" ist leer, 0 oder keine Zahl mit höchstens 10 Ziffern"},
    {"SepaAccountLong", Form::kCredit, "", "310 12345678901\n",
     "SEPA: Satz 1: Kontonummer \"12345678901\" ist leer, 0 oder keine Zahl mit höchstens 10 "
     "Ziffern"},
    {"SepaIbanCheckDigits", Form::kCredit, "", "310 DE88370400440532013000\n",
     "SEPA: Satz 1: IBAN \"DE88370400440532013000\" ist ungültig (Prüfziffern falsch)"},
    {"SepaIbanLetterInGermanAccount", Form::kCredit, "", "310 DE973704004405320130A0\n",
     "SEPA: Satz 1: IBAN \"DE973704004405320130A0\" ist ungültig (Aufbau passt nicht zum Land)"},
    {"SepaIbanNoSuchCountry", Form::kCredit, "", "310 XX46370400440532013000\n",
     "SEPA: Satz 1: IBAN \"XX46370400440532013000\" ist ungültig (Land unbekannt)"},
    {"SepaOwnAccountMissing", Form::kCredit, "SPK_KONTO=\n", "",
     "SEPA: Satz 1: Kontonummer des Auftraggebers \"\" ist leer, 0 oder keine Zahl mit höchstens "
     "10 Ziffern"},
    {"SepaOwnBankCodeOfSecondRecord", Form::kCredit, "", "--\n340 1234567\n100 RE-2\n",
     "SEPA: Satz 2: Bankleitzahl des Auftraggebers \"1234567\" hat nicht 8 Ziffern"},
    {"SepaNameMissing", Form::kCredit, "", "205 &&\n", "SEPA: Satz 1: Name (Feld 205) fehlt"},
    // Amounts: a decimal number above 0 that the 11 digits of the C
    // record hold (a SEPA payment carries what the C record would).
    {"AmountComma", Form::kDtaus, "", "115 12,50\n",
     "Keine gültige Zahl: Satz 1, Feld 115, Wert \"12,50\""},
    {"AmountTrailingText", Form::kDtaus, "", "115 12.5 EUR\n",
     "Keine gültige Zahl: Satz 1, Feld 115, Wert \"12.5 EUR\""},
    {"AmountNegative", Form::kCredit, "", "--\n115 -7.25\n",
     "Betrag muss größer als 0 sein: Satz 2, Feld 115, Wert \"-7.25\""},
    {"AmountZero", Form::kDtaus, "", "--\n115 0.00\n",
     "Betrag muss größer als 0 sein: Satz 2, Feld 115, Wert \"0.00\""},
    {"AmountEmpty", Form::kDtaus, "", "115 \n",
     "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"\""},
    {"AmountBelowOneCent", Form::kDebit, "", "115 0.004\n",
     "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"0.004\""},
    {"AmountTwelveDigits", Form::kCredit, "", "115 1000000000.00\n",
     "Betrag zu groß (höchstens 11 Stellen): Satz 1, Feld 115, Wert \"1000000000.00\""},
    // SEPA settings.
    {"FormatUnknown", Form::kDtaus, "SPK_FORMAT=XML\n", "",
     "SPK_FORMAT=XML : Format unbekannt (DTAUS oder SEPA)"},
    {"KindUnknown", Form::kCredit, "SPK_KENNZEICHEN=XX\n", "",
     "SEPA: SPK_KENNZEICHEN \"XX\" muss GK (Überweisungen) oder LK (Lastschriften) sein"},
    {"BicWrong", Form::kCredit, "SPK_BIC=COBADEFF1\n", "",
     "SEPA: BIC \"COBADEFF1\" ist ungültig (Länge nicht 8 oder 11 Zeichen)"},
    {"BicNoSuchCountry", Form::kCredit, "SPK_BIC=coba xx ff\n", "",
     "SEPA: BIC \"COBAXXFF\" ist ungültig (Land unbekannt)"},
    {"LeadNotANumber", Form::kCredit, "SPK_VORLAUF=-1\n", "",
     "SEPA: SPK_VORLAUF \"-1\" ist keine Anzahl von Tagen"},
    {"CreditorIdMissing", Form::kDebit, "SPK_GLAEUBIGERID=\n", "",
     "SEPA: Gläubiger-Identifikationsnummer (SPK_GLAEUBIGERID) fehlt"},
    {"CreditorIdWrong", Form::kDebit, "SPK_GLAEUBIGERID=DE97ZZZ09999999999\n", "",
     "SEPA: Gläubiger-Identifikationsnummer \"DE97ZZZ09999999999\" ist ungültig"},
    {"MandateDateMissing", Form::kDebit, "SPK_MANDATDATUM=\n", "",
     "SEPA: Mandatsdatum (SPK_MANDATDATUM) fehlt"},
    {"MandateDateWrong", Form::kDebit, "SPK_MANDATDATUM=2020-02-01\n", "",
     "SEPA: Mandatsdatum \"2020-02-01\" ist kein Datum TT.MM.JJJJ"},
    {"MandateDateLater", Form::kDebit, "SPK_MANDATDATUM=01.01.2999\nSPK_VORLAUF=0\n", "",
     "SEPA: Mandatsdatum \"01.01.2999\" liegt nach dem Fälligkeitstag {TODAY}"},
    {"SequenceUnknown", Form::kDebit, "SPK_SEQUENZ=ONCE\n", "",
     "SEPA: SPK_SEQUENZ \"ONCE\" ist nicht FRST, RCUR, OOFF oder FNAL"},
    {"MandateFieldWrong", Form::kDebit, "SPK_MANDATFELD=ABC\n", "",
     "SEPA: SPK_MANDATFELD \"ABC\" ist keine Feldnummer"},
    {"MandateMissing", Form::kDebit, "SPK_MANDATFELD=130\n", "",
     "SEPA: Satz 1: Mandatsreferenz (Feld 130) fehlt"},
    {"MandateWithBlank", Form::kDebit, "SPK_MANDATFELD=130\n", "130 M 1\n",
     "SEPA: Satz 1: Mandatsreferenz \"M 1\" hat mehr als 35 Zeichen, unzulässige Zeichen oder "
     "\"/\" am Anfang, am Ende oder doppelt"},
    {"MandateEndingInSlash", Form::kDebit, "SPK_MANDATFELD=130\n", "130 M1/\n",
     "SEPA: Satz 1: Mandatsreferenz \"M1/\" hat mehr als 35 Zeichen, unzulässige Zeichen oder "
     "\"/\" am Anfang, am Ende oder doppelt"},
    // What an export writes and the file takes.
    {"BlanksAroundAndLeadingZeros", Form::kDtaus, "SPK_BLZ= 37040044 \n",
     "305  37050198 \n310 0000123456\n340 \n350 00532013000\n115  12.50 \n", nullptr},
    {"EightAndTenDigits", Form::kDtaus, "", "305 99999999\n310 9999999999\n115 999999999.99\n",
     nullptr},
    {"OneCent", Form::kDtaus, "", "115 0.01\n", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Values, SpkValueTest, ::testing::ValuesIn(kValues),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeko::test
