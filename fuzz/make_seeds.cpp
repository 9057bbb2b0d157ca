// Writes the seed corpora of the fuzz targets from the golden cases:
//   make_seeds <golden dir> <corpus dir>
// Every case's input, turned into record lines by the same rules as the
// golden runner's (tests/support/harness.cpp), seeds the record reader
// (behind its mode byte) and every writer; every case's configuration
// seeds the configuration reader and the GENERIC layout target; a few
// rows and values from the conversion tables seed the conversion target.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "support/harness.h"

namespace fs = std::filesystem;
using zeko::test::EncodeRecords;
using zeko::test::ReadFile;
using zeko::test::WriteFile;

namespace {

const char* const kWriters[] = {"datax", "hs", "hs3", "khk8", "pcrewe",
                                "ledax", "generic", "spk", "presort"};

// A conversion seed: type code, width, date layout, a double, then value,
// addend and field 196 separated by byte 0x01.
std::string ConvertSeed(int type, int width, int layout, double x, const std::string& value,
                        const std::string& a, const std::string& f196) {
  std::string s;
  s += static_cast<char>(type);
  s += static_cast<char>(width & 0xFF);
  s += static_cast<char>(width >> 8);
  s += static_cast<char>(layout);
  char bytes[sizeof x];
  std::memcpy(bytes, &x, sizeof x);
  s.append(bytes, sizeof x);
  return s + value + '\x01' + a + '\x01' + f196;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_seeds <golden dir> <corpus dir>\n";
    return 2;
  }
  const fs::path golden = argv[1];
  const fs::path corpus = argv[2];
  for (const char* name : {"record", "config", "convert", "generic_layout"})
    fs::create_directories(corpus / name);
  for (const char* writer : kWriters) fs::create_directories(corpus / ("writer_" + std::string(writer)));

  int cases = 0;
  for (const auto& target : fs::directory_iterator(golden)) {
    if (!target.is_directory()) continue;
    for (const auto& c : fs::directory_iterator(target.path())) {
      if (!c.is_directory()) continue;
      const std::string id = target.path().filename().string() + "_" + c.path().filename().string();
      if (fs::exists(c.path() / "fibconf")) {
        const std::string config = ReadFile(c.path() / "fibconf");
        WriteFile(corpus / "config" / id, config);
        WriteFile(corpus / "generic_layout" / id, config);
      }
      if (!fs::exists(c.path() / "input")) continue;
      const std::string records = EncodeRecords(ReadFile(c.path() / "input"));
      for (char mode : {'\0', '\x01', '\x02', '\x10'})
        WriteFile(corpus / "record" / (id + "_" + std::to_string(int(mode))), mode + records);
      for (const char* writer : kWriters)
        WriteFile(corpus / ("writer_" + std::string(writer)) / id, records);
      ++cases;
    }
  }

  int n = 0;
  auto convert = [&](int type, int width, int layout, double x, const std::string& value,
                     const std::string& a = "", const std::string& f196 = "") {
    WriteFile(corpus / "convert" / ("row" + std::to_string(n++)),
              ConvertSeed(type, width, layout, x, value, a, f196));
  };
  for (int type : {0, 1, 2, 12, 15, 19, 21, 22, 25, 26, 27}) {
    convert(type, 12, 10, 1190.25, "1190.25");
    convert(type, 3, 13, -0.005, "-12.345", "100");
  }
  convert(5, 4, 11, 7.0, "70000", "7");
  for (int type : {9, 10, 16}) convert(type, 20, 12, 0.5, " Text, mit Komma ", "K-");
  for (int type : {11, 13, 14, 17, 18, 20, 23, 24}) {
    convert(type, 8, type, 2.5, "04.12.2026");
    convert(type, 6, 16, 2.5, "4 12 26 ");
  }
  convert(30, 14, 25, 1e300, "-12.5", "", "100");
  convert(30, 14, 18, 1e-300, "12", "", "1");
  std::cout << cases << " cases, " << n << " conversion seeds\n";
  return 0;
}
