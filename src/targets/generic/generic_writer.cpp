// GENERIC: a record layout and framing defined wholly by the configuration.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/files.h"
#include "output/safe_output.h"
#include "record/field_numbers.h"
#include "targets/common/consolidation.h"
#include "targets/common/field_rules.h"
#include "targets/writer.h"

namespace zeko {

namespace {

// A GENERIC row's type code: the low six bits choose the conversion, the bits
// above are option flags. These codes are this writer's own; they are not
// the codes of ConvertField.
constexpr std::uint32_t kGenericBaseMask = 0x3F;

// Option flags of the number conversions (base codes 0 to 4).
enum GenericNumberFlag : std::uint32_t {
  kNumZeroFill = 0x40,       // blanks and signs become "0", "-" up front when negative
  kNumScale = 0x80,          // times 10^base, printed without decimals
  kNumDecimalComma = 0x100,  // the first "." becomes ","
  kNumLeadingSign = 0x200,   // first character "-" or "+"
  kNumDebitMark = 0x400,     // "-" becomes "0", "S" appended
  kNumCreditMark = 0x800,    // "-" becomes "0", "H" appended (not with the debit mark)
  kNumAbsolute = 0x1000,     // a negative value loses its minus sign
};

// Option flags of the text conversion (base code 8); they act on the part
// after the row's prefix `a`.
enum GenericTextFlag : std::uint32_t {
  kTextUpper = 0x40,
  kTextTrim = 0x80,          // trailing blanks removed, "," becomes a blank
  kTextZeroBlanks = 0x100,   // blanks become "0"
  kTextSkipLeading = 0x200,  // leading blanks of the value are not copied
};

// The kind of a row picks its start and end texts.
enum class GenericKind { kNumber, kText, kDate };

constexpr const char* kConversionError = "Fehler in Typenkonvertierung";

// A row wider than this is a broken layout, not a record anyone can import;
// refusing it keeps the record buffer within reason.
constexpr std::uint32_t kMaxFieldLength = 65535;

constexpr std::uint32_t kBinaryBase = 21;
constexpr std::uint32_t kTextBase = 8;

// Room for FormatFixed's text of a number field of width w.
std::size_t ScratchRoom(std::uint32_t width) { return std::size_t{width} + 401; }
// Room a field needs at its output position: its width, a date's layout or
// a binary number's four bytes, the debit or credit mark and a zero byte.
std::size_t FieldRoomAt(std::uint32_t width) { return (width > 10 ? width : 10) + 2; }

constexpr double kScale[5] = {1.0, 10.0, 100.0, 1000.0, 10000.0};

// Digits of a printed number from its first one other than 0.
int SignificantDigits(const char* text, std::size_t n) {
  int count = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (IsDigit(text[i]) && (count > 0 || text[i] != '0')) ++count;
  return count;
}

// A number row: value must be a decimal number whose printed text finds
// room in the field's w characters: its digits, point (or ",") and "-"; a
// leading-sign row (and a zero-filled one of a negative value) keeps the
// first character for the sign,
// and a debit or credit mark takes a character of its own. The text must
// also show no more significant digits than a double carries. A problem of
// input field `field` otherwise, after which (in a check) 0 is written.
std::size_t ConvertNumber(char* out, int field, std::uint32_t base, std::uint32_t flags,
                          std::size_t w, const char* a, const char* value, bool compact,
                          char* scratch, bool* marked) {
  const Decimal d = ReadDecimal(value);
  bool fallback = !d.valid;
  if (fallback) ValueProblem(msg::kBadNumber, field, value);
  double x = d.valid ? d.value : 0.0;
  if (flags & kNumScale) x *= kScale[base];
  bool negative = x < 0.0;
  if (*a && !fallback) x += AtoF(a);
  if ((flags & kNumAbsolute) && negative) x = -x;
  const int decimals = (flags & kNumScale) ? 0 : static_cast<int>(base);
  std::size_t printed = FormatFixed(scratch, x, static_cast<int>(w), decimals);
  if (!fallback) {
    const char* text = scratch;
    while (*text == ' ') ++text;
    const auto length = static_cast<std::size_t>(scratch + printed - text);
    const bool minus = *text == '-';
    // A sign written over the first character needs one of its own.
    const bool signOver = (flags & kNumLeadingSign) || ((flags & kNumZeroFill) && negative);
    const std::size_t need = signOver && !minus ? length + 1 : length;
    const char* problem = need > w || !std::isfinite(x)                    ? msg::kNumberTooLong
                          : SignificantDigits(text, length) > kExactDigits ? msg::kNumberTooPrecise
                                                                           : nullptr;
    if (problem) {
      ValueProblem(problem, field, value);
      negative = false;
      printed = FormatFixed(scratch, 0.0, static_cast<int>(w), decimals);
    }
  }
  if (flags & kNumDecimalComma) {
    if (char* dot = std::strchr(scratch, '.')) *dot = ',';
  }

  std::size_t n;
  if (compact && !(flags & (kNumZeroFill | kNumLeadingSign))) {
    if (printed > w) printed = w;
    const char* p = scratch;
    const char* end = scratch + printed;
    while (p < end && *p == ' ') ++p;
    n = static_cast<std::size_t>(end - p);
    std::memmove(out, p, n);
    out[n] = '\0';
  } else {
    rightbound(out, scratch, static_cast<int>(w));
    n = w;
  }

  if (flags & kNumZeroFill) {
    for (std::size_t i = 0; i < n; ++i)
      if (out[i] == ' ' || out[i] == '-' || out[i] == '+') out[i] = '0';
    if (negative && n > 0) out[0] = '-';
  }
  if (flags & (kNumDebitMark | kNumCreditMark)) {
    if (char* minus = static_cast<char*>(std::memchr(out, '-', n))) *minus = '0';
    out[n++] = (flags & kNumDebitMark) ? 'S' : 'H';
    out[n] = '\0';
    *marked = true;
  }
  if ((flags & kNumLeadingSign) && n > 0) out[0] = negative ? '-' : '+';
  return n;
}

std::size_t ConvertText(char* out, std::uint32_t flags, std::size_t w, const char* a,
                        const char* value) {
  std::memset(out, ' ', w);
  out[w] = '\0';
  const std::size_t prefix = std::min(std::strlen(a), w);
  std::memcpy(out, a, prefix);
  if (prefix < w) {
    if (flags & kTextSkipLeading)
      while (*value == ' ') ++value;
    std::memcpy(out + prefix, value, std::min(std::strlen(value), w - prefix));
  }
  std::size_t n = w;
  if (flags & kTextUpper)
    for (std::size_t i = prefix; i < n; ++i) out[i] = UpperAsciiChar(out[i]);
  if (flags & kTextTrim) {
    while (n > prefix && out[n - 1] == ' ') --n;
    out[n] = '\0';
    std::replace(out + prefix, out + n, ',', ' ');
  }
  if (flags & kTextZeroBlanks) std::replace(out + prefix, out + n, ' ', '0');
  return n;
}

// The kind of a type code; a base code without a conversion ends the run.
GenericKind GenericFieldKind(std::uint32_t type) {
  switch (type & kGenericBaseMask) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 21:
    case 22:
    case 23: return GenericKind::kNumber;
    case 8: return GenericKind::kText;
    // clang-format off
    case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18:
    case 24: case 25:
      return GenericKind::kDate;
      // clang-format on
    default: ErrorExit("%s", kConversionError);
  }
}

// Copies text to pos and returns the position after it.
char* AppendText(char* pos, const std::string& text) {
  std::memcpy(pos, text.data(), text.size());
  return pos + text.size();
}

// Converts value by the row's GENERIC type code at out (FieldRoomAt bytes
// free) and returns the number of bytes of the field; scratch holds
// ScratchRoom(row.length) bytes. Dates turn the value's blanks into zeros.
// *marked tells whether a debit or credit mark made the field one character
// longer than the row's length.
std::size_t ConvertGenericField(char* out, const MapEntry& row, char* value, bool compact,
                                char* scratch, bool* marked) {
  *marked = false;
  const std::uint32_t base = row.type & kGenericBaseMask;
  const std::uint32_t flags = row.type & ~kGenericBaseMask;
  const char* a = row.a ? row.a : "";
  switch (base) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
      return ConvertNumber(out, static_cast<int>(row.field), base, flags, row.length, a, value,
                           compact, scratch, marked);
    case kTextBase: return ConvertText(out, flags, row.length, a, value);
    // clang-format off
    case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 18: case 24: case 25:
      ConvertDate(static_cast<int>(base), out, value, static_cast<int>(row.field));
      return std::strlen(out);
      // clang-format on
    case kBinaryBase:
      // A signed 32-bit number, as the import side's integers are.
      PlaceBinary32(out, static_cast<int>(row.field), value, a);
      return 4;
    default: ErrorExit("%s", kConversionError);
  }
}

