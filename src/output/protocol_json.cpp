#include "output/protocol_json.h"

#include <cstring>
#include <utility>

namespace zeko {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The length of the well-formed UTF-8 sequence at s[i], or 0 when the bytes
// there are not one (overlong forms, surrogates and code points above
// U+10FFFF are not).
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) -> unsigned {
    return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u;
  };
  const auto cont = [&](std::size_t k) { return (at(k) & 0xC0u) == 0x80u; };
  const unsigned c = at(0);
  if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    return at(1) >= lo && at(1) <= hi && cont(2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    return at(1) >= lo && at(1) <= hi && cont(2) && cont(3) ? 4 : 0;
  }
  return 0;
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view s) {
  out += '"';
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t n = 1;
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else if (c >= 0x80 && (n = Utf8Length(s, i)) != 0) {
      out.append(s.substr(i, n));
    } else {
      n = 1;
      out += "\\u00";
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
    }
    i += n;
  }
  out += '"';
}

namespace {

class JsonReader {
 public:
  explicit JsonReader(std::string_view s) : s_(s) {}

  // The whole text is one value, blanks around it allowed.
  bool Read(Json& value) {
    return Value(value, 0) && (SkipBlanks(), pos_ == s_.size());
  }

 private:
  void SkipBlanks() {
    while (pos_ < s_.size() && std::strchr(" \t\r\n", s_[pos_]) != nullptr && s_[pos_] != 0) ++pos_;
  }
  bool Take(char c) {
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Value(Json& v, int depth) {
    SkipBlanks();
    if (pos_ >= s_.size() || depth > 8) return false;
    const char c = s_[pos_];
    if (c == '"') {
      v.kind = Json::Kind::kString;
      return String(v.text);
    }
    if (c == '{') return Object(v, depth);
    if (c == '[') return Array(v, depth);
    v.kind = Json::Kind::kNumber;
    return Number(v.number);
  }
  bool Object(Json& v, int depth) {
    v.kind = Json::Kind::kObject;
    ++pos_;
    if (Take('}')) return true;
    do {
      std::string key;
      Json member;
      SkipBlanks();
      if (pos_ >= s_.size() || s_[pos_] != '"' || !String(key) || !Take(':') ||
          !Value(member, depth + 1) || v.Member(key) != nullptr)
        return false;
      v.names.push_back(std::move(key));
      v.items.push_back(std::move(member));
    } while (Take(','));
    return Take('}');
  }
  bool Array(Json& v, int depth) {
    v.kind = Json::Kind::kArray;
    ++pos_;
    if (Take(']')) return true;
    do {
      v.items.emplace_back();
      if (!Value(v.items.back(), depth + 1)) return false;
    } while (Take(','));
    return Take(']');
  }
  bool Number(std::int64_t& n) {
    const bool negative = pos_ < s_.size() && s_[pos_] == '-';
    if (negative) ++pos_;
    const std::size_t from = pos_;
    std::uint64_t value = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (value > (UINT64_C(1) << 62)) return false;
      value = value * 10 + static_cast<unsigned>(s_[pos_++] - '0');
    }
    const std::size_t digits = pos_ - from;
    if (digits == 0 || (digits > 1 && s_[from] == '0') || value > (UINT64_C(1) << 62)) return false;
    n = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
    return true;
  }
  bool Hex4(unsigned& u) {
    if (pos_ + 4 > s_.size()) return false;
    u = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[pos_++];
      const char* d = std::strchr("0123456789abcdef", h >= 'A' && h <= 'F' ? h - 'A' + 'a' : h);
      if (h == 0 || d == nullptr) return false;
      u = u * 16 + static_cast<unsigned>(d - "0123456789abcdef");
    }
    return true;
  }
  static void AppendUtf8(std::string& out, unsigned u) {
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (u >> 18));
      out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  bool String(std::string& out) {
    ++pos_;  // the opening quote
    while (pos_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[pos_]);
      if (c == '"') {
        ++pos_;
        return true;
      }
      if (c < 0x20) return false;
      if (c >= 0x80) {
        const std::size_t n = Utf8Length(s_, pos_);
        if (n == 0) return false;
        out.append(s_.substr(pos_, n));
        pos_ += n;
        continue;
      }
      ++pos_;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (pos_ >= s_.size()) return false;
      const char e = s_[pos_++];
      static constexpr char kFrom[] = "\"\\/bfnrt", kTo[] = "\"\\/\b\f\n\r\t";
      if (const char* p = std::strchr(kFrom, e); p != nullptr && e != 0) {
        out += kTo[p - kFrom];
        continue;
      }
      unsigned u = 0;
      if (e != 'u' || !Hex4(u)) return false;
      if (u >= 0xDC00 && u <= 0xDFFF) return false;
      if (u >= 0xD800 && u <= 0xDBFF) {
        unsigned low = 0;
        if (pos_ + 2 > s_.size() || s_[pos_] != '\\' || s_[pos_ + 1] != 'u') return false;
        pos_ += 2;
        if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
      }
      AppendUtf8(out, u);
    }
    return false;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

bool ReadJson(std::string_view text, Json& value) { return JsonReader(text).Read(value); }

}  // namespace zeko
