#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "record/record.h"
#include "support/harness.h"

namespace zeko {
namespace {

using test::Field;

TEST(ParseFixedInt, Rules) {
  EXPECT_EQ(ParseFixedInt("0 5", 3), 5);
  EXPECT_EQ(ParseFixedInt("5 7", 3), 5);
  EXPECT_EQ(ParseFixedInt(" -3", 3), -3);
  EXPECT_EQ(ParseFixedInt("abc", 3), 0);
  EXPECT_EQ(ParseFixedInt("1234", 3), 123);
  EXPECT_EQ(ParseFixedInt("1", 3), 1);
  EXPECT_EQ(ParseFixedInt("", 3), 0);
}

TEST(RecordSplit, Groups) {
  Record rec;
  const struct {
    const char* line;
    int count;
  } cases[] = {
      {"", 0},
      {"010003001ABC015001001X", 2},
      {"010003001ABC015001001X000", 2},
      {"010003001ABC015001001X   999001000Z", 2},  // no non-zero digit ends it
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rec.Split(c.line), c.count) << c.line;
  }
  EXPECT_EQ(rec.Text(10), "ABC");
  EXPECT_EQ(rec.Length(10), 3u);
  EXPECT_EQ(rec.Format(10), 1u);
  EXPECT_EQ(rec.Text(15), "X");
  EXPECT_FALSE(rec.Present(999));
}

TEST(RecordSplit, FieldsAreStickyAndLaterOccurrencesWin) {
  Record rec;
  EXPECT_EQ(rec.Split(Field(120, "4711") + Field(110, "1") + Field(110, "2")), 3);
  EXPECT_EQ(rec.Text(110), "2");
  EXPECT_EQ(rec.Split(Field(115, "9")), 1);
  EXPECT_EQ(rec.Text(120), "4711");
  EXPECT_EQ(rec.Length(120), 4u);
  EXPECT_EQ(rec.Split(" 10002000xy"), 1);  // blank-led numbers
  EXPECT_EQ(rec.Text(10), "xy");
}

TEST(RecordSplit, ValueCutAtZeroByte) {
  Record rec;
  EXPECT_EQ(rec.Split(Field(20, std::string("ab\0cd", 5))), 1);
  EXPECT_EQ(rec.Text(20), "ab");
  EXPECT_EQ(rec.Length(20), 5u);
}

TEST(RecordSplit, DamagedGroupsEndTheRecord) {
  Record rec;
  const struct {
    std::string line;
    int count;
  } cases[] = {
      {Field(30, "ok") + "-31002000ab", 1},         // negative field number
      {Field(31, "ok") + "032-02000ab", 1},         // negative length
      {Field(32, "ok") + "033050000short", 1},      // value past the end
      {Field(33, "ok") + "034", 1},                 // header cut short
      {Field(34, "ok") + "035002", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(rec.Split(c.line), c.count) << c.line;
  EXPECT_TRUE(rec.Present(34));
  EXPECT_FALSE(rec.Present(35));
}

TEST(RecordSplit, SlotsByPlaceKeepTheNumbersInTheGroups) {
  Record rec;
  EXPECT_EQ(rec.Split(Field(10, "3") + Field(105, "01.01.2020") + Field(198, "02.02.2020") + Field(15, "1"),
                      SlotOrder::kByPlace),
            4);
  EXPECT_EQ(rec.Text(0), "3");
  EXPECT_EQ(rec.Text(2), "02.02.2020");
  ASSERT_EQ(rec.groups().size(), 4u);
  EXPECT_EQ(rec.groups()[3].number, 15);
  EXPECT_EQ(rec.groups()[3].slot, 3);
}

TEST(RecordSplit, GroupsAreThoseOfTheLastRecordOnly) {
  Record rec;
  rec.Split(Field(295, "x") + Field(10, "1"));
  rec.Split(Field(10, "2"));
  ASSERT_EQ(rec.groups().size(), 1u);
  EXPECT_EQ(rec.groups()[0].number, 10);
  EXPECT_EQ(rec.Text(295), "x");  // the slot stays
}

// Records that give changing subsets of a few fields, some repeated within
// a line, against the plain rule: every slot shows the last value given.
// Split copies each line; the reader reads them in its buffer, which moves
// and refills many times over these megabytes, lines torn at its end.
TEST(RecordSplit, SlotsKeepTheirValuesOverManyRecords) {
  std::vector<std::string> lines;
  std::vector<std::map<int, std::string>> expected;
  std::map<int, std::string> last;
  std::mt19937 random(7);
  const int numbers[] = {1, 10, 110, 120, 500, 998, 999};
  for (int r = 0; r < 4000; ++r) {
    std::string line;
    for (const int n : numbers) {
      if (random() % 3 != 0) continue;
      const std::string value(random() % (r % 2 ? 12 : 999), static_cast<char>('a' + r % 26));
      line += Field(n, value);
      last[n] = value;
    }
    lines.push_back(line);
    expected.push_back(last);
  }
  auto check = [&](const Record& rec, std::size_t r) {
    for (const int n : numbers) {
      const std::string want = expected[r].count(n) ? expected[r].at(n) : std::string();
      ASSERT_EQ(rec.Text(n), want) << "record " << r << ", field " << n;
      ASSERT_EQ(std::string(rec.Value(n)), want) << "record " << r << ", field " << n;
    }
  };
  Record rec;
  for (std::size_t r = 0; r < lines.size(); ++r) {
    rec.Split(lines[r]);
    check(rec, r);
  }
  test::TempDir dir;
  std::string file;
  for (const auto& line : lines) file += line + "\r\n";
  ASSERT_GT(file.size(), std::size_t(2) << 20);
  test::WriteFile(dir / "in", file);
  RecordReader reader((dir / "in").string(), 1 << 16, SlotOrder::kByNumber);
  for (std::size_t r = 0; r < lines.size(); ++r) {
    ASSERT_TRUE(reader.Next());
    check(reader.record(), r);
  }
  EXPECT_FALSE(reader.Next());
}

TEST(RecordSplit, SetValuesStayUntilARecordGivesTheField) {
  Record rec;
  rec.Split(Field(10, "read"));
  rec.Set(20, "set", 3, 0);
  rec.Split(Field(30, "x"));
  rec.Split(Field(30, "y"));
  EXPECT_EQ(rec.Text(10), "read");
  EXPECT_EQ(rec.Text(20), "set");
  rec.Split(Field(20, "given"));
  EXPECT_EQ(std::string(rec.Value(20)), "given");
}

}  // namespace
}  // namespace zeko
