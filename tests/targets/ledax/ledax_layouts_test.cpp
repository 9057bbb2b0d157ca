// The LEDA-X layouts: a row lost or a width mistyped shifts every field after
// it, and the target system rejects lines of the wrong length.
#include <gtest/gtest.h>

#include <cstring>

#include "targets/ledax/ledax_layouts.h"

namespace zeko {
namespace {

struct LayoutCase {
  const char* name;
  MapTable table;
  std::size_t rows;
  std::uint32_t lineLength;  // without CR LF
};

class LedaxLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LedaxLayoutTest, RowCountAndLineLength) {
  const LayoutCase& c = GetParam();
  EXPECT_EQ(c.table.size(), c.rows) << c.name;
  EXPECT_EQ(RecordLength(c.table), c.lineLength) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Layouts, LedaxLayoutTest,
                         ::testing::Values(LayoutCase{"booking", kLedaxBooking, 31, 276},
                                           LayoutCase{"supplement", kLedaxSupplement, 8, 87},
                                           LayoutCase{"debtor", kLedaxDebtor, 39, 379},
                                           LayoutCase{"creditor", kLedaxCreditor, 36, 353}));

// Debtor and creditor lines share their first 268 characters (19 rows) but
// for the record kind in row 0 and the letter in row 3.
TEST(LedaxLayoutTest, CreditorSharesDebtorHead) {
  for (std::size_t i = 0; i < 19; ++i) {
    const MapEntry& d = kLedaxDebtor[i];
    const MapEntry& c = kLedaxCreditor[i];
    EXPECT_EQ(d.field, c.field) << "row " << i;
    EXPECT_EQ(d.length, c.length) << "row " << i;
    EXPECT_EQ(d.type, c.type) << "row " << i;
    if (i != 0 && i != 3) {
      EXPECT_STREQ(d.a, c.a) << "row " << i;
    }
  }
  EXPECT_STREQ(kLedaxDebtor[0].a, "2");
  EXPECT_STREQ(kLedaxCreditor[0].a, "3");
  EXPECT_STREQ(kLedaxDebtor[3].a, "D");
  EXPECT_STREQ(kLedaxCreditor[3].a, "C");
  EXPECT_EQ(RecordLength(MapTable(kLedaxCreditor).first(19)), 268u);
}

}  // namespace
}  // namespace zeko
