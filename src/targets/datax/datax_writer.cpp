// DATAX writer: invoice bookings as fixed-length records, CR LF ended,
// always appended to the file that the target system collects.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"
#include "targets/datax/datax_layouts.h"
#include "targets/writer.h"

namespace zeko {
namespace {

using ValueBuffer = std::array<char, kValueRoom>;

// Copies text into a value buffer, cut to what the buffer holds.
void CopyValue(ValueBuffer& target, std::string_view text) {
  std::size_t n = std::min(text.size(), target.size() - 1);
  std::memcpy(target.data(), text.data(), n);
  target[n] = '\0';
}

// printf("%lf", x), with the rounding kept independent of the C library.
void PrintLf(char* out, double x) { FormatFixed(out, x, 0, 6); }

// printf("%d", n).
void PrintD(char* out, int n) {
  auto [end, ec] = std::to_chars(out, out + 16, n);
  (void)ec;  // 16 characters always hold an int
  *end = '\0';
}

// Two digits of the six-digit terms code from 0-based index on; characters
// beyond the end of the code read as 0.
int CodeDigits(const char* code, std::size_t index) {
  return index < std::strlen(code) ? ParseFixedInt(code + index, 2) : 0;
}

class DataxWriter final : public Writer {
 public:
  explicit DataxWriter(const RunInfo& run) : Writer(run), release_(run.settings.release) {
    if (!Serves()) return;
    table_ = datax::Layout(release_);
    plan_ = LinePlan(table_, Adjusts);
    recordLength_ = datax::RecordBytes(table_);
    // ConvertField may write up to FieldRoom bytes at a field's start, which
    // for the narrow rows at the end reaches past the record.
    std::size_t room = recordLength_;
    std::size_t pos = 0;
    for (const MapEntry& row : table_) {
      room = std::max(room, pos + FieldRoom(row));
      pos += row.length;
    }
    record_.assign(room, ' ');
  }

  std::vector<DeclaredOutput> Outputs() const override;
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks&) override {}

 private:
  // True when the record is to be skipped.
  bool BuildRecord(const Record& record);
  static bool Adjusts(std::uint32_t field);
  bool AdjustField(std::uint32_t field, char* text, std::size_t room, const Record& record);
  void AdjustTerms(std::uint32_t field, char* text, const Record& record);

  // Only outgoing and incoming invoices have a DATAX record; the other
  // kinds of data bind the writer and produce no file.
  bool Serves() const { return run_.dataType == DataType::kOutgoingInvoices || Incoming(); }
  bool Incoming() const { return run_.dataType == DataType::kIncomingInvoices; }

  const int release_;
  MapTable table_;
  LinePlan plan_;
  std::size_t recordLength_ = 0;
  std::vector<char> record_;
  ValueBuffer value_{};

  // Payment terms of the record being built: set in the terms-text row (or
  // the terms-code row of the layouts that have one), read by the rows
  // after it. Each record sets them afresh before they are read.
  ValueBuffer termsText_{};
  ValueBuffer termsCode_{};
  bool termsFromText_ = false;

