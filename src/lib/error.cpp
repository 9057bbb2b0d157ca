#include "lib/error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include "lib/platform.h"  // StopMessageBox
#endif

namespace zeko {

namespace {
void (*g_fatalHook)() = nullptr;  // the dialog's terminal restore; set once at start-up
FatalCleanup* g_cleanup = nullptr;  // the innermost living one
}  // namespace

void SetFatalHook(void (*hook)()) { g_fatalHook = hook; }

FatalCleanup::FatalCleanup(std::function<void()> undo) : undo_(std::move(undo)), outer_(g_cleanup) {
  g_cleanup = this;
}

FatalCleanup::~FatalCleanup() { g_cleanup = outer_; }

// The whole message is shown: a path in it is never cut, so no character
// can be split in the middle.
namespace {
const std::string* g_exiting = nullptr;  // the message of the fatal exit under way
}  // namespace

const std::string& FatalMessage() {
  static const std::string none;
  return g_exiting != nullptr ? *g_exiting : none;
}

void ErrorExitText(const std::string& message) {
  if (g_exiting != nullptr) {
    // A clean-up failed in turn: the first message is the one the user
    // needs, the second says what else could not be done. The clean-ups
    // still to come run as for any fatal error.
    const std::string both = *g_exiting + "\n" + message;
    g_exiting = nullptr;
    ErrorExitText(both);
  }
  // A failed run leaves every output as it was before the run: this
  // replaces the old rule that output already written stays.
  g_exiting = &message;
  while (FatalCleanup* cleanup = g_cleanup) {
    g_cleanup = cleanup->outer_;
    if (cleanup->undo_) cleanup->undo_();
  }
  g_exiting = nullptr;
  if (void (*hook)() = g_fatalHook) {
    g_fatalHook = nullptr;
    hook();
  }
  std::fflush(stdout);
  MessageBoxText(message);
  std::exit(1);
}

void ErrorExit(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::vector<char> buf(static_cast<std::size_t>(n > 0 ? n : 0) + 1);
  std::vsnprintf(buf.data(), buf.size(), format, args);
  va_end(args);
  ErrorExitText(std::string(buf.data()));
}

void MessageBoxText(const std::string& message) {
  std::fputs(message.c_str(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
#ifdef _WIN32
  StopMessageBox(message);
#endif
}

}  // namespace zeko
