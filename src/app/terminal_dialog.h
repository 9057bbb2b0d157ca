// The progress dialog drawn in the terminal: caption, the two texts, the
// record count, the presort and conversion bars and the Cancel hint, redrawn
// in place on stderr. Esc or Ctrl-C cancels the run.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/progress.h"

namespace zeko {

class TerminalDialog : public CZekoDlg {
 public:
  static constexpr std::int64_t kRedrawIntervalMs = 50;  // about 20 frames a second

  // Draws on outFd; reads Esc from inFd when that is a terminal. At most one
  // dialog may be shown at a time in a process (Ctrl-C reaches it through
  // process-wide signal state).
  explicit TerminalDialog(int outFd = 2, int inFd = 0);
  ~TerminalDialog() override;
  TerminalDialog(const TerminalDialog&) = delete;
  TerminalDialog& operator=(const TerminalDialog&) = delete;

 protected:
  void DoShow(const std::string& text1, const std::string& text2, bool cancelEnabled) override;
  void DoSetTexts(const std::string& text1, const std::string& text2) override;
  void DoSetCount(int count) override;
  void DoSetBar(Bar bar, int percent) override;
  int DoPump() override;
  void DoClose() override;
  void DoShowWaiting() override;

  // Monotonic clock in milliseconds; tests drive it by hand.
  virtual std::int64_t NowMs() const;

 private:
  void Layout(int rows);
  void Draw();
  void Cancel();
  bool EscapePressed();
  void AppendLine(const std::string& text, int columns);
  void AppendBar(const char* label, int percent, int columns);

  int outFd_;
  int inFd_;
  bool shown_ = false;
  bool cancelling_ = false;
  bool dirty_ = false;
  std::int64_t lastDraw_ = 0;
  std::string text1_, text2_;
  bool hasCount_ = false;
  int count_ = 0;
  int presortPercent_ = 0;
  int conversionPercent_ = 0;
  int rows_ = 0;       // screen height the layout was made for; 0 before the first
  int frameTop_ = 0;   // first screen line of the dialog (from 1)
  int line_ = 0;       // screen line of the next AppendLine
  std::string frame_;  // the escape sequences and lines of one redraw, reused
};

// The dialog of a run: drawn in the terminal when stderr is one, otherwise
// the silent dialog that shows nothing.
std::unique_ptr<CZekoDlg> MakeProgressDialog();

}  // namespace zeko
