// Where a writer's lines go: the OEM stage, the line ends, the count the
// dialog shows, and the file policy (append, replace, insert before an end
// line, header and trailer). The file itself is a SafeOutput: it changes
// only when the sink commits, so a failed run leaves it as it was.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "output/files.h"
#include "output/safe_output.h"

namespace zeko {

class LineSink {
 public:
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

  LineSink() = default;
  LineSink(const LineSink&) = delete;
  LineSink& operator=(const LineSink&) = delete;

  void Configure(Framing framing, Counting counting, bool oem) {
    framing_ = framing;
    counting_ = counting;
    oem_ = oem;
  }

  // A file that collects lines over many runs: with append its lines follow
  // the existing content, without it the file starts over (as if removed
  // and created anew). A missing file is created at once, with
  // OpenOutputStream's own message on failure; an existing file that cannot
  // be updated ends the run with failMessage.
  void OpenCollecting(const std::string& path, bool append, const std::string& failMessage);
  // The file with the given mode; see SafeOutput::Open.
  void Open(const std::string& path, SafeOutput::Mode mode, const std::string& updateError,
            const std::function<void()>& create);
  // A file whose earlier content stays in place up to the offset that
  // `keep` finds in it (an end line, or the end of the file); this run's
  // bytes follow there. Returns false when there was no file yet (the new
  // content then starts empty). `path` is resolved here.
  bool OpenInPlace(const std::string& path, const std::string& updateError,
                   const std::string& createError,
                   const std::function<std::int64_t(std::FILE*, std::int64_t size)>& keep);

  bool open() const { return out_ != nullptr; }

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

  // The new content complete and durable, not yet in place (a writer of two
  // files finishes both before committing either).
  void Finish();
  void Commit();

 private:
  SafeOutput file_;
  OutputStream* out_ = nullptr;
  Framing framing_ = Framing::kTextLine;
  Counting counting_ = Counting::kByWriter;
  bool oem_ = false;
  long count_ = 0;
};

}  // namespace zeko
