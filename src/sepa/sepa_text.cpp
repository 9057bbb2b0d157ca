#include "sepa/sepa_text.h"

#include <array>
#include <iterator>

namespace zeko {
namespace {

constexpr std::size_t kIdentifierLength = 35;

constexpr bool IsSepaChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("/-?:().,'+ ").find(static_cast<char>(c)) != std::string_view::npos;
}

// The lower half, the same in both code pages: the SEPA characters stay,
// the quotes become the apostrophe, everything else a blank.
constexpr std::array<char, 128> kLowHalf = [] {
  std::array<char, 128> table{};
  for (std::size_t c = 0; c < table.size(); ++c) {
    if (c == '"' || c == '`') {
      table[c] = '\'';
    } else {
      table[c] = IsSepaChar(static_cast<unsigned char>(c)) ? static_cast<char>(c) : ' ';
    }
  }
  return table;
}();

// The upper halves, eight bytes a line below the characters they stand for.
// " " is a blank, "" drops the byte.
using UpperHalf = std::string_view[128];

// clang-format off
constexpr std::string_view kWindows1252[] = {
    // 0x80 €      --   ‚    ƒ    „    …      †    ‡
    "EUR", " ", "'", "f", "'", "...", " ", " ",
    // 0x88 ˆ  ‰    Š    ‹    Œ     --   Ž    --
    " ", " ", "S", "'", "OE", " ", "Z", " ",
    // 0x90 -- ‘    ’    “    ”    •    –    —
    " ", "'", "'", "'", "'", " ", "-", "-",
    // 0x98 ˜  ™       š    ›    œ     --   ž    Ÿ
    " ", "(TM)", "s", "'", "oe", " ", "z", "Y",
    // 0xA0 nbsp ¡  ¢    £      ¤    ¥    ¦    §
    " ", " ", " ", "GBP", " ", " ", " ", " ",
    // 0xA8 ¨  ©      ª    «    ¬    shy  ®      ¯
    " ", "(C)", "a", "'", " ", "", "(R)", " ",
    // 0xB0 °  ±      ²    ³    ´    µ    ¶    ·
    " ", "+/-", "2", "3", "'", "u", " ", " ",
    // 0xB8 ¸  ¹    º    »    ¼       ½       ¾       ¿
    " ", "1", "o", "'", " 1/4", " 1/2", " 3/4", " ",
    // 0xC0 À  Á    Â    Ã    Ä     Å    Æ     Ç
    "A", "A", "A", "A", "AE", "A", "AE", "C",
    // 0xC8 È  É    Ê    Ë    Ì    Í    Î    Ï
    "E", "E", "E", "E", "I", "I", "I", "I",
    // 0xD0 Ð  Ñ    Ò    Ó    Ô    Õ    Ö     ×
    "D", "N", "O", "O", "O", "O", "OE", "x",
    // 0xD8 Ø  Ù    Ú    Û    Ü     Ý    Þ     ß
    "O", "U", "U", "U", "UE", "Y", "TH", "ss",
    // 0xE0 à  á    â    ã    ä     å    æ     ç
    "a", "a", "a", "a", "ae", "a", "ae", "c",
    // 0xE8 è  é    ê    ë    ì    í    î    ï
    "e", "e", "e", "e", "i", "i", "i", "i",
    // 0xF0 ð  ñ    ò    ó    ô    õ    ö     ÷
    "d", "n", "o", "o", "o", "o", "oe", "/",
    // 0xF8 ø  ù    ú    û    ü     ý    þ     ÿ
    "o", "u", "u", "u", "ue", "y", "th", "y",
};

constexpr std::string_view kDos850[] = {
    // 0x80 Ç  ü     é    â    ä     à    å    ç
    "C", "ue", "e", "a", "ae", "a", "a", "c",
    // 0x88 ê  ë    è    ï    î    ì    Ä     Å
    "e", "e", "e", "i", "i", "i", "AE", "A",
    // 0x90 É  æ     Æ     ô    ö     ò    û    ù
    "E", "ae", "AE", "o", "oe", "o", "u", "u",
    // 0x98 ÿ  Ö     Ü     ø    £      Ø    ×    ƒ
    "y", "OE", "UE", "o", "GBP", "O", "x", "f",
    // 0xA0 á  í    ó    ú    ñ    Ñ    ª    º
    "a", "i", "o", "u", "n", "N", "a", "o",
    // 0xA8 ¿  ®      ¬    ½       ¼       ¡    «    »
    " ", "(R)", " ", " 1/2", " 1/4", " ", "'", "'",
    // 0xB0 ░  ▒    ▓    │    ┤    Á    Â    À
    " ", " ", " ", " ", " ", "A", "A", "A",
    // 0xB8 ©    ╣    ║    ╗    ╝    ¢    ¥    ┐
    "(C)", " ", " ", " ", " ", " ", " ", " ",
    // 0xC0 └  ┴    ┬    ├    ─    ┼    ã    Ã
    " ", " ", " ", " ", " ", " ", "a", "A",
    // 0xC8 ╚  ╔    ╩    ╦    ╠    ═    ╬    ¤
    " ", " ", " ", " ", " ", " ", " ", " ",
    // 0xD0 ð  Ð    Ê    Ë    È    ı    Í    Î
    "d", "D", "E", "E", "E", "i", "I", "I",
    // 0xD8 Ï  ┘    ┌    █    ▄    ¦    Ì    ▀
    "I", " ", " ", " ", " ", " ", "I", " ",
    // 0xE0 Ó  ß     Ô    Ò    õ    Õ    µ    þ
    "O", "ss", "O", "O", "o", "O", "u", "th",
    // 0xE8 Þ   Ú    Û    Ù    ý    Ý    ¯    ´
    "TH", "U", "U", "U", "y", "Y", " ", "'",
    // 0xF0 shy ±    ‗    ¾       ¶    §    ÷    ¸
    "", "+/-", " ", " 3/4", " ", " ", "/", " ",
    // 0xF8 °  ¨    ·    ¹    ³    ²    ■    nbsp
    " ", " ", " ", "1", "3", "2", " ", " ",
};
// clang-format on
static_assert(std::size(kWindows1252) == 128 && std::size(kDos850) == 128);

// A blank joins the run of blanks before it and never starts the text.
void Put(std::string& out, char c) {
  if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
}

// Appends the text in the SEPA set, blanks joined and none at the start; stops
// once out is longer than enough, as nothing after that can change the cut.
void AppendSepa(std::string& out, std::string_view text, CodePage codePage, std::size_t enough) {
  const UpperHalf& upper = codePage == CodePage::kDos850 ? kDos850 : kWindows1252;
  for (char ch : text) {
    if (out.size() > enough) return;
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      Put(out, kLowHalf[c]);
    } else {
      for (char piece : upper[c - 0x80]) Put(out, piece);
    }
  }
}

}  // namespace

