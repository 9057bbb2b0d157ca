// The file that a run never changes in place: the earlier content stays
// until Commit, and the swap keeps what the user set up around the file.
#include "output/safe_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/harness.h"

namespace zeko {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

void NoCreate() { FAIL() << "the file exists: nothing is to be created"; }

TEST(SafeOutput, AppendedContentAppearsOnlyAtCommit) {
  TempDir dir;
  const std::string path = (dir / "OUT.TXT").string();
  WriteFile(path, "old\r\n");
  {
    SafeOutput file;
    OutputStream& out = file.Open(path, SafeOutput::Mode::kAppend, "update", NoCreate);
    out.Write("new\n");
    out.Flush();
    EXPECT_EQ(ReadFile(path), "old\r\n");
    EXPECT_TRUE(fs::exists(SafeOutput::WorkPath(path)));
    file.Commit();
  }
  EXPECT_EQ(ReadFile(path), "old\r\nnew\r\n");
  EXPECT_FALSE(fs::exists(SafeOutput::WorkPath(path)));
}

TEST(SafeOutput, ReplacedContentAppearsOnlyAtCommit) {
  TempDir dir;
  const std::string path = (dir / "OUT.TXT").string();
  WriteFile(path, "a much longer earlier content");
  for (SafeOutput::Mode mode : {SafeOutput::Mode::kTruncate, SafeOutput::Mode::kReplace}) {
    SafeOutput file;
    file.Open(path, mode, "update", NoCreate).Write("short");
    file.Finish();
    EXPECT_EQ(ReadFile(path), "a much longer earlier content");
    file.Commit();
    EXPECT_EQ(ReadFile(path), "short");
    WriteFile(path, "a much longer earlier content");
  }
}

TEST(SafeOutput, AnUncommittedRunLeavesNoTrace) {
  TempDir dir;
  const std::string path = (dir / "OUT.TXT").string();
  WriteFile(path, "old");
  // A work file of an earlier run that was killed is simply replaced.
  WriteFile(SafeOutput::WorkPath(path), "stale half-written copy");
  {
    SafeOutput file;
    file.Open(path, SafeOutput::Mode::kAppend, "update", NoCreate).Write("never committed");
  }
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_FALSE(fs::exists(SafeOutput::WorkPath(path)));
}

TEST(SafeOutput, AMissingFileIsMadeByTheWritersOwnOpener) {
  TempDir dir;
  const std::string path = (dir / "NEW.TXT").string();
  int created = 0;
  SafeOutput file;
  file.Open(path, SafeOutput::Mode::kAppend, "update", [&] {
    ++created;
    WriteFile(path, "");
  }).Write("x");
  EXPECT_EQ(created, 1);
  EXPECT_TRUE(fs::exists(path));  // there at once, empty, as opening it always made it
  EXPECT_EQ(ReadFile(path), "");
  file.Commit();
  EXPECT_EQ(ReadFile(path), "x");
}

TEST(SafeOutput, ALinkStaysALinkAndPermissionsStay) {
  TempDir dir;
  const std::string target = (dir / "REAL.TXT").string();
  const std::string link = (dir / "LINK.TXT").string();
  WriteFile(target, "old");
  ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
  fs::create_symlink(target, link);
  SafeOutput file;
  file.Open(link, SafeOutput::Mode::kAppend, "update", NoCreate).Write("+new");
  file.Commit();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "old+new");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(SafeOutput, AnUpdateInsideTheFileKeepsItsTail) {
  // HS: this run's bytes go from the old end line on; old bytes beyond
  // them stay, as writing in place never truncates.
  TempDir dir;
  const std::string path = (dir / "HS.DAT").string();
  WriteFile(path, "keep|end line and a long tail");
  SafeOutput file;
  ASSERT_TRUE(file.OpenExisting(path, "update", "create"));
  file.Begin(5).Write("NEW");
  file.Commit();
  EXPECT_EQ(ReadFile(path), "keep|NEW line and a long tail");
}

}  // namespace
}  // namespace zeko
