#include "output/raw_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <sys/file.h>
#include <sys/stat.h>

namespace zeko {

namespace {

#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

// Files are created as every other tool creates them: 0666 less the umask,
// so that a host system running as another user can read what it asked for.
constexpr mode_t kNewFileMode = 0666;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

RawFile::~RawFile() {
  if (fd_ >= 0) ::close(fd_);
}

RawFile::RawFile(RawFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

RawFile& RawFile::operator=(RawFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool RawFile::is_open() const { return fd_ >= 0; }

bool RawFile::OpenForUpdate(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  return fd_ >= 0;
}

bool RawFile::OpenForReading(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  return fd_ >= 0;
}

bool RawFile::CreateNew(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
  return fd_ >= 0;
}

bool RawFile::OpenLockFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
  if (fd_ < 0) return false;
  struct stat st;
  // A second name for the file (a hard link planted at the lock's name)
  // would let the journal overwrite someone else's file.
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1) {
    ::close(fd_);
    fd_ = -1;
    errno = EEXIST;
    return false;
  }
  return true;
}

bool RawFile::TryLock(bool& error) {
  error = false;
  // flock, not fcntl: an fcntl lock would go with the first close of any
  // descriptor of the file in this process, and the run opens its journal
  // more than once while recovering.
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) error = true;
    return false;
  }
}

bool RawFile::IsAt(const std::string& path) const {
  struct stat mine, there;
  if (::fstat(fd_, &mine) != 0 || ::lstat(path.c_str(), &there) != 0) return false;
  return mine.st_dev == there.st_dev && mine.st_ino == there.st_ino;
}

std::int64_t RawFile::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool RawFile::ReadAt(std::int64_t offset, void* data, std::size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    OutputTraffic().bytesRead += std::uint64_t(n);
    p += n;
    offset += n;
    size -= std::size_t(n);
  }
  return true;
}

bool RawFile::WriteAt(std::int64_t offset, const void* data, std::size_t size) {
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    OutputTraffic().bytesWritten += std::uint64_t(n);
    p += n;
    size -= std::size_t(n);
  }
  return true;
}

bool RawFile::Truncate(std::int64_t size) {
  while (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool RawFile::Sync() { return ::fsync(fd_) == 0; }

bool RawFile::CopyModeFrom(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return ::fchmod(fd_, st.st_mode & 07777) == 0;
}

bool RawFile::Close() {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  // After EINTR the descriptor is gone on Linux; the data went with fsync.
  return ::close(fd) == 0 || errno == EINTR;
}

std::FILE* RawFile::ReleaseToStream(std::int64_t offset) {
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return nullptr;
  std::FILE* file = ::fdopen(fd_, "r+b");
  if (file == nullptr) return nullptr;
  fd_ = -1;
  return file;
}

bool RawFile::MoveUnder(std::FILE* stream, std::int64_t offset) {
  const bool ok = ::dup2(fd_, ::fileno(stream)) >= 0;
  ::close(fd_);
  fd_ = -1;
  return ok && fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool UnlinkFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool FileExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string FileStamp(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::string();
  return std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_sec) +
         "." + std::to_string(st.st_mtim.tv_nsec);
}

bool SyncDirectoryOf(const std::string& path) {
  const int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
  ::close(fd);
  return ok;
}

bool SyncFileData(int fd) {
  while (::fdatasync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

void DivertStream(std::FILE* stream) {
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  (void)::dup2(null, ::fileno(stream));
  ::close(null);
}

void SleepMs(int milliseconds) { ::usleep(useconds_t(milliseconds) * 1000); }

}  // namespace zeko
