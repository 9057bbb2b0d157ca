// "--help", "-h", "/?" and "--version" answer without touching any file.
#include <gtest/gtest.h>

#include <regex>

#include "support/harness.h"

namespace zeko::test {
namespace {

// A directory where a run with the defaults (FIBCONF, "$TMPDIR/.$TM") would
// convert: anything but an answer changes it.
void PrepareDefaultRun(const TempDir& work) {
  WriteFile(work / "FIBCONF", "TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\n");
  WriteFile(work / ".$TM", EncodeRecords("010 1\n100 R1\n105 04.12.2026\n115 10.00\n--\n"));
}

// A help word anywhere on the line answers instead of running: a person who
// types one gets the usage, not a run that looks for an input of its own
// choosing.
TEST(Usage, AnswersWithoutTouchingAnyFile) {
  const std::string usage = "Aufruf: zeko /CONFIG:<Konfigurationsdatei> /TEMP:<Name> [/ND]\n";
  struct Case {
    std::vector<std::string> words;
    std::string start;                // stdout begins with it
    std::vector<std::string> pieces;  // and holds these after it, in order
  } cases[] = {
      {{"--help"}, usage, {"--protokoll", "$TMPDIR/", "SLANG", "Rückgabewert:\n"}},
      {{"--version"}, "zeko ", {}},
      {{"/CONFIG:FIBCONF", "--help"}, usage, {}},
      {{"/?", "/ND"}, usage, {}},
      {{"-h"}, usage, {}},
  };
  for (const Case& c : cases) {
    TempDir work;
    PrepareDefaultRun(work);
    const std::string input = ReadFile(work / ".$TM");
    RunResult r = RunZeko(work.path(), c.words);
    EXPECT_EQ(r.exitCode, 0) << c.words[0];
    EXPECT_EQ(r.err, "") << c.words[0];
    EXPECT_EQ(r.out.compare(0, c.start.size(), c.start), 0) << c.words[0] << ":\n" << r.out;
    std::size_t at = c.start.size();
    for (const std::string& piece : c.pieces) {
      at = r.out.find(piece, at);
      EXPECT_NE(at, std::string::npos) << c.words[0] << ": no " << piece;
      if (at == std::string::npos) break;
    }
    EXPECT_EQ(ReadFile(work / ".$TM"), input) << c.words[0];
    EXPECT_FALSE(fs::exists(work / "DATAX.DAT")) << c.words[0];
  }
  // The version alone, and whole: "zeko 1.0.0".
  const RunResult version = RunZeko(fs::temp_directory_path(), {"--version"});
  EXPECT_TRUE(std::regex_match(version.out, std::regex("zeko [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << version.out;
}

}  // namespace
}  // namespace zeko::test
