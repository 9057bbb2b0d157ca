// SLANG writer: writes nothing itself. Every record is handed, field by
// field, to the user's output macro, which writes whatever it likes.
#include <algorithm>
#include <bitset>
#include <memory>
#include <vector>

#include "lib/error.h"
#include "lib/macro.h"
#include "lib/messages.h"
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

  // The macro writes the files itself.
  std::vector<DeclaredOutput> Outputs() const override { return {}; }
  void Open(Sinks& out) override;
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks& out) override;

 private:
  MessageReporter reporter_;
  std::unique_ptr<MacMacro> macro_;
  MacFunction openOutput_, startRecord_, processField_, endRecord_, closeOutput_;
  // The slots that any record gave, in increasing order.
  std::vector<int> given_;
  std::bitset<Record::kSlots> isGiven_;
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
  // The message names the first function missing and the macro.
  const struct {
    MacFunction function;
    const char* name;
  } needed[] = {{openOutput_, "OpenOutput"},
                {startRecord_, "StartRecord"},
                {processField_, "ProcessField"},
                {endRecord_, "EndRecord"},
                {closeOutput_, "CloseOutput"}};
  for (const auto& n : needed)
    if (!n.function)
      ErrorExitText(WithWhere("Macrofunktion nicht gefunden", std::string(n.name) + " in " + name));
}

void SlangWriter::Open(Sinks&) {
  if (!macro_) return;
  // The macro opens the file itself; it gets the path as this system
  // resolves it, so a "\" in PATH separates directories for the macro too.
  macro_->SetCmdArg(1, ResolvePath(run_.outputPath));
  macro_->SetCmdArg(2, MacArg::Number(run_.settings.append));
  macro_->SetCmdArg(3, MacArg::Number(DataTypeNumber(run_.dataType)));
  macro_->SetCmdArg(4, MacArg::Number(run_.consolidation));
  macro_->SetCmdArg(5, run_.settings.mandant);
  macro_->SetCmdArg(6, run_.runDate);
  macro_->ExecAt(openOutput_);
}

void SlangWriter::Write(const Record& record, Sinks&) {
  if (!macro_) return;
  // StartRecord and EndRecord see whatever arguments the calls before them
  // left in place; the macro knows not to rely on them.
  macro_->ExecAt(startRecord_);
  // A slot changes only when a record gives its field, and every record
  // read passes here: the slots given so far are the only ones that can be
  // present.
  for (const FieldGroup& group : record.groups()) {
    if (isGiven_[static_cast<std::size_t>(group.slot)]) continue;
    isGiven_.set(static_cast<std::size_t>(group.slot));
    given_.insert(std::upper_bound(given_.begin(), given_.end(), group.slot), group.slot);
  }
  for (const int n : given_) {
    if (!record.Present(n)) continue;
    const MacArg field[] = {MacArg::Number(n), record.Text(n),
                            MacArg::Number(long(record.Length(n))),
                            MacArg::Number(long(record.Format(n)))};
    macro_->ExecWith(processField_, field);
  }
  macro_->ExecAt(endRecord_);
}

void SlangWriter::Close(Sinks&) {
  if (macro_) macro_->ExecAt(closeOutput_);
}

}  // namespace

std::unique_ptr<Writer> MakeSlangWriter(const RunInfo& run) {
  auto writer = std::make_unique<SlangWriter>(run);
  // The macro's values are its own text, and loading a script runs it: a
  // check of the export starts no macro.
  if (!Checking()) writer->Load();
  return writer;
}

}  // namespace zeko
