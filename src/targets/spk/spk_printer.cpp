#include "targets/spk/spk_printer.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>

#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"

extern char** environ;

namespace zeko {

std::string FindProgram(const std::string& program, const char* searchPath) {
  if (searchPath == nullptr) return {};
  std::string dirs = searchPath;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    // An empty PATH entry means the current directory.
    std::string candidate(end > start ? std::string_view(dirs).substr(start, end - start)
                                      : std::string_view("."));
    candidate += '/';
    candidate += program;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

CoverNotePrinter::~CoverNotePrinter() {
  // Only reached with a note still pending when the run ended otherwise.
  stream_.reset();
  if (!spoolFile_.empty()) ::unlink(spoolFile_.c_str());
}

bool CoverNotePrinter::Open(const std::string&, const char* searchPath) {
  spooler_ = FindProgram("lp", searchPath);
  if (spooler_.empty()) failure_ = "kein Druckdienst (lp) gefunden";
  return !spooler_.empty();
}

OutputStream* CoverNotePrinter::Stream() {
  if (!stream_ && spoolFile_.empty()) {
    std::string pattern = QVTTempPath() + "zekospkXXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
      failure_ = SystemReason(errno);
      return nullptr;
    }
    spoolFile_ = pattern;
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
      failure_ = SystemReason(errno);
      ::close(fd);
      return nullptr;
    }
    stream_ = std::make_unique<OutputStream>(file);
  }
  return stream_.get();
}

bool CoverNotePrinter::Close() {
  if (stream_) stream_->Close();
  stream_.reset();
  if (spoolFile_.empty()) return true;
  // lp reports its request id on stdout, which is no part of this run's
  // output; its complaints on stderr are left to the user.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  std::string arg0 = "lp";
  char* argv[] = {arg0.data(), spoolFile_.data(), nullptr};
  pid_t pid = 0;
  int status = 0;
  bool printed = posix_spawn(&pid, spooler_.c_str(), &actions, nullptr, argv, environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (printed) {
    pid_t done;
    do {
      done = ::waitpid(pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    printed = done == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  ::unlink(spoolFile_.c_str());
  spoolFile_.clear();
  if (!printed) failure_ = "Druckdienst hat den Auftrag abgelehnt";
  return printed;
}

}  // namespace zeko
