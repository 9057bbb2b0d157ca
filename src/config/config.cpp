#include "config/config.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "lib/messages.h"
#include "lib/number.h"
#include "lib/platform.h"
#include "lib/text.h"

namespace zeko {

FieldList& FieldList::operator=(const FieldList& other) {
  if (this == &other) return *this;
  Clear();
  for (std::size_t i = 0; i < other.rows.size(); ++i) {
    const MapEntry& row = other.rows[i];
    Add(row.length, row.type, row.field, row.a, i < other.lines.size() ? other.lines[i] : 0);
  }
  return *this;
}

void FieldList::Add(std::uint32_t length, std::uint32_t type, std::uint32_t field, std::string text,
                    int line) {
  texts.push_back(std::move(text));
  rows.push_back(MapEntry{field, length, type, texts.back().c_str(), ""});
  lines.push_back(line);
}

std::string ParseCodeList(const char* text, int maxCount, int* count) {
  std::string codes;
  int n = 0;
  bool ended = false;  // the setting's text ends at the first code 0
  const char* p = text;
  while (*p && n < maxCount) {
    while (*p == ' ' || *p == ',' || *p == '\t') ++p;
    if (!*p) break;
    const char* start = p;
    while (*p && *p != ' ' && *p != ',' && *p != '\t') ++p;
    std::string piece(start, p);
    char code = static_cast<char>(AtoI(piece.c_str()) & 0xFF);
    if (code == '\0') ended = true;
    if (!ended) codes += code;
    ++n;
  }
  if (count) *count = n;
  return codes;
}

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
  kSpkSequenz, kSpkVorlauf, kProtPrinter, kBufLen, kFieldsA, kFieldsB, kFieldsC, kFieldsD,
  kFieldsE, kGenericFileHeader, kGeneric, kTyp, kWaehrung, kSteuerFassts,
};
// clang-format on
constexpr struct {
  const char* name;
  Key key;
} kKeys[] = {
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
    {"PROTPRINTER", Key::kProtPrinter},
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

// The key a text begins with, or nullptr.
const std::remove_extent_t<decltype(kKeys)>* FindKey(std::string_view text) {
  for (const auto& k : kKeys)
    if (text.compare(0, std::strlen(k.name), k.name) == 0) return &k;
  return nullptr;
}

// What a line may hold: the main part is read into a buffer of 254
// characters, a field-definition line (joined from its continuation lines)
// into one of 1023; a longer line would be cut, and its rest read as a line
// of its own, so it is refused instead.
constexpr std::size_t kMaxLine = 254;
constexpr std::size_t kMaxFieldLine = 1023;

// A layout block has room for this many rows.
constexpr std::size_t kMaxRows = 500;
// The widest row the GENERIC writer converts (its own limit, kept in step).
constexpr long kMaxFieldLength = 65535;
// A field number names one of the input's field slots.
constexpr long kMaxFieldNumber = 999;
// A code list has at most this many codes.
constexpr int kMaxCodes = 80;

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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trimmed(std::string_view v) {
  while (!v.empty() && IsBlank(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsBlank(v.back())) v.remove_suffix(1);
  return v;
}

// A whole number from lo to hi: the whole text (blanks around it aside) is
// the number; empty text is 0. No leading-part reading: "4x" and "5.0" are
// not numbers.
bool ReadWhole(std::string_view text, long lo, long hi, long& out) {
  text = Trimmed(text);
  if (text.find('.') != std::string_view::npos) return false;
  const Decimal d = ReadDecimal(text);
  if (!d.valid || d.value < static_cast<double>(lo) || d.value > static_cast<double>(hi))
    return false;
  out = static_cast<long>(d.value);
  return true;
}

// A yes/no switch: 0 or 1, J or N, JA or NEIN; blanks around it are no part
// of the value, and an empty value is 0 as an empty number is.
bool ReadSwitch(std::string_view text, bool& on) {
  text = Trimmed(text);
  if (text.empty() || text == "0" || text == "N" || text == "NEIN") {
    on = false;
    return true;
  }
  if (text == "1" || text == "J" || text == "JA") {
    on = true;
    return true;
  }
  return false;
}

constexpr char kSwitchValues[] = " (erlaubt: 0, 1, J, N, JA, NEIN)";

std::string Range(long lo, long hi) {
  return " (erlaubt: " + std::to_string(lo) + " bis " + std::to_string(hi) + ")";
}

// Whether the GENERIC writer converts a row of this type code: a base code
// with a conversion, and only the option flags of its kind.
bool KnownGenericType(long code) {
  const long base = code & 0x3F;
  const long flags = code & ~0x3FL;
  // clang-format off
  switch (base) {
    case 0: case 1: case 2: case 3: case 4:
      return (flags & ~0x1FC0L) == 0;  // zero fill .. absolute value
    case 8:
      return (flags & ~0x3C0L) == 0;  // upper case .. skip leading blanks
    case 10: case 11: case 12: case 13: case 14: case 15: case 16: case 18: case 24: case 25:
    case 21:
      return flags == 0;
    default:
      return false;
  }
  // clang-format on
}

class ConfigReader {
 public:
  ConfigReader(const std::string& data, const std::string& path, Settings& s)
      : data_(data), path_(path), s_(s) {}

  void Run() {
    while (NextLine(line_)) {
      if (line_.size() > kMaxLine) {
        UpperAscii(line_);
        Problem(WithWhere(msg::kConfigLineTooLong, Where(KeyLabel())) + " (höchstens " +
                std::to_string(kMaxLine) + " Zeichen)");
        continue;
      }
      UpperAscii(line_);
      Handle();
    }
  }

 private:
  // The next line without its line end (LF or CR LF); false at the end.
  bool NextLine(std::string& out) {
    if (pos_ >= data_.size()) return false;
    std::size_t nl = data_.find('\n', pos_);
    const std::size_t end = nl == std::string::npos ? data_.size() : nl;
    out.assign(data_, pos_, end - pos_);
    if (!out.empty() && out.back() == '\r') out.pop_back();
    pos_ = nl == std::string::npos ? data_.size() : nl + 1;
    ++lineNo_;
    return true;
  }

  // The key as the line writes it, for messages: its leading letters,
  // digits and underscores ("NAME7", "GENERICFIELDSEP", "PATHNAME").
  std::string KeyLabel() const {
    std::size_t n = 0;
    while (n < line_.size() && ((line_[n] >= 'A' && line_[n] <= 'Z') ||
                                (line_[n] >= '0' && line_[n] <= '9') || line_[n] == '_'))
      ++n;
    return line_.substr(0, n);
  }
  std::string Where(std::string_view key) const { return ConfigWhere(path_, lineNo_, key); }
  std::string Where() const { return Where(KeyLabel()); }

  void Syntax(std::string_view hint = {}) const {
    Problem(WithWhere(msg::kConfigSyntax, Where()) + std::string(hint));
  }
  void BadValue(std::string_view value, std::string_view hint) const {
    Problem(WithWhere(msg::kConfigValue, Where()) + ", Wert " + ShownValue(value) +
            std::string(hint));
  }
  void BadKey(std::string_view hint) const {
    Problem(WithWhere(msg::kConfigKey, Where()) + std::string(hint));
  }

  // Text after the last "=", leading blanks removed; a line without one is
  // a syntax error (false).
  bool Last(std::string& value) const {
    std::size_t eq = line_.rfind('=');
    if (eq == std::string::npos) {
      Syntax();
      return false;
    }
    eq = line_.find_first_not_of(' ', eq + 1);
    value = eq == std::string::npos ? std::string() : line_.substr(eq);
    return true;
  }
  // Text after the first "="; false when there is none (the line is ignored).
  bool First(std::string& value) const {
    std::size_t eq = line_.find('=');
    if (eq == std::string::npos) return false;
    eq = line_.find_first_not_of(' ', eq + 1);
    value = eq == std::string::npos ? std::string() : line_.substr(eq);
    return true;
  }
  // A text (first) setting of limited capacity.
  void SetFirst(std::string& target, std::size_t capacity = std::string::npos) const {
    std::string v;
    if (!First(v)) return;
    if (v.size() > capacity) {
      BadValue(v, " (höchstens " + std::to_string(capacity) + " Zeichen)");
      return;
    }
    target = v;
  }
  // A number setting from lo to hi; a bad value leaves the setting as it was.
  bool Number(long lo, long hi, int& target) const {
    std::string v;
    if (!Last(v)) return false;
    long n = 0;
    if (!ReadWhole(v, lo, hi, n)) {
      BadValue(v, Range(lo, hi));
      return false;
    }
    target = static_cast<int>(n);
    return true;
  }
  bool Switch(bool& target) const {
    std::string v;
    if (!Last(v)) return false;
    if (!ReadSwitch(v, target)) {
      BadValue(v, kSwitchValues);
      return false;
    }
    return true;
  }
  // The digit directly after a key, lo to hi; -1 (reported) otherwise.
  int Digit(std::size_t keyLen, int lo, int hi) const {
    const int d = keyLen < line_.size() ? line_[keyLen] - '0' : -1;
    if (d >= lo && d <= hi) return d;
    const std::string key = line_.substr(0, keyLen);
    BadKey(" (" + key + std::to_string(lo) + " bis " + key + std::to_string(hi) + ")");
    return -1;
  }

  void Handle() {
    std::size_t lead = 0;
    while (lead < line_.size() && IsBlank(line_[lead])) ++lead;
    if (lead > 0) {
      // Blanks before a key make the line a comment to the host system,
      // which silently loses the setting; one that reads like a setting is
      // refused. Other lines that start with blanks stay comments.
      if (const auto* k = FindKey(std::string_view(line_).substr(lead))) {
        Problem(WithWhere(msg::kConfigSyntax, Where(k->name)) + " (Leerzeichen vor dem Schlüssel)");
      }
      return;
    }
    const auto* k = FindKey(line_);
    if (!k) return;  // a comment
    const std::size_t keyLen = std::strlen(k->name);
    std::string v;
    switch (k->key) {
      case Key::kPath:
        if (Last(v)) {
          s_.path = v;
          s_.pathLine = lineNo_;
        }
        break;
      case Key::kName:
        if (Last(v)) {
          if (int d = Digit(keyLen, 1, 5); d > 0) {
            s_.names[d] = v;
            s_.nameLines[d] = lineNo_;
          }
        }
        break;
      case Key::kSpawn:
        if (Last(v)) {
          if (int d = Digit(keyLen, 1, 5); d > 0) {
            s_.spawn[d] = v;
            s_.spawnLines[d] = lineNo_;
          }
        }
        break;
      case Key::kRelease:
        if (Number(0, kMaxRelease, s_.release)) s_.releaseLine = lineNo_;
        break;
      case Key::kAppend: {
        bool on = s_.append != 0;
        if (Switch(on)) s_.append = on ? 1 : 0;
        break;
      }
      case Key::kOemCharset: Switch(s_.oemCharset); break;
      case Key::kPresort:
        if (Number(0, kMaxFieldNumber, s_.presortField)) s_.presortLine = lineNo_;
        break;
      case Key::kSlMacro:
        if (Last(v)) {
          s_.slMacro = v;
          s_.slMacroLine = lineNo_;
        }
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
      case Key::kProtPrinter: SetFirst(s_.protPrinter); break;
      case Key::kBufLen:
        if (Number(kMinLineBuffer, kMaxLineBuffer, s_.lineBufferSize)) s_.bufLenLine = lineNo_;
        break;
      case Key::kFieldsA:
      case Key::kFieldsB:
      case Key::kFieldsC:
      case Key::kFieldsD:
      case Key::kFieldsE: {
        const int list = k->name[6] - 'A' + 1;
        (void)Last(v);  // the value is not used, but the "=" is required
        // The block is read even then, so that its rows are not taken for
        // lines of the main part.
        s_.fieldListLines[list] = lineNo_;
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
          Problem(WithWhere(line_ + msg::kTypeUnknown, Where(std::string_view())));
        }
        break;
      case Key::kWaehrung:
        if (Last(v)) {
          if (int d = Digit(keyLen, 0, 9); d >= 0) {
            s_.currency[d] = v.substr(0, 3);
            s_.currencyLines[d] = lineNo_;
          }
        }
        break;
      case Key::kSteuerFassts: {
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
          break;
        }
        if (Last(v)) s_.taxTexts[static_cast<std::size_t>(n)] = v;
        break;
      }
    }
  }

  // The pieces of a code list: numbers 0 to 255, at most kMaxCodes of them,
  // separated by blanks, commas or tabs. False (reported) otherwise.
  bool CheckCodeList(const std::string& v) const {
    int count = 0;
    std::size_t i = 0;
    while (i < v.size()) {
      while (i < v.size() && (v[i] == ' ' || v[i] == ',' || v[i] == '\t')) ++i;
      if (i >= v.size()) break;
      const std::size_t start = i;
      while (i < v.size() && v[i] != ' ' && v[i] != ',' && v[i] != '\t') ++i;
      const std::string_view piece = std::string_view(v).substr(start, i - start);
      long code = 0;
      if (piece.find_first_not_of("0123456789") != std::string_view::npos ||
          !ReadWhole(piece, 0, 255, code)) {
        BadValue(v, " (Code " + ShownValue(piece) + ": erlaubt sind Zahlen von 0 bis 255)");
        return false;
      }
      if (++count > kMaxCodes) {
        BadValue(v, " (höchstens " + std::to_string(kMaxCodes) + " Codes)");
        return false;
      }
    }
    return true;
  }

  void HandleGeneric() {
    std::string v;
    if (!Last(v)) return;
    const char* sub = line_.c_str() + 7;
    auto is = [&](const char* key) { return std::strncmp(sub, key, std::strlen(key)) == 0; };
    // The framing texts, by the key's name after "GENERIC".
    static constexpr struct {
      const char* key;
      std::string Settings::*text;
    } kTexts[] = {
        {"RECHEAD", &Settings::genericRecHead},
        {"RECSEP", &Settings::genericRecSep},
        {"FIELDSEP", &Settings::genericFieldSep},
        {"FIELDLAST", &Settings::genericFieldLast},
        {"FIELDSTARTNUM", &Settings::genericFieldStartNum},
        {"FIELDSTARTTEXT", &Settings::genericFieldStartText},
        {"FIELDSTARTDATE", &Settings::genericFieldStartDate},
        {"FIELDENDNUM", &Settings::genericFieldEndNum},
        {"FIELDENDTEXT", &Settings::genericFieldEndText},
        {"FIELDENDDATE", &Settings::genericFieldEndDate},
    };
    for (const auto& t : kTexts) {
      if (is(t.key)) {
        if (CheckCodeList(v)) s_.*t.text = ParseCodeList(v.c_str(), kMaxCodes);
        return;
      }
    }
    bool on = false;
    if (is("COMPACTFIELDS")) {
      if (ReadSwitch(v, on))
        s_.genericCompactFields = on ? 1 : 0;
      else
        BadValue(v, kSwitchValues);
    } else if (is("SKIPZERO")) {
      if (ReadSwitch(v, on))
        s_.genericSkipZero = on ? 1 : 0;
      else
        BadValue(v, kSwitchValues);
    } else {
      // A GENERIC key that sets nothing is a mistyped one.
      BadKey(" (unbekannter GENERIC-Schlüssel)");
    }
  }

  // "$D" becomes the current date as DDMMYY, written over the value from the
  // "$" on: the four characters after "$D" are overwritten too.
  static void InsertDate(std::string& value) {
    std::size_t at = value.find("$D");
    if (at == std::string::npos) return;
    std::string date = StringTime(GetSysTime(), "%d%m%y");
    if (value.size() < at + date.size()) value.resize(at + date.size());
    value.replace(at, date.size(), date);
  }

  // One row of a layout block: length, type code, field number and text.
  // Every bad part is reported; a row with one is left out.
  void ReadRow(FieldList& list, const std::string& row, int line, std::string_view key) {
    const std::string where = ConfigWhere(path_, line, key);
    const std::size_t c1 = row.find(',');
    const std::size_t c2 = c1 == std::string::npos ? c1 : row.find(',', c1 + 1);
    const std::size_t c3 = c2 == std::string::npos ? c2 : row.find(',', c2 + 1);
    if (c3 == std::string::npos) {
      Problem(WithWhere(msg::kConfigSyntax, where) + ", Wert " + ShownValue(row) +
              " (erwartet: Länge,Typ,Feldnummer,Text)");
      return;
    }
    const std::string_view text(row);
    const std::string_view lengthText = text.substr(0, c1);
    const std::string_view typeText = text.substr(c1 + 1, c2 - c1 - 1);
    const std::string_view fieldText = text.substr(c2 + 1, c3 - c2 - 1);
    long length = 0, type = 0, field = 0;
    bool good = true;
    if (!ReadWhole(lengthText, 1, kMaxFieldLength, length)) {
      Problem(WithWhere(msg::kConfigValue, where) + ", Länge " + ShownValue(lengthText) +
              Range(1, kMaxFieldLength));
      good = false;
    }
    if (!ReadWhole(typeText, 0, 0xFFFF, type) || !KnownGenericType(type)) {
      // The text the writer would end the run with, found before the run.
      Problem(WithWhere(msg::kConversionError, where) + ", Typ " + ShownValue(typeText));
      good = false;
    }
    if (!ReadWhole(fieldText, 0, kMaxFieldNumber, field)) {
      Problem(WithWhere(msg::kConfigValue, where) + ", Feldnummer " + ShownValue(fieldText) +
              Range(0, kMaxFieldNumber));
      good = false;
    }
    if (!good) return;
    std::string a = hkpad(text.substr(c3 + 1));
    // A number row's text is an addend: a number, or nothing.
    const long base = type & 0x3F;
    if ((base <= 4 || base == 21) && !ReadDecimal(a).valid) {
      Problem(WithWhere(msg::kConfigValue, where) + ", Zusatz " + ShownValue(a) +
              " (erwartet: eine Zahl, die zum Wert addiert wird)");
      return;
    }
    if (list.rows.size() >= kMaxRows) {
      Problem(WithWhere(msg::kConfigValue, where) + " (höchstens " + std::to_string(kMaxRows) +
              " Feldzeilen je Block)");
      return;
    }
    list.Add(static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(type),
             static_cast<std::uint32_t>(field), std::move(a), line);
  }

  void ReadFieldList(FieldList& list, std::string_view key) {
    // A second block for the same letter replaces the first.
    list.Clear();
    const int blockLine = lineNo_;
    std::string physical, logical;
    for (;;) {
      if (!NextLine(logical)) {
        Problem(WithWhere(msg::kConfigSyntax, ConfigWhere(path_, blockLine, key)) +
                " (END fehlt am Ende des Blocks)");
        return;
      }
      const int line = lineNo_;
      // A backslash continues the line on the next one.
      for (;;) {
        std::size_t bs = logical.find('\\');
        if (bs == std::string::npos) break;
        logical.resize(bs);
        if (!NextLine(physical)) break;
        logical += physical;
      }
      if (logical.compare(0, 3, "END") == 0) return;
      if (logical.size() > kMaxFieldLine) {
        Problem(WithWhere(msg::kConfigLineTooLong, ConfigWhere(path_, line, key)) + " (höchstens " +
                std::to_string(kMaxFieldLine) + " Zeichen)");
        continue;
      }
      if (empty(logical.c_str()) || logical[0] == '*' || logical[0] == '\'') continue;
      ReadRow(list, logical, line, key);
    }
  }

  const std::string& data_;
  const std::string& path_;
  Settings& s_;
  std::size_t pos_ = 0;
  int lineNo_ = 0;
  std::string line_;
};

// The whole file; false with the error number when it cannot be read (a
// directory opens on some systems and fails only when read).
bool ReadWholeFile(const std::string& path, std::string& data, int& err) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) {
    err = errno;
    return false;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) data.append(buffer, n);
  if (std::ferror(f.get())) {
    err = errno;
    return false;
  }
  return true;
}

}  // namespace

void ReadConfig(const std::string& path, Settings& settings) {
  // Messages name the file as the command line gave it ("FIBCONF" by
  // default): the same text on every system, whatever case the file system
  // found it under.
  const std::string name = path.empty() ? "FIBCONF" : path;
  settings.configPath = name;
  settings.typeKeyword.clear();
  settings.typeLine = 0;
  settings.append = 0;
  settings.oemCharset = false;

  std::string data;
  int err = 0;
  errno = 0;
  if (!ReadWholeFile(ResolvePath(name), data, err)) {
    Problem(msg::kConfigOpen + PathWhere(name, err));
    return;
  }
  // An editor's UTF-16 ("Unicode") is no text this reader understands; its
  // keys would be lost among NUL bytes, so the file is refused by name.
  if (data.compare(0, 2, "\xFF\xFE") == 0 || data.compare(0, 2, "\xFE\xFF") == 0 ||
      data.find('\0') != std::string::npos) {
    Problem(WithWhere(msg::kConfigUtf16, name));
    return;
  }
  // Notepad starts a UTF-8 file with a byte-order mark; it is no part of the
  // first key.
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  ConfigReader(data, name, settings).Run();
}

}  // namespace zeko
