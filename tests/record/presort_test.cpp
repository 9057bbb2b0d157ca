// The presort over a real input file: groups, keys, the sorted copy taking the
// input's place, the fatal cases and the progress it reports.
#include "record/presort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/progress.h"
#include "lib/messages.h"
#include "output/journal.h"
#include "record/record.h"
#include "support/harness.h"

namespace zeko {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

// Lines of every size, one larger than the store's chunks, in two groups:
// each comes back whole, also after the store was cleared for the next.
TEST(GroupStore, KeepsEveryLineWhole) {
  GroupStore store;
  std::vector<std::string> lines;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{3} << 20,
                                 std::size_t{2} << 20, std::size_t{9} << 20, std::size_t{7}})
    lines.push_back(std::string(size, static_cast<char>('a' + lines.size())));
  for (int round = 0; round < 2; ++round) {
    store.Clear();
    for (const std::string& line : lines) store.Add(line);
    ASSERT_EQ(store.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_TRUE(store[i] == lines[i]) << i;
    std::reverse(lines.begin(), lines.end());
  }
}

TEST(FindRecordField, WalksTheItemChain) {
  const std::string line = "010003001ABC015001001X";
  EXPECT_EQ(FindRecordField(line, 10), 0u);
  EXPECT_EQ(FindRecordField(line, 15), 12u);
  EXPECT_EQ(FindRecordField(line, 20), std::nullopt);
  EXPECT_EQ(FindRecordField(" 10003001ABC", 10), 0u);
  // The item header 000 ends the chain, so does the end of the line.
  EXPECT_EQ(FindRecordField("010003001ABC000020001001Y", 20), std::nullopt);
  EXPECT_EQ(FindRecordField("", 10), std::nullopt);
  EXPECT_EQ(FindRecordField("01", 10), std::nullopt);
  // The field number is only looked for at item starts, never inside data.
  EXPECT_EQ(FindRecordField("010009001020001001", 20), std::nullopt);
  // A damaged item ends the chain as it ends the record for the reader.
  EXPECT_EQ(FindRecordField("010009001ABC", 10), std::nullopt);
  EXPECT_EQ(FindRecordField("010-01001020001001Y", 20), std::nullopt);
  EXPECT_EQ(FindRecordField("-10001001X020001001Y", 20), std::nullopt);
}

// Counts what the presort shows on the dialog.
class RecordingDialog : public CZekoDlg {
 public:
  std::vector<std::pair<Bar, int>> bars;
  int pumps = 0;

 protected:
  void DoSetBar(Bar bar, int percent) override { bars.emplace_back(bar, percent); }
  int DoPump() override {
    ++pumps;
    return 1;
  }
};

class PresortFile : public ::testing::Test {
 protected:
  void TearDown() override {
    reader_.reset();
    RunJournal::Get().RollBack();
  }

  // Writes the input file and opens it as the run's setup does.
  void Input(const std::string& bytes) {
    WriteFile(inputPath_, bytes);
    reader_ = std::make_unique<RecordReader>(inputPath_, 16383, SlotOrder::kByNumber);
  }
  std::string Copy() const { return (dir_ / "INPUT.$TO").string(); }

  // As the run does it: the copy is a work file of the run's transaction.
  void Presort() {
    progress_.createCopy = [](const std::string& path) { return RunJournal::Get().CreateWorkFile(path); };
    progress_.adoptCopy = [](const std::string& path) { RunJournal::Get().ReplaceInputWith(path); };
    reader_->Presort(100, progress_);
  }

  test::TempDir dir_;
  const std::string inputPath_ = (dir_ / "INPUT.$TM").string();
  std::unique_ptr<RecordReader> reader_;
  PresortProgress progress_;
};

// A record with sort field 100 = key and field 110 = name.
std::string Rec(const std::string& key, const std::string& name) {
  return test::Field(100, key) + test::Field(110, name) + "\r\n";
}
const std::string kEnd1 = "998002000E1\r\n";
const std::string kEnd2 = "998002000E2\r\n";

TEST_F(PresortFile, KeysCompareAsNumbersAndTiesFollowTheExchanges) {
  // Equal keys in the exchange sort's order: 2a, 2b, 1 end as 1, 2b, 2a;
  // "12.50" ties with "12.5", a key without a number is 0, and the key is
  // the item's data only (field 110's digits do not join it).
  Input(Rec("10", "ten") + Rec("9", "nine") + Rec("12.50", "a") + Rec("12.5", "b") +
        Rec("2", "2a") + Rec("2", "2b") + Rec("1", "one") + Rec("x", "zero") + Rec("-1", "1") +
        Rec(" 3e0", "three"));
  Presort();
  EXPECT_EQ(ReadFile(Copy()), Rec("-1", "1") + Rec("x", "zero") + Rec("1", "one") + Rec("2", "2b") +
                                  Rec("2", "2a") + Rec(" 3e0", "three") + Rec("9", "nine") +
                                  Rec("10", "ten") + Rec("12.50", "a") + Rec("12.5", "b"));
}

