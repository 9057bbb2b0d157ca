// An output file that a run never changes in place.
//
// The run builds the file's complete new content in a sibling work file
// (the name with ".$$$" appended) and swaps it in with one rename once
// everything is written. A run that dies part-way (disk full, a killed
// process, any fatal error) therefore leaves the file of the earlier runs
// exactly as it was, and running the export again after fixing the cause
// gives no duplicate and no missing line. A work file left behind by such
// a run is simply replaced by the next one.
//
// Each run's records still stream straight to the disk; the only extra
// cost is a copy of the earlier content where the run appends to it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "output/files.h"

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
  SafeOutput(const SafeOutput&) = delete;
  SafeOutput& operator=(const SafeOutput&) = delete;

  // Name of the file in which a run builds the new content of `path`.
  static std::string WorkPath(const std::string& path);

  // Starts the run's content of the file at `path` (as configured; it is
  // resolved here). A missing file is made by `create`, the writer's own
  // opening routine with its own message, so a new file appears (empty) at
  // once as it always did; the new content takes its place at Commit. An
  // existing file that cannot be updated (kAppend, kTruncate) or that is a
  // directory ends the run with updateError, and so does a work file that
  // cannot be made beside it. A device or pipe cannot be replaced: it is
  // written straight. The new content keeps the file's permissions. The
  // stream stays valid until Commit.
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
  // Starts the new content: the work file is created and the first `keep`
  // bytes of the existing file (if any) are copied into it. After
  // OpenExisting the new content also keeps whatever old bytes lie beyond
  // the end of this run's bytes, as writing in place never truncates.
  OutputStream& Begin(std::int64_t keep);

  // Completes the new content and makes it durable, without putting it in
  // place yet. A writer of two files finishes both before it commits
  // either, so that only the two renames lie between them.
  void Finish();
  // Finishes the new content (unless done) and puts it in place of the
  // file. Failures end the run with "Fehler in e_write"; the file then still
  // holds its earlier content.
  void Commit();

 private:
  void CopyExisting(std::int64_t from, std::int64_t to);
  void OpenForUpdate();

  std::string path_;
  std::string workPath_;
  std::string updateError_;
  std::string createError_;
  std::FILE* existing_ = nullptr;
  std::int64_t existingSize_ = 0;
  bool keepTail_ = false;  // old bytes beyond this run's bytes stay (OpenExisting)
  bool direct_ = false;    // a device or pipe, written straight
  bool pending_ = false;   // a work file exists that is not in place yet
  std::unique_ptr<OutputStream> out_;
};

}  // namespace zeko
