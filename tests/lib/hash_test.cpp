// The input's hash is taken while the reader reads it and again, whole, by a
// later run that finds a committed journal: both must give the same value
// however the bytes were cut into pieces, or a rerun books an export twice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/hash.h"

namespace zeko {
namespace {

std::uint64_t Whole(const std::string& bytes) {
  ContentHash h;
  h.Update(bytes.data(), bytes.size());
  return h.Value();
}

TEST(ContentHash, PiecesGiveTheValueOfTheWhole) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) bytes.push_back(static_cast<char>(i * 37 + 11));
  for (std::size_t size : {0u, 1u, 7u, 31u, 32u, 33u, 64u, 95u, 300u}) {
    const std::string text = bytes.substr(0, size);
    for (std::size_t piece : {1u, 3u, 8u, 31u, 32u, 33u, 100u}) {
      ContentHash h;
      for (std::size_t at = 0; at < text.size(); at += piece)
        h.Update(text.data() + at, std::min(piece, text.size() - at));
      EXPECT_EQ(h.Value(), Whole(text)) << size << " in pieces of " << piece;
      EXPECT_EQ(h.size(), static_cast<std::int64_t>(size));
    }
  }
}

TEST(ContentHash, EveryByteCounts) {
  std::string text(100, 'x');
  const std::uint64_t original = Whole(text);
  for (std::size_t at : {0u, 31u, 32u, 63u, 96u, 99u}) {
    std::string changed = text;
    changed[at] = 'y';
    EXPECT_NE(Whole(changed), original) << at;
  }
  EXPECT_NE(Whole(text + '\0'), original);  // a longer file differs
}

}  // namespace
}  // namespace zeko
