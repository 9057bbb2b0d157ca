// Recovery: what the next run does with a journal that a killed run (or a
// power loss) left behind. It runs under the journal's lock, so its writer
// is gone: no run would hold the lock otherwise.
//   - Master without COMMIT: every output of the transaction is rolled
//     back, the members first, each under its own lock.
//   - Master with COMMIT: rolled forward (work files that are still there
//     renamed over their outputs), the members first; then the input is
//     deleted if it is still there (StillThere). When that input is the
//     recovering run's own, the recovering run is the same export started
//     again: it books nothing (Recovery::kInputBooked).
//   - Member: rolled forward when its master's journal holds the
//     transaction's COMMIT, else rolled back.
// Rolling back and forward are repeatable, so a crash during recovery is
// recovered the same way by the run after it.
#pragma once
#include <string>

#include "output/journal_record.h"
#include "output/lock_order.h"
#include "output/raw_file.h"

namespace zeko {

enum class Recovery {
  kClean,        // nothing (more) in the journal; it is empty now
  kInputBooked,  // a committed transaction of `ownInput`; the journal is left as it was
  kFailed,       // errno tells why; the journal is left for the next run
};

// Recovers the journal `journal` (locked, open) of the output at `output`.
Recovery Recover(RawFile& journal, const std::string& output, const std::string& ownInput,
                 const LockWait& wait);

// Puts an output back as it was (commit false) or finishes putting its new
// content in place (commit true). Repeatable.
bool Settle(const std::string& output, const OutputPlan& plan, bool commit);

}  // namespace zeko
