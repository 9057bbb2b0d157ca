// The run's transaction over every file it changes, kept in rollback
// journals beside the outputs, so that a run either changes all of its
// outputs and removes its input, or leaves everything as it was.
//
// Every output has a journal file beside it, its name with ".$JN" appended.
// The journal is also the output's lock (file_lock.h): a run holds it from
// before it looks at the output until its work is committed or undone, and
// removes it then. A journal is a text file of records, one a line, each
// ending in " #" and the FNV-1a hash of the line's text in 16 hex digits
// (a torn last line, a crash while it was written, is not a record):
//
//   ZEKO-JOURNAL 1 <transaction> <master>   the header; <master> is "-" in
//                                           the first output's journal, the
//                                           master, else the master's path
//   INPLACE <old size> <offset> <tail>      the run writes the output in
//                                           place from <offset>; <tail> are
//                                           the old bytes from there to the
//                                           old end (HS's end line)
//   FRESH <existed 0|1> <work file>         the run writes the output anew
//                                           into <work file> beside it
//   MEMBER <journal>                        (master) a further output's
//                                           journal in the same transaction
//   COMMIT <delete 0|1> <size> <hash> <stamp> <input>
//                                           (master) the commit point: the
//                                           run is done, and its input (of
//                                           this size, FNV-1a hash and
//                                           FileStamp) is deleted unless
//                                           "/ND" was given
//
// Texts are written with "%XX" for a blank, "%", a control byte or a byte
// from 0x7F on. A record reaches the disk (fsync) before the output is
// touched; an output's data reaches the disk before COMMIT is written.
//
// Recovery, by the next run that locks the output's journal and finds
// records in it (its writer is gone: no run would hold the lock otherwise):
//   - Master without COMMIT: every output of the transaction is rolled back
//     (truncated to its old size with its old tail put back; a work file
//     removed), the members first, each under its own lock.
//   - Master with COMMIT: rolled forward (the work files that are still
//     there renamed over their outputs), the members first; then the input
//     is deleted if it is still there: the very file (its stamp: a new
//     export with the same bytes is not it), with the recorded size and
//     hash. When that input is the recovering run's own, the recovering
//     run is the same export started again: it books nothing
//     (InputAlreadyBooked).
//   - Member: rolled forward when its master's journal holds the
//     transaction's COMMIT, else rolled back.
// Rolling back and forward are repeatable, so a crash during recovery is
// recovered the same way by the run after it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/hash.h"
#include "output/raw_file.h"

namespace zeko {

// Thrown when an output's journal shows that an earlier run booked this
// very input and was stopped before it could delete it: the run has
// nothing left to do but finish that deletion (RunJournal::FinishBooked).
struct InputAlreadyBooked {};

class RunJournal {
 public:
  struct Output;  // one output file of the transaction

  static RunJournal& Get();

  // The run: makes the transaction run-wide, so that its outputs are
  // committed together (CommitRun) with the deletion of its input. Without
  // it (tools and tests of single files) an output commits alone as soon
  // as its writer commits it.
  void BeginRun(const std::string& inputPath, bool deleteInput);
  // The commit: every output's data synced, COMMIT written and synced,
  // then the new files put in place, the input deleted (unless "/ND"), the
  // journals removed. A run without outputs only deletes its input.
  // Failures end the run with "Fehler in e_write"; after the commit point
  // the next run finishes the work.
  // input: the size and hash of the input as the run read it whole, if it
  // did; else the input is read once more for them.
  void CommitRun(const std::optional<InputDigest>& input = std::nullopt);
  // Undoes what the run did: every output as before the run, its work
  // files and journals removed. Never ends the run itself; what it cannot
  // undo stays in the journals for the next run. After the commit point it
  // only lets go of the files.
  void RollBack() noexcept;
  // After InputAlreadyBooked, with the input closed: deletes the input and
  // the journal that recorded the commit.
  void FinishBooked();

  // A work file of the run that is not an output (the presort's sorted
  // copy): created exclusively and never through a link (a stale file at
  // the name is removed first), and removed again when the run fails.
  // Null when it cannot be created.
  std::FILE* CreateWorkFile(const std::string& path);
  // The work file at `path` (a sorted copy of the input) takes the input's
  // place when the run commits; when the input is deleted, it goes instead.
  void ReplaceInputWith(const std::string& path);

  // SafeOutput's side. Locks the journal of the output at `path` (links
  // already resolved), recovering whatever an earlier run left in it. A
  // run that must wait for it while holding an output that comes later in
  // the shared lock order lets go of its outputs first (while nothing of
  // it is in them) and takes them all again in that order: runs with
  // crossed outputs never wait for each other forever.
  // Null when no journal can be made beside the output or the output is
  // already part of this run.
  std::shared_ptr<Output> Join(const std::string& path);
  // Records that the run writes the output in place from `offset` (its
  // size now `oldSize`). False on failure.
  bool RecordInPlace(Output& output, std::int64_t oldSize, std::int64_t offset);
  // Records that the run writes the output anew and creates the work file
  // for it; `keep` when the writer keeps earlier content but there is none
  // yet. False on failure (errno or GetLastError tell why).
  bool RecordFresh(Output& output, bool existed, RawFile& work, bool keep = false);
  // The stream that writes the output; diverted when the run is undone.
  void SetStream(Output& output, std::FILE* stream);
  // The writer has written and synced the output completely.
  void Done(Output& output);
  // The writer let go of the output without committing it: undone now.
  void Abandon(Output& output);

 private:
  RunJournal() = default;
  void AppendRecord(Output& output, const std::string& text, bool& ok);
  void Reset();
  bool UndoOutput(Output& output);
  bool Recover(Output& output);
  std::string Header(const Output& output) const;
  bool Lock(Output& added);
  bool Releasable() const;
  bool Relock(Output& added);
  bool Reinstate(Output& output);

  std::vector<std::shared_ptr<Output>> outputs_;  // the master first
  std::vector<std::string> workFiles_;
  std::string inputCopy_;  // ReplaceInputWith
  std::string transaction_;
  bool runWide_ = false;
  bool committed_ = false;
  std::string inputPath_;
  bool deleteInput_ = true;
  // The journal that recorded an earlier commit of this run's input.
  RawFile bookedJournal_;
  std::string bookedJournalPath_;
};

}  // namespace zeko
