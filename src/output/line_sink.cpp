#include "output/line_sink.h"

#include "lib/platform.h"

namespace zeko {

void LineSink::Open(RunJournal& run, const DeclaredOutput& declared) {
  framing_ = declared.framing;
  counting_ = declared.counting;
  oem_ = declared.oem;
  path_ = declared.file.path;
  out_ = &file_.Open(run, declared.file);
  count_ = 0;
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

LineSink& Sinks::Open(const DeclaredOutput& declared) {
  LineSink& sink = sinks_.emplace_back();
  if (digests_) {
    DeclaredOutput hashed = declared;
    hashed.file.digest = true;
    sink.Open(run_, hashed);
  } else {
    sink.Open(run_, declared);
  }
  return sink;
}

void Sinks::FinishAll() {
  for (LineSink& sink : sinks_) sink.Finish();
}

void Sinks::CommitAll() {
  FinishAll();
  for (LineSink& sink : sinks_) sink.Commit();
}

}  // namespace zeko
