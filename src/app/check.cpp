// zeko --pruefen: the export read as a run would read it, every problem
// named, and the figures a bookkeeper compares with the host's export list.
// The writers run as in a run, but their outputs drop their bytes, and
// nothing is locked, deleted or started.
#include <string>
#include <string_view>

#include "app/binding.h"
#include "app/control_totals.h"
#include "app/protocol_entry.h"
#include "app/run.h"
#include "app/usage.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "lib/platform.h"
#include "output/line_sink.h"
#include "record/data_type.h"
#include "record/field_numbers.h"

namespace zeko {

namespace {

void AddFindings(std::string& report) {
  for (const std::string& finding : Findings()) report += "Fehler: " + finding + "\n";
  const long more = FindingCount() - static_cast<long>(Findings().size());
  if (more > 0) report += "... und " + std::to_string(more) + " weitere Fehler\n";
}

// The verdict ends the report, which goes out whole.
int Finish(std::string& report) {
  const long n = FindingCount();
  if (n == 0) {
    report += "Ergebnis: keine Fehler, ein Lauf würde gelingen.\n";
  } else {
    report += "Ergebnis: " + std::to_string(n) + " Fehler, ein Lauf würde abbrechen.\n";
  }
  PrintToUser(report);
  return n == 0 ? 0 : 1;
}

}  // namespace

int CheckExport(RunContext& ctx, const std::vector<std::string>& commandWords) {
  BeginCheck();
  SetupRun(ctx, commandWords);
  RunProtocol protocol(ctx);
  OpenInput(ctx);
  std::string report = "Prüfung der Eingabedatei " + ctx.inputPath + "\n" +
                       "Konfiguration: " + ctx.settings.configPath + "\n";
  // The records mean nothing under a configuration that is wrong.
  if (FindingCount() > 0) {
    AddFindings(report);
    const int exitCode = Finish(report);
    protocol.AppendAlone(ctx, RunOutcome::kCheck, exitCode, Findings().front());
    return exitCode;
  }

  ControlTotals& summary = protocol.totals();
  RecordReader& reader = *ctx.reader;
  if (reader.Next()) {
    const Record& first = reader.record();
    TakeRunFacts(ctx, first);
    // No presort: it would write a sorted copy, and the order of the
    // records changes nothing that the check finds.
    reader.Rewind();
    if (IsValidDataType(ctx.dataType)) BindOutput(ctx, first);
    Writer* writer = ctx.writer.get();
    // The writers run as in a run, but every output drops its bytes:
    // nothing is locked, journaled or read back.
    RunJournal dry(RunJournal::DryRun{});
    Sinks out(dry);
    if (writer) {
      for (const DeclaredOutput& declared : writer->Outputs()) out.Open(declared);
      writer->Open(out);
    }
    while (reader.Next()) {
      // A damaged record is named once, by the reader: the writer would
      // only name again, under this record, values an earlier record left.
      if (writer && !reader.damaged()) writer->Write(reader.record(), out);
      summary.Add(reader.record(), DataTypeOf(ctx.dataType));
    }
    if (writer) writer->Close(out);
  }
  ctx.reader.reset();
  AddFindings(report);
  summary.Print(report);
  const int exitCode = Finish(report);
  protocol.AppendAlone(ctx, RunOutcome::kCheck, exitCode,
                       Findings().empty() ? std::string() : Findings().front());
  return exitCode;
}

}  // namespace zeko
