#include "lib/hash.h"

#include <cstring>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace zeko {

namespace {
static_assert(sizeof(XXH3_state_t) <= 576 && alignof(XXH3_state_t) <= 64);
XXH3_state_t* State(unsigned char* bytes) { return reinterpret_cast<XXH3_state_t*>(bytes); }
const XXH3_state_t* State(const unsigned char* bytes) {
  return reinterpret_cast<const XXH3_state_t*>(bytes);
}
}  // namespace

ContentHash::ContentHash() {
  XXH3_INITSTATE(State(state_));
  (void)XXH3_64bits_reset(State(state_));
}

ContentHash::ContentHash(const ContentHash& other) : size_(other.size_) {
  XXH3_copyState(State(state_), State(other.state_));
}

ContentHash& ContentHash::operator=(const ContentHash& other) {
  XXH3_copyState(State(state_), State(other.state_));
  size_ = other.size_;
  return *this;
}

void ContentHash::Update(const char* bytes, std::size_t size) {
  size_ += static_cast<std::int64_t>(size);
  (void)XXH3_64bits_update(State(state_), bytes, size);
}

std::uint64_t ContentHash::Value() const { return XXH3_64bits_digest(State(state_)); }

std::uint64_t HashBytes(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

std::string Hex16(std::uint64_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[std::size_t(i)] = kDigits[value & 15];
  return text;
}

}  // namespace zeko
