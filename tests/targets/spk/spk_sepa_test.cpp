// The SEPA form of the savings-bank file: account identifiers and texts,
// due dates, every refusal of a whole run, and generated runs of 500
// payments that the ISO 20022 schemas must accept and whose sums must be
// those of the DTAUS file for the same input. Every SEPA document the tests
// write or expect is checked with xmllint against the schemas; a machine
// without xmllint fails these tests (scripts/deps.sh installs it).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "support/harness.h"
#include "targets/spk/iban.h"
#include "targets/spk/sepa_document.h"
#include "targets/spk/sepa_text.h"

namespace zeko {
namespace {

// ---- IBAN and creditor identifier ---------------------------------------

TEST(IbanTest, FromBankCodeAndAccount) {
  const struct {
    const char* bankCode;
    const char* account;
    const char* iban;
  } valid[] = {
      {"37040044", "532013000", "DE89370400440532013000"},  // the example of the German banks
      {" 37040044 ", "0532013000 ", "DE89370400440532013000"},
      {"37040044", "00012345678", "DE84370400440012345678"},  // leading zeros do not count
      {"37050198", "123456", "DE46370501980000123456"},
      // An account that holds an IBAN is taken once it checks.
      {"x", "de89 3704 0044 0532 0130 00", "DE89370400440532013000"},
      {"", "GB82 WEST 1234 5698 7654 32", "GB82WEST12345698765432"},
  };
  for (const auto& c : valid) {
    const AccountIban result = IbanOf(c.bankCode, c.account);
    EXPECT_EQ(result.problem, AccountProblem::kNone) << c.account;
    EXPECT_EQ(result.iban, c.iban);
  }
  for (const char* iban :
       {"DE89370400440532013000", "NL91ABNA0417164300", "FR1420041010050500013M02606",
        "AT611904300234573201", "BE68539007547034", "CH9300762011623852957"})
    EXPECT_EQ(IbanOf("", iban).iban, iban);
  const struct {
    AccountProblem problem;
    std::vector<std::pair<const char*, const char*>> inputs;  // bank code, account
  } invalid[] = {
      {AccountProblem::kIban,
       {{"", "DE88370400440532013000"}, {"", "DE89370400440532013001"},
        {"", "DE8937040044053201300"}, {"", "DE89-3704-0044"}}},
      {AccountProblem::kBankCode,
       {{"3704004", "532013000"}, {"370400440", "532013000"}, {"3704004A", "532013000"},
        {"", "532013000"}}},
      {AccountProblem::kAccount,
       {{"37040044", ""}, {"37040044", "   "}, {"37040044", "0"}, {"37040044", "0000000000"},
        {"37040044", "12345678901"}, {"37040044", "532-013000"}, {"37040044", "A532013000"}}},
  };
  for (const auto& c : invalid)
    for (const auto& [bankCode, account] : c.inputs)
      EXPECT_EQ(IbanOf(bankCode, account).problem, c.problem) << bankCode << " " << account;
}

struct IdCase {
  const char* text;
  bool valid;
};

class CreditorIdTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(CreditorIdTest, Checks) { EXPECT_EQ(IsValidCreditorId(GetParam().text), GetParam().valid); }

INSTANTIATE_TEST_SUITE_P(
    Identifiers, CreditorIdTest,
    ::testing::Values(IdCase{"DE98ZZZ09999999999", true},  // the Bundesbank's example
                      IdCase{"DE98ABC09999999999", true},  // the business code is not checked
                      IdCase{"DE97ZZZ09999999999", false}, IdCase{"DE98ZZZ09999999998", false},
                      IdCase{"DE98ZZZ0999999999", false}, IdCase{"DE98ZZZ099999999990", false},
                      IdCase{"DE98ZZZ0999999999X", false}, IdCase{"", false},
                      IdCase{"DEXXZZZ09999999999", false}));

class BicTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(BicTest, Checks) { EXPECT_EQ(IsValidBic(GetParam().text), GetParam().valid); }

INSTANTIATE_TEST_SUITE_P(Bics, BicTest,
                         ::testing::Values(IdCase{"COBADEFFXXX", true}, IdCase{"COBADEFF", true},
                                           IdCase{"COLSDE33", true}, IdCase{"COBADEFF1", false},
                                           IdCase{"COBA1EFF", false}, IdCase{"cobadeff", false},
                                           IdCase{"", false}));

// ---- Texts ---------------------------------------------------------------

struct TextCase {
  const char* in;
  std::size_t max;
  const char* out;
};

class SepaTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SepaTextTest, Transliterates) {
  EXPECT_EQ(SepaText(GetParam().in, GetParam().max), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SepaTextTest,
    ::testing::Values(TextCase{"B\xe4"
                               "ckerei M\xfcller & S\xf6hne",
                               70, "Baeckerei Mueller Soehne"},  // Windows-1252
                      TextCase{"\xc4\xd6\xdc\xe4\xf6\xfc\xdf", 70, "AEOEUEaeoeuess"},
                      TextCase{"\x8e\x99\x9a\x84\x94\x81\xe1", 70,
                               "AEOEUEaeoeuess"},  // code page 850
                      TextCase{"Jos\xe9 Fran\xe7ois \xc5sa", 70, "Jose Francois Asa"},
                      TextCase{"O'Neil (GmbH) +/-?:.,", 70, "O'Neil (GmbH) +/-?:.,"},
                      TextCase{"  a \t b*_c;\"d\"  ", 70, "a b c d"},
                      TextCase{"50 \xa7 3 \xb0", 70, "50 3"}, TextCase{"abcdef", 3, "abc"},
                      TextCase{"ab cdef", 3, "ab"}, TextCase{"M\xfc", 2, "Mu"},
                      TextCase{"", 70, ""}, TextCase{"&<>", 70, ""}));

TEST(SepaIdentifierTest, MadeFromText) {
  EXPECT_EQ(SepaIdentifier("RE 2024/001"), "RE2024/001");
  EXPECT_EQ(SepaIdentifier("/RE//1"), "RE/1");
  EXPECT_EQ(SepaIdentifier(" & "), "");
  EXPECT_EQ(SepaIdentifier("M\xfcller"), "Mueller");
  EXPECT_EQ(SepaIdentifier(std::string(40, '7')), std::string(35, '7'));
}

TEST(SepaIdentifierTest, TakenAsItStands) {
  EXPECT_TRUE(IsSepaIdentifier("M/2019/17"));
  EXPECT_TRUE(IsSepaIdentifier(std::string(35, 'M')));
  EXPECT_FALSE(IsSepaIdentifier(std::string(36, 'M')));
  EXPECT_FALSE(IsSepaIdentifier(""));
  EXPECT_FALSE(IsSepaIdentifier("/M1"));
  EXPECT_FALSE(IsSepaIdentifier("M//1"));
  EXPECT_FALSE(IsSepaIdentifier("M 1"));
  EXPECT_FALSE(IsSepaIdentifier("M\xfc"));
  EXPECT_FALSE(IsSepaIdentifier("M&1"));
}

TEST(SepaXmlTest, Escapes) {
  std::string out;
  AppendXml(out, "a&b<c>'\"d");
  EXPECT_EQ(out, "a&amp;b&lt;c&gt;&apos;&quot;d");
}

// ---- Dates and amounts ---------------------------------------------------

struct DueCase {
  CivilDate from;
  int lead;
  const char* due;
};

class BusinessDayTest : public ::testing::TestWithParam<DueCase> {};

TEST_P(BusinessDayTest, SkipsTargetHolidays) {
  EXPECT_EQ(GetParam().from.AddBusinessDays(GetParam().lead).Iso(), GetParam().due);
}

INSTANTIATE_TEST_SUITE_P(
    Days, BusinessDayTest,
    ::testing::Values(
        DueCase{{2026, 12, 6}, 0, "2026-12-06"},  // a Sunday stays itself
        DueCase{{2026, 12, 5}, 1, "2026-12-07"}, DueCase{{2026, 12, 4}, 2, "2026-12-08"},
        // Good Friday and Easter Monday, Christmas, New Year, 1 May
        DueCase{{2024, 3, 28}, 1, "2024-04-02"}, DueCase{{2025, 4, 17}, 1, "2025-04-22"},
        DueCase{{2024, 12, 24}, 1, "2024-12-27"}, DueCase{{2024, 12, 31}, 1, "2025-01-02"},
        DueCase{{2025, 4, 30}, 1, "2025-05-02"}, DueCase{{2024, 2, 28}, 1, "2024-02-29"},
        DueCase{{2024, 3, 15}, 10, "2024-04-02"}));

TEST(CivilDateTest, ParsesGermanDates) {
  CivilDate d;
  ASSERT_TRUE(CivilDate::ParseGerman("01.02.2020", d));
  EXPECT_EQ(d.Iso(), "2020-02-01");
  ASSERT_TRUE(CivilDate::ParseGerman("1.2.2020", d));
  EXPECT_EQ(d.Iso(), "2020-02-01");
  ASSERT_TRUE(CivilDate::ParseGerman("29.02.2024", d));
  for (const char* bad : {"29.02.2023", "31.04.2024", "00.01.2024", "01.13.2024", "2020-02-01",
                          "01.02.20", "01.02.20200", "", "01.02.2020.", "1..2020", "01.02.2020 "})
    EXPECT_FALSE(CivilDate::ParseGerman(bad, d)) << bad;
}

}  // namespace
}  // namespace zeko

