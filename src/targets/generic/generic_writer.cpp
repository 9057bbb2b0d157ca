// GENERIC: a record layout and framing defined wholly by the configuration.
// The writer: the output file and its header line, one record per input
// record (or per group of bookings in consolidation mode), and the layout
// chosen by data type and field 011. The framing texts are GenericFrame's,
// the fields with a fixed meaning GenericFieldRules'.
#include <memory>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/text.h"
#include "output/safe_output.h"
#include "record/field_numbers.h"
#include "targets/common/consolidation.h"
#include "targets/generic/generic_field_rules.h"
#include "targets/generic/generic_frame.h"
#include "targets/writer.h"

namespace zeko {

namespace {

class GenericWriter final : public Writer {
 public:
  explicit GenericWriter(const RunInfo& run)
      : Writer(run),
        s_(run.settings),
        frame_(run.settings),
        groups_(run.consolidation != 0),
        rules_(run.settings, groups_),
        value_(run.settings),
        line_(frame_.LineRoom()) {
    SelectLayout(DataTypeNumber(run.dataType));
  }

  std::vector<DeclaredOutput> Outputs() const override;
  void Open(Sinks& out) override;
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks& out) override;

 private:
  // BuildLine's frame: each row's value through value_, placed with its
  // framing texts.
  struct Fields {
    GenericWriter& writer;
    char* pos;

    std::size_t room() const { return writer.value_.room(); }
    char* Load(const MapEntry& row, const Record& record) {
      writer.value_.Load(row.field, record);
      return writer.value_.data();
    }
    void Place(const MapEntry& row, char*, const Record&, bool last) {
      // A rule may have moved the value to a larger buffer.
      pos = writer.frame_.WriteGenericField(pos, row, writer.value_.data(), last);
    }
  };

  // Builds the record in line_; true when a rule dropped it. Flattened: the
  // work of each field (frame, conversion, rules, inline in their headers)
  // is compiled into its loop, which spares three calls per field, some six
  // percent of a run's instructions.
  [[gnu::flatten]] bool BuildGenericRecord(const Record& record);
  void SelectLayout(int list);

  const Settings& s_;
  MapTable layout_;
  GenericFrame frame_;
  Consolidation groups_;
  GenericFieldRules rules_;
  GenericValue value_;
  std::vector<char> line_;  // the record being built
  std::size_t recordLength_ = 0;
  // Consolidation: a group has been started. The first record always
  // starts one.
  bool recordPending_ = false;
};

}  // namespace

void GenericWriter::SelectLayout(int list) {
  // Other numbers name no layout: the current one stays.
  if (list < 0 || list >= static_cast<int>(s_.fieldLists.size())) return;
  layout_ = MapTable(s_.fieldLists[static_cast<std::size_t>(list)].rows);
}

// Without APPEND the file starts over, as if removed and created anew.
std::vector<DeclaredOutput> GenericWriter::Outputs() const {
  return {Output(run_.outputPath, s_.append != 0 ? OutputMode::kAppend : OutputMode::kReplace,
                 Framing::kRaw, Counting::kByWriter, s_.oemCharset)};
}

void GenericWriter::Open(Sinks& out) {
  if (!empty(s_.genericFileHeader.c_str())) {
    std::string header = s_.genericFileHeader + s_.genericRecSep;
    out[0].Put(header);
  }
}

void GenericWriter::Write(const Record& record, Sinks& out) {
  LineSink& sink = out[0];
  const char* layoutNumber = record.Value(fld::kLayoutNumber);
  if (*layoutNumber) {
    const int n = FieldInt(fld::kLayoutNumber, layoutNumber);
    if (n >= 1 && n <= 5) SelectLayout(n);
  }

  // The first record always opens a group, even with both keys empty, so
  // that its group is written when the next one starts. A group none of
  // whose records was accepted holds no current record.
  if (groups_.NewGroup(record) || (groups_.on() && !recordPending_)) {
    if (groups_.TakeHeld() && groups_.running(0) != 0.0) {
      sink.Put(groups_.Held(0));
      sink.Tally();
    }
    recordPending_ = true;
    groups_.ResetAmounts();
  }

  if (BuildGenericRecord(record)) return;

  if (groups_.on()) {
    groups_.Keep(0, line_.data(), recordLength_);
    groups_.HoldRecord();
    return;
  }
  sink.Put(line_.data(), recordLength_);
  groups_.RecordWritten();
  sink.Tally();
}

void GenericWriter::Close(Sinks& out) {
  if (groups_.TakeHeldAtClose() && groups_.running(0) != 0.0) {
    out[0].Put(groups_.Held(0));
    out[0].Tally();
  }
}

bool GenericWriter::BuildGenericRecord(const Record& record) {
  char* pos = frame_.RecordHead(line_.data());
  rules_.GenericPrescan(layout_, record, value_);
  Fields fields{*this, pos};
  const bool drop =
      BuildLine(layout_, record, fields, [this, &record](std::uint32_t field, char*, std::size_t) {
        return rules_.GenericFieldHook(field, record, value_);
      });
  // A dropped record still gets its separator: its length is never used.
  pos = frame_.RecordEnd(fields.pos);
  recordLength_ = static_cast<std::size_t>(pos - line_.data());
  return drop;
}

std::unique_ptr<Writer> MakeGenericWriter(const RunInfo& run) {
  return std::make_unique<GenericWriter>(run);
}

}  // namespace zeko
