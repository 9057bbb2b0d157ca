// Fault injection: every file operation of a whole run fails in turn, and
// every one of them is also the point at which the run is killed.
//
// Each case is a golden case whose output files already exist before the
// run (the collected files of earlier runs). The converter runs with the
// preload shim of fault_shim.c: one clean run traces the run's opens,
// writes, renames and fsyncs in order, then the run is repeated once for
// each of them with that call failing (a full disk for writes and syncs, a
// refused permission for opens and renames) and once with the process
// killed at that call. After every faulted run:
//   - the run ended with exit code 1 and one of the run's own messages (or
//     was killed; or, for a fault the run may shrug off, succeeded with the
//     clean run's files exactly);
//   - the input file is still there, unchanged (the presort may have put
//     its records in order);
//   - every file that existed before holds exactly its earlier bytes until
//     the rename that puts its new content in place, and exactly the clean
//     run's bytes after it: never anything in between;
//   - a file that did not exist is absent or empty until then.
// A second test kills a long run (and fills the disk under it) while its
// records stream out, then runs the export again: the result must be the
// undisturbed run's, with no booking twice and none missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/harness.h"

namespace zeko::test {
namespace {

const fs::path kGolden = fs::path(ZEKO_SOURCE_DIR) / "tests" / "golden";
const char* const kKinds[] = {"open", "write", "rename", "fsync"};

// The preload shim: built by CMake where the build provides it, else here,
// once per test program, with the system's C compiler.
std::string ShimPath() {
#ifdef ZEKO_FAULT_SHIM
  return ZEKO_FAULT_SHIM;
#else
  static TempDir dir;
  static const std::string built = [] {
    const std::string out = (dir / "fault_shim.so").string();
    const std::string source = (fs::path(ZEKO_SOURCE_DIR) / "tests" / "faults" / "fault_shim.c").string();
    std::vector<std::string> compilers;
    if (const char* cc = std::getenv("CC"); cc && *cc) compilers.push_back(cc);
    compilers.insert(compilers.end(), {"cc", "gcc", "clang"});
    for (const std::string& cc : compilers) {
      // The sanitizer options of the test run are no business of the compiler.
      const std::string command = "env -u ASAN_OPTIONS -u UBSAN_OPTIONS " + cc +
                                  " -shared -fPIC -O1 -o '" + out + "' '" + source + "' -ldl 2>/dev/null";
      if (std::system(command.c_str()) == 0) return out;
    }
    return std::string();
  }();
  return built;
#endif
}

struct FaultRun {
  int code = -1;  // exit code, or 128 + signal
  std::string err;
};

// How a run is limited instead of a preloaded fault.
enum class Limit { kNone, kKilled, kWriteFails };

// Runs the converter in dir with the shim preloaded and the fault settings,
// or (limit) with its files limited to fileBytes: once a file would grow
// beyond, the process is killed by SIGXFSZ, or (with the signal ignored)
// the write fails as on a full disk.
FaultRun RunWithShim(const fs::path& dir, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env, Limit limit = Limit::kNone,
                     long fileBytes = 0) {
  FaultRun r;
  const fs::path errFile = dir / ".zeko-stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    setenv("TMPDIR", dir.c_str(), 1);
    if (limit == Limit::kNone) {
      setenv("LD_PRELOAD", ShimPath().c_str(), 1);
      // A sanitizer build wants its runtime first among the libraries.
      std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
      setenv("ASAN_OPTIONS", (asan + (asan.empty() ? "" : ":") + "verify_asan_link_order=0").c_str(), 1);
    } else {
      std::signal(SIGXFSZ, limit == Limit::kKilled ? SIG_DFL : SIG_IGN);
      struct rlimit rl = {rlim_t(fileBytes), rlim_t(fileBytes)};
      setrlimit(RLIMIT_FSIZE, &rl);
    }
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    int e = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int n = open("/dev/null", O_RDWR);
    dup2(n, 0);
    dup2(n, 1);
    dup2(e, 2);
    std::vector<char*> argv;
    std::string exe = ZEKO_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  const std::time_t deadline = std::time(nullptr) + 60;
  for (;;) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (std::time(nullptr) > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      r.err = "timeout";
      return r;
    }
    usleep(1000);
  }
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.err = ReadFile(errFile);
  fs::remove(errFile);
  return r;
}

using Files = std::map<std::string, std::string>;

Files Snapshot(const fs::path& dir) {
  Files files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.is_regular_file()) files[e.path().filename().string()] = ReadFile(e.path());
  return files;
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

std::multiset<std::string> Lines(const std::string& text) {
  std::multiset<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.insert(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct FaultCase {
  const char* golden;  // tests/golden/<target>/<case>
  // The messages a faulted run may end with, besides the common ones; a
  // trailing "*" matches any rest (a path in the temporary directory).
  std::vector<std::string> messages;
  // New files written straight (a printer): any first part of them.
  std::vector<std::string> partial;
  bool presort = false;  // the input may come back sorted
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.golden; }

// One file operation of the clean run, in the order they happened.
struct Call {
  std::string kind;
  long number = 0;
  std::string target;  // the name a rename puts in place
};

const std::vector<std::string> kCommonMessages = {
    "Fehler in e_write",
    "Fehler beim öffnen der Eingabedatei",
    "Fehler beim öffnen CONFIG - Datei:\nFIBCONF",
    "Fehler beim öffnen CONFIG - Datei:\n./FIBCONF",
};

const FaultCase kCases[] = {
    {"datax/append_existing", {"Fehler beim öffnen Outputdatei DATAX.DAT"}, {}},
    {"hs/second_run",
     {"Fehler beim öffnen Ausgabedatei HS-FIBU", "Fehler beim öffnen Outputdatei HSFIBU.DAT"}, {}},
    {"hs3/bookings_second_run",
     {"Fehler öffnen Ausgabedatei HS-FIBU", "Fehler beim öffnen Outputdatei HS3FIBU.DAT"}, {}},
    {"khk8/truncate_existing", {"ZEKO : Fehler Anlegen Outputdatei KHK8.TXT"}, {}},
    {"pcrewe/append_existing",
     {"Fehler öffnen Ausgabedatei REWE-FIBU", "Fehler beim öffnen Outputdatei REWE.TXT"}, {}},
    {"pcrewe/append_off_existing",
     {"Fehler öffnen Ausgabedatei REWE-FIBU", "Fehler beim öffnen Outputdatei REWE.TXT"}, {}},
    {"ledax/append_existing",
     {"Fehler öffnen Ausgabedatei LEDA-X", "Fehler beim öffnen Outputdatei LEDAX1.TXT",
      "Fehler beim öffnen Outputdatei LEDAX2.TXT"},
     {}},
    {"generic/header_append", {"Fehler beim öffnen Outputdatei GENERIC.TXT"}, {}},
    // The cover note goes to its printer (here a file) straight.
    {"spk/append",
     {"Fehler beim öffnen Outputdatei SPK.DTA", "Drucker nicht ansprechbar", "Keine Diskettennummer",
      "Diskettennummer kann nicht geschrieben werden", "Kein Begleitzettelformular"},
     {"NOTE.TXT"}},
    {"presort/groups",
     {"Fehler beim öffnen Outputdatei OUT.TXT", "Fehler beim öffnen Outputdatei *",
      "Fehler beim Umbenennen der Datei *"},
     {}, true},
};

bool MessageAllowed(const std::vector<std::string>& allowed, const std::string& message) {
  for (const std::string& m : allowed) {
    if (!m.empty() && m.back() == '*') {
      if (message.compare(0, m.size() - 1, m, 0, m.size() - 1) == 0 && EndsWith(message, "\n")) return true;
    } else if (message == m + "\n") {
      return true;
    }
  }
  return false;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

class FaultInjection : public ::testing::TestWithParam<FaultCase> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ShimPath().empty()) << "no C compiler to build tests/faults/fault_shim.c";
    const fs::path c = kGolden / GetParam().golden;
    ASSERT_TRUE(fs::exists(c / "fibconf")) << c;
    config_ = ReadFile(c / "fibconf");
    input_ = EncodeRecords(ReadFile(c / "input"));
    if (fs::exists(c / "before"))
      for (const auto& e : fs::directory_iterator(c / "before"))
        if (e.is_regular_file()) before_[e.path().filename().string()] = ReadFile(e.path());
    args_ = {"/CONFIG:fibconf", "/TEMP:INPUT"};
    if (fs::exists(c / "args")) args_ = Words(ReadFile(c / "args"));
  }

  // A fresh work directory as the run finds it.
  void Prepare(const TempDir& work) const {
    WriteFile(work / "fibconf", config_);
    WriteFile(work / "INPUT.$TM", input_);
    for (const auto& [name, bytes] : before_) WriteFile(work / name, bytes);
  }

  // Checks the state a failed or killed run left; `what` names the fault,
  // `committed` the files whose new content was put in place before it.
  void CheckAfterFault(const Files& after, const Files& clean, const std::set<std::string>& committed,
                       const std::string& what) const {
    const FaultCase& fc = GetParam();
    // The input stays for the next run.
    auto input = after.find("INPUT.$TM");
    ASSERT_NE(input, after.end()) << what << ": the input file is gone";
    if (fc.presort) {
      EXPECT_TRUE(Lines(input->second) == Lines(input_)) << what << ": the input lost records";
    } else {
      EXPECT_TRUE(input->second == input_) << what << ": the input file changed";
    }
    // Earlier files: exactly their earlier bytes until their new content
    // is put in place, exactly the new content after.
    for (const auto& [name, bytes] : before_) {
      auto a = after.find(name);
      ASSERT_NE(a, after.end()) << what << ": " << name << " is gone";
      if (committed.count(name)) {
        EXPECT_TRUE(a->second == clean.at(name)) << what << ": " << name << " is not the new content it was given";
      } else {
        EXPECT_TRUE(a->second == bytes) << what << ": " << name << " lost its earlier content ("
                                        << bytes.size() << " bytes before, " << a->second.size() << " after)";
      }
    }
    // New files: absent or empty until put in place; a printer's output
    // may stop anywhere.
    for (const auto& [name, bytes] : clean) {
      if (before_.count(name) || name == "INPUT.$TM" || name == "fibconf") continue;
      auto a = after.find(name);
      if (committed.count(name)) {
        EXPECT_TRUE(a != after.end() && a->second == bytes) << what << ": new file " << name << " is not complete";
        continue;
      }
      if (a == after.end() || a->second.empty()) continue;
      const bool partial = std::find(fc.partial.begin(), fc.partial.end(), name) != fc.partial.end();
      EXPECT_TRUE(partial && bytes.compare(0, a->second.size(), a->second) == 0)
          << what << ": new file " << name << " holds part of its content";
    }
    // Nothing else but the work files of the interrupted run.
    for (const auto& [name, bytes] : after) {
      if (clean.count(name) || name == "INPUT.$TM" || EndsWith(name, ".$$$") || EndsWith(name, ".$TO")) continue;
      ADD_FAILURE() << what << ": unexpected file " << name;
    }
  }

  std::string config_;
  std::string input_;
  Files before_;
  std::vector<std::string> args_;
};

TEST_P(FaultInjection, EveryFailingCallKeepsTheData) {
  const FaultCase& fc = GetParam();
  std::vector<std::string> messages = kCommonMessages;
  messages.insert(messages.end(), fc.messages.begin(), fc.messages.end());

  // The clean run: the files a complete run leaves, and the run's file
  // operations in order.
  Files clean;
  std::vector<Call> calls;
  {
    TempDir work;
    Prepare(work);
    const std::string traceFile = (work / ".fault-trace").string();
    FaultRun r = RunWithShim(work.path(), args_, {{"ZEKO_FAULT_TRACE", traceFile}});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream in(ReadFile(traceFile));
    for (std::string line; std::getline(in, line);) {
      std::istringstream words(line);
      Call call;
      words >> call.kind >> call.number;
      std::getline(words >> std::ws, call.target);
      calls.push_back(call);
    }
    fs::remove(traceFile);
    clean = Snapshot(work.path());
  }
  std::map<std::string, int> counts;
  for (const Call& call : calls) ++counts[call.kind];
  ASSERT_GT(counts["open"], 0) << "the shim saw no call: is it preloaded?";
  ASSERT_GT(counts["write"], 0);
  ASSERT_GT(counts["rename"], 0);

  int runs = 0;
  std::set<std::string> committed;  // renamed into place before the current call
  for (const Call& call : calls) {
    for (const bool killed : {false, true}) {
      const std::string what = call.kind + " #" + std::to_string(call.number) + (killed ? " killed" : " failing");
      TempDir work;
      Prepare(work);
      const char* error = (call.kind == "write" || call.kind == "fsync") ? "ENOSPC" : "EACCES";
      FaultRun r = RunWithShim(work.path(), args_,
                               {{"ZEKO_FAULT_OP", call.kind},
                                {"ZEKO_FAULT_AT", std::to_string(call.number)},
                                {"ZEKO_FAULT_ERRNO", error},
                                {"ZEKO_FAULT_ACTION", killed ? "kill" : "fail"}});
      ++runs;
      const Files after = Snapshot(work.path());
      if (killed) {
        ASSERT_EQ(r.code, 128 + SIGKILL) << what << ": " << r.err;
      } else if (r.code == 0) {
        // A fault the run may shrug off (the directory sync after a
        // rename): then everything is as after the clean run.
        EXPECT_TRUE(after == clean) << what << ": the run succeeded with other files";
        continue;
      } else {
        ASSERT_EQ(r.code, 1) << what << ": " << r.err;
        EXPECT_TRUE(MessageAllowed(messages, r.err)) << what << ": unexpected message: " << r.err;
      }
      CheckAfterFault(after, clean, committed, what);
      if (HasFailure()) return;
    }
    if (call.kind == "rename") committed.insert(call.target);
  }
  std::cout << "[ FAULTS   ] " << fc.golden << ": open " << counts["open"] << ", write "
            << counts["write"] << ", rename " << counts["rename"] << ", fsync " << counts["fsync"]
            << " calls; " << runs << " faulted runs\n";
}

// A long run killed (or stopped by a full disk) while its records stream
// out: the earlier files keep their bytes and the input stays; running the
// export again gives exactly what the run would have given had nothing
// happened: no booking twice, none missing.
TEST_P(FaultInjection, KilledMidRunThenRerun) {
  // The case's records many times over, so that the output passes the
  // stream buffers several times before the run ends.
  std::string big;
  while (big.size() < 3000000) big += input_;

  auto prepare = [&](const TempDir& work) {
    Prepare(work);
    WriteFile(work / "INPUT.$TM", big);
  };
  Files clean;
  {
    TempDir work;
    prepare(work);
    FaultRun r = RunWithShim(work.path(), args_, {});
    ASSERT_EQ(r.code, 0) << r.err;
    clean = Snapshot(work.path());
  }
  std::size_t earlier = 0;
  for (const auto& [name, bytes] : before_) earlier = std::max(earlier, bytes.size());
  std::size_t largest = 0;
  for (const auto& [name, bytes] : clean) largest = std::max(largest, bytes.size());
  const long limit = static_cast<long>(earlier) + 100000;
  ASSERT_GT(largest, std::size_t(2 * limit)) << "the run's output is too small to be cut";

  for (const Limit fault : {Limit::kKilled, Limit::kWriteFails}) {
    const std::string what = fault == Limit::kKilled ? "killed mid-run" : "disk full mid-run";
    TempDir work;
    prepare(work);
    FaultRun died = RunWithShim(work.path(), args_, {}, fault, limit);
    if (fault == Limit::kKilled) {
      ASSERT_EQ(died.code, 128 + SIGXFSZ) << died.err;
    } else {
      ASSERT_EQ(died.code, 1) << died.err;
      EXPECT_EQ(died.err, "Fehler in e_write\n");
    }
    Files after = Snapshot(work.path());
    ASSERT_TRUE(after.count("INPUT.$TM")) << what << ": the input file is gone";
    if (GetParam().presort) {
      EXPECT_TRUE(Lines(after["INPUT.$TM"]) == Lines(big)) << what << ": the input lost records";
    } else {
      EXPECT_TRUE(after["INPUT.$TM"] == big) << what << ": the input changed";
    }
    for (const auto& [name, bytes] : before_)
      EXPECT_TRUE(after[name] == bytes) << what << ": " << name << " lost its earlier content";

    FaultRun rerun = RunWithShim(work.path(), args_, {});
    ASSERT_EQ(rerun.code, 0) << rerun.err;
    for (const auto& [name, bytes] : clean)
      EXPECT_TRUE(ReadFile(work / name) == bytes) << what << ", run again: " << name << " differs from an undisturbed run";
    for (const auto& e : fs::directory_iterator(work.path()))
      EXPECT_FALSE(EndsWith(e.path().filename().string(), ".$$$")) << what << ": work file left after the rerun";
  }
}

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info) {
  std::string name = info.param.golden;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Writers, FaultInjection, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace zeko::test
