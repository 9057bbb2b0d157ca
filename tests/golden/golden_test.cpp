// Whole runs of the converter, one folder per case under tests/golden/<target>/:
//   fibconf    the configuration file
//   input      the input records in readable form (see support/harness.h)
//   args       the command line words (default "/CONFIG:fibconf /TEMP:INPUT")
//   before/    files placed in the work directory before the run
//   expected/  files that must exist afterwards with exactly these bytes
//              ({TODAY}, {TODAY6}, {ISODATE} and {DATE8} stand for today's
//              date as dd.mm.yyyy, ddmmyy, yyyy-mm-dd and yyyymmdd;
//              {DUEDATE} for the first TARGET business day from today on,
//              as yyyy-mm-dd; {TIME}
//              and {TIME6} for the clock time of the run as hh:mm:ss and
//              hhmmss, taken from where the file first shows it)
//   absent     names that must not exist afterwards, one per line
//   result     exit code on the first line, the exact stderr text after it;
//              a failed run must leave every file as it was and nothing
//              behind, but for what expected/ shows
//   stdout     the exact standard output (default: none)
//              ({WORK} in both stands for the run's directory, its TMPDIR,
//              with a separator behind it)
//
// Under Wine (scripts/test-windows.sh): ZEKO_LAUNCHER ("wine") starts
// ZEKO_EXE (zeko.exe) in ZEKO_WORK, which must be the Wine prefix's TMP and
// TEMP, since the converter looks for its input there. Every case then runs
// in that one directory, with "/NOGUI" added to its words, and {WORK} is the
// directory as Windows names it (Z:\...\). ZEKO_SKIP names a file of
// "target/case  reason" lines: cases that cannot pass on that platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>

#include "support/harness.h"

