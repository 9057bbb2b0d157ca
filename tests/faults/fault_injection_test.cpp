// Fault injection: every file operation of a whole run fails in turn, and
// is in turn the point at which the run is killed (through the preload shim
// of fault_shim.c, on golden cases whose outputs exist before the run). A
// failed run exits 1 with one of its own messages, keeps its input and
// leaves every file as before, or has passed its commit point and left its
// journal; a shrugged-off fault leaves the clean run's files; and the same
// export run again ends exactly as the clean run: nothing booked twice,
// nothing missing, nothing left over.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <map>
#include <sstream>

#include "output/run_protocol.h"
#include "support/harness.h"

namespace zeko::test {
namespace {

const fs::path kGolden = fs::path(ZEKO_SOURCE_DIR) / "tests" / "golden";

// The preload shim, built once per test program with the system's C compiler.
std::string ShimPath() {
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
}

// A run with the shim preloaded and the fault settings given.
RunOptions WithShim(std::map<std::string, std::string> env = {}) {
  env["LD_PRELOAD"] = ShimPath();
  // A sanitizer build wants its runtime first among the libraries.
  const std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
  env["ASAN_OPTIONS"] = asan + (asan.empty() ? "" : ":") + "verify_asan_link_order=0";
  RunOptions options;
  options.env = env;
  return options;
}

using Files = std::map<std::string, std::string>;

constexpr char kProtocolFile[] = "ZEKO.LOG";

// The run protocol as far as it must agree between runs: the committed
// entries and what they booked (times, machine and input names differ from
// run to run). Empty when no run committed; a broken chain shows as such.
std::string CommittedEntries(const std::string& text) {
  const ProtocolCheck check = VerifyProtocol(text);
  if (!check.ok) return "broken at line " + std::to_string(check.firstBadLine) + ": " + check.reason;
  std::string out;
  for (const ParsedEntry& p : ParseProtocol(text)) {
    if (p.entry.result != RunOutcome::kOk) continue;
    out += "ok " + std::to_string(p.entry.records) + "\n";
    for (const ProtocolOutput& o : p.entry.outputs)
      out += "  " + o.path + " " + std::to_string(o.records) + " " + std::to_string(o.sizeBefore) +
             " " + std::to_string(o.sizeAfter) + " " + o.addedSha256 + "\n";
  }
  return out;
}

Files Snapshot(const fs::path& dir) {
  Files files;
  for (const auto& e : fs::directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    const std::string name = e.path().filename().string();
    if (name == kProtocolFile) {
      // A failed run's entry is no booking: the protocol then counts as
      // unchanged.
      const std::string committed = CommittedEntries(ReadFile(e.path()));
      if (!committed.empty()) files[name] = committed;
      continue;
    }
    files[name] = ReadFile(e.path());
  }
  return files;
}

Files WithoutJournals(Files files) {
  for (auto it = files.begin(); it != files.end();) {
    if (EndsWith(it->first, ".$JN")) it = files.erase(it);
    else ++it;
  }
  return files;
}

struct FaultCase {
  const char* golden;  // tests/golden/<target>/<case>
  // The messages a faulted run may end with, besides the common ones; a
  // trailing "*" matches any rest (a path in the temporary directory).
  std::vector<std::string> messages;
  // New files written straight (a printer): any first part of them.
  std::vector<std::string> partial;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.golden; }

// One file operation of the clean run, in the order they happened.
struct Call {
  std::string kind;
  long number = 0;
  std::string target;  // the name a rename puts in place, or the sync's own
};

// A clean run with the shim tracing its file operations into `calls`;
// false (with the reason reported) when the run failed.
bool TracedRun(const TempDir& work, const std::vector<std::string>& args, std::vector<Call>& calls) {
  const std::string traceFile = (work / ".fault-trace").string();
  RunResult r = RunZeko(work.path(), args, WithShim({{"ZEKO_FAULT_TRACE", traceFile}}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::istringstream in(ReadFile(traceFile));
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    Call call;
    words >> call.kind >> call.number;
    std::getline(words >> std::ws, call.target);
    calls.push_back(call);
  }
  fs::remove(traceFile);
  return r.exitCode == 0;
}

const std::vector<std::string> kCommonMessages = {
    "Fehler in e_write",
    "Fehler beim öffnen der Eingabedatei",
    "Fehler beim öffnen CONFIG - Datei:\nFIBCONF",
    "Fehler beim öffnen CONFIG - Datei:\n./FIBCONF",
    // The run protocol, an output of every run.
    "Fehler beim öffnen Outputdatei ZEKO.LOG",
    "Fehler beim öffnen Outputdatei ./ZEKO.LOG",
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
     {}},
};

// A message is one of the allowed texts, alone or with what and where
// behind ": " (the file and the system's reason).
bool MessageAllowed(const std::vector<std::string>& allowed, const std::string& message) {
  for (std::string m : allowed) {
    const bool anyEnd = !m.empty() && m.back() == '*';
    if (anyEnd) m.pop_back();
    if (message.compare(0, m.size(), m) != 0 || !EndsWith(message, "\n")) continue;
    const std::string rest = message.substr(m.size());
    if (anyEnd || rest == "\n" || rest.compare(0, 2, ": ") == 0 || rest.compare(0, 2, " (") == 0)
      return true;
  }
  return false;
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

  // The files a run may leave besides the case's own: a printer's output
  // (written straight), and the input.
  bool Expected(const std::string& name) const {
    const FaultCase& fc = GetParam();
    return before_.count(name) || name == "INPUT.$TM" || name == "fibconf" ||
           std::find(fc.partial.begin(), fc.partial.end(), name) != fc.partial.end();
  }

  // A failed run: everything as before it, no file of its own; or past its
  // commit point, with its journal left for the next run.
  void CheckAfterFailure(const Files& after, const std::string& input0, const std::string& what) const {
    auto input = after.find("INPUT.$TM");
    ASSERT_NE(input, after.end()) << what << ": the input file is gone";
    bool asBefore = true;
    bool journal = false;
    for (const auto& [name, bytes] : after) {
      if (EndsWith(name, ".$JN")) journal = true;
      if (!Expected(name)) asBefore = false;
    }
    for (const auto& [name, bytes] : before_) {
      auto a = after.find(name);
      if (a == after.end() || a->second != bytes) asBefore = false;
    }
    if (input->second != input0) asBefore = false;
    if (asBefore || journal) return;
    std::string names;
    for (const auto& [name, bytes] : after) names += " " + name;
    ADD_FAILURE() << what << ": the failed run changed files and left no journal to finish or undo it:"
                  << names;
  }

  // The export run again after a fault ends exactly as the clean run.
  void CheckRerun(const TempDir& work, const Files& clean, const std::string& what) const {
    RunResult rerun = RunZeko(work.path(), args_, WithShim());
    ASSERT_EQ(rerun.exitCode, 0) << what << ", run again: " << rerun.err;
    const Files after = Snapshot(work.path());
    for (const auto& [name, bytes] : clean) {
      auto a = after.find(name);
      EXPECT_TRUE(a != after.end() && a->second == bytes)
          << what << ", run again: " << name << " differs from an undisturbed run's";
    }
    for (const auto& [name, bytes] : after)
      EXPECT_TRUE(clean.count(name)) << what << ", run again: file " << name << " left over";
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
    ASSERT_TRUE(TracedRun(work, args_, calls));
    clean = Snapshot(work.path());
  }
  std::map<std::string, int> counts;
  for (const Call& call : calls) ++counts[call.kind];
  ASSERT_GT(counts["open"], 0) << "the shim saw no call: is it preloaded?";
  ASSERT_GT(counts["write"], 0);
  ASSERT_GT(counts["unlink"], 0);

  int runs = 0;
  for (const Call& call : calls) {
    for (const bool killed : {false, true}) {
      const std::string what = call.kind + " #" + std::to_string(call.number) + (call.target.empty() ? "" : " (" + call.target + ")") +
                               (killed ? " killed" : " failing");
      TempDir work;
      Prepare(work);
      const char* error = (call.kind == "write" || call.kind == "fsync") ? "ENOSPC" : "EACCES";
      RunResult r = RunZeko(work.path(), args_,
                            WithShim({{"ZEKO_FAULT_OP", call.kind},
                                      {"ZEKO_FAULT_AT", std::to_string(call.number)},
                                      {"ZEKO_FAULT_ERRNO", error},
                                      {"ZEKO_FAULT_ACTION", killed ? "kill" : "fail"}}));
      ++runs;
      const Files after = Snapshot(work.path());
      if (r.exitCode == 0 && r.err.rfind("Eingabedatei kann nicht gelöscht werden: ", 0) == 0) {
        // Booked, only the input could not go: it stays, and running it
        // again books nothing twice.
        EXPECT_TRUE(after.count("INPUT.$TM")) << what;
        CheckRerun(work, clean, what);
        if (HasFailure()) return;
        continue;
      }
      if (r.exitCode == 0 || (killed && !after.count("INPUT.$TM"))) {
        // A fault the run may shrug off, or a kill after the run deleted its
        // input (it was done): everything is as after the clean run, but
        // for the spent journal, which the next run on the output removes.
        EXPECT_TRUE(WithoutJournals(after) == clean) << what << ": the run ended with other files";
        continue;
      }
      if (killed) {
        ASSERT_EQ(r.exitCode, 128 + SIGKILL) << what << ": " << r.err;
      } else {
        ASSERT_EQ(r.exitCode, 1) << what << ": " << r.err;
        EXPECT_TRUE(MessageAllowed(messages, r.err)) << what << ": unexpected message: " << r.err;
        CheckAfterFailure(after, input_, what);
      }
      CheckRerun(work, clean, what);
      if (HasFailure()) return;
    }
  }
  std::cout << "[ FAULTS   ] " << fc.golden << ": open " << counts["open"] << ", write "
            << counts["write"] << ", rename " << counts["rename"] << ", fsync " << counts["fsync"]
            << ", unlink " << counts["unlink"] << " calls; " << runs << " faulted runs\n";
}

// The bookings are committed and only the input cannot be deleted: no
// failed run (the host would export the same bookings again), but a message
// of its own; the input stays, and running it again books nothing twice.
TEST(InputNotDeleted, SaidAsSuchAndNothingBookedTwice) {
  ASSERT_FALSE(ShimPath().empty()) << "no C compiler to build tests/faults/fault_shim.c";
  const Files before = {{"fibconf", "TYP=DATAX\nRELEASE=4\nPATH=\nNAME1=DATAX.DAT\n"},
                        {"INPUT.$TM", Bookings(3)}};
  const std::vector<std::string> args = {"/CONFIG:fibconf", "/TEMP:INPUT"};
  TempDir work;
  for (const auto& [name, bytes] : before) WriteFile(work / name, bytes);
  std::vector<Call> calls;
  {
    TempDir clean;
    for (const auto& [name, bytes] : before) WriteFile(clean / name, bytes);
    ASSERT_TRUE(TracedRun(clean, args, calls));
  }
  std::string at;
  for (const Call& call : calls)
    if (call.kind == "unlink" && EndsWith(call.target, "INPUT.$TM")) at = std::to_string(call.number);
  ASSERT_FALSE(at.empty()) << "the run never deleted its input";
  RunResult r = RunZeko(work.path(), args,
                        WithShim({{"ZEKO_FAULT_OP", "unlink"},
                                  {"ZEKO_FAULT_AT", at},
                                  {"ZEKO_FAULT_ERRNO", "EACCES"}}));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "Eingabedatei kann nicht gelöscht werden: " + (work / "INPUT.$TM").string() +
                       " (Zugriff verweigert)\n");
  ASSERT_TRUE(fs::exists(work / "INPUT.$TM"));
  const std::string booked = ReadFile(work / "DATAX.DAT");
  RunResult again = RunZeko(work.path(), args, WithShim());
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(ReadFile(work / "DATAX.DAT"), booked) << "booked twice";
  EXPECT_FALSE(fs::exists(work / "INPUT.$TM"));
  // The protocol says so: one booking, then the same export found booked.
  const std::vector<ParsedEntry> entries = ParseProtocol(ReadFile(work / kProtocolFile));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].entry.result, RunOutcome::kOk);
  EXPECT_EQ(entries[1].entry.result, RunOutcome::kBooked);
}

