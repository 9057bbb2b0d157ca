// Texts in the SEPA character set: transliteration, identifiers, XML.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "lib/platform.h"
#include "sepa/sepa_text.h"

namespace zeko {
namespace {

constexpr CodePage kAnsi = CodePage::kWindows1252;
constexpr CodePage kDos = CodePage::kDos850;

struct TextCase {
  const char* in;
  CodePage page;
  std::size_t max;
  const char* out;
};

class SepaTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SepaTextTest, Transliterates) {
  EXPECT_EQ(SepaText(GetParam().in, GetParam().max, GetParam().page), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SepaTextTest,
    ::testing::Values(TextCase{"B\xe4"
                               "ckerei M\xfcller & S\xf6hne",
                               kAnsi, 70, "Baeckerei Mueller Soehne"},
                      TextCase{"\xc4\xd6\xdc\xe4\xf6\xfc\xdf", kAnsi, 70, "AEOEUEaeoeuess"},
                      TextCase{"\x8e\x99\x9a\x84\x94\x81\xe1", kDos, 70, "AEOEUEaeoeuess"},
                      // The same bytes read in the other code page.
                      TextCase{"\x8e\x99\x9a\x84\x94\x81\xe1", kAnsi, 70, "Z(TM)s'' a"},
                      TextCase{"Tom\xe1s N\xfa\xf1"
                               "ez",
                               kAnsi, 70, "Tomas Nunez"},
                      TextCase{"Jos\x82 \xa5"
                               "and\xa3",
                               kDos, 70, "Jose Nandu"},
                      TextCase{"Jos\xe9 Fran\xe7ois \xc5sa \x8cuvre", kAnsi, 70,
                               "Jose Francois Asa OEuvre"},
                      TextCase{"\x80 100 \xa9\xae\x99", kAnsi, 70, "EUR 100 (C)(R)(TM)"},
                      TextCase{"\xb8 \x9c 2\xab m\xfd", kDos, 70, "(C) GBP 2 1/2 m2"},
                      TextCase{"\x84Zitat\x93 \x96 \"so\" \x85", kAnsi, 70, "'Zitat' - 'so' ..."},
                      TextCase{"Stra\xad\xdf"
                               "e",
                               kAnsi, 70, "Strasse"},  // soft hyphen
                      TextCase{"\xc9\xcd\xbb a\xc4\xc4"
                               "b \xdb",
                               kDos, 70, "a b"},  // box drawing
                      TextCase{"50 \xa7 3 \xb0 \xa4 \x81", kAnsi, 70, "50 3"},
                      TextCase{"O'Neil (GmbH) +/-?:.,", kAnsi, 70, "O'Neil (GmbH) +/-?:.,"},
                      TextCase{"  a \t b*_c;&<>  ", kAnsi, 70, "a b c"},
                      TextCase{"abcdef", kAnsi, 3, "abc"}, TextCase{"ab cdef", kAnsi, 3, "ab"},
                      TextCase{"M\xfc", kAnsi, 2, "Mu"}, TextCase{"\x80\x80", kAnsi, 4, "EURE"},
                      TextCase{"", kAnsi, 70, ""}));

// Every byte of both code pages gives SEPA characters only, and the two
// tables agree wherever both code pages have the character.
TEST(SepaCodePageTest, EveryByte) {
  const std::string_view sepaSet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/-?:().,'+ ";
  auto sepa = [](unsigned char c, CodePage page) {
    return SepaText(std::string("a") + static_cast<char>(c) + "b", 20, page);
  };
  for (int c = 0; c < 256; ++c) {
    for (CodePage page : {kAnsi, kDos})
      for (char out : sepa(static_cast<unsigned char>(c), page))
        EXPECT_NE(sepaSet.find(out), std::string_view::npos) << "byte " << c << " gives " << out;
    if (c >= 0xA0 || c == 0x83) {
      const unsigned char dos = AnsiToOemChar(static_cast<unsigned char>(c));
      EXPECT_EQ(sepa(static_cast<unsigned char>(c), kAnsi), sepa(dos, kDos)) << "byte " << c;
    }
  }
}

struct IdentifierCase {
  std::string in;
  CodePage page;
  std::string out;
};

TEST(SepaIdentifierTest, MadeFromText) {
  const IdentifierCase cases[] = {
      {"RE 2024/001", kAnsi, "RE2024/001"},
      {"/RE//1", kAnsi, "RE/1"},
      {"RE/1/", kAnsi, "RE/1"},
      {"//RE / / 1 //", kAnsi, "RE/1"},
      {" & / ", kAnsi, ""},
      {"M\xfcller", kAnsi, "Mueller"},
      {"M\x81ller", kDos, "Mueller"},
      {std::string(40, '7'), kAnsi, std::string(35, '7')},
      {std::string(34, '7') + "/8", kAnsi, std::string(34, '7')},  // the cut ends in "/"
  };
  for (const auto& c : cases) EXPECT_EQ(SepaIdentifier(c.in, c.page), c.out) << c.in;
}

TEST(SepaIdentifierTest, TakenAsItStands) {
  const std::pair<std::string, bool> cases[] = {{"M/2019/17", true},
                                                {std::string(35, 'M'), true},
                                                {std::string(36, 'M'), false},
                                                {"", false},
                                                {"/M1", false},
                                                {"M1/", false},
                                                {"M//1", false},
                                                {"M 1", false},
                                                {"M\xfc", false},
                                                {"M&1", false}};
  for (const auto& [text, usable] : cases) EXPECT_EQ(IsSepaIdentifier(text), usable) << text;
}

TEST(SepaXmlTest, Escapes) {
  std::string out;
  AppendXml(out, "a&b<c>'\"d");
  EXPECT_EQ(out, "a&amp;b&lt;c&gt;&apos;&quot;d");
}

}  // namespace
}  // namespace zeko
