// One run at a time per output file, and no two runs waiting for each
// other forever. The lock is held on the output's journal (journal.h) from
// before the run looks at the output until its work on it is committed or
// undone.
//
// A second run waits for the first with no time limit: the host system
// starts exports from several workstations onto one shared output, and an
// export that gives up after some time is worse than a late one, since the
// user would have to notice and start it again. Two runs that each wait
// for a file the other holds (one with NAME1=A,B, the other with
// NAME1=B,A) would wait forever; so a run waits only while every file it
// holds comes before the awaited one in one order that all runs share
// (LockKey). Otherwise it lets go of its files and takes them all again in
// that order (RunJournal's Relock).
#pragma once
#include <functional>
#include <string>

#include "output/raw_file.h"

namespace zeko {

// Called about ten times a second while the run waits for a file that
// another run holds, with the output's name; with an empty name once the
// wait is over. Returns false to stop waiting (the user cancelled).
using LockWait = std::function<bool(const std::string& output)>;

enum class LockResult { kLocked, kFailed, kStopped };

// The place of an output in the shared order: names compare without regard
// to case or separator, as on the file systems the outputs lie on.
std::string LockKey(const std::string& path);

// Opens the lock file `lockPath` (creating it, never through a link) and
// takes its exclusive lock, waiting as long as another run holds it.
// kFailed when the lock file cannot be opened or locked at all (errno).
LockResult AcquireLockFile(RawFile& lock, const std::string& lockPath, const std::string& output,
                           const LockWait& wait);
// The same without waiting: false while another run holds the lock, or,
// with `error` set, when the lock file cannot be opened or locked at all.
bool TryLockFile(RawFile& lock, const std::string& lockPath, bool& error);

}  // namespace zeko
