#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "lib/messages.h"
#include "record/record.h"
#include "support/harness.h"

namespace zeko {
namespace {

using test::Field;
using namespace std::string_literals;

TEST(ParseFixedInt, Rules) {
  EXPECT_EQ(ParseFixedInt("0 5", 3), 5);
  EXPECT_EQ(ParseFixedInt("5 7", 3), 5);
  EXPECT_EQ(ParseFixedInt(" -3", 3), -3);
  EXPECT_EQ(ParseFixedInt("abc", 3), 0);
  EXPECT_EQ(ParseFixedInt("1234", 3), 123);
  EXPECT_EQ(ParseFixedInt("1", 3), 1);
  EXPECT_EQ(ParseFixedInt("", 3), 0);
}

// Split after Split: the groups are those of the last line, values stay in
// their slots until a line gives the field again (or Set sets it), a later
// occurrence within a line wins, a value ends at a zero byte.
TEST(RecordSplit, GroupsAndStickyValues) {
  Record rec;
  EXPECT_EQ(rec.Split(""), 0);
  EXPECT_EQ(rec.Split("010003001ABC015001001X000"), 2);
  EXPECT_EQ(rec.Split("010003001ABC015001001X   999001000Z"), 2);  // no non-zero digit ends it
  EXPECT_EQ(rec.Text(10), "ABC");
  EXPECT_EQ(rec.Format(10), 1u);
  EXPECT_FALSE(rec.Present(999));
  EXPECT_EQ(rec.Split(Field(120, "4711") + Field(110, "1") + Field(110, "2") + Field(295, "x")), 4);
  EXPECT_EQ(rec.Text(110), "2");
  EXPECT_EQ(rec.Split(Field(115, "9") + Field(20, std::string("ab\0cd", 5))), 2);
  ASSERT_EQ(rec.groups().size(), 2u);
  EXPECT_EQ(rec.groups()[0].number, 115);
  EXPECT_EQ(rec.Text(120), "4711");
  EXPECT_EQ(rec.Length(120), 4u);
  EXPECT_EQ(rec.Text(295), "x");
  EXPECT_EQ(rec.Text(20), "ab");
  EXPECT_EQ(rec.Length(20), 5u);
  rec.Set(30, "set", 3, 0);
  EXPECT_EQ(rec.Split(" 10002000xy"), 1);  // blank-led numbers
  EXPECT_EQ(rec.Text(10), "xy");
  EXPECT_EQ(rec.Text(30), "set");
  rec.Split(Field(30, "given"));
  EXPECT_EQ(std::string(rec.Value(30)), "given");
}

TEST(RecordSplit, DamagedGroupsEndTheRecord) {
  Record rec;
  const struct {
    std::string line;
    int count;
    std::size_t end;
    bool damaged;
  } cases[] = {
      {Field(30, "ok") + "-31002000ab", 1, 11, true},     // negative field number
      {Field(31, "ok") + "032-02000ab", 1, 11, true},     // negative length
      {Field(32, "ok") + "033050000short", 1, 11, true},  // value past the end
      {Field(33, "ok") + "034", 1, 11, true},             // header cut short
      {Field(34, "ok") + "035002", 1, 11, true},
      {Field(35, "ok") + "036002 x1ab", 1, 11, true},     // a letter in the format
      {Field(36, "ok") + "0 7002000ab", 1, 11, true},     // a blank among the digits
      {Field(37, "ok") + "   999001000Z", 1, 11, false},  // a blank number ends the chain
      {Field(38, "ok") + " \0 "s, 1, 11, false},          // padding
      {Field(39, "ok") + " 40002  0ab", 2, 22, false},    // blanks around the digits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(rec.Split(c.line), c.count) << c.line;
    EXPECT_EQ(rec.chainEnd(), c.end) << c.line;
    EXPECT_EQ(rec.damaged(), c.damaged) << c.line;
  }
  EXPECT_TRUE(rec.Present(40));
  EXPECT_FALSE(rec.Present(7));
  EXPECT_FALSE(rec.Present(999));
}

// Odd and bad input files, read in a check so that every problem is
// collected: which records the reader hands on (number, "!" when damaged,
// then each group as field=value), and what it reports. The file is read twice, as the run
// reads it (the first record, then all again): the second pass sees the
// same records and reports nothing again.
TEST(RecordReader, OddAndBadLines) {
  using V = std::vector<std::string>;
  const std::string a = "010003001ABC", x = "015001001X", nl = "\r\n";
  const struct {
    const char* what;
    std::string bytes;
    V records;
    V problems;
  } cases[] = {
      {"byte-order mark", "\xEF\xBB\xBF" + a + nl + x + nl, {"1 010=ABC", "2 015=X"}, {}},
      {"byte-order mark later is data", a + nl + "\xEF\xBB\xBF" + x + nl, {"1 010=ABC"},
       {"Satz beschädigt: Satz 2, Spalte 1, Gruppe \"\\xEF\\xBB\\xBF015001\""}},
      {"blank lines are no records", nl + "   " + nl + std::string("\0\0 ", 3) + nl + a + nl + nl + x,
       {"1 010=ABC", "2 015=X"}, {}},
      {"line feeds alone end lines", a + "\n" + x + "\n" + a + nl, {"1 010=ABC", "2 015=X", "3 010=ABC"}, {}},
      {"carriage return ends the file", a + "\r", {"1 010=ABC"}, {}},
      {"end mark after the last line", a + nl + "\x1A", {"1 010=ABC"}, {}},
      {"end mark behind the last record", a + "\x1A", {"1 010=ABC"}, {}},
      {"end marks, blanks and line ends", a + "\x1A\x1A" + nl + "\x1A  " + nl + nl + "\x1A", {"1 010=ABC"}, {}},
      {"end mark before a record", a + nl + "\x1A" + nl + nl + x + nl, {"1 010=ABC", "2 015=X"},
       {"Dateiendezeichen (1A) vor weiteren Daten: Satz 2, Spalte 1"}},
      {"end mark behind a record before a record", a + "\x1A" + nl + x, {"1 010=ABC", "2 015=X"},
       {"Dateiendezeichen (1A) vor weiteren Daten: Satz 1, Spalte 13"}},
      {"end mark with data in its line", a + nl + " \x1A" + x + nl + x, {"1 010=ABC", "2 015=X"},
       {"Dateiendezeichen (1A) vor weiteren Daten: Satz 2, Spalte 2"}},
      {"end mark inside a record", a + "\x1A" + x, {"1! 010=ABC"},
       {"Satz beschädigt: Satz 1, Spalte 13, Gruppe \"\\x1A01500100\""}},
      {"negative length", x + nl + a + "020-01001Y" + nl + x, {"1 015=X", "2! 010=ABC", "3 015=X"},
       {"Satz beschädigt: Satz 2, Spalte 13, Gruppe \"020-01001\""}},
      {"letter in a number", "01A003001ABC" + nl + x, {"2 015=X"},
       {"Satz beschädigt: Satz 1, Spalte 1, Gruppe \"01A003001\""}},
      {"value past the line end", a + "020009001Y", {"1! 010=ABC"},
       {"Satz beschädigt: Satz 1, Spalte 13, Gruppe \"020009001\""}},
      {"header cut short", a + "02", {"1! 010=ABC"}, {"Satz beschädigt: Satz 1, Spalte 13, Gruppe \"02\""}},
      {"no group at all", "000003001ABC" + nl + x, {"2 015=X"},
       {"Satz beschädigt: Satz 1, Spalte 1, Gruppe \"000003001\""}},
      {"blank-led line without a group", "   " + a + nl + x, {"2 015=X"},
       {"Satz beschädigt: Satz 1, Spalte 1, Gruppe \"   010003\""}},
      {"blanks in numbers and trailing blanks", " 10003001ABC15  01  1X   ", {"1 010=ABC 015=X"}, {}},
      {"a 000 group ends the record", a + "000003001abc" + x, {"1 010=ABC"}, {}},
      {"line over the limit", a + nl + "020031001" + std::string(31, 'y') + nl + nl + x,
       {"1 010=ABC", "3 015=X"}, {"Pufferüberlauf beim Einlesen der Daten: Satz 2, 40 Zeichen, BUFLEN erlaubt 39"}},
      {"line over the limit with a mark", "\xEF\xBB\xBF" + std::string(45, '1') + "\r\n\x1A",
       {}, {"Pufferüberlauf beim Einlesen der Daten: Satz 1, 45 Zeichen, BUFLEN erlaubt 39"}},
  };
  auto describe = [](const RecordReader& reader) {
    const Record& rec = reader.record();
    std::string d = std::to_string(RecordNumber()) + (reader.damaged() ? "!" : "");
    for (const FieldGroup& g : rec.groups()) {
      char number[8];
      std::snprintf(number, sizeof number, " %03d=", g.number);
      d += number;
      d += rec.Text(g.slot);
    }
    return d;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    test::WriteFile(dir / "INPUT.$TM", c.bytes);
    BeginCheck();
    RecordReader reader((dir / "INPUT.$TM").string(), 39, SlotOrder::kByNumber);
    for (int pass = 0; pass < 2; ++pass) {
      V records;
      while (reader.Next()) records.push_back(describe(reader));
      EXPECT_EQ(records, c.records) << "pass " << pass;
      EXPECT_EQ(reader.Position(), static_cast<std::int64_t>(c.bytes.size()));
      reader.Rewind();
      EXPECT_EQ(RecordNumber(), 0);
    }
    EXPECT_EQ(Findings(), c.problems);
    // The hash covers every byte, the mark and the blank lines too.
    while (reader.Next()) {
    }
    ASSERT_TRUE(reader.Digest().has_value());
    EXPECT_EQ(reader.Digest()->size, static_cast<std::int64_t>(c.bytes.size()));
    EndCheck();
  }
}

TEST(RecordReader, FirstLineIsTheFirstRecord) {
  test::TempDir dir;
  const std::string path = (dir / "INPUT.$TM").string();
  test::WriteFile(path, "\xEF\xBB\xBF  \r\n\r\n010003001ABC100001001Z\n015001001X\r\n");
  RecordReader reader(path, 100, SlotOrder::kByNumber);
  EXPECT_TRUE(reader.FirstLineHas(100));
  EXPECT_FALSE(reader.FirstLineHas(15));
  EXPECT_EQ(RecordNumber(), 1);
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
    if (lines[r].empty()) continue;  // no record
    ASSERT_TRUE(reader.Next());
    check(reader.record(), r);
  }
  EXPECT_FALSE(reader.Next());
}

}  // namespace
}  // namespace zeko
