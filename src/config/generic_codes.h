// The type code of a GENERIC layout row: the low six bits (the base code)
// choose the conversion, the bits above are option flags of that kind.
// These codes are GENERIC's own; the built-in layouts' TypeCode
// (convert/mapentry.h) is another numbering altogether.
#pragma once
#include <array>
#include <cstdint>
#include <type_traits>

namespace zeko {

// What a base code converts to. The date codes are the date layouts of
// ConvertDate (10 to 16, 18, 24, 25); the number codes 0 to 4 print as many
// decimals as the code says.
enum class GenericConversion { kNone, kNumber, kText, kDate, kBinary };

// The conversion of each base code, looked up for every field written.
inline constexpr std::array<GenericConversion, 64> kGenericConversions = [] {
  std::array<GenericConversion, 64> conversions{};  // kNone
  for (int base : {0, 1, 2, 3, 4}) conversions[base] = GenericConversion::kNumber;
  conversions[8] = GenericConversion::kText;
  for (int base : {10, 11, 12, 13, 14, 15, 16, 18, 24, 25})
    conversions[base] = GenericConversion::kDate;
  conversions[21] = GenericConversion::kBinary;
  return conversions;
}();

// Options of the number conversions (base codes 0 to 4).
enum class GenericNumberFlag : std::uint32_t {
  kZeroFill = 0x40,       // blanks and signs become "0", "-" up front when negative
  kScale = 0x80,          // times 10^base, printed without decimals
  kDecimalComma = 0x100,  // the first "." becomes ","
  kLeadingSign = 0x200,   // first character "-" or "+"
  kDebitMark = 0x400,     // "-" becomes "0", "S" appended
  kCreditMark = 0x800,    // "-" becomes "0", "H" appended (not with the debit mark)
  kAbsolute = 0x1000,     // a negative value loses its minus sign
};

// Options of the text conversion (base code 8); they act on the part after
// the row's prefix.
enum class GenericTextFlag : std::uint32_t {
  kUpper = 0x40,
  kTrim = 0x80,          // trailing blanks removed, "," becomes a blank
  kZeroBlanks = 0x100,   // blanks become "0"
  kSkipLeading = 0x200,  // leading blanks of the value are not copied
};

// The bits of a set of flags.
template <class... Flag>
constexpr std::uint32_t FlagBits(Flag... flags) {
  static_assert((std::is_enum_v<Flag> && ...), "flags are enumerators");
  return (static_cast<std::uint32_t>(flags) | ...);
}
inline constexpr std::uint32_t kGenericNumberFlags = FlagBits(
    GenericNumberFlag::kZeroFill, GenericNumberFlag::kScale, GenericNumberFlag::kDecimalComma,
    GenericNumberFlag::kLeadingSign, GenericNumberFlag::kDebitMark, GenericNumberFlag::kCreditMark,
    GenericNumberFlag::kAbsolute);
inline constexpr std::uint32_t kGenericTextFlags =
    FlagBits(GenericTextFlag::kUpper, GenericTextFlag::kTrim, GenericTextFlag::kZeroBlanks,
             GenericTextFlag::kSkipLeading);

// A row's type code, read.
class GenericType {
 public:
  static constexpr std::uint32_t kBaseMask = 0x3F;

  explicit constexpr GenericType(std::uint32_t code) : code_(code) {}

  constexpr std::uint32_t base() const { return code_ & kBaseMask; }
  // Decimals of a number code, and its power of ten under kScale.
  constexpr int decimals() const { return static_cast<int>(base()); }

  constexpr GenericConversion conversion() const { return kGenericConversions[base()]; }

  // True when any of the flags is set.
  template <class... Flag>
  constexpr bool Has(Flag... flags) const {
    return (code_ & FlagBits(flags...)) != 0;
  }

  // Whether the writer converts the code: a base code with a conversion and
  // no flag but those of its kind (dates and binary numbers have none).
  constexpr bool Known() const {
    const std::uint32_t flags = code_ & ~kBaseMask;
    switch (conversion()) {
      case GenericConversion::kNumber: return (flags & ~kGenericNumberFlags) == 0;
      case GenericConversion::kText: return (flags & ~kGenericTextFlags) == 0;
      case GenericConversion::kDate:
      case GenericConversion::kBinary: return flags == 0;
      case GenericConversion::kNone: return false;
    }
    return false;
  }

 private:
  std::uint32_t code_;
};

}  // namespace zeko