class GenericWriter final : public Writer {
 public:
  explicit GenericWriter(const RunInfo& run)
      : Writer(run),
        s_(run.settings),
        compact_(run.settings.genericCompactFields != 0),
        groups_(run.consolidation != 0) {
    SelectLayout(run.DataTypeIndex());

    // Buffers are sized once from every layout that field 011 can switch to,
    // so no record, however long its layout, is ever cut or overruns.
    const std::size_t frame =
        std::max({s_.genericFieldStartNum.size(), s_.genericFieldStartText.size(),
                  s_.genericFieldStartDate.size(), s_.genericFieldEndNum.size(),
                  s_.genericFieldEndText.size(), s_.genericFieldEndDate.size(),
                  s_.genericFieldSep.size(), s_.genericFieldLast.size()});
    std::size_t lineRoom = 0;
    std::size_t scratchRoom = ScratchRoom(0);
    for (const FieldList& list : s_.fieldLists) {
      std::size_t room = s_.genericRecHead.size() + s_.genericRecSep.size() + 1;
      for (const MapEntry& row : list.rows) {
        if (row.length > kMaxFieldLength) ErrorExit("%s", kConversionError);
        room += 3 * frame + FieldRoomAt(row.length);
        scratchRoom = std::max(scratchRoom, ScratchRoom(row.length));
      }
      lineRoom = std::max(lineRoom, room);
    }
    line_.resize(lineRoom);
    scratch_.resize(scratchRoom);
    // A field value has at most 999 characters; the settings that replace
    // values may be longer.
    value_.resize(1024 + s_.mandant.size() + s_.anwender.size());
    splitText_.reserve(1024);
  }

