#include "output/unique_name.h"

#include <chrono>
#include <cstdint>
#include <random>

#include "lib/hash.h"

namespace zeko {

std::string RandomHex() {
  static std::uint64_t counter = 0;
  int local = 0;
  std::uint64_t x = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  x ^= std::uint64_t(reinterpret_cast<std::uintptr_t>(&local)) << 16;
  x ^= ++counter * 0x9E3779B97F4A7C15ull;
  try {
    std::random_device device;
    x ^= (std::uint64_t(device()) << 32) ^ device();
  } catch (...) {
    // The clock, the address and the counter still make the name unique.
  }
  // splitmix64 spreads the bits over the whole word.
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return Hex16(x ^ (x >> 31));
}

}  // namespace zeko
