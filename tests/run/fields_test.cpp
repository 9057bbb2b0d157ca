#include <gtest/gtest.h>

#include "run/context.h"
#include "run/fields.h"
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

TEST(SplitRecord, Groups) {
  RunContext ctx;
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
    EXPECT_EQ(SplitRecord(ctx, c.line), c.count) << c.line;
  }
  EXPECT_EQ(ctx.fields.Text(10), "ABC");
  EXPECT_EQ(ctx.fields[10].length, 3u);
  EXPECT_EQ(ctx.fields[10].format, 1u);
  EXPECT_EQ(ctx.fields.Text(15), "X");
  EXPECT_FALSE(ctx.fields.Present(999));
}

TEST(SplitRecord, FieldsAreStickyAndLaterOccurrencesWin) {
  RunContext ctx;
  EXPECT_EQ(SplitRecord(ctx, Field(120, "4711") + Field(110, "1") + Field(110, "2")), 3);
  EXPECT_EQ(ctx.fields.Text(110), "2");
  EXPECT_EQ(SplitRecord(ctx, Field(115, "9")), 1);
  EXPECT_EQ(ctx.fields.Text(120), "4711");
  EXPECT_EQ(ctx.fields[120].length, 4u);
  EXPECT_EQ(SplitRecord(ctx, " 10002000xy"), 1);  // blank-led numbers
  EXPECT_EQ(ctx.fields.Text(10), "xy");
}

TEST(SplitRecord, ValueCutAtZeroByte) {
  RunContext ctx;
  EXPECT_EQ(SplitRecord(ctx, Field(20, std::string("ab\0cd", 5))), 1);
  EXPECT_EQ(ctx.fields.Text(20), "ab");
  EXPECT_EQ(ctx.fields[20].length, 5u);
}

TEST(SplitRecord, DamagedGroupsEndTheRecord) {
  RunContext ctx;
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
  for (const auto& c : cases) EXPECT_EQ(SplitRecord(ctx, c.line), c.count) << c.line;
  EXPECT_TRUE(ctx.fields.Present(34));
  EXPECT_FALSE(ctx.fields.Present(35));
}

TEST(SplitRecord, SequentialModeAndCaptures) {
  RunContext ctx;
  ctx.settings.targetType = kTargetMONA;
  EXPECT_EQ(SplitRecord(ctx, Field(10, "3") + Field(105, "01.01.2020") + Field(198, "02.02.2020") +
                                 Field(15, "1")),
            4);
  EXPECT_EQ(ctx.fields.Text(0), "3");
  EXPECT_EQ(ctx.fields.Text(2), "02.02.2020");
  EXPECT_EQ(ctx.capturedDataType, 3);
  EXPECT_EQ(ctx.capturedConsolidation, 1);
  EXPECT_EQ(ctx.capturedDate, "02.02.2020");

  RunContext other;
  other.settings.targetType = kTargetMONA;
  SplitRecord(other, Field(198, "A") + Field(105, "B"));
  EXPECT_EQ(other.capturedDate, "A");
}

TEST(SplitRecord, Hs3Flags) {
  RunContext ctx;
  ctx.settings.targetType = kTargetHS3;
  SplitRecord(ctx, Field(295, "x"));
  EXPECT_EQ(ctx.field295Seen, 1);
  EXPECT_EQ(ctx.field296Seen, 0);
  SplitRecord(ctx, Field(10, "1"));
  EXPECT_EQ(ctx.field295Seen, 1);
}

}  // namespace
}  // namespace zeko
