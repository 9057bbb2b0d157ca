// The configuration reader. Whole runs with a bad configuration are golden
// cases (tests/golden/config); here: what each value form stores, and the
// problems a check collects, several to a file.
#include "config/config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lib/messages.h"
#include "lib/platform.h"
#include "support/harness.h"

namespace zeko {
namespace {

using test::TempDir;
using test::WriteFile;

Settings Read(const std::string& text) {
  TempDir dir;
  WriteFile(dir / "fibconf", text);
  Settings s;
  ReadConfig((dir / "fibconf").string(), s);
  return s;
}

TEST(ReadConfig, KeysAndValueForms) {
  Settings s = Read(
      "typ=generic\r\n"  // CR LF line ends; keys and values upper-cased
      "PATHNAME=C:\\OUT\n"
      "NAME2=deb.txt\n"
      "SPAWN1=PROG.EXE /X=1\n"  // text after the last "="
      "ANWENDER=A=B\n"          // text after the first "="
      "ANWENDER\n"              // first-"=" keys without "=" are ignored
      "  an indented comment\n"
      "RELEASE=\t38 \n"  // blanks around a number are no part of it
      "APPEND=JA\n"
      "OEMCHARSET=nein \n"
      "PRESORT=\n"  // an empty number is 0
      "BUFLEN=10\n"
      "GENERICFILEHEADER=Konto;Betrag\n"
      "GENERICRECSEP=13 10\n"
      "GENERICRECHEAD=65,0,66\n"  // the text ends at the first code 0
      "GENERICFIELDLAST=\n"
      "GENERICFIELDENDTEXT=34\t44\n"
      "GENERICSKIPZERO=ja \n"
      "WAEHRUNG1=EURO\n"
      "STEUER_FASSTS=X\n"
      "STEUER_FASSTS7 = 16%\n"
      "SPK_BLZ=  12345678  \n"  // trailing blanks stay
      "spk_format=sepa\n"
      "SPK_VORLAUF=2=3\n"
      "just a comment\n");
  EXPECT_EQ(s.targetType, 20);
  EXPECT_EQ(s.typeKeyword, "GENERIC");
  EXPECT_EQ(s.typeLine, 1);
  EXPECT_EQ(s.path, "C:\\OUT");
  EXPECT_EQ(s.names[2], "DEB.TXT");
  EXPECT_EQ(s.spawn[1], "1");
  EXPECT_EQ(s.anwender, "A=B");
  EXPECT_EQ(s.release, 38);
  EXPECT_EQ(s.append, 1);
  EXPECT_FALSE(s.oemCharset);
  EXPECT_EQ(s.presortField, 0);
  EXPECT_EQ(s.lineBufferSize, 10);
  EXPECT_EQ(s.genericFileHeader, "KONTO;BETRAG");
  EXPECT_EQ(s.genericRecSep, "\r\n");
  EXPECT_EQ(s.genericRecHead, "A");
  EXPECT_EQ(s.genericFieldLast, "");
  EXPECT_EQ(s.genericFieldEndText, "\",");
  EXPECT_EQ(s.genericSkipZero, 1);
  EXPECT_EQ(s.currency[1], "EUR");
  ASSERT_TRUE(s.taxTexts[0]);
  EXPECT_EQ(*s.taxTexts[0], "X");
  ASSERT_TRUE(s.taxTexts[7]);
  EXPECT_EQ(*s.taxTexts[7], "16%");
  EXPECT_FALSE(s.taxTexts[20]);
  EXPECT_EQ(s.spkBlz, "12345678  ");
  EXPECT_EQ(s.spkFormat, "SEPA");
  EXPECT_EQ(s.spkVorlauf, "2=3");
}

TEST(ReadConfig, FieldBlocks) {
  Settings s = Read(
      "FIELDSA=\n"
      "* a comment\n"
      "' another\n"
      "\n"
      "10,8,100,\\\n"
      "'X'\n"
      "5,8,110,\"Konto \"\n"
      "13,15,115,\n"
      "ENDE\n"
      "FIELDSC=\n"
      "1,8,1,a\n"
      "END\n"
      "FIELDSC=\n"  // a second block replaces the first
      "2,8,2,b\n"
      "END\n"
      "TYP=GENERIC\n");
  const FieldList& a = s.fieldLists[1];
  ASSERT_EQ(a.rows.size(), 3u);
  EXPECT_EQ(a.rows[0].length, 10u);
  EXPECT_EQ(a.rows[0].type, 8u);
  EXPECT_EQ(a.rows[0].field, 100u);
  EXPECT_STREQ(a.rows[0].a, "'X'");
  EXPECT_STREQ(a.rows[1].a, "Konto ");  // lower case kept, quotes removed
  EXPECT_STREQ(a.rows[2].a, "");
  ASSERT_EQ(s.fieldLists[3].rows.size(), 1u);
  EXPECT_STREQ(s.fieldLists[3].rows[0].a, "b");
  EXPECT_EQ(s.targetType, 20);

  Settings copy = s;  // rows keep pointing at their own texts
  s.fieldLists[1].Clear();
  EXPECT_STREQ(copy.fieldLists[1].rows[1].a, "Konto ");
}

TEST(ReadConfig, MandantDate) {
  const std::string today = StringTime(GetSysTime(), "%d%m%y");
  EXPECT_EQ(Read("MANDANT=K$D\n").mandant, "K" + today);
  EXPECT_EQ(Read("MANDANT=$DXXXXZ\n").mandant, today + "Z");
  EXPECT_EQ(Read("mandant=$d\n").mandant, today);
}

// Problems of a configuration, read in check mode: each names the file
// ({P}), the line and the key, and the reader goes on with the next line,
// the setting left as it was.
TEST(ReadConfig, ProblemsNameLineAndKey) {
  const std::string longValue(247, 'X');  // "MANDANT=" + 247 = 255 characters
  const std::string longRow = "1,8,100," + std::string(1016, 'x');  // 1024 characters
  std::string codes81 = "GENERICRECSEP=1";
  for (int i = 1; i < 81; ++i) codes81 += ",1";
  const std::string value = "Fehler in CONFIG - Wert ungültig: {P}, ";
  const std::string key = "Fehler in CONFIG - Schlüssel ungültig: {P}, ";
  const std::string syntax = "Fehler in CONFIG - Syntax: {P}, ";
  const std::string tooLong = "Fehler in CONFIG - Zeile zu lang: {P}, ";
  const std::string type = "Fehler in Typenkonvertierung: {P}, ";
  struct Case {
    std::string text;
    std::vector<std::string> problems;         // exact
    void (*check)(const Settings&) = nullptr;  // the settings read
  };
  const Case cases[] = {
      // Numbers: the whole value, within its range; switches.
      {"RELEASE=4x\nRELEASE=5\nRELEASE=1000\nPRESORT=-1\nBUFLEN=512.0\nAPPEND=2\n"
       "GENERICSKIPZERO=2,5\n",
       {value + "Zeile 1, Schlüssel RELEASE, Wert \"4X\" (erlaubt: 0 bis 999)",
        value + "Zeile 3, Schlüssel RELEASE, Wert \"1000\" (erlaubt: 0 bis 999)",
        value + "Zeile 4, Schlüssel PRESORT, Wert \"-1\" (erlaubt: 0 bis 999)",
        value + "Zeile 5, Schlüssel BUFLEN, Wert \"512.0\" (erlaubt: 10 bis 1000000)",
        value + "Zeile 6, Schlüssel APPEND, Wert \"2\" (erlaubt: 0, 1, J, N, JA, NEIN)",
        value + "Zeile 7, Schlüssel GENERICSKIPZERO, Wert \"2,5\" (erlaubt: 0, 1, J, N, JA, NEIN)"},
       [](const Settings& s) {
         EXPECT_EQ(s.release, 5);
         EXPECT_EQ(s.lineBufferSize, 16384);
         EXPECT_EQ(s.append, 0);
       }},
      // Syntax, and keys with blanks (or a tab) in front.
      {"TYP=MIS\nRELEASE 5\n\tPATH=X\n   just a comment\nFIELDSC\nEND\n",
       {syntax + "Zeile 2, Schlüssel RELEASE",
        syntax + "Zeile 3, Schlüssel PATH (Leerzeichen vor dem Schlüssel)",
        syntax + "Zeile 5, Schlüssel FIELDSC"},
       [](const Settings& s) { EXPECT_EQ(s.path, ""); }},
      // TYP: the line shown literally.
      {"PATH=X\ntyp=xyz%s\n",
       {"TYP=XYZ%S : Ausgabe - Typ unbekannt: {P}, Zeile 2"},
       [](const Settings& s) {
         EXPECT_EQ(s.targetType, 0);
         EXPECT_EQ(s.typeKeyword, "XYZ%S");
         EXPECT_EQ(s.typeLine, 2);
       }},
      // The digit or number of a key.
      {"NAME=Y\nWAEHRUNGX=EUR\nNAME3=OK\nSTEUER_FASSTS21=Y\nSTEUER_FASSTSX=Z\n",
       {key + "Zeile 1, Schlüssel NAME (NAME1 bis NAME5)",
        key + "Zeile 2, Schlüssel WAEHRUNGX (WAEHRUNG0 bis WAEHRUNG9)",
        key + "Zeile 4, Schlüssel STEUER_FASSTS21 (STEUER_FASSTS0 bis STEUER_FASSTS20)",
        key + "Zeile 5, Schlüssel STEUER_FASSTSX (STEUER_FASSTS0 bis STEUER_FASSTS20)"},
       [](const Settings& s) {
         EXPECT_EQ(s.names[3], "OK");
         EXPECT_FALSE(s.taxTexts[0]);
       }},
      // Code lists and GENERIC keys.
      {"GENERICRECSEP=13,256\nGENERICRECHEAD=+65\n" + codes81 + "\nGENERICFELDSEP=59\n",
       {value + "Zeile 1, Schlüssel GENERICRECSEP, Wert \"13,256\" (Code \"256\": erlaubt sind "
                "Zahlen von 0 bis 255)",
        value + "Zeile 2, Schlüssel GENERICRECHEAD, Wert \"+65\" (Code \"+65\": erlaubt sind "
                "Zahlen von 0 bis 255)",
        value + "Zeile 3, Schlüssel GENERICRECSEP, Wert "
                "\"1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,...\" (höchstens 80 Codes)",
        key + "Zeile 4, Schlüssel GENERICFELDSEP (unbekannter GENERIC-Schlüssel)"},
       [](const Settings& s) { EXPECT_EQ(s.genericRecSep, ""); }},
      // Field rows: every bad part of a row is named; a continued row
      // counts from its first line.
      {"FIELDSA=\n0,x,-1,\n6,74,105,\n65536,8,1,\n10,0,100,X\n10,21,100,1,5\n10,8,100,\\\n'X'\n"
       "5,8,-3,\n65535,8130,999, 5\nEND\n",
       {value + "Zeile 2, Schlüssel FIELDSA, Länge \"0\" (erlaubt: 1 bis 65535)",
        type + "Zeile 2, Schlüssel FIELDSA, Typ \"x\"",
        value + "Zeile 2, Schlüssel FIELDSA, Feldnummer \"-1\" (erlaubt: 0 bis 999)",
        type + "Zeile 3, Schlüssel FIELDSA, Typ \"74\"",  // a date takes no flag
        value + "Zeile 4, Schlüssel FIELDSA, Länge \"65536\" (erlaubt: 1 bis 65535)",
        value + "Zeile 5, Schlüssel FIELDSA, Zusatz \"X\" (erwartet: eine Zahl, die zum Wert "
                "addiert wird)",
        value + "Zeile 6, Schlüssel FIELDSA, Zusatz \"1,5\" (erwartet: eine Zahl, die zum Wert "
                "addiert wird)",
        value + "Zeile 9, Schlüssel FIELDSA, Feldnummer \"-3\" (erlaubt: 0 bis 999)"},
       [](const Settings& s) {
         ASSERT_EQ(s.fieldLists[1].rows.size(), 2u);
         EXPECT_EQ(s.fieldLists[1].rows[1].type, 8130u);  // 0x1FC2: a number with every flag
       }},
      // Lines beyond the reader's limits, values beyond their capacity.
      {"MANDANT=" + longValue + "\nMANDANT=" + longValue.substr(1) + "\n* " +
           std::string(300, '-') + "\nSPK_BLZ=" + std::string(81, '1') + "\nFIELDSD=\n" + longRow +
           "\n" + longRow.substr(0, 1023) + "\nEND\n",
       {tooLong + "Zeile 1, Schlüssel MANDANT (höchstens 254 Zeichen)",
        value + "Zeile 2, Schlüssel MANDANT, Wert \"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX...\" "
                "(höchstens 127 Zeichen)",
        tooLong + "Zeile 3 (höchstens 254 Zeichen)",
        value + "Zeile 4, Schlüssel SPK_BLZ, Wert \"1111111111111111111111111111111111111111...\" "
                "(höchstens 80 Zeichen)",
        tooLong + "Zeile 6, Schlüssel FIELDSD (höchstens 1023 Zeichen)"},
       [](const Settings& s) { EXPECT_EQ(s.fieldLists[4].rows.size(), 1u); }},
      // UTF-16 without a byte-order mark.
      {std::string("T\0Y\0P\0=\0", 8), {"Fehler in CONFIG - Datei ist UTF-16 kodiert: {P}"}},
  };

  BeginCheck();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 60));
    TempDir dir;
    const std::string path = (dir / "fibconf").string();
    WriteFile(path, c.text);
    Settings s;
    ReadConfig(path, s);
    std::vector<std::string> want;
    for (const std::string& p : c.problems) want.push_back(test::Replace(p, "{P}", path));
    EXPECT_EQ(Findings(), want);
    EXPECT_EQ(s.configPath, path);
    if (c.check) c.check(s);
    EndCheck();  // forget the findings
    BeginCheck();
  }

  // A file that cannot be read names the system's reason.
  TempDir dir;
  Settings s;
  const std::string missing = (dir / "nothere").string();
  ReadConfig(missing, s);
  ReadConfig(dir.path().string(), s);
  EXPECT_EQ(Findings(),
            (std::vector<std::string>{
                "Fehler beim öffnen CONFIG - Datei:\n" + missing + " (Datei nicht gefunden)",
                "Fehler beim öffnen CONFIG - Datei:\n" + dir.path().string() +
                    " (ist ein Verzeichnis)"}));
  EndCheck();
}

// Keys are matched by prefix, first in order wins: a key that begins with
// another one is reachable only when it comes first, and a new key must not
// be in such a pair at all (SPK_KONTOPRUEFUNG would be read as SPK_KONTO).
// The one pair the host system's files already use is allowed.
TEST(ReadConfig, NoKeyHidesAnother) {
  const std::vector<std::string_view> keys = ConfigKeyNames();
  const std::vector<std::pair<std::string_view, std::string_view>> inherited = {
      {"GENERICFILEHEADER", "GENERIC"}};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    for (std::size_t j = 0; j < keys.size(); ++j) {
      if (i == j || keys[j].substr(0, keys[i].size()) != keys[i]) continue;
      const bool allowed = std::find(inherited.begin(), inherited.end(),
                                     std::make_pair(keys[j], keys[i])) != inherited.end();
      EXPECT_TRUE(allowed && j < i) << keys[j] << " begins with " << keys[i];
    }
  }
}

}  // namespace
}  // namespace zeko
