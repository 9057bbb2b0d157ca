// The GENERIC target's part of the configuration: its framing texts, given
// as code lists ("GENERICRECSEP=13,10"), its switches, and the record
// layouts of the FIELDSA..FIELDSE blocks.
#include <cstring>
#include <string>
#include <string_view>

#include "config/config.h"
#include "config/config_reader.h"
#include "config/generic_codes.h"
#include "lib/messages.h"
#include "lib/number.h"
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

namespace {

bool IsCodeSeparator(char c) { return c == ' ' || c == ',' || c == '\t'; }

// A code list has at most this many codes.
constexpr int kMaxCodes = 80;
// A field-definition line, joined from its continuation lines, is read into
// a buffer of 1023 characters; a longer one is refused rather than cut.
constexpr std::size_t kMaxFieldLine = 1023;
// The widest row: a wider one is a broken layout, not a record anyone can
// import, and would only swell the writer's record buffer.
constexpr long kMaxFieldLength = 65535;
// A layout block has room for this many rows.
constexpr std::size_t kMaxRows = 500;

}  // namespace

std::string ParseCodeList(const char* text, int maxCount, int* count) {
  std::string codes;
  int n = 0;
  bool ended = false;  // the setting's text ends at the first code 0
  const char* p = text;
  while (*p && n < maxCount) {
    while (IsCodeSeparator(*p)) ++p;
    if (!*p) break;
    const char* start = p;
    while (*p && !IsCodeSeparator(*p)) ++p;
    const char code = static_cast<char>(AtoI(std::string_view(start, p - start)) & 0xFF);
    if (code == '\0') ended = true;
    if (!ended) codes += code;
    ++n;
  }
  if (count) *count = n;
  return codes;
}

// The pieces of a code list: numbers 0 to 255, at most kMaxCodes of them,
// separated by blanks, commas or tabs. False (reported) otherwise.
bool ConfigReader::CheckCodeList(const std::string& v) const {
  int count = 0;
  std::size_t i = 0;
  while (i < v.size()) {
    while (i < v.size() && IsCodeSeparator(v[i])) ++i;
    if (i >= v.size()) break;
    const std::size_t start = i;
    while (i < v.size() && !IsCodeSeparator(v[i])) ++i;
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

void ConfigReader::HandleGeneric() {
  std::string v;
  if (!Last(v)) return;
  const char* sub = line_.c_str() + std::strlen("GENERIC");
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
  int* setting = is("COMPACTFIELDS") ? &s_.genericCompactFields
                 : is("SKIPZERO")    ? &s_.genericSkipZero
                                     : nullptr;
  if (setting == nullptr) {
    // A GENERIC key that sets nothing is a mistyped one.
    BadKey(" (unbekannter GENERIC-Schlüssel)");
    return;
  }
  bool on = false;
  if (ReadSwitch(v, on))
    *setting = on ? 1 : 0;
  else
    BadValue(v, kSwitchValues);
}

void ConfigReader::ReadFieldList(FieldList& list, std::string_view key) {
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
      const std::size_t bs = logical.find('\\');
      if (bs == std::string::npos) break;
      logical.resize(bs);
      if (!NextLine(physical)) break;
      logical += physical;
    }
    if (logical.compare(0, 3, "END") == 0) return;  // "ENDE" too
    if (logical.size() > kMaxFieldLine) {
      Problem(WithWhere(msg::kConfigLineTooLong, ConfigWhere(path_, line, key)) + " (höchstens " +
              std::to_string(kMaxFieldLine) + " Zeichen)");
      continue;
    }
    if (empty(logical.c_str()) || logical[0] == '*' || logical[0] == '\'') continue;
    ReadRow(list, logical, line, key);
  }
}

// One row of a layout block: length, type code, field number and text.
// Every bad part is reported; a row with one is left out.
void ConfigReader::ReadRow(FieldList& list, const std::string& row, int line,
                           std::string_view key) {
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
  if (!ReadWhole(typeText, 0, 0xFFFF, type) ||
      !GenericType(static_cast<std::uint32_t>(type)).Known()) {
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
  const GenericConversion conversion = GenericType(static_cast<std::uint32_t>(type)).conversion();
  if ((conversion == GenericConversion::kNumber || conversion == GenericConversion::kBinary) &&
      !ReadDecimal(a).valid) {
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
           static_cast<std::uint32_t>(field), std::move(a));
}

}  // namespace zeko