  void Open(const RunInfo& run) override;
  void Write(const Record& record) override;
  void Close() override;

 private:
  // The configured texts around each field, by its kind, and between them.
  struct Frame {
    GenericWriter& writer;
    char* pos;

    std::size_t room() const { return writer.value_.size(); }
    char* Load(const MapEntry& row, const Record& record) {
      writer.LoadValue(row.field, record);
      return writer.value_.data();
    }
    void Place(const MapEntry& row, char*, const Record&, bool last) {
      pos = writer.WriteGenericField(pos, row, last);
    }
  };

  bool BuildGenericRecord(const Record& record);
  void GenericPrescan(const Record& record);
  // True when the record is to be dropped.
  bool GenericFieldHook(std::uint32_t field, const Record& record);
  char* WriteGenericField(char* pos, const MapEntry& row, bool last);

  void SelectLayout(int list);
  void LoadValue(std::uint32_t field, const Record& record);
  void SetValue(const char* text, std::size_t length);
  void SetValue(const std::string& text) { SetValue(text.data(), text.size()); }
  void SetNumberValue(double x);
  void SetIntValue(std::int64_t n);
  void SplitField217(bool cutValue);

  const Settings& s_;
  bool compact_;
  MapTable layout_;
  // Never written in place: a failed run leaves an existing file as it was.

  std::vector<char> line_;     // the record being built
  std::vector<char> value_;    // the current field's value (WorkBuffer)
  std::vector<char> scratch_;  // printed numbers
  std::size_t recordLength_ = 0;

  // Consolidation: the last record accepted for the current group waits
  // there; the first record always starts a group.
  Consolidation groups_;
  bool recordPending_ = false;

  double currentAmount_ = 0.0;
  std::string splitText_;  // field 217 after its first blank, for field 220
};

}  // namespace

void GenericWriter::SelectLayout(int list) {
  // Other numbers name no layout: the current one stays.
  if (list < 0 || list >= static_cast<int>(s_.fieldLists.size())) return;
  layout_ = MapTable(s_.fieldLists[static_cast<std::size_t>(list)].rows);
}

void GenericWriter::Open(const RunInfo&) {
  // Without APPEND the file starts over, as if removed and created anew.
  const std::string& path = run_.outputPath;
  sink_.Configure(LineSink::Framing::kRaw, LineSink::Counting::kByWriter, s_.oemCharset);
  sink_.Open(path, s_.append != 0 ? SafeOutput::Mode::kAppend : SafeOutput::Mode::kReplace,
             "Fehler beim öffnen Outputdatei " + path,
             [&path] { CloseOutputFile(OpenAppendFile(path)); });
  if (!empty(s_.genericFileHeader.c_str())) {
    std::string header = s_.genericFileHeader + s_.genericRecSep;
    sink_.Put(header);
  }
}

