// SPK writer: outgoing invoices as a DTAUS payment file for the savings
// bank (A record, one C record per invoice, E record with control sums,
// no line ends), and the printed cover note that goes with the diskette.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
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
#include "targets/spk/spk_control_sum.h"
#include "targets/spk/spk_layouts.h"
#include "targets/spk/spk_printer.h"
#include "targets/spk/spk_sepa.h"
#include "targets/writer.h"

namespace zeko {
namespace {

static_assert(FitsLineRoom(kSpkCRecord) && FitsLineRoom(kSpkCRecordRelease1) &&
              FitsLineRoom(kSpkCRecordRelease2) && FitsLineRoom(kSpkARecord) &&
              FitsLineRoom(kSpkARecordEuro));

// A cover-note form line is read in pieces of at most this many characters.
constexpr std::size_t kFormPiece = 159;

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

// The next piece of a form file as a Windows text-mode fgets with a buffer
// of kFormPiece + 1 reads it: CR LF reads as LF, a lone CR stays, the DOS
// end-of-file mark Ctrl-Z ends the file, and a piece ends after its LF or
// at kFormPiece characters. False when nothing was left.
bool ReadFormPiece(std::FILE* file, std::string& piece) {
  piece.clear();
  while (piece.size() < kFormPiece) {
    int c = std::fgetc(file);
    if (c == EOF) break;
    if (c == 0x1A) {
      std::fseek(file, 0, SEEK_END);  // nothing after the mark is read
      break;
    }
    if (c == '\r') {
      const int next = std::fgetc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    piece += static_cast<char>(c);
    if (c == '\n') break;
  }
  return !piece.empty();
}

// SPK.NUM holds one decimal number: blanks and line ends around it, and
// the DOS end-of-file mark behind it, are allowed, nothing else. The number
// is raised and printed as the host printed an int, so it stays below the
// int range. Returns why the file holds no diskette number, or nullptr.
constexpr long long kMaxDiskNumber = 2147483646;
const char* ReadDiskNumber(std::FILE* file, long long& number) {
  number = 0;
  auto blank = [](int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  int c = std::fgetc(file);
  while (blank(c)) c = std::fgetc(file);
  bool any = false;
  bool tooBig = false;
  for (; c >= '0' && c <= '9'; c = std::fgetc(file)) {
    any = true;
    number = number * 10 + (c - '0');
    if (number > kMaxDiskNumber) {
      tooBig = true;
      number = kMaxDiskNumber;
    }
  }
  while (blank(c)) c = std::fgetc(file);
  if (std::ferror(file)) return nullptr;  // the caller names the system's reason
  if (!any || (c != EOF && c != 0x1A)) return "enthält keine Zahl";
  if (tooBig) return "Zahl zu groß";
  return nullptr;
}

// "<path> (<reason>)" for a side file.
std::string FileWhere(const std::string& path, const std::string& reason) {
  return path + " (" + reason + ")";
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
constexpr PaymentNumber kOwnBankCode{340, msg::kBadBankCode, 8,
                                     "Bankleitzahl des Auftraggebers zu lang (höchstens 8 Stellen)"};
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

// The E record's control sums must keep their widths, or the file would no
// longer be made of 128-byte blocks.
void CheckSumWidth(const std::string& number, std::size_t width, const char* what) {
  if (number.size() > width)
    Problem(std::string(what) + " für den E-Satz (höchstens " + std::to_string(width) +
            " Stellen)");
}

class SpkWriter final : public Writer {
 public:
  SpkWriter(const RunInfo& run, int dataType)
      : Writer(run), keptBlz_(run.settings.spkBlz), keptKonto_(run.settings.spkKonto) {
    keptBlz_.reserve(kValueRoom);
    keptKonto_.reserve(kValueRoom);
    if (dataType != 1) return;
    const int release = run.settings.release;
    euro_ = release == 1 || release == 2;
    aLayout_ = euro_ ? MapTable(kSpkARecordEuro) : MapTable(kSpkARecord);
    cLayout_ = release == 2   ? MapTable(kSpkCRecordRelease2)
               : release == 1 ? MapTable(kSpkCRecordRelease1)
                              : MapTable(kSpkCRecord);
  }

  void Open(const RunInfo& run) override;
  void Write(const Record& record) override;
  void Close() override;

 private:
  std::size_t BuildRecord(MapTable layout, const Record& record);
  void AdjustField(std::uint32_t field, char* value, std::size_t room);
  void AdjustAmount(char* value, std::size_t room);
  bool PaymentNumberOk(const PaymentNumber& rule, const char* value);
  void CheckConfiguredNumber(const PaymentNumber& rule, const char* key, std::string& kept);
  void WriteTrailer();
  void PrintCoverNote();
  void WriteRecord(std::size_t length);
  void PlaceholderValue(char letter, long long diskNumber, std::string& value) const;
  long long NextDiskNumber();
  std::vector<std::string> ReadForm(long long diskNumber) const;
  void WriteSepa();

  // Only outgoing invoices have DTAUS layouts; for other kinds of data the
  // writer is bound and produces no file and no cover note.
  MapTable aLayout_;
  MapTable cLayout_;
  long recordNumber_ = 0;  // the input record whose values it takes
  bool euro_ = false;      // RELEASE 1 or 2: amounts in the Euro fields
  // The A record takes the first record's values, whose C record follows
  // at once and tells their problems: the A record only keeps away from them.
  bool quiet_ = false;
  // A bank code or account of the record (or the configured one) has been
  // told as no number: the SEPA document does not tell it again.
  bool numbersTold_ = false;
  bool configuredTold_ = false;

  // The payment file changes only with the run's commit: a run that fails
  // leaves an existing file exactly as it was.
  SafeOutput file_;  // the SEPA document
  // SPK.NUM, held from the moment its number is read until the run commits:
  // a run that reads the number while another holds it waits for the other
  // to commit, so no two payment files carry the same diskette number.
  SafeOutput number_;
  OutputStream* numberOut_ = nullptr;
  bool numberLooked_ = false;
  long long diskNumber_ = 0;
  std::array<char, kLineRoom> record_{};
  std::array<char, kValueRoom> value_{};

  double amountSum_ = 0.0;  // amounts in cents, unrounded
  ControlSum accountSum_;   // field 310
  ControlSum bankCodeSum_;  // field 305

  // The originator's bank code and account: configured, replaced by each
  // record that brings its own. Kept whole, however long the input text.
  std::string keptBlz_;
  std::string keptKonto_;

  // SPK_FORMAT=SEPA: the payments go into a SEPA document instead.
  std::unique_ptr<SpkSepa> sepa_;
};

void SpkWriter::Open(const RunInfo& run) {
  if (cLayout_.empty()) return;
  if (SpkSepaChosen(run_.settings))
    sepa_ = std::make_unique<SpkSepa>(run_.settings, euro_, GetSysTime());
  // The configured originator stands in every record that brings none.
  CheckConfiguredNumber(kOwnBankCode, "SPK_BLZ", keptBlz_);
  // A SEPA document may take an IBAN there, and checks it itself.
  if (!sepa_) CheckConfiguredNumber(kOwnAccount, "SPK_KONTO", keptKonto_);
  if (sepa_) return;
  const std::string& path = run_.outputPath;
  const bool append = run_.settings.append != 0;
  // Records are written as "%s" writes them, up to the first zero byte,
  // with no line end.
  sink_.Configure(LineSink::Framing::kText, LineSink::Counting::kByWriter,
                  run_.settings.oemCharset);
  sink_.Open(path, append ? SafeOutput::Mode::kAppend : SafeOutput::Mode::kTruncate,
             "Fehler beim öffnen Outputdatei " + path,
             [&path, append] { OpenOutputStream(path, append)->Close(); });
  // The A record takes its fields from the record read for the binding.
  recordNumber_ = 1;
  quiet_ = true;
  WriteRecord(BuildRecord(aLayout_, run.first));
  quiet_ = false;
  amountSum_ = 0.0;
  accountSum_.Reset();
  bankCodeSum_.Reset();
}

void SpkWriter::Write(const Record& record) {
  if (cLayout_.empty()) return;
  recordNumber_ = sink_.count() + 1;
  const std::size_t length = BuildRecord(cLayout_, record);
  if (sepa_) {
    sepa_->Add(record_.data(), record, keptBlz_, keptKonto_, recordNumber_,
               numbersTold_ || configuredTold_);
  } else {
    WriteRecord(length);
  }
  sink_.Tally();
}

void SpkWriter::Close() {
  if (sepa_) {
    WriteSepa();
    PrintCoverNote();
    return;
  }
  if (cLayout_.empty() || !sink_.open()) return;
  WriteTrailer();
  // The file is complete; it goes in place with the run's commit, after the
  // cover note, so a failing cover note leaves it (and SPK.NUM) as before.
  sink_.Commit();
  PrintCoverNote();
}

std::size_t SpkWriter::BuildRecord(MapTable layout, const Record& record) {
  numbersTold_ = false;
  BuildLine(layout, record, record_, value_,
            [this](std::uint32_t field, char* value, std::size_t room) {
              AdjustField(field, value, room);
              return false;  // every record is written
            });
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
      if (!empty(value) && (sepa_ || PaymentNumberOk(kOwnAccount, value)))
        keptKonto_.assign(value);
      // The SEPA document takes the kept account as it stands (an IBAN too).
      if (sepa_) {
        value[0] = '\0';
      } else {
        ReplaceValue(value, room, keptKonto_);
      }
      break;
    case fld::kSpkReferenz: ReplaceValue(value, room, run_.settings.spkReferenz); break;
    case fld::kToday: ReplaceValue(value, room, run_.today); break;
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
  const char* problem = !amount.valid                      ? msg::kBadNumber
                        : !(cents >= 0.5)                  ? msg::kBadAmount
                        : !FitsDigits(cents, kAmountDigits) ? "Betrag zu groß (höchstens 11 Stellen)"
                                                           : nullptr;
  if (problem != nullptr) {
    ValueProblem(problem, fld::kAmount, text);
    cents = 0.0;
  }
  amountSum_ += cents;
  PrintLf(value, room, cents);
}

bool SpkWriter::PaymentNumberOk(const PaymentNumber& rule, const char* value) {
  const char* problem = PaymentNumberProblem(rule, value);
  if (problem == nullptr) return true;
  if (!quiet_) ValueProblem(problem, rule.field, value);
  numbersTold_ = true;
  return false;
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

void SpkWriter::WriteRecord(std::size_t length) {
  sink_.Put(record_.data(), strnlen(record_.data(), length));
}

void SpkWriter::WriteTrailer() {
  std::string trailer = "0128E     ";
  std::array<char, 32> count;
  FormatInt(count.data(), sink_.count(), 0, 7);  // "%07ld" of a count
  trailer += count.data();
  std::string number;
  auto add = [&](std::size_t width, const char* what) {
    CheckSumWidth(number, width, what);
    trailer += number;
  };
  FormatDouble(number, euro_ ? 0.0 : amountSum_, 13, 0, true);  // DM amount sum
  add(13, "Summe der Beträge zu groß");
  accountSum_.Format(number, 17, true);
  add(17, "Summe der Kontonummern zu groß");
  bankCodeSum_.Format(number, 17, true);
  add(17, "Summe der Bankleitzahlen zu groß");
  FormatDouble(number, euro_ ? amountSum_ : 0.0, 13, 0, true);  // Euro amount sum
  add(13, "Summe der Beträge zu groß");
  trailer.append(51, ' ');
  sink_.PutRaw(trailer);
}

void SpkWriter::PlaceholderValue(char letter, long long diskNumber, std::string& value) const {
  const Settings& s = run_.settings;
  switch (letter) {
    case 'A': value = run_.outputName; break;
    case 'B': value = run_.today; break;
    case 'C': value = std::to_string(diskNumber); break;
    case 'D': value = std::to_string(sink_.count()); break;
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

// The number of this run's diskette: the one in SPK.NUM plus one, read once
// under SPK.NUM's lock. After a problem (in a check) it is 1.
long long SpkWriter::NextDiskNumber() {
  if (numberLooked_) return diskNumber_;
  numberLooked_ = true;
  diskNumber_ = 1;
  const std::string shown = run_.configDir + "SPK.NUM";
  const std::string path = ResolvePath(shown);
  auto noNumber = [&shown](const std::string& reason) {
    Problem(WithWhere(msg::kNoDiskNumber, FileWhere(shown, reason)));
  };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    noNumber(SystemReason(EISDIR));
    return diskNumber_;
  }
  std::FILE* probe = std::fopen(path.c_str(), "rb");
  if (probe == nullptr) {
    noNumber(SystemReason(errno));
    return diskNumber_;
  }
  std::fclose(probe);
  // A missing number is told before a file that cannot take the new one,
  // and that before anything is printed. A check writes nothing.
  if (!Checking()) {
    std::FILE* update = std::fopen(path.c_str(), "r+b");
    if (update == nullptr)
      ErrorExitText(WithWhere(msg::kDiskNumberNotWritten, PathWhere(shown, errno)));
    std::fclose(update);
  }
  // Replaced whole: a failed write keeps the old number rather than
  // leaving an empty file that no later run could count on. The work file
  // beside it is what can still fail.
  const std::string notWritten = WithWhere(
      msg::kDiskNumberNotWritten, FileWhere(shown, "keine Arbeitsdatei im Verzeichnis möglich"));
  numberOut_ = &number_.Open(path, SafeOutput::Mode::kTruncate, notWritten,
                             [&notWritten] { ErrorExitText(notWritten); });
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    noNumber(SystemReason(errno));
    return diskNumber_;
  }
  long long number = 0;
  const char* problem = ReadDiskNumber(file, number);
  const int err = errno;
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    noNumber(SystemReason(err));
  } else if (problem != nullptr) {
    noNumber(problem);
  } else {
    diskNumber_ = number + 1;
  }
  return diskNumber_;
}

// The cover note's lines, read whole from SPK.FRM and filled in, before
// the printer is opened: a form that cannot be read leaves the printer
// alone.
std::vector<std::string> SpkWriter::ReadForm(long long diskNumber) const {
  std::vector<std::string> note;
  const std::string shown = run_.configDir + "SPK.FRM";
  const std::string path = ResolvePath(shown);
  auto noForm = [&shown](const std::string& reason) {
    Problem(WithWhere(msg::kNoForm, FileWhere(shown, reason)));
  };
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    noForm(SystemReason(EISDIR));
    return note;
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> formFile(std::fopen(path.c_str(), "rb"),
                                                                 &std::fclose);
  std::FILE* const form = formFile.get();
  if (form == nullptr) {
    noForm(SystemReason(errno));
    return note;
  }
  std::string line;
  std::string value;
  while (ReadFormPiece(form, line)) {
    line.resize(std::strlen(line.c_str()));  // as a C string: up to a zero byte
    if (!line.empty() && line.back() == '\n') line.pop_back();
    // One placeholder a line, at its first "$"; it takes the rest of the line.
    const std::size_t dollar = line.find('$');
    if (dollar != std::string::npos && dollar + 1 < line.size() && line[dollar + 1] >= 'A' &&
        line[dollar + 1] <= 'L') {
      PlaceholderValue(line[dollar + 1], diskNumber, value);
      line.resize(dollar);
      line += value;
    }
    if (run_.settings.oemCharset) AnsiToOem(line.data(), line.size());
    note.push_back(line);
  }
  if (std::ferror(form)) {
    noForm(SystemReason(errno));
    note.clear();
  }
  return note;
}

// The document names the diskette number that the cover note will carry,
// so the number is looked up first; the document is then written whole
// in place of the file (APPEND does not apply: a second document in the
// same file is no payment file).
void SpkWriter::WriteSepa() {
  sepa_->CheckNotEmpty();
  const long long diskNumber = NextDiskNumber();
  const std::string& path = run_.outputPath;
  OutputStream& out =
      file_.Open(path, SafeOutput::Mode::kTruncate, "Fehler beim öffnen Outputdatei " + path,
                 [&path] { OpenOutputStream(path, false)->Close(); });
  sepa_->Write(out, diskNumber);
  file_.Commit();
}

// The printer is opened only when everything it is to print is at hand:
// the diskette number read and ready to be written back, the form read.
// A run that fails before leaves the last cover note where it was.
void SpkWriter::PrintCoverNote() {
  // The diskette number rises with every run that gets this far.
  const long long diskNumber = NextDiskNumber();
  const std::vector<std::string> note = ReadForm(diskNumber);
  // A check reads and fills in everything, and prints and writes nothing.
  if (Checking() || numberOut_ == nullptr) return;

  CoverNotePrinter printer;
  // On the host's systems an empty PROTPRINTER meant the first parallel
  // port; here that is the print spooler's default printer.
  const std::string printerName =
      run_.settings.protPrinter.empty() ? std::string("LPT1") : run_.settings.protPrinter;
  auto unreachable = [&printer, &printerName] {
    ErrorExitText(WithWhere(msg::kPrinter, FileWhere(printerName, printer.failure())));
  };
  if (!printer.Open(printerName, std::getenv("PATH"))) unreachable();

  numberOut_->Write(std::to_string(diskNumber));
  numberOut_->Putc('\n');
  number_.Commit();

  OutputStream* out = printer.Stream();
  if (out == nullptr) {
    unreachable();
    return;
  }
  for (const std::string& line : note) {
    out->Write(line);
    out->Putc('\n');
  }
  if (!printer.Close()) unreachable();
}

}  // namespace

std::unique_ptr<Writer> MakeSpkWriter(const RunInfo& run) {
  return std::make_unique<SpkWriter>(run, run.dataType);
}

}  // namespace zeko
