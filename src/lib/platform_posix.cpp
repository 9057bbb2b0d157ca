// POSIX side of the platform layer.
#include <dirent.h>
#include <pwd.h>
#include <spawn.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "lib/platform.h"

extern char** environ;

namespace zeko {

std::string QVTTempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = (dir && *dir) ? dir : "/tmp";
  if (!IsPathSep(path.back())) path += kPathSep;
  return path;
}

std::string UserName() {
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_name != nullptr)
    return pw->pw_name;
  const char* name = std::getenv("USER");
  return name != nullptr ? name : "";
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return std::string();
  return name;
}

std::string ExecutableDir() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return std::string();
  std::string path(buf, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1);
}

namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// The entry of dir whose name matches name case-insensitively, if any.
bool FindCaseless(const std::string& dir, const std::string& name, std::string& found) {
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  bool ok = false;
  while (dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      ok = true;
      break;
    }
  }
  closedir(d);
  return ok;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
  std::string result;
  std::size_t i = 0;
  if (!path.empty() && IsPathSep(path[0])) {
    result.assign(1, '/');
    while (i < path.size() && IsPathSep(path[i])) ++i;
  }
  bool searching = true;  // once a component is missing, nothing below it exists
  while (i < path.size()) {
    std::size_t j = i;
    while (j < path.size() && !IsPathSep(path[j])) ++j;
    std::string comp = path.substr(i, j - i);
    std::string dir = result;
    std::string candidate = result + comp;
    if (searching && comp != "." && comp != ".." && !Exists(candidate)) {
      std::string found;
      if (FindCaseless(dir, comp, found)) {
        candidate = result + found;
      } else {
        searching = false;
      }
    }
    result = candidate;
    while (j < path.size() && IsPathSep(path[j])) ++j;
    if (j > i + comp.size() || (j == path.size() && j > 0 && IsPathSep(path[j - 1]))) result += '/';
    i = j;
  }
  return result;
}

std::vector<std::string> SplitShellWords(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  std::size_t i = 0;
  const std::size_t n = command.size();
  while (i < n) {
    char c = command[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      ++i;
    } else if (c == '\'') {
      inWord = true;
      ++i;
      while (i < n && command[i] != '\'') word += command[i++];
      ++i;
    } else if (c == '"') {
      inWord = true;
      ++i;
      while (i < n && command[i] != '"') {
        if (command[i] == '\\' && i + 1 < n && std::strchr("\"\\$`", command[i + 1]) != nullptr)
          ++i;
        word += command[i++];
      }
      ++i;
    } else if (c == '\\' && i + 1 < n) {
      inWord = true;
      word += command[i + 1];
      i += 2;
    } else {
      inWord = true;
      word += c;
      ++i;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

namespace {

// A bare program name is looked up along PATH like every other path: the
// configuration arrives upper-cased, so "NOTIFY" finds /usr/bin/notify.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    std::size_t end = dirs.find(':', start);
    std::string dir =
        dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (dir.empty()) dir.assign(1, '.');
    std::string candidate = ResolvePath(dir + "/" + name);
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    if (end == std::string::npos) return std::string();
    start = end + 1;
  }
}

}  // namespace

bool ExecCmd(const char* commandLine) {
  std::vector<std::string> words = SplitShellWords(commandLine ? commandLine : "");
  if (words.empty()) return false;
  std::string program = words[0].find_first_of("/\\") != std::string::npos ? ResolvePath(words[0])
                                                                           : FindProgram(words[0]);
  if (program.empty()) {
    errno = ENOENT;
    return false;
  }
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (rc != 0) errno = rc;
  return rc == 0;
}

std::string LastSystemErrorText() {
  int e = errno;
  if (e == 0) return std::string();
  return std::strerror(e);
}

}  // namespace zeko
