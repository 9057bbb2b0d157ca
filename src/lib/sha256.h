// SHA-256 for the run protocol, whose entries are chained by it: a
// deliberate change of an entry must not go unnoticed, which a fast
// non-cryptographic hash like XXH3 cannot promise. nettle does the work.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zeko {

// SHA-256 (FIPS 180-4), streaming.
class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  void Update(std::string_view text) { Update(text.data(), text.size()); }
  // The digest as 64 lower-case hex digits; the object starts anew afterwards.
  std::string Hex();

 private:  // nettle's sha256_ctx, held so that the header does not include nettle
  alignas(8) unsigned char state_[112];
};

std::string Sha256Hex(std::string_view data);

}  // namespace zeko
