// The run protocol: one line per run, appended to a file that grows over the
// years, so that every booking that went through the interface can be
// traced to the run that made it (and every run that failed or was cancelled
// stays on record too).
//
// A line is one JSON object ("JSON Lines"), its members in a fixed order so
// that the same facts always give the same bytes. Each line carries the
// SHA-256 of the line before it ("prev") and its own ("hash", over the line
// without the hash member), so that a changed, removed or reordered entry
// breaks the chain. The members hold facts about the run only, never
// booking data: there is no field for a name, a text or an account.
//
// Pure functions: no file is read or written here.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeko {

struct ProtocolOutput {
  std::string path;
  std::int64_t records = 0;
  std::int64_t sizeBefore = 0;
  std::int64_t sizeAfter = 0;
  std::string addedSha256;  // of the bytes the run added
};

// Records and amount of one data type.
struct ProtocolTotal {
  int dataType = 0;
  std::int64_t records = 0;
  std::int64_t cents = 0;
};

// The payment file's own sums (SPK only).
struct ProtocolPayments {
  std::int64_t count = 0;
  std::int64_t cents = 0;
};

enum class RunOutcome { kOk, kFailed, kCancelled, kBooked, kCheck };

struct ProtocolEntry {
  std::string start;  // "2026-12-07T23:01:02+01:00"
  std::string end;
  std::string user;
  std::string host;
  std::string version;
  std::string configPath;
  std::string configSha256;
  std::string target;  // the TYP keyword
  int dataType = 0;
  std::string inputName;  // the path as given
  std::int64_t inputSize = 0;
  std::string inputSha256;
  std::int64_t records = 0;
  std::vector<ProtocolOutput> outputs;
  std::vector<ProtocolTotal> totals;
  std::optional<ProtocolPayments> payments;
  RunOutcome result = RunOutcome::kOk;
  int exitCode = 0;
  std::string message;  // the fatal message; empty when none
};

// What a run before the first one chains to.
inline constexpr char kNoHash[] = "0000000000000000000000000000000000000000000000000000000000000000";

// "ok", "failed", "cancelled", "booked", "check".
const char* ResultWord(RunOutcome result);

// The whole line of entry number nr, chained to prevHash, with its "\n".
std::string ProtocolLine(const ProtocolEntry& e, long nr, std::string_view prevHash);

// Where the next entry chains on. The last line counts when it reads as an
// entry whose hash is right. A last line that does not (damaged, or cut
// short by a crash) is chained to as it is: prev is the SHA-256 of its
// bytes and nr the number of lines plus one, so that the damage stays in
// the file for a check to find instead of being hidden by a repair.
struct ProtocolTail {
  long lastNr = 0;
  std::string lastHash = kNoHash;
  // The file does not end in "\n": the appender writes one first, so that
  // the new entry starts a line of its own.
  bool needsNewline = false;
};
ProtocolTail TailOf(std::string_view fileText);

// An entry as read back.
struct ParsedEntry {
  long nr = 0;
  ProtocolEntry entry;
  std::string prev;
  std::string hash;
};

// Reads one line (without its "\n"); false when it is not an entry.
bool ParseProtocolLine(std::string_view line, ParsedEntry& out);

// Every complete line that reads as an entry, in file order; lines that do
// not are left out (VerifyProtocol names them).
std::vector<ParsedEntry> ParseProtocol(std::string_view text);

// The first place where the file is not the chain the runs wrote.
struct ProtocolCheck {
  bool ok = true;
  long entries = 0;        // lines read
  long firstBadLine = 0;   // 1 for the first line
  long firstBadEntry = 0;  // the entry that belongs at that line
  std::string reason;      // German
};
ProtocolCheck VerifyProtocol(std::string_view text);

}  // namespace zeko