// An output large enough to be synced behind its writer while the run goes
// on: each of those syncs failing ends the run as a full disk does, with
// the output as it was before the run and the input kept.
TEST(SyncBehind, AFailingSyncEndsTheRunAndKeepsTheOutput) {
  ASSERT_FALSE(ShimPath().empty()) << "no C compiler to build tests/faults/fault_shim.c";
  const Files before = {{"fibconf", "TYP=DATAX\nRELEASE=4\nPATH=\nNAME1=DATAX.DAT\n"},
                        {"INPUT.$TM", Bookings(90000)},  // 41 MB of DATAX records
                        {"DATAX.DAT", std::string(453, 'x')}};
  auto prepare = [&](const TempDir& work) {
    for (const auto& [name, bytes] : before) WriteFile(work / name, bytes);
  };
  const std::vector<std::string> args = {"/CONFIG:fibconf", "/TEMP:INPUT"};
  std::vector<std::string> behind;
  {
    TempDir work;
    prepare(work);
    std::vector<Call> calls;
    ASSERT_TRUE(TracedRun(work, args, calls));
    for (const Call& call : calls)
      if (call.target == "fdatasync") behind.push_back(std::to_string(call.number));
    ASSERT_GT(ReadFile(work / "DATAX.DAT").size(), std::size_t(36) << 20);
  }
  ASSERT_FALSE(behind.empty()) << "no sync behind the writer";
  for (const std::string& at : {behind.front(), behind.back()}) {
    TempDir work;
    prepare(work);
    RunResult r = RunZeko(work.path(), args,
                          WithShim({{"ZEKO_FAULT_OP", "fsync"},
                                    {"ZEKO_FAULT_AT", at},
                                    {"ZEKO_FAULT_ERRNO", "EIO"}}));
    EXPECT_EQ(r.exitCode, 1) << "sync #" << at;
    EXPECT_EQ(r.err, "Fehler in e_write: " + (work / "DATAX.DAT").string() +
                         " (Ein-/Ausgabefehler des Geräts)\n")
        << "sync #" << at;
    EXPECT_TRUE(Snapshot(work.path()) == before) << "sync #" << at << ": files changed";
  }
}

