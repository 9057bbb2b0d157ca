// A run that appends to a large collected file touches only its own bytes
// and a few of the old ones: counted through the output layer's file
// operations and in the file's allocated blocks, never timed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <sys/stat.h>

#include "app/context.h"
#include "app/run.h"
#include "output/raw_file.h"
#include "support/harness.h"

namespace zeko::test {
namespace {

constexpr std::int64_t kOldSize = std::int64_t(1) << 30;  // 1 GB, nearly all of it a hole
constexpr const char kOldTail[] = "last earlier record\r\n";

struct AppendCase {
  const char* name;
  const char* config;  // PATH and the output's name follow
  const char* output;
  const char* output2;  // LEDAX's second file, or empty
};

const AppendCase kAppendCases[] = {
    {"datax", "TYP=DATAX\n", "DATAX.DAT", ""},
    {"generic",
     "TYP=GENERIC\nAPPEND=1\nGENERICFIELDSEP=59\nGENERICRECSEP=13,10\nFIELDSA=\n8,8,100,\n10,8,110,"
     "\nEND\n",
     "GENERIC.TXT", ""},
    {"pcrewe", "TYP=PCREWE\nAPPEND=1\n", "REWE.TXT", ""},
    {"ledax", "TYP=LEDAX\nAPPEND=1\n", "LEDAX1.TXT", "LEDAX2.TXT"},
};

class AppendCost : public ::testing::TestWithParam<AppendCase> {};

// A sparse file of kOldSize bytes whose last bytes are a record.
void MakeLargeFile(const fs::path& path) {
  WriteFile(path, "");
  ASSERT_EQ(::truncate(path.c_str(), kOldSize - std::int64_t(sizeof kOldTail - 1)), 0);
  FILE* f = std::fopen(path.c_str(), "ab");
  ASSERT_NE(f, nullptr);
  std::fputs(kOldTail, f);
  std::fclose(f);
}

std::int64_t AllocatedBytes(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? std::int64_t(st.st_blocks) * 512 : -1;
}

TEST_P(AppendCost, TenRecordsTouchAFewKilobytesOfTheOldContent) {
  const AppendCase& c = GetParam();
  TempDir work;
  const std::string dir = work.path().string() + "/";
  std::string names =
      std::string("NAME1=") + c.output + (*c.output2 ? std::string(",") + c.output2 : "");
  WriteFile(work / "fibconf", std::string(c.config) + "PATH=" + dir + "\n" + names + "\n");
  WriteFile(work / "INPUT.$TM", Bookings(10));
  std::vector<fs::path> outputs = {work / c.output};
  if (*c.output2) outputs.push_back(work / c.output2);
  std::vector<std::int64_t> allocated;
  for (const fs::path& out : outputs) {
    MakeLargeFile(out);
    allocated.push_back(AllocatedBytes(out));
  }

  const char* savedTmp = std::getenv("TMPDIR");
  const std::string saved = savedTmp ? savedTmp : "";
  ::setenv("TMPDIR", dir.c_str(), 1);  // where the run finds its input
  const FileTraffic before = OutputTraffic();
  auto ctx = std::make_unique<RunContext>();
  const int code = RunConversion(*ctx, {"zeko", "/CONFIG:" + dir + "fibconf", "/TEMP:INPUT"});
  const FileTraffic after = OutputTraffic();
  if (savedTmp)
    ::setenv("TMPDIR", saved.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
  ASSERT_EQ(code, 0);

  // Read and written through the output layer: the journal and nothing of
  // the old content (a copy would move the whole gigabyte).
  EXPECT_LE(after.bytesRead - before.bytesRead, 4096u);
  EXPECT_LE(after.bytesWritten - before.bytesWritten, 4096u);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const std::string tail = [&] {
      FILE* f = std::fopen(outputs[i].c_str(), "rb");
      std::fseek(f, -4096, SEEK_END);
      std::string bytes(4096, '\0');
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
      std::fclose(f);
      return bytes;
    }();
    // The old content stays in front, the hole included: the file's blocks
    // grew by its new records only.
    EXPECT_GT(fs::file_size(outputs[i]), std::uintmax_t(kOldSize)) << outputs[i];
    EXPECT_NE(tail.find(kOldTail), std::string::npos) << outputs[i];
    EXPECT_LE(AllocatedBytes(outputs[i]) - allocated[i], 64 * 1024) << outputs[i];
  }
  EXPECT_FALSE(fs::exists(work / "INPUT.$TM"));
  for (const auto& e : fs::directory_iterator(work.path())) {
    const std::string name = e.path().filename().string();
    EXPECT_TRUE(name == "fibconf" || name == "ZEKO.LOG" || name == c.output || name == c.output2)
        << name << " left";
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, AppendCost, ::testing::ValuesIn(kAppendCases),
                         [](const ::testing::TestParamInfo<AppendCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace zeko::test
