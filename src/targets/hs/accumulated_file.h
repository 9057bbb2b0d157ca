// An output file that the target system collects over many runs (HS and HS3).
//
// A run never writes into the collected file itself. It builds the file's
// complete new content in a sibling file and swaps that in with one rename
// once Close has written everything, so a run that dies part-way (disk full,
// a killed process, a fatal error) leaves the file of the earlier runs
// exactly as it was, and the next run can start over from it.
//
// The new content is laid out the way writing in place would leave it: the
// kept part of the old file, then this run's bytes, then whatever old bytes
// lie beyond the end of this run's bytes (an update never truncates).
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "run/files.h"

namespace zeko {

class AccumulatedFile {
 public:
  AccumulatedFile() = default;
  ~AccumulatedFile();
  AccumulatedFile(const AccumulatedFile&) = delete;
  AccumulatedFile& operator=(const AccumulatedFile&) = delete;

  // Name of the file in which a run builds the new content of `path`.
  static std::string WorkPath(const std::string& path);

  // Looks for the collected file at `path` (already resolved). Returns false
  // when there is none. An existing file must be open for update, as writing
  // in place would need it; when it is not, the run ends with updateError.
  // createError is the message for a file that cannot be created (also a
  // directory standing where the file should be).
  bool OpenExisting(const std::string& path, const std::string& updateError,
                    const std::string& createError);

  // The existing file for reading (after OpenExisting returned true).
  std::FILE* existing() const { return existing_; }
  std::int64_t existingSize() const { return existingSize_; }

  // Starts the new content beside the collected file: the work file is
  // created and the first `keep` bytes of the existing file (if any) are
  // copied into it. The stream returned stays valid until Commit.
  OutputStream& Begin(std::int64_t keep);

  // Finishes the new content, makes it durable and puts it in place of the
  // collected file. Failures end the run with "Fehler in e_write"; the
  // collected file then still holds the earlier runs' content.
  void Commit();

 private:
  void CopyExisting(std::int64_t from, std::int64_t to);

  std::string path_;
  std::string workPath_;
  std::string updateError_;
  std::string createError_;
  std::FILE* existing_ = nullptr;
  std::int64_t existingSize_ = 0;
  std::unique_ptr<OutputStream> out_;
};

}  // namespace zeko
