#include "config/config.h"

#include <gtest/gtest.h>

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

TEST(ReadConfig, KeysValuesAndForms) {
  Settings s = Read(
      "typ=generic\n"
      "mandant=abc\n"
      "PATHNAME=C:\\OUT\n"
      "NAME2=deb.txt\n"
      "SPAWN1=PROG.EXE /X=1\n"
      "ANWENDER=A=B\n"
      "ANWENDER\n"  // first-"=" keys without "=" are ignored
      "  an indented comment\n"
      "RELEASE=4 \n"  // trailing blanks of a number are no part of it
      "APPEND=1\n"
      "OEMCHARSET=J\n"
      "PRESORT=100\n"
      "BUFLEN=99\n"
      "GENERICFILEHEADER=Konto;Betrag\n"
      "WAEHRUNG1=EURO\n"
      "STEUER_FASSTS=X\n"
      "STEUER_FASSTS7 = 16%\n"
      "SPK_BLZ=  12345678  \n"
      "PROTPRINTER=lpt2\n"
      "just a comment\n");
  EXPECT_EQ(s.targetType, 20);
  EXPECT_EQ(s.mandant, "ABC");
  EXPECT_EQ(s.path, "C:\\OUT");
  EXPECT_EQ(s.names[2], "DEB.TXT");
  EXPECT_EQ(s.spawn[1], "1");
  EXPECT_EQ(s.anwender, "A=B");
  EXPECT_EQ(s.release, 4);
  EXPECT_EQ(s.append, 1);
  EXPECT_TRUE(s.oemCharset);
  EXPECT_EQ(s.presortField, 100);
  EXPECT_EQ(s.lineBufferSize, 99);
  EXPECT_EQ(s.genericFileHeader, "KONTO;BETRAG");
  EXPECT_EQ(s.currency[1], "EUR");
  ASSERT_TRUE(s.taxTexts[0]);
  EXPECT_EQ(*s.taxTexts[0], "X");
  ASSERT_TRUE(s.taxTexts[7]);
  EXPECT_EQ(*s.taxTexts[7], "16%");
  EXPECT_FALSE(s.taxTexts[20]);
  EXPECT_EQ(s.spkBlz, "12345678  ");  // trailing blanks stay
  EXPECT_EQ(s.protPrinter, "LPT2");
}

TEST(ReadConfig, SepaKeysOfTheSavingsBankFile) {
  Settings s = Read(
      "spk_format=sepa\n"
      "SPK_BIC=cobadeffxxx\n"
      "SPK_GLAEUBIGERID= de98zzz09999999999\n"
      "SPK_MANDATFELD=130\n"
      "SPK_MANDATDATUM=01.02.2020\n"
      "SPK_SEQUENZ=frst\n"
      "SPK_SEQUENZ\n"  // no "=": ignored
      "SPK_VORLAUF=2=3\n"
      "SPK_BLZ=37040044\n");
  EXPECT_EQ(s.spkFormat, "SEPA");
  EXPECT_EQ(s.spkBic, "COBADEFFXXX");
  EXPECT_EQ(s.spkGlaeubigerId, "DE98ZZZ09999999999");
  EXPECT_EQ(s.spkMandatFeld, "130");
  EXPECT_EQ(s.spkMandatDatum, "01.02.2020");
  EXPECT_EQ(s.spkSequenz, "FRST");
  EXPECT_EQ(s.spkVorlauf, "2=3");  // after the first "="
  EXPECT_EQ(s.spkBlz, "37040044");
}

TEST(ReadConfig, CodeLists) {
  Settings s = Read(
      "GENERICFIELDSEP=59\n"
      "GENERICRECSEP=13 10\n"
      "GENERICRECHEAD=65,0,66\n"
      "GENERICFIELDLAST=\n"
      "GENERICFIELDSTARTTEXT=34\n"
      "GENERICFIELDENDTEXT=34\t44\n"
      "GENERICCOMPACTFIELDS=1\n"
      "GENERICSKIPZERO=ja \n");
  EXPECT_EQ(s.genericFieldSep, ";");
  EXPECT_EQ(s.genericRecSep, "\r\n");
  EXPECT_EQ(s.genericRecHead, "A");
  EXPECT_EQ(s.genericFieldLast, "");
  EXPECT_EQ(s.genericFieldStartText, "\"");
  EXPECT_EQ(s.genericFieldEndText, "\",");
  EXPECT_EQ(s.genericCompactFields, 1);
  EXPECT_EQ(s.genericSkipZero, 1);
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
  EXPECT_EQ(a.lines, (std::vector<int>{5, 7, 8}));  // a continued row counts from its first line
  EXPECT_EQ(s.fieldListLines[1], 1);
  EXPECT_STREQ(a.rows[1].a, "Konto ");  // lower case kept, quotes removed
  EXPECT_STREQ(a.rows[2].a, "");
  ASSERT_EQ(s.fieldLists[3].rows.size(), 1u);
  EXPECT_STREQ(s.fieldLists[3].rows[0].a, "b");
  EXPECT_EQ(s.targetType, 20);
  EXPECT_EQ(s.typeKeyword, "GENERIC");
  EXPECT_EQ(s.typeLine, 16);

  Settings copy = s;  // rows keep pointing at their own texts
  s.fieldLists[1].Clear();
  EXPECT_STREQ(copy.fieldLists[1].rows[1].a, "Konto ");
  EXPECT_EQ(copy.fieldLists[1].lines, (std::vector<int>{5, 7, 8}));
}

