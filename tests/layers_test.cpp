// The folders of src/ are layers that point one way (docs/architecture.md):
// a file includes only its own folder and the folders below it, and a
// target's folder includes no other target but the shared rules in common/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

namespace {

namespace fs = std::filesystem;

// Higher may include lower; output and convert stand side by side. The
// SEPA formats rest on lib alone and serve the payment targets (and the
// application above them) only.
const std::map<std::string, int> kLayer = {
    {"lib", 0},    {"record", 1},  {"sepa", 1},  {"convert", 2}, {"output", 2},
    {"config", 3}, {"targets", 4}, {"app", 5},
};

TEST(Layers, IncludesPointDownOnly) {
  const fs::path src = fs::path(ZEKO_SOURCE_DIR) / "src";
  const std::regex include(R"(#include "([a-z0-9_]+)/([^"]+)\")");
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const fs::path relative = fs::relative(entry.path(), src);
    const std::string folder = relative.begin()->string();
    if (!kLayer.count(folder)) continue;
    ++files;
    std::ifstream in(entry.path());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::sregex_iterator m(text.begin(), text.end(), include), end; m != end; ++m) {
      const std::string to = (*m)[1];
      const std::string rest = (*m)[2];
      const std::string where = relative.generic_string() + " includes " + to + "/" + rest;
      ASSERT_TRUE(kLayer.count(to)) << where;
      if (to != folder) {
        EXPECT_LT(kLayer.at(to), kLayer.at(folder)) << where;
        if (to == "sepa") {
          EXPECT_TRUE(folder == "targets" || folder == "app") << where;
        }
      } else if (folder == "targets") {
        const fs::path inside = relative.parent_path();
        const std::string own = std::next(inside.begin()) == inside.end()
                                    ? std::string()
                                    : std::next(inside.begin())->string();
        const std::size_t slash = rest.find('/');
        if (slash == std::string::npos) continue;  // writer.h, registry.h
        const std::string target = rest.substr(0, slash);
        EXPECT_TRUE(target == own || target == "common" || own.empty()) << where;
      }
    }
  }
  EXPECT_GT(files, 50);
}

}  // namespace