std::string SepaText(std::string_view text, std::size_t maxLength, CodePage codePage) {
  std::string out;
  out.reserve(text.size() < maxLength ? text.size() : maxLength);
  AppendSepa(out, text, codePage, maxLength);
  if (out.size() > maxLength) out.resize(maxLength);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string SepaIdentifier(std::string_view text, CodePage codePage) {
  std::string letters;
  AppendSepa(letters, text, codePage, std::string::npos);
  std::string out;
  for (char c : letters) {
    if (out.size() == kIdentifierLength) break;
    if (c == ' ') continue;
    if (c == '/' && (out.empty() || out.back() == '/')) continue;
    out += c;
  }
  // The cut may leave a "/" at the end as well.
  while (!out.empty() && out.back() == '/') out.pop_back();
  return out;
}

bool IsSepaIdentifier(std::string_view text) {
  if (text.empty() || text.size() > kIdentifierLength) return false;
  if (text.front() == '/' || text.back() == '/') return false;
  if (text.find("//") != std::string_view::npos) return false;
  for (char c : text)
    if (c == ' ' || !IsSepaChar(static_cast<unsigned char>(c))) return false;
  return true;
}

void AppendXml(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c; break;
    }
  }
}

std::string MessageText(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 40)) out += (c >= ' ' && c <= '~') ? c : '?';
  return out;
}

}  // namespace zeko
