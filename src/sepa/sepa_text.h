// Texts of the SEPA payment files. Every bank takes the SEPA character set:
// the Latin letters, the digits, / - ? : ( ) . , ' + and the blank.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zeko {

// The code page the host exports its texts in. A byte above 0x7F means a
// different character in each, so the installation says which one it is.
enum class CodePage { kWindows1252, kDos850 };

// The host's text, read in the given code page, in the SEPA character set.
// Every character of the code page has its own spelling:
// - German umlauts and the sharp s become AE OE UE ae oe ue ss, the
//   ligatures AE ae OE oe, Thorn TH th, other Latin letters their plain
//   letter (a, N, o for a with acute, N with tilde, o with stroke; a and o
//   for the ordinal indicators, u for the micro sign).
// - Every quotation mark (also the ASCII double quote, the grave accent and
//   the acute accent standing alone) becomes the apostrophe; dashes the
//   hyphen; the soft hyphen is dropped, so the word stays whole.
// - A symbol becomes the spelling everybody reads the same way: the euro
//   and pound signs EUR and GBP, (C) (R) (TM), the ellipsis "...", the
//   fractions " 1/2" " 1/4" " 3/4", the superscript digits their digit,
//   the multiplication sign x, the division sign /, plus-minus "+/-".
//   Every other symbol (currency signs that name no one currency, section,
//   degree, box drawing, shading, undefined bytes) and every character of
//   the control range becomes a blank.
// Runs of blanks become one, blanks at either end go, and the text is cut to
// maxLength bytes (all of them ASCII; a spelling may be cut part of the way).
std::string SepaText(std::string_view text, std::size_t maxLength,
                     CodePage codePage = CodePage::kWindows1252);

// An identifier made from the host's text, for references that the other
// party reads back: SepaText without blanks, every "//" made one "/", no "/"
// at the start or the end, at most 35 characters. Empty when nothing is left.
std::string SepaIdentifier(std::string_view text, CodePage codePage = CodePage::kWindows1252);

// True when the text is a usable identifier as it stands (1 to 35
// characters of the SEPA set without blanks, no "/" at the start or the end,
// no "//"). A mandate reference must reach the bank unchanged, so it is not
// made fit.
bool IsSepaIdentifier(std::string_view text);

// Appends text as XML character data.
void AppendXml(std::string& out, std::string_view text);

// Text for a message: printable ASCII kept, other bytes as "?", cut to 40.
std::string MessageText(std::string_view text);

}  // namespace zeko
