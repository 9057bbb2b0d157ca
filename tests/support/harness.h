// Test support: temporary work directories, the readable record form, and
// running the built executable as the host system starts it.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
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
  int exitCode = -1;  // or 128 + the signal that ended the run
  std::string out;
  std::string err;
};

// How a run is started beyond the usual: "$TMPDIR" (not for a launcher's
// program) and the current directory are the run's directory, stdin is
// empty, stdout and stderr are captured.
struct RunOptions {
  std::map<std::string, std::string> env;  // set for the run
  long fileLimit = 0;                      // a file may grow to this many bytes (0: no limit) ...
  bool limitKills = true;                  // ... beyond, SIGXFSZ kills the run, or the write fails
  std::string tag;                         // tells apart the captures of runs at the same time
  std::vector<std::string> program;        // launcher words and executable; none: the built zeko
};

struct Started {
  pid_t pid = -1;
  fs::path outFile, errFile;
};

Started StartZeko(const fs::path& dir, const std::vector<std::string>& args,
                  const RunOptions& options = {});
// Waits for a started run; kills it after killAfterUs microseconds when given,
// and after the timeout (then err is "timeout").
RunResult WaitZeko(const Started& started, long killAfterUs = -1, double timeoutSeconds = 60);

// Runs the zeko executable with the given words in `dir` (also its TMPDIR).
RunResult RunZeko(const fs::path& dir, const std::vector<std::string>& args,
                  const RunOptions& options = {});

// Record lines of `count` DATAX bookings (data type 1) whose document number,
// field 100, is n for the n-th record.
std::string Bookings(int count);

bool EndsWith(const std::string& text, const std::string& end);
std::vector<std::string> Words(const std::string& text);
std::string Replace(std::string text, const std::string& from, const std::string& to);
// {TODAY}, {TODAY6}, {ISODATE} and {DATE8} replaced by today's date.
std::string FillToday(std::string text);

// Today's date in the forms the converter writes it.
std::string TodayLong();   // dd.mm.yyyy
std::string TodayShort();  // ddmmyy
std::string TodayIso();    // yyyy-mm-dd
std::string TodayCompact();  // yyyymmdd

}  // namespace zeko::test
