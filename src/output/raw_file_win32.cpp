#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "output/raw_file.h"

namespace zeko {

namespace {

HANDLE H(void* handle) { return static_cast<HANDLE>(handle); }
void* const kInvalid = INVALID_HANDLE_VALUE;

// Every open of an output or a lock lets other runs open, rename and remove
// the file too: a waiting run holds its lock file open while the run before
// it removes it, and a replaced output may be open in another run.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE Open(const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
  return CreateFileA(path.c_str(), access, kShareAll, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

bool DeletePending(HANDLE handle) {
  FILE_STANDARD_INFO info{};
  if (!GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info)) return true;
  return info.DeletePending != FALSE;
}

// ReadFile or WriteFile at `offset` until all `size` bytes have moved, in
// pieces that a DWORD count holds.
template <class Io, class Byte>
bool Transfer(Io io, HANDLE handle, std::int64_t offset, Byte* p, std::size_t size,
              std::uint64_t& traffic) {
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = DWORD(std::uint64_t(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(std::uint64_t(offset) >> 32);
    DWORD done = 0;
    if (!io(handle, p, size > 0x40000000 ? 0x40000000 : DWORD(size), &done, &at) || done == 0)
      return false;
    traffic += done;
    p += done;
    offset += done;
    size -= done;
  }
  return true;
}

}  // namespace

RawFile::~RawFile() {
  if (handle_ != kInvalid) CloseHandle(H(handle_));
}

RawFile::RawFile(RawFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }

RawFile& RawFile::operator=(RawFile&& other) noexcept {
  if (this != &other) {
    if (handle_ != kInvalid) CloseHandle(H(handle_));
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

bool RawFile::is_open() const { return handle_ != kInvalid; }

bool RawFile::OpenForUpdate(const std::string& path) {
  handle_ = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, 0);
  return is_open();
}

bool RawFile::OpenForReading(const std::string& path) {
  handle_ = Open(path, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  return is_open();
}

// CREATE_NEW fails on anything standing at the name, a link included, and
// never follows one: the counterpart of O_CREAT | O_EXCL | O_NOFOLLOW.
bool RawFile::CreateNew(const std::string& path) {
  handle_ = Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT);
  return is_open();
}

bool RawFile::OpenLockFile(const std::string& path) {
  // A lock file that its last holder has just removed refuses to be opened
  // until that holder's handle is closed: a moment, not a failure.
  for (int tries = 0; tries < 100; ++tries) {
    handle_ = Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT);
    if (is_open() || GetLastError() != ERROR_ACCESS_DENIED || !FileExists(path)) break;
    Sleep(20);
  }
  if (!is_open()) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(H(handle_), &info) || info.nNumberOfLinks > 1 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    CloseHandle(H(handle_));
    handle_ = kInvalid;
    return false;
  }
  return true;
}

bool RawFile::TryLock(bool& error) {
  error = false;
  OVERLAPPED at{};
  if (LockFileEx(H(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                 MAXDWORD, &at)) {
    return true;
  }
  if (GetLastError() != ERROR_LOCK_VIOLATION && GetLastError() != ERROR_IO_PENDING) error = true;
  return false;
}

// The last holder removes the lock file while it still holds it; with every
// handle sharing deletion the name stays until the last handle closes, so
// a removed file shows as delete-pending instead of as another file.
bool RawFile::IsAt(const std::string& path) const {
  (void)path;
  return !DeletePending(H(handle_));
}

std::int64_t RawFile::Size() const {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(H(handle_), &size)) return -1;
  return size.QuadPart;
}

bool RawFile::ReadAt(std::int64_t offset, void* data, std::size_t size) {
  return Transfer(ReadFile, H(handle_), offset, static_cast<char*>(data), size,
                  OutputTraffic().bytesRead);
}

bool RawFile::WriteAt(std::int64_t offset, const void* data, std::size_t size) {
  return Transfer(WriteFile, H(handle_), offset, static_cast<const char*>(data), size,
                  OutputTraffic().bytesWritten);
}

bool RawFile::Truncate(std::int64_t size) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = size;
  return SetFileInformationByHandle(H(handle_), FileEndOfFileInfo, &end, sizeof end) != FALSE;
}

bool RawFile::Sync() { return FlushFileBuffers(H(handle_)) != FALSE; }

// Windows files carry no mode bits beyond read-only, which a file being
// replaced cannot have had.
bool RawFile::CopyModeFrom(const std::string& path) {
  (void)path;
  return true;
}

bool RawFile::Close() {
  if (handle_ == kInvalid) return true;
  HANDLE h = H(handle_);
  handle_ = kInvalid;
  return CloseHandle(h) != FALSE;
}

std::FILE* RawFile::ReleaseToStream(std::int64_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = offset;
  if (!SetFilePointerEx(H(handle_), to, nullptr, FILE_BEGIN)) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle_), _O_BINARY | _O_RDWR);
  if (fd < 0) return nullptr;
  handle_ = kInvalid;
  std::FILE* file = _fdopen(fd, "r+b");
  if (file == nullptr) _close(fd);
  return file;
}

bool RawFile::MoveUnder(std::FILE* stream, std::int64_t offset) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle_), _O_BINARY | _O_RDWR);
  if (fd < 0) return false;
  handle_ = kInvalid;
  const bool ok = _dup2(fd, _fileno(stream)) == 0;
  _close(fd);
  return ok && _fseeki64(stream, offset, SEEK_SET) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool UnlinkFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
  // Messages give the reason by its errno, as on every platform.
  errno = error == ERROR_ACCESS_DENIED ? EACCES : error == ERROR_SHARING_VIOLATION ? EBUSY : EIO;
  return false;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// MOVEFILE_WRITE_THROUGH already returns only once the rename is on disk.
std::string FileStamp(const std::string& path) {
  const HANDLE h = Open(path, 0, OPEN_EXISTING, 0);
  if (h == INVALID_HANDLE_VALUE) return std::string();
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info) != FALSE;
  CloseHandle(h);
  if (!ok) return std::string();
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + "." +
         std::to_string(info.nFileIndexLow) + ":" + std::to_string(info.ftLastWriteTime.dwHighDateTime) + "." +
         std::to_string(info.ftLastWriteTime.dwLowDateTime);
}

bool SyncDirectoryOf(const std::string& path) {
  (void)path;
  return true;
}

bool SyncFileData(int fd) {
  // The handle itself: _commit would hold the descriptor's lock, and the
  // writes of the other thread would wait for the flush.
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != FALSE;
}

void DivertStream(std::FILE* stream) {
  const int null = _open("NUL", _O_WRONLY | _O_BINARY);
  if (null < 0) return;
  (void)_dup2(null, _fileno(stream));
  _close(null);
}

void SleepMs(int milliseconds) { Sleep(DWORD(milliseconds)); }

}  // namespace zeko
