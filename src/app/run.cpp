#include "app/run.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "app/binding.h"
#include "app/progress.h"
#include "app/protocol_entry.h"
#include "config/config.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/journal.h"
#include "output/line_sink.h"
#include "record/data_type.h"
#include "record/field_numbers.h"
#include "targets/registry.h"

namespace zeko {

namespace {

// A word of the option scan: the host writes its options with "/"; words
// with "-" are what a person types (--verbose), and are options too.
bool IsOptionWord(const std::string& w) { return !w.empty() && (w[0] == '/' || w[0] == '-'); }

bool KnownOption(const std::string& w) {
  return w.compare(0, 8, "/CONFIG:") == 0 || w.compare(0, 6, "/TEMP:") == 0 ||
         w.compare(0, 3, "/ND") == 0 || w == "/NOGUI" || w == kCheckWord;
}

}  // namespace

bool TakeWord(std::vector<std::string>& words, std::string_view word) {
  for (auto it = words.begin(); it != words.end(); ++it) {
    if (UpperAsciiCopy(*it) == word) {
      words.erase(it);
      return true;
    }
  }
  return false;
}

bool TakeCheckWord(std::vector<std::string>& words) { return TakeWord(words, kCheckWord); }

int ParseCommandLine(RunContext& ctx, std::vector<std::string> words) {
  ctx.deleteInput = true;
  const std::vector<std::string> given = words;
  for (std::string& w : words) UpperAscii(w);
  const int count = static_cast<int>(words.size());
  // A mistyped option (/CONFG:) would leave its file unread and the run
  // would go on with another: every option word is known, even where the
  // words set nothing.
  for (std::size_t i = 0; i < words.size() && IsOptionWord(words[i]); ++i)
    if (!KnownOption(words[i])) ErrorExitText(WithWhere(msg::kUnknownOption, given[i]));
  if (count <= 1) return 0;
  int examined = 0;
  for (const std::string& w : words) {
    if (!IsOptionWord(w)) break;
    ++examined;
    if (w.compare(0, 8, "/CONFIG:") == 0) {
      ctx.configPath = w.substr(8);
      std::size_t sep = ctx.configPath.find_last_of("\\/");
      ctx.configDir = sep == std::string::npos ? ctx.configPath : ctx.configPath.substr(0, sep + 1);
    } else if (w.compare(0, 6, "/TEMP:") == 0) {
      ctx.tempName = w.substr(6);
    } else if (w.compare(0, 3, "/ND") == 0) {
      ctx.deleteInput = false;
    }
  }
  return examined;
}

void SetupRun(RunContext& ctx, const std::vector<std::string>& commandWords) {
  // At most 20 words are looked at, the program's own name being word 0.
  std::vector<std::string> words(
      commandWords.begin(), commandWords.begin() + std::min<std::size_t>(commandWords.size(), 20));
  if (words.size() > 1)
    ParseCommandLine(ctx, std::vector<std::string>(words.begin() + 1, words.end()));

  ctx.settings = Settings();
  try {
    ReadConfig(ctx.configPath, ctx.settings);
  } catch (...) {
    ErrorExitText(msg::kConfigProcess + ctx.configPath);
  }
  ctx.presortField = ctx.settings.presortField;

  const std::string temp = QVTTempPath();
  ctx.inputPath = ctx.tempName;
  if (ctx.inputPath.find(UpperAsciiCopy(temp)) == std::string::npos)
    ctx.inputPath = temp + ctx.inputPath;
  ctx.inputPath += ".$TM";
}

void OpenInput(RunContext& ctx) {
  const std::size_t limit = static_cast<std::size_t>(
      ctx.settings.lineBufferSize > 0 ? ctx.settings.lineBufferSize - 1 : 0);
  ctx.reader = std::make_unique<RecordReader>(ctx.inputPath, limit,
                                              ReaderSlotOrder(ctx.settings.targetType));
}

namespace {

// The data type that the host writes into field 010: one digit from 1 to 5,
// blanks around it allowed. Anything else (missing, 0, 6, "1X") would bind
// no layout, and the run would write nothing and delete the export.
bool ValidDataType(std::string_view text, int& dataType) {
  const Decimal d = ReadDecimal(text);
  if (!d.valid || d.negative || text.find('.') != std::string_view::npos || d.integerDigits != 1)
    return false;
  dataType = static_cast<int>(d.value);
  return IsValidDataType(dataType);
}

}  // namespace

namespace {

// DataType, ConsolidationMode and RunDate from the first record. In the
// sequential mode the slots tell places, not numbers, so the values are
// taken from the groups by their numbers, as they stand in the line.
void TakeFirstRecordFacts(RunContext& ctx, const Record& first) {
  if (ReaderSlotOrder(ctx.settings.targetType) == SlotOrder::kByPlace) {
    ctx.dataType = 0;
    ctx.consolidationMode = 0;
    ctx.runDate.clear();
    for (const FieldGroup& g : first.groups()) {
      const std::string_view value = first.Text(g.slot);
      if (g.number == fld::kDataType) ctx.dataType = AtoI(value);
      if (g.number == fld::kConsolidation) ctx.consolidationMode = AtoI(value);
      if (g.number == fld::kRunDate) ctx.runDate = value;
      if (g.number == fld::kDocumentDate && ctx.runDate.empty()) ctx.runDate = value;
    }
    return;
  }
  if (!ValidDataType(first.Text(fld::kDataType), ctx.dataType)) {
    ctx.dataType = 0;
    ValueProblem(msg::kDataType, fld::kDataType, first.Text(fld::kDataType));
  }
  // A whole number (the macro of SLANG gets it as it is).
  const std::string_view mode = first.Text(fld::kConsolidation);
  const Decimal consolidation = ReadDecimal(mode);
  ctx.consolidationMode = 0;
  if (!consolidation.valid || mode.find('.') != std::string_view::npos)
    ValueProblem(msg::kBadNumber, fld::kConsolidation, mode);
  else if (consolidation.integerDigits > 9)
    ValueProblem(msg::kNumberTooLong, fld::kConsolidation, mode);
  else
    ctx.consolidationMode = static_cast<int>(consolidation.value);
  ctx.runDate = first.Text(fld::kRunDate);
  if (ctx.runDate.empty()) ctx.runDate = first.Text(fld::kDocumentDate);
}

}  // namespace

void TakeRunFacts(RunContext& ctx, const Record& first) {
  ctx.todayText = StringTime(GetSysTime(), "%d.%m.%Y");
  TakeFirstRecordFacts(ctx, first);
  if (ctx.runDate.empty()) ctx.runDate = ctx.todayText;
}

namespace {

// Cancel ends the run as a failure: the user gets every output as it was
// before the run and keeps the input file, so that the export can simply
// be run again later, and the host system sees exit code 1 instead of
// taking a partial conversion for done (which would lose the bookings not
// yet converted). The run's transaction is undone by then.
void CancelRun(RunContext& ctx) {
  if (ctx.dialog) ctx.dialog->Close();
  std::fputs(msg::kCancelled, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

// The presort writes its sorted copy as a work file of the run's
// transaction: created exclusively and never through a link, removed again
// when the run fails. The run reads the copy; it takes the input's place
// only when the run commits.
PresortProgress PresortHooks(CZekoDlg* dlg, RunJournal& journal) {
  PresortProgress progress;
  if (dlg) {
    progress.start = [dlg](std::int64_t total) { dlg->SetPresortRange(total); };
    progress.step = [dlg](std::int64_t position) { dlg->PresortStep(position); };
  }
  progress.createCopy = [&journal](const std::string& path) {
    return journal.CreateWorkFile(path);
  };
  progress.adoptCopy = [&journal](const std::string& path) { journal.ReplaceInputWith(path); };
  return progress;
}

// The record path: the writer's outputs opened, every record handed to the
// writer, the outputs committed. False when the user cancelled.
bool ConvertRecords(RunContext& ctx, RunJournal& journal, RunProtocol& protocol,
                    const bool& cancel) {
  RecordReader& reader = *ctx.reader;
  CZekoDlg* dlg = ctx.dialog;
  Writer& writer = *ctx.writer;
  Sinks out(journal);
  if (protocol.on()) out.KeepDigests();
  for (const DeclaredOutput& declared : writer.Outputs()) out.Open(declared);
  if (!journal.InputBooked() && !cancel) {
    writer.Open(out);
    const DataType dataType = DataTypeOf(ctx.dataType);
    while (!cancel && reader.Next()) {
      writer.Write(reader.record(), out);
      if (protocol.on()) protocol.totals().Add(reader.record(), dataType);
      if (dlg) dlg->Step(static_cast<int>(writer.Count(out)), reader.Position());
    }
    if (!cancel) writer.Close(out);
  }
  if (cancel) return false;
  if (journal.InputBooked()) {
    // This input was converted and committed by a run that was stopped
    // before it deleted the input: the export is done, nothing is booked
    // twice.
    ctx.reader.reset();
    journal.FinishBooked();
    protocol.AppendAlone(ctx, RunOutcome::kBooked, 0, std::string());
    return true;
  }
  // The entry commits with the bookings it describes.
  protocol.WriteWithin(out, ctx, writer);
  out.CommitAll();
  return true;
}

// Steps 1 to 15: setup, the first record, presort, binding, the record loop,
// Close and the clean-up. False when the user cancelled.
bool GuardedRun(RunContext& ctx, const std::vector<std::string>& commandWords, bool& cancel,
                std::optional<RunProtocol>& protocol) {
  cancel = false;
  SetupRun(ctx, commandWords);
  protocol.emplace(ctx);
  // A failed run's entry follows its rollback (the clean-ups run from the
  // innermost out).
  FatalCleanup failed([&ctx, &protocol] {
    protocol->AppendAlone(ctx, RunOutcome::kFailed, 1, FatalMessage());
  });
  OpenInput(ctx);
  CZekoDlg* dlg = ctx.dialog;
  if (dlg) {
    dlg->Show(kDataTypeNames[ctx.DataTypeIndex()], ctx.outputPath, &cancel, true);
    dlg->SetRange(0, ctx.reader->Size());
  }
  // Another run is using an output: the dialog says so, and Cancel works
  // while the run waits.
  RunJournal journal(ResolvePath(ctx.inputPath), ctx.deleteInput,
                     [&cancel, dlg](const std::string& file) {
                       if (!dlg) return true;
                       dlg->ShowWaiting(file);
                       dlg->PumpMessages();
                       return !cancel;
                     });
  // A fatal error leaves every output as it was.
  FatalCleanup rollback([&journal] { journal.RollBack(); });

  RecordReader& reader = *ctx.reader;
  if (reader.Next()) {
    const Record& first = reader.record();
    TakeRunFacts(ctx, first);

    if (ctx.presortField != 0 && !reader.FirstLineHas(ctx.presortField)) ctx.presortField = 0;
    if (ctx.presortField != 0) reader.Presort(ctx.presortField, PresortHooks(dlg, journal));
    reader.Rewind();

    BindOutput(ctx, first);
    // The dialog names what is converted and where it goes once both are known.
    if (dlg) dlg->SetTexts(kDataTypeNames[ctx.DataTypeIndex()], ctx.outputPath);
    if (!ConvertRecords(ctx, journal, *protocol, cancel)) return false;
  }

  // Clean-up. The commit puts every output in place and deletes the input
  // (unless "/ND") in one step that a crash cannot split. The reader hashed
  // the input as it went: the commit need not read it again.
  const std::optional<InputDigest> input = ctx.reader ? ctx.reader->Digest() : std::nullopt;
  ctx.reader.reset();
  if (!journal.InputBooked()) journal.CommitRun(input);
  // An export without records has no outputs to commit its entry with.
  if (protocol->totals().records() == 0 && !journal.InputBooked())
    protocol->AppendAlone(ctx, RunOutcome::kOk, 0, std::string());
  for (auto& t : ctx.settings.taxTexts) t.reset();
  return true;
}

}  // namespace

int RunConversion(RunContext& ctx, const std::vector<std::string>& commandWords) {
  bool cancel = false;
  bool done = false;
  std::optional<RunProtocol> protocol;
  try {
    errno = 0;
    done = GuardedRun(ctx, commandWords, cancel, protocol);
  } catch (...) {
    std::string text = LastSystemErrorText();
    ErrorExitText(text.empty() ? msg::kUnknownError : text);
  }
  if (!done) {
    // The outputs are as before the run by now.
    if (protocol) protocol->AppendAlone(ctx, RunOutcome::kCancelled, 1, msg::kCancelled);
    CancelRun(ctx);
    return 1;
  }
  if (ctx.dialog) ctx.dialog->Close();

  const int dt = ctx.dataType;
  if (dt >= 1 && dt <= 5) {
    const std::string& command = ctx.settings.spawn[dt];
    if (!command.empty() && !ExecCmd(command.c_str()))
      MessageBoxText("Kann " + command + " nicht ausführen");
  }
  return 0;
}

}  // namespace zeko
