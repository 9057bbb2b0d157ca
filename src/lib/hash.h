// The hash that identifies an input file across runs: a run that finds a
// committed journal knows by it whether its input is the one booked. XXH3
// (64 bits), fed in pieces of any size as the reader reads the input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zeko {

class ContentHash {
 public:
  ContentHash();
  ContentHash(const ContentHash& other);
  ContentHash& operator=(const ContentHash& other);

  void Update(const char* bytes, std::size_t size);
  std::uint64_t Value() const;  // of the bytes fed so far
  std::int64_t size() const { return size_; }

 private:
  // XXH3's streaming state, kept in place: no allocation per file.
  alignas(64) unsigned char state_[576];
  std::int64_t size_ = 0;
};

// XXH3 of a whole byte string (a journal record's check).
std::uint64_t HashBytes(std::string_view bytes);

// A hash or random word as 16 lowercase hex digits.
std::string Hex16(std::uint64_t value);

// Size and hash of a whole input file.
struct InputDigest {
  std::int64_t size = 0;
  std::uint64_t hash = 0;
};

}  // namespace zeko