// ---- Whole runs ----------------------------------------------------------

namespace zeko::test {
namespace {

// The published schemas, kept with the tests.
const fs::path kSchemaDir = fs::path(ZEKO_SOURCE_DIR) / "tests" / "data" / "iso20022";

// Validates a document against the schema its namespace names. Empty when
// it is valid, else xmllint's report.
std::string SchemaErrors(const std::string& document, const fs::path& dir) {
  const fs::path& schemas = kSchemaDir;
  const bool debit = document.find("pain.008.001.08") != std::string::npos;
  const fs::path schema = schemas / (debit ? "pain.008.001.08.xsd" : "pain.001.001.09.xsd");
  const fs::path file = dir / "document.xml", log = dir / "xmllint.log";
  WriteFile(file, document);
  const std::string command = "xmllint --noout --schema '" + schema.string() + "' '" +
                              file.string() + "' >'" + log.string() + "' 2>&1";
  const int status = std::system(command.c_str());
  if (status == 0) return "";
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
    return "xmllint is missing: install libxml2-utils (scripts/deps.sh)";
  return ReadFile(log);
}

const char* const kForm = "Diskette: $C\r\nAnzahl: $D\r\nBetrag:$E\r\n";

const char* const kCreditConfig =
    "TYP=SPK\nPATH=\nNAME1=sepa.xml\nSPK_FORMAT=SEPA\nSPK_KENNZEICHEN=GK\nSPK_BLZ=37040044\n"
    "SPK_KUNDE=Muster GmbH\nSPK_KONTO=532013000\nPROTPRINTER=note.txt\n";
const char* const kDebitConfig =
    "TYP=SPK\nPATH=\nNAME1=sepa.xml\nSPK_FORMAT=SEPA\nSPK_KENNZEICHEN=LK\nSPK_BLZ=37040044\n"
    "SPK_KUNDE=Muster GmbH\nSPK_KONTO=532013000\nPROTPRINTER=note.txt\n"
    "SPK_GLAEUBIGERID=DE98ZZZ09999999999\nSPK_MANDATDATUM=01.02.2020\n";
const char* const kRecord =
    "010 1\n015 0\n105 15.03.2024\n155 C\n205 Hans Maier\n305 37050198\n310 123456\n"
    "100 RE-1\n115 12.5\n";

struct Refusal {
  const char* name;
  bool debit;               // direct debits, else credit transfers
  const char* extraConfig;  // lines that replace the base configuration's
  const char* extraInput;   // fields that replace the first record's, or "--" and a second record
  const char* message;      // nullptr: the message that names today
};

class SepaRefusalTest : public ::testing::TestWithParam<Refusal> {};

// Nothing is written: no document, no cover note, the diskette number stays.
TEST_P(SepaRefusalTest, EndsRunWithoutFile) {
  const Refusal& c = GetParam();
  TempDir work;
  WriteFile(work / "fibconf", std::string(c.debit ? kDebitConfig : kCreditConfig) + c.extraConfig);
  WriteFile(work / "SPK.FRM", kForm);
  WriteFile(work / "SPK.NUM", "41\r\n");
  WriteFile(work / "INPUT.$TM", EncodeRecords(std::string(kRecord) + c.extraInput));
  const RunResult r = RunZeko(work.path(), {"/CONFIG:./fibconf", "/TEMP:INPUT"});
  EXPECT_EQ(r.exitCode, 1);
  const std::string want =
      c.message ? c.message
                : "SEPA: Mandatsdatum \"01.01.2999\" liegt nach dem Fälligkeitstag " + TodayIso();
  EXPECT_EQ(r.err, want + "\n");
  EXPECT_FALSE(fs::exists(work / "SEPA.XML"));
  EXPECT_FALSE(fs::exists(work / "SEPA.XML.$$$"));
  EXPECT_FALSE(fs::exists(work / "NOTE.TXT"));
  EXPECT_EQ(ReadFile(work / "SPK.NUM"), "41\r\n");
  EXPECT_TRUE(fs::exists(work / "INPUT.$TM"));
}

const Refusal kRefusals[] = {
    {"BankCodeLetters", false, "", "305 3705O198\n",
     "Keine gültige Bankleitzahl: Satz 1, Feld 305, Wert \"3705O198\""},
    {"AccountEmpty", false, "", "310 \n",
     "SEPA: Satz 1: Kontonummer \"\" ist leer, 0 oder keine Zahl mit höchstens 10 Ziffern"},
    {"AccountZero", false, "", "310 0000\n",
     "SEPA: Satz 1: Kontonummer \"0000\" ist leer, 0 oder keine Zahl mit höchstens 10 Ziffern"},
    {"AccountLong", false, "", "310 12345678901\n",
     "SEPA: Satz 1: Kontonummer \"12345678901\" ist leer, 0 oder keine Zahl mit höchstens 10 "
     "Ziffern"},
    // Too long for the C record's amount field: the cents a bank would get
    // must be the whole amount, never a cut one.
    {"AmountTooLong", false, "", "115 1234567890.12\n",
     "Betrag zu groß (höchstens 11 Stellen): Satz 1, Feld 115, Wert \"1234567890.12\""},
    {"IbanCheckDigits", false, "", "310 DE88370400440532013000\n",
     "SEPA: Satz 1: IBAN \"DE88370400440532013000\" ist ungültig (Prüfziffern oder Länge)"},
    {"OwnAccountMissing", false, "SPK_KONTO=\n", "",
     "SEPA: Satz 1: Kontonummer des Auftraggebers \"\" ist leer, 0 oder keine Zahl mit höchstens "
     "10 Ziffern"},
    {"OwnBankCodeOfSecondRecord", false, "", "--\n340 1234567\n100 RE-2\n",
     "SEPA: Satz 2: Bankleitzahl des Auftraggebers \"1234567\" hat nicht 8 Ziffern"},
    {"AmountZero", false, "", "115 0\n",
     "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"0\""},
    {"AmountBelowOneCent", true, "", "115 0.004\n",
     "Betrag muss größer als 0 sein: Satz 1, Feld 115, Wert \"0.004\""},
    {"AmountNegative", false, "", "--\n115 -7.25\n",
     "Betrag muss größer als 0 sein: Satz 2, Feld 115, Wert \"-7.25\""},
    {"NameMissing", false, "", "205 &&\n", "SEPA: Satz 1: Name (Feld 205) fehlt"},
    {"FormatUnknown", false, "SPK_FORMAT=XML\n", "",
     "SPK_FORMAT=XML : Format unbekannt (DTAUS oder SEPA)"},
    {"KindUnknown", false, "SPK_KENNZEICHEN=XX\n", "",
     "SEPA: SPK_KENNZEICHEN \"XX\" muss GK (Überweisungen) oder LK (Lastschriften) sein"},
    {"BicWrong", false, "SPK_BIC=COBADEFF1\n", "", "SEPA: BIC \"COBADEFF1\" ist ungültig"},
    {"LeadNotANumber", false, "SPK_VORLAUF=-1\n", "",
     "SEPA: SPK_VORLAUF \"-1\" ist keine Anzahl von Tagen"},
    {"CreditorIdMissing", true, "SPK_GLAEUBIGERID=\n", "",
     "SEPA: Gläubiger-Identifikationsnummer (SPK_GLAEUBIGERID) fehlt"},
    {"CreditorIdWrong", true, "SPK_GLAEUBIGERID=DE97ZZZ09999999999\n", "",
     "SEPA: Gläubiger-Identifikationsnummer \"DE97ZZZ09999999999\" ist ungültig"},
    {"MandateDateMissing", true, "SPK_MANDATDATUM=\n", "",
     "SEPA: Mandatsdatum (SPK_MANDATDATUM) fehlt"},
    {"MandateDateWrong", true, "SPK_MANDATDATUM=2020-02-01\n", "",
     "SEPA: Mandatsdatum \"2020-02-01\" ist kein Datum TT.MM.JJJJ"},
    {"MandateDateLater", true, "SPK_MANDATDATUM=01.01.2999\nSPK_VORLAUF=0\n", "", nullptr},
    {"SequenceUnknown", true, "SPK_SEQUENZ=ONCE\n", "",
     "SEPA: SPK_SEQUENZ \"ONCE\" ist nicht FRST, RCUR, OOFF oder FNAL"},
    {"MandateFieldWrong", true, "SPK_MANDATFELD=ABC\n", "",
     "SEPA: SPK_MANDATFELD \"ABC\" ist keine Feldnummer"},
    {"MandateMissing", true, "SPK_MANDATFELD=130\n", "",
     "SEPA: Satz 1: Mandatsreferenz (Feld 130) fehlt"},
    {"MandateWithBlank", true, "SPK_MANDATFELD=130\n", "130 M 1\n",
     "SEPA: Satz 1: Mandatsreferenz \"M 1\" hat mehr als 35 Zeichen oder unzulässige Zeichen"},
};

INSTANTIATE_TEST_SUITE_P(Refusals, SepaRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// Every SEPA document that a golden case expects (and, byte for byte,
// writes) is one that the schemas accept.
TEST(SepaSchemaTest, GoldenDocumentsAreValid) {
  TempDir work;
  int documents = 0;
  for (const auto& e :
       fs::recursive_directory_iterator(fs::path(ZEKO_SOURCE_DIR) / "tests" / "golden")) {
    if (!e.is_regular_file() || e.path().parent_path().filename() != "expected") continue;
    std::string text = ReadFile(e.path());
    if (text.rfind("<?xml", 0) != 0) continue;
    ++documents;
    text = Replace(Replace(FillToday(text), "{TIME6}", "120000"), "{TIME}", "12:00:00");
    EXPECT_EQ(SchemaErrors(text, work.path()), "") << e.path();
  }
  EXPECT_GE(documents, 2);
}

// ---- 500 generated payments ---------------------------------------------

struct Generated {
  std::string records;
  std::vector<std::string> ibans;  // of the other parties, computed here
};

// The IBAN worked out on its own: the digits of bank code, account and
// "DE00" (D = 13, E = 14) as one number fit a 128-bit integer.
std::string ExpectedIban(std::uint64_t bankCode, std::uint64_t account) {
  unsigned __int128 n = bankCode;
  n = n * 10000000000ull + account;
  n = n * 1000000ull + 131400ull;
  char text[40];
  std::snprintf(text, sizeof text, "DE%02d%08llu%010llu", 98 - static_cast<int>(n % 97),
                static_cast<unsigned long long>(bankCode),
                static_cast<unsigned long long>(account));
  return text;
}

Generated Generate(int count, std::uint64_t seed) {
  static const char* const kNames[] = {
      "B\xe4"
      "ckerei M\xfcller",
      "Stra\xdf"
      "enbau S\xf6hne & Co",
      "Jos\xe9 Garc\xed"
      "a",
      "O'Neil Ltd.", "Weiss Handel e.K."};
  // The engine's output is the same on every platform (a distribution's
  // would not be).
  std::mt19937_64 engine(seed);
  auto below = [&engine](std::uint64_t n) { return engine() % n; };
  Generated g;
  for (int i = 0; i < count; ++i) {
    const std::uint64_t bankCode = 10000000 + below(80000000);
    std::uint64_t account = 1;
    for (std::uint64_t digits = 1 + below(10); digits > 1; --digits)
      account = account * 10 + below(10);
    g.ibans.push_back(ExpectedIban(bankCode, account));
    const std::uint64_t cents = 1 + below(below(4) == 0 ? 100 : 10000000);
    std::string amount = std::to_string(cents / 100) + "." + std::to_string(cents % 100 / 10) +
                         std::to_string(cents % 10);
    std::string record = "010 1\n015 0\n105 15.03.2024\n155 C\n330 05\n";
    record += "205 " + std::string(kNames[below(5)]) + " " + std::to_string(i) + "\n";
    record += "305 " + std::to_string(bankCode) + "\n310 " + std::to_string(account) + "\n";
    record += "100 RE-" + std::to_string(100000 + i) + "\n115 " + amount + "\n";
    record += "920 RE \n921 VOM \n911 Kundennr " + std::to_string(below(99999)) + "\n";
    g.records += record + "--\n";
  }
  return g;
}

// All texts between <tag> and </tag>, in order.
std::vector<std::string> Elements(const std::string& xml, const std::string& tag) {
  std::vector<std::string> out;
  const std::string open = "<" + tag, close = "</" + tag + ">";
  for (std::size_t at = 0; (at = xml.find(open, at)) != std::string::npos;) {
    const std::size_t start = xml.find('>', at) + 1;
    const std::size_t end = xml.find(close, start);
    if (xml[at + open.size()] == '>' || xml[at + open.size()] == ' ')
      out.push_back(xml.substr(start, end - start));
    at = end;
  }
  return out;
}

std::int64_t Cents(const std::string& decimal) {
  const std::size_t dot = decimal.find('.');
  EXPECT_EQ(decimal.size() - dot, 3u) << decimal;
  return std::atoll(decimal.substr(0, dot).c_str()) * 100 +
         std::atoll(decimal.substr(dot + 1).c_str());
}

struct Bulk {
  const char* name;
  const char* config;
  const char* release;
  const char* transaction;  // element of one payment
  std::size_t amountAt;     // position of the amount in the C record
  std::size_t sumAt;        // position of the amount sum in the E record
};

class SepaBulkTest : public ::testing::TestWithParam<Bulk> {};

TEST_P(SepaBulkTest, FiveHundredPayments) {
  const Bulk& c = GetParam();
  constexpr int kCount = 500;
  const Generated g = Generate(kCount, 23);
  TempDir work;
  WriteFile(work / "SPK.FRM", kForm);

  // The same input as a DTAUS file first: the amounts to compare with.
  WriteFile(work / "fibconf", std::string(c.config) + c.release + "SPK_FORMAT=DTAUS\n");
  WriteFile(work / "SPK.NUM", "41\r\n");
  WriteFile(work / "INPUT.$TM", EncodeRecords(g.records));
  RunResult r = RunZeko(work.path(), {"/CONFIG:./fibconf", "/TEMP:INPUT", "/ND"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string dtaus = ReadFile(work / "SEPA.XML");
  ASSERT_EQ(dtaus.size(), 128u + 256u * kCount + 128u);
  const std::string e = dtaus.substr(128 + 256 * kCount);
  const std::int64_t dtausSum = std::atoll(e.substr(c.sumAt - 1, 13).c_str());

  WriteFile(work / "fibconf", std::string(c.config) + c.release);
  r = RunZeko(work.path(), {"/CONFIG:./fibconf", "/TEMP:INPUT"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string xml = ReadFile(work / "SEPA.XML");
  EXPECT_EQ(SchemaErrors(xml, work.path()), "");

  const std::vector<std::string> counts = Elements(xml, "NbOfTxs");
  const std::vector<std::string> sums = Elements(xml, "CtrlSum");
  ASSERT_EQ(counts.size(), 2u);  // group header and the one payment block
  ASSERT_EQ(sums.size(), 2u);
  EXPECT_EQ(counts[0], "500");
  EXPECT_EQ(counts[1], "500");
  EXPECT_EQ(sums[0], sums[1]);

  std::string::size_type at = 0;
  std::int64_t total = 0;
  int n = 0;
  const std::string open = std::string("<") + c.transaction + ">";
  while ((at = xml.find(open, at)) != std::string::npos && n < kCount) {
    const std::size_t end = xml.find(std::string("</") + c.transaction + ">", at);
    const std::string tx = xml.substr(at, end - at);
    const std::vector<std::string> ibans = Elements(tx, "IBAN");
    const std::vector<std::string> amounts = Elements(tx, "InstdAmt");
    ASSERT_EQ(ibans.size(), 1u);
    ASSERT_EQ(amounts.size(), 1u);
    EXPECT_EQ(ibans[0], g.ibans[n]) << "payment " << n + 1;
    const std::int64_t cents = Cents(amounts[0]);
    const std::string cRecord = dtaus.substr(128 + 256 * n, 256);
    EXPECT_EQ(cents, std::atoll(cRecord.substr(c.amountAt - 1, 11).c_str())) << "payment " << n + 1;
    total += cents;
    ++n;
    at = end;
  }
  EXPECT_EQ(n, kCount);
  EXPECT_EQ(Cents(sums[0]), total);
  // The E record sums the amounts before they are rounded to cents; with
  // whole cents in the input that is the same sum.
  EXPECT_EQ(total, dtausSum);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SepaBulkTest,
    ::testing::Values(Bulk{"CreditTransfers", kCreditConfig, "", "CdtTrfTxInf", 51, 18},
                      Bulk{"DirectDebits", kDebitConfig, "RELEASE=1\n", "DrctDbtTxInf", 80, 65}),
    [](const ::testing::TestParamInfo<Bulk>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeko::test
