#include "output/lock_order.h"

namespace zeko {

namespace {
constexpr int kPollMs = 100;
}  // namespace

std::string LockKey(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c == '\\') c = '/';
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return key;
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

LockResult AcquireLockFile(RawFile& lock, const std::string& lockPath, const std::string& output,
                           const LockWait& wait) {
  bool waited = false;
  bool error = false;
  // Polled rather than blocking, so that the dialog keeps drawing and
  // Cancel still works while the run waits.
  while (!TryLockFile(lock, lockPath, error)) {
    if (error) return LockResult::kFailed;
    waited = true;
    if (wait && !wait(output)) return LockResult::kStopped;
    SleepMs(kPollMs);
  }
  if (waited && wait) (void)wait("");
  return LockResult::kLocked;
}

}  // namespace zeko
