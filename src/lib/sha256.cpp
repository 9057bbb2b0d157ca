#include "lib/sha256.h"

#include <cstdint>
#include <nettle/sha2.h>

namespace zeko {

namespace {
static_assert(sizeof(sha256_ctx) <= sizeof(Sha256) && alignof(sha256_ctx) <= 8,
              "nettle's sha256_ctx no longer fits the buffer Sha256 keeps for it");
sha256_ctx* Context(unsigned char* bytes) { return reinterpret_cast<sha256_ctx*>(bytes); }
}  // namespace

Sha256::Sha256() { sha256_init(Context(state_)); }

void Sha256::Update(const void* data, std::size_t size) {
  sha256_update(Context(state_), size, static_cast<const std::uint8_t*>(data));
}

std::string Sha256::Hex() {
  std::uint8_t digest[SHA256_DIGEST_SIZE];
  // nettle's digest call also starts the context anew.
  sha256_digest(Context(state_), sizeof digest, digest);
  static const char kDigits[] = "0123456789abcdef";
  std::string hex(2 * sizeof digest, '0');
  for (std::size_t i = 0; i < sizeof digest; ++i) {
    hex[2 * i] = kDigits[digest[i] >> 4];
    hex[2 * i + 1] = kDigits[digest[i] & 0xf];
  }
  return hex;
}

std::string Sha256Hex(std::string_view data) {
  Sha256 sha;
  sha.Update(data);
  return sha.Hex();
}

}  // namespace zeko
