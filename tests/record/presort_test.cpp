// The presort's parts: the store of a group's lines, the key lookup, and
// the progress it reports.
#include "record/presort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app/progress.h"
#include "output/journal.h"
#include "record/record.h"
#include "support/harness.h"

namespace zeko {
namespace {

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

// The bar moves at the end lines of groups only: 12 + 12 + 11 bytes up to
// the first end line of 58 are 60 %; the second is at 100 %, which never
// moves the bar. The orders and the copy itself are golden cases (presort/).
TEST(Presort, ProgressAdvancesAtGroupEnds) {
  test::TempDir dir;
  const std::string input = (dir / "INPUT.$TM").string();
  WriteFile(input, "1000010002\r\n1000010001\r\n998000000\r\n1000010003\r\n998000000\r\n");
  RecordReader reader(input, 16383, SlotOrder::kByNumber);
  RecordingDialog dialog;
  RunJournal journal;
  PresortProgress progress;
  progress.createCopy = [&journal](const std::string& path) { return journal.CreateWorkFile(path); };
  progress.adoptCopy = [&journal](const std::string& path) { journal.ReplaceInputWith(path); };
  progress.start = [&dialog](std::int64_t total) { dialog.SetPresortRange(total); };
  progress.step = [&dialog](std::int64_t position) { dialog.PresortStep(position); };
  reader.Presort(100, progress);
  journal.RollBack();
  ASSERT_EQ(dialog.bars.size(), 1u);
  EXPECT_EQ(dialog.bars[0], std::make_pair(CZekoDlg::kPresortBar, 60));
  EXPECT_EQ(dialog.pumps, 3);  // the range, then each end line
}

}  // namespace
}  // namespace zeko
