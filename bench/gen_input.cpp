// Writes a large synthetic input record file for one target, the way the
// host system would export bookings or addresses: one line per record, each
// a chain of 3-digit field number, 3-digit length, 3-digit format code and
// the value, ended by CR LF. The same target, count, seed and data type
// always give the same bytes.
//
//   gen_input TARGET COUNT SEED [OUTPUT] [--datatype=N]
//
// TARGET is a TYP keyword with a writer (DATAX, HS, HS3, KHK8, GENERIC,
// PCREWE, LEDAX, SPK, SLANG); OUTPUT is a path or "-" for stdout (default).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

// splitmix64: tiny, fast and fully defined, so the output does not depend
// on the standard library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Percent(int p) { return Below(100) < p; }

 private:
  std::uint64_t state_;
};

enum class Kind {
  kDate,     // DD.MM.YYYY
  kAmount,   // -?digits.dd
  kAccount,  // 4 to 7 digits
  kSmall,    // 0 to 99
  kCode,     // one letter
  kDocNo,    // document number
  kName,     // name or street, sometimes with umlauts (Windows-1252)
  kCity,
  kText,     // booking text
  kTerms,    // payment-terms text such as "N30 S10 P2.5"
  kTermsCode,  // six digits SSPPNN
  kPercent,  // tax rate
  kPayment,  // "C": the record is a payment of the savings-bank disk
};

struct FieldShape {
  int field;
  Kind kind;
};

// Fields of a booking record that the writers read; every target gets the
// common part, and its own additions.
constexpr FieldShape kBookingFields[] = {
    {100, Kind::kDocNo},   {105, Kind::kDate},    {107, Kind::kDate},     {110, Kind::kAccount},
    {115, Kind::kAmount},  {120, Kind::kAccount}, {125, Kind::kSmall},    {150, Kind::kText},
    {180, Kind::kSmall},   {185, Kind::kSmall},   {190, Kind::kSmall},    {204, Kind::kName},
    {205, Kind::kName},    {210, Kind::kName},    {215, Kind::kAccount},  {220, Kind::kCity},
    {260, Kind::kPercent}, {139, Kind::kTerms},   {140, Kind::kTermsCode},
};

constexpr FieldShape kDataxExtra[] = {
    {135, Kind::kCode},    {149, Kind::kAmount},  {153, Kind::kDocNo},   {155, Kind::kSmall},
    {181, Kind::kAccount}, {183, Kind::kName},    {184, Kind::kCode},    {186, Kind::kName},
    {188, Kind::kAccount}, {189, Kind::kCode},    {245, Kind::kDocNo},   {265, Kind::kName},
    {266, Kind::kName},    {290, Kind::kDocNo},   {294, Kind::kCode},    {305, Kind::kAccount},
    {310, Kind::kAccount}, {312, Kind::kName},    {501, Kind::kCode},    {503, Kind::kCode},
    {504, Kind::kDocNo},   {505, Kind::kDocNo},   {506, Kind::kAmount},  {507, Kind::kDocNo},
};

constexpr FieldShape kBankExtra[] = {
    {116, Kind::kAmount}, {121, Kind::kAccount}, {153, Kind::kDocNo}, {155, Kind::kSmall},
    {200, Kind::kName},   {217, Kind::kCity},    {230, Kind::kName},  {245, Kind::kDocNo},
    {265, Kind::kName},   {290, Kind::kDocNo},   {305, Kind::kAccount}, {310, Kind::kAccount},
    {312, Kind::kName},
};

// The savings-bank disk takes only records marked as payments.
constexpr FieldShape kSpkExtra[] = {
    {116, Kind::kAmount}, {121, Kind::kAccount}, {153, Kind::kDocNo}, {155, Kind::kPayment},
    {200, Kind::kName},   {217, Kind::kCity},    {230, Kind::kName},  {245, Kind::kDocNo},
    {265, Kind::kName},   {290, Kind::kDocNo},   {305, Kind::kAccount}, {310, Kind::kAccount},
    {312, Kind::kName},
};

// Credit notes (negative amounts) among the bookings; a payment file takes
// none (a payment is above 0).
bool g_creditNotes = true;

struct Target {
  const char* name;
  const FieldShape* extra;
  std::size_t extraCount;
};

template <std::size_t N>
constexpr Target MakeTarget(const char* name, const FieldShape (&extra)[N]) {
  return {name, extra, N};
}

constexpr Target kTargets[] = {
    MakeTarget("DATAX", kDataxExtra), MakeTarget("HS", kBankExtra),
    MakeTarget("HS3", kBankExtra),    MakeTarget("KHK8", kBankExtra),
    MakeTarget("GENERIC", kBankExtra), MakeTarget("PCREWE", kBankExtra),
    MakeTarget("LEDAX", kBankExtra),  MakeTarget("SPK", kSpkExtra),
    MakeTarget("SLANG", kBankExtra),
};

constexpr const char* kNames[] = {"Müller",  "Schäfer", "Weiß",   "Becker", "Hoffmann",
                                  "Köhler",  "Schulz",  "Wagner", "Groß",   "Bäckerei Jäger"};
constexpr const char* kForms[] = {"GmbH", "KG", "AG", "e.K.", "GmbH & Co. KG", ""};
constexpr const char* kStreets[] = {"Hauptstraße", "Bahnhofstr.", "Am Markt", "Lindenweg",
                                    "Schloßallee", "Industriestraße"};
constexpr const char* kCities[] = {"Berlin", "München", "Köln", "Düsseldorf", "Nürnberg",
                                   "Frankfurt am Main", "Lübeck"};
