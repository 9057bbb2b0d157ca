// Whole runs under a pseudo-terminal, cancelled part-way the way a user
// does it: Ctrl-C or Esc typed while the dialog counts.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <regex>
#include <sstream>

#include "support/harness.h"

namespace zeko::test {
namespace {

struct PtyRun {
  int status = -1;     // as waitpid reports it
  std::string screen;  // everything the program drew
  bool canonical = false;  // the terminal's line editing and echo after the run
};

// Runs zeko in `dir` on a fresh pseudo-terminal (80 x 24). Whenever the
// screen drawn so far matches the next trigger, its keys are typed.
PtyRun RunOnPty(const fs::path& dir, const std::vector<std::string>& args,
                std::vector<std::pair<std::regex, std::string>> triggers) {
  PtyRun run;
  struct winsize ws {};
  ws.ws_row = 24;
  ws.ws_col = 80;
  int master = -1;
  pid_t pid = ::forkpty(&master, nullptr, nullptr, &ws);
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) _exit(127);
    ::setenv("TMPDIR", dir.c_str(), 1);
    ::setenv("TERM", "xterm", 1);
    // As from an interactive shell, whatever this test was started with.
    for (int sig : {SIGINT, SIGTERM, SIGQUIT, SIGHUP}) ::signal(sig, SIG_DFL);
    std::vector<std::string> words = {ZEKO_EXE};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  if (pid < 0) return run;

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  std::size_t next = 0;
  for (;;) {
    if (next < triggers.size() && std::regex_search(run.screen, triggers[next].first)) {
      const std::string& keys = triggers[next].second;
      if (::write(master, keys.data(), keys.size()) != ssize_t(keys.size())) break;
      ++next;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
    struct pollfd p {master, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buf[4096];
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n <= 0) break;  // EIO: the program has ended and closed the terminal
    run.screen.append(buf, std::size_t(n));
  }
  ::waitpid(pid, &run.status, 0);
  struct termios t {};
  if (::tcgetattr(master, &t) == 0) run.canonical = (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
  ::close(master);
  return run;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The dialog's lines cleared below a 24-line screen's scrolling region.
constexpr char kErased[] = "\x1b" "7\x1b[r\x1b[17;1H\x1b[J\x1b" "8\x1b[?25h";
constexpr int kRecords = 300000;

// Cancel is a failed run: nothing of it stays, the input is kept for the
// next try, and the host system sees exit code 1.
TEST(PtyCancel, CtrlCUndoesTheRunAndKeepsTheInput) {
  TempDir work;
  WriteFile(work / "fibconf", "TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\n");
  WriteFile(work / "DATAX.DAT", "earlier");
  const std::string input = Bookings(kRecords);
  WriteFile(work / "INPUT.$TM", input);

  PtyRun run = RunOnPty(work.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"},
                        {{std::regex("Anzahl Sätze +[1-9]"), "\x03"}});
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 1);
  EXPECT_NE(run.screen.find("Q.V.T-System 08/4 FIBU-Konverter"), std::string::npos);
  EXPECT_NE(run.screen.find("Abbruch läuft"), std::string::npos);
  EXPECT_TRUE(EndsWith(run.screen, std::string(kErased) + "Übernahme abgebrochen\r\n")) << run.screen;
  EXPECT_TRUE(run.canonical);

  EXPECT_EQ(ReadFile(work / "DATAX.DAT"), "earlier");
  EXPECT_EQ(ReadFile(work / "INPUT.$TM"), input);
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(work.path())) (void)e, ++files;
  EXPECT_EQ(files, 3u) << "a work file or journal was left";
}

// A run whose output another run is using waits, says for which file, and
// can be cancelled while it waits.
TEST(PtyCancel, WaitingForAnOutputShowsItAndCanBeCancelled) {
  TempDir work;
  WriteFile(work / "fibconf", "TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\n");
  WriteFile(work / "INPUT.$TM", Bookings(10));
  // Another run holds the output's lock.
  const int lock = ::open((work / "DATAX.DAT.$JN").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);

  PtyRun run = RunOnPty(work.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"},
                        {{std::regex("warte auf Freigabe: .*DATAX\\.DAT"), "\x1b"}});
  ::close(lock);
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 1);
  EXPECT_TRUE(EndsWith(run.screen, std::string(kErased) + "Übernahme abgebrochen\r\n"));
  EXPECT_TRUE(fs::exists(work / "INPUT.$TM"));
  EXPECT_FALSE(fs::exists(work / "DATAX.DAT"));
}

// Writes the document number of each record; Close notes how many it saw.
constexpr char kLogMacro[] = R"(
local log, records, number
function OpenOutput() log = assert(io.open("log.txt", "w")) records = 0 end
function StartRecord() records = records + 1 end
function ProcessField(field, value) if field == "100" then number = value end end
function EndRecord() log:write(number, "\n") end
function CloseOutput()
  log:write("closed after ", records, "\n")
  log:close()
end
)";

TEST(PtyCancel, EscCancelsWithoutClosingTheOutput) {
  TempDir work;
  WriteFile(work / "fibconf", "TYP=SLANG\nSLMACRO=log.lua\nPATH=\nNAME1=OUT.CSV\n");
  WriteFile(work / "log.lua", kLogMacro);
  WriteFile(work / "INPUT.$TM", Bookings(kRecords));

  // The macro counts no records: the bar tells that the run is under way.
  PtyRun run = RunOnPty(work.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"},
                        {{std::regex("Übernahme +\\[#"), "\x1b"}});
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), 1);
  EXPECT_TRUE(run.canonical);

  // A failed run does not close its output: the macro's CloseOutput never
  // runs, and the records it saw are in input order.
  std::vector<std::string> lines = Lines(ReadFile(work / "log.txt"));
  ASSERT_GE(lines.size(), 1u);
  EXPECT_LT(lines.size(), std::size_t(kRecords));
  for (std::size_t i = 0; i < lines.size(); ++i)
    ASSERT_EQ(lines[i], std::to_string(i + 1));
  EXPECT_TRUE(fs::exists(work / "INPUT.$TM"));
}

}  // namespace
}  // namespace zeko::test
