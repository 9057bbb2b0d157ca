// Whole runs of the converter, one folder per case under tests/golden/<target>/:
//   fibconf    the configuration file
//   input      the input records in readable form (see support/harness.h)
//   args       the command line words (default "/CONFIG:fibconf /TEMP:INPUT")
//   before/    files placed in the work directory before the run
//   expected/  files that must exist afterwards with exactly these bytes
//              ({TODAY}, {TODAY6}, {ISODATE} and {DATE8} stand for today's
//              date as dd.mm.yyyy, ddmmyy, yyyy-mm-dd and yyyymmdd; {TIME}
//              and {TIME6} for the clock time of the run as hh:mm:ss and
//              hhmmss, taken from where the file first shows it)
//   absent     names that must not exist afterwards, one per line
//   result     exit code on the first line, the exact stderr text after it
//   stdout     the exact standard output (default: none)
//              ({WORK} in both stands for the run's directory, its TMPDIR,
//              with a separator behind it)
#include <gtest/gtest.h>

#include <algorithm>
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

class Golden : public ::testing::TestWithParam<fs::path> {};

TEST_P(Golden, Run) {
  const fs::path& c = GetParam();
  TempDir work;
  fs::copy_file(c / "fibconf", work / "fibconf");
  if (fs::exists(c / "before"))
    fs::copy(c / "before", work.path(), fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (fs::exists(c / "input")) WriteFile(work / "INPUT.$TM", EncodeRecords(ReadFile(c / "input")));

  std::vector<std::string> args = {"/CONFIG:fibconf", "/TEMP:INPUT"};
  if (fs::exists(c / "args")) args = Words(ReadFile(c / "args"));

  int wantCode = 0;
  std::string wantErr;
  if (fs::exists(c / "result")) {
    std::string r = ReadFile(c / "result");
    std::size_t nl = r.find('\n');
    wantCode = std::atoi(r.substr(0, nl).c_str());
    wantErr = nl == std::string::npos ? "" : r.substr(nl + 1);
  }

  RunResult got = RunZeko(work.path(), args);
  // Messages that name a file in the run's directory (its TMPDIR) show it
  // as {WORK}.
  const std::string workDir = work.path().string() + "/";
  got.err = Replace(got.err, workDir, "{WORK}");
  got.out = Replace(got.out, workDir, "{WORK}");
  EXPECT_EQ(got.exitCode, wantCode) << got.err;
  EXPECT_EQ(got.err, wantErr);
  const std::string wantOut = fs::exists(c / "stdout") ? FillToday(ReadFile(c / "stdout")) : "";
  EXPECT_EQ(got.out, wantOut);

  if (fs::exists(c / "expected")) {
    for (const auto& e : fs::recursive_directory_iterator(c / "expected")) {
      if (!e.is_regular_file()) continue;
      fs::path rel = fs::relative(e.path(), c / "expected");
      std::string want = FillToday(ReadFile(e.path()));
      ASSERT_TRUE(fs::exists(work / rel.string())) << rel << " was not written";
      std::string actual = ReadFile(work / rel.string());
      want = FillTime(want, actual);
      EXPECT_TRUE(want == actual) << rel << ": " << Difference(want, actual);
    }
  }
  if (fs::exists(c / "absent")) {
    for (const std::string& name : Words(ReadFile(c / "absent"))) {
      EXPECT_FALSE(fs::exists(work / name)) << name << " should not exist";
    }
  }
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
