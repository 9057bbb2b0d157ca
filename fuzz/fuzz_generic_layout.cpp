// The GENERIC writer, whose whole record layout and framing come from the
// configuration: any bytes as the configuration file (field blocks
// included), then a whole run on a fixed set of input records. The
// settings that would reach outside the run's directory (PATH, NAMEn,
// SPAWNn, the target itself) are pinned after reading.
#include <cstdint>
#include <memory>
#include <string>

#include "config/config.h"
#include "fuzz_common.h"
#include "lib/text.h"
#include "app/context.h"
#include "lib/error.h"
#include "record/record.h"
#include "app/binding.h"
#include "output/journal.h"
#include "output/line_sink.h"

using namespace zeko;

namespace {

std::string Field(int number, const std::string& value, int format = 0) {
  char head[16];
  std::snprintf(head, sizeof head, "%03d%03zu%03d", number, value.size(), format);
  return head + value;
}

// Bookings (one set with consolidation on) and addresses that switch the
// layout through field 011, with values that every kind of row can take.
std::string Records(int set) {
  std::string r;
  const char* type = set == 2 ? "2" : "1";
  const char* consolidate = set == 1 ? "1" : "0";
  const char* layouts[] = {"", "1", "3", "5", "2", "9"};
  for (int i = 0; i < 6; ++i) {
    r += Field(10, type) + Field(15, consolidate) + Field(11, layouts[i]) +
         Field(100, "RE-" + std::to_string(4711 + i)) + Field(105, i % 2 ? "04.12.2026" : "4.12.26") +
         Field(110, i < 3 ? "10000" : "10001") + Field(120, "8400") +
         Field(115, i == 4 ? "-12.5" : (i == 5 ? "0" : "1190.25")) + Field(116, "2.38") +
         Field(125, "3") + Field(126, i % 2 ? "" : "1") + Field(127, "2") + Field(139, i % 2 ? "N30 S10 P2.5" : "") +
         Field(140, "100230") + Field(161, "10") + Field(190, std::to_string(i)) + Field(199, "S") +
         Field(150, "Rechnung \xE4\xF6\xFC\xDF, Nr. " + std::to_string(i)) + Field(200, "70001") +
         Field(205, "M\xFCller GmbH") + Field(217, i % 2 ? "12345 Berlin Mitte" : "Hamburg") +
         Field(220, "Ort") + Field(300, i == 3 ? "-99999999999.995" : "12.345") +
         Field(301, " Text, mit Komma ") + Field(302, i % 2 ? "31.12.2026" : "31.12.26") +
         Field(801, "12a34") + Field(802, "") + Field(803, "77") + "\r\n";
  }
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::ClearWorkDir();
  fuzz::WriteFile("fibconf", std::string(reinterpret_cast<const char*>(data), size));
  fuzz::WriteFile("INPUT.$TM", Records(static_cast<int>(size % 3)));

  auto ctx = std::make_unique<RunContext>();
  fuzz::ArmFatal();
  try {
    ReadConfig("fibconf", ctx->settings);
    Settings& s = ctx->settings;
    s.targetType = kTargetGENERIC;
    s.path.clear();
    for (std::string& name : s.names) name = "GENERIC.TXT";
    for (std::string& command : s.spawn) command.clear();
    s.presortField = 0;

    ctx->reader = std::make_unique<RecordReader>("INPUT.$TM", 16383, SlotOrder::kByNumber);
    RecordReader& reader = *ctx->reader;
    if (!reader.Next()) return 0;
    const Record& first = reader.record();
    ctx->todayText = "04.12.2026";
    ctx->dataType = AtoI(first.Value(10));
    ctx->consolidationMode = AtoI(first.Value(15));
    ctx->runDate = first.Text(105);
    reader.Rewind();
    BindOutput(*ctx, first);
    RunJournal journal;
    Sinks out(journal);
    for (const DeclaredOutput& declared : ctx->writer->Outputs()) out.Open(declared);
    ctx->writer->Open(out);
    while (reader.Next()) ctx->writer->Write(reader.record(), out);
    ctx->writer->Close(out);
    out.CommitAll();
  } catch (const fuzz::FatalExit&) {
    // "Fehler in Typenkonvertierung", "Pufferüberlauf beim Einlesen der
    // Daten", the configuration's own messages.
  }
  SetFatalHook(nullptr);
  return 0;
}
