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
void ErrorExitText(const std::string& message) {
  // A failed run leaves every output as it was before the run: this
  // replaces the old rule that output already written stays.
  while (FatalCleanup* cleanup = g_cleanup) {
    g_cleanup = cleanup->outer_;
    if (cleanup->undo_) cleanup->undo_();
  }
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
