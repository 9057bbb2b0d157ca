#include "output/output_stream.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "lib/error.h"
#include "lib/messages.h"
#include "output/raw_file.h"

namespace zeko {

void WriteFailed(const std::string& path, int err) {
  ErrorExitText(WithWhere(msg::kWriteError, PathWhere(path, err)));
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
  Handing(buffer_.get(), n);
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
      Handing(data, length);
      if (std::fwrite(data, 1, length, file_) != length) Failed(errno);
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, data, length);
  used_ += length;
}

void OutputStream::Handing(const char* data, std::size_t length) {
  handed_ += static_cast<std::int64_t>(length);
  if (digest_) digest_->Update(data, length);
}

void OutputStream::KeepDigest() {
  if (!digest_) digest_ = std::make_unique<Sha256>();
}

std::string OutputStream::Digest() { return digest_ ? digest_->Hex() : std::string(); }

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

}  // namespace zeko