TEST(ReadConfig, MandantDate) {
  const std::string today = StringTime(GetSysTime(), "%d%m%y");
  EXPECT_EQ(Read("MANDANT=K$D\n").mandant, "K" + today);
  EXPECT_EQ(Read("MANDANT=$DXXXXZ\n").mandant, today + "Z");
  EXPECT_EQ(Read("MANDANT=$d\n").mandant, today);
}

// Problems of a configuration, read in check mode: each names the file
// ({P}), the line and the key, and the reader goes on with the next line.
TEST(ReadConfig, ProblemsNameLineAndKey) {
  const std::string longValue(247, 'X');  // "MANDANT=" + 247 = 255 characters
  const std::string longRow = "1,8,100," + std::string(1016, 'x');  // 1024 characters
  const std::string codes81 = [] {
    std::string c = "GENERICRECSEP=1";
    for (int i = 1; i < 81; ++i) c += ",1";
    return c + "\n";
  }();
  struct Case {
    std::string text;
    std::vector<std::string> problems;         // exact, {P} for the file's path
    void (*check)(const Settings&) = nullptr;  // the settings read
  };
  const Case cases[] = {
      // Numbers: the whole value, within its range.
      {"RELEASE=4x\nRELEASE=5\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel RELEASE, Wert \"4X\" "
        "(erlaubt: 0 bis 999)"},
       [](const Settings& s) {
         EXPECT_EQ(s.release, 5);  // goes on with the next line
         EXPECT_EQ(s.releaseLine, 2);
       }},
      {"RELEASE=1000\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel RELEASE, Wert \"1000\" "
        "(erlaubt: 0 bis 999)"},
       [](const Settings& s) { EXPECT_EQ(s.release, 0); }},
      {"RELEASE=\t38 \n", {}, [](const Settings& s) { EXPECT_EQ(s.release, 38); }},
      {"PRESORT=-1\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel PRESORT, Wert \"-1\" "
        "(erlaubt: 0 bis 999)"}},
      {"PRESORT=\n", {}, [](const Settings& s) { EXPECT_EQ(s.presortField, 0); }},
      {"BUFLEN=9\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel BUFLEN, Wert \"9\" "
        "(erlaubt: 10 bis 1000000)"},
       [](const Settings& s) { EXPECT_EQ(s.lineBufferSize, 16384); }},
      {"BUFLEN=1000001\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel BUFLEN, Wert \"1000001\" "
        "(erlaubt: 10 bis 1000000)"}},
      {"BUFLEN=512.0\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel BUFLEN, Wert \"512.0\" "
        "(erlaubt: 10 bis 1000000)"}},
      {"BUFLEN=10\n", {}, [](const Settings& s) { EXPECT_EQ(s.lineBufferSize, 10); }},
      // Switches.
      {"APPEND=JA\nOEMCHARSET=nein \n",
       {},
       [](const Settings& s) {
         EXPECT_EQ(s.append, 1);
         EXPECT_FALSE(s.oemCharset);
       }},
      {"APPEND=2\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel APPEND, Wert \"2\" "
        "(erlaubt: 0, 1, J, N, JA, NEIN)"},
       [](const Settings& s) { EXPECT_EQ(s.append, 0); }},
      {"OEMCHARSET=YES\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel OEMCHARSET, Wert \"YES\" "
        "(erlaubt: 0, 1, J, N, JA, NEIN)"}},
      {"GENERICSKIPZERO=2,5\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel GENERICSKIPZERO, Wert "
        "\"2,5\" (erlaubt: 0, 1, J, N, JA, NEIN)"}},
      // Syntax, and keys with blanks in front.
      {"TYP=MIS\nRELEASE 5\n", {"Fehler in CONFIG - Syntax: {P}, Zeile 2, Schlüssel RELEASE"}},
      {" TYP=GENERIC\n\tPATH=X\n   just a comment\n",
       {"Fehler in CONFIG - Syntax: {P}, Zeile 1, Schlüssel TYP (Leerzeichen vor dem Schlüssel)",
        "Fehler in CONFIG - Syntax: {P}, Zeile 2, Schlüssel PATH (Leerzeichen vor dem Schlüssel)"},
       [](const Settings& s) {
         EXPECT_EQ(s.targetType, 0);
         EXPECT_EQ(s.path, "");
       }},
      // TYP.
      {"PATH=X\ntyp=xyz%s\n",
       {"TYP=XYZ%S : Ausgabe - Typ unbekannt: {P}, Zeile 2"},
       [](const Settings& s) {
         EXPECT_EQ(s.typeKeyword, "XYZ%S");
         EXPECT_EQ(s.typeLine, 2);
       }},
      {"PATH=X\nTYP=KHK\n",
       {},
       [](const Settings& s) {
         EXPECT_EQ(s.targetType, 4);
         EXPECT_EQ(s.typeKeyword, "KHK");
         EXPECT_EQ(s.typeLine, 2);
         EXPECT_EQ(s.pathLine, 1);
       }},
      {"PATH=X\n", {}, [](const Settings& s) { EXPECT_EQ(s.typeKeyword, ""); }},
      // The digit or number of a key.
      {"NAME6=X\nNAME=Y\nSPAWN0=Z\nWAEHRUNGX=EUR\nNAME3=OK\n",
       {"Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 1, Schlüssel NAME6 (NAME1 bis NAME5)",
        "Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 2, Schlüssel NAME (NAME1 bis NAME5)",
        "Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 3, Schlüssel SPAWN0 (SPAWN1 bis "
        "SPAWN5)",
        "Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 4, Schlüssel WAEHRUNGX (WAEHRUNG0 bis "
        "WAEHRUNG9)"},
       [](const Settings& s) {
         EXPECT_EQ(s.names[3], "OK");
         EXPECT_EQ(s.nameLines[3], 5);
       }},
      {"STEUER_FASSTS21=Y\nSTEUER_FASSTSX=Z\nSTEUER_FASSTS20=T\n",
       {"Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 1, Schlüssel STEUER_FASSTS21 "
        "(STEUER_FASSTS0 bis STEUER_FASSTS20)",
        "Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 2, Schlüssel STEUER_FASSTSX "
        "(STEUER_FASSTS0 bis STEUER_FASSTS20)"},
       [](const Settings& s) {
         EXPECT_FALSE(s.taxTexts[0]);
         ASSERT_TRUE(s.taxTexts[20]);
         EXPECT_EQ(*s.taxTexts[20], "T");
       }},
      // Code lists.
      {"GENERICFIELDSEP=;\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel GENERICFIELDSEP, Wert \";\" "
        "(Code \";\": erlaubt sind Zahlen von 0 bis 255)"}},
      {"GENERICRECSEP=13,256\nGENERICRECHEAD=+65\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel GENERICRECSEP, Wert "
        "\"13,256\" (Code \"256\": erlaubt sind Zahlen von 0 bis 255)",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 2, Schlüssel GENERICRECHEAD, Wert \"+65\" "
        "(Code \"+65\": erlaubt sind Zahlen von 0 bis 255)"}},
      {codes81,
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel GENERICRECSEP, Wert "
        "\"1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,...\" (höchstens 80 Codes)"}},
      {"GENERICFELDSEP=59\n",
       {"Fehler in CONFIG - Schlüssel ungültig: {P}, Zeile 1, Schlüssel GENERICFELDSEP "
        "(unbekannter GENERIC-Schlüssel)"}},
      // Field rows.
      {"FIELDSA=\n12,8\n-1,8,100,\n5,8,5000,\n5,5,100,\n6,74,105,\n0,x,-1,\n2,8,0,ABCDE\nEND\n",
       {"Fehler in CONFIG - Syntax: {P}, Zeile 2, Schlüssel FIELDSA, Wert \"12,8\" (erwartet: "
        "Länge,Typ,Feldnummer,Text)",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 3, Schlüssel FIELDSA, Länge \"-1\" "
        "(erlaubt: 1 bis 65535)",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 4, Schlüssel FIELDSA, Feldnummer \"5000\" "
        "(erlaubt: 0 bis 999)",
        "Fehler in Typenkonvertierung: {P}, Zeile 5, Schlüssel FIELDSA, Typ \"5\"",
        "Fehler in Typenkonvertierung: {P}, Zeile 6, Schlüssel FIELDSA, Typ \"74\"",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 7, Schlüssel FIELDSA, Länge \"0\" "
        "(erlaubt: 1 bis 65535)",
        "Fehler in Typenkonvertierung: {P}, Zeile 7, Schlüssel FIELDSA, Typ \"x\"",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 7, Schlüssel FIELDSA, Feldnummer \"-1\" "
        "(erlaubt: 0 bis 999)"},
       [](const Settings& s) {
         // Only the good row, a constant one.
         ASSERT_EQ(s.fieldLists[1].rows.size(), 1u);
         EXPECT_EQ(s.fieldLists[1].rows[0].field, 0u);
         EXPECT_EQ(s.fieldLists[1].lines[0], 8);
       }},
      {"FIELDSA=\n65535,8130,999, 5\n65536,8,1,\nEND\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 3, Schlüssel FIELDSA, Länge \"65536\" "
        "(erlaubt: 1 bis 65535)"},
       [](const Settings& s) {
         ASSERT_EQ(s.fieldLists[1].rows.size(), 1u);
         EXPECT_EQ(s.fieldLists[1].rows[0].type, 8130u);  // 0x1FC2: a number with every number flag
       }},
      {"FIELDSA=\n10,0,100,X\n10,21,100,1,5\nEND\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 2, Schlüssel FIELDSA, Zusatz \"X\" "
        "(erwartet: eine Zahl, die zum Wert addiert wird)",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 3, Schlüssel FIELDSA, Zusatz \"1,5\" "
        "(erwartet: eine Zahl, die zum Wert addiert wird)"}},
      {"FIELDSA=\n10,8,100,\\\n'X'\n5,8,-3,\nEND\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 4, Schlüssel FIELDSA, Feldnummer \"-3\" "
        "(erlaubt: 0 bis 999)"}},
      {"TYP=GENERIC\nfieldsB=\n1,8,1,a\n2,8,2,b",
       {"Fehler in CONFIG - Syntax: {P}, Zeile 2, Schlüssel FIELDSB (END fehlt am Ende des "
        "Blocks)"}},
      {"FIELDSC\nEND\n", {"Fehler in CONFIG - Syntax: {P}, Zeile 1, Schlüssel FIELDSC"}},
      // Lines beyond the reader's limits.
      {"MANDANT=" + longValue + "\nMANDANT=" + longValue.substr(1) + "\n",
       {"Fehler in CONFIG - Zeile zu lang: {P}, Zeile 1, Schlüssel MANDANT (höchstens 254 "
        "Zeichen)",
        "Fehler in CONFIG - Wert ungültig: {P}, Zeile 2, Schlüssel MANDANT, Wert "
        "\"XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX...\" (höchstens 127 Zeichen)"}},
      {"* " + std::string(300, '-') + "\n",
       {"Fehler in CONFIG - Zeile zu lang: {P}, Zeile 1 (höchstens 254 Zeichen)"}},
      {"FIELDSD=\n" + longRow + "\n" + longRow.substr(0, 1023) + "\nEND\n",
       {"Fehler in CONFIG - Zeile zu lang: {P}, Zeile 2, Schlüssel FIELDSD (höchstens 1023 "
        "Zeichen)"},
       [](const Settings& s) { EXPECT_EQ(s.fieldLists[4].rows.size(), 1u); }},
      {"SPK_BLZ=" + std::string(81, '1') + "\n",
       {"Fehler in CONFIG - Wert ungültig: {P}, Zeile 1, Schlüssel SPK_BLZ, Wert "
        "\"1111111111111111111111111111111111111111...\" (höchstens 80 Zeichen)"}},
      // Encodings.
      {"\xEF\xBB\xBFTYP=GENERIC\r\nAPPEND=1\r\n",
       {},
       [](const Settings& s) {
         EXPECT_EQ(s.targetType, 20);
         EXPECT_EQ(s.append, 1);
       }},
      {std::string("\xFF\xFET\0Y\0P\0=\0", 10),
       {"Fehler in CONFIG - Datei ist UTF-16 kodiert: {P}"},
       [](const Settings& s) { EXPECT_EQ(s.targetType, 0); }},
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

// Outside a check the first problem ends the run.
TEST(ReadConfig, AProblemEndsTheRun) {
  EXPECT_EXIT(Read("PATH\nAPPEND=2\n"), ::testing::ExitedWithCode(1),
              "Fehler in CONFIG - Syntax: .*fibconf, Zeile 1, Schlüssel PATH");
}

TEST(ParseCodeList, Pieces) {
  int n = 0;
  EXPECT_EQ(ParseCodeList("65, 66\t67", 80, &n), "ABC");
  EXPECT_EQ(n, 3);
  EXPECT_EQ(ParseCodeList("321", 80, &n), "A");  // low 8 bits
  EXPECT_EQ(ParseCodeList("65,66,67", 2, &n), "AB");
  EXPECT_EQ(n, 2);
}

}  // namespace
}  // namespace zeko
