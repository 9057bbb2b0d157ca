// SPK writer: outgoing invoices as a DTAUS payment file for the savings
// bank (A record, one C record per invoice, E record with control sums,
// no line ends), and the printed cover note that goes with the diskette.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/safe_output.h"
#include "record/field_numbers.h"
#include "targets/spk/spk_accounts.h"
#include "targets/spk/spk_control_sum.h"
#include "targets/spk/spk_cover_note.h"
#include "targets/spk/spk_disk_number.h"
#include "targets/spk/spk_layouts.h"
#include "targets/spk/spk_sepa.h"
#include "targets/writer.h"

namespace zeko {
namespace {

static_assert(FitsLineRoom(kSpkCRecord) && FitsLineRoom(kSpkCRecordRelease1) &&
              FitsLineRoom(kSpkCRecordRelease2) && FitsLineRoom(kSpkARecord) &&
              FitsLineRoom(kSpkARecordEuro) && FitsLineRoom(kSpkERecord));

// printf("%lf", x) of a value that is not negative, into value.
void PrintLf(char* value, std::size_t room, double x) {
  if (std::isnan(x)) {
    std::memcpy(value, "nan", 4);
  } else if (std::isinf(x)) {
    std::memcpy(value, "inf", 4);
  } else if (room >= kFixedRoom) {  // a double printed with six decimals needs up to 317
    FormatFixed(value, x, 0, 6);
  } else {
    value[0] = '\0';
  }
}

// Upper-cases a record for the bank: the ASCII letters, and the umlauts ü,
// ä, ö of the DOS code pages (the host's texts are OEM text).
void SpkUppercase(char* text) {
  for (; *text; ++text) {
    switch (static_cast<unsigned char>(*text)) {
      case 0x81: *text = static_cast<char>(0x9A); break;  // ü -> Ü
      case 0x84: *text = static_cast<char>(0x8E); break;  // ä -> Ä
      case 0x94: *text = static_cast<char>(0x99); break;  // ö -> Ö
      default: *text = UpperAsciiChar(*text); break;
    }
  }
}

// Bank codes and accounts are digits, blanks around them allowed (an empty
// one is 0). Leading zeros take no room in the field. -1 when the text is
// not such a number, else the digits that need room.
int PaymentDigits(std::string_view text) {
  std::size_t from = 0, to = text.size();
  while (from < to && text[from] == ' ') ++from;
  while (to > from && text[to - 1] == ' ') --to;
  int digits = 0;
  for (std::size_t i = from; i < to; ++i) {
    if (!IsDigit(text[i])) return -1;
    if (digits > 0 || text[i] != '0') ++digits;
  }
  return digits;
}

// A bank code or account of the payment file, with what it must be and
// what is said when it is not.
struct PaymentNumber {
  int field;
  const char* bad;      // not digits
  int maxDigits;        // the DTAUS field's width
  const char* tooLong;  // more digits than the field has
};
constexpr PaymentNumber kBankCode{305, msg::kBadBankCode, 8,
                                  "Bankleitzahl zu lang (höchstens 8 Stellen)"};
constexpr PaymentNumber kAccount{310, msg::kBadAccount, 10,
                                 "Kontonummer zu lang (höchstens 10 Stellen)"};
constexpr PaymentNumber kOwnBankCode{
    340, msg::kBadBankCode, 8, "Bankleitzahl des Auftraggebers zu lang (höchstens 8 Stellen)"};
constexpr PaymentNumber kOwnAccount{350, msg::kBadAccount, 10,
                                    "Kontonummer des Auftraggebers zu lang (höchstens 10 Stellen)"};

// The text of what is wrong with value, or nullptr when it is fine.
const char* PaymentNumberProblem(const PaymentNumber& rule, std::string_view value) {
  const int digits = PaymentDigits(value);
  if (digits < 0) return rule.bad;
  if (digits > rule.maxDigits) return rule.tooLong;
  return nullptr;
}

// The C record's amount fields have 11 digits; an amount too long for them
// would be cut there (to a tenth of its value, while the E record's sum
// keeps the whole).
constexpr int kAmountDigits = 11;

// True when x, printed whole (rounded), has at most `digits` digits.
bool FitsDigits(double x, int digits) { return std::floor(x + 0.5) < std::pow(10.0, digits); }

class SpkWriter final : public Writer {
 public:
  SpkWriter(const RunInfo& run, DataType dataType)
      : Writer(run), keptBlz_(run.settings.spkBlz), keptKonto_(run.settings.spkKonto) {
    keptBlz_.reserve(kValueRoom);
    keptKonto_.reserve(kValueRoom);
    if (dataType != DataType::kOutgoingInvoices) return;
    const int release = run.settings.release;
    euro_ = release == 1 || release == 2;
    aLayout_ = euro_ ? MapTable(kSpkARecordEuro) : MapTable(kSpkARecord);
    cLayout_ = release == 2   ? MapTable(kSpkCRecordRelease2)
               : release == 1 ? MapTable(kSpkCRecordRelease1)
                              : MapTable(kSpkCRecord);
  }

