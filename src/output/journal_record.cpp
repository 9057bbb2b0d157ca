#include "output/journal_record.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "lib/hash.h"

namespace zeko {

namespace {

// Version 1's line check.
std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

std::string Check(int version, std::string_view text) {
  return Hex16(version == 1 ? Fnv1a(text) : HashBytes(text));
}

// Every record is written twice: one flipped or lost byte spoils one copy,
// never both, so a damaged journal still tells how to undo or finish.
std::string Line(const std::string& text) {
  const std::string line = text + " #" + Check(kJournalVersion, text) + "\n";
  return line + line;
}

std::string Field(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "=";
  for (unsigned char c : bytes) {
    if (c <= 0x20 || c >= 0x7F || c == '%') {
      text += '%';
      text += kDigits[c >> 4];
      text += kDigits[c & 15];
    } else {
      text += char(c);
    }
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unfield(std::string_view text) {
  if (text.empty() || text[0] != '=') return std::nullopt;
  std::string bytes;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += char(high * 16 + low);
    i += 2;
  }
  return bytes;
}

std::optional<std::int64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  for (;;) {
    const std::size_t blank = line.find(' ', start);
    words.push_back(line.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) return words;
    start = blank + 1;
  }
}

// One record into j; false when it is no record of the journal's version.
bool Take(JournalContent& j, const std::vector<std::string_view>& w) {
  if (!j.valid) {
    if (w.size() != 4 || w[0] != "ZEKO-JOURNAL" || w[1] != std::to_string(j.version))
      return false;
    j.valid = true;
    j.transaction = std::string(w[2]);
    if (w[3] == "-") return true;
    std::optional<std::string> master = Unfield(w[3]);
    if (master) j.master = *master;
    return master.has_value();
  }
  if (w[0] == "INPLACE" && w.size() == 4) {
    auto oldSize = Number(w[1]), offset = Number(w[2]);
    auto tail = Unfield(w[3]);
    if (!oldSize || !offset || !tail) return false;
    j.plan = {OutputPlan::Kind::kInPlace, *oldSize, *offset, *tail, {}};
    return true;
  }
  if (w[0] == "FRESH" && w.size() == 3) {
    auto work = Unfield(w[2]);
    if (!work) return false;
    j.plan = {OutputPlan::Kind::kFresh, 0, 0, {}, *work};
    return true;
  }
  if (w[0] == "MEMBER" && w.size() == 2) {
    auto member = Unfield(w[1]);
    if (member) j.members.push_back(*member);
    return member.has_value();
  }
  // Version 1 wrote COMMIT without the stamp at first.
  const bool stampless = j.version == 1 && w.size() == 5;
  if (w[0] == "COMMIT" && (w.size() == 6 || stampless)) {
    auto size = Number(w[2]);
    auto input = Unfield(w.back());
    auto stamp = stampless ? std::optional<std::string>("") : Unfield(w[4]);
    if (!size || !input || !stamp || (w[1] != "0" && w[1] != "1")) return false;
    j.committed = true;
    j.deleteInput = w[1] == "1";
    j.input = {*input, *size, std::string(w[3]), *stamp, j.version};
    return true;
  }
  return false;
}

}  // namespace

namespace {

// Version 1: one copy per record; the first line that fails its check (a
// torn last line) ends what counts.
JournalContent ParseVersion1(std::string_view content) {
  JournalContent j;
  j.version = 1;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) break;
    const std::string_view line = content.substr(start, end - start);
    start = end + 1;
    const std::size_t mark = line.rfind(" #");
    if (mark == std::string_view::npos || line.size() - mark != 18) break;
    const std::string_view text = line.substr(0, mark);
    if (Check(1, text) != line.substr(mark + 2) || !Take(j, Split(text))) break;
  }
  return j;
}

// Version 2: two copies per record. A record is its text, " #", its check
// and one separator byte (a line feed, unless that byte is the damaged
// one); a copy that fails its check is passed over to the next line, and
// the second copy of a record taken is skipped. The check marker cannot
// occur inside a text, whose blanks are all escaped but the words'.
JournalContent ParseVersion2(std::string_view content) {
  JournalContent j;
  j.version = 2;
  std::string_view previous;
  std::size_t at = 0;
  while (at < content.size()) {
    const std::size_t mark = content.find(" #", at);
    // Torn: the record's check or its separator is not there yet.
    if (mark == std::string_view::npos || mark + 18 >= content.size()) break;
    const std::string_view text = content.substr(at, mark - at);
    if (Check(2, text) == content.substr(mark + 2, 16)) {
      at = mark + 19;
      if (text == previous) continue;
      previous = text;
      if (!Take(j, Split(text))) break;
      continue;
    }
    const std::size_t next = content.find('\n', at);
    if (next == std::string_view::npos) break;
    at = next + 1;
  }
  return j;
}

}  // namespace

JournalContent ParseJournal(std::string_view content) {
  return content.starts_with("ZEKO-JOURNAL 1 ") ? ParseVersion1(content) : ParseVersion2(content);
}

std::string HeaderRecord(const std::string& transaction, const std::string& masterJournal) {
  return Line("ZEKO-JOURNAL " + std::to_string(kJournalVersion) + " " + transaction + " " +
              (masterJournal.empty() ? std::string("-") : Field(masterJournal)));
}

std::string InPlaceRecord(std::int64_t oldSize, std::int64_t offset, std::string_view tail) {
  return Line("INPLACE " + std::to_string(oldSize) + " " + std::to_string(offset) + " " +
              Field(tail));
}

std::string FreshRecord(bool existed, const std::string& work) {
  return Line(std::string("FRESH ") + (existed ? "1 " : "0 ") + Field(work));
}

std::string MemberRecord(const std::string& journal) { return Line("MEMBER " + Field(journal)); }

std::string CommitRecord(bool deleteInput, const InputIdentity& input) {
  return Line(std::string("COMMIT ") + (deleteInput ? "1 " : "0 ") + std::to_string(input.size) +
              " " + input.hash + " " + Field(input.stamp) + " " + Field(input.path));
}

std::string OutputOfJournal(const std::string& journalPath) {
  return journalPath.substr(0, journalPath.size() - std::strlen(kJournalSuffix));
}

}  // namespace zeko
