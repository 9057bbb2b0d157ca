// The converter's messages in one place: every text a user can be shown,
// and how a message says what and where. A message keeps its text as the
// host system knows it and adds, on the same line after ": ", what went
// wrong where: a path with the system's reason, a configuration line and
// key, or a record, field and value.
//
// A problem with the input or the configuration goes through Problem: a
// run ends with it (the fatal path, so nothing is written), a check
// (zeko --pruefen) collects it and goes on, so that one check names every
// problem of a file. Code that reports a problem therefore carries on with
// a harmless value afterwards (0, an empty date, the end of the record).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace zeko {
namespace msg {

// Command line.
inline constexpr char kUnknownOption[] = "Unbekannte Option";

// Input file.
inline constexpr char kInputOpen[] = "Fehler beim öffnen der Eingabedatei";
inline constexpr char kLineTooLong[] = "Pufferüberlauf beim Einlesen der Daten";
inline constexpr char kDamagedGroup[] = "Satz beschädigt";
inline constexpr char kEofMark[] = "Dateiendezeichen (1A) vor weiteren Daten";
inline constexpr char kDataType[] = "Datenart ungültig";
inline constexpr char kInputNotDeleted[] = "Eingabedatei kann nicht gelöscht werden";
// The input is deleted, but the deletion may not survive a power loss:
// the journal that says the export is booked stays.
inline constexpr char kInputDeletionNotSynced[] = "Löschen der Eingabedatei nicht gesichert";

// Values, by what their output field needs.
inline constexpr char kBadNumber[] = "Keine gültige Zahl";
inline constexpr char kNumberTooLong[] = "Zahl zu lang für das Feld";
// More significant digits than a double carries exactly (kExactDigits).
inline constexpr char kNumberTooPrecise[] = "Zahl hat mehr als 15 gültige Stellen";
inline constexpr char kBadDate[] = "Kein gültiges Datum";
inline constexpr char kBadBankCode[] = "Keine gültige Bankleitzahl";
inline constexpr char kBadAccount[] = "Keine gültige Kontonummer";
inline constexpr char kBadAmount[] = "Betrag muss größer als 0 sein";
// The Bundesbank's bank codes, by which the payments' accounts are checked.
inline constexpr char kNoBankData[] = "Keine Bankleitzahlendatei gefunden";
inline constexpr char kBankDataFile[] = "Bankleitzahlendatei nicht lesbar";
inline constexpr char kConversionError[] = "Fehler in Typenkonvertierung";

// Configuration.
inline constexpr char kConfigOpen[] = "Fehler beim öffnen CONFIG - Datei:\n";
inline constexpr char kConfigProcess[] = "Fehler beim Verarbeiten CONFIG - Datei:\n";
inline constexpr char kConfigSyntax[] = "Fehler in CONFIG - Syntax";
inline constexpr char kConfigValue[] = "Fehler in CONFIG - Wert ungültig";
inline constexpr char kConfigUtf16[] = "Fehler in CONFIG - Datei ist UTF-16 kodiert";
inline constexpr char kConfigKey[] = "Fehler in CONFIG - Schlüssel ungültig";
inline constexpr char kConfigLineTooLong[] = "Fehler in CONFIG - Zeile zu lang";
inline constexpr char kTypeUnknown[] = " : Ausgabe - Typ unbekannt";
inline constexpr char kNoWriter[] = "Zuweisung Open fehlt";

// Output files.
inline constexpr char kWriteError[] = "Fehler in e_write";
inline constexpr char kOutputOpen[] = "Fehler beim öffnen Outputdatei ";
inline constexpr char kOutputCreate[] = "ZEKO : Fehler Anlegen Outputdatei ";

// SPK side files and printer.
inline constexpr char kPrinter[] = "Drucker nicht ansprechbar";
inline constexpr char kNoDiskNumber[] = "Keine Diskettennummer";
inline constexpr char kDiskNumberNotWritten[] = "Diskettennummer kann nicht geschrieben werden";
inline constexpr char kNoForm[] = "Kein Begleitzettelformular";

// The run.
inline constexpr char kCancelled[] = "Übernahme abgebrochen";
inline constexpr char kUnknownError[] = "Unbekannter Fehler in ZEKO.EXE";

// The run protocol (zeko --protokoll).
inline constexpr char kNoProtocol[] = "Kein Protokoll";
// Its chain of hashes is broken: an entry was changed, removed or moved.
inline constexpr char kProtocolChanged[] = "Protokoll verändert";

}  // namespace msg

// --- Where -----------------------------------------------------------------

// The input record being read (1 for the first), counted by the reader over
// the records it hands on; 0 before the first.
void SetRecordNumber(long number);
long RecordNumber();

// A value as a message shows it: in double quotes, cut to 40 characters
// ("..." behind a cut), control bytes and bytes that are not text written
// as \xNN.
std::string ShownValue(std::string_view value);

// "Satz 3, Feld 115, Wert "1.234,56"": the current record, the field and
// its value. A field of 0 is left out.
std::string ValueWhere(int field, std::string_view value);

// "<path> (<reason>)": the system's reason for error number err (errno) in
// German.
std::string PathWhere(const std::string& path, int err);
std::string SystemReason(int err);

// "<path>, Zeile 3, Schlüssel APPEND": a configuration line.
std::string ConfigWhere(const std::string& path, int line, std::string_view key);

// text + ": " + where.
std::string WithWhere(std::string_view text, std::string_view where);

// --- Problems ---------------------------------------------------------------

// A problem with the input or the configuration: the message, with where.
// In a run this is fatal and does not return; in a check it is collected
// and the caller goes on.
void Problem(const std::string& message);
// Problem(WithWhere(text, ValueWhere(field, value))).
void ValueProblem(std::string_view text, int field, std::string_view value);

// Switches to checking: problems are collected from now on.
void BeginCheck();
bool Checking();
// The problems collected (at most kMaxFindings kept) and how many there were.
inline constexpr std::size_t kMaxFindings = 100;
const std::vector<std::string>& Findings();
long FindingCount();
// Back to a run's rule (problems are fatal), the findings forgotten: for
// tests that check in-process.
void EndCheck();

}  // namespace zeko
