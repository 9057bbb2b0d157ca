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

TEST(Usage, AnswersWithoutTouchingAnyFile) {
  struct Case {
    std::string word;
    std::string pattern;  // the whole of stdout
  } cases[] = {
      {"--help", "Aufruf: zeko /CONFIG:<Konfigurationsdatei> /TEMP:<Name> \\[/ND\\]\n(.|\n)*"
                 "\\$TMPDIR/(.|\n)*SLANG(.|\n)*Rückgabewert:\n(.|\n)*"},
      {"--version", "zeko [0-9]+\\.[0-9]+\\.[0-9]+\n"},
  };
  for (const Case& c : cases) {
    TempDir work;
    PrepareDefaultRun(work);
    const std::string input = ReadFile(work / ".$TM");
    RunResult r = RunZeko(work.path(), {c.word});
    EXPECT_EQ(r.exitCode, 0) << c.word;
    EXPECT_EQ(r.err, "") << c.word;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(c.pattern))) << c.word << ":\n" << r.out;
    EXPECT_EQ(ReadFile(work / ".$TM"), input) << c.word;
    EXPECT_FALSE(fs::exists(work / "DATAX.DAT")) << c.word;
  }
}

TEST(Usage, HelpAnywhereOnTheLineAnswersInsteadOfRunning) {
  // A person who types a help word gets the usage, not a run that looks for
  // an input of its own choosing.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"/CONFIG:FIBCONF", "--help"}, {"/?", "/ND"}, {"-h"}}) {
    TempDir work;
    PrepareDefaultRun(work);
    RunResult r = RunZeko(work.path(), args);
    EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
    EXPECT_EQ(r.out.rfind("Aufruf: zeko", 0), 0u) << args[0];
    EXPECT_FALSE(fs::exists(work / "DATAX.DAT")) << args[0];
  }
}

}  // namespace
}  // namespace zeko::test