constexpr const char* kTexts[] = {"Rechnung", "Gutschrift", "Lieferung", "Wartung",
                                  "Abschlag", "Miete"};

// The host writes Windows-1252; the tables above are UTF-8 source text.
void AppendAnsi(std::string& out, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c == 0xC3 && i + 1 < utf8.size()) {
      out.push_back(static_cast<char>(static_cast<unsigned char>(utf8[++i]) + 0x40));
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
}

template <std::size_t N>
const char* Pick(Random& r, const char* const (&list)[N]) {
  return list[r.Below(static_cast<int>(N))];
}

void Value(std::string& v, Kind kind, Random& r, long index) {
  char buf[64];
  v.clear();
  switch (kind) {
    case Kind::kDate:
      std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", 1 + r.Below(28), 1 + r.Below(12),
                    2020 + r.Below(7));
      v = buf;
      break;
    case Kind::kAmount: {
      long cents = 1 + r.Below(999999);
      if (g_creditNotes && r.Percent(5)) cents = -cents;
      std::snprintf(buf, sizeof buf, "%s%ld.%02ld", cents < 0 ? "-" : "", std::labs(cents) / 100,
                    std::labs(cents) % 100);
      v = buf;
      break;
    }
    case Kind::kAccount:
      // Five digits at most: the narrowest account fields take them.
      std::snprintf(buf, sizeof buf, "%d", 1000 + r.Below(99000));
      v = buf;
      break;
    case Kind::kSmall:
      std::snprintf(buf, sizeof buf, "%d", r.Below(100));
      v = buf;
      break;
    case Kind::kCode:
      v.push_back(static_cast<char>('A' + r.Below(26)));
      break;
    case Kind::kDocNo:
      // A number: some targets print the document number in a number field.
      std::snprintf(buf, sizeof buf, "%ld", index + 1);
      v = buf;
      break;
    case Kind::kName:
      AppendAnsi(v, Pick(r, kNames));
      if (r.Percent(50)) {
        v.push_back(' ');
        AppendAnsi(v, Pick(r, kForms));
      } else {
        v.push_back(' ');
        AppendAnsi(v, Pick(r, kStreets));
        std::snprintf(buf, sizeof buf, " %d", 1 + r.Below(200));
        v += buf;
      }
      break;
    case Kind::kCity:
      AppendAnsi(v, Pick(r, kCities));
      break;
    case Kind::kText:
      v = Pick(r, kTexts);
      std::snprintf(buf, sizeof buf, " %ld", index + 1);
      v += buf;
      break;
    case Kind::kTerms:
      // Half the records give their terms as text, half leave it to the code.
      if (r.Percent(50)) {
        std::snprintf(buf, sizeof buf, "N%d S%d P%d.%d", 10 + r.Below(80), r.Below(30),
                      r.Below(4), r.Below(10));
        v = buf;
      }
      break;
    case Kind::kTermsCode:
      std::snprintf(buf, sizeof buf, "%02d%02d%02d", r.Below(30), r.Below(40), 10 + r.Below(80));
      v = buf;
      break;
    case Kind::kPercent:
      v = r.Percent(80) ? "19" : "7";
      break;
    case Kind::kPayment:
      v.push_back('C');
      break;
  }
}

void AppendGroup(std::string& line, int field, const std::string& value) {
  char head[16];
  std::snprintf(head, sizeof head, "%03d%03zu000", field, value.size());
  line += head;
  line += value;
}

int Usage() {
  std::fputs("gen_input TARGET COUNT SEED [OUTPUT|-] [--datatype=N]\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  int dataType = 1;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--datatype=", 0) == 0) {
      dataType = std::atoi(a.c_str() + 11);
    } else {
      args.push_back(a);
    }
  }
  if (args.size() < 3 || args.size() > 4 || dataType < 1 || dataType > 5) return Usage();

  const Target* target = nullptr;
  for (const Target& t : kTargets) {
    if (strcasecmp(t.name, args[0].c_str()) == 0) target = &t;
  }
  if (!target) {
    std::fprintf(stderr, "gen_input: unknown target %s\n", args[0].c_str());
    return 2;
  }
  g_creditNotes = strcasecmp(target->name, "SPK") != 0;
  char* end = nullptr;
  long count = std::strtol(args[1].c_str(), &end, 10);
  if (*end != '\0' || count < 0) return Usage();
  std::uint64_t seed = std::strtoull(args[2].c_str(), &end, 10);
  if (*end != '\0') return Usage();

  std::FILE* out = stdout;
  if (args.size() == 4 && args[3] != "-") {
    out = std::fopen(args[3].c_str(), "wb");
    if (!out) {
      std::perror(args[3].c_str());
      return 1;
    }
  }
  static char buffer[1 << 20];
  std::setvbuf(out, buffer, _IOFBF, sizeof buffer);

  Random r(seed);
  std::string line, value;
  line.reserve(4096);
  value.reserve(256);
  for (long i = 0; i < count; ++i) {
    line.clear();
    AppendGroup(line, 10, std::to_string(dataType));
    AppendGroup(line, 15, "0");
    for (const FieldShape& f : kBookingFields) {
      Value(value, f.kind, r, i);
      AppendGroup(line, f.field, value);
    }
    for (std::size_t k = 0; k < target->extraCount; ++k) {
      Value(value, target->extra[k].kind, r, i);
      AppendGroup(line, target->extra[k].field, value);
    }
    line += "\r\n";
    if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
      std::perror("gen_input");
      return 1;
    }
  }
  if (std::fclose(out) != 0) {
    std::perror("gen_input");
    return 1;
  }
  return 0;
}
