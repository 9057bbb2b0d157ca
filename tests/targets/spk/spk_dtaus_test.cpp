// Reads the payment file of whole runs back with a DTAUS reader of its own,
// so that a layout slip cannot hide behind a golden file made by the same
// code: record lengths and kinds, the amounts where the release puts them,
// and the E record's count and sums against the C records'.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/harness.h"

namespace zeko::test {
namespace {

constexpr std::size_t kShort = 128;  // A and E records
constexpr std::size_t kLong = 256;   // C records: two 128-byte blocks

struct CRecord {
  std::uint64_t bankCode = 0;  // counterparty, 14-21
  std::uint64_t account = 0;   // counterparty, 22-31
  std::uint64_t dm = 0;        // 51-61
  std::uint64_t euro = 0;      // 80-90
  std::string originatorBank;  // 62-69
  char currency = 0;           // 183
};

struct Dtaus {
  std::string a;
  std::vector<CRecord> c;
  std::uint64_t count = 0, dmSum = 0, accountSum = 0, bankSum = 0, euroSum = 0;
  std::string eBlanks1, eBlanks2;
};

// Text of 1-based DTAUS positions from..from+len-1.
std::string At(const std::string& rec, std::size_t from, std::size_t len) {
  return rec.substr(from - 1, len);
}

std::uint64_t Digits(const std::string& rec, std::size_t from, std::size_t len) {
  std::string s = At(rec, from, len);
  std::uint64_t n = 0;
  for (char ch : s) {
    EXPECT_TRUE(ch >= '0' && ch <= '9') << "non-digit in \"" << s << "\" at position " << from;
    n = n * 10 + static_cast<std::uint64_t>(ch - '0');
  }
  return n;
}

Dtaus Read(const std::string& file) {
  Dtaus d;
  std::size_t pos = 0;
  EXPECT_GE(file.size(), 2 * kShort);
  if (file.size() < 2 * kShort) return d;
  d.a = file.substr(0, kShort);
  EXPECT_EQ(At(d.a, 1, 4), "0128");
  EXPECT_EQ(At(d.a, 5, 1), "A");
  pos = kShort;
  while (pos + 5 <= file.size() && file[pos + 4] == 'C') {
    EXPECT_LE(pos + kLong, file.size()) << "C record cut short";
    if (pos + kLong > file.size()) return d;
    const std::string r = file.substr(pos, kLong);
    EXPECT_EQ(At(r, 1, 4), "0245") << "C record length field";
    CRecord c;
    c.bankCode = Digits(r, 14, 8);
    c.account = Digits(r, 22, 10);
    EXPECT_EQ(Digits(r, 32, 13), 0u);
    Digits(r, 45, 2);  // text key
    EXPECT_EQ(At(r, 50, 1), " ");
    c.dm = Digits(r, 51, 11);
    c.originatorBank = At(r, 62, 8);
    Digits(r, 62, 8);
    Digits(r, 70, 10);
    c.euro = Digits(r, 80, 11);
    EXPECT_EQ(At(r, 91, 3), "   ");
    EXPECT_EQ(At(r, 121, 8), std::string(8, ' '));
    c.currency = r[183 - 1];
    EXPECT_EQ(At(r, 184, 2), "  ");
    EXPECT_EQ(At(r, 186, 2), "02") << "two extension parts";
    EXPECT_EQ(At(r, 188, 2), "02");
    EXPECT_EQ(At(r, 217, 2), "02");
    EXPECT_EQ(At(r, 246, 11), std::string(11, ' '));
    d.c.push_back(c);
    pos += kLong;
  }
  EXPECT_EQ(file.size(), pos + kShort) << "one E record of 128 bytes ends the file";
  if (file.size() != pos + kShort) return d;
  const std::string e = file.substr(pos);
  EXPECT_EQ(At(e, 1, 5), "0128E");
  d.eBlanks1 = At(e, 6, 5);
  d.count = Digits(e, 11, 7);
  d.dmSum = Digits(e, 18, 13);
  d.accountSum = Digits(e, 31, 17);
  d.bankSum = Digits(e, 48, 17);
  d.euroSum = Digits(e, 65, 13);
  d.eBlanks2 = At(e, 78, 51);
  return d;
}

struct Payment {
  std::uint64_t cents;
  std::string amount;  // as the host writes it, a blank in front at times
  std::string bankCode;
  std::string account;
  std::string name;
};

std::vector<Payment> RandomPayments(unsigned seed, int count) {
  std::mt19937_64 rng(seed);
  std::vector<Payment> out;
  for (int i = 0; i < count; ++i) {
    Payment p;
    p.cents = 1 + rng() % 9999999999ull;  // at least a cent; 300 of them fit the E record
    std::string value = std::to_string(p.cents / 100) + "." +
                        std::to_string(p.cents % 100 / 10) + std::to_string(p.cents % 10);
    p.amount = (rng() % 3 == 0 ? " " : "") + value;
    p.bankCode = std::to_string(10000000 + rng() % 90000000);
    p.account = std::to_string(rng() % 10000000000ull);
    p.name = "Name " + std::to_string(i);
    out.push_back(p);
  }
  return out;
}

class SpkDtausTest : public ::testing::TestWithParam<int> {};

TEST_P(SpkDtausTest, EveryRecordReadsBackAndTheSumsAgree) {
  const int release = GetParam();
  const bool euro = release == 1 || release == 2;
  const std::vector<Payment> payments = RandomPayments(4711u + static_cast<unsigned>(release), 300);

  TempDir work;
  WriteFile(work / "fibconf",
            "TYP=SPK\nPATH=\nNAME1=DTAUS0\nRELEASE=" + std::to_string(release) +
                "\nSPK_KENNZEICHEN=GK\nSPK_BLZ=37040044\nSPK_KUNDE=Muster\n"
                "SPK_KONTO=532013000\nSPK_REFERENZ=1\nPROTPRINTER=note.txt\n");
  WriteFile(work / "SPK.NUM", "1\r\n");
  WriteFile(work / "SPK.FRM", "$D $E\r\n");
  std::string input;
  for (const Payment& p : payments) {
    input += "010 1\n105 01.02.2024\n155 C\n330 51\n";
    input += "115 " + p.amount + "\n305 " + p.bankCode + "\n310 " + p.account + "\n205 " + p.name +
             "\n--\n";
  }
  WriteFile(work / "INPUT.$TM", EncodeRecords(input));

  RunResult run = RunZeko(work.path(), {"/CONFIG:./fibconf", "/TEMP:INPUT"});
  ASSERT_EQ(run.exitCode, 0) << run.err;

  const Dtaus d = Read(ReadFile(work / "DTAUS0"));
  EXPECT_EQ(At(d.a, 8, 8), "37040044");
  EXPECT_EQ(At(d.a, 51, 6), TodayShort());
  EXPECT_EQ(d.a[128 - 1], euro ? '1' : ' ') << "currency sign of the A record";
  ASSERT_EQ(d.c.size(), payments.size());

  std::uint64_t dm = 0, eur = 0, accounts = 0, banks = 0;
  for (std::size_t i = 0; i < d.c.size(); ++i) {
    const CRecord& c = d.c[i];
    const Payment& p = payments[i];
    EXPECT_EQ(euro ? c.euro : c.dm, p.cents) << "record " << i;
    EXPECT_EQ(euro ? c.dm : c.euro, 0u) << "record " << i;
    EXPECT_EQ(c.currency, euro ? '1' : ' ');
    EXPECT_EQ(c.bankCode, std::stoull(p.bankCode));
    EXPECT_EQ(c.account, std::stoull(p.account));
    EXPECT_EQ(c.originatorBank, "37040044");
    dm += c.dm;
    eur += c.euro;
    accounts += c.account;
    banks += c.bankCode;
  }
  EXPECT_EQ(d.count, d.c.size());
  EXPECT_EQ(d.dmSum, dm);
  EXPECT_EQ(d.euroSum, eur);
  EXPECT_EQ(d.accountSum, accounts);
  EXPECT_EQ(d.bankSum, banks);
  EXPECT_EQ(d.eBlanks1, std::string(5, ' '));
  EXPECT_EQ(d.eBlanks2, std::string(51, ' '));
  EXPECT_EQ(ReadFile(work / "SPK.NUM"), "2\r\n");
}

INSTANTIATE_TEST_SUITE_P(Releases, SpkDtausTest, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace zeko::test
