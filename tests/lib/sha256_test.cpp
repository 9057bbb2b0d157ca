#include "lib/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace zeko {
namespace {

// The FIPS 180-4 examples. The long message goes in pieces that straddle
// the 64-byte blocks unevenly, and a second digest from the same object
// shows that it started anew.
TEST(Sha256, KnownDigests) {
  struct Case {
    std::string message;
    std::size_t piece;  // 0: at once through Sha256Hex
    const char* digest;
  };
  const std::string millionA(1000000, 'a');
  const Case cases[] = {
      {"", 0, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", 0, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 0,
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 5,
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {millionA, 0, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {millionA, 1, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {millionA, 997, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.message.size() << " bytes, pieces of " << c.piece);
    if (c.piece == 0) {
      EXPECT_EQ(Sha256Hex(c.message), c.digest);
      continue;
    }
    Sha256 sha;
    sha.Update("garbage");
    (void)sha.Hex();
    // Growing pieces: 1, 1+piece, 1+2*piece... never aligned to a block.
    std::size_t at = 0;
    for (std::size_t n = 1; at < c.message.size(); n += c.piece) {
      std::size_t take = std::min(n, c.message.size() - at);
      sha.Update(c.message.data() + at, take);
      at += take;
    }
    EXPECT_EQ(sha.Hex(), c.digest);
    EXPECT_EQ(sha.Hex(), Sha256Hex(""));
  }
}

}  // namespace
}  // namespace zeko
