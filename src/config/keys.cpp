// The keys of the configuration's main part: which key a line begins with,
// and what each one sets. The GENERIC keys and the FIELDSA..FIELDSE blocks
// are generic_layout.cpp's.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "config/config.h"
#include "config/config_reader.h"
#include "lib/messages.h"
#include "lib/platform.h"

namespace zeko {

namespace {

// The TYP keywords and their target numbers, in number order.
// clang-format off
constexpr struct {
  const char* keyword;
  int type;
} kTargetKeywords[] = {
    {"MIS", 0},            {"FIBU2000", 0},  {"HS", kTargetHS},           {"HS3", kTargetHS3},
    {"EURO", 3},           {"REALTIME", 3},  {"KHK", 4},                  {"DATAX", kTargetDATAX},
    {"TAYLORIX", 6},       {"DVS", 7},       {"SPK", kTargetSPK},         {"KHKS", 9},
    {"NOVOPLAN", 10},      {"PROFIB", 11},   {"HSD", 12},                 {"QVS", 13},
    {"CSL", 14},           {"UNICOM", 15},   {"KHK7", 16},                {"KHK8", kTargetKHK8},
    {"HP", 18},            {"MONA", kTargetMONA}, {"GENERIC", kTargetGENERIC}, {"PCREWE", kTargetPCREWE},
    {"PROLINE", 22},       {"DAHM", 23},     {"LEDAX", kTargetLEDAX},     {"SLANG", kTargetSLANG},
};
// clang-format on

// The keys, in the order in which a line is compared with them: the first
// key that the line begins with handles it ("PATHNAME=X" sets PATH).
// clang-format off
enum class Key {
  kPath, kName, kSpawn, kRelease, kAppend, kOemCharset, kPresort, kSlMacro, kMandant, kAnwender,
  kSpkKennzeichen, kSpkBlz, kSpkKunde, kSpkKonto, kSpkReferenz, kSpkDatentraeger,
  kSpkKassenname, kSpkFormat, kSpkBic, kSpkGlaeubigerId, kSpkMandatFeld, kSpkMandatDatum,
  kSpkSequenz, kSpkVorlauf, kSpkPruefung, kSpkBankdaten, kSpkSammelbuchung, kSpkZeichensatz,
  kProtPrinter, kProtokoll, kBufLen, kFieldsA, kFieldsB, kFieldsC, kFieldsD,
  kFieldsE, kGenericFileHeader, kGeneric, kTyp, kWaehrung, kSteuerFassts,
};
// clang-format on
struct KeyName {
  const char* name;
  Key key;
};
constexpr KeyName kKeys[] = {
    {"PATH", Key::kPath},
    {"NAME", Key::kName},
    {"SPAWN", Key::kSpawn},
    {"RELEASE", Key::kRelease},
    {"APPEND", Key::kAppend},
    {"OEMCHARSET", Key::kOemCharset},
    {"PRESORT", Key::kPresort},
    {"SLMACRO", Key::kSlMacro},
    {"MANDANT", Key::kMandant},
    {"ANWENDER", Key::kAnwender},
    {"SPK_KENNZEICHEN", Key::kSpkKennzeichen},
    {"SPK_BLZ", Key::kSpkBlz},
    {"SPK_KUNDE", Key::kSpkKunde},
    {"SPK_KONTO", Key::kSpkKonto},
    {"SPK_REFERENZ", Key::kSpkReferenz},
    {"SPK_DATENTRAEGER", Key::kSpkDatentraeger},
    {"SPK_KASSENNAME", Key::kSpkKassenname},
    {"SPK_FORMAT", Key::kSpkFormat},
    {"SPK_BIC", Key::kSpkBic},
    {"SPK_GLAEUBIGERID", Key::kSpkGlaeubigerId},
    {"SPK_MANDATFELD", Key::kSpkMandatFeld},
    {"SPK_MANDATDATUM", Key::kSpkMandatDatum},
    {"SPK_SEQUENZ", Key::kSpkSequenz},
    {"SPK_VORLAUF", Key::kSpkVorlauf},
    {"SPK_PRUEFUNG", Key::kSpkPruefung},
    {"SPK_BANKDATEN", Key::kSpkBankdaten},
    {"SPK_SAMMELBUCHUNG", Key::kSpkSammelbuchung},
    {"SPK_ZEICHENSATZ", Key::kSpkZeichensatz},
    {"PROTPRINTER", Key::kProtPrinter},
    {"PROTOKOLL", Key::kProtokoll},
    {"BUFLEN", Key::kBufLen},
    {"FIELDSA", Key::kFieldsA},
    {"FIELDSB", Key::kFieldsB},
    {"FIELDSC", Key::kFieldsC},
    {"FIELDSD", Key::kFieldsD},
    {"FIELDSE", Key::kFieldsE},
    {"GENERICFILEHEADER", Key::kGenericFileHeader},
    {"GENERIC", Key::kGeneric},
    {"TYP", Key::kTyp},
    {"WAEHRUNG", Key::kWaehrung},
    {"STEUER_FASSTS", Key::kSteuerFassts},
};

}  // namespace

std::vector<std::string_view> ConfigKeyNames() {
  std::vector<std::string_view> names;
  for (const KeyName& k : kKeys) names.emplace_back(k.name);
  return names;
}

namespace {

// The key a text begins with, or nullptr.
const KeyName* FindKey(std::string_view text) {
  for (const KeyName& k : kKeys)
    if (text.compare(0, std::strlen(k.name), k.name) == 0) return &k;
  return nullptr;
}

// BUFLEN: one input line must hold at least a group's header (field
// number, length and format code, nine characters) and one character of its
// value; a million characters is far beyond any export's line and guards
// against a mistyped value that would make every run reserve gigabytes for
// its line buffers.
constexpr long kMinLineBuffer = 10;
constexpr long kMaxLineBuffer = 1000000;
// RELEASE: the writers compare it with small numbers (1, 2, 5, 38); a
// number of up to three digits is a release, anything else a mistake.
constexpr long kMaxRelease = 999;
// Value capacities of the text settings.
constexpr std::size_t kMaxIdentifier = 127;  // MANDANT, ANWENDER
constexpr std::size_t kMaxSpkText = 80;      // the savings-bank disk settings

}  // namespace

void ConfigReader::Handle() {
  std::size_t lead = 0;
  while (lead < line_.size() && IsBlank(line_[lead])) ++lead;
  if (lead > 0) {
    // Blanks before a key make the line a comment to the host system,
    // which silently loses the setting; one that reads like a setting is
    // refused. Other lines that start with blanks stay comments.
    if (const KeyName* k = FindKey(std::string_view(line_).substr(lead)))
      Problem(WithWhere(msg::kConfigSyntax, Where(k->name)) + " (Leerzeichen vor dem Schlüssel)");
    return;
  }
  const KeyName* k = FindKey(line_);
  if (!k) return;  // a comment
  const std::size_t keyLen = std::strlen(k->name);
  std::string v;
  switch (k->key) {
    case Key::kPath:
      if (Last(v)) s_.path = v;
      break;
    case Key::kName:
      if (Last(v))
        if (int d = Digit(keyLen, 1, 5); d > 0) s_.names[d] = v;
      break;
    case Key::kSpawn:
      if (Last(v))
        if (int d = Digit(keyLen, 1, 5); d > 0) s_.spawn[d] = v;
      break;
    case Key::kRelease: Number(0, kMaxRelease, s_.release); break;
    case Key::kAppend: {
      bool on = s_.append != 0;
      if (Switch(on)) s_.append = on ? 1 : 0;
      break;
    }
    case Key::kOemCharset: Switch(s_.oemCharset); break;
    case Key::kPresort: Number(0, kMaxFieldNumber, s_.presortField); break;
    case Key::kSlMacro:
      if (Last(v)) s_.slMacro = v;
      break;
    case Key::kMandant:
      if (First(v)) {
        InsertDate(v);
        if (v.size() > kMaxIdentifier)
          BadValue(v, " (höchstens " + std::to_string(kMaxIdentifier) + " Zeichen)");
        else
          s_.mandant = v;
      }
      break;
    case Key::kAnwender: SetFirst(s_.anwender, kMaxIdentifier); break;
    case Key::kSpkKennzeichen: SetFirst(s_.spkKennzeichen, kMaxSpkText); break;
    case Key::kSpkBlz: SetFirst(s_.spkBlz, kMaxSpkText); break;
    case Key::kSpkKunde: SetFirst(s_.spkKunde, kMaxSpkText); break;
    case Key::kSpkKonto: SetFirst(s_.spkKonto, kMaxSpkText); break;
    case Key::kSpkReferenz: SetFirst(s_.spkReferenz, kMaxSpkText); break;
    case Key::kSpkDatentraeger: SetFirst(s_.spkDatentraeger, kMaxSpkText); break;
    case Key::kSpkKassenname: SetFirst(s_.spkKassenname, kMaxSpkText); break;
    case Key::kSpkFormat: SetFirst(s_.spkFormat); break;
    case Key::kSpkBic: SetFirst(s_.spkBic); break;
    case Key::kSpkGlaeubigerId: SetFirst(s_.spkGlaeubigerId); break;
    case Key::kSpkMandatFeld: SetFirst(s_.spkMandatFeld); break;
    case Key::kSpkMandatDatum: SetFirst(s_.spkMandatDatum); break;
    case Key::kSpkSequenz: SetFirst(s_.spkSequenz); break;
    case Key::kSpkVorlauf: SetFirst(s_.spkVorlauf); break;
    case Key::kSpkPruefung:
      // Turning the bank-data check off must be said in so many words: an
      // empty value does not do it.
      if (Last(v) && (Trimmed(v).empty() || !ReadSwitch(v, s_.spkPruefung)))
        BadValue(v, kSwitchValues);
      break;
    case Key::kSpkBankdaten:
      if (Last(v)) s_.spkBankdaten = v;
      break;
    case Key::kSpkSammelbuchung: {
      bool on = false;
      if (Last(v) && (Trimmed(v).empty() || !ReadSwitch(v, on)))
        BadValue(v, kSwitchValues);
      else
        s_.spkSammelbuchung = on;
      break;
    }
    case Key::kSpkZeichensatz:
      if (Last(v)) {
        const std::string_view page = Trimmed(v);
        if (page == "1252")
          s_.spkZeichensatz = 1252;
        else if (page == "850")
          s_.spkZeichensatz = 850;
        else
          BadValue(v, " (1252 oder 850)");
      }
      break;
    case Key::kProtPrinter: SetFirst(s_.protPrinter); break;
    case Key::kProtokoll:
      if (Last(v)) s_.protokoll = v;
      break;
    case Key::kBufLen: Number(kMinLineBuffer, kMaxLineBuffer, s_.lineBufferSize); break;
    case Key::kFieldsA:
    case Key::kFieldsB:
    case Key::kFieldsC:
    case Key::kFieldsD:
    case Key::kFieldsE: {
      const int list = k->name[6] - 'A' + 1;
      (void)Last(v);  // the value is not used, but the "=" is required
      // The block is read even then, so that its rows are not taken for
      // lines of the main part.
      ReadFieldList(s_.fieldLists[list], k->name);
      break;
    }
    case Key::kGenericFileHeader:
      if (Last(v)) s_.genericFileHeader = v;
      break;
    case Key::kGeneric: HandleGeneric(); break;
    case Key::kTyp:
      if (Last(v)) {
        s_.typeKeyword = v;
        s_.typeLine = lineNo_;
        for (const auto& t : kTargetKeywords) {
          if (v == t.keyword) {
            s_.targetType = t.type;
            return;
          }
        }
        // The line as it stands: a "%" in it is no format directive.
        Problem(WithWhere(line_ + msg::kTypeUnknown, Where(std::string_view())));
      }
      break;
    case Key::kWaehrung:
      if (Last(v))
        if (int d = Digit(keyLen, 0, 9); d >= 0) s_.currency[d] = v.substr(0, 3);
      break;
    case Key::kSteuerFassts: ReadTaxText(keyLen); break;
  }
}

void ConfigReader::ReadTaxText(std::size_t keyLen) {
  // The entry's number stands between the key and the "=";
  // "STEUER_FASSTS=X" is entry 0.
  const std::size_t eq = line_.find('=');
  const std::string_view number =
      std::string_view(line_).substr(keyLen, eq == std::string::npos ? eq : eq - keyLen);
  long n = 0;
  const std::string_view digits = Trimmed(number);
  if (digits.find_first_not_of("0123456789") != std::string_view::npos ||
      !ReadWhole(digits, 0, 20, n)) {
    BadKey(" (STEUER_FASSTS0 bis STEUER_FASSTS20)");
    return;
  }
  std::string v;
  if (Last(v)) s_.taxTexts[static_cast<std::size_t>(n)] = v;
}

void ConfigReader::InsertDate(std::string& value) {
  // "$D" becomes the current date as DDMMYY, written over the value from the
  // "$" on: the four characters after "$D" are overwritten too.
  const std::size_t at = value.find("$D");
  if (at == std::string::npos) return;
  const std::string date = StringTime(GetSysTime(), "%d%m%y");
  if (value.size() < at + date.size()) value.resize(at + date.size());
  value.replace(at, date.size(), date);
}

}  // namespace zeko
