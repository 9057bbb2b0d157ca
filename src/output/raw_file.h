// The file operations under the output layer: descriptors rather than
// streams where the layer needs exact control (creation that never follows
// a link, locks, positioned writes, syncs), every result checked by the
// caller. POSIX in raw_file.cpp, Windows in raw_file_win32.cpp, what both
// share in raw_file_common.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zeko {

// Bytes that went through RawFile reads and positioned writes since the
// process started. An append must not touch the earlier content of a file;
// the tests check that with these figures instead of with timings.
struct FileTraffic {
  std::uint64_t bytesRead = 0;
  std::uint64_t bytesWritten = 0;
};
FileTraffic& OutputTraffic();

class RawFile {
 public:
  RawFile() = default;
  ~RawFile();  // closes without looking at the result
  RawFile(RawFile&& other) noexcept;
  RawFile& operator=(RawFile&& other) noexcept;
  RawFile(const RawFile&) = delete;
  RawFile& operator=(const RawFile&) = delete;

  // An existing file for reading and writing.
  bool OpenForUpdate(const std::string& path);
  // An existing file for reading only, never through a link.
  bool OpenForReading(const std::string& path);
  // A new file: fails when anything at all stands at the path, a link
  // included (never followed). Permissions 0666 less the umask.
  bool CreateNew(const std::string& path);
  // A file that serves as lock: opened when it is there, created when it
  // is not, never through a link; it must be a plain file with one name.
  bool OpenLockFile(const std::string& path);

  // Takes the exclusive lock without waiting; false while another open of
  // the file holds it (or on an error, with `error` set).
  bool TryLock(bool& error);
  // True while `path` still names this very file: a lock file that its last
  // holder removed is not the lock any more.
  bool IsAt(const std::string& path) const;

  bool is_open() const;
  std::int64_t Size() const;                                       // -1 on failure
  bool ReadAt(std::int64_t offset, void* data, std::size_t size);  // all of it
  bool ReadAll(std::string& out);
  bool WriteAt(std::int64_t offset, const void* data, std::size_t size);  // all of it
  bool Truncate(std::int64_t size);
  bool Sync();
  // Gives the file the permissions of the file at `path` (a replaced file
  // keeps its mode).
  bool CopyModeFrom(const std::string& path);
  bool Close();
  // Hands the open file to a buffered stream positioned at `offset`; this
  // object is empty afterwards. Null on failure (the file is closed then).
  std::FILE* ReleaseToStream(std::int64_t offset);
  // Puts the open file under the stream's descriptor in place of the file
  // it wrote, positioned at `offset`; this object is empty afterwards.
  // Only for a stream that holds no buffered bytes.
  bool MoveUnder(std::FILE* stream, std::int64_t offset);

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int fd_ = -1;
#endif
};

// Puts `from` in the place of `to` in one step, replacing it.
bool RenameFile(const std::string& from, const std::string& to);
// Removes a file; true also when there was none.
bool UnlinkFile(const std::string& path);
bool FileExists(const std::string& path);
// What tells this very file from another with the same bytes: inode and
// modification time to the nanosecond (POSIX; not the device number, which
// a restart may change), the volume's own serial number, file index and
// last-write time (Windows); a text without blanks. Empty when the file
// cannot be looked at.
std::string FileStamp(const std::string& path);
// Makes creations, renames and removals in the directory of `path` durable.
// Where a file system cannot sync a directory the data itself is safe, so
// only a failing sync of an opened directory counts as a failure.
bool SyncDirectoryOf(const std::string& path);
// Points the stream's descriptor at the null device: whatever the stream
// still buffers goes nowhere when it is flushed or closed later (after the
// file it wrote has been restored).
void DivertStream(std::FILE* stream);
// Makes the data written through descriptor fd durable; safe beside writes
// to it from another thread.
bool SyncFileData(int fd);
// Waits a little without using the processor.
void SleepMs(int milliseconds);

}  // namespace zeko
