// The dialog's arithmetic, seen through a dialog that records what it is
// told to show.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/progress.h"

namespace zeko {
namespace {

using Shown = std::vector<std::string>;

class RecordingDialog : public CZekoDlg {
 public:
  Shown shown;

 protected:
  void DoSetCount(int count) override { shown.push_back("count " + std::to_string(count)); }
  void DoSetBar(Bar bar, int percent) override {
    shown.push_back((bar == kPresortBar ? "presort " : "bar ") + std::to_string(percent));
  }
  int DoPump() override {
    shown.push_back("pump");
    return 1;
  }
};

TEST(ProgressDialog, ShowsWhatChanged) {
  const struct {
    const char* what;
    std::function<void(CZekoDlg&)> calls;
    Shown want;
  } cases[] = {
      {"the bar is never set to 0 or 100 %",
       [](CZekoDlg& d) {
         d.SetRange(0, 1000);
         for (std::int64_t p : {5, 10, 995, 1000}) d.Step(0, p);
       },
       {"count 0", "pump", "pump", "bar 1", "pump", "bar 99", "pump", "pump"}},
      {"the count only when it changes; a total of 0 gives no percentage",
       [](CZekoDlg& d) {
         d.SetRange(0, 0);
         d.Step(1, 10), d.Step(1, 20), d.Step(2, 30);
       },
       {"count 0", "pump", "count 1", "pump", "pump", "count 2", "pump"}},
      {"SetRange forgets the last count and percent",
       [](CZekoDlg& d) {
         d.SetRange(5, 100), d.Step(5, 50);
         d.SetRange(5, 100), d.Step(5, 50);
       },
       {"count 5", "pump", "bar 50", "pump", "count 5", "pump", "bar 50", "pump"}},
      {"the percentage is truncated after dividing first",
       [](CZekoDlg& d) {
         d.SetRange(0, 3), d.Step(0, 2);     // 66.67
         d.SetRange(0, 100), d.Step(0, 29);  // 29 / 100 * 100.0 is just below 29
       },
       {"count 0", "pump", "bar 66", "pump", "count 0", "pump", "bar 28", "pump"}},
      {"both bars share the last percentage",
       [](CZekoDlg& d) {
         d.SetRange(0, 1000), d.SetPresortRange(1000), d.PresortStep(420);
         d.Step(1, 425);  // the presort's last percentage: the conversion bar stays
         d.Step(1, 430);
       },
       {"count 0", "pump", "pump", "presort 42", "pump", "count 1", "pump", "bar 43", "pump"}},
      {"the presort's range forgets the percent but not the count",
       [](CZekoDlg& d) {
         d.SetRange(0, 1000), d.Step(3, 500);
         d.SetPresortRange(1000), d.PresortStep(500), d.Step(3, 500);
       },
       {"count 0", "pump", "count 3", "bar 50", "pump", "pump", "presort 50", "pump", "pump"}},
  };
  for (const auto& c : cases) {
    RecordingDialog d;
    c.calls(d);
    EXPECT_EQ(d.shown, c.want) << c.what;
  }
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
