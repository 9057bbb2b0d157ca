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

bool TryLockFile(RawFile& lock, const std::string& lockPath, bool& error) {
  for (;;) {
    RawFile file;
    error = !file.OpenLockFile(lockPath);
    if (error || !file.TryLock(error)) return false;
    // The run before may have removed the lock file as it finished: then
    // this lock is on a file that no one else will ever look at.
    if (file.IsAt(lockPath)) {
      lock = std::move(file);
      return true;
    }
  }
}

bool AcquireLockFile(RawFile& lock, const std::string& lockPath, const std::string& output) {
  bool waited = false;
  bool error = false;
  // Polled rather than blocking, so that the dialog keeps drawing and
  // Cancel still works while the run waits.
  while (!TryLockFile(lock, lockPath, error)) {
    if (error) return false;
    waited = true;
    if (WaitHook()) WaitHook()(output);
    SleepMs(kPollMs);
  }
  if (waited && WaitHook()) WaitHook()("");
  return true;
}

}  // namespace zeko
