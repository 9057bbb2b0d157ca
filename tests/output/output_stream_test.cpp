#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "output/output_stream.h"
#include "support/harness.h"

namespace zeko {
namespace {

using test::ReadFile;
using test::TempDir;

std::unique_ptr<OutputStream> Stream(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) ADD_FAILURE() << path;
  auto out = std::make_unique<OutputStream>(file);
  out->SetName(path);
  return out;
}

// Text and raw writes of every size around the buffer's, in random order:
// the file holds exactly the bytes written, each line feed of a text write
// as CR LF, whatever the buffer's boundaries cut.
TEST(OutputStream, BytesSurviveEveryBufferBoundary) {
  TempDir dir;
  const std::string path = (dir / "OUT.TXT").string();
  std::string want;
  {
    std::unique_ptr<OutputStream> out = Stream(path);
    std::mt19937 rng(5);
    const std::size_t kB = OutputStream::kBufferSize;
    const std::size_t sizes[] = {0, 1, 2, 37, kB - 1, kB, kB + 1, 3 * kB + 7};
    for (int i = 0; i < 60; ++i) {
      const std::size_t n = sizes[rng() % std::size(sizes)];
      std::string chunk(n, 'x');
      for (char& c : chunk) c = static_cast<char>("ab\n\r"[rng() % 4]);
      switch (rng() % 4) {
        case 0:
          out->WriteRaw(chunk.data(), chunk.size());
          want += chunk;
          break;
        case 1:
          out->Putc('\n');
          want += "\r\n";
          break;
        default:
          out->Write(chunk);
          for (char c : chunk) want += c == '\n' ? std::string("\r\n") : std::string(1, c);
          break;
      }
      if (rng() % 10 == 0) {
        out->Flush();
        EXPECT_EQ(ReadFile(path), want);
      }
    }
    out->Close();
  }
  EXPECT_EQ(ReadFile(path), want);
}

}  // namespace
}  // namespace zeko
