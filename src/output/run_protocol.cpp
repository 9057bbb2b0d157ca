#include "output/run_protocol.h"

#include <utility>

#include "lib/sha256.h"
#include "output/protocol_json.h"

namespace zeko {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The end of every line: the hash member comes last so that the text it is
// taken over is the line with that member cut out, without a re-encoding
// that a reader in another language would have to reproduce byte for byte.
constexpr std::string_view kHashMember = ",\"hash\":\"";
constexpr std::size_t kHashTail = kHashMember.size() + 64 + 2;  // ...<hex>"}

void AppendMember(std::string& out, const char* name) {
  if (out.back() != '{') out += ',';
  out += '"';
  out += name;
  out += "\":";
}

void StringMember(std::string& out, const char* name, std::string_view value) {
  AppendMember(out, name);
  AppendJsonString(out, value);
}

void NumberMember(std::string& out, const char* name, std::int64_t value) {
  AppendMember(out, name);
  out += std::to_string(value);
}


// Typed access to an object's members; a missing member or one of another
// kind makes the whole line unreadable.
class Fields {
 public:
  explicit Fields(const Json& object) : object_(object) {}
  bool ok() const { return ok_; }

  const Json* Get(const char* name, Json::Kind kind) {
    const Json* v = object_.kind == Json::Kind::kObject ? object_.Member(name) : nullptr;
    if (v == nullptr || v->kind != kind) {
      ok_ = false;
      return nullptr;
    }
    return v;
  }
  void Text(const char* name, std::string& out) {
    if (const Json* v = Get(name, Json::Kind::kString)) out = v->text;
  }
  template <typename N>
  void Number(const char* name, N& out) {
    if (const Json* v = Get(name, Json::Kind::kNumber)) out = static_cast<N>(v->number);
  }

 private:
  const Json& object_;
  bool ok_ = true;
};

bool ResultFromWord(std::string_view word, RunOutcome& result) {
  for (RunOutcome r : {RunOutcome::kOk, RunOutcome::kFailed, RunOutcome::kCancelled,
                      RunOutcome::kBooked, RunOutcome::kCheck}) {
    if (word == ResultWord(r)) {
      result = r;
      return true;
    }
  }
  return false;
}

bool IsHash(std::string_view s) {
  return s.size() == 64 && s.find_first_not_of(kHexDigits) == std::string_view::npos;
}

// The hash the line carries, when it is the one its text has.
bool HashHolds(std::string_view line) {
  if (line.size() < kHashTail + 1) return false;
  const std::string_view tail = line.substr(line.size() - kHashTail);
  const std::string_view hex = tail.substr(kHashMember.size(), 64);
  if (tail.substr(0, kHashMember.size()) != kHashMember || tail.substr(kHashTail - 2) != "\"}" ||
      !IsHash(hex))
    return false;
  Sha256 sha;
  sha.Update(line.substr(0, line.size() - kHashTail));
  sha.Update("}");
  return sha.Hex() == hex;
}

}  // namespace

const char* ResultWord(RunOutcome result) {
  switch (result) {
    case RunOutcome::kOk: return "ok";
    case RunOutcome::kFailed: return "failed";
    case RunOutcome::kCancelled: return "cancelled";
    case RunOutcome::kBooked: return "booked";
    case RunOutcome::kCheck: return "check";
  }
  return "failed";
}

