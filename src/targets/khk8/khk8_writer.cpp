// KHK8 writer: comma-separated lines of fixed-width fields, texts in double
// quotes, a booking spread over several physical lines, tax amounts spread
// over nine columns by tax index, and an optional grouping mode that merges
// the bookings of one account pair within a group into one line.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/safe_output.h"
#include "record/field_numbers.h"
#include "targets/common/field_rules.h"
#include "targets/khk8/khk8_layouts.h"
#include "targets/writer.h"

namespace zeko {
namespace {

// Room kept in the value buffer whatever the value: the amount printed with
// six decimals can run to 300-odd digits for an absurd sum.
constexpr std::size_t kWorkMinimum = 1024;

// Two account numbers as doubles; == is the comparison of the numbers, so
// 0 and -0 are one account and a NaN never matches anything (each such
// record opens a line of its own, as a linear search would have it).
struct AccountPair {
  double first;
  double second;
  bool operator==(const AccountPair&) const = default;
};

// The bits of both numbers, mixed. Both zeros hash alike since they compare
// equal; the hash is cheap because the table recomputes it while it walks a
// bucket.
struct AccountPairHash {
  static std::uint64_t Bits(double x) { return x == 0.0 ? 0 : std::bit_cast<std::uint64_t>(x); }
  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  std::size_t operator()(const AccountPair& p) const noexcept {
    return static_cast<std::size_t>(Mix(Bits(p.first) ^ Mix(Bits(p.second))));
  }
};

class Khk8Writer final : public Writer {
 public:
  explicit Khk8Writer(const RunInfo& run)
      : Writer(run),
        table_(khk8::Layout(run.dataType, run.settings.release == 2)),
        release2_(run.settings.release == 2),
        grouping_(run.first.Value(fld::kGroupKey)[0] != '\0'),
        work_(kWorkMinimum) {
    // Every row may take a comma, two quotes, its converted text with the room
    // the conversion writes into, and a line end.
    std::size_t size = 3;
    for (const MapEntry& row : table_) size += FieldRoom(row) + 5;
    line_.resize(size);
  }

  std::vector<DeclaredOutput> Outputs() const override;
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks& out) override;

 private:
  // One line of the grouping collection.
  struct Collected {
    double amount = 0.0;
    std::string text;
  };

  // Comma-separated fields, texts (and every field of RELEASE 2) in double
  // quotes; a line-break row ends the physical line.
  struct Frame {
    Khk8Writer& writer;
    char* pos;
    bool firstField = true;

    std::size_t room() const { return writer.work_.size(); }
    char* Load(const MapEntry& row, const Record& record) {
      if (row.field == khk8::kLineBreak) return nullptr;
      writer.LoadRowValue(row, record);
      return writer.work_.data();
    }
    void Place(const MapEntry& row, char* value, const Record& record, bool last);
  };

  bool Khk8BuildLine(const Record& record);
  bool Khk8AdjustField(std::uint32_t field, const Record& record);
  void Khk8Collect(const Record& record);
  void Khk8Flush(LineSink& out);

  void LoadRowValue(const MapEntry& row, const Record& record);
  void SetValue(const char* text) { SetValue(text, std::strlen(text)); }
  void SetValue(const char* text, std::size_t length);
  void SetTermsCode();
  void SetTaxColumn(int column, int sourceField, const Record& record);
  static int TaxIndex(const Record& record);

  MapTable table_;
  bool release2_;
  bool grouping_;

  std::vector<char> line_;  // built text, sized from the layout
  std::size_t lineLength_ = 0;
  std::vector<char> work_;  // value of the current field
  int taxIndex_ = -1;
  double amount_ = 0.0;  // running sum of the current line's amounts

