// The progress dialog as the run and the presort see it. The arithmetic of
// counts and percentages lives here; how a count or a bar position is shown
// is up to the implementation (terminal, silent, a native window).
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace zeko {

class CZekoDlg {
 public:
  static constexpr const char* kCaption = "Q.V.T-System 08/4 FIBU-Konverter";
  enum Bar { kPresortBar = 1002, kConversionBar = 1005 };
  // Shown in front of the output another run is using.
  static constexpr const char* kWaitingLabel = "Datei in Benutzung, warte auf Freigabe: ";

  virtual ~CZekoDlg() = default;

  // Shows the window with its two texts; keeps the run's cancel flag.
  void Show(const std::string& text1, const std::string& text2, bool* cancelFlag,
            bool cancelEnabled);
  // Replaces the two texts once the data type and output path are known.
  void SetTexts(const std::string& text1, const std::string& text2);
  void SetRange(int count, std::int64_t total);
  void Step(int count, std::int64_t position);
  void SetPresortRange(std::int64_t total);
  void PresortStep(std::int64_t position);
  // Handles waiting input; returns 1 normally, 0 when the application is to quit.
  int PumpMessages();
  // The run's WM_CLOSE: the window goes away.
  void Close();
  // The run waits for an output file that another run is using; an empty
  // name when the wait is over.
  void ShowWaiting(const std::string& file);

  // The user pressed Cancel.
  void OnCancel() {
    if (cancelFlag_) *cancelFlag_ = true;
  }

 protected:
  bool cancelEnabled() const { return cancelEnabled_; }
  // The output another run is using; empty while the run does not wait.
  const std::string& waitingFor() const { return waitingFor_; }

  // Display hooks; the default dialog shows nothing.
  virtual void DoShow(const std::string& /*text1*/, const std::string& /*text2*/,
                      bool /*cancelEnabled*/) {}
  virtual void DoSetTexts(const std::string& /*text1*/, const std::string& /*text2*/) {}
  virtual void DoSetCount(int /*count*/) {}
  virtual void DoSetBar(Bar /*bar*/, int /*percent*/) {}
  virtual int DoPump() { return 1; }
  virtual void DoClose() {}
  virtual void DoShowWaiting() {}  // waitingFor() changed

 private:
  void ProgressTo(Bar bar, std::int64_t position);
  bool* cancelFlag_ = nullptr;
  bool cancelEnabled_ = true;
  std::string waitingFor_;
  int lastCount_ = -1;
  std::optional<int> lastPercent_;
  std::int64_t total_ = 0;
};

}  // namespace zeko
