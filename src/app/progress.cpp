#include "app/progress.h"

namespace zeko {

void CZekoDlg::Show(const std::string& text1, const std::string& text2, bool* cancelFlag,
                    bool cancelEnabled) {
  cancelFlag_ = cancelFlag;
  cancelEnabled_ = cancelEnabled;
  DoShow(text1, text2, cancelEnabled);
}

void CZekoDlg::SetTexts(const std::string& text1, const std::string& text2) {
  DoSetTexts(text1, text2);
}

void CZekoDlg::ProgressTo(Bar bar, std::int64_t position) {
  if (total_ == 0) return;  // no percentage without a total
  int percent =
      static_cast<int>(static_cast<double>(position) / static_cast<double>(total_) * 100.0);
  if (lastPercent_ && *lastPercent_ == percent) return;
  // The bar is never set to 0 or 100: it starts empty and stays at its last
  // position, at most 99, until the dialog closes.
  if (percent >= 1 && percent <= 99) DoSetBar(bar, percent);
  lastPercent_ = percent;
}

void CZekoDlg::SetRange(int count, std::int64_t total) {
  lastCount_ = -1;
  lastPercent_.reset();
  if (count != lastCount_) {
    DoSetCount(count);
    lastCount_ = count;
  }
  PumpMessages();
  total_ = total;
}

void CZekoDlg::Step(int count, std::int64_t position) {
  if (count != lastCount_) {
    DoSetCount(count);
    lastCount_ = count;
  }
  ProgressTo(kConversionBar, position);
  PumpMessages();
}

void CZekoDlg::SetPresortRange(std::int64_t total) {
  lastPercent_.reset();
  PumpMessages();
  total_ = total;
}

void CZekoDlg::PresortStep(std::int64_t position) {
  ProgressTo(kPresortBar, position);
  PumpMessages();
}

int CZekoDlg::PumpMessages() { return DoPump(); }

void CZekoDlg::Close() { DoClose(); }

void CZekoDlg::ShowWaiting(const std::string& file) {
  if (file == waitingFor_) return;
  waitingFor_ = file;
  DoShowWaiting();
}

}  // namespace zeko
