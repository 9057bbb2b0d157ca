// LEDAX: fixed-width lines for the LEDA-X bookkeeping system; bookings give a
// booking line for the first file and a supplement line for the second.
#include <array>
#include <cmath>
#include <memory>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/platform.h"
#include "record/field_numbers.h"
#include "targets/common/consolidation.h"
#include "targets/common/field_rules.h"
#include "targets/ledax/ledax_layouts.h"
#include "targets/writer.h"

namespace zeko {

namespace {

static_assert(FitsLineRoom(ledax::kBooking));
static_assert(FitsLineRoom(ledax::kSupplement));
static_assert(FitsLineRoom(ledax::kDebtor));
static_assert(FitsLineRoom(ledax::kCreditor));

constexpr const char* kOpenFailed = "Fehler öffnen Ausgabedatei LEDA-X";

class LedaxWriter final : public Writer {
 public:
  LedaxWriter(const RunInfo& run, MapTable address)
      : Writer(run), address_(address), groups_(run.consolidation != 0) {}

  // The second file (the part of NAMEn after a comma) takes the supplement
  // lines of bookings.
  std::vector<DeclaredOutput> Outputs() const override {
    std::vector<DeclaredOutput> outputs{Collecting(run_.outputPath, kOpenFailed)};
    if (!run_.outputPath2.empty()) outputs.push_back(Collecting(run_.outputPath2, kOpenFailed));
    return outputs;
  }

  void Write(const Record& record, Sinks& out) override {
    if (IsBooking()) {
      ProcessBooking(record, out[0], Second(out));
    } else if (IsAddressData(run_.dataType)) {
      ProcessAddress(record, out[0]);
    }
  }

  void Close(Sinks& out) override {
    // Both held lines belong to the same bookings, so they are current
    // together; for address data the second slot never holds a line.
    const bool flush = groups_.TakeHeldAtClose();
    if (flush) out[0].Put(groups_.Held(0));
    if (Second(out) && flush && IsBooking()) Second(out)->Put(groups_.Held(1));
  }

 private:
  static LineSink* Second(Sinks& out) { return out.size() > 1 ? &out[1] : nullptr; }

  void ProcessBooking(const Record& record, LineSink& sink, LineSink* sink2) {
    if (groups_.BeginRecord(record)) {
      sink.Put(groups_.Held(0));
      if (sink2) sink2->Put(groups_.Held(1));
    }
    if (BuildBooking(record)) {
      groups_.DropRecord();
      return;
    }
    if (groups_.on()) {
      groups_.Keep(0, line_.data());
      if (sink2) groups_.Keep(1, line2_.data());
      groups_.HoldRecord();
    } else {
      sink.PutText(line_.data());
      if (sink2) sink2->PutText(line2_.data());
      groups_.RecordWritten();
    }
    sink.Tally();
  }

  // Address data has no groups: in consolidation mode every line replaces
  // the held one and only the last reaches the file, at Close. Nothing is
  // built for the second file, so it receives no lines.
  void ProcessAddress(const Record& record, LineSink& sink) {
    Build(address_, record, line_);
    if (groups_.on()) {
      groups_.Keep(0, line_.data());
      groups_.HoldRecord();
    } else {
      sink.PutText(line_.data());
    }
    sink.Tally();
  }

  bool IsBooking() const { return IsBookingData(run_.dataType); }

  // True when the running amount is zero (no lines).
  bool BuildBooking(const Record& record) {
    if (Build(ledax::kBooking, record, line_)) return true;
    return Build(ledax::kSupplement, record, line2_);
  }

  // True when the line was stopped by a zero running amount.
  bool Build(MapTable layout, const Record& record, std::array<char, kLineRoom>& line) {
    return BuildLine(layout, record, line, value_,
                     [this](std::uint32_t field, char* value, std::size_t room) {
                       return AdjustField(field, value, room);
                     });
  }

  bool AdjustField(std::uint32_t field, char* value, std::size_t room) {
    switch (field) {
      case fld::kMandant: ReplaceValue(value, room, run_.settings.mandant.c_str()); return false;
      case fld::kAmount: {
        // The amount row shows the group's running total, without sign.
        const double total = std::fabs(groups_.AddAmount(value));
        FormatFixed(value, total, 0, 6);
        return total == 0.0;
      }
      case fld::kCurrencyCode: {
        const char* start = value;
        while (*start == ' ') ++start;
        ReplaceValue(value, room, start);
        return false;
      }
      case fld::kCity: SplitNumberOff(value, postcode_); return false;
      case fld::kPostcode: ReplaceValue(value, room, postcode_.data()); return false;
      default: return false;
    }
  }

  MapTable address_;
  Consolidation groups_;
  std::array<char, kLineRoom> line_{};
  std::array<char, kLineRoom> line2_{};
  std::array<char, kValueRoom> value_{};
  // Carries the postcode from row 220 to row 217 of the same record; kept
  // whole, as long as the host gives it.
  std::array<char, kValueRoom> postcode_{};
};

}  // namespace

std::unique_ptr<Writer> MakeLedaxWriter(const RunInfo& run) {
  MapTable address;
  if (run.dataType == DataType::kCustomerAddresses) address = ledax::kDebtor;
  if (run.dataType == DataType::kSupplierAddresses) address = ledax::kCreditor;
  return std::make_unique<LedaxWriter>(run, address);
}

}  // namespace zeko