  // The file is never written in place: a run that fails part-way leaves
  // the earlier runs' records exactly as they were.
};

// The target system collects records over many runs: the file is always
// appended to, whatever APPEND says.
std::vector<DeclaredOutput> DataxWriter::Outputs() const {
  if (!Serves()) return {};
  return {Output(run_.outputPath, OutputMode::kAppend, Framing::kRaw, Counting::kLines,
                 run_.settings.oemCharset)};
}

void DataxWriter::Write(const Record& record, Sinks& out) {
  if (!Serves()) return;
  if (BuildRecord(record)) return;
  char* line = record_.data();
  line[recordLength_ - 2] = '\r';
  line[recordLength_ - 1] = '\n';
  out[0].Put(line, recordLength_);
}

// Builds the record row by row; true when it is to be skipped. The rows
// cover every byte, so the buffer is not cleared first.
bool DataxWriter::BuildRecord(const Record& record) {
  return BuildLine(plan_, record, record_, value_,
                   [this, &record](std::uint32_t field, char* text, std::size_t room) {
                     return AdjustField(field, text, room, record);
                   });
}

// The fields that AdjustField rewrites or reads; the others are converted
// as they stand.
bool DataxWriter::Adjusts(std::uint32_t field) {
  switch (field) {
    case fld::kDocumentNumber:
    case fld::kDocumentNumber2:
    case fld::kMandant:
    case fld::kAnwender:
    case fld::kAmount:
    case fld::kTaxCode:
    case fld::kTermsText:
    case fld::kTermsCode:
    case fld::kTermsPercent:
    case fld::kTermsDiscountDays:
    case fld::kTermsNetDays: return true;
    default: return false;
  }
}

// Rewrites a field's value before conversion; true skips the record.
bool DataxWriter::AdjustField(std::uint32_t field, char* text, std::size_t room,
                              const Record& record) {
  switch (field) {
    case fld::kDocumentNumber:
    case fld::kDocumentNumber2: {
      // Release 5 has both document-number fields; each fills in the other.
      if (release_ != 5 || !empty(text)) break;
      const std::string_view other =
          record.Text(field == fld::kDocumentNumber ? fld::kDocumentNumber2 : fld::kDocumentNumber);
      if (!other.empty()) ReplaceValue(text, room, other);
      break;
    }
    case fld::kMandant: ReplaceValue(text, room, run_.settings.mandant); break;
    case fld::kAnwender: ReplaceValue(text, room, run_.settings.anwender); break;
    case fld::kAmount: {
      if (release_ == 5) break;  // release 5 takes every amount as it is
      const double amount = FieldNumber(fld::kAmount, text);
      if (Incoming()) PrintLf(text, -amount);
      if (amount == 0) return true;
      break;
    }
    case fld::kTaxCode:
      if (Incoming()) PrintLf(text, FieldNumber(fld::kTaxCode, text) + 10);
      break;
    case fld::kTermsText:
    case fld::kTermsCode:
    case fld::kTermsPercent:
    case fld::kTermsDiscountDays:
    case fld::kTermsNetDays: AdjustTerms(field, text, record); break;
    default: break;
  }
  return false;
}

// Payment terms come either from a text like "N30 S10 P2.5" (net days,
// cash-discount days, percent) or from a six-digit code SSPPNN (days,
// percent times ten, net days).
void DataxWriter::AdjustTerms(std::uint32_t field, char* text, const Record& record) {
  switch (field) {
    case fld::kTermsText:
      termsFromText_ = *text != '\0';
      if (termsFromText_) {
        CopyValue(termsText_, text);
      } else {
        const std::string_view code = record.Text(fld::kTermsCode);
        CopyValue(termsCode_, code.empty() ? std::string_view("000000") : code);
      }
      break;
    case fld::kTermsCode: CopyValue(termsCode_, text); break;
    case fld::kTermsPercent:
      // The code's percent digits are read as a whole number; a real
      // division keeps the tenth (25 is 2.5 percent).
      PrintLf(text, termsFromText_ ? ReadTaggedReal(termsText_.data())
                                   : CodeDigits(termsCode_.data(), 2) / 10.0);
      break;
    case fld::kTermsDiscountDays:
      PrintD(text, termsFromText_ ? ReadTaggedInt(termsText_.data(), 'S')
                                  : CodeDigits(termsCode_.data(), 0));
      break;
    case fld::kTermsNetDays:
      PrintD(text, termsFromText_ ? ReadTaggedInt(termsText_.data(), 'N')
                                  : CodeDigits(termsCode_.data(), 4));
      break;
    default: break;
  }
}

}  // namespace

std::unique_ptr<Writer> MakeDataxWriter(const RunInfo& run) {
  return std::make_unique<DataxWriter>(run);
}

}  // namespace zeko
