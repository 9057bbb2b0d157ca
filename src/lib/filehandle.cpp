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
  buf_.resize(kChunk + 1);
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
  // Lines handed out in place are about to move or be overwritten.
  if (beforeMove_) beforeMove_();
  if (begin_ > 0) {
    std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ + 1 == buf_.size()) buf_.resize((buf_.size() - 1) * 2 + 1);
  std::size_t got = std::fread(buf_.data() + end_, 1, buf_.size() - 1 - end_, file_);
  if (got == 0) {
    eofRead_ = true;
    return false;
  }
  hash_.Update(buf_.data() + end_, got);
  end_ += got;
  return true;
}

bool FileHandle::FindDelimiter(std::size_t& scan, std::size_t& at) const {
  const char* base = buf_.data();
  const std::size_t dlen = delimiter_.size();
  while (scan < end_) {
    const void* hit = std::memchr(base + scan, delimiter_[0], end_ - scan);
    if (!hit) break;
    at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    if (at + dlen > end_) {
      scan = at;  // the delimiter may go on in the next chunk
      return false;
    }
    if (std::memcmp(base + at, delimiter_.data(), dlen) == 0) return true;
    scan = at + 1;
  }
  scan = end_;
  return false;
}

bool FileHandle::GetInPlace(char*& text, std::size_t& size, std::size_t limit) {
  if (!file_) return false;
  // A line of at most limit + 1 characters is handed out; the caller
  // rejects a longer one without the whole of it being held.
  auto deliver = [&](std::size_t lineEnd, std::size_t next) {
    text = buf_.data() + begin_;
    size = lineEnd - begin_;
    if (size > limit) size = limit + 1;
    pos_ += static_cast<std::int64_t>(next - begin_);
    begin_ = next;
    return true;
  };
  std::size_t scan = begin_;  // no delimiter starts in [begin_, scan)
  for (;;) {
    std::size_t at;
    if (FindDelimiter(scan, at)) return deliver(at, at + delimiter_.size());
    if (scan - begin_ > limit) {
      cut_.assign(buf_.data() + begin_, limit + 1);
      SkipRestOfLine();
      text = cut_.data();
      size = cut_.size();
      return true;
    }
    const std::size_t moved = begin_;
    if (!Fill()) {
      // The last line, without a delimiter or with only its start.
      return begin_ < end_ && deliver(end_, end_);
    }
    scan -= moved;
  }
}

void FileHandle::SkipRestOfLine() {
  for (;;) {
    std::size_t scan = begin_, at;
    const bool found = FindDelimiter(scan, at);
    const std::size_t next = found ? at + delimiter_.size() : scan;
    pos_ += static_cast<std::int64_t>(next - begin_);
    begin_ = next;
    if (found) return;
    if (!Fill()) {
      pos_ += static_cast<std::int64_t>(end_ - begin_);
      begin_ = end_;
      return;
    }
  }
}

bool FileHandle::Get(std::string& line, std::size_t limit) {
  char* text;
  std::size_t size;
  if (!GetInPlace(text, size, limit)) {
    line.clear();
    return false;
  }
  line.assign(text, size);
  return true;
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
