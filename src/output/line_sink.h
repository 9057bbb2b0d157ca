// Where a writer's lines go: the OEM stage, the line ends, the count the
// dialog shows, and the file itself, a SafeOutput that changes only when
// the run commits. A writer declares its outputs (DeclaredOutput); the run
// opens them into Sinks, hands them to the writer's Write, and commits
// them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>

#include "output/safe_output.h"

namespace zeko {

// How a line reaches the file.
enum class Framing {
  kTextLine,  // through the text stream ("\n" becomes CR LF), a line end after it
  kText,      // through the text stream, no line end of its own
  kRaw,       // bytes as they are: the line carries its own ends
};
// What counts as one record for the dialog.
enum class Counting {
  kLines,     // every line put
  kByWriter,  // only what the writer tallies
};

// One output as its writer declares it.
struct DeclaredOutput {
  OutputFile file;
  Framing framing = Framing::kTextLine;
  Counting counting = Counting::kByWriter;
  bool oem = false;  // OEMCHARSET: lines converted to code page 850
};

class LineSink {
 public:
  LineSink() = default;
  LineSink(const LineSink&) = delete;
  LineSink& operator=(const LineSink&) = delete;

  void Open(RunJournal& run, const DeclaredOutput& declared);
  // Whether the file existed before the run (OutputMode::kInPlace).
  bool existed() const { return file_.existed(); }
  // The path as declared, and (after Finish) what the run added to it.
  const std::string& path() const { return path_; }
  const AddedBytes& added() const { return file_.added(); }

  // One line: OEM-converted in place when OEMCHARSET is on, framed, and
  // counted when the sink counts lines.
  void Put(char* line, std::size_t length);
  void Put(std::string& line) { Put(line.data(), line.size()); }
  void PutText(char* line) { Put(line, std::char_traits<char>::length(line)); }
  // Bytes of the format itself (headers, trailers): written as the framing
  // writes them, never converted or counted.
  void PutRaw(std::string_view bytes);
  // One record for the dialog, where the writer counts.
  void Tally() { ++count_; }
  long count() const { return count_; }

  // The new content complete and durable, not yet in place.
  void Finish();
  // Handed to the run's commit.
  void Commit();

 private:
  SafeOutput file_;
  std::string path_;
  OutputStream* out_ = nullptr;
  Framing framing_ = Framing::kTextLine;
  Counting counting_ = Counting::kByWriter;
  bool oem_ = false;
  long count_ = 0;
};

// The outputs of one run, in the order they were opened.
class Sinks {
 public:
  explicit Sinks(RunJournal& run) : run_(run) {}
  Sinks(const Sinks&) = delete;
  Sinks& operator=(const Sinks&) = delete;

  // One more output: the run opens the declared ones before the writer's
  // Open; a writer opens one itself only where its file depends on what it
  // has written (SPK's disk number and cover note).
  LineSink& Open(const DeclaredOutput& declared);
  LineSink& operator[](std::size_t i) { return sinks_[i]; }
  const LineSink& operator[](std::size_t i) const { return sinks_[i]; }
  std::size_t size() const { return sinks_.size(); }
  // What the dialog shows: the first output's count.
  long Count() const { return sinks_.empty() ? 0 : sinks_.front().count(); }
  // Outputs opened from now on hash the bytes the run adds (the run
  // protocol's figures).
  void KeepDigests() { digests_ = true; }
  // Every output complete and durable, not yet in place.
  void FinishAll();
  // Every output finished (durable) before any is handed to the commit.
  void CommitAll();

 private:
  RunJournal& run_;
  bool digests_ = false;
  std::deque<LineSink> sinks_;
};

}  // namespace zeko
