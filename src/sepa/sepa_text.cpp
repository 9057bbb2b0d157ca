#include "sepa/sepa_text.h"

#include <array>

namespace zeko {
namespace {

constexpr std::size_t kIdentifierLength = 35;

bool IsSepaChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("/-?:().,'+ ").find(static_cast<char>(c)) != std::string_view::npos;
}

// Transliteration of the bytes 0x80 to 0xFF; an empty entry is a blank.
// clang-format off
constexpr std::array<const char*, 128> kHighBytes = {
    // 0x80: code page 850
    "C", "ue", "e", "a", "ae", "a", "a", "c", "e", "e", "e", "i", "i", "i", "AE", "A",
    "E", "ae", "AE", "o", "oe", "o", "u", "u", "y", "OE", "UE", "o", "", "O", "", "",
    // 0xA0: Windows-1252 signs
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    // 0xC0: Windows-1252 letters
    "A", "A", "A", "A", "AE", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "D", "N", "O", "O", "O", "O", "OE", "", "O", "U", "U", "U", "UE", "Y", "TH", "ss",
    // 0xE1 is the sharp s of code page 850 rather than a small a with acute
    "a", "ss", "a", "a", "ae", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "d", "n", "o", "o", "o", "o", "oe", "", "o", "u", "u", "u", "ue", "y", "th", "y",
};
// clang-format on

}  // namespace

std::string SepaText(std::string_view text, std::size_t maxLength) {
  std::string out;
  out.reserve(text.size());
  auto put = [&out](const char* piece) {
    if (*piece == '\0' || *piece == ' ') {
      if (!out.empty() && out.back() != ' ') out += ' ';
      return;
    }
    out += piece;
  };
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80) {
      put(kHighBytes[c - 0x80]);
    } else if (IsSepaChar(c)) {
      const char piece[2] = {ch, '\0'};
      put(piece);
    } else {
      put("");
    }
  }
  if (out.size() > maxLength) out.resize(maxLength);
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string SepaIdentifier(std::string_view text) {
  std::string out;
  for (char c : SepaText(text, text.size() * 2)) {
    if (c == ' ') continue;
    if (c == '/' && (out.empty() || out.back() == '/')) continue;
    out += c;
  }
  if (out.size() > kIdentifierLength) out.resize(kIdentifierLength);
  return out;
}

bool IsSepaIdentifier(std::string_view text) {
  if (text.empty() || text.size() > kIdentifierLength || text.front() == '/') return false;
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
