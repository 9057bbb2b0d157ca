// PCREWE: fixed-width lines for the REWE-FIBU bookkeeping system.
#include <array>
#include <memory>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/platform.h"
#include "record/field_numbers.h"
#include "targets/common/consolidation.h"
#include "targets/common/field_rules.h"
#include "targets/pcrewe/pcrewe_layouts.h"
#include "targets/writer.h"

namespace zeko {

namespace {

static_assert(FitsLineRoom(pcrewe::kBooking));
static_assert(FitsLineRoom(pcrewe::kBookingRelease2));
static_assert(FitsLineRoom(pcrewe::kAddress));

class PcreweWriter final : public Writer {
 public:
  PcreweWriter(const RunInfo& run, MapTable layout)
      : Writer(run), layout_(layout), groups_(run.consolidation != 0) {}

  std::vector<DeclaredOutput> Outputs() const override {
    return {Collecting(run_.outputPath, "Fehler öffnen Ausgabedatei REWE-FIBU")};
  }

  void Write(const Record& record, Sinks& out) override {
    if (run_.dataType == DataType::kNone) return;
    if (groups_.BeginRecord(record)) out[0].Put(groups_.Held(0));
    if (BuildRecord(record)) {
      groups_.DropRecord();
      return;
    }
    groups_.Offer(out[0], line_.data());
    out[0].Tally();
  }

  void Close(Sinks& out) override {
    if (groups_.TakeHeldAtClose()) out[0].Put(groups_.Held(0));
  }

 private:
  // True when the record's running amount is zero (no line).
  bool BuildRecord(const Record& record) {
    return BuildLine(layout_, record, line_, value_,
                     [this](std::uint32_t field, char* value, std::size_t room) {
                       return AdjustField(field, value, room);
                     });
  }

  bool AdjustField(std::uint32_t field, char* value, std::size_t room) {
    switch (field) {
      case fld::kAmount: {
        // The amount row shows the running total, printed as "%lf" does.
        const double total = groups_.AddAmount(value);
        FormatFixed(value, total, 0, 6);
        return total == 0.0;
      }
      // The texts are kept whole, however long.
      case fld::kPostcode: {
        // A town without a postcode in front has none: the postcode row
        // (a number) stays empty, which prints as zeros.
        const bool postcode = PostcodeBlank(value) != nullptr;
        SplitTownOff(value, city_);
        if (!postcode) value[0] = '\0';
        return false;
      }
      case fld::kCity: ReplaceValue(value, room, city_.data()); return false;
      default: return false;
    }
  }

  MapTable layout_;
  Consolidation groups_;
  std::array<char, kLineRoom> line_{};
  std::array<char, kValueRoom> value_{};
  // Carries the city from row 217 to row 220 of the same record.
  std::array<char, kValueRoom> city_{};
};

}  // namespace

std::unique_ptr<Writer> MakePcreweWriter(const RunInfo& run) {
  MapTable layout;  // empty: nothing to write for other data types
  if (IsBookingData(run.dataType))
    layout =
        run.settings.release == 2 ? MapTable(pcrewe::kBookingRelease2) : MapTable(pcrewe::kBooking);
  if (IsAddressData(run.dataType)) layout = pcrewe::kAddress;
  return std::make_unique<PcreweWriter>(run, layout);
}

}  // namespace zeko
