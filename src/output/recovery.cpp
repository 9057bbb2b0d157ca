#include "output/recovery.h"

#include <filesystem>
#include <system_error>

namespace zeko {

namespace {

// Work files of a dead run that its journal does not name (a torn or
// damaged journal): "<output>.<8 hex digits>.$$$" beside the output. No
// living run has one there while this run holds the output's lock.
void RemoveStrayWorkFiles(const std::string& output) {
  namespace fs = std::filesystem;
  const fs::path path(output);
  const std::string prefix = path.filename().string() + ".";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(path.parent_path(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != prefix.size() + 12 || !name.starts_with(prefix) || !name.ends_with(".$$$"))
      continue;
    const std::string digits = name.substr(prefix.size(), 8);
    if (digits.find_first_not_of("0123456789abcdef") == std::string::npos)
      (void)UnlinkFile(entry.path().string());
  }
}

bool MasterCommitted(const std::string& masterPath, const std::string& transaction) {
  RawFile file;
  std::string content;
  if (!file.OpenForReading(masterPath) || !file.ReadAll(content)) return false;
  const JournalContent master = ParseJournal(content);
  return master.valid && master.master.empty() && master.transaction == transaction &&
         master.committed;
}

// A further output of a dead run's transaction, settled under its own lock.
// Its journal's removal is durable when this returns true.
bool SettleMember(const std::string& journalPath, const std::string& transaction, bool commit,
                  const LockWait& wait) {
  if (!FileExists(journalPath)) return true;
  RawFile lock;
  if (AcquireLockFile(lock, journalPath, OutputOfJournal(journalPath), wait) != LockResult::kLocked)
    return false;
  std::string content;
  if (!lock.ReadAll(content)) return false;
  const JournalContent j = ParseJournal(content);
  if (j.valid && j.transaction == transaction) {
    if (!Settle(OutputOfJournal(journalPath), j.plan, commit)) return false;
  } else if (!content.empty()) {
    return true;  // another transaction's: recovered by whoever opens that output
  }
  return UnlinkFile(journalPath) && SyncDirectoryOf(journalPath) && lock.Close();
}

}  // namespace

bool Settle(const std::string& output, const OutputPlan& plan, bool commit) {
  switch (plan.kind) {
    case OutputPlan::Kind::kNone: return true;
    case OutputPlan::Kind::kInPlace: {
      if (commit) return true;
      RawFile file;
      if (!file.OpenForUpdate(output)) return !FileExists(output);
      const std::int64_t size = file.Size();
      if (size < 0) return false;
      // Shorter than where the run began: someone else has changed the
      // file since, and there is nothing of the run left in it to undo.
      if (size < plan.offset) return true;
      return (plan.tail.empty() || file.WriteAt(plan.offset, plan.tail.data(), plan.tail.size())) &&
             file.Truncate(plan.oldSize) && file.Sync() && file.Close();
    }
    case OutputPlan::Kind::kFresh:
      if (!commit) return UnlinkFile(plan.work);
      // Gone: renamed into place before. The work file's name was made
      // durable before COMMIT, so a missing one cannot be a lost one.
      if (!FileExists(plan.work)) return true;
      return RenameFile(plan.work, output) && SyncDirectoryOf(output);
  }
  return false;
}

Recovery Recover(RawFile& journal, const std::string& output, const std::string& ownInput,
                 const LockWait& wait) {
  std::string content;
  if (!journal.ReadAll(content)) return Recovery::kFailed;
  if (content.empty()) return Recovery::kClean;
  const JournalContent j = ParseJournal(content);
  if (j.valid) {
    const bool master = j.master.empty();
    const bool commit = master ? j.committed : MasterCommitted(j.master, j.transaction);
    if (master) {
      for (const std::string& member : j.members)
        if (!SettleMember(member, j.transaction, commit, wait)) return Recovery::kFailed;
    }
    if (!Settle(output, j.plan, commit)) return Recovery::kFailed;
    if (master && commit && j.deleteInput && StillThere(j.input)) {
      if (!ownInput.empty() && j.input.path == ownInput) return Recovery::kInputBooked;
      // The deletion is durable before the journal that asks for it goes.
      if (!UnlinkFile(j.input.path) || !SyncDirectoryOf(j.input.path)) return Recovery::kFailed;
    }
  }
  RemoveStrayWorkFiles(output);
  return journal.Truncate(0) && journal.Sync() ? Recovery::kClean : Recovery::kFailed;
}

}  // namespace zeko
