// Test support: temporary work directories, the readable record form, and
// running the built executable as the host system starts it.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace zeko::test {

namespace fs = std::filesystem;

// A fresh directory below the system's temporary directory, removed again
// when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

std::string ReadFile(const fs::path& path);
void WriteFile(const fs::path& path, const std::string& bytes);

// One field group of the record format.
std::string Field(int number, const std::string& value, int format = 0);

// Turns the readable form into record lines ending in CR LF:
//   "NNN value" / "NNN/F value" one field, "--" ends a record, "raw:TEXT" a
//   verbatim record line, "#" a comment.
std::string EncodeRecords(const std::string& readable);

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the zeko executable with the given words in `dir` (also its TMPDIR).
RunResult RunZeko(const fs::path& dir, const std::vector<std::string>& args,
                  double timeoutSeconds = 60);

// Today's date in the forms the converter writes it.
std::string TodayLong();   // dd.mm.yyyy
std::string TodayShort();  // ddmmyy
std::string TodayIso();    // yyyy-mm-dd
std::string TodayCompact();  // yyyymmdd

}  // namespace zeko::test