// Two runs of different exports onto one output, started together: the
// second waits for the first, both succeed, and the files are those of the
// two runs one after the other.
TEST_P(FaultInjection, TwoRunsAtOnce) {
  std::vector<std::string> argsA = args_, argsB = args_;
  for (std::string& a : argsA)
    if (a == "/TEMP:INPUT") a = "/TEMP:INPUTA";
  for (std::string& a : argsB)
    if (a == "/TEMP:INPUT") a = "/TEMP:INPUTB";
  auto prepare = [&](const TempDir& work) {
    Prepare(work);
    fs::rename(work / "INPUT.$TM", work / "INPUTA.$TM");
    WriteFile(work / "INPUTB.$TM", input_);
  };
  Files sequential;
  {
    TempDir work;
    prepare(work);
    ASSERT_EQ(RunZeko(work.path(), argsA).exitCode, 0);
    ASSERT_EQ(RunZeko(work.path(), argsB).exitCode, 0);
    sequential = Snapshot(work.path());
  }
  for (int pair = 0; pair < 10; ++pair) {
    TempDir work;
    prepare(work);
    RunOptions a, b;
    a.tag = "A";
    b.tag = "B";
    Started startedA = StartZeko(work.path(), argsA, a),
            startedB = StartZeko(work.path(), argsB, b);
    RunResult ra = WaitZeko(startedA), rb = WaitZeko(startedB);
    ASSERT_EQ(ra.exitCode, 0) << "pair " << pair << ": " << ra.err;
    ASSERT_EQ(rb.exitCode, 0) << "pair " << pair << ": " << rb.err;
    EXPECT_TRUE(Snapshot(work.path()) == sequential) << "pair " << pair << ": not both runs' records";
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
