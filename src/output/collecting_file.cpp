#include "output/collecting_file.h"

namespace zeko {

OutputStream& OpenCollectingFile(SafeOutput& file, const std::string& path, bool append,
                                 const char* failMessage) {
  // Without APPEND the file used to be removed and created anew, which
  // needs no right to write the file itself; the swap at the end does the same.
  return file.Open(
      path, append ? SafeOutput::Mode::kAppend : SafeOutput::Mode::kReplace, failMessage,
      [&path, append] {
        OpenOutputStream(path, append)->Close();  // its message names the configured path
      });
}

void WriteLine(OutputStream& out, const char* line, std::size_t length) {
  out.Write(line, length);
  out.Putc('\n');
}

}  // namespace zeko
