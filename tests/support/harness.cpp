#include "support/harness.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zeko::test {

TempDir::TempDir() {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() / ("zeko-test-" + std::to_string(rd()));
    std::error_code ec;
    if (fs::create_directory(path_, ec)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::string Field(int number, const std::string& value, int format) {
  char head[16];
  std::snprintf(head, sizeof head, "%03d%03zu%03d", number, value.size(), format);
  return head + value;
}

std::string EncodeRecords(const std::string& readable) {
  std::string out, record;
  bool open = false;
  auto end = [&]() {
    if (open) out += record + "\r\n";
    record.clear();
    open = false;
  };
  std::istringstream in(readable);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("#", 0) == 0) continue;
    if (line == "--") {
      end();
      continue;
    }
    if (line.rfind("raw:", 0) == 0) {
      end();
      out += line.substr(4) + "\r\n";
      continue;
    }
    if (line.size() < 3) continue;
    int number = std::atoi(line.substr(0, 3).c_str());
    int format = 0;
    std::size_t pos = 3;
    if (pos < line.size() && line[pos] == '/') {
      std::size_t sp = line.find(' ', pos);
      format = std::atoi(line.substr(pos + 1, sp - pos - 1).c_str());
      pos = sp == std::string::npos ? line.size() : sp;
    }
    std::string value = pos < line.size() ? line.substr(pos + 1) : "";
    record += Field(number, value, format);
    open = true;
  }
  end();
  return out;
}

RunResult RunZeko(const fs::path& dir, const std::vector<std::string>& args, double timeoutSeconds) {
  RunResult r;
  fs::path outFile = dir / ".zeko-stdout", errFile = dir / ".zeko-stderr";
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    setenv("TMPDIR", dir.c_str(), 1);
    int o = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int n = open("/dev/null", O_RDONLY);
    dup2(n, 0);
    dup2(o, 1);
    dup2(e, 2);
    std::vector<char*> argv;
    std::string exe = ZEKO_EXE;
    argv.push_back(exe.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  auto deadline = std::time(nullptr) + static_cast<std::time_t>(timeoutSeconds);
  for (;;) {
    pid_t w = waitpid(pid, &status, WNOHANG);
    if (w == pid) break;
    if (std::time(nullptr) > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      r.err = "timeout";
      return r;
    }
    usleep(2000);
  }
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = ReadFile(outFile);
  r.err = ReadFile(errFile);
  fs::remove(outFile);
  fs::remove(errFile);
  return r;
}

static std::string Today(const char* format) {
  std::time_t t = std::time(nullptr);
  std::tm tm {};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

std::string TodayLong() { return Today("%d.%m.%Y"); }
std::string TodayShort() { return Today("%d%m%y"); }
std::string TodayIso() { return Today("%Y-%m-%d"); }
std::string TodayCompact() { return Today("%Y%m%d"); }

}  // namespace zeko::test
