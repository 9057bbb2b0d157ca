// The follow-up command of the data type, started after the run without
// waiting for it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/harness.h"

namespace zeko::test {
namespace {

// DATAX writes nothing for address data, so these runs only read the input.
const char* kInput = "010 2\n105 04.12.2026\n";

TEST(FollowUpCommand, StartedWithUpperCasedWordsFoundAlongPath) {
  TempDir dir;
  WriteFile(dir / "fibconf", "TYP=DATAX\nSPAWN2=touch spawned \"two words\"\n");
  WriteFile(dir / "INPUT.$TM", EncodeRecords(kInput));
  RunResult r = RunZeko(dir.path(), {"/CONFIG:fibconf", "/TEMP:INPUT"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  bool seen = false;
  for (int i = 0; i < 200 && !seen; ++i) {
    seen = fs::exists(dir / "SPAWNED") && fs::exists(dir / "TWO WORDS");
    if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(seen);
  EXPECT_FALSE(fs::exists(dir / "INPUT.$TM"));
}

TEST(FollowUpCommand, FailureIsShownAndTheRunStillSucceeds) {
  TempDir dir;
  WriteFile(dir / "fibconf", "TYP=DATAX\nSPAWN2=/nonexistent/prog -x\nSPAWN1=touch wrong\n");
  WriteFile(dir / "INPUT.$TM", EncodeRecords(kInput));
  RunResult r = RunZeko(dir.path(), {"/CONFIG:fibconf", "/TEMP:INPUT", "/ND"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "Kann /NONEXISTENT/PROG -X nicht ausführen\n");
  EXPECT_TRUE(fs::exists(dir / "INPUT.$TM"));
}

}  // namespace
}  // namespace zeko::test
