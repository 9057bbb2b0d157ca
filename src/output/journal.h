// The run's transaction over every file it changes: a run either changes
// all of its outputs and removes its input, or leaves everything as it was,
// also when it is killed or the power fails at any moment. This is the one
// place that tells how; the other files point here.
//
// Every output has a journal beside it, its name with ".$JN" appended
// (journal_record.h gives its records). The journal is also the output's
// lock (lock_order.h). The first output's journal is the master: it lists
// the others (members) and holds the commit point, the COMMIT record.
//
// Invariants, each kept by the function named:
//  1. A journal record is on the disk (the journal synced) before the
//     output changes as it describes. (AppendRecord)
//  2. A journal's name is on the disk (its folder synced) before the
//     output it guards changes. (Join, Reinstate)
//  3. A work file's name is on the disk (its folder synced) before COMMIT
//     is written: recovery takes a missing work file for one already
//     renamed into place. (CommitRun)
//  4. Every output's data is on the disk before COMMIT is written.
//     (SafeOutput::Finish, before Done)
//  5. COMMIT is on the disk before any output is put in place or the input
//     deleted. (CommitRun)
//  6. A work file's rename over its output is on the disk (the folder
//     synced) before any journal goes. (Settle)
//  7. Member journals are removed, and their folders synced, before the
//     master's journal goes: until then the master tells each member's
//     recovery whether the transaction committed. (CommitRun, RollBack,
//     recovery's SettleMember)
//  8. The input's deletion is on the disk (its folder synced) before the
//     master's journal goes; else a power loss could bring back the input
//     without the journal that says it is booked. (CommitRun,
//     FinishBooked, Recover)
//  9. A run lets go of its locks only while none of its bytes is in an
//     output, and nothing it will write depends on what they hold.
//     (Releasable, Relock)
// 10. Rolling back and forward are repeatable: a crash during recovery is
//     recovered the same way by the run after it. (Settle)
// 11. The input's identity does not depend on the device number.
//     (input_identity.h)
//
// One output's states (OutputState) and the function behind each step:
//
//        Join              RecordInPlace / RecordFresh            Done
//   ---------> kLocked ------------------------------> kWriting ------> kDone
//                 |                                    |    ^             |
//                 |                             Relock |    | Reinstate   | CommitRun
//                 |                                    v    |             v
//                 |                                  kReleased          kClosed
//                 |                                                       ^
//                 +-------- Abandon / RollBack (from any state) ----------+
//
//   Join -> kNowhere: a check (dry), an input found booked (Recovery::
//   kInputBooked) or a lock wait stopped; such an output takes bytes and
//   drops them, and the run ends without committing.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/hash.h"
#include "output/lock_order.h"
#include "output/raw_file.h"

namespace zeko {

enum class OutputState { kLocked, kWriting, kReleased, kDone, kNowhere, kClosed };

class RunJournal {
 public:
  struct Output;  // one output file of the transaction

  // Outputs that commit alone as soon as their writer commits them (tools
  // and tests of single files).
  RunJournal() = default;
  // The run's transaction: its outputs commit together (CommitRun) with
  // the deletion of its input (unless deleteInput is false: "/ND").
  RunJournal(std::string inputPath, bool deleteInput, LockWait wait);
  // A check (zeko --pruefen): every output takes its bytes and drops them;
  // nothing is locked, journaled or read back.
  struct DryRun {};
  explicit RunJournal(DryRun) : dry_(true) {}
  // What is not committed is rolled back.
  ~RunJournal();
  RunJournal(const RunJournal&) = delete;
  RunJournal& operator=(const RunJournal&) = delete;

  bool dry() const { return dry_; }
  // An output's journal showed that an earlier run committed this very
  // input and was stopped before it could delete it: the run has nothing
  // left to do but FinishBooked.
  bool InputBooked() const { return booked_; }

  // The commit: work files named durably, COMMIT written and synced, the
  // new files put in place, the input deleted (unless "/ND"), the journals
  // removed. A run without outputs only deletes its input. Failures end
  // the run with "Fehler in e_write"; after the commit point the next run
  // finishes the work. `input`: the size and hash of the input as the run
  // read it whole, if it did; else the input is read once more.
  void CommitRun(const std::optional<InputDigest>& input = std::nullopt);
  // Undoes what the run did: every output as before the run, its work
  // files and journals removed. Never ends the run itself; what it cannot
  // undo stays in the journals for the next run. After the commit point it
  // only lets go of the files.
  void RollBack() noexcept;
  // After InputBooked, with the input closed: whatever this run opened goes
  // back as it was, then the input is deleted and the journal that
  // recorded the commit removed.
  void FinishBooked();

  // A work file of the run that is not an output (the presort's sorted
  // copy): created exclusively and never through a link (a stale file at
  // the name is removed first), removed again when the run fails. Null
  // when it cannot be created.
  std::FILE* CreateWorkFile(const std::string& path);
  // The work file at `path` (a sorted copy of the input) takes the input's
  // place when the run commits; when the input is deleted, it goes instead.
  void ReplaceInputWith(const std::string& path);

  // SafeOutput's side. Locks the journal of the output at `path` (links
  // resolved), recovering whatever an earlier run left in it. Null when no
  // journal can be made beside the output (errno tells why) or the output
  // is already part of this run.
  std::shared_ptr<Output> Join(const std::string& path);
  // False for an output in kNowhere.
  static bool Writes(const Output& output);
  // Records that the run writes the output in place from `offset` (its
  // size now `oldSize`). False on failure.
  bool RecordInPlace(Output& output, std::int64_t oldSize, std::int64_t offset);
  // Records that the run writes the output anew and creates the work file
  // for it; `appendMode` when the writer keeps earlier content but there
  // is none yet. False on failure (errno or GetLastError tell why).
  bool RecordFresh(Output& output, bool existed, RawFile& work, bool appendMode = false);
  // The stream that writes the output; diverted when the run is undone.
  void SetStream(Output& output, std::FILE* stream);
  // The writer has written and synced the output completely.
  void Done(Output& output);
  // The writer let go of the output without committing it: undone now.
  void Abandon(Output& output);

 private:
  bool AppendRecord(Output& output, const std::string& line);
  void Reset();
  bool UndoOutput(Output& output);
  std::string Header(const Output& output) const;
  LockResult Lock(Output& added);
  bool Releasable() const;
  LockResult Relock(Output& added);
  bool Reinstate(Output& output);
  bool RemoveMemberJournals();
  LockWait Wait();

  std::vector<std::shared_ptr<Output>> outputs_;  // the master first
  std::vector<std::string> workFiles_;
  std::string inputCopy_;  // ReplaceInputWith
  std::string transaction_;
  bool runWide_ = false;
  bool committed_ = false;
  bool dry_ = false;
  bool booked_ = false;
  bool stopped_ = false;  // a lock wait was stopped (the user cancelled)
  std::string inputPath_;
  bool deleteInput_ = true;
  LockWait wait_;
  // The journal that recorded an earlier commit of this run's input.
  RawFile bookedJournal_;
  std::string bookedJournalPath_;
};

}  // namespace zeko
