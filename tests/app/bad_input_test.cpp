// The bad-input tour: what a new user gets wrong (command line,
// configuration, records, side files). Each run must be refused with exit
// code 1 and a message that says what and where, and must leave every file
// exactly as it was, the input included.
#include <gtest/gtest.h>

#include <map>

#include "support/harness.h"

namespace zeko::test {
namespace {

// Every file below dir with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string rel = fs::relative(e.path(), dir).string();
    files[rel] = e.is_regular_file() ? ReadFile(e.path()) : std::string("<dir>");
  }
  return files;
}

constexpr char kDatax[] = "TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\nNAME3=DATAX.DAT\n";
constexpr char kSpk[] =
    "TYP=SPK\nPATH=\nNAME1=SPK.DTA\nSPK_KENNZEICHEN=GK\nSPK_BLZ=37050198\nSPK_KONTO=1234567\n"
    "SPK_KUNDE=Firma\nPROTPRINTER=NOTE.TXT\n";
constexpr char kGeneric[] =
    "TYP=GENERIC\nPATH=\nNAME1=OUT.CSV\nGENERICFIELDSEP=59\nFIELDSA=\n20,8,100,\n12,8\nEND\n";

// One invoice with the given fields replacing or adding to the usual ones.
std::string Invoice(const std::map<int, std::string>& change = {}) {
  std::map<int, std::string> f = {{10, "1"},          {15, "0"},          {100, "RE1"},
                                  {105, "04.12.2026"}, {110, "10000"},     {115, "119.00"},
                                  {120, "8400"},       {205, "Kunde"},     {305, "37040044"},
                                  {310, "532013000"},  {330, "05"}};
  for (const auto& [n, v] : change) f[n] = v;
  std::string line;
  for (const auto& [n, v] : f)
    if (v != "<none>") line += Field(n, v);
  return line + "\r\n";
}

struct Case {
  const char* name;
  std::string config;
  std::string input;                          // INPUT.$TM; "<none>": no input file
  std::map<std::string, std::string> files;   // beside them
  std::vector<std::string> args;              // default /CONFIG:fibconf /TEMP:INPUT
  std::string message;                        // a fragment of stderr
};

TEST(BadInput, RefusedByNameAndEveryFileUnchanged) {
  const std::string good = Invoice() + Invoice({{100, "RE2"}, {115, "50.00"}});
  // SPK.NUM and SPK.FRM lie beside the configuration, which needs a directory.
  const std::vector<std::string> kSpkArgs = {"/CONFIG:./fibconf", "/TEMP:INPUT"};
  const Case cases[] = {
      // Command line.
      {"option typo", kDatax, good, {}, {"/CONFG:fibconf", "/TEMP:INPUT"},
       "Unbekannte Option: /CONFG:fibconf"},
      {"verbose", kDatax, good, {}, {"--verbose", "/CONFIG:fibconf", "/TEMP:INPUT"},
       "Unbekannte Option: --verbose"},
      {"input missing", kDatax, "<none>", {}, {},
       "Fehler beim öffnen der Eingabedatei: "},
      // The export.
      {"data type 6", kDatax, Invoice({{10, "6"}}), {}, {}, "Datenart ungültig: Satz 1, Feld 010, Wert \"6\""},
      {"data type 0", kDatax, Invoice({{10, "0"}}), {}, {}, "Datenart ungültig"},
      {"data type missing", kDatax, Invoice({{10, "<none>"}}), {}, {}, "Datenart ungültig"},
      {"damaged header", kDatax, "01O001001" + Invoice().substr(9), {}, {}, "Satz beschädigt: Satz 1"},
      {"group number ABC", kDatax, Invoice() + "ABC003001XYZ" + Invoice({{100, "RE2"}}), {}, {},
       "Satz beschädigt: Satz 2"},
      {"truncated last record", kDatax, good + Field(10, "1") + "100009000RE", {}, {},
       "Satz beschädigt: Satz 3"},
      // Amounts and dates.
      {"amount 1.234,56", kDatax, Invoice({{115, "1.234,56"}}), {}, {},
       "Keine gültige Zahl: Satz 1, Feld 115, Wert \"1.234,56\""},
      {"amount 12,34", kDatax, Invoice({{115, "12,34"}}), {}, {}, "Keine gültige Zahl"},
      {"amount ABC", kDatax, Invoice({{115, "ABC"}}), {}, {}, "Keine gültige Zahl"},
      {"amount 400 digits", kDatax, Invoice({{115, std::string(400, '9')}}), {}, {}, "Feld 115"},
      {"amount 30 digits", kDatax, Invoice({{115, std::string(30, '1')}}), {}, {}, "Feld 115"},
      {"date 31.02.2026", kDatax, Invoice({{105, "31.02.2026"}}), {}, {}, "Kein gültiges Datum"},
      {"date iso", kDatax, Invoice({{105, "2026-12-07"}}), {}, {}, "Kein gültiges Datum"},
      {"date short", kDatax, Invoice({{105, "7.12.26"}}), {}, {}, "Kein gültiges Datum"},
      // Payments.
      {"bank code letter O", kSpk, Invoice({{305, "3705O198"}}), {{"SPK.NUM", "41\n"}, {"SPK.FRM", "$C\n"}},
       kSpkArgs, "Keine gültige Bankleitzahl: Satz 1, Feld 305"},
      {"spk amount ABC", kSpk, Invoice({{115, "ABC"}}), {{"SPK.NUM", "41\n"}, {"SPK.FRM", "$C\n"}}, kSpkArgs,
       "Keine gültige Zahl"},
      {"spk.num abc", kSpk, good, {{"SPK.NUM", "abc\n"}, {"SPK.FRM", "$C\n"}, {"NOTE.TXT", "earlier note\n"}},
       kSpkArgs, "Keine Diskettennummer: ./SPK.NUM (enthält keine Zahl)"},
      {"spk.frm missing", kSpk, good, {{"SPK.NUM", "41\n"}, {"NOTE.TXT", "earlier note\n"}}, kSpkArgs,
       "Kein Begleitzettelformular: ./SPK.FRM (Datei nicht gefunden)"},
      // Configuration.
      {"empty configuration", "", good, {}, {}, "Zuweisung Open fehlt: kein TYP"},
      {"typ mona", "TYP=MONA\n", good, {}, {}, "Zuweisung Open fehlt: TYP=MONA"},
      {"append ja nein", std::string(kDatax) + "APPEND=VIELLEICHT\n", good, {}, {},
       "Schlüssel APPEND"},
      {"generic row too short", kGeneric, good, {}, {}, "Zeile 7"},
      {"utf-16", std::string("\xFF\xFET\0Y\0P\0=\0", 10), good, {}, {}, "UTF-16"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir work;
    WriteFile(work / "fibconf", c.config);
    if (c.input != "<none>") WriteFile(work / "INPUT.$TM", c.input);
    for (const auto& [name, bytes] : c.files) WriteFile(work / name, bytes);
    const auto before = Snapshot(work.path());
    const std::vector<std::string> args =
        c.args.empty() ? std::vector<std::string>{"/CONFIG:fibconf", "/TEMP:INPUT"} : c.args;
    const RunResult got = RunZeko(work.path(), args);
    EXPECT_EQ(got.exitCode, 1) << got.err;
    EXPECT_NE(got.err.find(c.message), std::string::npos) << got.err;
    EXPECT_EQ(got.err.find('\n'), got.err.size() - 1) << "one line: " << got.err;
    EXPECT_TRUE(Snapshot(work.path()) == before) << "a file changed";
  }
}

}  // namespace
}  // namespace zeko::test