  std::vector<DeclaredOutput> Outputs() const override;
  void Open(Sinks& out) override;
  void Write(const Record& record, Sinks& out) override;
  void Close(Sinks& out) override;
  long Count(const Sinks&) const override { return payments_; }
  std::optional<PaymentSums> Payments() const override {
    if (cLayout_.empty()) return std::nullopt;
    return PaymentSums{payments_, std::llround(amountSum_)};
  }

 private:
  std::size_t BuildRecord(MapTable layout, const Record& record);
  void AdjustField(std::uint32_t field, char* value, std::size_t room);
  void AdjustAmount(char* value, std::size_t room);
  void TakePurpose(const MapEntry& row, const char* value);
  bool PaymentNumberOk(const PaymentNumber& rule, const char* value);
  void CheckConfiguredNumber(const PaymentNumber& rule, const char* key, std::string& kept);
  void WriteTrailer(LineSink& out);
  bool TrailerNumber(std::uint32_t field, std::string& number, const char*& what) const;
  void PrintCoverNote(Sinks& out);
  void PlaceholderValue(char letter, std::string& value, Sinks& out);
  void WriteSepa(Sinks& out);
  void CheckAccounts(const Record& record);

  // Only outgoing invoices have DTAUS layouts; for other kinds of data the
  // writer is bound and produces no file and no cover note.
  MapTable aLayout_;
  MapTable cLayout_;
  long recordNumber_ = 0;  // the input record whose values it takes
  long payments_ = 0;      // C records built
  bool euro_ = false;      // RELEASE 1 or 2: amounts in the Euro fields
  // The A record takes the first record's values, whose C record follows
  // at once and tells their problems: the A record only keeps away from them.
  bool quiet_ = false;
  // A bank code or account of the record (or the configured one) has been
  // told as no number: the SEPA document does not tell it again.
  bool numbersTold_ = false;
  bool configuredTold_ = false;

  DiskNumber disk_;
  std::array<char, kLineRoom> record_{};
  std::array<char, kValueRoom> value_{};

  double amountSum_ = 0.0;  // amounts in cents, unrounded
  ControlSum accountSum_;   // field 310
  ControlSum bankCodeSum_;  // field 305

  // The originator's bank code and account: configured, replaced by each
  // record that brings its own. Kept whole, however long the input text.
  std::string keptBlz_;
  std::string keptKonto_;