std::string ProtocolLine(const ProtocolEntry& e, long nr, std::string_view prevHash) {
  std::string out = "{";
  out.reserve(512 + 200 * e.outputs.size());
  NumberMember(out, "nr", nr);
  StringMember(out, "start", e.start);
  StringMember(out, "end", e.end);
  StringMember(out, "user", e.user);
  StringMember(out, "host", e.host);
  StringMember(out, "version", e.version);
  AppendMember(out, "config");
  out += '{';
  StringMember(out, "path", e.configPath);
  StringMember(out, "sha256", e.configSha256);
  out += '}';
  StringMember(out, "target", e.target);
  NumberMember(out, "dataType", e.dataType);
  AppendMember(out, "input");
  out += '{';
  StringMember(out, "name", e.inputName);
  NumberMember(out, "size", e.inputSize);
  StringMember(out, "sha256", e.inputSha256);
  out += '}';
  NumberMember(out, "records", e.records);
  AppendMember(out, "outputs");
  out += '[';
  for (const ProtocolOutput& o : e.outputs) {
    if (out.back() != '[') out += ',';
    out += '{';
    StringMember(out, "path", o.path);
    NumberMember(out, "records", o.records);
    NumberMember(out, "sizeBefore", o.sizeBefore);
    NumberMember(out, "sizeAfter", o.sizeAfter);
    StringMember(out, "addedSha256", o.addedSha256);
    out += '}';
  }
  out += ']';
  AppendMember(out, "totals");
  out += '[';
  for (const ProtocolTotal& t : e.totals) {
    if (out.back() != '[') out += ',';
    out += '{';
    NumberMember(out, "dataType", t.dataType);
    NumberMember(out, "records", t.records);
    NumberMember(out, "cents", t.cents);
    out += '}';
  }
  out += ']';
  if (e.payments) {
    AppendMember(out, "payments");
    out += '{';
    NumberMember(out, "count", e.payments->count);
    NumberMember(out, "cents", e.payments->cents);
    out += '}';
  }
  StringMember(out, "result", ResultWord(e.result));
  NumberMember(out, "exit", e.exitCode);
  StringMember(out, "message", e.message);
  StringMember(out, "prev", prevHash);
  out += '}';
  const std::string hash = Sha256Hex(out);
  out.pop_back();
  StringMember(out, "hash", hash);
  out += "}\n";
  return out;
}

bool ParseProtocolLine(std::string_view line, ParsedEntry& out) {
  Json root;
  if (!ReadJson(line, root) || root.kind != Json::Kind::kObject) return false;
  ParsedEntry p;
  ProtocolEntry& e = p.entry;
  Fields f(root);
  f.Number("nr", p.nr);
  f.Text("start", e.start);
  f.Text("end", e.end);
  f.Text("user", e.user);
  f.Text("host", e.host);
  f.Text("version", e.version);
  if (const Json* config = f.Get("config", Json::Kind::kObject)) {
    Fields c(*config);
    c.Text("path", e.configPath);
    c.Text("sha256", e.configSha256);
    if (!c.ok()) return false;
  }
  f.Text("target", e.target);
  f.Number("dataType", e.dataType);
  if (const Json* input = f.Get("input", Json::Kind::kObject)) {
    Fields i(*input);
    i.Text("name", e.inputName);
    i.Number("size", e.inputSize);
    i.Text("sha256", e.inputSha256);
    if (!i.ok()) return false;
  }
  f.Number("records", e.records);
  if (const Json* outputs = f.Get("outputs", Json::Kind::kArray)) {
    for (const Json& item : outputs->items) {
      ProtocolOutput& o = e.outputs.emplace_back();
      Fields of(item);
      of.Text("path", o.path);
      of.Number("records", o.records);
      of.Number("sizeBefore", o.sizeBefore);
      of.Number("sizeAfter", o.sizeAfter);
      of.Text("addedSha256", o.addedSha256);
      if (!of.ok()) return false;
    }
  }
  if (const Json* totals = f.Get("totals", Json::Kind::kArray)) {
    for (const Json& item : totals->items) {
      ProtocolTotal& t = e.totals.emplace_back();
      Fields tf(item);
      tf.Number("dataType", t.dataType);
      tf.Number("records", t.records);
      tf.Number("cents", t.cents);
      if (!tf.ok()) return false;
    }
  }
  if (root.Member("payments") != nullptr) {
    if (const Json* payments = f.Get("payments", Json::Kind::kObject)) {
      Fields pf(*payments);
      e.payments.emplace();
      pf.Number("count", e.payments->count);
      pf.Number("cents", e.payments->cents);
      if (!pf.ok()) return false;
    }
  }
  std::string result;
  f.Text("result", result);
  f.Number("exit", e.exitCode);
  f.Text("message", e.message);
  f.Text("prev", p.prev);
  f.Text("hash", p.hash);
  if (!f.ok() || !ResultFromWord(result, e.result) || !IsHash(p.prev) || !IsHash(p.hash))
    return false;
  out = std::move(p);
  return true;
}

