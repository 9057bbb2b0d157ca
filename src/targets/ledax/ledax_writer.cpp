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

static_assert(FitsLineRoom(kLedaxBooking));
static_assert(FitsLineRoom(kLedaxSupplement));
static_assert(FitsLineRoom(kLedaxDebtor));
static_assert(FitsLineRoom(kLedaxCreditor));

constexpr const char* kOpenFailed = "Fehler öffnen Ausgabedatei LEDA-X";

class LedaxWriter final : public Writer {
 public:
  LedaxWriter(const RunInfo& run, MapTable address)
      : Writer(run), address_(address), groups_(run.consolidation != 0) {}

  void Open(const RunInfo&) override {
    const bool append = run_.settings.append != 0;
    sink_.Configure(LineSink::Framing::kTextLine, LineSink::Counting::kByWriter,
                    run_.settings.oemCharset);
    sink_.OpenCollecting(run_.outputPath, append, kOpenFailed);
    if (!run_.outputPath2.empty()) {
      sink2_.Configure(LineSink::Framing::kTextLine, LineSink::Counting::kByWriter,
                       run_.settings.oemCharset);
      sink2_.OpenCollecting(run_.outputPath2, append, kOpenFailed);
    }
  }

  void Write(const Record& record) override {
    if (IsBooking()) {
      ProcessBooking(record);
    } else if (IsAddressData(run_.dataType)) {
      ProcessAddress(record);
    }
  }

  void Close() override {
    // Both held lines belong to the same bookings, so they are current
    // together; for address data the second slot never holds a line.
    const bool flush = groups_.TakeHeldAtClose();
    if (flush) sink_.Put(groups_.Held(0));
    if (sink2_.open() && flush && IsBooking()) sink2_.Put(groups_.Held(1));
    // The two files belong together: both are complete on the disk before
    // either takes its place.
    sink_.Finish();
    sink2_.Finish();
    sink_.Commit();
    sink2_.Commit();
  }

 private:
  void ProcessBooking(const Record& record) {
    if (groups_.BeginRecord(record)) {
      sink_.Put(groups_.Held(0));
      if (sink2_.open()) sink2_.Put(groups_.Held(1));
    }
    if (BuildBooking(record)) {
      groups_.DropRecord();
      return;
    }
    if (groups_.on()) {
      groups_.Keep(0, line_.data());
      if (sink2_.open()) groups_.Keep(1, line2_.data());
      groups_.HoldRecord();
    } else {
      sink_.PutText(line_.data());
      if (sink2_.open()) sink2_.PutText(line2_.data());
      groups_.RecordWritten();
    }
    sink_.Tally();
  }

  // Address data has no groups: in consolidation mode every line replaces
  // the held one and only the last reaches the file, at Close. Nothing is
  // built for the second file, so it receives no lines.
  void ProcessAddress(const Record& record) {
    Build(address_, record, line_);
    if (groups_.on()) {
      groups_.Keep(0, line_.data());
      groups_.HoldRecord();
    } else {
      sink_.PutText(line_.data());
    }
    sink_.Tally();
  }

  bool IsBooking() const { return IsBookingData(run_.dataType); }

  // True when the running amount is zero (no lines).
  bool BuildBooking(const Record& record) {
    if (Build(kLedaxBooking, record, line_)) return true;
    return Build(kLedaxSupplement, record, line2_);
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
  LineSink sink2_;  // the supplement lines, when NAMEn names a second file
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
  if (run.dataType == 2) address = kLedaxDebtor;
  if (run.dataType == 4) address = kLedaxCreditor;
  return std::make_unique<LedaxWriter>(run, address);
}

}  // namespace zeko
