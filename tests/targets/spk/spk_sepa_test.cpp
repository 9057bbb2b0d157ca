// The SEPA form of the savings-bank file in whole runs: every SEPA document
// a golden case expects, and generated runs of 500 payments, must be valid
// by the ISO 20022 schemas, and their sums those of the DTAUS file for the
// same input. The documents are checked with xmllint; a machine without
// xmllint fails these tests (scripts/deps.sh installs it).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "sepa/bank_data.h"
#include "support/harness.h"

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

// The bank codes of the packaged Bundesbank file, each once.
std::vector<std::uint64_t> BankCodes(const std::string& file) {
  std::vector<std::uint64_t> codes;
  std::istringstream lines(ReadFile(file));
  for (std::string line; std::getline(lines, line);)
    if (line.size() > 8 && (codes.empty() || codes.back() != std::stoull(line.substr(0, 8))))
      codes.push_back(std::stoull(line.substr(0, 8)));
  return codes;
}

// Payments to real bank codes, each with an account that passes its bank's
// check-digit method as the library computes it: the run checks them all.
Generated Generate(int count, std::uint64_t seed) {
  std::string problem;
  const BankData bank = BankData::Load(BankData::PackagedFile(), problem);
  EXPECT_EQ(problem, "");
  const std::vector<std::uint64_t> codes = BankCodes(bank.path());
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
    const std::uint64_t bankCode = codes[below(codes.size())];
    std::uint64_t account = 0;
    for (int tries = 0; account == 0 || bank.Check(std::to_string(bankCode), std::to_string(account))
                                                .result != AccountCheck::kOk;
         ++tries) {
      if (tries == 1000) {
        ADD_FAILURE() << "no account passes at bank code " << bankCode;
        break;
      }
      account = 1;
      for (std::uint64_t digits = 1 + below(10); digits > 1; --digits)
        account = account * 10 + below(10);
    }
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
