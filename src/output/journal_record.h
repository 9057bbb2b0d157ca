// The journal's records: one line each, the text and " #" and a check of
// 16 hex digits, so that a torn or damaged line ends what counts. The
// grammar (texts written "=" and bytes, with "%XX" for a blank, "%", a
// control byte or a byte from 0x7F on):
//
//   ZEKO-JOURNAL <version> <transaction> <master>
//                               the header; <master> "-" in the master's
//                               own journal, else the master journal's path
//   INPLACE <old size> <offset> <tail>
//                               the output is written in place from
//                               <offset>; <tail> the old bytes from there
//                               to the old end
//   FRESH <existed 0|1> <work file>
//                               the output is written anew into <work file>
//   MEMBER <journal>            (master) a further output's journal
//   COMMIT <delete 0|1> <size> <hash> <stamp> <input>
//                               (master) the commit point, with the
//                               input's identity (input_identity.h)
//
// Version 2 checks each line with XXH3, hashes the input with XXH3 and
// writes every record twice, so that one damaged byte (a torn sector, a
// flipped bit) spoils one copy only and recovery still knows what to undo.
// Version 1 (FNV-1a line checks, an older input hash, a COMMIT that may
// lack the stamp) is still read, so that a journal left by an earlier
// zeko is recovered.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/input_identity.h"

namespace zeko {

inline constexpr int kJournalVersion = 2;
inline constexpr const char* kJournalSuffix = ".$JN";

// How the run writes an output; only the last INPLACE or FRESH record
// counts (a run that found its first work-file name taken records another).
struct OutputPlan {
  enum class Kind { kNone, kInPlace, kFresh } kind = Kind::kNone;
  std::int64_t oldSize = 0;  // kInPlace
  std::int64_t offset = 0;   // kInPlace
  std::string tail;          // kInPlace
  std::string work;          // kFresh
};

// What a journal file says.
struct JournalContent {
  bool valid = false;  // has a header
  int version = 0;
  std::string transaction;
  std::string master;  // empty in the master itself
  OutputPlan plan;
  std::vector<std::string> members;
  bool committed = false;
  bool deleteInput = false;
  InputIdentity input;
};

JournalContent ParseJournal(std::string_view content);

// The records of the current version, each a whole line.
std::string HeaderRecord(const std::string& transaction, const std::string& masterJournal);
std::string InPlaceRecord(std::int64_t oldSize, std::int64_t offset, std::string_view tail);
std::string FreshRecord(bool existed, const std::string& work);
std::string MemberRecord(const std::string& journal);
std::string CommitRecord(bool deleteInput, const InputIdentity& input);

// The output a journal belongs to.
std::string OutputOfJournal(const std::string& journalPath);

}  // namespace zeko
