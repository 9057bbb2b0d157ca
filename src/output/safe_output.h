// An output file whose changes a failed run undoes: written in place behind
// its journal, or anew into a work file that takes its place at the run's
// commit (journal.h tells the protocol). The cost of a run is its own
// bytes: the earlier content is neither copied nor read (HS reads it to
// find its end line).
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "output/journal.h"
#include "output/output_stream.h"

namespace zeko {

// What the run does with the file's earlier content.
enum class OutputMode {
  kAppend,    // this run's bytes follow it
  kTruncate,  // the file starts empty; it must be open for update, as
              // opening it with truncation demanded
  kReplace,   // the file starts empty; it is replaced as removing and
              // creating it anew would, so it need not be writable itself
  kInPlace,   // the earlier content stays up to where OutputFile::keep
              // says (HS: before its end line); this run's bytes follow
};

// An output as its writer declares it.
struct OutputFile {
  std::string path;  // as configured; resolved when opened
  OutputMode mode = OutputMode::kReplace;
  // The whole message for an existing file that cannot be updated (or a
  // directory standing at the path).
  std::string updateError;
  // A file that cannot be made: this text, then the path and the reason.
  std::string createError;
  // kInPlace: where this run's bytes begin in the earlier content of
  // `size` bytes, read from `file`.
  std::function<std::int64_t(std::FILE* file, std::int64_t size)> keep;
  // The run protocol's figures: the SHA-256 of the bytes the run adds.
  bool digest = false;
};

// What a run did to one output, for its protocol: the file's size before
// and after the run, and the SHA-256 of the bytes the run wrote into it
// (empty unless OutputFile::digest).
struct AddedBytes {
  std::int64_t sizeBefore = 0;
  std::int64_t sizeAfter = 0;
  std::string sha256;
};

class SafeOutput {
 public:
  SafeOutput() = default;
  ~SafeOutput();
  SafeOutput(const SafeOutput&) = delete;
  SafeOutput& operator=(const SafeOutput&) = delete;

  // Starts the run's content of the file, after taking its lock (waiting
  // for another run that holds it) and recovering what a killed run left.
  // A missing file appears only when the run commits. A device or pipe
  // cannot be undone: it is written straight. A replaced file keeps its
  // permissions, a new one gets 0666 less the umask. The stream stays
  // valid until Commit.
  OutputStream& Open(RunJournal& run, const OutputFile& declared);
  // Whether the file existed when it was opened (kInPlace).
  bool existed() const { return existed_; }

  // Completes the new content and makes it durable (synced).
  void Finish();
  // After Finish.
  const AddedBytes& added() const { return added_; }
  // Finishes the new content (unless done) and hands it to the run's
  // commit. Failures end the run with "Fehler in e_write"; the file then
  // holds its earlier content.
  void Commit();

 private:
  [[noreturn]] void CreateFailed(int err) const;
  void OpenForUpdate();
  OutputStream& Begin(std::int64_t keep);
  OutputStream& Stream(std::FILE* file);
  OutputStream& DryStream();

  RunJournal* run_ = nullptr;
  OutputFile declared_;
  std::string path_;  // resolved, links too
  std::shared_ptr<RunJournal::Output> journal_;
  std::FILE* existing_ = nullptr;
  std::int64_t existingSize_ = 0;
  bool existed_ = false;
  AddedBytes added_;
  bool direct_ = false;     // a device, a pipe or nowhere: written straight
  bool committed_ = false;  // handed to the run's commit
  std::unique_ptr<OutputStream> out_;
};

}  // namespace zeko
