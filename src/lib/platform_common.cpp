// The parts of the platform layer that POSIX and Windows share.
#include <ctime>

#include "lib/platform.h"

namespace zeko {

std::int64_t GetSysTime() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::string StringTime(std::int64_t time, const char* format) {
  std::time_t t = static_cast<std::time_t>(time);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char buf[128];
  std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

int SplitCommandLine(const std::string& commandLine, std::vector<std::string>& words,
                     int maxWords) {
  words.assign(static_cast<std::size_t>(maxWords), std::string());
  int count = 0;
  std::size_t i = 0;
  while (count < maxWords) {
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    if (i >= commandLine.size()) break;
    std::string& word = words[static_cast<std::size_t>(count++)];
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
      const char c = commandLine[i];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && (c == ' ' || c == '\t')) {
        break;
      } else {
        word += c;
      }
    }
  }
  return count;
}

}  // namespace zeko
