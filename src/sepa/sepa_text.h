// Texts of the SEPA payment files. Every bank takes the SEPA character set:
// the Latin letters, the digits, / - ? : ( ) . , ' + and the blank.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zeko {

// The host's text in the SEPA character set. The host exports text in the
// DOS code page 850 or in Windows-1252; bytes 0x80 to 0x9F (punctuation in
// Windows-1252) are read as code page 850, the others as Windows-1252,
// except 0xE1, the DOS sharp s. German umlauts and the sharp s become AE,
// OE, UE and SS (small ones small), other accented Latin letters their
// plain letter, and every other character a blank. Runs of blanks become
// one, blanks at either end go, and the text is cut to maxLength.
std::string SepaText(std::string_view text, std::size_t maxLength);

// An identifier made from the host's text, for references that the other
// party reads back: SepaText without blanks, no "/" at the start and no
// "//", at most 35 characters. Empty when nothing is left.
std::string SepaIdentifier(std::string_view text);

// True when the text is a usable identifier as it stands (1 to 35
// characters of the SEPA set without blanks, no "/" at the start, no "//").
// A mandate reference must reach the bank unchanged, so it is not made fit.
bool IsSepaIdentifier(std::string_view text);

// Appends text as XML character data.
void AppendXml(std::string& out, std::string_view text);

// Text for a message: printable ASCII kept, other bytes as "?", cut to 40.
std::string MessageText(std::string_view text);

}  // namespace zeko
