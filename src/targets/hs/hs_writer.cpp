// HS writer: fixed-width booking or address lines in a file that the target
// system collects over many runs. The file ends in an end line beginning
// with "E"; each run puts its lines where that end line stood and closes
// with a new end line and a 0x1A byte.
#include <array>
#include <cstdint>
#include <string>

#include "lib/error.h"
#include "lib/messages.h"
#include "record/field_numbers.h"
#include "targets/common/field_rules.h"
#include "targets/common/hs_fields.h"
#include "targets/hs/hs_layouts.h"
#include "targets/writer.h"

namespace zeko {
namespace {

static_assert(FitsLineRoom(hs::kAddressLayout) && FitsLineRoom(hs::kBookingLayout));

// The target system reads the file as a text file whose lines hold at most
// 254 characters: a longer line counts as several, each of which may be
// taken for the end line. Reading stops at a 0x1A byte, and CR LF is one
// line end. Returns the byte offset of the first line that begins with "E",
// or -1 when there is none.
std::int64_t FindEndLine(std::FILE* file) {
  constexpr int kMaxLine = 254;
  std::rewind(file);
  std::int64_t offset = 0;
  for (;;) {
    std::int64_t start = offset;
    int count = 0;
    int first = EOF;
    bool atEnd = false;
    while (count < kMaxLine) {
      int c = std::getc(file);
      if (c == EOF || c == 0x1A) {
        atEnd = true;
        break;
      }
      ++offset;
      if (c == '\r') {
        int next = std::getc(file);
        if (next == '\n') {
          ++offset;
          c = '\n';
        } else if (next != EOF) {
          std::ungetc(next, file);
        }
      }
      if (count++ == 0) first = c;
      if (c == '\n') break;
    }
    if (count > 0 && first == 'E') return start;
    if (atEnd) return -1;
  }
}

class HsWriter final : public hs::HsWriterBase {
 public:
  explicit HsWriter(const RunInfo& run) : HsWriterBase(run) {
    if (IsBookingData(run.dataType)) {
      table_ = hs::kBookingLayout;
      endWidth_ = hs::kBookingEndWidth;
    } else if (IsAddressData(run.dataType)) {
      table_ = hs::kAddressLayout;
      endWidth_ = hs::kAddressEndWidth;
    }
  }

  std::vector<DeclaredOutput> Outputs() const override;
  void Open(Sinks& out) override {
    if (!table_.empty()) NoteExisting(out[0]);
  }
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks& out) override;

 private:
  void AdjustField(std::uint32_t field, char* value, const Record& record);

  // Empty for a DataType this target does not serve: nothing is written then.
  MapTable table_;
  int endWidth_ = 0;
  // The leading number of field 220, from row 220 to row 217.
  std::array<char, kValueRoom> splitOff_{};
};

std::vector<DeclaredOutput> HsWriter::Outputs() const {
  if (table_.empty()) return {};
  // Everything from the old end line on is written over. A new file starts
  // with its end line; this run's lines take its place at once, so the new
  // content simply starts empty.
  const std::string path = run_.outputPath;
  return {InPlaceOutput(
      "Fehler beim öffnen Ausgabedatei HS-FIBU", [path](std::FILE* file, std::int64_t) {
        const std::int64_t endLine = FindEndLine(file);
        if (endLine < 0)
          ErrorExitText(WithWhere("Keine Endekennung in HS-FIBU Ausgabedatei", path));
        return endLine;
      })};
}

void HsWriter::Write(const Record& record, Sinks& out) {
  if (table_.empty()) return;
  // Every line is built: a group is written at its end whatever its total.
  if (groups_.BeginRecord(record)) out[0].Put(groups_.Held(0));
  BuildRecord(table_, record, [&](std::uint32_t field, char* value, std::size_t) {
    AdjustField(field, value, record);
    return false;
  });
  groups_.Offer(out[0], line_.data());
  out[0].Tally();
}

void HsWriter::Close(Sinks& out) {
  if (table_.empty()) return;
  std::string endLine(std::size_t(endWidth_) + 2, ' ');
  endLine.front() = 'E';
  endLine.back() = '\n';
  CloseOutput(out[0], endLine);
}

void HsWriter::AdjustField(std::uint32_t field, char* value, const Record& record) {
  if (AdjustShared(field, value, record, true)) return;
  switch (field) {
    case fld::kAmount: RunningAmount(value); break;
    case fld::kCity: SplitNumberOff(value, splitOff_); break;
    case fld::kPostcode: ReplaceValue(value, kValueRoom, splitOff_.data()); break;
    default: break;
  }
}

}  // namespace

std::unique_ptr<Writer> MakeHsWriter(const RunInfo& run) { return std::make_unique<HsWriter>(run); }

}  // namespace zeko
