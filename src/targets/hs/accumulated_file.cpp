#include "targets/hs/accumulated_file.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "run/error.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zeko {
namespace fs = std::filesystem;

namespace {

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
// permissions (in-place writing would not have changed them).
void CopyPermissions(std::FILE* from, std::FILE* to) {
#ifndef _WIN32
  struct stat st;
  if (fstat(fileno(from), &st) == 0) (void)fchmod(fileno(to), st.st_mode & 07777);
#else
  (void)from;
  (void)to;
#endif
}

}  // namespace

AccumulatedFile::~AccumulatedFile() {
  if (existing_ != nullptr) std::fclose(existing_);
  if (out_ != nullptr) {
    // Never committed: the collected file is untouched; drop the half-built copy.
    out_.reset();
    std::error_code ec;
    fs::remove(workPath_, ec);
  }
}

std::string AccumulatedFile::WorkPath(const std::string& path) { return path + ".$$$"; }

bool AccumulatedFile::OpenExisting(const std::string& path, const std::string& updateError,
                                   const std::string& createError) {
  path_ = path;
  updateError_ = updateError;
  createError_ = createError;
  std::error_code ec;
  if (path.empty() || fs::is_directory(path, ec)) ErrorExitText(createError_);
  if (!fs::exists(path, ec)) return false;
  // A link stays a link: the new content replaces the file it points to.
  fs::path real = fs::canonical(path, ec);
  if (!ec) path_ = real.string();
  // An existing file that cannot be read (and so not scanned or copied) is
  // not treated as missing: replacing it would lose the earlier runs.
  existing_ = std::fopen(path_.c_str(), "rb+");
  if (existing_ == nullptr) ErrorExitText(updateError_);
  if (std::fseek(existing_, 0, SEEK_END) != 0) ErrorExitText(updateError_);
  long size = std::ftell(existing_);
  if (size < 0) ErrorExitText(updateError_);
  existingSize_ = size;
  std::rewind(existing_);
  return true;
}

OutputStream& AccumulatedFile::Begin(std::int64_t keep) {
  workPath_ = WorkPath(path_);
  std::FILE* file = std::fopen(workPath_.c_str(), "wb");
  // Without a work file beside it the collected file cannot be updated
  // safely; when there is no collected file yet, it cannot be created.
  if (file == nullptr) ErrorExitText(existing_ != nullptr ? updateError_ : createError_);
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  if (existing_ != nullptr) CopyPermissions(existing_, file);
  out_ = std::make_unique<OutputStream>(file);
  if (existing_ != nullptr) CopyExisting(0, keep);
  return *out_;
}

void AccumulatedFile::CopyExisting(std::int64_t from, std::int64_t to) {
  if (to <= from) return;
  if (std::fseek(existing_, static_cast<long>(from), SEEK_SET) != 0) ErrorExitText(updateError_);
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

void AccumulatedFile::Commit() {
  out_->Flush();
  long end = std::ftell(out_->file());
  if (end < 0) ErrorExitText("Fehler in e_write");
  // Writing in place never shortens the file: old bytes beyond the end of
  // this run's bytes stay where they were.
  if (existing_ != nullptr && existingSize_ > end) CopyExisting(end, existingSize_);
  out_->Flush();
  if (!SyncFile(out_->file())) ErrorExitText("Fehler in e_write");
  out_->Close();
  out_.reset();
  if (existing_ != nullptr) {
    std::fclose(existing_);
    existing_ = nullptr;
  }
  std::error_code ec;
  fs::rename(workPath_, path_, ec);
  if (ec) ErrorExitText("Fehler in e_write");
  SyncDirectoryOf(path_);
}

}  // namespace zeko
