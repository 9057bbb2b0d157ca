// Due dates by the TARGET calendar, from the German dates of the settings.
#include <gtest/gtest.h>

#include "sepa/target_calendar.h"

namespace zeko {
namespace {

struct DueCase {
  const char* from;  // TT.MM.JJJJ
  int lead;          // business days
  const char* due;
};

class BusinessDayTest : public ::testing::TestWithParam<DueCase> {};

TEST_P(BusinessDayTest, SkipsTargetHolidays) {
  const auto from = ParseGermanDate(GetParam().from);
  ASSERT_TRUE(from) << GetParam().from;
  EXPECT_EQ(IsoDate(AddBusinessDays(*from, GetParam().lead)), GetParam().due);
}

INSTANTIATE_TEST_SUITE_P(
    Days, BusinessDayTest,
    ::testing::Values(
        DueCase{"06.12.2026", 0, "2026-12-07"},  // a Sunday moves to Monday
        DueCase{"25.12.2026", 0, "2026-12-28"}, DueCase{"07.12.2026", 0, "2026-12-07"},
        DueCase{"5.12.2026", 1, "2026-12-07"}, DueCase{"04.12.2026", 2, "2026-12-08"},
        // Good Friday and Easter Monday, Christmas, New Year, 1 May
        DueCase{"28.03.2024", 1, "2024-04-02"}, DueCase{"17.4.2025", 1, "2025-04-22"},
        DueCase{"24.12.2024", 1, "2024-12-27"}, DueCase{"31.12.2024", 1, "2025-01-02"},
        DueCase{"30.04.2025", 1, "2025-05-02"}, DueCase{"28.02.2024", 1, "2024-02-29"},
        DueCase{"15.03.2024", 10, "2024-04-02"}, DueCase{"29.02.2024", 0, "2024-02-29"}));

TEST(GermanDateTest, RefusesWhatIsNoDate) {
  for (const char* bad : {"29.02.2023", "31.04.2024", "00.01.2024", "01.13.2024", "2020-02-01",
                          "01.02.20", "01.02.20200", "", "01.02.2020.", "1..2020", "01.02.2020 "})
    EXPECT_FALSE(ParseGermanDate(bad)) << bad;
}

}  // namespace
}  // namespace zeko
