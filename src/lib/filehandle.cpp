#include "lib/filehandle.h"

#include <cstring>
#include <sys/stat.h>

#include "lib/platform.h"

namespace zeko {

namespace {
constexpr std::size_t kChunk = 1 << 20;
}

FileHandle::FileHandle() = default;

FileHandle::~FileHandle() { Close(); }

void FileHandle::Open(const std::string& path, int, int, bool) {
  Close();
  std::string resolved = ResolvePath(path);
  file_ = std::fopen(resolved.c_str(), "rb");
  if (!file_) throw QVTError("cannot open " + path);
  struct stat st {};
  if (fstat(fileno(file_), &st) == 0 && S_ISREG(st.st_mode)) {
    size_ = static_cast<std::int64_t>(st.st_size);
  } else {
    std::fclose(file_);
    file_ = nullptr;
    throw QVTError("not a file: " + path);
  }
  buf_.resize(kChunk);
  begin_ = end_ = 0;
  eofRead_ = false;
  pos_ = 0;
  hash_ = ContentHash();
}

void FileHandle::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  begin_ = end_ = 0;
  pos_ = 0;
}

void FileHandle::SetDelimiter(const std::string& delimiter) {
  if (!delimiter.empty()) delimiter_ = delimiter;
}

bool FileHandle::Fill() {
  if (!file_ || eofRead_) return false;
  if (begin_ > 0) {
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buf_.size()) buf_.resize(buf_.size() * 2);
  std::size_t got = std::fread(buf_.data() + end_, 1, buf_.size() - end_, file_);
  if (got == 0) {
    eofRead_ = true;
    return false;
  }
  hash_.Update(buf_.data() + end_, got);
  end_ += got;
  return true;
}

bool FileHandle::Get(std::string& line, std::size_t limit) {
  line.clear();
  if (!file_) return false;
  const std::size_t dlen = delimiter_.size();
  const char first = delimiter_[0];
  bool any = false;
  bool overflow = false;
  for (;;) {
    const char* base = buf_.data();
    std::size_t scan = begin_;
    while (scan < end_) {
      const void* hit = std::memchr(base + scan, first, end_ - scan);
      if (!hit) {
        scan = end_;
        break;
      }
      std::size_t at = static_cast<const char*>(hit) - base;
      if (at + dlen > end_) {
        scan = at;  // delimiter may continue in the next chunk
        break;
      }
      if (std::memcmp(base + at, delimiter_.data(), dlen) == 0) {
        if (!overflow) line.append(base + begin_, at - begin_);
        if (line.size() > limit) line.resize(limit + 1);
        pos_ += static_cast<std::int64_t>(at + dlen - begin_);
        begin_ = at + dlen;
        return true;
      }
      scan = at + 1;
    }
    // No delimiter in [begin_, scan): keep those bytes, read more.
    if (scan > begin_) {
      any = true;
      if (!overflow) {
        line.append(base + begin_, scan - begin_);
        // A line past the limit is only good for being rejected: stop
        // collecting it so that a damaged file cannot exhaust memory.
        if (line.size() > limit) {
          line.resize(limit + 1);
          overflow = true;
        }
      }
      pos_ += static_cast<std::int64_t>(scan - begin_);
      begin_ = scan;
    }
    if (!Fill()) {
      if (begin_ < end_) {  // an incomplete delimiter at the very end
        any = true;
        if (!overflow) line.append(buf_.data() + begin_, end_ - begin_);
        if (line.size() > limit) line.resize(limit + 1);
        pos_ += static_cast<std::int64_t>(end_ - begin_);
        begin_ = end_;
      }
      return any;
    }
  }
}

bool FileHandle::FEof() const { return !file_ || pos_ >= size_; }

void FileHandle::Rewind() {
  if (!file_) return;
  std::rewind(file_);
  begin_ = end_ = 0;
  eofRead_ = false;
  pos_ = 0;
  hash_ = ContentHash();
}

std::optional<InputDigest> FileHandle::WholeDigest() const {
  // Every byte read, and the file no longer than when it was read.
  struct stat st {};
  if (!file_ || std::ferror(file_) || fstat(fileno(file_), &st) != 0 ||
      static_cast<std::int64_t>(st.st_size) != hash_.size())
    return std::nullopt;
  return InputDigest{hash_.size(), hash_.Value()};
}

std::int64_t FileHandle::FileSize() const { return size_; }

}  // namespace zeko
