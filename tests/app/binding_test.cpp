// Every TYP keyword either binds its writer or ends the run when the output
// is bound.
#include <gtest/gtest.h>

#include "config/config.h"
#include "app/binding.h"
#include "app/context.h"
#include "support/harness.h"

namespace zeko {
namespace {

TEST(BindOutput, EveryKeyword) {
  const struct {
    const char* keyword;
    bool hasWriter;
  } cases[] = {
      {"MIS", false},    {"FIBU2000", false}, {"HS", true},       {"HS3", true},
      {"EURO", false},   {"REALTIME", false}, {"KHK", false},     {"DATAX", true},
      {"TAYLORIX", false}, {"DVS", false},    {"SPK", true},      {"KHKS", false},
      {"NOVOPLAN", false}, {"PROFIB", false}, {"HSD", false},     {"QVS", false},
      {"CSL", false},    {"UNICOM", false},   {"KHK7", false},    {"KHK8", true},
      {"HP", false},     {"MONA", false},     {"GENERIC", true},  {"PCREWE", true},
      {"PROLINE", false}, {"DAHM", false},    {"LEDAX", true},    {"SLANG", true},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    test::WriteFile(dir / "m.lua",
                    "function OpenOutput() end function StartRecord() end function ProcessField() end "
                    "function EndRecord() end function CloseOutput() end\n");
    test::WriteFile(dir / "fibconf", std::string("typ=") + c.keyword + "\nNAME1=OUT.TXT\nSLMACRO=" +
                                         (dir / "m.lua").string() + "\n");
    RunContext ctx;
    Record first;
    ReadConfig((dir / "fibconf").string(), ctx.settings);
    ctx.dataType = 1;
    if (c.hasWriter) {
      BindOutput(ctx, first);
      EXPECT_NE(ctx.writer, nullptr) << c.keyword;
      EXPECT_EQ(ctx.outputPath, "OUT.TXT");
    } else {
      EXPECT_EXIT(BindOutput(ctx, first), ::testing::ExitedWithCode(1),
                  "^Zuweisung Open fehlt: TYP=" + std::string(c.keyword) +
                      " hat kein Ausgabeformat \\(.*fibconf, Zeile 1, ")
          << c.keyword;
    }
  }
}

}  // namespace
}  // namespace zeko
