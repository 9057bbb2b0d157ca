// HS3 writer: booking and address lines in a file that the target system
// collects over many runs. A new file starts with a header line naming the
// kind of data; every run appends its lines at the very end of the file
// (behind the earlier runs' trailer and 0x1A byte) and closes with a trailer
// line and a 0x1A byte of its own.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "convert/convert.h"
#include "lib/error.h"
#include "lib/platform.h"
#include "output/safe_output.h"
#include "record/field_numbers.h"
#include "targets/common/consolidation.h"
#include "targets/common/field_rules.h"
#include "targets/common/hs_fields.h"
#include "targets/hs3/hs3_layouts.h"
#include "targets/writer.h"

namespace zeko {
namespace {

static_assert(RecordLength(hs3::kAddressLine1) + 11 <= kLineRoom);
static_assert(RecordLength(hs3::kBookingLayout38) + 11 <= kLineRoom);

// Terms values come from the input itself from this release on.
constexpr int kTermsFromInputRelease = 41;
// The booking layout with the second amount and the currency code.
constexpr int kCurrencyLayoutRelease = 38;

const char* const kOpenError = "Fehler öffnen Ausgabedatei HS-FIBU";

class Hs3Writer final : public Writer {
 public:
  explicit Hs3Writer(const RunInfo& run)
      : Writer(run),
        termsFromInput_(run.settings.release >= kTermsFromInputRelease),
        shared_(run.dataType),
        groups_(run.consolidation != 0) {
    bookings_ = IsBookingData(run.dataType);
    addresses_ = IsAddressData(run.dataType);
    if (bookings_)
      bookingLayout_ = run.settings.release >= kCurrencyLayoutRelease
                           ? MapTable(hs3::kBookingLayout38)
                           : MapTable(hs3::kBookingLayout);
  }

  void Open(const RunInfo& run) override;
  void Write(const Record& record) override;
  void Close() override;

 private:
  void ProcessBooking(const Record& record);
  void ProcessAddress(const Record& record);
  // Builds the line of `layout` into line_; false when a field skips it.
  bool BuildRecord(MapTable layout, const Record& record);
  // True when the line is to be skipped.
  bool AdjustField(std::uint32_t field, char* value, const Record& record);
  bool AdjustAmount(int amount, char* value);
  // Builds and writes one address line; true when it was written.
  bool WriteAddressLine(MapTable layout, const Record& record);
  std::string HeaderLine(char digit) const;
  void NoteOptionalLines(const Record& record);

  const bool termsFromInput_;
  bool bookings_ = false;
  bool addresses_ = false;
  MapTable bookingLayout_;
  hs::SharedRows shared_;

  // Per-record values handed from one row to a later one.
  std::array<char, kValueRoom> rest220_{};  // field 220 after the split in row 217

  bool with295_ = false;
  bool with296_ = false;

  // Consolidation of consecutive bookings with equal accounts. Until a key
  // change has started a group, no group is written at a key change.
  Consolidation groups_;
  bool groupStarted_ = false;