TEST_F(PresortFile, LongKeyTextsAndLineEnds) {
  // Key texts beyond 35 characters count whole; a last line without CR LF
  // gets one; empty groups between end lines write nothing.
  const std::string zeros(40, '0');
  Input(kEnd1 + kEnd2 + Rec(zeros + "7", "seven") + Rec(zeros + "5", "five") +
        "100001000" + "6");
  Presort();
  EXPECT_EQ(ReadFile(Copy()), kEnd1 + kEnd2 + Rec(zeros + "5", "five") + "100001000" + "6\r\n" +
                                  Rec(zeros + "7", "seven"));
}

TEST_F(PresortFile, LoneRecordWithoutTheFieldIsNeverCompared) {
  Input(Rec("2", "a") + Rec("1", "b") + kEnd1 + "110004000solo\r\n" + kEnd2);
  Presort();
  EXPECT_EQ(ReadFile(Copy()), Rec("1", "b") + Rec("2", "a") + kEnd1 + "110004000solo\r\n" + kEnd2);
}

TEST_F(PresortFile, CopyThatCannotBeCreatedIsFatal) {
  const std::string input = Rec("2", "a") + Rec("1", "b");
  Input(input);
  fs::create_directory(Copy());
  EXPECT_EXIT(Presort(), ::testing::ExitedWithCode(1),
              "^Fehler beim öffnen Outputdatei .*INPUT\\.\\$TO\n$");
  EXPECT_EQ(ReadFile(inputPath_), input);
}

// The presort takes the records the reader takes: no byte-order mark,
// blank line or end-of-file mark goes into the copy, line feeds alone end
// lines, and in a check a damaged record goes in as the reader keeps it
// (cut at the damage; left out without a group), reported once, by its
// number in the input, and not again when the copy is read.
TEST_F(PresortFile, SeesTheRecordsTheReaderSees) {
  const struct {
    const char* what;
    bool check;
    std::string input, copy;
    std::vector<std::string> problems;
  } cases[] = {
      {"odd lines", false,
       "\xEF\xBB\xBF" + test::Field(100, "2") + "\n\r\n  \r\n" + std::string(3, '\0') + "\n" +
           Rec("1", "b") + "\x1A\r\n\x1A",
       Rec("1", "b") + test::Field(100, "2") + "\r\n", {}},
      {"damage in a check", true,
       Rec("2", "a") + "1000010003110-01000x\r\n000001000z\r\n" + Rec("1", "b") + "100001000",
       Rec("1", "b") + Rec("2", "a") + "1000010003\r\n",
       {"Satz beschädigt: Satz 2, Spalte 11, Gruppe \"110-01000\"",
        "Satz beschädigt: Satz 3, Spalte 1, Gruppe \"000001000\"",
        "Satz beschädigt: Satz 5, Spalte 1, Gruppe \"100001000\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.check) BeginCheck();
    Input(c.input);
    ASSERT_TRUE(reader_->Next());
    Presort();
    EXPECT_EQ(ReadFile(Copy()), c.copy);
    while (reader_->Next()) {
    }
    EXPECT_EQ(Findings(), c.problems);
    EndCheck();
    reader_.reset();
    RunJournal::Get().RollBack();
  }
}

TEST_F(PresortFile, ProgressAdvancesAtGroupEnds) {
  // 12 + 12 + 11 bytes up to the first end line of 58: 60 %; the second end
  // line is at 100 %, which never moves the bar.
  Input("1000010002\r\n1000010001\r\n998000000\r\n1000010003\r\n998000000\r\n");
  RecordingDialog dialog;
  progress_.start = [&dialog](std::int64_t total) { dialog.SetPresortRange(total); };
  progress_.step = [&dialog](std::int64_t position) { dialog.PresortStep(position); };
  Presort();
  ASSERT_EQ(dialog.bars.size(), 1u);
  EXPECT_EQ(dialog.bars[0], std::make_pair(CZekoDlg::kPresortBar, 60));
  EXPECT_EQ(dialog.pumps, 3);  // the range, then each end line
}

}  // namespace
}  // namespace zeko
