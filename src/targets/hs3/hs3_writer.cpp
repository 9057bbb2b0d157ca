// HS3 writer: booking and address lines in a file that the target system
// collects over many runs. A new file starts with a header line naming the
// kind of data; every run appends its lines at the very end of the file
// (behind the earlier runs' trailer and 0x1A byte) and closes with a trailer
// line and a 0x1A byte of its own.
#include <array>
#include <cstdint>
#include <string>

#include "record/field_numbers.h"
#include "targets/common/field_rules.h"
#include "targets/common/hs_fields.h"
#include "targets/hs3/hs3_layouts.h"
#include "targets/writer.h"

namespace zeko {
namespace {

static_assert(FitsLineRoom(hs3::kAddressLine1) && FitsLineRoom(hs3::kBookingLayout38));

// Terms values come from the input itself from this release on.
constexpr int kTermsFromInputRelease = 41;
// The booking layout with the second amount and the currency code.
constexpr int kCurrencyLayoutRelease = 38;

class Hs3Writer final : public hs::HsWriterBase {
 public:
  explicit Hs3Writer(const RunInfo& run)
      : HsWriterBase(run), termsFromInput_(run.settings.release >= kTermsFromInputRelease) {
    bookings_ = IsBookingData(run.dataType);
    addresses_ = IsAddressData(run.dataType);
    if (bookings_)
      bookingLayout_ = run.settings.release >= kCurrencyLayoutRelease
                           ? MapTable(hs3::kBookingLayout38)
                           : MapTable(hs3::kBookingLayout);
  }

  std::vector<DeclaredOutput> Outputs() const override;
  void Open(Sinks& out) override;
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks& out) override;

 private:
  void ProcessBooking(const Record& record, LineSink& out);
  void ProcessAddress(const Record& record, LineSink& out);
  // Builds the line of `layout` into line_; false when a field skips it.
  bool Build(MapTable layout, const Record& record);
  // True when the line is to be skipped.
  bool AdjustField(std::uint32_t field, char* value, const Record& record);
  // Builds and writes one address line; true when it was written.
  bool WriteAddressLine(MapTable layout, const Record& record, LineSink& out);
  std::string HeaderLine(char digit) const;
  void NoteOptionalLines(const Record& record);

  const bool termsFromInput_;
  bool bookings_ = false;
  bool addresses_ = false;
  MapTable bookingLayout_;
  // Field 220 after the split in row 217, for row 220.
  std::array<char, kValueRoom> rest220_{};
  bool with295_ = false;
  bool with296_ = false;
  // Until a key change has started a group, no group is written at a key
  // change.
  bool groupStarted_ = false;
};

std::string Hs3Writer::HeaderLine(char digit) const {
  std::string line(5 + hs3::kHeaderBlanks + 1, ' ');
  line.replace(0, 4, "I  $");
  line[4] = digit;
  line.back() = '\n';
  return line;
}

// Address lines 3 and 4 are written from the first record that carries
// field 295 (296) on, even when a later record lacks it; the record read
// for the binding counts too.
void Hs3Writer::NoteOptionalLines(const Record& record) {
  for (const FieldGroup& g : record.groups()) {
    if (g.number == fld::kAddressLine295) with295_ = true;
    if (g.number == fld::kAddressLine296) with296_ = true;
  }
}

// Appended to; a new file starts with its header line.
std::vector<DeclaredOutput> Hs3Writer::Outputs() const {
  if (!bookings_ && !addresses_) return {};
  return {InPlaceOutput("Fehler öffnen Ausgabedatei HS-FIBU",
                        [](std::FILE*, std::int64_t size) { return size; })};
}

void Hs3Writer::Open(Sinks& out) {
  NoteOptionalLines(run_.first);
  if (!bookings_ && !addresses_) return;
  NoteExisting(out[0]);
  if (!out[0].existed()) out[0].PutRaw(HeaderLine(bookings_ ? '3' : '2'));
}

void Hs3Writer::Write(const Record& record, Sinks& out) {
  NoteOptionalLines(record);
  if (bookings_) ProcessBooking(record, out[0]);
  if (addresses_) ProcessAddress(record, out[0]);
}

void Hs3Writer::ProcessBooking(const Record& record, LineSink& out) {
  if (groups_.NewGroup(record)) {
    if (groups_.TakeHeld() && groupStarted_) out.Put(groups_.Held(0));
    groupStarted_ = true;
    groups_.ResetAmounts();
  }
  if (!Build(bookingLayout_, record)) return;
  groups_.Offer(out, line_.data());
  // A group whose amounts cancel out is not written at all.
  if (groups_.running(0) == 0 && groups_.running(1) == 0) groups_.DropRecord();
  out.Tally();
}

void Hs3Writer::ProcessAddress(const Record& record, LineSink& out) {
  if (WriteAddressLine(hs3::kAddressLine1, record, out)) out.Tally();
  WriteAddressLine(hs3::kAddressLine2, record, out);
  WriteAddressLine(hs3::kAddressLine7, record, out);
  WriteAddressLine(hs3::kAddressLine8, record, out);
  if (with295_) WriteAddressLine(hs3::kAddressLine3, record, out);
  if (with296_) WriteAddressLine(hs3::kAddressLine4, record, out);
}

bool Hs3Writer::WriteAddressLine(MapTable layout, const Record& record, LineSink& out) {
  if (!Build(layout, record)) return false;
  out.PutText(line_.data());
  return true;
}

void Hs3Writer::Close(Sinks& out) {
  if (!bookings_ && !addresses_) return;
  CloseOutput(out[0], HeaderLine(' '));
}

bool Hs3Writer::Build(MapTable layout, const Record& record) {
  return BuildRecord(layout, record, [&](std::uint32_t field, char* value, std::size_t) {
    return AdjustField(field, value, record);
  });
}

bool Hs3Writer::AdjustField(std::uint32_t field, char* value, const Record& record) {
  if (AdjustShared(field, value, record, !termsFromInput_)) return false;
  switch (field) {
    // Outside consolidation a booking without amount gives no line.
    case fld::kAmount: return RunningAmount(value, 0) == 0 && !groups_.on();
    case fld::kAmount2: return RunningAmount(value, 1) == 0 && !groups_.on();
    case fld::kCurrencyCode:
      if (const std::string* code = CurrencyCode(record, run_.settings))
        ReplaceValue(value, kValueRoom, code->c_str());
      break;
    case fld::kPostcode:
      // Row 217 cuts its value off field 220.
      ReplaceValue(value, kValueRoom, record.Value(fld::kCity));
      SplitTownOff(value, rest220_);
      break;
    case fld::kCity: ReplaceValue(value, kValueRoom, rest220_.data()); break;
    case fld::kYesNo235:
      if (value[0] != '\0') {
        int n = FieldInt(fld::kYesNo235, value);
        if (n == 0) ReplaceValue(value, kValueRoom, "N");
        if (n == 1) ReplaceValue(value, kValueRoom, "J");
      }
      break;
    case fld::kAddressLine290:
      if (IsAddressData(run_.dataType) && empty(value)) return true;
      break;
    case fld::kKind294:
      if (value[0] != '\0') {
        int n = FieldInt(fld::kKind294, value);
        if (n == 0) ReplaceValue(value, kValueRoom, "K");
        if (n == 1) ReplaceValue(value, kValueRoom, "E");
        if (n == 2) ReplaceValue(value, kValueRoom, "A");
      }
      break;
    default: break;
  }
  return false;
}

}  // namespace

std::unique_ptr<Writer> MakeHs3Writer(const RunInfo& run) {
  return std::make_unique<Hs3Writer>(run);
}

}  // namespace zeko
