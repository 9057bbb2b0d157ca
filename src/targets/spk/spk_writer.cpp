// SPK writer: outgoing invoices as a DTAUS payment file for the savings
// bank (A record, one C record per invoice, E record with control sums,
// no line ends), and the printed cover note that goes with the diskette.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "convert/convert.h"
#include "convert/line_builder.h"
#include "lib/error.h"
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

// The first number of a text file as "%d" reads it: white space skipped,
// an optional sign, digits. A file without one counts as 0.
long long ReadNumber(std::FILE* file) {
  int c = std::fgetc(file);
  while (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f')
    c = std::fgetc(file);
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    c = std::fgetc(file);
  }
  long long n = 0;
  // A number beyond any sensible diskette count stops growing rather than
  // wrapping round.
  constexpr long long kLimit = 100000000000000000LL;
  for (; c >= '0' && c <= '9'; c = std::fgetc(file))
    if (n < kLimit) n = n * 10 + (c - '0');
  return negative ? -n : n;
}

// Payment values with a fixed number of digits in the DTAUS format. A value
// too long for its field would be cut there (an amount to a tenth of its
// value, while the E record's sum keeps the whole), so the run ends before
// anything is written.
struct DigitLimit {
  std::uint32_t field;
  const char* what;
};
constexpr DigitLimit kDigitLimits[] = {
    {115, "Betrag zu groß"},
    {305, "Bankleitzahl zu lang"},
    {310, "Kontonummer zu lang"},
    {340, "Bankleitzahl des Auftraggebers zu lang"},
    {350, "Kontonummer des Auftraggebers zu lang"},
};

// Characters of the whole number that a number row prints for the value,
// before it is padded or cut to the row's width.
std::size_t NumberWidth(const MapEntry& row, const char* value) {
  double x = AtoF(value);
  if (row.a && *row.a) x += AtoF(row.a);
  char text[400];  // a double printed whole needs up to 310
  FormatFixed(text, x, 0, 0);
  return std::strlen(text);
}

// The E record's control sums must keep their widths, or the file would no
// longer be made of 128-byte blocks.
void CheckSumWidth(const std::string& number, std::size_t width, const char* what) {
  if (number.size() > width)
    ErrorExit("%s für den E-Satz (höchstens %u Stellen)", what, unsigned(width));
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
  void CheckDigits(std::uint32_t field, const char* value) const;
  void WriteTrailer();
  void PrintCoverNote();
  void WriteRecord(std::size_t length);
  void PlaceholderValue(char letter, long long diskNumber, std::string& value) const;
  long long NextDiskNumber();
  void WriteSepa();

  // Only outgoing invoices have DTAUS layouts; for other kinds of data the
  // writer is bound and produces no file and no cover note.
  MapTable aLayout_;
  MapTable cLayout_;
  MapTable building_;      // the layout BuildRecord walks
  long recordNumber_ = 0;  // the input record whose values it takes
  bool euro_ = false;      // RELEASE 1 or 2: amounts in the Euro fields

  // The payment file changes only with the run's commit: a run that fails
  // leaves an existing file exactly as it was.
  SafeOutput file_;  // the SEPA document
  // SPK.NUM, held from the moment its number is read until the run commits:
  // a run that reads the number while another holds it waits for the other
  // to commit, so no two payment files carry the same diskette number.
  SafeOutput number_;
  OutputStream* numberOut_ = nullptr;
  long long diskNumber_ = 0;
  std::array<char, kLineRoom> record_{};
  std::array<char, kValueRoom> value_{};

  double amountSum_ = 0.0;  // absolute amounts in cents, unrounded
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
  // The A record takes its fields from the record read for the binding.
  if (SpkSepaChosen(run_.settings)) {
    sepa_ = std::make_unique<SpkSepa>(run_.settings, euro_, GetSysTime());
    return;
  }
  const std::string& path = run_.outputPath;
  const bool append = run_.settings.append != 0;
  // Records are written as "%s" writes them, up to the first zero byte,
  // with no line end.
  sink_.Configure(LineSink::Framing::kText, LineSink::Counting::kByWriter,
                  run_.settings.oemCharset);
  sink_.Open(path, append ? SafeOutput::Mode::kAppend : SafeOutput::Mode::kTruncate,
             "Fehler beim öffnen Outputdatei " + path,
             [&path, append] { OpenOutputStream(path, append)->Close(); });
  recordNumber_ = 1;  // the A record takes the first record's values
  WriteRecord(BuildRecord(aLayout_, run.first));
  amountSum_ = 0.0;
  accountSum_.Reset();
  bankCodeSum_.Reset();
}

