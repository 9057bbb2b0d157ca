#include "config/config.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "lib/error.h"
#include "lib/platform.h"
#include "lib/text.h"

namespace zeko {

FieldList& FieldList::operator=(const FieldList& other) {
  if (this == &other) return *this;
  Clear();
  for (const MapEntry& row : other.rows) Add(row.length, row.type, row.field, row.a);
  return *this;
}

void FieldList::Add(std::uint32_t length, std::uint32_t type, std::uint32_t field,
                    std::string text) {
  texts.push_back(std::move(text));
  rows.push_back(MapEntry{field, length, type, texts.back().c_str(), ""});
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

// Reads one line of any length; the line end (LF, or CR LF as a text stream
// reads it) is removed. False at end of file.
bool ReadLine(std::FILE* f, std::string& line, bool keepNewline) {
  line.clear();
  int c;
  bool any = false;
  while ((c = std::fgetc(f)) != EOF) {
    any = true;
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (keepNewline) line += '\n';
      return true;
    }
    line += static_cast<char>(c);
  }
  return any;
}

const char* SkipBlanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

class ConfigReader {
 public:
  ConfigReader(std::FILE* f, Settings& s) : f_(f), s_(s) {}

  void Run() {
    while (ReadLine(f_, line_, false)) {
      UpperAscii(line_);
      Handle();
    }
  }

 private:
  bool Starts(const char* key) const { return line_.compare(0, std::strlen(key), key) == 0; }

  // Text after the last "="; a line without one is a syntax error.
  std::string Last() const {
    std::size_t eq = line_.rfind('=');
    if (eq == std::string::npos) ErrorExit("Fehler in CONFIG - Syntax");
    return SkipBlanks(line_.c_str() + eq + 1);
  }
  // Text after the first "="; false when there is none (the line is ignored).
  bool First(std::string& value) const {
    std::size_t eq = line_.find('=');
    if (eq == std::string::npos) return false;
    value = SkipBlanks(line_.c_str() + eq + 1);
    return true;
  }
  int Number() const { return AtoI(Last().c_str()); }
  void SetFirst(std::string& target) const {
    std::string v;
    if (First(v)) target = v;
  }
  // The digit directly after a key: 'lo'..'hi' gives its index, else -1.
  int Digit(std::size_t keyLen, int lo, int hi) const {
    if (keyLen >= line_.size()) return -1;
    int d = line_[keyLen] - '0';
    return (d >= lo && d <= hi) ? d : -1;
  }

  void Handle() {
    if (Starts("PATH")) {
      s_.path = Last();
    } else if (Starts("NAME")) {
      // A character after the key that is not a data type's digit names no
      // entry any data type reads: the line is ignored (after its syntax check).
      std::string v = Last();
      if (int d = Digit(4, 1, 5); d > 0) s_.names[d] = v;
    } else if (Starts("SPAWN")) {
      std::string v = Last();
      if (int d = Digit(5, 1, 5); d > 0) s_.spawn[d] = v;
    } else if (Starts("RELEASE")) {
      s_.release = Number();
    } else if (Starts("APPEND")) {
      s_.append = Number();
    } else if (Starts("OEMCHARSET")) {
      s_.oemCharset = Number() != 0;
    } else if (Starts("PRESORT")) {
      s_.presortField = Number();
    } else if (Starts("SLMACRO")) {
      s_.slMacro = Last();
    } else if (Starts("MANDANT")) {
      std::string v;
      if (First(v)) {
        s_.mandant = v;
        InsertDate(s_.mandant);
      }
    } else if (Starts("ANWENDER")) {
      SetFirst(s_.anwender);
    } else if (Starts("SPK_KENNZEICHEN")) {
      SetFirst(s_.spkKennzeichen);
    } else if (Starts("SPK_BLZ")) {
      SetFirst(s_.spkBlz);
    } else if (Starts("SPK_KUNDE")) {
      SetFirst(s_.spkKunde);
    } else if (Starts("SPK_KONTO")) {
      SetFirst(s_.spkKonto);
    } else if (Starts("SPK_REFERENZ")) {
      SetFirst(s_.spkReferenz);
    } else if (Starts("SPK_DATENTRAEGER")) {
      SetFirst(s_.spkDatentraeger);
    } else if (Starts("SPK_KASSENNAME")) {
      SetFirst(s_.spkKassenname);
    } else if (Starts("SPK_FORMAT")) {
      SetFirst(s_.spkFormat);
    } else if (Starts("SPK_BIC")) {
      SetFirst(s_.spkBic);
    } else if (Starts("SPK_GLAEUBIGERID")) {
      SetFirst(s_.spkGlaeubigerId);
    } else if (Starts("SPK_MANDATFELD")) {
      SetFirst(s_.spkMandatFeld);
    } else if (Starts("SPK_MANDATDATUM")) {
      SetFirst(s_.spkMandatDatum);
    } else if (Starts("SPK_SEQUENZ")) {
      SetFirst(s_.spkSequenz);
    } else if (Starts("SPK_VORLAUF")) {
      SetFirst(s_.spkVorlauf);
    } else if (Starts("PROTPRINTER")) {
      SetFirst(s_.protPrinter);
    } else if (Starts("BUFLEN")) {
      s_.lineBufferSize = Number();
    } else if (Starts("FIELDSA") || Starts("FIELDSB") || Starts("FIELDSC") || Starts("FIELDSD") ||
               Starts("FIELDSE")) {
      int list = line_[6] - 'A' + 1;
      (void)Last();  // the value is not used, but the "=" is required
      ReadFieldList(s_.fieldLists[list]);
    } else if (Starts("GENERICFILEHEADER")) {
      s_.genericFileHeader = Last();
    } else if (Starts("GENERIC")) {
      HandleGeneric();
    } else if (Starts("TYP")) {
      std::string v = Last();
      for (const auto& k : kTargetKeywords) {
        if (v == k.keyword) {
          s_.targetType = k.type;
          return;
        }
      }
      ErrorExitText(line_ + " : Ausgabe - Typ unbekannt");
    } else if (Starts("WAEHRUNG")) {
      std::string v = Last();
      if (int d = Digit(8, 0, 9); d >= 0) s_.currency[d] = v.substr(0, 3);
    } else if (Starts("STEUER_FASSTS")) {
      int n = AtoI(line_.c_str() + 13);
      if (n >= 0 && n <= 20) s_.taxTexts[n] = Last();
    }
  }

  void HandleGeneric() {
    std::string v = Last();
    int count = 0;
    std::string codes = ParseCodeList(v.c_str(), 80, &count);
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
        s_.*t.text = codes;
        return;
      }
    }
    if (is("COMPACTFIELDS"))
      s_.genericCompactFields = FirstPiece(v);
    else if (is("SKIPZERO"))
      s_.genericSkipZero = FirstPiece(v);
  }

  static int FirstPiece(const std::string& v) {
    const char* p = v.c_str();
    while (*p == ' ' || *p == ',' || *p == '\t') ++p;
    return AtoI(p);
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

  void ReadFieldList(FieldList& list) {
    // A second block for the same letter replaces the first.
    list.Clear();
    std::string physical, logical;
    for (;;) {
      if (!ReadLine(f_, logical, true)) return;  // no "END": the block ends with the file
      for (;;) {
        std::size_t bs = logical.find('\\');
        if (bs == std::string::npos) break;
        logical.resize(bs);
        if (!ReadLine(f_, physical, true)) break;
        logical += physical;
      }
      if (logical.compare(0, 3, "END") == 0) return;
      if (empty(logical.c_str()) || logical[0] == '*' || logical[0] == '\'') continue;
      std::size_t c1 = logical.find(',');
      std::size_t c2 = c1 == std::string::npos ? c1 : logical.find(',', c1 + 1);
      std::size_t c3 = c2 == std::string::npos ? c2 : logical.find(',', c2 + 1);
      if (c3 == std::string::npos) continue;  // fewer than three commas: not a row
      int length = AtoI(logical.substr(0, c1).c_str());
      int type = AtoI(logical.substr(c1 + 1, c2 - c1 - 1).c_str());
      int field = AtoI(logical.substr(c2 + 1, c3 - c2 - 1).c_str());
      list.Add(static_cast<std::uint32_t>(length < 0 ? 0 : length),
               static_cast<std::uint32_t>(type < 0 ? 0 : type),
               static_cast<std::uint32_t>(field < 0 || field > 999 ? 0 : field),
               hkpad(std::string_view(logical).substr(c3 + 1)));
    }
  }

  std::FILE* f_;
  Settings& s_;
  std::string line_;
};

}  // namespace

void ReadConfig(const std::string& path, Settings& settings) {
  std::string name = path.empty() ? "FIBCONF" : path;
  // Owned, so that the file is closed also when the reader's caller
  // catches an exception from it.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(ResolvePath(name).c_str(), "rb"),
                                                    &std::fclose);
  if (!f) ErrorExit("Fehler beim öffnen CONFIG - Datei:\n%s", name.c_str());
  settings.append = 0;
  settings.oemCharset = false;
  ConfigReader(f.get(), settings).Run();
}

}  // namespace zeko
