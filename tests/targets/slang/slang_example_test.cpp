// The example macro of examples/slang, run as its comment says.
#include <gtest/gtest.h>

#include "support/harness.h"

namespace zeko::test {
namespace {

TEST(SlangExample, WritesOneCsvLinePerRecord) {
  const fs::path example = fs::path(ZEKO_SOURCE_DIR) / "examples" / "slang";
  TempDir work;
  for (const char* name : {"csvout.lua", "fibconf", "SAMPLE.$TM"})
    fs::copy_file(example / name, work / name);

  RunResult r = RunZeko(work.path(), {"/CONFIG:fibconf", "/TEMP:SAMPLE"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_TRUE(fs::exists(work / "AUSGANG.CSV"));
  EXPECT_EQ(ReadFile(work / "AUSGANG.CSV"),
            "1;0;10001;15.03.2024;Rechnung 4711;119.00;4711\r\n"
            "1;0;10002;18.03.2024;\"Gutschrift; Skonto\";-23.80;4712\r\n"
            "1;0;10001;21.03.2024;\"Rechnung \"\"Eilt\"\"\";1190.00;4713\r\n");
  EXPECT_FALSE(fs::exists(work / "SAMPLE.$TM"));
}

}  // namespace
}  // namespace zeko::test
