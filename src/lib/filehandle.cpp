#include "lib/filehandle.h"

#include <cerrno>
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
  struct stat st {};
  // A directory opens for reading on some systems and fails with "access
  // denied" on others (Windows): asked first, it gives the same reason
  // everywhere.
  if (stat(resolved.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw QVTError("is a directory: " + path, EISDIR);
  file_ = std::fopen(resolved.c_str(), "rb");
  if (!file_) {
    const int error = errno;
    throw QVTError("cannot open " + path, error);
  }
  if (fstat(fileno(file_), &st) == 0 && S_ISREG(st.st_mode)) {
    size_ = static_cast<std::int64_t>(st.st_size);
  } else {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
    std::fclose(file_);
    file_ = nullptr;
    throw QVTError("not a file: " + path, error);
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
  if (delimiter.empty()) return;
  delimiter_ = delimiter;
  lineFeedEnds_ = delimiter == "\r\n" || delimiter == "\n";
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

bool FileHandle::FindDelimiter(std::size_t& scan, std::size_t& at, std::size_t& length) const {
  const char* base = buf_.data();
  if (lineFeedEnds_) {
    // The line from begin_ on is whole in the buffer, so the byte before
    // the line feed is there to look at when it belongs to the line.
    if (const void* hit = std::memchr(base + scan, '\n', end_ - scan)) {
      at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
      length = 1;
      if (at > begin_ && base[at - 1] == '\r') {
        --at;
        length = 2;
      }
      return true;
    }
    scan = end_;
    return false;
  }
  const std::size_t dlen = delimiter_.size();
  length = dlen;
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
    lineLength_ = size;
    if (size > limit) size = limit + 1;
    pos_ += static_cast<std::int64_t>(next - begin_);
    begin_ = next;
    return true;
  };
  std::size_t scan = begin_;  // no delimiter starts in [begin_, scan)
  for (;;) {
    std::size_t at, length;
    if (FindDelimiter(scan, at, length)) return deliver(at, at + length);
    if (scan - begin_ > limit) {
      cut_.assign(buf_.data() + begin_, limit + 1);
      lineLength_ = 0;
      SkipRestOfLine();
      text = cut_.data();
      size = cut_.size();
      return true;
    }
    const std::size_t moved = begin_;
    if (!Fill()) {
      // The last line, without a delimiter or with only its start.
      if (begin_ == end_) return false;
      const bool cutCr = lineFeedEnds_ && buf_[end_ - 1] == '\r';
      return deliver(cutCr ? end_ - 1 : end_, end_);
    }
    scan -= moved;
  }
}

// lineLength_ counts the line's bytes as they go; a carriage return that
// turns out to belong to the line end may already be counted when its line
// feed comes in the next chunk, so the last byte dropped is remembered.
void FileHandle::SkipRestOfLine() {
  bool lastWasCr = false;
  for (;;) {
    std::size_t scan = begin_, at, length = 0;
    const bool found = FindDelimiter(scan, at, length);
    const std::size_t next = found ? at + length : scan;
    const std::size_t data = (found ? at : scan) - begin_;
    lineLength_ += data;
    if (data > 0) lastWasCr = buf_[begin_ + data - 1] == '\r';
    if (found && lineFeedEnds_ && length == 1 && data == 0 && lastWasCr) --lineLength_;
    pos_ += static_cast<std::int64_t>(next - begin_);
    begin_ = next;
    if (found) return;
    if (!Fill()) {
      lineLength_ += end_ - begin_;
      if (end_ > begin_) lastWasCr = buf_[end_ - 1] == '\r';
      if (lineFeedEnds_ && lastWasCr) --lineLength_;
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
