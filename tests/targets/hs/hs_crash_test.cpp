// The collected HS and HS3 files must survive a run that dies part-way: the
// file keeps the earlier runs' lines and its end, and the next run works.
// The fault is a file size limit on the run's process: once the run's
// output passes it, the process is killed by SIGXFSZ, or (with the signal
// ignored) its write fails as on a full disk.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/harness.h"

namespace zeko::test {
namespace {

constexpr const char* kHsConfig =
    "TYP=HS\nPATH=\nNAME1=HSFIBU.DAT\nMANDANT=01\n";
constexpr const char* kHs3Config =
    "TYP=HS3\nPATH=\nNAME1=HS3FIBU.DAT\nMANDANT=01\n";

// `count` bookings with distinct document numbers and accounts.
std::string Bookings(int count, int firstDocument) {
  std::string records;
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(firstDocument + i);
    // Appended rather than "1" + text: GCC 12 at -O3 misreads the insert in
    // front of a temporary as an overlapping copy (-Werror=restrict).
    std::string amount = "1";
    amount.append(n, n.size() - 2).append(".25");
    records += Field(10, "1") + Field(15, "0") + Field(100, n) + Field(105, "04.12.2026") +
               Field(110, "8400") + Field(115, amount) +
               Field(120, std::to_string(10000 + i)) + Field(125, "7") + Field(150, "Rechnung " + n) +
               "\r\n";
  }
  return records;
}

enum class Fault { kKilled, kWriteFails };

// Runs the converter in `dir` with files limited to `limitBytes`.
RunResult RunLimited(const fs::path& dir, long limitBytes, Fault fault) {
  RunResult r;
  fs::path errFile = dir / ".zeko-stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    setenv("TMPDIR", dir.c_str(), 1);
    int e = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int n = open("/dev/null", O_RDWR);
    dup2(n, 0);
    dup2(n, 1);
    dup2(e, 2);
    std::signal(SIGXFSZ, fault == Fault::kKilled ? SIG_DFL : SIG_IGN);
    struct rlimit limit = {rlim_t(limitBytes), rlim_t(limitBytes)};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string exe = ZEKO_EXE, config = "/CONFIG:fibconf", temp = "/TEMP:INPUT";
    char* argv[] = {exe.data(), config.data(), temp.data(), nullptr};
    execv(exe.c_str(), argv);
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = ReadFile(errFile);
  fs::remove(errFile);
  return r;
}

struct Target {
  const char* config;
  const char* file;
  std::size_t lineBytes;  // one booking line with CR LF
  std::size_t endBytes;   // what a run writes after its lines
  bool overwritesEnd;     // HS writes over the old end; HS3 appends
};

const Target kHs = {kHsConfig, "HSFIBU.DAT", 139, 142, true};
const Target kHs3 = {kHs3Config, "HS3FIBU.DAT", 177, 156, false};

void FaultedRunKeepsFile(const Target& t, Fault fault) {
  TempDir work;
  WriteFile(work / "fibconf", t.config);

  // Two earlier runs build the collected file.
  for (int run = 0; run < 2; ++run) {
    WriteFile(work / "INPUT.$TM", Bookings(3, 100 + 10 * run));
    RunResult ok = RunZeko(work.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"});
    ASSERT_EQ(ok.exitCode, 0) << ok.err;
  }
  const std::string before = ReadFile(work / t.file);
  ASSERT_FALSE(before.empty());
  ASSERT_EQ(before.back(), '\x1A');

  // A large run dies once its output has grown a little beyond the old file.
  const int kRecords = 3000;
  WriteFile(work / "INPUT.$TM", Bookings(kRecords, 10000));
  RunResult died = RunLimited(work.path(), long(before.size()) + 20000, fault);
  if (fault == Fault::kKilled) {
    EXPECT_EQ(died.exitCode, 128 + SIGXFSZ) << died.err;
  } else {
    EXPECT_EQ(died.exitCode, 1);
    EXPECT_NE(died.err.find("Fehler in e_write"), std::string::npos) << died.err;
  }
  const std::string journal = std::string(t.file) + ".$JN";
  if (fault == Fault::kWriteFails) {
    EXPECT_TRUE(ReadFile(work / t.file) == before) << "the collected file was changed";
    EXPECT_FALSE(fs::exists(work / journal));
  } else {
    // Killed: the journal tells the next run how to undo the run's lines.
    EXPECT_TRUE(fs::exists(work / journal));
  }

  // The input stays after a failed run; running it again completes the file.
  ASSERT_TRUE(fs::exists(work / "INPUT.$TM"));
  RunResult rerun = RunZeko(work.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"});
  ASSERT_EQ(rerun.exitCode, 0) << rerun.err;
  const std::string after = ReadFile(work / t.file);
  const std::size_t kept = t.overwritesEnd ? before.size() - t.endBytes : before.size();
  EXPECT_EQ(after.size(), kept + kRecords * t.lineBytes + t.endBytes);
  EXPECT_TRUE(after.compare(0, kept, before, 0, kept) == 0) << "earlier runs' lines lost";
  EXPECT_EQ(after.substr(after.size() - t.endBytes), before.substr(before.size() - t.endBytes));
  EXPECT_FALSE(fs::exists(work / journal));
}

TEST(HsCrash, KilledRunLeavesFileUnchanged) { FaultedRunKeepsFile(kHs, Fault::kKilled); }
TEST(HsCrash, FailedWriteLeavesFileUnchanged) { FaultedRunKeepsFile(kHs, Fault::kWriteFails); }
TEST(Hs3Crash, KilledRunLeavesFileUnchanged) { FaultedRunKeepsFile(kHs3, Fault::kKilled); }
TEST(Hs3Crash, FailedWriteLeavesFileUnchanged) { FaultedRunKeepsFile(kHs3, Fault::kWriteFails); }

}  // namespace
}  // namespace zeko::test