void GenericWriter::Write(const Record& record) {
  const Record& fields = record;
  const char* layoutNumber = fields.Value(fld::kLayoutNumber);
  if (*layoutNumber) {
    const int n = FieldInt(fld::kLayoutNumber, layoutNumber);
    if (n >= 1 && n <= 5) SelectLayout(n);
  }

  // The first record always opens a group, even with both keys empty, so
  // that its group is written when the next one starts. A group none of
  // whose records was accepted holds no current record.
  if (groups_.NewGroup(fields) || (groups_.on() && !recordPending_)) {
    if (groups_.TakeHeld() && groups_.running(0) != 0.0) {
      sink_.Put(groups_.Held(0));
      sink_.Tally();
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
  sink_.Put(line_.data(), recordLength_);
  groups_.RecordWritten();
  sink_.Tally();
  return;
}

void GenericWriter::Close() {
  if (groups_.TakeHeldAtClose() && groups_.running(0) != 0.0) {
    sink_.Put(groups_.Held(0));
    sink_.Tally();
  }
  sink_.Commit();
}

bool GenericWriter::BuildGenericRecord(const Record& record) {
  char* pos = AppendText(line_.data(), s_.genericRecHead);
  GenericPrescan(record);
  // A dropped record still gets its separator: its length is never used.
  Frame frame{*this, pos};
  const bool drop =
      BuildLine(layout_, record, frame, [this, &record](std::uint32_t field, char*, std::size_t) {
        return GenericFieldHook(field, record);
      });
  pos = AppendText(frame.pos, s_.genericRecSep);
  recordLength_ = static_cast<std::size_t>(pos - line_.data());
  return drop;
}

// Amount and split text are known before any field is written, so rows
// that come earlier in the layout than fields 115, 116 and 217 see them.
void GenericWriter::GenericPrescan(const Record& record) {
  for (const MapEntry& row : layout_) {
    switch (row.field) {
      case fld::kAmount:
      case fld::kAmount2:
        // The row itself judges the value; until then a value that is no
        // number counts as 0.
        currentAmount_ = ReadDecimal(record.Text(static_cast<int>(row.field))).value;
        break;
      case fld::kPostcode:
        LoadValue(row.field, record);
        SplitField217(false);
        break;
      default: break;
    }
  }
}

bool GenericWriter::GenericFieldHook(std::uint32_t field, const Record& fields) {
  char* value = value_.data();
  switch (field) {
    case fld::kMandant: SetValue(s_.mandant); break;
    case fld::kAnwender: SetValue(s_.anwender); break;
    case fld::kAmount:
    case fld::kAmount2: {
      const double total = groups_.AddAmount(value, field == fld::kAmount ? 0 : 1);
      SetNumberValue(total);
      currentAmount_ = total;
      return s_.genericSkipZero != 0 && total == 0.0;
    }
    case fld::kTermsPercent: {
      const char* terms = fields.Value(fld::kTermsText);
      const char* code = fields.Value(fld::kTermsCode);
      if (*terms) {
        SetNumberValue(ReadTaggedReal(terms));
      } else if (*code) {
        // Characters 4 and 5 of the terms code hold the percentage in tenths.
        char tenths[3] = {};
        const std::size_t length = std::strlen(code);
        for (std::size_t i = 0; i < 2 && 3 + i < length; ++i) tenths[i] = code[3 + i];
        const Decimal percent = ReadDecimal(tenths);
        if (!percent.valid) ValueProblem(msg::kBadNumber, fld::kTermsCode, code);
        SetNumberValue(percent.value / 10.0);
      }
      break;
    }
    case fld::kTermsDiscountDays:
      if (const char* terms = fields.Value(fld::kTermsText); *terms)
        SetIntValue(ReadTaggedInt(terms, 'S'));
      break;
    case fld::kTermsNetDays:
      if (const char* terms = fields.Value(fld::kTermsText); *terms)
        SetIntValue(ReadTaggedInt(terms, 'N'));
      break;
    case fld::kCurrencyCode:
      if (const std::string* code = CurrencyCode(fields, s_)) SetValue(*code);
      break;
    case fld::kDebitCredit:
      if (currentAmount_ < 0.0) {
        if (value[0] == 'S')
          value[0] = 'H';
        else if (value[0] == 'H')
          value[0] = 'S';
      }
      break;
    case fld::kPostcode: SplitField217(true); break;
    case fld::kCity: SetValue(splitText_); break;
    case fld::kDigitsOnly801:
    case fld::kDigitsOnly802: {
      char* end = std::remove_if(value, value + std::strlen(value),
                                 [](char c) { return c < '0' || c > '9'; });
      *end = '\0';
      break;
    }
    case fld::kKeyNumber: {
      auto whole = [&fields](int n) { return FieldInt(n, fields.Text(n)); };
      const int m = fields.Length(fld::kKeyBase) != 0 ? whole(fld::kKeyBase) : 10;
      int k;
      if (fields.Length(fld::kDiscountFlag) != 0 || fields.Format(fld::kDiscountFlag) != 0)
        k = whole(fld::kDiscountFlag) == 0 ? 1 : 0;
      else
        k = whole(fld::kTaxCode);
      if (k == 0 && fields.Length(fld::kDiscountAlt) != 0 && whole(fld::kDiscountAlt) != 0) k = 3;
      // Computed wide and printed as the 32-bit number the import reads.
      const std::int64_t key =
          static_cast<std::int64_t>(FieldInt(fld::kKeyNumber, value)) * 100 + m + k;
      SetIntValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(key)));
      break;
    }
    case fld::kLineEnd: SetValue("\r\n", 2); break;
    default: break;
  }
  return false;
}

