// Field rules that the HS and HS3 writers share.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "convert/line_builder.h"
#include "lib/number.h"
#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"
#include "targets/writer.h"

namespace zeko::hs {

using zeko::kValueRoom;

// Copies text into a buffer of `room` bytes, cut to fit.
inline void CopyText(char* target, const char* source, std::size_t room = kValueRoom) {
  std::size_t n = strnlen(source, room - 1);
  std::memmove(target, source, n);
  target[n] = '\0';
}

// Tax code: blanks for 0, else "M" (outgoing: DataType 1, 2, 5) or "V"
// (incoming: DataType 3, 4) and two digits.
inline void FormatTaxCode(char* value, int dataType) {
  int n = AtoI(value);
  if (n == 0) {
    std::memcpy(value, "   ", 4);
    return;
  }
  value[0] = (dataType == 3 || dataType == 4) ? 'V' : 'M';
  FormatInt(value + 1, n, 2);
  fillnull(value);
}

// A number as two digits, zero-filled (5 gives 05).
inline void FormatTwoDigits(char* value) {
  FormatInt(value, AtoI(value), 2);
  fillnull(value);
}

// The two digits of the terms code at 0-based offset `at`; positions beyond
// the end of the code read as nothing, so a missing pair gives 0.
inline int TermsPair(const char* terms, std::size_t at) {
  return std::strlen(terms) > at ? ParseFixedInt(terms + at, 2) : 0;
}

// The rows that both HS formats fill alike, with the values they hand from
// one row to a later one.
class SharedRows {
 public:
  // Record kind "A" for bookings, "K" customer and "L" supplier addresses.
  explicit SharedRows(int dataType)
      : recordKind_{IsBookingData(dataType)          ? 'A'
                    : dataType == kCustomerAddresses ? 'K'
                                                     : 'L',
                    '\0'} {}
  // The file existed: only a new file's first line carries the new-file mark.
  void FileExists() { newFileMark_[0] = ' '; }
  // The sign row shows the sign of the running amount.
  void SetNegative(bool negative) { negative_ = negative; }

  // Rewrites `value` for a shared row; false for a row of the format's own.
  // termsFromCode: the terms rows are derived from the terms code (field 140).
  bool Adjust(std::uint32_t field, char* value, const Record& record, const RunInfo& run,
              bool termsFromCode) {
    switch (field) {
      case fld::kContraAccount:
      case fld::kAccount:
        // Incoming invoices swap the two accounts.
        if (run.dataType == kIncomingInvoices)
          CopyText(value,
                   record.Value(field == fld::kAccount ? fld::kContraAccount : fld::kAccount));
        return true;
      case fld::kMandant: CopyText(value, run.settings.mandant.c_str()); return true;
      case fld::kTaxCode: FormatTaxCode(value, run.dataType); return true;
      case fld::kTermsCode: CopyText(terms_.data(), value); return true;
      case fld::kTermsPercent:
        if (termsFromCode) FormatFixed(value, TermsPair(terms_.data(), 2) / 10.0, 0, 6);  // "%lf"
        return true;
      case fld::kTermsDiscountDays:
        // Discount days given in the input win over the terms code.
        if (termsFromCode && value[0] == '\0') FormatInt(value, TermsPair(terms_.data(), 0));
        return true;
      case fld::kTermsNetDays:
        if (termsFromCode) FormatInt(value, TermsPair(terms_.data(), 4));
        return true;
      case fld::kTwoDigits145:
      case fld::kTwoDigits230: FormatTwoDigits(value); return true;
      case fld::kDate146:
      case fld::kDate147:
        if (value[0] == '\0') CopyText(value, "00.00.00");
        return true;
      case fld::kNewFileMark:
        CopyText(value, newFileMark_);
        newFileMark_[0] = ' ';
        return true;
      case fld::kRecordKind: CopyText(value, recordKind_); return true;
      case fld::kSign: CopyText(value, negative_ ? "-" : "+"); return true;
      default: return false;
    }
  }

 private:
  char recordKind_[2];
  char newFileMark_[2] = "A";
  bool negative_ = false;
  std::array<char, kValueRoom> terms_{};  // field 140 of the record being built
};

}  // namespace zeko::hs
