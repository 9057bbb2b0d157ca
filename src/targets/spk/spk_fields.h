// Fields above the host's numbers that only the savings-bank file uses. The
// host leaves most of them empty, so their rows give the layout's constants
// (record lengths, extension types, zeros); the purpose texts it may fill.
// The E record's values are the writer's own.
#pragma once
#include <cstdint>

namespace zeko::spk {

inline constexpr std::uint32_t kRecordLength = 901;  // empty: the row's addend is the length
inline constexpr std::uint32_t kFirstBankCode = 902;  // C; in the A record: the record type
inline constexpr std::uint32_t kTextKeySupplement = 903;  // C; in the A record: zeros
inline constexpr std::uint32_t kExtensionParts = 904;
inline constexpr std::uint32_t kExtension1Type = 905;
inline constexpr std::uint32_t kExtension2Type = 906;
inline constexpr std::uint32_t kExtension1Text = 911;
inline constexpr std::uint32_t kExtension2Text = 912;
inline constexpr std::uint32_t kPurposePart1 = 920;  // before the document number
inline constexpr std::uint32_t kPurposePart3 = 921;  // before the document date
inline constexpr std::uint32_t kToday = 995;         // the file date

// Host fields of the purpose text.
inline constexpr std::uint32_t kDocumentNumber = 100;  // purpose part 2
inline constexpr std::uint32_t kDocumentDate = 105;    // purpose part 4
inline constexpr std::uint32_t kPurpose = 365;          // RELEASE 2: the whole first line
inline constexpr std::uint32_t kPurposeExtension = 370;  // RELEASE 2: extension 1

// The E record: the count and the control sums.
inline constexpr std::uint32_t kPaymentCount = 930;
inline constexpr std::uint32_t kDmSum = 931;
inline constexpr std::uint32_t kAccountSum = 932;
inline constexpr std::uint32_t kBankCodeSum = 933;
inline constexpr std::uint32_t kEuroSum = 934;

// The purpose text of a payment is made of three lines of 27 characters:
// the first of parts (or the one field of RELEASE 2), the others the
// extension texts. The SEPA document takes them from these rows.
enum class PurposeRow { kNone, kPart, kLineEnd };
constexpr PurposeRow PurposeRowOf(std::uint32_t field) {
  switch (field) {
    case kPurposePart1:
    case kDocumentNumber:
    case kPurposePart3: return PurposeRow::kPart;
    case kDocumentDate:
    case kPurpose:
    case kExtension1Text:
    case kPurposeExtension:
    case kExtension2Text: return PurposeRow::kLineEnd;
    default: return PurposeRow::kNone;
  }
}

}  // namespace zeko::spk
