// One run at a time per output file. The lock is held on a file beside the
// output (the output's journal, see journal.h), from before the run looks
// at the output until its work on it is finished or undone.
#pragma once
#include <functional>
#include <string>

#include "output/raw_file.h"

namespace zeko {

// Called about ten times a second while the run waits for a file that
// another run holds, with the output's name; an empty name once the wait is
// over. The run shows it in its dialog (and may end the run from there when
// the user cancels).
void SetLockWaitHook(std::function<void(const std::string& output)> hook);

// Opens the lock file `lockPath` (creating it, never through a link) and
// takes its exclusive lock. A second run waits here for the first one with
// no time limit: the host system starts exports from several workstations
// onto one shared output, and an export that gives up after some time is
// worse than a late one, since the user would have to notice and start it
// again. False when the lock file cannot be opened or locked at all.
bool AcquireLockFile(RawFile& lock, const std::string& lockPath, const std::string& output);
// The same without waiting: false while another run holds the lock, or,
// with `error` set, when the lock file cannot be opened or locked at all.
bool TryLockFile(RawFile& lock, const std::string& lockPath, bool& error);

}  // namespace zeko