  std::array<char, kValueRoom> work_{};
  std::array<char, kLineRoom> line_{};
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

void Hs3Writer::Open(const RunInfo& run) {
  NoteOptionalLines(run.first);
  if (!bookings_ && !addresses_) return;
  sink_.Configure(LineSink::Framing::kTextLine, LineSink::Counting::kByWriter,
                  run_.settings.oemCharset);
  if (sink_.OpenInPlace(run_.outputPath, kOpenError,
                        "Fehler beim öffnen Outputdatei " + run_.outputPath,
                        [](std::FILE*, std::int64_t size) { return size; })) {
    shared_.FileExists();
  } else {
    sink_.PutRaw(HeaderLine(bookings_ ? '3' : '2'));
  }
}

void Hs3Writer::Write(const Record& record) {
  NoteOptionalLines(record);
  if (bookings_) ProcessBooking(record);
  if (addresses_) ProcessAddress(record);
  return;
}

void Hs3Writer::ProcessBooking(const Record& record) {
  if (groups_.NewGroup(record)) {
    if (groups_.TakeHeld() && groupStarted_) sink_.Put(groups_.Held(0));
    groupStarted_ = true;
    groups_.ResetAmounts();
  }
  if (!BuildRecord(bookingLayout_, record)) return;
  groups_.Offer(sink_, line_.data());
  // A group whose amounts cancel out is not written at all.
  if (groups_.running(0) == 0 && groups_.running(1) == 0) groups_.DropRecord();
  sink_.Tally();
}

void Hs3Writer::ProcessAddress(const Record& record) {
  if (WriteAddressLine(hs3::kAddressLine1, record)) sink_.Tally();
  WriteAddressLine(hs3::kAddressLine2, record);
  WriteAddressLine(hs3::kAddressLine7, record);
  WriteAddressLine(hs3::kAddressLine8, record);
  if (with295_) WriteAddressLine(hs3::kAddressLine3, record);
  if (with296_) WriteAddressLine(hs3::kAddressLine4, record);
}

bool Hs3Writer::WriteAddressLine(MapTable layout, const Record& record) {
  if (!BuildRecord(layout, record)) return false;
  sink_.PutText(line_.data());
  return true;
}

void Hs3Writer::Close() {
  if (!bookings_ && !addresses_) return;
  if (groups_.TakeHeldAtClose()) sink_.Put(groups_.Held(0));
  sink_.PutRaw(HeaderLine(' '));
  sink_.PutRaw("\x1A");
  sink_.Commit();
  return;
}

bool Hs3Writer::BuildRecord(MapTable layout, const Record& record) {
  char* at = line_.data();
  for (const MapEntry& row : layout) {
    // Row 217 cuts its value off field 220.
    int source = row.field == 217 ? 220 : int(row.field);
    hs::CopyText(work_.data(), record.Value(source));
    if (AdjustField(row.field, work_.data(), record)) return false;
    ConvertField(at, row, work_.data(), record);
    at += row.length;
  }
  return true;
}

bool Hs3Writer::AdjustAmount(int amount, char* value) {
  const double total = groups_.AddAmount(value, amount);
  if (!groups_.on() && total == 0) return true;
  shared_.SetNegative(total < 0);
  FormatFixed(value, std::fabs(total), 0, 6);  // "%lf"
  return false;
}

bool Hs3Writer::AdjustField(std::uint32_t field, char* value, const Record& record) {
  if (shared_.Adjust(field, value, record, run_, !termsFromInput_)) return false;
  switch (field) {
    case fld::kAmount: return AdjustAmount(0, value);
    case fld::kAmount2: return AdjustAmount(1, value);
    case fld::kCurrencyCode:
      if (const std::string* code = CurrencyCode(record, run_.settings))
        hs::CopyText(value, code->c_str());
      break;
    case fld::kPostcode:
      // Without a postcode both fields show the whole text.
      if (char* blank = PostcodeBlank(value)) {
        hs::CopyText(rest220_.data(), blank + 1);
        *blank = '\0';
      } else {
        hs::CopyText(rest220_.data(), value);
      }
      break;
    case fld::kCity: hs::CopyText(value, rest220_.data()); break;
    case fld::kYesNo235:
      if (value[0] != '\0') {
        int n = AtoI(value);
        if (n == 0) hs::CopyText(value, "N");
        if (n == 1) hs::CopyText(value, "J");
      }
      break;
    case fld::kAddressLine290:
      if ((run_.dataType == 2 || run_.dataType == 4) && empty(value)) return true;
      break;
    case fld::kKind294:
      if (value[0] != '\0') {
        int n = AtoI(value);
        if (n == 0) hs::CopyText(value, "K");
        if (n == 1) hs::CopyText(value, "E");
        if (n == 2) hs::CopyText(value, "A");
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
