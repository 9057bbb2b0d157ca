// The printer that the cover note of the savings-bank disk goes to.
#pragma once
#include <memory>
#include <string>

#include "lib/text.h"
#include "output/output_stream.h"

namespace zeko {

// True for the DOS printer devices "PRN" and "LPT1" to "LPT9" (a trailing
// ":" allowed, any case).
inline bool IsPrinterDevice(const std::string& name) {
  std::string n = UpperAsciiCopy(name);
  if (!n.empty() && n.back() == ':') n.pop_back();
  if (n == "PRN") return true;
  return n.size() == 4 && n.compare(0, 3, "LPT") == 0 && n[3] >= '1' && n[3] <= '9';
}

// Full path of an executable file `program` in the directories of
// searchPath (PATH syntax); empty when there is none.
std::string FindProgram(const std::string& program, const char* searchPath);

// A DOS printer device ("LPT1", "PRN"; a printer that is a file is an
// output of the run). It has no file here: the note is handed to the
// system's print spooler ("lp") instead, collected in a temporary file
// first so that the spooler gets the whole note or nothing. On Windows the
// device is written like a file.
class CoverNotePrinter {
 public:
  CoverNotePrinter() = default;
  ~CoverNotePrinter();
  CoverNotePrinter(const CoverNotePrinter&) = delete;
  CoverNotePrinter& operator=(const CoverNotePrinter&) = delete;

  // False when the printer cannot be reached: no spooler on searchPath, or
  // a device that cannot be opened.
  bool Open(const std::string& name, const char* searchPath);
  // The stream the note is written to (text mode: "\n" gives CR LF). For
  // the spooler the temporary file is made here; nullptr when it cannot be.
  OutputStream* Stream();
  // Closes the printer; a spooled note is handed to the spooler, which is
  // waited for. False when the spooler refused the note.
  bool Close();
  // Why the last of these failed, in German, for the message.
  const std::string& failure() const { return failure_; }

 private:
  std::string failure_;
  std::unique_ptr<OutputStream> stream_;
  std::string spooler_;    // path of "lp" when the note is spooled
  std::string spoolFile_;  // the note waiting for the spooler
};

}  // namespace zeko
