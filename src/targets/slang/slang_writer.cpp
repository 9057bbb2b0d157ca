// SLANG writer: writes nothing itself. Every record is handed, field by
// field, to the user's output macro, which writes whatever it likes.
#include <charconv>
#include <memory>

#include "lib/error.h"
#include "lib/macro.h"
#include "lib/platform.h"
#include "targets/writer.h"

namespace zeko {
namespace {

// Errors inside macro functions are the macro's business: the user is told,
// the run goes on.
class MessageReporter final : public CallMeBack {
 public:
  void MacroError(const std::string& message) override { MessageBoxText(message); }
};

class SlangWriter final : public Writer {
 public:
  explicit SlangWriter(const RunInfo& run) : Writer(run) {}

  void Load();

  void Open(const RunInfo& run) override;
  void Write(const Record& record) override;
  void Close() override;

 private:
  // Argument n as "%d" of value.
  void SetNumberArg(int n, long value);

  MessageReporter reporter_;
  std::unique_ptr<MacMacro> macro_;
  MacFunction openOutput_, startRecord_, processField_, endRecord_, closeOutput_;
  char number_[24];
};

void SlangWriter::Load() {
  const std::string& name = run_.settings.slMacro;
  try {
    macro_ = std::make_unique<MacMacro>(name, nullptr, &reporter_);
  } catch (const MacroLoadError& e) {
    // The fixed message does not say why; a script that exists but does not
    // compile or run gets Lua's message (file and line) on the line before.
    // The fixed message names the macro as configured (upper-cased like every
    // value) on every platform; Lua's message names the file as it is on disk.
    std::string message = "Kann Macro " + name + " nicht Laden";
    ErrorExitText(e.missing ? message : e.what() + ("\n" + message));
  }
  openOutput_ = macro_->FindFunction("OpenOutput");
  startRecord_ = macro_->FindFunction("StartRecord");
  processField_ = macro_->FindFunction("ProcessField");
  endRecord_ = macro_->FindFunction("EndRecord");
  closeOutput_ = macro_->FindFunction("CloseOutput");
  if (!openOutput_ || !startRecord_ || !processField_ || !endRecord_ || !closeOutput_) {
    ErrorExit("Macrofunktion nicht gefunden");
  }
}

void SlangWriter::SetNumberArg(int n, long value) {
  auto [end, ec] = std::to_chars(number_, number_ + sizeof number_, value);
  (void)ec;  // 24 characters hold any long
  macro_->SetCmdArg(n, std::string_view(number_, std::size_t(end - number_)));
}

void SlangWriter::Open(const RunInfo&) {
  // The macro opens the file itself; it gets the path as this system
  // resolves it, so a "\" in PATH separates directories for the macro too.
  macro_->SetCmdArg(1, ResolvePath(run_.outputPath));
  SetNumberArg(2, run_.settings.append);
  SetNumberArg(3, run_.dataType);
  SetNumberArg(4, run_.consolidation);
  macro_->SetCmdArg(5, run_.settings.mandant);
  macro_->SetCmdArg(6, run_.runDate);
  macro_->ExecAt(openOutput_);
}

void SlangWriter::Write(const Record& record) {
  // StartRecord and EndRecord see whatever arguments the calls before them
  // left in place; the macro knows not to rely on them.
  macro_->ExecAt(startRecord_);
  for (int n = 0; n < Record::kSlots; ++n) {
    if (!record.Present(n)) continue;
    SetNumberArg(1, n);
    macro_->SetCmdArg(2, record.Text(n));
    SetNumberArg(3, long(record.Length(n)));
    SetNumberArg(4, long(record.Format(n)));
    macro_->ExecAt(processField_);
  }
  macro_->ExecAt(endRecord_);
}

void SlangWriter::Close() { macro_->ExecAt(closeOutput_); }

}  // namespace

std::unique_ptr<Writer> MakeSlangWriter(const RunInfo& run) {
  auto writer = std::make_unique<SlangWriter>(run);
  writer->Load();
  return writer;
}

}  // namespace zeko
