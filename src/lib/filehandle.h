// Line-oriented input file of the record library.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "lib/hash.h"

namespace zeko {

// Thrown when a file of the record library cannot be opened.
class QVTError : public std::runtime_error {
 public:
  explicit QVTError(const std::string& what) : std::runtime_error(what) {}
};

class FileHandle {
 public:
  FileHandle();
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Opens the file for reading line by line; the mode arguments belong to
  // the host library's interface and are accepted as given. Throws QVTError.
  void Open(const std::string& path, int mode = 0x40, int share = 0x4000, bool create = false);
  void SetDelimiter(const std::string& delimiter);
  // Next line without its delimiter. Returns false when nothing was left.
  // A file that ends with the delimiter delivers no extra empty line.
  // Lines longer than limit come back cut to limit + 1 characters, so that
  // the caller can reject them without the whole line being held.
  bool Get(std::string& line, std::size_t limit = static_cast<std::size_t>(-1));
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
  std::FILE* file_ = nullptr;
  std::string delimiter_ = "\r\n";
  std::vector<char> buf_;
  std::size_t begin_ = 0, end_ = 0;  // unread bytes in buf_
  bool eofRead_ = false;             // the file has no more bytes to give
  std::int64_t pos_ = 0;
  std::int64_t size_ = 0;
  ContentHash hash_;  // of the bytes read since the file's start
};

}  // namespace zeko
