// An output file whose changes a failed run undoes: appended bytes go in
// place behind a rollback journal, new content in a work file; whatever
// does not reach Commit is undone, by the run itself or, after a kill, by
// the next one that opens the file.
#include "output/safe_output.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

#include "support/harness.h"

namespace zeko {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

OutputFile Declare(const std::string& path, OutputMode mode, const char* updateError = "update") {
  return {path, mode, updateError, "create ", {}};
}

// Names in the directory besides the ones given.
std::vector<std::string> Others(const TempDir& dir, std::initializer_list<const char*> known) {
  std::vector<std::string> others;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

struct ModeCase {
  OutputMode mode;
  const char* before;  // nullptr: no file yet
  const char* after;   // the file after a commit of "new"
  unsigned perms;      // its mode then: an existing file keeps its own (0640)
};

class SafeOutputModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(SafeOutputModes, CommitGivesTheNewContentAndAnUncommittedRunNone) {
  const ModeCase& c = GetParam();
  TempDir dir;
  const std::string path = (dir / "OUT.TXT").string();
  const mode_t saved = ::umask(022);
  for (const bool commit : {false, true}) {
    if (c.before) {
      WriteFile(path, c.before);
      ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    }
    {
      RunJournal journal;
      SafeOutput file;
      OutputStream& out = file.Open(journal, Declare(path, c.mode));
      out.Write("new\n");
      out.Flush();
      if (commit) file.Commit();
    }
    if (commit || c.before)
      EXPECT_EQ(ReadFile(path), commit ? c.after : c.before);
    else
      EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(Others(dir, {"OUT.TXT"}), std::vector<std::string>())
        << "a journal or work file was left";
  }
  ::umask(saved);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, c.perms);
}

INSTANTIATE_TEST_SUITE_P(
    All, SafeOutputModes,
    ::testing::Values(ModeCase{OutputMode::kAppend, "older and longer", "older and longernew\r\n",
                               0640},
                      ModeCase{OutputMode::kTruncate, "older and longer", "new\r\n", 0640},
                      ModeCase{OutputMode::kReplace, "older and longer", "new\r\n", 0640},
                      ModeCase{OutputMode::kAppend, nullptr, "new\r\n", 0644}));

TEST(SafeOutput, ALinkStaysALink) {
  TempDir dir;
  const std::string target = (dir / "REAL.TXT").string();
  const std::string link = (dir / "LINK.TXT").string();
  for (OutputMode mode : {OutputMode::kAppend, OutputMode::kReplace}) {
    WriteFile(target, "old");
    fs::remove(link);
    fs::create_symlink(target, link);
    RunJournal journal;
    SafeOutput file;
    file.Open(journal, Declare(link, mode, "update")).Write("+new");
    file.Commit();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(target), mode == OutputMode::kAppend ? "old+new" : "+new");
  }
}

TEST(SafeOutput, ALinkAtTheJournalsNameIsNeverFollowed) {
  TempDir dir;
  const std::string path = (dir / "OUT.TXT").string();
  const std::string victim = (dir / "VICTIM").string();
  WriteFile(path, "old");
  WriteFile(victim, "precious");
  fs::create_symlink(victim, path + ".$JN");
  EXPECT_EXIT(
      {
        RunJournal journal;
        SafeOutput file;
        file.Open(journal, Declare(path, OutputMode::kAppend, "Fehler beim öffnen")).Write("x");
        file.Commit();
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "Fehler beim öffnen");
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_EQ(ReadFile(path), "old");
}

// Two runs with crossed outputs: one takes A and then B, the other B and
// then A, each having taken its first before the other asks for its
// second. Both finish, and each file holds the bytes of both runs.
struct CrossedCase {
  const char* name;
  bool existing;  // the outputs hold earlier content
};

class SafeOutputCrossed : public ::testing::TestWithParam<CrossedCase> {};

TEST_P(SafeOutputCrossed, RunsWithCrossedOutputsBothFinish) {
  TempDir dir;
  const std::string a = (dir / "A.TXT").string();
  const std::string b = (dir / "B.TXT").string();
  if (GetParam().existing) {
    WriteFile(a, "old|");
    WriteFile(b, "old|");
  }
  const auto run = [&](const std::string& first, const std::string& second, const char* me,
                       const char* other) {
    pid_t child = ::fork();
    if (child != 0) return child;
    RunJournal journal;
    SafeOutput one;
    SafeOutput two;
    one.Open(journal, Declare(first, OutputMode::kAppend, "update")).Write(std::string(me) + "|");
    WriteFile((dir / me).string(), "");
    while (!fs::exists(dir / other)) ::usleep(1000);
    two.Open(journal, Declare(second, OutputMode::kAppend, "update")).Write(std::string(me) + "|");
    one.Commit();
    two.Commit();
    ::_exit(0);
  };
  const pid_t runs[] = {run(a, b, "1", "2"), run(b, a, "2", "1")};
  // Crossed runs that wait for each other would never end.
  bool ended[] = {false, false};
  for (int waited = 0; waited < 2000 && !(ended[0] && ended[1]); ++waited) {
    for (int i = 0; i < 2; ++i) {
      int status = 0;
      if (!ended[i] && ::waitpid(runs[i], &status, WNOHANG) == runs[i]) {
        ended[i] = true;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "run " << i + 1;
      }
    }
    ::usleep(10000);
  }
  for (int i = 0; i < 2; ++i) {
    if (ended[i]) continue;
    ::kill(runs[i], SIGKILL);
    ::waitpid(runs[i], nullptr, 0);
    ADD_FAILURE() << "run " << i + 1 << " still waits after 20 s";
  }
  const std::string old = GetParam().existing ? "old|" : "";
  for (const std::string& path : {a, b}) {
    const std::string content = ReadFile(path);
    EXPECT_TRUE(content == old + "1|2|" || content == old + "2|1|") << path << ": " << content;
  }
  EXPECT_EQ(Others(dir, {"A.TXT", "B.TXT", "1", "2"}), std::vector<std::string>());
}

INSTANTIATE_TEST_SUITE_P(All, SafeOutputCrossed,
                         ::testing::Values(CrossedCase{"Existing", true},
                                           CrossedCase{"New", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeko
