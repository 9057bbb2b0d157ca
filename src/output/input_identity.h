// What tells the input a run committed from every other file: a host
// system writes its next export under the same name, and one with the same
// bookings is a new export that must be converted. So the identity is the
// path, the size, the hash of the bytes and the file's stamp (inode and
// modification time; on Windows volume, file index and write time). The
// device number is no part of it: a restart may number the disks
// differently, and the committed input would look new.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "lib/hash.h"

namespace zeko {

struct InputIdentity {
  std::string path;
  std::int64_t size = 0;
  std::string hash;   // 16 hex digits of XXH3 (version 1: an older hash)
  std::string stamp;  // FileStamp; empty in early version-1 journals
  int version = 2;    // of the journal that recorded it
};

// The input as the run read it: `digest` when the reader hashed it whole,
// else it is read once more. Without an input (a tool's own transaction)
// an empty identity.
InputIdentity IdentifyInput(const std::string& path, const std::optional<InputDigest>& digest);

// True when the recorded input is still there: this very file, unchanged.
bool StillThere(const InputIdentity& recorded);

}  // namespace zeko
