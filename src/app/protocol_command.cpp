#include "app/protocol_command.h"


#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>

#include "app/context.h"
#include "app/control_totals.h"
#include "app/run.h"
#include "app/usage.h"
#include "config/config.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "output/run_protocol.h"

namespace zeko {

namespace {

struct ProtocolRequest {
  bool verify = false;
  bool hasConfig = false;
  std::string configPath;
  std::string since;  // "JJJJ-MM-TT", empty for every run
};

// "TT.MM.JJJJ" as "JJJJ-MM-TT", the form the entries' start has, so that
// the two compare as text; empty when it is no date.
std::string IsoDate(std::string_view date) {
  if (date.size() != 10 || date[2] != '.' || date[5] != '.') return {};
  for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9})
    if (date[i] < '0' || date[i] > '9') return {};
  const auto num = [&](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (date[i] - '0');
    return v;
  };
  const int day = num(0, 2), month = num(3, 2), year = num(6, 4);
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (year == 0 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1] ||
      (month == 2 && day == 29 && !leap))
    return {};
  std::string iso;
  iso.append(date.substr(6, 4)).append("-").append(date.substr(3, 2)).append("-");
  iso.append(date.substr(0, 2));
  return iso;
}

ProtocolRequest ParseWords(const std::vector<std::string>& words) {
  ProtocolRequest r;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& w = words[i];
    const std::string upper = UpperAsciiCopy(w);
    if (upper == "--PRUEFEN") {
      r.verify = true;
    } else if (upper.compare(0, 8, "/CONFIG:") == 0) {
      r.hasConfig = true;
      r.configPath = w.substr(8);
    } else if (upper == "--SEIT") {
      const std::string value = i + 1 < words.size() ? words[++i] : std::string();
      r.since = IsoDate(value);
      if (r.since.empty()) ErrorExitText(WithWhere(msg::kBadDate, "--seit " + ShownValue(value)));
    } else if (upper != "/NOGUI") {
      // /NOGUI is the Windows build's word for running without windows.
      ErrorExitText(WithWhere(msg::kUnknownOption, w));
    }
  }
  // A filter on a chain check would leave entries unchecked.
  if (r.verify && !r.since.empty()) ErrorExitText(WithWhere(msg::kUnknownOption, "--seit"));
  return r;
}

std::string ReadProtocol(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(ResolvePath(path).c_str(), "rb"),
                                                    &std::fclose);
  if (!f) ErrorExitText(WithWhere(msg::kNoProtocol, PathWhere(path, errno)));
  std::string text;
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) text.append(buffer, n);
  if (std::ferror(f.get())) ErrorExitText(WithWhere(msg::kNoProtocol, PathWhere(path, errno)));
  return text;
}

// "2026-12-07T23:01:02+01:00" as "07.12.2026 23:01:02", the time as the
// run's clock showed it; anything else as it is.
std::string ShownStart(const std::string& start) {
  if (start.size() < 19 || start[4] != '-' || start[7] != '-' || start[10] != 'T') return start;
  return start.substr(8, 2) + "." + start.substr(5, 2) + "." + start.substr(0, 4) + " " +
         start.substr(11, 8);
}

const char* GermanResult(RunOutcome result) {
  switch (result) {
    case RunOutcome::kOk: return "gebucht";
    case RunOutcome::kFailed: return "Fehler";
    case RunOutcome::kCancelled: return "abgebrochen";
    case RunOutcome::kBooked: return "bereits gebucht";
    case RunOutcome::kCheck: return "Prüfung";
  }
  return "Fehler";
}

// Characters, not bytes: the columns line up on a UTF-8 terminal.
std::size_t Width(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string History(const std::vector<ParsedEntry>& entries, const std::string& since) {
  constexpr std::size_t kColumns = 7;
  constexpr bool kRight[kColumns] = {false, false, false, false, true, true, false};
  std::vector<std::array<std::string, kColumns>> rows;
  rows.push_back({"Datum und Zeit", "Ziel", "Datenart", "Export", "Sätze", "Summe", "Ergebnis"});
  for (const ParsedEntry& p : entries) {
    const ProtocolEntry& e = p.entry;
    if (!since.empty() && e.start.compare(0, 10, since) < 0) continue;
    long long cents = 0;
    if (e.payments) {
      cents = e.payments->cents;
    } else {
      for (const ProtocolTotal& t : e.totals) cents += t.cents;
    }
    // The data type by its name, as the dialog shows it.
    const std::string dataType = e.dataType >= 1 && e.dataType <= 5
                                     ? std::string(kDataTypeNames[e.dataType])
                                     : std::to_string(e.dataType);
    rows.push_back({ShownStart(e.start), e.target, dataType, e.inputName,
                    std::to_string(e.records), Money(cents), GermanResult(e.result)});
  }
  std::size_t widths[kColumns] = {};
  for (const auto& row : rows)
    for (std::size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], Width(row[c]));
  std::string out;
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::string pad(widths[c] - Width(row[c]), ' ');
      if (c > 0) out += "  ";
      if (kRight[c]) out += pad;
      out += row[c];
      if (!kRight[c] && c + 1 < kColumns) out += pad;
    }
    out += '\n';
  }
  return out;
}

}  // namespace

bool TakeProtocolWord(std::vector<std::string>& words) { return TakeWord(words, kProtocolWord); }

std::string ProtocolPath(const std::string& configPath, const Settings& settings) {
  if (settings.protokoll) return *settings.protokoll;
  const std::size_t sep = configPath.find_last_of("\\/");
  return (sep == std::string::npos ? std::string() : configPath.substr(0, sep + 1)) + "ZEKO.LOG";
}

int ProtocolCommand(const std::vector<std::string>& words) {
  const ProtocolRequest request = ParseWords(words);
  std::string path = "ZEKO.LOG";
  if (request.hasConfig) {
    Settings settings;
    ReadConfig(request.configPath, settings);
    path = ProtocolPath(request.configPath, settings);
    if (path.empty())
      ErrorExitText(WithWhere(msg::kNoProtocol, request.configPath + ", Schlüssel PROTOKOLL leer"));
  }
  const std::string text = ReadProtocol(path);
  if (!request.verify) {
    PrintToUser(History(ParseProtocol(text), request.since));
    return 0;
  }
  const ProtocolCheck check = VerifyProtocol(text);
  if (!check.ok)
    ErrorExitText(WithWhere(msg::kProtocolChanged,
                            path + ", Eintrag " + std::to_string(check.firstBadEntry) + " (Zeile " +
                                std::to_string(check.firstBadLine) + "): " + check.reason));
  PrintToUser("Protokoll " + path + ": " + std::to_string(check.entries) +
              (check.entries == 1 ? " Eintrag" : " Einträge") + ", unverändert.\n");
  return 0;
}

}  // namespace zeko
