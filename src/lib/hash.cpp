#include "lib/hash.h"

#include <cstring>

namespace zeko {

namespace {
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

std::uint64_t Step(std::uint64_t hash, const char* word) {
  std::uint64_t w;
  std::memcpy(&w, word, 8);
  hash = (hash ^ w) * kFnvPrime;
  return hash ^ (hash >> 29);
}
}  // namespace

std::uint64_t Fnv1a(std::string_view bytes, std::uint64_t hash) {
  for (unsigned char c : bytes) hash = (hash ^ c) * kFnvPrime;
  return hash;
}

std::uint64_t WordHash(const char* bytes, std::size_t size, std::uint64_t hash) {
  for (; size >= 8; bytes += 8, size -= 8) hash = Step(hash, bytes);
  return Fnv1a(std::string_view(bytes, size), hash);
}

void ContentHash::Blocks(const char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i, bytes += 32)
    for (int lane = 0; lane < 4; ++lane) lane_[lane] = Step(lane_[lane], bytes + 8 * lane);
}

void ContentHash::Update(const char* bytes, std::size_t size) {
  size_ += static_cast<std::int64_t>(size);
  if (heldSize_ > 0) {
    const std::size_t take = size < 32 - heldSize_ ? size : 32 - heldSize_;
    std::memcpy(held_ + heldSize_, bytes, take);
    heldSize_ += take;
    bytes += take;
    size -= take;
    if (heldSize_ < 32) return;
    Blocks(held_, 1);
    heldSize_ = 0;
  }
  Blocks(bytes, size / 32);
  const std::size_t rest = size % 32;
  std::memcpy(held_, bytes + size - rest, rest);
  heldSize_ = rest;
}

std::uint64_t ContentHash::Value() const {
  std::uint64_t h = lane_[0];
  for (int lane = 1; lane < 4; ++lane) h = (h ^ lane_[lane]) * kFnvPrime;
  return WordHash(held_, heldSize_, h);
}

}  // namespace zeko
