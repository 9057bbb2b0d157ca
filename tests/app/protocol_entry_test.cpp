// The run protocol as runs leave it: one chained entry per run, whatever the
// run's end, whose figures are those of the files the run wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/sha256.h"
#include "output/run_protocol.h"
#include "support/harness.h"

namespace zeko::test {
namespace {

const char* const kDatax = "TYP=DATAX\nRELEASE=4\nPATH=\nNAME1=DATAX.DAT\n";

struct EndCase {
  const char* name;
  const char* config;
  std::string input;
  std::vector<std::string> words;  // after the program
  RunOutcome result;
  int exitCode;
  bool committed;  // the entry describes the bookings in DATAX.DAT
};

class ProtocolEntryTest : public ::testing::TestWithParam<EndCase> {};

TEST_P(ProtocolEntryTest, OneChainedEntryWithTheRunsFigures) {
  const EndCase& c = GetParam();
  TempDir work;
  WriteFile(work / "fibconf", c.config);
  // An earlier run's entry: the new one chains to it.
  WriteFile(work / "INPUT.$TM", Bookings(1));
  ASSERT_EQ(RunZeko(work.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"}).exitCode, 0);
  const std::string before = ReadFile(work / "DATAX.DAT");

  WriteFile(work / "INPUT.$TM", c.input);
  const RunResult r = RunZeko(work.path(), c.words);
  ASSERT_EQ(r.exitCode, c.exitCode) << r.err;

  const std::string text = ReadFile(work / "ZEKO.LOG");
  const ProtocolCheck check = VerifyProtocol(text);
  ASSERT_TRUE(check.ok) << check.reason;
  const std::vector<ParsedEntry> entries = ParseProtocol(text);
  ASSERT_EQ(entries.size(), 2u);
  const ProtocolEntry& e = entries[1].entry;
  EXPECT_EQ(entries[1].nr, 2);
  EXPECT_EQ(entries[1].prev, entries[0].hash);
  EXPECT_EQ(e.result, c.result);
  EXPECT_EQ(e.exitCode, c.exitCode);
  EXPECT_EQ(e.target, "DATAX");
  EXPECT_EQ(e.inputSize, static_cast<std::int64_t>(c.input.size()));
  EXPECT_EQ(e.inputSha256, Sha256Hex(c.input));
  // A failed run's message is the one the user saw.
  if (c.result == RunOutcome::kFailed) {
    EXPECT_EQ(e.message + "\n", r.err);
  }
  if (!c.committed) {
    EXPECT_TRUE(e.outputs.empty());
    EXPECT_EQ(ReadFile(work / "DATAX.DAT"), before);
    return;
  }
  // The sums are the input's, the figures the file's.
  ASSERT_EQ(e.totals.size(), 1u);
  EXPECT_EQ(e.totals[0].records, 3);
  EXPECT_EQ(e.totals[0].cents, 3 * 119000);
  ASSERT_EQ(e.outputs.size(), 1u);
  const std::string after = ReadFile(work / "DATAX.DAT");
  const ProtocolOutput& o = e.outputs[0];
  EXPECT_EQ(o.sizeBefore, static_cast<std::int64_t>(before.size()));
  EXPECT_EQ(o.sizeAfter, static_cast<std::int64_t>(after.size()));
  EXPECT_EQ(o.addedSha256, Sha256Hex(after.substr(before.size())));
}

const std::vector<std::string> kRun = {"/CONFIG:fibconf", "/TEMP:INPUT"};
const std::vector<std::string> kCheck = {"--pruefen", "/CONFIG:fibconf", "/TEMP:INPUT"};
const std::string kAppend = std::string(kDatax) + "APPEND=1\n";

// The third booking's amount is no number.
std::string BadAmount() {
  std::string records = Bookings(3);
  records.replace(records.rfind("1190.00"), 7, "11X0.00");
  return records;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ProtocolEntryTest,
    ::testing::Values(
        EndCase{"Committed", kAppend.c_str(), Bookings(3), kRun, RunOutcome::kOk, 0, true},
        EndCase{"Failed", kAppend.c_str(), BadAmount(), kRun,
                RunOutcome::kFailed, 1, false},
        EndCase{"Checked", kAppend.c_str(), Bookings(3), kCheck, RunOutcome::kCheck, 0, false}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

// PROTOKOLL set to nothing keeps no protocol; a path of its own is used.
TEST(ProtocolPlace, OffOrWhereConfigured) {
  TempDir work;
  WriteFile(work / "INPUT.$TM", Bookings(1));
  WriteFile(work / "fibconf", std::string(kDatax) + "PROTOKOLL=\n");
  ASSERT_EQ(RunZeko(work.path(), kRun).exitCode, 0);
  EXPECT_FALSE(fs::exists(work / "ZEKO.LOG"));
  WriteFile(work / "INPUT.$TM", Bookings(1));
  WriteFile(work / "fibconf", std::string(kDatax) + "PROTOKOLL=LAEUFE.LOG\n");
  ASSERT_EQ(RunZeko(work.path(), kRun).exitCode, 0);
  EXPECT_FALSE(fs::exists(work / "ZEKO.LOG"));
  EXPECT_EQ(ParseProtocol(ReadFile(work / "LAEUFE.LOG")).size(), 1u);
}

}  // namespace
}  // namespace zeko::test
