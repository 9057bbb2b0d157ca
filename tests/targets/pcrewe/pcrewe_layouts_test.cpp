// The REWE-FIBU layouts: a row lost or a width mistyped shifts every field
// after it, and the target system rejects lines of the wrong length.
#include <gtest/gtest.h>

#include "targets/pcrewe/pcrewe_layouts.h"

namespace zeko {
namespace {

struct LayoutCase {
  const char* name;
  MapTable table;
  std::size_t rows;
  std::uint32_t lineLength;  // without CR LF
};

class PcreweLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(PcreweLayoutTest, RowCountAndLineLength) {
  const LayoutCase& c = GetParam();
  EXPECT_EQ(c.table.size(), c.rows) << c.name;
  EXPECT_EQ(RecordLength(c.table), c.lineLength) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Layouts, PcreweLayoutTest,
                         ::testing::Values(LayoutCase{"booking", kPcreweBooking, 18, 161},
                                           LayoutCase{"release2", kPcreweBookingRelease2, 13, 126},
                                           LayoutCase{"address", kPcreweAddress, 39, 495}));

}  // namespace
}  // namespace zeko