  // SPK_FORMAT=SEPA: the payments go into a SEPA document instead, with
  // the amount and purpose text of the C record as built.
  std::unique_ptr<SpkSepa> sepa_;
  std::unique_ptr<PaymentAccounts> accounts_;
  // The originator's bank code and account as last checked.
  std::string checkedBlz_;
  std::string checkedKonto_;
  long long cents_ = 0;
  std::string purpose_;
};

// The payment file (DTAUS) changes only with the run's commit: a run that
// fails leaves an existing file exactly as it was. A SEPA document, SPK.NUM
// and the cover note are opened at the end, when what they carry is known.
std::vector<DeclaredOutput> SpkWriter::Outputs() const {
  if (cLayout_.empty() || SpkSepaChosen(run_.settings)) return {};
  // Records are written as "%s" writes them, up to the first zero byte,
  // with no line end.
  return {Output(run_.outputPath,
                 run_.settings.append != 0 ? OutputMode::kAppend : OutputMode::kTruncate,
                 Framing::kText, Counting::kByWriter, run_.settings.oemCharset)};
}

void SpkWriter::Open(Sinks& out) {
  if (cLayout_.empty()) return;
  accounts_ = std::make_unique<PaymentAccounts>(run_.settings);
  if (SpkSepaChosen(run_.settings)) {
    sepa_ = std::make_unique<SpkSepa>(run_.settings, GetSysTime(), *accounts_);
    purpose_.reserve(4 * kSpkCRecordLength);
  }
  // The configured originator stands in every record that brings none.
  CheckConfiguredNumber(kOwnBankCode, "SPK_BLZ", keptBlz_);
  // A SEPA document may take an IBAN there, and checks it itself.
  if (!sepa_) CheckConfiguredNumber(kOwnAccount, "SPK_KONTO", keptKonto_);
  if (sepa_) return;
  if (!configuredTold_ && !keptBlz_.empty() && !keptKonto_.empty()) {
    accounts_->Check(keptBlz_, keptKonto_, AccountSource{0, "SPK_BLZ und SPK_KONTO"},
                     " des Auftraggebers");
    checkedBlz_ = keptBlz_;
    checkedKonto_ = keptKonto_;
  }
  // The A record takes its fields from the record read for the binding.
  recordNumber_ = 1;
  quiet_ = true;
  const std::size_t length = BuildRecord(aLayout_, run_.first);
  out[0].Put(record_.data(), strnlen(record_.data(), length));
  quiet_ = false;
  amountSum_ = 0.0;
  accountSum_.Reset();
  bankCodeSum_.Reset();
}

void SpkWriter::Write(const Record& record, Sinks& out) {
  if (cLayout_.empty()) return;
  recordNumber_ = payments_ + 1;
  const std::size_t length = BuildRecord(cLayout_, record);
  if (sepa_) {
    sepa_->Add(cents_, purpose_, record, keptBlz_, keptKonto_, recordNumber_,
               numbersTold_ || configuredTold_);
  } else {
    CheckAccounts(record);
    out[0].Put(record_.data(), strnlen(record_.data(), length));
  }
  ++payments_;
}

// Everything goes in place with the run's commit, so a failing cover note
// leaves the payment file and SPK.NUM as before.
void SpkWriter::Close(Sinks& out) {
  if (cLayout_.empty()) return;
  if (sepa_)
    WriteSepa(out);
  else
    WriteTrailer(out[0]);
  PrintCoverNote(out);
}

std::size_t SpkWriter::BuildRecord(MapTable layout, const Record& record) {
  numbersTold_ = false;
  purpose_.clear();
  FixedFrame frame(record_, value_);
  for (const MapEntry& row : layout) {
    char* value = frame.Load(row, record);
    AdjustField(row.field, value, frame.room());  // every record is written
    if (sepa_) TakePurpose(row, value);
    frame.Place(row, value, record, false);
  }
  const std::size_t length = RecordLength(layout);
  record_[length] = '\0';
  if (!sepa_) SpkUppercase(record_.data());  // SEPA texts keep their case
  return length;
}

// A value that cannot be what its field needs is told and replaced by an
// empty one (0), so that a check goes on with the next field.
void SpkWriter::AdjustField(std::uint32_t field, char* value, std::size_t room) {
  switch (field) {
    case fld::kAmount: AdjustAmount(value, room); break;
    case fld::kBankCode:
      if (!PaymentNumberOk(kBankCode, value)) value[0] = '\0';
      bankCodeSum_.Add(AtoF(value));
      break;
    case fld::kBankAccount:
      // A SEPA document takes an IBAN here too, and checks the account
      // itself, from the record; its C record is never written.
      if (!sepa_ && !PaymentNumberOk(kAccount, value)) value[0] = '\0';
      accountSum_.Add(AtoF(value));
      if (sepa_) value[0] = '\0';
      break;
    case fld::kSpkKennzeichen: ReplaceValue(value, room, run_.settings.spkKennzeichen); break;
    case fld::kSpkBlz:
      if (!empty(value) && PaymentNumberOk(kOwnBankCode, value)) keptBlz_.assign(value);
      ReplaceValue(value, room, keptBlz_);
      break;
    case fld::kSpkKunde: ReplaceValue(value, room, run_.settings.spkKunde); break;
    case fld::kSpkKonto:
      if (!empty(value) && (sepa_ || PaymentNumberOk(kOwnAccount, value))) keptKonto_.assign(value);
      // The SEPA document takes the kept account as it stands (an IBAN too).
      if (sepa_) {
        value[0] = '\0';
      } else {
        ReplaceValue(value, room, keptKonto_);
      }
      break;
    case fld::kSpkReferenz: ReplaceValue(value, room, run_.settings.spkReferenz); break;
    case spk::kToday: ReplaceValue(value, room, run_.today); break;
    default: break;
  }
}

// The amount in cents. Its sign is not written: the text key (field 330)
// tells payments from debits, so an amount must be above 0 and at least a
// cent; a negative one would turn into a payment the other way round.
void SpkWriter::AdjustAmount(char* value, std::size_t room) {
  const std::string_view text(value);
  const Decimal amount = ReadDecimal(text);
  double cents = 0.0;
  if (amount.valid) cents = amount.value * 100.0;
  const char* problem = !amount.valid     ? msg::kBadNumber
                        : !(cents >= 0.5) ? msg::kBadAmount
                        : !FitsDigits(cents, kAmountDigits)
                            ? "Betrag zu groß (höchstens 11 Stellen)"
                            : nullptr;
  if (problem != nullptr) {
    ValueProblem(problem, fld::kAmount, text);
    cents = 0.0;
  }
  amountSum_ += cents;
  PrintLf(value, room, cents);
  if (!sepa_) return;
  // The whole cents that the amount row prints of this text: the SEPA
  // payment carries exactly what the DTAUS record would.
  char whole[kFixedRoom];
  FormatFixed(whole, ReadDecimal(value).value, 0, 0);
  cents_ = std::atoll(whole);
}

// The purpose rows' texts as they are placed, cut and filled to their
// widths, each line followed by a blank.
void SpkWriter::TakePurpose(const MapEntry& row, const char* value) {
  const spk::PurposeRow kind = spk::PurposeRowOf(row.field);
  if (kind == spk::PurposeRow::kNone) return;
  const std::size_t n = strnlen(value, row.length);
  purpose_.append(value, n).append(row.length - n, ' ');
  if (kind == spk::PurposeRow::kLineEnd) purpose_ += ' ';
}

bool SpkWriter::PaymentNumberOk(const PaymentNumber& rule, const char* value) {
  const char* problem = PaymentNumberProblem(rule, value);
  if (problem == nullptr) return true;
  if (!quiet_) ValueProblem(problem, rule.field, value);
  numbersTold_ = true;
  return false;
}

// The payee's account, and the originator's whenever a record changes it.
// An account already told as no number is not checked again.
void SpkWriter::CheckAccounts(const Record& record) {
  if (numbersTold_ || configuredTold_ || !accounts_->on()) return;
  const AccountSource where{recordNumber_};
  accounts_->Check(record.Text(fld::kBankCode), record.Text(fld::kBankAccount), where, "");
  if (keptBlz_ == checkedBlz_ && keptKonto_ == checkedKonto_) return;
  accounts_->Check(keptBlz_, keptKonto_, where, " des Auftraggebers");
  checkedBlz_.assign(keptBlz_);
  checkedKonto_.assign(keptKonto_);
}

// A configured bank code or account that cannot be one; it is dropped.
void SpkWriter::CheckConfiguredNumber(const PaymentNumber& rule, const char* key,
                                      std::string& kept) {
  const char* problem = PaymentNumberProblem(rule, kept);
  if (problem == nullptr) return;
  Problem(WithWhere(problem, std::string("Schlüssel ") + key + ", Wert " + ShownValue(kept)));
  kept.clear();
  configuredTold_ = true;
}

// The E record's count and sums must keep their widths, or the file would
// no longer be made of 128-byte blocks.
void SpkWriter::WriteTrailer(LineSink& out) {
  FixedFrame frame(record_, value_);
  std::string number;
  const char* what = nullptr;
  for (const MapEntry& row : kSpkERecord) {
    char* value = frame.Load(row, run_.first);
    if (TrailerNumber(row.field, number, what)) {
      if (number.size() > row.length)
        Problem(std::string(what) + " für den E-Satz (höchstens " + std::to_string(row.length) +
                " Stellen)");
      ReplaceValue(value, frame.room(), number);
    }
    frame.Place(row, value, run_.first, false);
  }
  out.PutRaw(std::string_view(record_.data(), RecordLength(kSpkERecord)));
}

// The E record's value of `field` printed to its width, and what is said
// when it does not fit; false for the other rows.
bool SpkWriter::TrailerNumber(std::uint32_t field, std::string& number, const char*& what) const {
  constexpr const char* kAmounts = "Summe der Beträge zu groß";
  switch (field) {
    case spk::kPaymentCount: {
      std::array<char, 32> count;
      FormatInt(count.data(), payments_, 0, 7);  // "%07ld" of a count
      number = count.data();
      what = "Anzahl der Zahlungen zu groß";
      return true;
    }
    case spk::kDmSum:
      FormatDouble(number, euro_ ? 0.0 : amountSum_, 13, 0, true);
      what = kAmounts;
      return true;
    case spk::kAccountSum:
      accountSum_.Format(number, 17, true);
      what = "Summe der Kontonummern zu groß";
      return true;
    case spk::kBankCodeSum:
      bankCodeSum_.Format(number, 17, true);
      what = "Summe der Bankleitzahlen zu groß";
      return true;
    case spk::kEuroSum:
      FormatDouble(number, euro_ ? amountSum_ : 0.0, 13, 0, true);
      what = kAmounts;
      return true;
    default: return false;
  }
}

void SpkWriter::PlaceholderValue(char letter, std::string& value, Sinks& out) {
  const Settings& s = run_.settings;
  switch (letter) {
    case 'A': value = run_.outputName; break;
    case 'B': value = run_.today; break;
    case 'C': value = std::to_string(disk_.Next(run_.configDir, out)); break;
    case 'D': value = std::to_string(payments_); break;
    case 'E': FormatDouble(value, amountSum_ / 100.0, 16, 2, false); break;
    case 'F': accountSum_.Format(value, 16, false); break;
    case 'G': bankCodeSum_.Format(value, 16, false); break;
    case 'H': value = s.spkKassenname; break;
    case 'I': value = s.spkDatentraeger; break;
    case 'J': value = keptBlz_; break;
    case 'K': value = keptKonto_; break;
    case 'L': value = s.spkKunde; break;
    default: value.clear(); break;
  }
}

// The document names the diskette number that the cover note will carry,
// so the number is looked up first; the document is then written whole
// in place of the file (APPEND does not apply: a second document in the
// same file is no payment file).
void SpkWriter::WriteSepa(Sinks& out) {
  sepa_->CheckNotEmpty();
  const long long diskNumber = disk_.Next(run_.configDir, out);
  LineSink& document = out.Open(
      Output(run_.outputPath, OutputMode::kTruncate, Framing::kText, Counting::kByWriter, false));
  sepa_->Write(document, diskNumber);
}

// The printer is opened only when everything it is to print is at hand:
// the diskette number read and ready to be written back, the form read.
// A run that fails before leaves the last cover note where it was.
void SpkWriter::PrintCoverNote(Sinks& out) {
  // The diskette number rises with every run that gets this far.
  disk_.Next(run_.configDir, out);
  const std::vector<std::string> note = ReadCoverNote(
      run_.configDir, run_.settings.oemCharset,
      [this, &out](char letter, std::string& value) { PlaceholderValue(letter, value, out); });
  // A check reads and fills in everything, and prints and writes nothing.
  if (Checking() || !disk_.ready()) return;
  disk_.WriteBack();
  zeko::PrintCoverNote(run_.settings.protPrinter, note, out);
}

}  // namespace

std::unique_ptr<Writer> MakeSpkWriter(const RunInfo& run) {
  return std::make_unique<SpkWriter>(run, run.dataType);
}

}  // namespace zeko
