#include <gtest/gtest.h>

#include <cstring>

#include "lib/filehandle.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "support/harness.h"

namespace zeko {
namespace {

using test::TempDir;
using test::WriteFile;

std::vector<std::string> Lines(const std::string& bytes, std::int64_t* finalPos = nullptr) {
  TempDir dir;
  WriteFile(dir / "f", bytes);
  FileHandle f;
  f.Open((dir / "f").string());
  f.SetDelimiter("\r\n");
  std::vector<std::string> lines;
  std::string line;
  while (!f.FEof()) {
    if (!f.Get(line)) break;
    lines.push_back(line);
  }
  EXPECT_EQ(f.FileSize(), static_cast<std::int64_t>(bytes.size()));
  if (finalPos) *finalPos = f.FilePos();
  return lines;
}

TEST(FileHandle, Lines) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));  // no extra empty line at the end
  EXPECT_EQ(Lines("a\r\nb"), (V{"a", "b"}));
  EXPECT_EQ(Lines("\r\n\r\n"), (V{"", ""}));
  // A line feed alone ends a line too; a carriage return only with it, or
  // as the cut-short line end of the file's last line.
  EXPECT_EQ(Lines("a\nb\r\n\nc\n"), (V{"a", "b", "", "c"}));
  EXPECT_EQ(Lines("a\rb\r\r\n"), (V{"a\rb\r"}));
  EXPECT_EQ(Lines("a\r"), (V{"a"}));
  EXPECT_EQ(Lines("\r"), (V{""}));
  std::string big(3 << 20, 'x');
  std::int64_t pos = 0;
  EXPECT_EQ(Lines(big + "\r\ny\r\n", &pos), (V{big, "y"}));
  EXPECT_EQ(pos, static_cast<std::int64_t>(big.size() + 5));
}

TEST(FileHandle, RewindAndLimit) {
  TempDir dir;
  WriteFile(dir / "f", "first\r\n0123456789\r\nlast\r\n");
  FileHandle f;
  f.Open((dir / "f").string());
  std::string line;
  ASSERT_TRUE(f.Get(line));
  EXPECT_EQ(f.FilePos(), 7);
  ASSERT_TRUE(f.Get(line, 4));
  EXPECT_EQ(line, "01234");  // cut to limit + 1 so the caller can reject it
  EXPECT_EQ(f.LineLength(), 10u);
  ASSERT_TRUE(f.Get(line));
  EXPECT_EQ(line, "last");
  EXPECT_TRUE(f.FEof());
  f.Rewind();
  EXPECT_FALSE(f.FEof());
  ASSERT_TRUE(f.Get(line));
  EXPECT_EQ(line, "first");
}

// The whole length of a line cut to the limit, its line end not counted,
// however the line lies across the handle's reads (a chunk is 1 MiB).
TEST(FileHandle, LengthOfALongLine) {
  const std::size_t chunk = std::size_t{1} << 20;
  for (const std::size_t length : {chunk - 1, chunk, chunk + 1, 3 * chunk})
    for (const char* end : {"\r\n", "\n", "\r", ""}) {
      TempDir dir;
      WriteFile(dir / "f", std::string(length, 'x') + end + "next\r\n");
      FileHandle f;
      f.Open((dir / "f").string());
      std::string line;
      ASSERT_TRUE(f.Get(line, 10));
      EXPECT_EQ(line.size(), 11u);
      const bool joined = std::string(end).empty() || std::string(end) == "\r";
      EXPECT_EQ(f.LineLength(), joined ? length + std::strlen(end) + 4 : length) << length << end;
      if (!joined) {
        ASSERT_TRUE(f.Get(line));
        EXPECT_EQ(line, "next");
      }
      EXPECT_TRUE(f.FEof());
    }
}

TEST(ResolvePath, CaseInsensitiveComponents) {
  TempDir dir;
  std::filesystem::create_directories(dir / "Sub" / "Deeper");
  WriteFile(dir / "Sub" / "Deeper" / "fibconf", "x");
  const std::string base = dir.path().string();
  EXPECT_EQ(ResolvePath(base + "/SUB/DEEPER/FIBCONF"), base + "/Sub/Deeper/fibconf");
  EXPECT_EQ(ResolvePath(base + "\\sub\\deeper\\FibConf"), base + "/Sub/Deeper/fibconf");
  EXPECT_EQ(ResolvePath(base + "/SUB/NEW.TXT"), base + "/Sub/NEW.TXT");
  EXPECT_EQ(ResolvePath(base + "/NOPE/X"), base + "/NOPE/X");
  EXPECT_EQ(ResolvePath(base + "/SUB/"), base + "/Sub/");
}

// The padding and trimming that writers rely on; the plain ones show in
// every golden case.
TEST(Text, Helpers) {
  char buf[32];
  rightbound(buf, "abcdef", 3);
  EXPECT_STREQ(buf, "abc");
  std::strcpy(buf, "  -5 ");
  fillnull(buf);
  EXPECT_STREQ(buf, "00-50");
  EXPECT_EQ(hkpad("\"Konto \"\r\n"), "Konto ");
  EXPECT_EQ(hkpad(" text\n"), " text");
  EXPECT_EQ(hkpad("\""), "\"");
  EXPECT_EQ(UpperAsciiCopy("abc\xe4z"), "ABC\xe4Z");
}

// The short copies write exactly the bytes memcpy and memset would, and none
// beside them, for every size around their word boundaries.
TEST(Text, ShortCopiesTouchOnlyTheirBytes) {
  char source[40];
  for (int i = 0; i < 40; ++i) source[i] = static_cast<char>('a' + i % 26);
  for (std::size_t n = 0; n <= 33; ++n) {
    char copied[48], filled[48], want[48];
    std::memset(copied, '#', sizeof copied);
    std::memset(filled, '#', sizeof filled);
    std::memset(want, '#', sizeof want);
    CopyShort(copied + 4, source + 1, n);
    std::memcpy(want + 4, source + 1, n);
    EXPECT_EQ(std::memcmp(copied, want, sizeof want), 0) << "copy of " << n;
    FillBlanks(filled + 4, n);
    std::memset(want + 4, ' ', n);
    EXPECT_EQ(std::memcmp(filled, want, sizeof want), 0) << "blanks of " << n;
  }
}

TEST(Platform, ShellWords) {
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitShellWords("prog a  b"), (V{"prog", "a", "b"}));
  EXPECT_EQ(SplitShellWords("prog \"a b\" 'c d' e\\ f"), (V{"prog", "a b", "c d", "e f"}));
  EXPECT_EQ(SplitShellWords("  "), V{});
  std::vector<std::string> words;
  EXPECT_EQ(SplitCommandLine("zeko /CONFIG:\"a b\" /ND", words), 3);
  EXPECT_EQ(words[1], "/CONFIG:a b");
}

}  // namespace
}  // namespace zeko
