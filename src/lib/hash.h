// The hash that identifies an input file across runs: a run that finds a
// committed journal knows by it whether its input is the one booked.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zeko {

inline constexpr std::uint64_t kFnvBasis = 0xcbf29ce484222325ull;

std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t hash = kFnvBasis);

// FNV-1a's step taken on eight bytes at a time, with a shift to fold the
// high bits back. Journals of earlier versions hold this hash of their input.
std::uint64_t WordHash(const char* bytes, std::size_t size, std::uint64_t hash = kFnvBasis);

// The same step in four lanes over 32-byte blocks, fed in pieces of any
// size: the lanes' multiplications overlap, and the reader can hash the
// input as it reads it. The value depends only on the bytes, not on how
// they were fed.
class ContentHash {
 public:
  void Update(const char* bytes, std::size_t size);
  std::uint64_t Value() const;  // of the bytes fed so far
  std::int64_t size() const { return size_; }

 private:
  void Blocks(const char* bytes, std::size_t count);

  std::uint64_t lane_[4] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull, 0x9ce484222325cbf2ull,
                            0x2325cbf29ce48422ull};
  char held_[32] = {};
  std::size_t heldSize_ = 0;
  std::int64_t size_ = 0;
};

// Size and hash of a whole input file.
struct InputDigest {
  std::int64_t size = 0;
  std::uint64_t hash = 0;
};

}  // namespace zeko
