// The cover-note printer on Windows, where "LPT1" and "PRN" are devices that
// are written like files: the note goes straight to the device, as it
// always has there. No spooler is involved.
#include <cerrno>
#include <cstdio>

#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "targets/spk/spk_printer.h"

namespace zeko {

// Not needed here: Windows opens the printer device itself.
std::string FindProgram(const std::string&, const char*) { return {}; }

CoverNotePrinter::~CoverNotePrinter() = default;

bool CoverNotePrinter::Open(const std::string& name, const char*) {
  std::string path = name;
  // "LPT1:" is the device LPT1; the file system knows it without the colon.
  if (path.back() == ':') path.pop_back();
  std::FILE* file = std::fopen(ResolvePath(path).c_str(), "wb");
  if (file == nullptr) {
    failure_ = SystemReason(errno);
    return false;
  }
  stream_ = std::make_unique<OutputStream>(file);
  return true;
}

OutputStream* CoverNotePrinter::Stream() { return stream_.get(); }

bool CoverNotePrinter::Close() {
  if (stream_) stream_->Close();
  stream_.reset();
  return true;
}

}  // namespace zeko