namespace zeko::test {
namespace {

const fs::path kGoldenRoot = fs::path(ZEKO_SOURCE_DIR) / "tests" / "golden";

std::vector<fs::path> Cases() {
  std::vector<fs::path> cases;
  for (const auto& target : fs::directory_iterator(kGoldenRoot)) {
    if (!target.is_directory()) continue;
    for (const auto& c : fs::directory_iterator(target.path()))
      if (c.is_directory() && fs::exists(c.path() / "fibconf")) cases.push_back(c.path());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

// Shows where two byte strings part, with a little context.
std::string Difference(const std::string& want, const std::string& got) {
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
  auto around = [&](const std::string& s) {
    std::size_t from = i > 40 ? i - 40 : 0;
    std::string part = s.substr(from, 80);
    for (char& c : part) {
      if (c == '\r') c = '~';
      else if (c == '\n') c = '|';
    }
    return part;
  };
  std::ostringstream m;
  m << "sizes " << want.size() << " (expected) and " << got.size() << " (actual), first difference at byte "
    << i << "\n  expected: " << around(want) << "\n  actual:   " << around(got);
  return m.str();
}

// The clock time of a run is not known beforehand: the first {TIME} or
// {TIME6} of the expected text adopts the time that the actual file holds
// at that place (everything before it must match byte for byte anyway), and
// every further one must then show the same time.
std::string FillTime(const std::string& want, const std::string& actual) {
  const std::size_t at = std::min(want.find("{TIME}"), want.find("{TIME6}"));
  if (at == std::string::npos) return want;
  const bool six = want.compare(at, 7, "{TIME6}") == 0;
  std::string hms = actual.substr(at, six ? 6 : 8);
  if (!six && hms.size() == 8) hms = hms.substr(0, 2) + hms.substr(3, 2) + hms.substr(6, 2);
  if (hms.size() != 6 || hms.find_first_not_of("0123456789") != std::string::npos)
    hms = "??????";
  const std::string colons = hms.substr(0, 2) + ":" + hms.substr(2, 2) + ":" + hms.substr(4, 2);
  return Replace(Replace(want, "{TIME}", colons), "{TIME6}", hms);
}

// Where and how the cases run: the Linux build in a fresh directory each, or
// the launcher's program in its fixed directory.
struct Host {
  std::vector<std::string> program;
  fs::path work;
  std::string workShown;                       // {WORK}, when not the Linux form
  std::map<std::string, std::string> skips;    // "target/case" and the reason
};

const Host& TheHost() {
  static const Host host = [] {
    Host h;
    auto env = [](const char* name) { return std::string(std::getenv(name) ? std::getenv(name) : ""); };
    if (env("ZEKO_LAUNCHER").empty()) return h;
    h.program = Words(env("ZEKO_LAUNCHER"));
    h.program.push_back(fs::absolute(env("ZEKO_EXE")).string());
    h.work = fs::absolute(env("ZEKO_WORK"));
    fs::create_directories(h.work);
    h.workShown = "Z:" + Replace(fs::canonical(h.work).string(), "/", "\\") + "\\";
    std::istringstream lines(env("ZEKO_SKIP").empty() ? "" : ReadFile(env("ZEKO_SKIP")));
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string name, reason;
      if (!(words >> name) || name[0] == '#') continue;
      std::getline(words >> std::ws, reason);
      h.skips[name] = reason;
    }
    return h;
  }();
  return host;
}

void Clear(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
}

std::string Name(const fs::path& c) {
  return c.parent_path().filename().string() + "/" + c.filename().string();
}

// Every file below dir with its bytes.
std::map<std::string, std::string> Files(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).generic_string()] = ReadFile(e.path());
  return files;
}

// Runs one case; what did not match, or nothing when it passed.
std::vector<std::string> RunCase(const fs::path& c, const Host& host) {
  std::vector<std::string> failures;
  std::optional<TempDir> fresh;
  if (host.program.empty()) fresh.emplace();
  const fs::path work = fresh ? fresh->path() : host.work;
  if (!fresh) Clear(work);
  fs::copy_file(c / "fibconf", work / "fibconf");
  if (fs::exists(c / "before"))
    fs::copy(c / "before", work, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (fs::exists(c / "input")) WriteFile(work / "INPUT.$TM", EncodeRecords(ReadFile(c / "input")));

  std::vector<std::string> args = {"/CONFIG:fibconf", "/TEMP:INPUT"};
  if (fs::exists(c / "args")) args = Words(ReadFile(c / "args"));
  if (!fresh) args.push_back("/NOGUI");  // no window, no message box

  int wantCode = 0;
  std::string wantErr;
  if (fs::exists(c / "result")) {
    std::string r = ReadFile(c / "result");
    std::size_t nl = r.find('\n');
    wantCode = std::atoi(r.substr(0, nl).c_str());
    wantErr = nl == std::string::npos ? "" : r.substr(nl + 1);
  }

  auto before = Files(work);
  RunOptions options;
  options.program = host.program;
  // Wine's first start in a fresh prefix is slow.
  RunResult got = WaitZeko(StartZeko(work, args, options), -1, fresh ? 60 : 120);
  // Messages that name a file in the run's directory (its TMPDIR) show it
  // as {WORK}.
  const std::string workDir = fresh ? work.string() + "/" : host.workShown;
  got.err = Replace(got.err, workDir, "{WORK}");
  got.out = Replace(got.out, workDir, "{WORK}");
  if (got.exitCode != wantCode)
    failures.push_back("exit code " + std::to_string(got.exitCode) + ", expected " +
                       std::to_string(wantCode));
  if (got.err != wantErr) failures.push_back("stderr: " + Difference(wantErr, got.err));
  const std::string wantOut = fs::exists(c / "stdout") ? FillToday(ReadFile(c / "stdout")) : "";
  if (got.out != wantOut) failures.push_back("stdout: " + Difference(wantOut, got.out));

  if (fs::exists(c / "expected")) {
    for (const auto& e : fs::recursive_directory_iterator(c / "expected")) {
      if (!e.is_regular_file()) continue;
      const std::string rel = fs::relative(e.path(), c / "expected").string();
      if (!fs::exists(work / rel)) {
        failures.push_back(rel + " was not written");
        continue;
      }
      const std::string actual = ReadFile(work / rel);
      const std::string want = FillTime(FillToday(ReadFile(e.path())), actual);
      if (want != actual) failures.push_back(rel + ": " + Difference(want, actual));
    }
  }
  // A failed run leaves every file as it was, the input included, and
  // leaves nothing behind; expected/ names the exceptions. It may add its
  // one entry to the run protocol (whose lines tests/app check).
  if (wantCode != 0) {
    auto after = Files(work);
    const std::string kProtocol = "ZEKO.LOG";
    const std::string was = before.count(kProtocol) ? before[kProtocol] : "";
    if (!fs::exists(c / "expected" / kProtocol) && after.count(kProtocol) &&
        after[kProtocol] != was) {
      const std::string& now = after[kProtocol];
      const std::string added = now.compare(0, was.size(), was) == 0 ? now.substr(was.size()) : "";
      if (added.empty() || added.back() != '\n' || added.find('\n') != added.size() - 1 ||
          added.find("\"exit\":1") == std::string::npos)
        failures.push_back(kProtocol + ": not one entry of a failed run added");
      after.erase(kProtocol);
      before.erase(kProtocol);
    }
    for (const auto& [name, bytes] : before)
      if (!fs::exists(c / "expected" / name) && (!after.count(name) || after[name] != bytes))
        failures.push_back(name + " changed by the failed run");
    for (const auto& [name, bytes] : after)
      if (!before.count(name) && !fs::exists(c / "expected" / name))
        failures.push_back(name + " left behind");
  }
  if (fs::exists(c / "absent")) {
    for (const std::string& name : Words(ReadFile(c / "absent")))
      if (fs::exists(work / name)) failures.push_back(name + " should not exist");
  }
  if (!fresh) Clear(work);
  return failures;
}

class Golden : public ::testing::TestWithParam<fs::path> {};

TEST_P(Golden, Run) {
  const Host& host = TheHost();
  const auto skip = host.skips.find(Name(GetParam()));
  if (skip != host.skips.end()) GTEST_SKIP() << skip->second;
  std::vector<std::string> failures = RunCase(GetParam(), host);
  if (!failures.empty() && !host.program.empty()) {
    // Wine now and then fails a start (its server still coming up): a case
    // fails only when it fails twice. Both reports show.
    std::cout << "[  RETRY   ] " << failures.front() << std::endl;
    failures = RunCase(GetParam(), host);
  }
  for (const std::string& f : failures) ADD_FAILURE() << f;
}

// A skip entry outlives its case only by mistake.
TEST(GoldenSkips, NameCases) {
  std::vector<std::string> names;
  for (const fs::path& c : Cases()) names.push_back(Name(c));
  for (const auto& [name, reason] : TheHost().skips)
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name << " names no case";
}

std::string CaseName(const ::testing::TestParamInfo<fs::path>& info) {
  std::string name = info.param.parent_path().filename().string() + "_" + info.param.filename().string();
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Golden, Golden, ::testing::ValuesIn(Cases()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Golden);

}  // namespace
}  // namespace zeko::test
