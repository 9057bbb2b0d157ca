#include "fuzz_common.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "lib/error.h"

namespace zeko::fuzz {
namespace fs = std::filesystem;

namespace {

void ThrowFatal() {
  // The run's outermost guard catches any exception and reports once more
  // through the fatal reporter, so the hook stays armed for that report.
  SetFatalHook(&ThrowFatal);
  throw FatalExit{};
}

fs::path MakeWorkDir() {
  std::error_code ec;
  std::string base = "/dev/shm";
  if (!fs::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0) {
    const char* tmp = std::getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
  }
  std::string pattern = base + "/zekofuzz.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::abort();
  }
  fs::path dir = pattern;
  fs::current_path(dir);
  ::setenv("TMPDIR", dir.c_str(), 1);
  return dir;
}

// Made on first use and never destroyed, so that the clean-up at exit can
// still name it.
const fs::path* g_workDir = nullptr;

}  // namespace

const fs::path& WorkDir() {
  if (g_workDir == nullptr) {
    g_workDir = new fs::path(MakeWorkDir());
    std::atexit([] {
      std::error_code ignored;
      fs::current_path("/", ignored);
      fs::remove_all(*g_workDir, ignored);
    });
  }
  return *g_workDir;
}

void ArmFatal() { SetFatalHook(&ThrowFatal); }

void ClearWorkDir() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(WorkDir(), ec)) fs::remove_all(entry.path(), ec);
}

void WriteFile(const std::string& name, std::string_view bytes) {
  std::ofstream out(WorkDir() / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", name.c_str());
    std::abort();
  }
}

std::string ReadFile(const std::string& name, bool* exists) {
  std::ifstream in(WorkDir() / name, std::ios::binary);
  if (exists) *exists = static_cast<bool>(in);
  std::ostringstream s;
  if (in) s << in.rdbuf();
  return s.str();
}

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace zeko::fuzz

// The fuzzer's own paths (corpus directories, inputs to run, artifact
// prefix, dictionary) are made absolute before the target moves into its
// working directory, so that relative paths on the command line keep
// working.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  namespace fs = std::filesystem;
  static std::vector<std::string> words;
  static std::vector<char*> pointers;
  const char* const kPathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                    "-features_dir=", "-merge_control_file=", "-data_flow_trace="};
  for (int i = 0; i < *argc; ++i) {
    std::string word = (*argv)[i];
    if (i > 0 && !word.empty() && word[0] != '-') {
      word = fs::absolute(word).string();
    } else {
      for (const char* flag : kPathFlags) {
        const std::size_t n = std::strlen(flag);
        if (word.compare(0, n, flag) == 0 && word.size() > n && word[n] != '/') {
          // A prefix need not name anything yet: keep its trailing part.
          word = flag + (fs::current_path() / word.substr(n)).string();
        }
      }
    }
    words.push_back(word);
  }
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  *argv = pointers.data();
  zeko::fuzz::WorkDir();
  return 0;
}