namespace {

// The file's lines without their "\n"; a last piece without one is a line
// too, marked as cut short.
std::vector<std::string_view> Lines(std::string_view text, bool& lastCut) {
  std::vector<std::string_view> lines;
  std::size_t from = 0;
  for (std::size_t nl; (nl = text.find('\n', from)) != std::string_view::npos; from = nl + 1)
    lines.push_back(text.substr(from, nl - from));
  lastCut = from < text.size();
  if (lastCut) lines.push_back(text.substr(from));
  return lines;
}

}  // namespace

ProtocolTail TailOf(std::string_view fileText) {
  ProtocolTail tail;
  if (fileText.empty()) return tail;
  tail.needsNewline = fileText.back() != '\n';
  const std::size_t end = tail.needsNewline ? fileText.size() : fileText.size() - 1;
  const std::size_t nl = end == 0 ? std::string_view::npos : fileText.rfind('\n', end - 1);
  const std::size_t from = nl == std::string_view::npos ? 0 : nl + 1;
  const std::string_view last = fileText.substr(from, end - from);
  ParsedEntry p;
  if (!tail.needsNewline && ParseProtocolLine(last, p) && HashHolds(last)) {
    tail.lastNr = p.nr;
    tail.lastHash = p.hash;
    return tail;
  }
  long lines = 0;
  for (char c : fileText) lines += c == '\n';
  tail.lastNr = lines + (tail.needsNewline ? 1 : 0);
  tail.lastHash = Sha256Hex(last);
  return tail;
}

std::vector<ParsedEntry> ParseProtocol(std::string_view text) {
  bool lastCut = false;
  std::vector<ParsedEntry> entries;
  const std::vector<std::string_view> lines = Lines(text, lastCut);
  for (std::size_t i = 0; i + (lastCut ? 1 : 0) < lines.size(); ++i) {
    ParsedEntry p;
    if (ParseProtocolLine(lines[i], p)) entries.push_back(std::move(p));
  }
  return entries;
}

ProtocolCheck VerifyProtocol(std::string_view text) {
  ProtocolCheck check;
  bool lastCut = false;
  const std::vector<std::string_view> lines = Lines(text, lastCut);
  // The numbers the lines carry, to tell a missing entry from one moved.
  std::vector<long> numbers(lines.size(), 0);
  std::vector<std::string> hashes(lines.size());
  std::vector<std::string> prevs(lines.size());
  std::vector<char> readable(lines.size(), 0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ParsedEntry p;
    if (ParseProtocolLine(lines[i], p)) {
      readable[i] = 1;
      numbers[i] = p.nr;
      hashes[i] = std::move(p.hash);
      prevs[i] = std::move(p.prev);
    }
  }
  std::string prev = kNoHash;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const long want = static_cast<long>(i) + 1;
    std::string reason;
    if (lastCut && i + 1 == lines.size()) {
      reason = "Zeile unvollständig (Zeilenende fehlt)";
    } else if (!lines[i].empty() && lines[i].back() == '\r') {
      // An editor or a text-mode transfer that wrote Windows line ends.
      reason = "Zeilenende geändert (CR LF)";
    } else if (!readable[i]) {
      reason = "Zeile nicht lesbar";
    } else if (!HashHolds(lines[i])) {
      reason = "Inhalt geändert (Prüfsumme stimmt nicht)";
    } else if (numbers[i] < want) {
      reason = "Eintrag " + std::to_string(numbers[i]) + " steht schon in Zeile " +
               std::to_string(numbers[i]);
    } else if (numbers[i] > want) {
      std::size_t moved = i + 1;
      while (moved < lines.size() && !(readable[moved] && numbers[moved] == want)) ++moved;
      if (moved < lines.size())
        reason = "Reihenfolge geändert: der Eintrag steht in Zeile " + std::to_string(moved + 1);
      else if (numbers[i] == want + 1)
        reason = "Eintrag entfernt";
      else
        reason = "Einträge " + std::to_string(want) + " bis " + std::to_string(numbers[i] - 1) +
                 " entfernt";
    } else if (prevs[i] != prev) {
      reason = "Verkettung unterbrochen: Vorgänger geändert oder entfernt";
    }
    if (!reason.empty()) {
      check.ok = false;
      check.firstBadLine = want;
      check.firstBadEntry = want;
      check.reason = std::move(reason);
      break;
    }
    prev = hashes[i];
  }
  check.entries = static_cast<long>(lines.size());
  return check;
}

}  // namespace zeko
