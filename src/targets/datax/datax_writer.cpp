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
#include "lib/platform.h"
#include "lib/text.h"
#include "run/context.h"
#include "run/fields.h"
#include "run/files.h"
#include "run/safe_output.h"
#include "targets/datax/datax_layouts.h"
#include "targets/setups.h"

namespace zeko {
namespace {

// A field value has at most 999 characters (three-digit length in the
// record format); FormatFixed needs at most 360 for a number.
constexpr std::size_t kValueRoom = 1024;
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

class DataxWriter final : public OutputWriter {
 public:
  DataxWriter(RunContext& ctx, int dataType);
  DataxWriter(const DataxWriter&) = delete;
  DataxWriter& operator=(const DataxWriter&) = delete;

  int Open() override { return DataxOpen(); }
  int Process() override { return DataxProcess(); }
  int Close() override { return DataxClose(); }

 private:
  int DataxOpen();
  int DataxProcess();
  int DataxClose();
  int DataxBuildRecord();
  int DataxAdjustField(std::uint32_t field, ValueBuffer& value);
  void AdjustTerms(std::uint32_t field, ValueBuffer& value);

  // Only outgoing and incoming invoices have a DATAX record; the other
  // kinds of data bind the writer and produce no file.
  bool Serves() const { return dataType_ == 1 || dataType_ == 3; }

  RunContext& ctx_;
  const int dataType_;
  const int release_;
  MapTable table_;
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
  SafeOutput file_;
  OutputStream* out_ = nullptr;
};

DataxWriter::DataxWriter(RunContext& ctx, int dataType)
    : ctx_(ctx), dataType_(dataType), release_(ctx.settings.release) {
  if (!Serves()) return;
  table_ = DataxLayout(release_);
  recordLength_ = DataxRecordLength(table_);
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

int DataxWriter::DataxOpen() {
  if (!Serves()) return 0;
  // The target system collects records over many runs: the file is always
  // appended to, whatever APPEND says. A missing file is created at once,
  // with the message of the appending opener when it cannot be.
  const std::string& path = ctx_.outputPath;
  out_ = &file_.Open(path, SafeOutput::Mode::kAppend, "Fehler beim öffnen Outputdatei " + path,
                     [&path] { CloseOutputFile(OpenAppendFile(path)); });
  ctx_.outputCount = 0;
  return 0;
}

int DataxWriter::DataxProcess() {
  if (!Serves()) return 0;
  if (DataxBuildRecord() != 0) return 0;
  char* record = record_.data();
  record[recordLength_ - 2] = '\r';
  record[recordLength_ - 1] = '\n';
  if (ctx_.settings.oemCharset) AnsiToOem(record, recordLength_ - 2);
  out_->WriteRaw(record, recordLength_);
  ++ctx_.outputCount;
  return 0;
}

int DataxWriter::DataxClose() {
  if (!Serves() || out_ == nullptr) return 0;
  out_ = nullptr;
  file_.Commit();
  return 0;
}

// Builds the record row by row; non-zero when it is to be skipped. The rows
// cover every byte, so the buffer is not cleared first.
int DataxWriter::DataxBuildRecord() {
  char* out = record_.data();
  for (const MapEntry& row : table_) {
    CopyValue(value_, ctx_.fields.Text(static_cast<int>(row.field)));
    if (DataxAdjustField(row.field, value_) != 0) return 1;
    ConvertField(out, row, value_.data(), ctx_.fields);
    out += row.length;
  }
  return 0;
}

// Rewrites a field's value before conversion; non-zero skips the record.
int DataxWriter::DataxAdjustField(std::uint32_t field, ValueBuffer& value) {
  char* text = value.data();
  switch (field) {
    case 100:
    case 153: {
      // Release 5 has both document-number fields; each fills in the other.
      if (release_ != 5 || !empty(text)) break;
      const std::string& other = ctx_.fields.Text(field == 100 ? 153 : 100);
      if (!other.empty()) CopyValue(value, other);
      break;
    }
    case 112:
      CopyValue(value, ctx_.settings.mandant);
      break;
    case 113:
      CopyValue(value, ctx_.settings.anwender);
      break;
    case 115:
      if (release_ == 5) break;  // release 5 takes every amount as it is
      if (dataType_ == 3) PrintLf(text, -AtoF(text));
      if (AtoF(text) == 0) return 1;
      break;
    case 125:
      if (dataType_ == 3) PrintLf(text, AtoF(text) + 10);
      break;
    case 139:
    case 140:
    case 141:
    case 142:
    case 143:
      AdjustTerms(field, value);
      break;
    default:
      break;
  }
  return 0;
}

// Payment terms come either from a text like "N30 S10 P2.5" (net days,
// cash-discount days, percent) or from a six-digit code SSPPNN (days,
// percent times ten, net days).
void DataxWriter::AdjustTerms(std::uint32_t field, ValueBuffer& value) {
  char* text = value.data();
  switch (field) {
    case 139:
      termsFromText_ = *text != '\0';
      if (termsFromText_) {
        CopyValue(termsText_, text);
      } else {
        const std::string& code = ctx_.fields.Text(140);
        CopyValue(termsCode_, code.empty() ? std::string_view("000000") : code);
      }
      break;
    case 140:
      CopyValue(termsCode_, text);
      break;
    case 141:
      // The code's percent digits are read as a whole number; a real
      // division keeps the tenth (25 is 2.5 percent).
      PrintLf(text, termsFromText_ ? ReadTaggedReal(termsText_.data())
                                   : CodeDigits(termsCode_.data(), 2) / 10.0);
      break;
    case 142:
      PrintD(text, termsFromText_ ? ReadTaggedInt(termsText_.data(), 'S')
                                  : CodeDigits(termsCode_.data(), 0));
      break;
    case 143:
      PrintD(text, termsFromText_ ? ReadTaggedInt(termsText_.data(), 'N')
                                  : CodeDigits(termsCode_.data(), 4));
      break;
    default:
      break;
  }
}

}  // namespace

std::unique_ptr<OutputWriter> DataxSetup(RunContext& ctx, int dataType) {
  return std::make_unique<DataxWriter>(ctx, dataType);
}

}  // namespace zeko
