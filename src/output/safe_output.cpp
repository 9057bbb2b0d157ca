#include "output/safe_output.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "lib/error.h"
#include "lib/platform.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>
#endif

namespace zeko {
namespace fs = std::filesystem;

namespace {

// 64-bit positions: a file that collects many years of bookings may pass
// the 2 GB that a long reaches on Windows.
std::int64_t Tell(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return ftello(file);
#endif
}

bool Seek(std::FILE* file, std::int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(file, offset, whence) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), whence) == 0;
#endif
}

// The data must be on the disk before the rename publishes it, or a power
// loss right after the rename could leave an empty file in its place.
bool SyncFile(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// Makes the rename itself durable. Not every file system can sync a
// directory; the file's content is already safe then, so a failure is not
// worth ending the run for.
void SyncDirectoryOf(const std::string& path) {
#ifndef _WIN32
  const std::string dir = fs::path(path).parent_path().string();
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY);
  if (fd < 0) return;
  (void)fsync(fd);
  ::close(fd);
#else
  (void)path;
#endif
}

// The new content replaces the old file, so it keeps the old file's
// permissions (writing in place would not have changed them).
void CopyPermissions(const std::string& from, std::FILE* to) {
#ifndef _WIN32
  struct stat st;
  if (::stat(from.c_str(), &st) == 0) (void)fchmod(fileno(to), st.st_mode & 07777);
#else
  (void)from;
  (void)to;
#endif
}

}  // namespace

SafeOutput::~SafeOutput() {
  if (existing_ != nullptr) std::fclose(existing_);
  out_.reset();
  // Never committed: the file is untouched; drop the half-built copy.
  if (pending_) {
    std::error_code ec;
    fs::remove(workPath_, ec);
  }
}

std::string SafeOutput::WorkPath(const std::string& path) { return path + ".$$$"; }

OutputStream& SafeOutput::Open(const std::string& path, Mode mode, const std::string& updateError,
                               const std::function<void()>& create) {
  updateError_ = updateError;
  createError_ = updateError;
  keepTail_ = false;
  path_ = ResolvePath(path);
  std::error_code ec;
  fs::file_status status = fs::status(path_, ec);
  if (!fs::exists(status)) {
    create();
    status = fs::status(path_, ec);
    if (!fs::exists(status)) ErrorExitText(updateError_);
  }
  if (fs::is_directory(status)) ErrorExitText(updateError_);
  if (!fs::is_regular_file(status)) {
    // A device or a pipe: there is nothing to swap, and its bytes are gone
    // once written anyway.
    direct_ = true;
    std::FILE* file = std::fopen(path_.c_str(), mode == Mode::kAppend ? "ab" : "wb");
    if (file == nullptr) ErrorExitText(updateError_);
    out_ = std::make_unique<OutputStream>(file);
    return *out_;
  }
  // A link stays a link: the new content replaces the file it points to.
  fs::path real = fs::canonical(path_, ec);
  if (!ec) path_ = real.string();
  if (mode != Mode::kReplace) OpenForUpdate();
  return Begin(mode == Mode::kAppend ? existingSize_ : 0);
}

bool SafeOutput::OpenExisting(const std::string& path, const std::string& updateError,
                              const std::string& createError) {
  path_ = path;
  updateError_ = updateError;
  createError_ = createError;
  keepTail_ = true;
  std::error_code ec;
  if (path.empty() || fs::is_directory(path, ec)) ErrorExitText(createError_);
  if (!fs::exists(path, ec)) return false;
  fs::path real = fs::canonical(path, ec);
  if (!ec) path_ = real.string();
  OpenForUpdate();
  return true;
}

// An existing file that cannot be read (and so not copied) is not treated
// as missing: replacing it would lose the earlier runs.
void SafeOutput::OpenForUpdate() {
  existing_ = std::fopen(path_.c_str(), "rb+");
  if (existing_ == nullptr) ErrorExitText(updateError_);
  if (!Seek(existing_, 0, SEEK_END)) ErrorExitText(updateError_);
  existingSize_ = Tell(existing_);
  if (existingSize_ < 0) ErrorExitText(updateError_);
  std::rewind(existing_);
}

OutputStream& SafeOutput::Begin(std::int64_t keep) {
  workPath_ = WorkPath(path_);
  std::FILE* file = std::fopen(workPath_.c_str(), "wb");
  // Without a work file beside it the file cannot be updated safely; when
  // there is no file yet, it cannot be created.
  if (file == nullptr) ErrorExitText(existing_ != nullptr ? updateError_ : createError_);
  pending_ = true;
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  CopyPermissions(path_, file);
  out_ = std::make_unique<OutputStream>(file);
  if (existing_ != nullptr) CopyExisting(0, keep);
  return *out_;
}

void SafeOutput::CopyExisting(std::int64_t from, std::int64_t to) {
  if (to <= from) return;
  if (!Seek(existing_, from, SEEK_SET)) ErrorExitText(updateError_);
  std::vector<char> buffer(64 * 1024);
  std::int64_t left = to - from;
  while (left > 0) {
    std::size_t want = left < std::int64_t(buffer.size()) ? std::size_t(left) : buffer.size();
    std::size_t got = std::fread(buffer.data(), 1, want, existing_);
    if (got != want) ErrorExitText(updateError_);
    out_->WriteRaw(buffer.data(), got);
    left -= std::int64_t(got);
  }
}

void SafeOutput::Finish() {
  if (out_ == nullptr) return;
  if (direct_) {
    out_->Close();
    out_.reset();
    return;
  }
  out_->Flush();
  if (keepTail_ && existing_ != nullptr) {
    std::int64_t end = Tell(out_->file());
    if (end < 0) ErrorExitText("Fehler in e_write");
    if (existingSize_ > end) CopyExisting(end, existingSize_);
    out_->Flush();
  }
  if (!SyncFile(out_->file())) ErrorExitText("Fehler in e_write");
  out_->Close();
  out_.reset();
  if (existing_ != nullptr) {
    std::fclose(existing_);
    existing_ = nullptr;
  }
}

void SafeOutput::Commit() {
  Finish();
  if (!pending_) return;
  std::error_code ec;
  fs::rename(workPath_, path_, ec);
  if (ec) ErrorExitText("Fehler in e_write");
  pending_ = false;
  SyncDirectoryOf(path_);
}

}  // namespace zeko
