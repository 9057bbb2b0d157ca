// An output file whose changes a failed run undoes.
//
// A run that adds to a file writes its bytes in place, after recording in
// the file's rollback journal (output/journal.h) how to undo them: the old
// length, and the old bytes it writes over (HS's end line). A run that
// writes a file anew builds it in a work file beside it, created
// exclusively under a name no one can guess, and puts it in place by one
// rename. Nothing is final until the run commits (RunJournal::CommitRun,
// all outputs and the deletion of the input together); a failed or
// cancelled run puts every output back as it was, and a killed run is put
// back by the next run that opens the same output. The journal is also the
// output's lock: a second run on the same file waits for the first.
//
// The cost of a run is its own bytes: the earlier content is neither
// copied nor read (HS reads it to find its end line).
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "output/files.h"
#include "output/journal.h"
#include "output/raw_file.h"

namespace zeko {

class SafeOutput {
 public:
  // What the run does with the file's earlier content.
  enum class Mode {
    kAppend,    // this run's bytes follow it
    kTruncate,  // the file starts empty; it must be open for update, as
                // opening it with truncation demanded
    kReplace,   // the file starts empty; it is replaced as removing and
                // creating it anew would, so it need not be writable itself
  };

  SafeOutput() = default;
  ~SafeOutput();

  // A check of an export (zeko --pruefen) runs the writers as a run would,
  // but no output is touched: every file takes its bytes and drops them,
  // nothing is locked, journaled or read back, and an existing file is
  // treated as missing.
  static void SetDry(bool dry);
  static bool Dry();
  SafeOutput(const SafeOutput&) = delete;
  SafeOutput& operator=(const SafeOutput&) = delete;

  // Starts the run's content of the file at `path` (as configured; it is
  // resolved here), after taking the file's lock (waiting for another run
  // that holds it) and recovering what a killed run left. A missing file
  // appears only when the run commits; when it cannot be made, `create`,
  // the writer's own opening routine, is called for its own message. An
  // existing file that cannot be updated (kAppend, kTruncate) or that is a
  // directory ends the run with updateError, and so does a journal or work
  // file that cannot be made beside it. A device or pipe cannot be undone:
  // it is written straight. A replaced file keeps its permissions, a new
  // one gets 0666 less the umask. The stream stays valid until Commit.
  OutputStream& Open(const std::string& path, Mode mode, const std::string& updateError,
                     const std::function<void()>& create);

  // The lower level, for a writer that places its bytes inside the earlier
  // content (HS). Looks for the file at `path` (already resolved) without
  // creating it; false when there is none. An existing file must be open
  // for update; when it is not, the run ends with updateError. createError
  // is the message for a file that cannot be made (also a directory
  // standing where the file should be).
  bool OpenExisting(const std::string& path, const std::string& updateError,
                    const std::string& createError);
  // The existing file for reading (after OpenExisting returned true).
  std::FILE* existing() const { return existing_; }
  std::int64_t existingSize() const { return existingSize_; }
  // Starts the new content after the first `keep` bytes of the existing
  // file, written in place (old bytes beyond this run's bytes stay, as
  // writing in place never truncates); without an existing file, in a new
  // work file.
  OutputStream& Begin(std::int64_t keep);

  // Completes the new content and makes it durable (synced).
  void Finish();
  // Finishes the new content (unless done) and hands it to the run's
  // commit; outside a run (no RunJournal::BeginRun) it is put in place at
  // once. Failures end the run with "Fehler in e_write"; the file then
  // holds its earlier content.
  void Commit();

 private:
  void JoinRun();
  void OpenForUpdate();
  OutputStream& Stream(std::FILE* file);
  OutputStream& DryStream();

  std::string path_;
  std::string updateError_;
  std::string createError_;
  std::function<void()> create_;
  std::shared_ptr<RunJournal::Output> journal_;
  std::FILE* existing_ = nullptr;
  std::int64_t existingSize_ = 0;
  bool inPlace_ = false;    // the earlier content stays: written in place
  bool direct_ = false;     // a device or pipe, written straight
  bool committed_ = false;  // handed to the run's commit
  std::unique_ptr<OutputStream> out_;
};

}  // namespace zeko
