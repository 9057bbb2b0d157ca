// Texts in the SEPA character set: transliteration, identifiers, XML.
#include <gtest/gtest.h>

#include <string>

#include "sepa/sepa_text.h"

namespace zeko {
namespace {

struct TextCase {
  const char* in;
  std::size_t max;
  const char* out;
};

class SepaTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SepaTextTest, Transliterates) {
  EXPECT_EQ(SepaText(GetParam().in, GetParam().max), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SepaTextTest,
    ::testing::Values(TextCase{"B\xe4"
                               "ckerei M\xfcller & S\xf6hne",
                               70, "Baeckerei Mueller Soehne"},  // Windows-1252
                      TextCase{"\xc4\xd6\xdc\xe4\xf6\xfc\xdf", 70, "AEOEUEaeoeuess"},
                      TextCase{"\x8e\x99\x9a\x84\x94\x81\xe1", 70,
                               "AEOEUEaeoeuess"},  // code page 850
                      TextCase{"Jos\xe9 Fran\xe7ois \xc5sa", 70, "Jose Francois Asa"},
                      TextCase{"O'Neil (GmbH) +/-?:.,", 70, "O'Neil (GmbH) +/-?:.,"},
                      TextCase{"  a \t b*_c;\"d\"  ", 70, "a b c d"},
                      TextCase{"50 \xa7 3 \xb0", 70, "50 3"}, TextCase{"abcdef", 3, "abc"},
                      TextCase{"ab cdef", 3, "ab"}, TextCase{"M\xfc", 2, "Mu"},
                      TextCase{"", 70, ""}, TextCase{"&<>", 70, ""}));

TEST(SepaIdentifierTest, MadeFromText) {
  EXPECT_EQ(SepaIdentifier("RE 2024/001"), "RE2024/001");
  EXPECT_EQ(SepaIdentifier("/RE//1"), "RE/1");
  EXPECT_EQ(SepaIdentifier(" & "), "");
  EXPECT_EQ(SepaIdentifier("M\xfcller"), "Mueller");
  EXPECT_EQ(SepaIdentifier(std::string(40, '7')), std::string(35, '7'));
}

TEST(SepaIdentifierTest, TakenAsItStands) {
  EXPECT_TRUE(IsSepaIdentifier("M/2019/17"));
  EXPECT_TRUE(IsSepaIdentifier(std::string(35, 'M')));
  EXPECT_FALSE(IsSepaIdentifier(std::string(36, 'M')));
  EXPECT_FALSE(IsSepaIdentifier(""));
  EXPECT_FALSE(IsSepaIdentifier("/M1"));
  EXPECT_FALSE(IsSepaIdentifier("M//1"));
  EXPECT_FALSE(IsSepaIdentifier("M 1"));
  EXPECT_FALSE(IsSepaIdentifier("M\xfc"));
  EXPECT_FALSE(IsSepaIdentifier("M&1"));
}

TEST(SepaXmlTest, Escapes) {
  std::string out;
  AppendXml(out, "a&b<c>'\"d");
  EXPECT_EQ(out, "a&amp;b&lt;c&gt;&apos;&quot;d");
}

}  // namespace
}  // namespace zeko