char* GenericWriter::WriteGenericField(char* pos, const MapEntry& row, bool last) {
  const GenericKind kind = GenericFieldKind(row.type);
  const std::string& start = kind == GenericKind::kNumber ? s_.genericFieldStartNum
                             : kind == GenericKind::kText ? s_.genericFieldStartText
                                                          : s_.genericFieldStartDate;
  const std::string& end = kind == GenericKind::kNumber ? s_.genericFieldEndNum
                           : kind == GenericKind::kText ? s_.genericFieldEndText
                                                        : s_.genericFieldEndDate;
  pos = AppendText(pos, start);
  bool marked = false;
  std::size_t n = ConvertGenericField(pos, row, value_.data(), compact_, scratch_.data(), &marked);
  const bool binary = (row.type & kGenericBaseMask) == kBinaryBase;
  if (compact_) {
    // A binary number keeps its four bytes, whatever they are.
    if (!binary)
      while (n > 0 && pos[n - 1] == ' ') --n;
    pos += n;
  } else {
    // A fixed-width field is exactly its row's length: a shorter conversion
    // (a date narrower than the row, a trimmed text) is padded with blanks,
    // a longer one cut. A debit or credit mark widens the field by its
    // character instead of being overwritten by what follows.
    const std::size_t width = row.length + (marked ? 1 : 0);
    if (n < width) std::memset(pos + n, ' ', width - n);
    pos += width;
  }
  pos = AppendText(pos, end);
  return AppendText(pos, last ? s_.genericFieldLast : s_.genericFieldSep);
}

void GenericWriter::LoadValue(std::uint32_t field, const Record& record) {
  const char* text = record.Value(static_cast<int>(field));
  SetValue(text, std::strlen(text));
}

void GenericWriter::SetValue(const char* text, std::size_t length) {
  // Room behind the text for the "00.00.0000" that a date conversion puts
  // in place of a malformed date.
  if (value_.size() < length + 16) value_.resize(length + 16);
  std::memmove(value_.data(), text, length);
  value_[length] = '\0';
}

void GenericWriter::SetNumberValue(double x) {
  // "%lf": six decimals. value_ always has room for the widest double.
  FormatFixed(value_.data(), x, 0, 6);
}

void GenericWriter::SetIntValue(std::int64_t n) {
  auto result = std::to_chars(value_.data(), value_.data() + 32, n);
  *result.ptr = '\0';
}

void GenericWriter::SplitField217(bool cutValue) {
  char* value = value_.data();
  const std::size_t length = std::strlen(value);
  if (char* blank = PostcodeBlank(value)) {
    splitText_.assign(blank + 1, value + length);
    if (cutValue) *blank = '\0';
  } else {
    splitText_.assign(value, length);
  }
}

std::unique_ptr<Writer> MakeGenericWriter(const RunInfo& run) {
  return std::make_unique<GenericWriter>(run);
}

}  // namespace zeko
