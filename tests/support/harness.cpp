#include "support/harness.h"

#include "sepa/target_calendar.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>

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

Started StartZeko(const fs::path& dir, const std::vector<std::string>& args,
                  const RunOptions& options) {
  Started started;
  started.outFile = dir / (".zeko-stdout" + options.tag);
  started.errFile = dir / (".zeko-stderr" + options.tag);
  started.pid = fork();
  if (started.pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    // A launcher's program has a temporary directory of its own (Wine keeps
    // its server in TMPDIR, which must stay the same for every start).
    if (options.program.empty()) setenv("TMPDIR", dir.c_str(), 1);
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    if (options.fileLimit > 0) {
      std::signal(SIGXFSZ, options.limitKills ? SIG_DFL : SIG_IGN);
      struct rlimit rl = {rlim_t(options.fileLimit), rlim_t(options.fileLimit)};
      setrlimit(RLIMIT_FSIZE, &rl);
    }
    int o = open(started.outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int e = open(started.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int n = open("/dev/null", O_RDONLY);
    dup2(n, 0);
    dup2(o, 1);
    dup2(e, 2);
    std::vector<std::string> words = options.program;
    if (words.empty()) words = {ZEKO_EXE};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return started;
}

RunResult WaitZeko(const Started& started, long killAfterUs, double timeoutSeconds) {
  RunResult r;
  int status = 0;
  const auto begin = std::chrono::steady_clock::now();
  for (;;) {
    if (waitpid(started.pid, &status, WNOHANG) == started.pid) break;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::steady_clock::now() - begin)
                             .count();
    const bool timeout = elapsed > static_cast<long>(timeoutSeconds * 1e6);
    if ((killAfterUs >= 0 && elapsed >= killAfterUs) || timeout) {
      kill(started.pid, SIGKILL);
      waitpid(started.pid, &status, 0);
      if (timeout) r.err = "timeout";
      break;
    }
    usleep(killAfterUs >= 0 ? 200 : 1000);
  }
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = ReadFile(started.outFile);
  if (r.err.empty()) r.err = ReadFile(started.errFile);
  fs::remove(started.outFile);
  fs::remove(started.errFile);
  return r;
}

RunResult RunZeko(const fs::path& dir, const std::vector<std::string>& args,
                  const RunOptions& options) {
  return WaitZeko(StartZeko(dir, args, options));
}

std::string Bookings(int count) {
  std::string records;
  records.reserve(std::size_t(count) * 100);
  for (int i = 1; i <= count; ++i) {
    // The document number is a plain number: some targets print it in a
    // number field.
    records += Field(10, "1") + Field(15, "0") + Field(100, std::to_string(i)) +
               Field(105, "04.12.2026") +
               Field(110, "10000") + Field(115, "1190.00") + Field(120, "8400") + "\r\n";
  }
  return records;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
    s.replace(at, from.size(), to);
  return s;
}

std::string FillToday(std::string text) {
  text = Replace(Replace(text, "{TODAY}", TodayLong()), "{TODAY6}", TodayShort());
  // A SEPA payment due "today" falls due on the next business day when
  // today is a closing day of the euro payment system.
  if (text.find("{DUEDATE}") != std::string::npos) {
    const auto today = ParseGermanDate(TodayLong());
    text = Replace(text, "{DUEDATE}", today ? IsoDate(AddBusinessDays(*today, 0)) : "?");
  }
  return Replace(Replace(text, "{ISODATE}", TodayIso()), "{DATE8}", TodayCompact());
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
