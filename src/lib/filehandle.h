// Line-oriented input file of the record library.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/hash.h"

namespace zeko {

// Thrown when a file of the record library cannot be opened; error() is
// the system's error number (errno) of the failure, for the message.
class QVTError : public std::runtime_error {
 public:
  explicit QVTError(const std::string& what, int error = 0)
      : std::runtime_error(what), error_(error) {}
  int error() const { return error_; }

 private:
  int error_;
};

class FileHandle {
 public:
  FileHandle();
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens the file for reading line by line; the mode arguments belong to
  // the host library's interface and are accepted as given. Throws QVTError
  // (a directory or other non-file: EISDIR or the like, on every system).
  void Open(const std::string& path, int mode = 0x40, int share = 0x4000, bool create = false);
  // "\r\n" (the default) or "\n": a line ends at a line feed, and a carriage
  // return directly before it belongs to the line end, so exports with
  // CR LF and with LF-only line ends read alike; a carriage return that
  // ends the file is the start of a line end cut short. Any other
  // delimiter is taken literally.
  void SetDelimiter(const std::string& delimiter);
  // Next line without its delimiter. Returns false when nothing was left.
  // A file that ends with the delimiter delivers no extra empty line.
  // Lines longer than limit come back cut to limit + 1 characters, so that
  // the caller can reject them without the whole line being held;
  // LineLength tells their whole length.
  bool Get(std::string& line, std::size_t limit = static_cast<std::size_t>(-1));
  // The same without a copy: the line's `size` bytes at `text`, inside the
  // handle's buffer. The caller may change them and the byte behind them
  // (the delimiter's first byte, or spare room). They stay where they are
  // until the handle moves or overwrites its buffer, which it announces
  // first through the call set by OnBufferMove.
  bool GetInPlace(char*& text, std::size_t& size,
                  std::size_t limit = static_cast<std::size_t>(-1));
  void OnBufferMove(std::function<void()> beforeMove) { beforeMove_ = std::move(beforeMove); }
  // The whole length of the line delivered last (without its line end),
  // also when it came back cut.
  std::size_t LineLength() const { return lineLength_; }
  // Non-zero once the last line has been delivered.
  bool FEof() const;
  void Rewind();
  std::int64_t FileSize() const;
  // Bytes consumed by the lines delivered so far.
  std::int64_t FilePos() const { return pos_; }
  // Size and hash of the whole file once it was read from its start (or
  // the last Rewind) to its end; nothing before that.
  std::optional<InputDigest> WholeDigest() const;
  void Close();

 private:
  bool Fill();
  // Looks for the delimiter from `scan` on: true with its offset in `at`
  // when one lies whole in the buffer; else false, with `scan` where one
  // could still start (its first bytes ending the buffer), or the end.
  // `length` is the delimiter's length there.
  bool FindDelimiter(std::size_t& scan, std::size_t& at, std::size_t& length) const;
  // The rest of a line longer than limit, read and dropped.
  void SkipRestOfLine();
  std::FILE* file_ = nullptr;
  std::string delimiter_ = "\r\n";
  bool lineFeedEnds_ = true;  // the delimiter is a line feed, CR LF or LF
  // One byte more than is ever read into it: the byte behind the last line
  // can take a terminator.
  std::vector<char> buf_;
  std::size_t begin_ = 0, end_ = 0;  // unread bytes in buf_
  std::string cut_;                  // the start of a line longer than limit
  std::function<void()> beforeMove_;
  bool eofRead_ = false;             // the file has no more bytes to give
  std::int64_t pos_ = 0;
  std::int64_t size_ = 0;
  std::size_t lineLength_ = 0;
  ContentHash hash_;  // of the bytes read since the file's start
};

}  // namespace zeko
