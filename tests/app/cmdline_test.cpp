#include <gtest/gtest.h>

#include "app/binding.h"
#include "app/context.h"
#include "app/run.h"

namespace zeko {
namespace {

TEST(ParseCommandLine, Rules) {
  struct Case {
    std::vector<std::string> words;
    std::string config, dir, temp;
    bool deleteInput;
  } cases[] = {
      {{"/config:c:\\qvt\\fibconf", "/temp:abc"}, "C:\\QVT\\FIBCONF", "C:\\QVT\\", "ABC", true},
      {{"/CONFIG:/home/a/fibconf", "/TEMP:X", "/NDX"}, "/HOME/A/FIBCONF", "/HOME/A/", "X", false},
      {{"/CONFIG:FIB", "/TEMP:X"}, "FIB", "FIB", "X", true},  // no separator: the whole path
      {{"/CONFIG:A"}, "", "", "", true},                        // one word sets nothing
      {{"/CONFIG:A", "WORD", "/TEMP:X"}, "A", "A", "", true},   // a plain word ends the scan
      {{"/NOGUI", "/TEMP:Y", "/nd"}, "", "", "Y", false},
      {{"/TEMP:A", "/TEMP:B"}, "", "", "B", true},
  };
  for (const Case& c : cases) {
    RunContext ctx;
    ctx.deleteInput = false;
    ParseCommandLine(ctx, c.words);
    EXPECT_EQ(ctx.configPath, c.config);
    EXPECT_EQ(ctx.configDir, c.dir);
    EXPECT_EQ(ctx.tempName, c.temp);
    EXPECT_EQ(ctx.deleteInput, c.deleteInput) << c.words[0];
  }
}

TEST(ParseCommandLine, UnknownOptionEndsTheRunNamingIt) {
  struct Case {
    std::vector<std::string> words;
    std::string shown;  // as typed, not upper-cased
  } cases[] = {
      {{"/CONFG:my.cfg", "/TEMP:X"}, "/CONFG:my.cfg"},
      {{"/CONFIG:A", "--verbose"}, "--verbose"},
      {{"-x"}, "-x"},  // also where one word sets nothing
  };
  for (const Case& c : cases) {
    RunContext ctx;
    EXPECT_EXIT(ParseCommandLine(ctx, c.words), ::testing::ExitedWithCode(1),
                "Unbekannte Option: " + c.shown);
  }
}

TEST(BuildOutputPaths, PlaceholdersAndSecondName) {
  struct Case {
    std::string path, name, field105, want, want2;
    int dataType = 1;
  } cases[] = {
      {"C:\\OUT", "UMS_MM_JJ.TXT", "04.12.2026", "C:\\OUT/UMS_12_26.TXT", ""},
      {"OUT/", "A.TXT,B.TXT", "", "OUT/A.TXT", "OUT/B.TXT"},
      {"", "A.TXT", "", "A.TXT", ""},
      {"", "UMS_MM.TXT", "04.1", "UMS_1", ""},
      {"", "UMS_MM.TXT", "04.", "UMS_", ""},
      {"", "X_JJ.TXT", "04.12.202", "X_2", ""},
      {"", "A,AVERYLONGSECONDNAMEKEPTWHOLE.TXT", "", "A", "AVERYLONGSECONDNAMEKEPTWHOLE.TXT"},
      {"OUTDIR", "A.TXT", "", "OUTDIR/", "", 7},  // a data type without a name
  };
  for (const Case& c : cases) {
    RunContext ctx;
    ctx.dataType = c.dataType;
    ctx.settings.path = c.path;
    ctx.settings.names[1] = c.name;
    BuildOutputPaths(ctx, c.field105);
    EXPECT_EQ(ctx.outputPath, c.want) << c.name;
    EXPECT_EQ(ctx.outputPath2, c.want2) << c.name;
  }
}

}  // namespace
}  // namespace zeko
