#include "app/run.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "config/config.h"
#include "convert/presort.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/file_lock.h"
#include "output/journal.h"
#include "run/error.h"
#include "run/files.h"
#include "run/progress.h"

namespace zeko {

int ParseCommandLine(RunContext& ctx, std::vector<std::string> words) {
  ctx.deleteInput = true;
  for (std::string& w : words) UpperAscii(w);
  const int count = static_cast<int>(words.size());
  if (count <= 1) return 0;
  int examined = 0;
  for (const std::string& w : words) {
    if (w.empty() || w[0] != '/') break;
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
  std::vector<std::string> words(commandWords.begin(),
                                 commandWords.begin() + std::min<std::size_t>(commandWords.size(), 20));
  if (words.size() > 1) ParseCommandLine(ctx, std::vector<std::string>(words.begin() + 1, words.end()));

  ctx.fields.Clear();
  ctx.settings = Settings();
  try {
    ReadConfig(ctx.configPath, ctx.settings);
  } catch (...) {
    ErrorExit("Fehler beim Verarbeiten CONFIG - Datei:\n%s", ctx.configPath.c_str());
  }
  ctx.presortField = ctx.settings.presortField;

  const std::string temp = QVTTempPath();
  ctx.inputPath = ctx.tempName;
  if (ctx.inputPath.find(UpperAsciiCopy(temp)) == std::string::npos) ctx.inputPath = temp + ctx.inputPath;
  ctx.inputPath += ".$TM";

  ctx.input = std::make_unique<FileHandle>();
  try {
    ctx.input->Open(ctx.inputPath, 0x40, 0x4000, false);
  } catch (const QVTError&) {
    ErrorExit("Fehler beim öffnen der Eingabedatei");
  }
  ctx.input->SetDelimiter("\r\n");
}

namespace {

// Cancel ends the run as a failure: the user gets every output as it was
// before the run and keeps the input file, so that the export can simply
// be run again later, and the host system sees exit code 1 instead of
// taking a partial conversion for done (which would lose the bookings not
// yet converted).
void CancelRun(RunContext& ctx) {
  RunJournal::Get().RollBack();
  if (ctx.dialog) ctx.dialog->Close();
  std::fputs("Übernahme abgebrochen\n", stderr);
  std::fflush(stderr);
}

// Steps 1 to 15: setup, the first record, presort, binding, the record loop,
// Close and the clean-up. False when the user cancelled.
bool GuardedRun(RunContext& ctx, const std::vector<std::string>& commandWords, bool& cancel) {
  cancel = false;
  SetupRun(ctx, commandWords);
  RunJournal::Get().BeginRun(ResolvePath(ctx.inputPath), ctx.deleteInput);
  CZekoDlg* dlg = ctx.dialog;
  if (dlg) {
    dlg->Show(kDataTypeNames[ctx.DataTypeIndex()], ctx.outputPath, &cancel, true);
    dlg->SetRange(0, ctx.input->FileSize());
  }
  // Another run is using an output: the dialog says so, and Cancel works
  // while the run waits.
  SetLockWaitHook([&ctx, &cancel, dlg](const std::string& file) {
    if (!dlg) return;
    dlg->ShowWaiting(file);
    dlg->PumpMessages();
    if (cancel) {
      CancelRun(ctx);
      std::exit(1);
    }
  });

  if (ReadRecord(ctx, *ctx.input) != -1) {
    ctx.todayText = StringTime(GetSysTime(), "%d.%m.%Y");
    if (ctx.settings.targetType == kTargetMONA) {
      ctx.dataType = ctx.capturedDataType;
      ctx.consolidationMode = ctx.capturedConsolidation;
      ctx.runDate = ctx.capturedDate;
    } else {
      ctx.dataType = AtoI(ctx.fields.Value(10));
      ctx.consolidationMode = AtoI(ctx.fields.Value(15));
      ctx.runDate = ctx.fields.Text(198);
      if (ctx.runDate.empty()) ctx.runDate = ctx.fields.Text(105);
    }
    if (ctx.runDate.empty()) ctx.runDate = ctx.todayText;

    if (ctx.presortField != 0) {
      ctx.input->Rewind();
      std::string first;
      ctx.input->Get(first);
      if (!FindRecordField(first, ctx.presortField)) ctx.presortField = 0;
    }
    if (ctx.presortField != 0) Presort(ctx);
    ctx.input->Rewind();

    BindOutput(ctx);
    // The dialog names what is converted and where it goes once both are known.
    if (dlg) dlg->SetTexts(kDataTypeNames[ctx.DataTypeIndex()], ctx.outputPath);

    try {
      ctx.writer->Open();
      while (ReadRecord(ctx, *ctx.input) != -1) {
        if (cancel) break;
        ctx.writer->Process();
        if (dlg) dlg->Step(static_cast<int>(ctx.outputCount), ctx.input->FilePos());
      }
      if (cancel) {
        SetLockWaitHook(nullptr);
        return false;
      }
      ctx.writer->Close();
    } catch (const InputAlreadyBooked&) {
      // This input was converted and committed by a run that was stopped
      // before it deleted the input: the export is done, nothing is booked
      // twice.
      ctx.fields.Clear();
      ctx.input.reset();
      RunJournal::Get().FinishBooked();
    }
  }
  SetLockWaitHook(nullptr);

  // Clean-up. The commit puts every output in place and deletes the input
  // (unless "/ND") in one step that a crash cannot split.
  ctx.fields.Clear();
  ctx.input.reset();
  RunJournal::Get().CommitRun();
  for (auto& t : ctx.settings.taxTexts) t.reset();
  return true;
}

}  // namespace

int RunConversion(RunContext& ctx, const std::vector<std::string>& commandWords) {
  bool cancel = false;
  bool done = false;
  try {
    errno = 0;
    done = GuardedRun(ctx, commandWords, cancel);
  } catch (...) {
    std::string text = LastSystemErrorText();
    ErrorExitText(text.empty() ? "Unbekannter Fehler in ZEKO.EXE" : text);
  }
  if (!done) {
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
