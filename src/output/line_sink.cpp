#include "output/line_sink.h"

#include "lib/error.h"
#include "lib/platform.h"

namespace zeko {

void LineSink::OpenCollecting(const std::string& path, bool append,
                              const std::string& failMessage) {
  // Without APPEND the file used to be removed and created anew, which
  // needs no right to write the file itself; the swap at the end does the same.
  out_ = &file_.Open(
      path, append ? SafeOutput::Mode::kAppend : SafeOutput::Mode::kReplace, failMessage,
      [&path, append] {
        OpenOutputStream(path, append)->Close();  // its message names the configured path
      });
  count_ = 0;
}

void LineSink::Open(const std::string& path, SafeOutput::Mode mode, const std::string& updateError,
                    const std::function<void()>& create) {
  out_ = &file_.Open(path, mode, updateError, create);
  count_ = 0;
}

bool LineSink::OpenInPlace(const std::string& path, const std::string& updateError,
                           const std::string& createError,
                           const std::function<std::int64_t(std::FILE*, std::int64_t)>& keep) {
  const bool existed = file_.OpenExisting(ResolvePath(path), updateError, createError);
  out_ = &file_.Begin(existed ? keep(file_.existing(), file_.existingSize()) : 0);
  count_ = 0;
  return existed;
}

void LineSink::Put(char* line, std::size_t length) {
  if (oem_) AnsiToOem(line, length);
  if (framing_ == Framing::kRaw) {
    out_->WriteRaw(line, length);
  } else {
    out_->Write(line, length);
    if (framing_ == Framing::kTextLine) out_->Putc('\n');
  }
  if (counting_ == Counting::kLines) ++count_;
}

void LineSink::PutRaw(std::string_view bytes) {
  if (framing_ == Framing::kRaw) {
    out_->WriteRaw(bytes.data(), bytes.size());
  } else {
    out_->Write(bytes);
  }
}

void LineSink::Finish() {
  out_ = nullptr;
  file_.Finish();
}

void LineSink::Commit() {
  out_ = nullptr;
  file_.Commit();
}

}  // namespace zeko