void SpkWriter::Write(const Record& record) {
  if (cLayout_.empty()) return;
  recordNumber_ = sink_.count() + 1;
  const std::size_t length = BuildRecord(cLayout_, record);
  if (sepa_) {
    sepa_->Add(record_.data(), record, keptBlz_, keptKonto_, recordNumber_);
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
  building_ = layout;
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

void SpkWriter::AdjustField(std::uint32_t field, char* value, std::size_t room) {
  switch (field) {
    case fld::kAmount: {
      // The sign is dropped: the text key (field 330) tells payments from
      // debits.
      const double cents = std::fabs(AtoF(value) * 100.0);
      amountSum_ += cents;
      PrintLf(value, room, cents);
      break;
    }
    case fld::kBankCode: bankCodeSum_.Add(AtoF(value)); break;
    case fld::kBankAccount: accountSum_.Add(AtoF(value)); break;
    case fld::kSpkKennzeichen: ReplaceValue(value, room, run_.settings.spkKennzeichen); break;
    case fld::kSpkBlz:
      if (!empty(value)) keptBlz_.assign(value);
      ReplaceValue(value, room, keptBlz_);
      break;
    case fld::kSpkKunde: ReplaceValue(value, room, run_.settings.spkKunde); break;
    case fld::kSpkKonto:
      if (!empty(value)) keptKonto_.assign(value);
      ReplaceValue(value, room, keptKonto_);
      break;
    case fld::kSpkReferenz: ReplaceValue(value, room, run_.settings.spkReferenz); break;
    case fld::kToday: ReplaceValue(value, room, run_.today); break;
    default: break;
  }
  CheckDigits(field, value);
}

void SpkWriter::CheckDigits(std::uint32_t field, const char* value) const {
  // A SEPA document checks bank codes and accounts itself (field 310 may
  // hold an IBAN there); its amounts are the C record's, so they must fit.
  if (sepa_ && field != 115) return;
  for (const DigitLimit& limit : kDigitLimits) {
    if (limit.field != field) continue;
    for (const MapEntry& row : building_) {
      if (row.field == field && row.type == kNumberZeroFilled &&
          NumberWidth(row, value) > row.length)
        ErrorExit("%s in Satz %ld (Feld %u, höchstens %u Stellen)", limit.what, recordNumber_,
                  unsigned(field), unsigned(row.length));
    }
  }
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
// under SPK.NUM's lock.
long long SpkWriter::NextDiskNumber() {
  if (numberOut_ != nullptr) return diskNumber_;
  const std::string path = ResolvePath(run_.configDir + "SPK.NUM");
  auto openNumber = [&path] {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) ErrorExit("Keine Diskettennummer");
    return file;
  };
  // A missing number is told before a folder that cannot take the new one.
  std::fclose(openNumber());
  // Replaced whole: a failed write keeps the old number rather than
  // leaving an empty file that no later run could count on.
  const char* const kNotWritable = "Diskettennummer kann nicht geschrieben werden";
  numberOut_ = &number_.Open(path, SafeOutput::Mode::kTruncate, kNotWritable,
                             [kNotWritable] { ErrorExitText(kNotWritable); });
  std::FILE* numberFile = openNumber();
  diskNumber_ = ReadNumber(numberFile) + 1;
  std::fclose(numberFile);
  return diskNumber_;
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

void SpkWriter::PrintCoverNote() {
  CoverNotePrinter printer;
  // On the host's systems an empty PROTPRINTER meant the first parallel
  // port; here that is the print spooler's default printer.
  const std::string printerName =
      run_.settings.protPrinter.empty() ? std::string("LPT1") : run_.settings.protPrinter;
  if (!printer.Open(printerName, std::getenv("PATH"))) ErrorExit("Drucker nicht ansprechbar");

  // The diskette number rises with every run that gets this far.
  const long long diskNumber = NextDiskNumber();
  numberOut_->Write(std::to_string(diskNumber));
  numberOut_->Putc('\n');
  number_.Commit();

  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> formFile(
      std::fopen(ResolvePath(run_.configDir + "SPK.FRM").c_str(), "rb"), &std::fclose);
  std::FILE* const form = formFile.get();
  if (form == nullptr) ErrorExit("Kein Begleitzettelformular");
  OutputStream* note = printer.Stream();
  if (note == nullptr) ErrorExit("Drucker nicht ansprechbar");
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
    note->Write(line);
    note->Putc('\n');
  }
  if (!printer.Close()) ErrorExit("Drucker nicht ansprechbar");
}

}  // namespace

std::unique_ptr<Writer> MakeSpkWriter(const RunInfo& run) {
  return std::make_unique<SpkWriter>(run, run.dataType);
}

}  // namespace zeko
