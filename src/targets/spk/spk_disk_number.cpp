#include "targets/spk/spk_disk_number.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"

namespace zeko {
namespace {

// SPK.NUM holds one decimal number: blanks and line ends around it, and
// the DOS end-of-file mark behind it, are allowed, nothing else. The number
// is raised and printed as the host printed an int, so it stays below the
// int range. Returns why the file holds no diskette number, or nullptr.
constexpr long long kMaxDiskNumber = 2147483646;
const char* ReadNumber(std::FILE* file, long long& number) {
  number = 0;
  auto blank = [](int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  int c = std::fgetc(file);
  while (blank(c)) c = std::fgetc(file);
  bool any = false;
  bool tooBig = false;
  for (; c >= '0' && c <= '9'; c = std::fgetc(file)) {
    any = true;
    number = number * 10 + (c - '0');
    if (number > kMaxDiskNumber) {
      tooBig = true;
      number = kMaxDiskNumber;
    }
  }
  while (blank(c)) c = std::fgetc(file);
  if (std::ferror(file)) return nullptr;  // the caller names the system's reason
  if (!any || (c != EOF && c != 0x1A)) return "enthält keine Zahl";
  if (tooBig) return "Zahl zu groß";
  return nullptr;
}

}  // namespace

std::string SideFileWhere(const std::string& path, const std::string& reason) {
  return path + " (" + reason + ")";
}

long long DiskNumber::Next(const std::string& configDir, Sinks& out) {
  if (looked_) return number_;
  looked_ = true;
  number_ = 1;
  const std::string shown = configDir + "SPK.NUM";
  const std::string path = ResolvePath(shown);
  auto noNumber = [&shown](const std::string& reason) {
    Problem(WithWhere(msg::kNoDiskNumber, SideFileWhere(shown, reason)));
  };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    noNumber(SystemReason(EISDIR));
    return number_;
  }
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe == nullptr) {
    noNumber(SystemReason(errno));
    return number_;
  }
  std::fclose(probe);
  // A missing number is told before a file that cannot take the new one,
  // and that before anything is printed. A check writes nothing.
  if (!Checking()) {
    std::FILE* update = std::fopen(path.c_str(), "r+b");
    if (update == nullptr)
      ErrorExitText(WithWhere(msg::kDiskNumberNotWritten, PathWhere(shown, errno)));
    std::fclose(update);
  }
  // Replaced whole: a failed write keeps the old number rather than
  // leaving an empty file that no later run could count on. The work file
  // beside it is what can still fail.
  const std::string notWritten =
      WithWhere(msg::kDiskNumberNotWritten,
                SideFileWhere(shown, "keine Arbeitsdatei im Verzeichnis möglich"));
  out_ = &out.Open({{shown, OutputMode::kTruncate, notWritten,
                     std::string(msg::kDiskNumberNotWritten) + ": ", {}},
                    Framing::kText});
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    noNumber(SystemReason(errno));
    return number_;
  }
  long long number = 0;
  const char* problem = ReadNumber(file, number);
  const int err = errno;
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    noNumber(SystemReason(err));
  } else if (problem != nullptr) {
    noNumber(problem);
  } else {
    number_ = number + 1;
  }
  return number_;
}

void DiskNumber::WriteBack() {
  out_->PutRaw(std::to_string(number_) + "\n");
}

}  // namespace zeko
