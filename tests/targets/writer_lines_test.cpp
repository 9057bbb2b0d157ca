// Writers in process: records in, lines out. Each case names the target's
// field rule it guards and looks at the characters where the layout puts
// that field, so a lost row, a shifted width or a rule applied to the wrong
// field shows at once.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "record/record.h"
#include "support/harness.h"
#include "targets/registry.h"

namespace zeko {
namespace {

using test::Field;

struct Expect {
  std::size_t line;  // 0-based line of the output file
  std::size_t pos;   // 1-based position, as the layouts count
  std::string text;
};

struct Case {
  const char* name;
  int target;
  int dataType;
  std::function<void(Settings&)> configure;
  std::vector<std::string> records;
  std::vector<Expect> expect;
  std::size_t lines;  // lines in the output file (a closing 0x1A counts as one)
  int consolidation = 0;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// Splits the output at CR LF.
std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(bytes.substr(at, end - at));
  if (at < bytes.size()) lines.push_back(bytes.substr(at));
  return lines;
}

// Binds, opens, writes every record and closes as a run does; the first
// record is the one read for the binding.
std::string RunWriter(const Case& c, const test::TempDir& dir) {
  Settings settings;
  settings.targetType = c.target;
  if (c.configure) c.configure(settings);
  auto record = std::make_unique<Record>();
  record->Split(c.records.front());
  RunInfo run(settings, *record);
  run.dataType = c.dataType;
  run.consolidation = c.consolidation;
  run.today = "04.12.2026";
  run.runDate = "04.12.2026";
  run.outputPath = (dir / "OUT.TXT").string();
  std::unique_ptr<Writer> writer = MakeWriter(run);
  writer->Open(run);
  for (const std::string& line : c.records) {
    record->Split(line);
    writer->Write(*record);
  }
  writer->Close();
  return test::ReadFile(dir / "OUT.TXT");
}

class WriterLines : public ::testing::TestWithParam<Case> {};

TEST_P(WriterLines, FieldsWhereTheLayoutPutsThem) {
  const Case& c = GetParam();
  test::TempDir dir;
  const std::vector<std::string> lines = Lines(RunWriter(c, dir));
  ASSERT_EQ(lines.size(), c.lines) << c.name;
  for (const Expect& e : c.expect) {
    ASSERT_LT(e.line, lines.size()) << c.name;
    EXPECT_EQ(lines[e.line].substr(e.pos - 1, e.text.size()), e.text)
        << c.name << ": line " << e.line << " position " << e.pos;
  }
}

const std::string kBooking = Field(120, "4711") + Field(110, "8400") + Field(115, "12.50") +
                             Field(125, "7") + Field(105, "04.12.2026");

INSTANTIATE_TEST_SUITE_P(
    Targets, WriterLines,
    ::testing::Values(
        // HS: outgoing invoices keep the accounts, the tax code is "M".
        Case{"HsOutgoing", kTargetHS, 1, nullptr, {kBooking},
             {{0, 1, "A"}, {0, 35, "M07"}, {0, 97, "00047110008400"}, {0, 137, "+"}, {1, 1, "E "}}, 3},
        // HS: incoming invoices swap accounts 120 and 110; the tax code is "V".
        Case{"HsIncomingSwapsAccounts", kTargetHS, 3, nullptr, {kBooking},
             {{0, 35, "V07"}, {0, 97, "00084000004711"}}, 3},
        // HS3: the same shared rows, behind the header line.
        Case{"Hs3IncomingSwapsAccounts", kTargetHS3, 3, nullptr, {kBooking},
             {{0, 1, "I  $3"}, {1, 1, "3  BFIA"}, {1, 51, "V07"}, {1, 113, "00084000004711"}, {2, 1, "I  $ "}}, 4},
        // PCREWE: the postcode is split off field 217, the rest is the city.
        Case{"PcrewePostcodeSplit", kTargetPCREWE, 2, nullptr,
             {Field(217, "12345 Berlin Mitte")},
             {{0, 132, "12345Berlin Mitte"}}, 1},
        // PCREWE: a first word longer than the postcode stays with the city.
        Case{"PcreweLongFirstWordIsCity", kTargetPCREWE, 2, nullptr,
             {Field(217, "Niederschoenhausen")},
             {{0, 132, "00000Niederschoenhausen"}}, 1},
        // LEDAX: a leading number of field 220 goes to the postcode row.
        Case{"LedaxPostcodeFromCity", kTargetLEDAX, 2, nullptr,
             {Field(220, "12345 Berlin")},
             {{0, 1, "0002"}, {0, 17, "D"}, {0, 186, "Berlin"}, {0, 219, "012345"}}, 1},
        // LEDAX: bookings of one account pair merge into the group's total.
        Case{"LedaxConsolidates", kTargetLEDAX, 1, nullptr, {kBooking, kBooking},
             {{0, 81, "000000000000002500"}}, 1, 1},
        // DATAX: incoming invoices are negated, a zero amount gives no record.
        Case{"DataxIncomingNegated", kTargetDATAX, 3, nullptr,
             {kBooking, Field(115, "0")}, {{0, 126, "       -12.50"}}, 1},
        // GENERIC: framing texts around a number and a text field.
        Case{"GenericFraming", kTargetGENERIC, 1,
             [](Settings& s) {
               s.fieldLists[1].Add(5, 2, 115, "");
               s.fieldLists[1].Add(10, 8, 100, "");
               s.genericFieldSep = ";";
               s.genericRecSep = "\r\n";
             },
             {Field(115, "12.5") + Field(100, "ABC")}, {{0, 1, "12.50;ABC       "}}, 1}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeko
