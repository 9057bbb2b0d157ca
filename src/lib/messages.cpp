#include "lib/messages.h"

#include <cerrno>
#include <cstdio>

#include "lib/error.h"

namespace zeko {

namespace {
long g_recordNumber = 0;
bool g_checking = false;
std::vector<std::string> g_findings;
long g_findingCount = 0;

constexpr std::size_t kShownChars = 40;
}  // namespace

void SetRecordNumber(long number) { g_recordNumber = number; }
long RecordNumber() { return g_recordNumber; }

// The input's code page is the host's business (850 or 1252): a byte above
// 0x7F is shown as its number, not read as one of them.
std::string ShownValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  const std::size_t n = value.size() < kShownChars ? value.size() : kShownChars;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    if (c < 0x20 || c >= 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  if (value.size() > kShownChars) out += "...";
  out += '"';
  return out;
}

std::string ValueWhere(int field, std::string_view value) {
  std::string out = "Satz " + std::to_string(g_recordNumber);
  if (field > 0) {
    char number[16];
    std::snprintf(number, sizeof number, "%03d", field);
    out += ", Feld ";
    out += number;
  }
  out += ", Wert " + ShownValue(value);
  return out;
}

std::string SystemReason(int err) {
  switch (err) {
    case 0: return "Ursache unbekannt";
    case ENOENT: return "Datei nicht gefunden";
    case ENOTDIR: return "Verzeichnis nicht gefunden";
    case EACCES:
    case EPERM: return "Zugriff verweigert";
    case EISDIR: return "ist ein Verzeichnis";
    case EEXIST: return "Datei existiert bereits";
    case ENOSPC: return "kein Platz mehr auf dem Datenträger";
#ifdef EDQUOT
    case EDQUOT: return "Speicherkontingent erschöpft";
#endif
    case EROFS: return "Datenträger ist schreibgeschützt";
    case EIO: return "Ein-/Ausgabefehler des Geräts";
    case EBUSY: return "Datei ist in Benutzung";
    case ENAMETOOLONG: return "Dateiname zu lang";
    case EMFILE:
    case ENFILE: return "zu viele offene Dateien";
    case EFBIG: return "Datei zu groß";
    case EINVAL: return "ungültiger Dateiname";
    case ENODEV:
    case ENXIO: return "keine Datei, sondern ein Gerät";
#ifdef ELOOP
    case ELOOP: return "zu viele symbolische Verweise";
#endif
    default: return "Systemfehler " + std::to_string(err);
  }
}

std::string PathWhere(const std::string& path, int err) {
  return path + " (" + SystemReason(err) + ")";
}

std::string ConfigWhere(const std::string& path, int line, std::string_view key) {
  std::string out = path + ", Zeile " + std::to_string(line);
  if (!key.empty()) {
    out += ", Schlüssel ";
    out += key;
  }
  return out;
}

std::string WithWhere(std::string_view text, std::string_view where) {
  std::string out(text);
  out += ": ";
  out += where;
  return out;
}

void Problem(const std::string& message) {
  if (!g_checking) ErrorExitText(message);
  if (g_findings.size() < kMaxFindings) g_findings.push_back(message);
  ++g_findingCount;
}

void ValueProblem(std::string_view text, int field, std::string_view value) {
  Problem(WithWhere(text, ValueWhere(field, value)));
}

void BeginCheck() { g_checking = true; }
bool Checking() { return g_checking; }
const std::vector<std::string>& Findings() { return g_findings; }
long FindingCount() { return g_findingCount; }
void EndCheck() {
  g_checking = false;
  g_findings.clear();
  g_findingCount = 0;
}

}  // namespace zeko
