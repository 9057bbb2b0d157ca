#include "output/files.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#ifdef _WIN32
#include <io.h>

#include <sys/stat.h>
#else
#include <unistd.h>
#endif

#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "output/raw_file.h"

namespace zeko {

namespace {
#ifdef _WIN32
// Without O_BINARY the runtime would turn every line feed into CR LF.
constexpr int kBinary = O_BINARY;
constexpr int kOwnerReadWrite = _S_IREAD | _S_IWRITE;
#else
constexpr int kBinary = 0;
constexpr int kOwnerReadWrite = 0666;  // less the umask, as every tool creates files
#endif
}  // namespace

void WriteFailed(const std::string& path, int err) {
  ErrorExitText(WithWhere(msg::kWriteError, PathWhere(path, err)));
}

int e_write(int fd, const void* buffer, std::size_t count) {
  const char* p = static_cast<const char*>(buffer);
  std::size_t left = count;
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ErrorExit("%s", msg::kWriteError);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return static_cast<int>(count);
}

int OpenAppendFile(const std::string& path) {
  int fd = ::open(ResolvePath(path).c_str(), O_RDWR | O_CREAT | kBinary, kOwnerReadWrite);
  if (fd < 0 || ::lseek(fd, 0, SEEK_END) < 0)
    ErrorExitText(msg::kOutputOpen + PathWhere(path, errno));
  return fd;
}

int CreateOutputFile(const std::string& path) {
  int fd = ::open(ResolvePath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | kBinary, kOwnerReadWrite);
  if (fd < 0) ErrorExitText(msg::kOutputCreate + PathWhere(path, errno));
  return fd;
}

void CloseOutputFile(int fd) {
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) ErrorExit("%s", msg::kWriteError);
}

OutputStream::OutputStream(std::FILE* file)
    : file_(file), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
  // One buffer is enough: the blocks go to the system as they are.
  std::setvbuf(file_, nullptr, _IONBF, 0);
}

OutputStream::~OutputStream() {
  (void)JoinSyncBehind();
  // An explicit Close reports errors; a stream dropped without one (a fatal
  // exit elsewhere) is simply closed.
  if (file_) {
    (void)Drain();
    std::fclose(file_);
  }
}

bool OutputStream::Drain() {
  const std::size_t n = used_;
  used_ = 0;
  if (n == 0) return true;
  if (std::fwrite(buffer_.get(), 1, n, file_) != n) return false;
  // A large output goes to the disk while the run goes on, rather than all
  // at once in the sync before the commit.
  unsynced_ += n;
  if (syncBehind_ && unsynced_ >= kSyncBehindStep && !syncing_) StartSyncBehind();
  return true;
}

void OutputStream::StartSyncBehind() {
  if (syncer_.joinable()) syncer_.join();  // done: syncing_ is false
  unsynced_ = 0;
  syncing_ = true;
  try {
    syncer_ = std::thread([this, fd = ::fileno(file_)] {
      if (!SyncFileData(fd)) {
        syncError_ = errno;
        syncFailed_ = true;
      }
      syncing_ = false;
    });
  } catch (const std::system_error&) {
    syncing_ = false;  // no thread: the sync at the end does it all
  }
}

bool OutputStream::JoinSyncBehind() {
  if (syncer_.joinable()) syncer_.join();
  return !syncFailed_;
}

void OutputStream::Failed(int err) const {
  if (err == 0 && syncFailed_) err = syncError_;
  WriteFailed(name_, err);
}

void OutputStream::Append(const char* data, std::size_t length) {
  if (length > kBufferSize - used_) {
    if (!Drain()) Failed(errno);
    if (length >= kBufferSize) {
      if (std::fwrite(data, 1, length, file_) != length) Failed(errno);
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, data, length);
  used_ += length;
}

void OutputStream::WriteRaw(const char* data, std::size_t length) { Append(data, length); }

void OutputStream::Write(const char* data, std::size_t length) {
  while (length > 0) {
    const void* nl = std::memchr(data, '\n', length);
    if (!nl) {
      Append(data, length);
      return;
    }
    std::size_t n = static_cast<std::size_t>(static_cast<const char*>(nl) - data);
    Append(data, n);
    Append("\r\n", 2);
    data += n + 1;
    length -= n + 1;
  }
}

void OutputStream::Puts(const char* text) { Write(text, std::strlen(text)); }

void OutputStream::Flush() {
  if (!JoinSyncBehind()) Failed(0);
  if (!file_) return;
  if (!Drain() || std::fflush(file_) != 0) Failed(errno);
}

void OutputStream::Close() {
  if (!file_) return;
  std::FILE* f = file_;
  const bool drained = Drain();
  const bool synced = JoinSyncBehind();
  file_ = nullptr;
  bool bad = !drained || !synced || std::ferror(f) != 0;
  const int err = errno;
  if (std::fclose(f) != 0) Failed(errno);
  if (bad) Failed(synced ? err : 0);
}

std::unique_ptr<OutputStream> OpenOutputStream(const std::string& path, bool append) {
  std::FILE* f = std::fopen(ResolvePath(path).c_str(), append ? "ab" : "wb");
  if (!f) ErrorExitText(msg::kOutputOpen + PathWhere(path, errno));
  auto out = std::make_unique<OutputStream>(f);
  out->SetName(path);
  return out;
}

bool RemoveFile(const std::string& path) { return ::unlink(ResolvePath(path).c_str()) == 0; }

}  // namespace zeko
