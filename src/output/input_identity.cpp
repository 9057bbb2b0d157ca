#include "output/input_identity.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "output/raw_file.h"

namespace zeko {

namespace {

// Version 1's input hashes: FNV-1a's step on eight bytes at a time, in one
// lane ("word", no mark) or in four over 32-byte blocks (marked "L").
class Version1Hash {
 public:
  explicit Version1Hash(bool lanes) : lanes_(lanes) {}
  void Update(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      held_[heldSize_++] = bytes[i];
      if (heldSize_ == (lanes_ ? 32u : 8u)) {
        for (std::size_t lane = 0; lane < heldSize_ / 8; ++lane)
          lane_[lane] = Step(lane_[lane], held_ + 8 * lane);
        heldSize_ = 0;
      }
    }
  }
  std::string Text() const {
    std::uint64_t h = lane_[0];
    if (lanes_)
      for (int lane = 1; lane < 4; ++lane) h = (h ^ lane_[lane]) * kPrime;
    std::size_t i = 0;
    if (lanes_)
      for (; i + 8 <= heldSize_; i += 8) h = Step(h, held_ + i);
    for (; i < heldSize_; ++i) h = (h ^ (unsigned char)held_[i]) * kPrime;
    std::string text(lanes_ ? "L" : "");
    text += Hex16(h);
    return text;
  }

 private:
  static constexpr std::uint64_t kPrime = 0x100000001b3ull;
  static std::uint64_t Step(std::uint64_t hash, const char* word) {
    std::uint64_t w;
    std::memcpy(&w, word, 8);
    hash = (hash ^ w) * kPrime;
    return hash ^ (hash >> 29);
  }
  bool lanes_;
  std::uint64_t lane_[4] = {0xcbf29ce484222325ull, 0x84222325cbf29ce4ull, 0x9ce484222325cbf2ull,
                            0x2325cbf29ce48422ull};
  char held_[32] = {};
  std::size_t heldSize_ = 0;
};

// Size and hash of a file's bytes, by the hash of the given version; false
// when it cannot be read.
bool ReadIdentity(const std::string& path, int version, bool lanes, std::int64_t& size,
                  std::string& hash) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  ContentHash current;
  Version1Hash old(lanes);
  std::vector<char> buffer(1 << 18);
  size = 0;
  for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
    size += std::int64_t(got);
    if (version == 1)
      old.Update(buffer.data(), got);
    else
      current.Update(buffer.data(), got);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  hash = version == 1 ? old.Text() : Hex16(current.Value());
  return ok;
}

// Version 1 stamps began with the device number, which is no identity.
std::string WithoutDevice(const std::string& stamp, int version) {
#ifdef _WIN32
  (void)version;
  return stamp;
#else
  if (version != 1) return stamp;
  const std::size_t colon = stamp.find(':');
  return colon == std::string::npos ? stamp : stamp.substr(colon + 1);
#endif
}

}  // namespace

InputIdentity IdentifyInput(const std::string& path, const std::optional<InputDigest>& digest) {
  InputIdentity id;
  id.path = path;
  if (path.empty()) {
    id.hash = Hex16(0);
    return id;
  }
  id.stamp = FileStamp(path);
  if (digest) {
    id.size = digest->size;
    id.hash = Hex16(digest->hash);
  } else if (!ReadIdentity(path, 2, false, id.size, id.hash)) {
    id.hash = Hex16(0);
  }
  return id;
}

bool StillThere(const InputIdentity& recorded) {
  if (!recorded.stamp.empty() &&
      FileStamp(recorded.path) != WithoutDevice(recorded.stamp, recorded.version))
    return false;
  std::int64_t size = 0;
  std::string hash;
  const bool lanes = recorded.hash.starts_with("L");
  if (!ReadIdentity(recorded.path, recorded.version, lanes, size, hash)) return false;
  return size == recorded.size && hash == recorded.hash;
}

}  // namespace zeko
