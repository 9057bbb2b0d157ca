#include <gtest/gtest.h>

#include "config/config.h"
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
      " RELEASE=7\n"  // a blank before the key: no key
      "RELEASE=4x\n"
      "APPEND=1\n"
      "OEMCHARSET=2\n"
      "PRESORT=100\n"
      "BUFLEN=99\n"
      "GENERICFILEHEADER=Konto;Betrag\n"
      "WAEHRUNG1=EURO\n"
      "STEUER_FASSTS=X\n"
      "STEUER_FASSTS21=Y\n"
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
      "GENERICFIELDLAST=;\n"
      "GENERICFIELDSTARTTEXT=34\n"
      "GENERICFIELDENDTEXT=34\t44\n"
      "GENERICCOMPACTFIELDS=1\n"
      "GENERICSKIPZERO=2,5\n"
      "GENERICUNKNOWN=65\n");
  EXPECT_EQ(s.genericFieldSep, ";");
  EXPECT_EQ(s.genericRecSep, "\r\n");
  EXPECT_EQ(s.genericRecHead, "A");
  EXPECT_EQ(s.genericFieldLast, "");
  EXPECT_EQ(s.genericFieldStartText, "\"");
  EXPECT_EQ(s.genericFieldEndText, "\",");
  EXPECT_EQ(s.genericCompactFields, 1);
  EXPECT_EQ(s.genericSkipZero, 2);
}

TEST(ReadConfig, FieldBlocks) {
  Settings s = Read(
      "FIELDSA=\n"
      "* a comment\n"
      "' another\n"
      "\n"
      "10,8,100,\\\n"
      "'X'\n"
      "5,9,110,\"Konto \"\n"
      "1,2\n"  // fewer than three commas: not a row
      "13,15,115,\n"
      "ENDE\n"
      "FIELDSC=\n"
      "1,9,1,a\n"
      "END\n"
      "FIELDSC=\n"  // a second block replaces the first
      "2,9,2,b\n"
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

TEST(ReadConfig, BlockWithoutEndEndsWithTheFile) {
  Settings s = Read("FIELDSB=\n1,9,1,a\n2,9,2,b");
  EXPECT_EQ(s.fieldLists[2].rows.size(), 2u);
}

TEST(ReadConfig, MandantDate) {
  const std::string today = StringTime(GetSysTime(), "%d%m%y");
  EXPECT_EQ(Read("MANDANT=K$D\n").mandant, "K" + today);
  EXPECT_EQ(Read("MANDANT=$DXXXXZ\n").mandant, today + "Z");
  EXPECT_EQ(Read("MANDANT=$d\n").mandant, today);
}

TEST(ReadConfig, Failures) {
  EXPECT_EXIT(Read("PATH\n"), ::testing::ExitedWithCode(1), "Fehler in CONFIG - Syntax");
  EXPECT_EXIT(Read("FIELDSA\nEND\n"), ::testing::ExitedWithCode(1), "Fehler in CONFIG - Syntax");
  EXPECT_EXIT(Read("GENERICRECSEP 13\n"), ::testing::ExitedWithCode(1),
              "Fehler in CONFIG - Syntax");
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
