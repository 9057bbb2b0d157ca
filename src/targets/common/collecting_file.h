// Output files that collect lines over many runs (PCREWE, LEDAX).
#pragma once
#include <memory>
#include <string>

#include "run/files.h"

namespace zeko {

// Without APPEND the file starts over: it is removed (a missing file is
// fine). An empty path is left alone.
void RemoveUnlessAppending(const std::string& path, bool append);

// Creates the file when missing (with OpenOutputStream's own message on
// failure), then opens it for reading and writing without truncation and
// positions at its end, so new lines follow any existing content. A file
// that cannot be reopened ends the run with failMessage.
std::unique_ptr<OutputStream> OpenCollectingFile(const std::string& path, bool append,
                                                 const char* failMessage);

// Writes one line and its line end (CR LF through the text stream).
void WriteLine(OutputStream& out, const char* line, std::size_t length);

}  // namespace zeko
