// The macro runtime on small Lua scripts: loading, arguments, results and
// the reporting of errors raised inside macro functions.
#include "lib/macro.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/harness.h"

namespace zeko::test {
namespace {

struct Collect : CallMeBack {
  std::vector<std::string> messages;
  void MacroError(const std::string& message) override { messages.push_back(message); }
};

const unsigned char* Src(const char* text) { return reinterpret_cast<const unsigned char*>(text); }

TEST(MacMacro, PassesArgumentsUpToTheHighestSetAsStrings) {
  TempDir dir;
  const std::string log = (dir / "log.txt").string();
  const std::string script = "local log = assert(io.open('" + log + "', 'w'))\n" + R"(
    function F(...)
      local t = table.pack(...)
      log:write(t.n, ":")
      for i = 1, t.n do log:write(" ", type(t[i]), "[", t[i], "]") end
      log:write("\n")
      log:flush()
      return t.n
    end
  )";
  MacMacro m("args.lua", Src(script.c_str()));
  MacFunction f = m.FindFunction("F");
  ASSERT_TRUE(f);
  EXPECT_EQ(m.ExecAt(f), 0);  // nothing set yet: no arguments
  m.SetCmdArg(1, "a");
  m.SetCmdArg(3, "12");
  EXPECT_EQ(m.ExecAt(f), 3);
  // Arguments stay until set again; numbers outside 1..kMaxArgs are ignored.
  m.SetCmdArg(1, "b");
  m.SetCmdArg(0, "x");
  m.SetCmdArg(MacMacro::kMaxArgs + 1, "x");
  EXPECT_EQ(m.ExecAt(f), 3);
  // Numbers as their decimal texts, those made once as those made anew.
  m.SetCmdArg(1, MacArg::Number(0));
  m.SetCmdArg(2, MacArg::Number(999));
  m.SetCmdArg(3, MacArg::Number(1000));
  m.SetCmdArg(4, MacArg::Number(-5));
  EXPECT_EQ(m.ExecAt(f), 4);
  // The arguments a call sets stay for the calls after it.
  const MacArg first[] = {MacArg::Number(999), "t"};
  EXPECT_EQ(m.ExecWith(f, std::span(first).subspan(1)), 4);
  EXPECT_EQ(m.ExecWith(f, first), 4);
  EXPECT_EQ(m.ExecAt(f), 4);
  EXPECT_EQ(ReadFile(log),
            "0:\n"
            "3: string[a] string[] string[12]\n"
            "3: string[b] string[] string[12]\n"
            "4: string[0] string[999] string[1000] string[-5]\n"
            "4: string[t] string[999] string[1000] string[-5]\n"
            "4: string[999] string[t] string[1000] string[-5]\n"
            "4: string[999] string[t] string[1000] string[-5]\n");
}

TEST(MacMacro, ErrorInAFunctionIsReportedWithFileAndLineAndTheMacroGoesOn) {
  Collect errors;
  MacMacro m("e.lua", Src("function F(x)\n"
                          "  if x == 'fail' then error('kaputt') end\n"
                          "  if x == 'assert' then assert(false, 'no file') end\n"
                          "  if x == 'table' then error({}) end\n"
                          "  return 1\n"
                          "end\n"),
             &errors);
  MacFunction f = m.FindFunction("F");
  m.SetCmdArg(1, "fail");
  EXPECT_EQ(m.ExecAt(f), -1);
  m.SetCmdArg(1, "assert");
  EXPECT_EQ(m.ExecAt(f), -1);
  m.SetCmdArg(1, "table");
  EXPECT_EQ(m.ExecAt(f), -1);
  m.SetCmdArg(1, "ok");
  EXPECT_EQ(m.ExecAt(f), 1);
  ASSERT_EQ(errors.messages.size(), 3u);
  EXPECT_EQ(errors.messages[0], "Fehler in Macrofunktion F: e.lua:2: kaputt");
  // Errors raised from C carry no position of their own: the Lua line is added.
  EXPECT_EQ(errors.messages[1], "Fehler in Macrofunktion F: e.lua:3: no file");
  EXPECT_EQ(errors.messages[2], "Fehler in Macrofunktion F: e.lua:4: (error object is a table value)");
}

TEST(MacMacro, StopsReportingAfterTheFirstErrors) {
  Collect errors;
  MacMacro m("e.lua", Src("function F() error('x') end"), &errors);
  for (int i = 0; i < 50; ++i) m.ExecAt(m.FindFunction("F"));
  ASSERT_EQ(errors.messages.size(), std::size_t(MacMacro::kMaxReportedErrors) + 1);
  EXPECT_EQ(errors.messages.back(), "Weitere Fehler im Macro e.lua werden nicht gemeldet");
}

// A script whose main chunk fails does not load.
TEST(MacMacro, LoadFailuresThrow) {
  TempDir dir;
  WriteFile(dir / "main.lua", "local t = nil\nlocal n = #t\n");
  try {
    MacMacro m((dir / "main.lua").string());
    ADD_FAILURE() << "no exception";
  } catch (const MacroLoadError& e) {
    EXPECT_FALSE(e.missing);
    EXPECT_NE(std::string(e.what()).find("main.lua:2: attempt to get length"), std::string::npos)
        << e.what();
  }
  // A directory is no macro, nor is an empty name.
  EXPECT_THROW(MacMacro m(dir.path().string()), QVTError);
  EXPECT_THROW(MacMacro m(""), QVTError);
}

TEST(MacMacro, FindsTheScriptWithoutExtension) {
  TempDir dir;
  WriteFile(dir / "csvout.lua", "function F() return 9 end");
  MacMacro bare((dir / "CSVOUT").string());
  EXPECT_EQ(bare.path(), (dir / "csvout.lua").string());
}

// The example macro writes a record's values as one CSV line; it looks
// for values that need quotes once per record, then quotes each that does.
TEST(MacMacro, ExampleCsvMacroQuotesTheValuesThatNeedIt) {
  TempDir dir;
  const std::string out = (dir / "out.csv").string();
  MacMacro m((fs::path(ZEKO_SOURCE_DIR) / "examples" / "slang" / "csvout.lua").string());
  m.SetCmdArg(1, out);
  m.SetCmdArg(2, "0");
  m.ExecAt(m.FindFunction("OpenOutput"));
  const std::vector<std::vector<std::string>> records = {
      {"1", "plain", ""},
      {"a;b", "say \"hi\"", "x\ry", "p\nq", "M\xfcller"},
      {"only"},
      {"line\nend"},
      {},
      {"\"", ";", "after"},
  };
  for (const auto& values : records) {
    m.ExecAt(m.FindFunction("StartRecord"));
    for (const std::string& value : values) {
      m.SetCmdArg(2, value);
      m.ExecAt(m.FindFunction("ProcessField"));
    }
    m.ExecAt(m.FindFunction("EndRecord"));
  }
  m.ExecAt(m.FindFunction("CloseOutput"));
  EXPECT_EQ(ReadFile(out),
            "1;plain;\r\n"
            "\"a;b\";\"say \"\"hi\"\"\";\"x\ry\";\"p\nq\";M\xfcller\r\n"
            "only\r\n"
            "\"line\nend\"\r\n"
            "\r\n"
            "\"\"\"\";\";\";after\r\n");
}

}  // namespace
}  // namespace zeko::test