  std::string groupKey_;
  // Collected lines in first-seen order; entries past collectedCount_ are
  // spares from earlier groups that keep their text capacity.
  std::vector<Collected> collected_;
  std::size_t collectedCount_ = 0;
  std::unordered_map<AccountPair, std::size_t, AccountPairHash> pairIndex_;
};

// The file is replaced only once the run has written all of it: a run that
// fails part-way leaves the earlier file as it was.
std::vector<DeclaredOutput> Khk8Writer::Outputs() const {
  // Payments (and data of no known kind) have no layout: no file at all.
  if (table_.empty()) return {};
  DeclaredOutput declared = Output(run_.outputPath, OutputMode::kTruncate, Framing::kRaw,
                                   Counting::kLines, run_.settings.oemCharset);
  declared.file.updateError = msg::kOutputCreate + run_.outputPath;
  declared.file.createError = msg::kOutputCreate;
  return {declared};
}

void Khk8Writer::Write(const Record& record, Sinks& out) {
  if (table_.empty()) return;
  if (!grouping_) {
    if (!Khk8BuildLine(record)) {
      amount_ = 0.0;
      out[0].Put(line_.data(), lineLength_);
    }
    return;
  }
  const char* key = record.Value(fld::kGroupKey);
  if (groupKey_.empty() || groupKey_ != key) Khk8Flush(out[0]);
  Khk8Collect(record);
}

void Khk8Writer::Close(Sinks& out) {
  if (table_.empty()) return;
  if (grouping_ && collectedCount_ > 0) Khk8Flush(out[0]);
}

void Khk8Writer::Frame::Place(const MapEntry& row, char* value, const Record& record, bool) {
  char*& out = pos;
  if (value == nullptr) {
    *out++ = '\r';
    *out++ = '\n';
    firstField = true;
    return;
  }
  if (!firstField) *out++ = ',';
  firstField = false;
  const bool text = row.type == kText || row.type == kDateDDMMYY;
  const bool quoted = text || writer.release2_;
  if (quoted) *out++ = '"';
  ConvertField(out, row, value, record);
  // A blank text is written as two quotes with nothing between.
  if (text && empty(out)) {
    *out = '\0';
  } else {
    out += row.length;
  }
  if (quoted) *out++ = '"';
}

bool Khk8Writer::Khk8BuildLine(const Record& record) {
  taxIndex_ = TaxIndex(record);
  Frame frame{*this, line_.data()};
  if (BuildLine(table_, record, frame, [this, &record](std::uint32_t field, char*, std::size_t) {
        return Khk8AdjustField(field, record);
      }))
    return true;
  char* out = frame.pos;
  *out++ = '\r';
  *out++ = '\n';
  *out = '\0';
  lineLength_ = static_cast<std::size_t>(out - line_.data());
  return false;
}

bool Khk8Writer::Khk8AdjustField(std::uint32_t field, const Record& record) {
  char* value = work_.data();
  switch (field) {
    case fld::kAmount: {  // amount: the line carries the running sum
      const double x = FieldNumber(fld::kAmount, value);
      if (x == 0.0) return true;  // zero amounts are not booked
      amount_ += x;
      FormatFixed(value, amount_, 0, 6);
      return false;
    }
    case fld::kAccount: {
      // Characters 2 and 3 only.
      const std::size_t n = std::strlen(value);
      const std::size_t keep = n > 3 ? 2 : (n > 0 ? n - 1 : 0);
      std::memmove(value, value + (n > 0 ? 1 : 0), keep);
      value[keep] = '\0';
      return false;
    }
    case fld::kTaxCode:  // tax flag; TaxIndex has judged the record's value
      SetValue(ReadDecimal(value).valid && AtoI(value) != 0 ? "1" : "0");
      return false;
    case fld::kTermsCode:  // terms code
      SetTermsCode();
      return false;
    case fld::kCurrencyCode:
      if (const std::string* code = CurrencyCode(record, run_.settings)) SetValue(code->c_str());
      return false;
    case khk8::kSignCode:
      SetValue(std::strchr(record.Value(fld::kAmount), '-') ? "2" : "0");
      return false;
    default: break;
  }
  // The column of a tax block that `field` is, or -1.
  const auto column = [field](std::uint32_t base) {
    return field >= base && field < base + khk8::kTaxIndexes ? static_cast<int>(field - base) : -1;
  };
  static constexpr struct {
    std::uint32_t columns;
    int source;
  } kAmountBlocks[] = {{khk8::kTax117Columns, fld::kTaxAmount117},
                       {khk8::kTax118Columns, fld::kTaxAmount118},
                       {khk8::kTax130Columns, fld::kTaxAmount130},
                       {khk8::kTax131Columns, fld::kTaxAmount131}};
  for (const auto& block : kAmountBlocks) {
    if (const int k = column(block.columns); k >= 0) {
      SetTaxColumn(k, block.source, record);
      return false;
    }
  }
  if (const int n = column(khk8::kTaxRateTexts); n >= 0 && taxIndex_ >= 0) {
    const auto& rateText = run_.settings.taxTexts[static_cast<std::size_t>(n)];
    if (rateText) {
      SetValue(rateText->c_str(), rateText->size());
    } else {
      char digits[16];
      FormatInt(digits, n);
      SetValue(digits);
    }
  }
  return false;
}

void Khk8Writer::Khk8Collect(const Record& record) {
  const AccountPair accounts{AtoF(record.Value(fld::kAccount)),
                             AtoF(record.Value(fld::kContraAccount))};
  const auto found = pairIndex_.find(accounts);
  amount_ = found != pairIndex_.end() ? collected_[found->second].amount : 0.0;
  if (Khk8BuildLine(record)) return;

  std::size_t index;
  if (found != pairIndex_.end()) {
    index = found->second;
  } else {
    if (collectedCount_ == 0) groupKey_ = record.Value(fld::kGroupKey);
    // No limit on the number of pairs: a group keeps every distinct pair.
    index = collectedCount_++;
    if (index == collected_.size()) collected_.emplace_back();
    pairIndex_.emplace(accounts, index);
  }
  Collected& line = collected_[index];
  line.text.assign(line_.data(), lineLength_);
  line.amount = amount_;
}

void Khk8Writer::Khk8Flush(LineSink& out) {
  for (std::size_t i = 0; i < collectedCount_; ++i) {
    std::string& text = collected_[i].text;
    out.Put(text.data(), text.size());
  }
  collectedCount_ = 0;
  pairIndex_.clear();
}

// The input value without its trailing blanks, or the row's default for a
// constant row and for an input field that has no text.
void Khk8Writer::LoadRowValue(const MapEntry& row, const Record& record) {
  const char* input = row.field != 0 ? record.Value(static_cast<int>(row.field)) : "";
  if (input[0] != '\0') {
    SetValue(input);
    rtrim(work_.data(), work_.data());
  } else {
    SetValue(row.b);
  }
}

void Khk8Writer::SetValue(const char* text, std::size_t length) {
  if (length + 1 > work_.size()) work_.resize(length + 1);
  std::memmove(work_.data(), text, length);
  work_[length] = '\0';
}

// Terms code: the three digit pairs of the host's code, re-spread over the
// digit groups of the import ("%3.3d" "%2.2d" "%3.3d"; RELEASE 2 appends a
// zero to the middle group and puts six zeros before the last).
void Khk8Writer::SetTermsCode() {
  const int width = release2_ ? 15 : 10;
  char terms[16];
  leftbound(terms, work_.data(), width);
  const int days = ParseFixedInt(terms, 2);
  const int percent = ParseFixedInt(terms + 2, 2);
  const int netDays = ParseFixedInt(terms + 4, 2);
  // "%3.3d%2.2d%3.3d", release 2 with "0" and six blanks before the net days.
  char code[48];
  char* p = code;
  p += FormatInt(p, days, 0, 3);
  p += FormatInt(p, percent, 0, 2);
  if (release2_) {
    std::memcpy(p, "0      ", 7);
    p += 7;
  }
  FormatInt(p, netDays, 0, 3);
  char result[16];
  leftbound(result, code, width);
  fillnull(result);
  SetValue(result);
}

// Column `column` of a tax block gets the source field when it is the
// record's tax index, else nothing; without a tax code the row's own input
// value stays.
void Khk8Writer::SetTaxColumn(int column, int sourceField, const Record& record) {
  if (taxIndex_ < 0) return;
  SetValue(column == taxIndex_ ? record.Value(sourceField) : "");
}

int Khk8Writer::TaxIndex(const Record& r) {
  if (r.Length(fld::kTaxCode) == 0 && r.Format(fld::kTaxCode) == 0) return -1;
  return FieldInt(fld::kTaxCode, r.Text(fld::kTaxCode));
}

}  // namespace

std::unique_ptr<Writer> MakeKhk8Writer(const RunInfo& run) {
  return std::make_unique<Khk8Writer>(run);
}

}  // namespace zeko
