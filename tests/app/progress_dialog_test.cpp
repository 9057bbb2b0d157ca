// The dialog's arithmetic, seen through a dialog that records what it is
// told to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/progress.h"

namespace zeko {
namespace {

std::string Text(const char* what, int n) {
  std::string s = what;
  s += std::to_string(n);
  return s;
}

class RecordingDialog : public CZekoDlg {
 public:
  std::vector<std::string> shown;

 protected:
  void DoSetCount(int count) override { shown.push_back(Text("count ", count)); }
  void DoSetBar(Bar bar, int percent) override {
    shown.push_back(Text(bar == kPresortBar ? "presort " : "bar ", percent));
  }
  int DoPump() override {
    shown.push_back("pump");
    return 1;
  }
};

using Shown = std::vector<std::string>;

TEST(ProgressDialog, BarNeverSetToZeroOrHundred) {
  RecordingDialog d;
  d.SetRange(0, 1000);
  d.shown.clear();
  for (std::int64_t p : {5, 10, 995, 1000}) d.Step(0, p);
  EXPECT_EQ(d.shown, (Shown{"pump", "bar 1", "pump", "bar 99", "pump", "pump"}));
}

TEST(ProgressDialog, CountShownOnlyWhenItChanges) {
  RecordingDialog d;
  d.SetRange(0, 0);
  EXPECT_EQ(d.shown, (Shown{"count 0", "pump"}));
  d.shown.clear();
  d.Step(1, 10);
  d.Step(1, 20);
  d.Step(2, 30);
  // A total of 0 gives no percentage at all.
  EXPECT_EQ(d.shown, (Shown{"count 1", "pump", "pump", "count 2", "pump"}));
}

TEST(ProgressDialog, SetRangeShowsItsCountAgain) {
  RecordingDialog d;
  d.SetRange(5, 100);
  d.Step(5, 50);
  d.shown.clear();
  d.SetRange(5, 100);  // forgets the last count and percent
  d.Step(5, 50);
  EXPECT_EQ(d.shown, (Shown{"count 5", "pump", "bar 50", "pump"}));
}

TEST(ProgressDialog, PercentageIsTruncatedAfterDividingFirst) {
  RecordingDialog d;
  d.SetRange(0, 3);
  d.Step(0, 2);  // 66.67
  d.SetRange(0, 100);
  d.Step(0, 29);  // 29 / 100 * 100.0 is just below 29
  d.shown.erase(std::remove(d.shown.begin(), d.shown.end(), "pump"), d.shown.end());
  EXPECT_EQ(d.shown, (Shown{"count 0", "bar 66", "count 0", "bar 28"}));
}

TEST(ProgressDialog, LastPercentIsSharedByBothBars) {
  RecordingDialog d;
  d.SetRange(0, 1000);
  d.SetPresortRange(1000);
  d.PresortStep(420);
  d.Step(1, 425);  // the presort's last percentage: the conversion bar stays
  d.Step(1, 430);
  d.shown.erase(std::remove(d.shown.begin(), d.shown.end(), "pump"), d.shown.end());
  EXPECT_EQ(d.shown, (Shown{"count 0", "presort 42", "count 1", "bar 43"}));
}

TEST(ProgressDialog, PresortRangeForgetsThePercentButNotTheCount) {
  RecordingDialog d;
  d.SetRange(0, 1000);
  d.Step(3, 500);
  d.SetPresortRange(1000);
  d.PresortStep(500);
  d.Step(3, 500);
  d.shown.erase(std::remove(d.shown.begin(), d.shown.end(), "pump"), d.shown.end());
  EXPECT_EQ(d.shown, (Shown{"count 0", "count 3", "bar 50", "presort 50"}));
}

TEST(ProgressDialog, CancelSetsTheRunsFlag) {
  RecordingDialog d;
  bool cancel = false;
  d.OnCancel();  // before Show: no flag to set
  d.Show("", "", &cancel, true);
  d.OnCancel();
  EXPECT_TRUE(cancel);
}

}  // namespace
}  // namespace zeko
