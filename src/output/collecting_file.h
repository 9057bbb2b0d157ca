// Output files that collect lines over many runs (PCREWE, LEDAX).
#pragma once
#include <cstddef>
#include <string>

#include "output/files.h"
#include "output/safe_output.h"

namespace zeko {

// Starts this run's content of the file: with APPEND its lines follow the
// existing content, without it the file starts over. Either way the file
// itself changes only when `file` commits, so a failed run leaves it as it
// was. A missing file is created at once (with OpenOutputStream's own
// message on failure); an existing file that cannot be opened for update
// ends the run with failMessage.
OutputStream& OpenCollectingFile(SafeOutput& file, const std::string& path, bool append,
                                 const char* failMessage);

// Writes one line and its line end (CR LF through the text stream).
void WriteLine(OutputStream& out, const char* line, std::size_t length);

}  // namespace zeko
