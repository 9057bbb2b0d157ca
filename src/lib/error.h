// The fatal error reporter: one German message, exit code 1, nothing after it.
#pragma once
#include <functional>
#include <string>

namespace zeko {

[[noreturn]] void ErrorExit(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The message shown literally ("%" is no directive).
[[noreturn]] void ErrorExitText(const std::string& message);

// Called once before a fatal exit ends the process, so that the terminal
// dialog can leave the screen clean. One hook; nullptr removes it.
void SetFatalHook(void (*hook)());

// Undoes a run's work when a fatal error ends the process: the run owns
// one for as long as it has work to undo (its transaction), and the fatal
// exit calls it first, before the fatal hook.
class FatalCleanup {
 public:
  explicit FatalCleanup(std::function<void()> undo);
  ~FatalCleanup();
  FatalCleanup(const FatalCleanup&) = delete;
  FatalCleanup& operator=(const FatalCleanup&) = delete;

 private:
  std::function<void()> undo_;
  FatalCleanup* outer_;
  friend void ErrorExitText(const std::string& message);
};

// The message of the fatal error being handled, for a clean-up that keeps
// it (the run protocol); empty outside a fatal exit.
const std::string& FatalMessage();

// Non-fatal message box (the follow-up command's message): stderr, run goes on.
// On Windows the fatal message and this one are also shown in a message box
// with the stop icon, unless the command line holds "/NOGUI".
void MessageBoxText(const std::string& message);

}  // namespace zeko
