#include "output/file_lock.h"

namespace zeko {

namespace {
std::function<void(const std::string&)>& WaitHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}
constexpr int kPollMs = 100;
}  // namespace

void SetLockWaitHook(std::function<void(const std::string& output)> hook) {
  WaitHook() = std::move(hook);
}

bool AcquireLockFile(RawFile& lock, const std::string& lockPath, const std::string& output) {
  bool waited = false;
  for (;;) {
    RawFile file;
    if (!file.OpenLockFile(lockPath)) return false;
    bool error = false;
    // Polled rather than blocking, so that the dialog keeps drawing and
    // Cancel still works while the run waits.
    while (!file.TryLock(error)) {
      if (error) return false;
      waited = true;
      if (WaitHook()) WaitHook()(output);
      SleepMs(kPollMs);
    }
    // The run before may have removed the lock file as it finished: then
    // this lock is on a file that no one else will ever look at.
    if (file.IsAt(lockPath)) {
      if (waited && WaitHook()) WaitHook()("");
      lock = std::move(file);
      return true;
    }
  }
}

}  // namespace zeko
