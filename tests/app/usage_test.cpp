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
  const std::string usage = "Aufruf: zeko /CONFIG:<Konfigurationsdatei> /TEMP:<Name> \\[/ND\\]\n(.|\n)*";
  struct Case {
    std::vector<std::string> words;
    std::string pattern;  // the whole of stdout
  } cases[] = {
      {{"--help"}, usage + "\\$TMPDIR/(.|\n)*SLANG(.|\n)*Rückgabewert:\n(.|\n)*"},
      {{"--version"}, "zeko [0-9]+\\.[0-9]+\\.[0-9]+\n"},
      {{"/CONFIG:FIBCONF", "--help"}, usage},
      {{"/?", "/ND"}, usage},
      {{"-h"}, usage},
  };
  for (const Case& c : cases) {
    TempDir work;
    PrepareDefaultRun(work);
    const std::string input = ReadFile(work / ".$TM");
    RunResult r = RunZeko(work.path(), c.words);
    EXPECT_EQ(r.exitCode, 0) << c.words[0];
    EXPECT_EQ(r.err, "") << c.words[0];
    EXPECT_TRUE(std::regex_match(r.out, std::regex(c.pattern))) << c.words[0] << ":\n" << r.out;
    EXPECT_EQ(ReadFile(work / ".$TM"), input) << c.words[0];
    EXPECT_FALSE(fs::exists(work / "DATAX.DAT")) << c.words[0];
  }
}

}  // namespace
}  // namespace zeko::test
