// The DATAX layouts: a row lost or a width mistyped shifts every field after
// it, and the target system rejects records of the wrong length.
#include <gtest/gtest.h>

#include "targets/datax/datax_layouts.h"

namespace zeko {
namespace {

struct LayoutCase {
  int release;
  std::size_t rows;
  std::uint32_t recordLength;  // with CR LF
};

class DataxLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(DataxLayoutTest, RowCountAndRecordLength) {
  const LayoutCase& c = GetParam();
  MapTable table = DataxLayout(c.release);
  EXPECT_EQ(table.size(), c.rows);
  EXPECT_EQ(DataxRecordLength(table), c.recordLength);
}

INSTANTIATE_TEST_SUITE_P(Releases, DataxLayoutTest,
                         ::testing::Values(LayoutCase{0, 15, 180}, LayoutCase{1, 15, 180},
                                           LayoutCase{6, 15, 180}, LayoutCase{-2, 15, 180},
                                           LayoutCase{2, 18, 232}, LayoutCase{3, 19, 237},
                                           LayoutCase{4, 40, 453}, LayoutCase{5, 30, 321}));

}  // namespace
}  // namespace zeko
