// Field rules and file handling that the HS and HS3 writers share.
#pragma once
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "convert/line_builder.h"
#include "lib/number.h"
#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"
#include "targets/common/consolidation.h"
#include "targets/writer.h"

namespace zeko::hs {

// Row 900 of both formats' booking lines: the sign of the running amount.
inline constexpr std::uint32_t kSign = 900;

// Tax code: blanks for 0, else "M" (the customer's side) or "V" (the
// supplier's) and two digits.
inline void FormatTaxCode(char* value, DataType dataType) {
  int n = FieldInt(fld::kTaxCode, value);
  if (n == 0) {
    std::memcpy(value, "   ", 4);
    return;
  }
  value[0] = IsSupplierData(dataType) ? 'V' : 'M';
  FormatInt(value + 1, n, 2);
  fillnull(value);
}

// A number as two digits, zero-filled (5 gives 05).
inline void FormatTwoDigits(int field, char* value) {
  FormatInt(value, FieldInt(field, value), 2);
  fillnull(value);
}

// The two digits of the terms code at 0-based offset `at`; positions beyond
// the end of the code read as nothing, so a missing pair gives 0.
inline int TermsPair(const char* terms, std::size_t at) {
  return std::strlen(terms) > at ? ParseFixedInt(terms + at, 2) : 0;
}

// What the HS and HS3 writers share: the file the target system collects
// over many runs, the rows both formats fill alike (with the values they
// hand from one row to a later one), the consolidation and the buffers a
// line is built in.
class HsWriterBase : public Writer {
 protected:
  // Record kind "A" for bookings, "K" customer and "L" supplier addresses.
  explicit HsWriterBase(const RunInfo& run)
      : Writer(run),
        groups_(run.consolidation != 0),
        recordKind_{IsBookingData(run.dataType)                    ? 'A'
                    : run.dataType == DataType::kCustomerAddresses ? 'K'
                                                                   : 'L',
                    '\0'} {}

  // The file the target system collects; this run's bytes go where `keep`
  // says in its earlier content.
  DeclaredOutput InPlaceOutput(const char* openError,
                               std::function<std::int64_t(std::FILE*, std::int64_t)> keep) const {
    DeclaredOutput declared = Output(run_.outputPath, OutputMode::kInPlace, Framing::kTextLine,
                                     Counting::kByWriter, run_.settings.oemCharset);
    declared.file.updateError = openError;
    declared.file.keep = std::move(keep);
    return declared;
  }

  // Only a new file's first line carries the new-file mark.
  void NoteExisting(const LineSink& out) {
    if (out.existed()) newFileMark_[0] = ' ';
  }

  // The group still held, then this run's closing line and a 0x1A byte.
  void CloseOutput(LineSink& out, const std::string& closingLine) {
    if (groups_.TakeHeldAtClose()) out.Put(groups_.Held(0));
    out.PutRaw(closingLine);
    out.PutRaw("\x1A");
  }

  // Builds the line of `layout` into line_; false when adjust stopped it.
  template <class Adjust>
  bool BuildRecord(MapTable layout, const Record& record, Adjust&& adjust) {
    return !BuildLine(layout, record, line_, work_, adjust);
  }

  // The amount row shows running amount `amount` with `value` added, without
  // sign ("%lf"); the sign row shows the sign. Returns the running amount.
  double RunningAmount(char* value, int amount = 0) {
    const double total = groups_.AddAmount(value, amount);
    negative_ = total < 0;
    FormatFixed(value, std::fabs(total), 0, 6);
    return total;
  }

  // Rewrites `value` for a shared row; false for a row of the format's own.
  // termsFromCode: the terms rows are derived from the terms code (field 140).
  bool AdjustShared(std::uint32_t field, char* value, const Record& record, bool termsFromCode) {
    switch (field) {
      case fld::kContraAccount:
      case fld::kAccount:
        // Incoming invoices swap the two accounts.
        if (run_.dataType == DataType::kIncomingInvoices)
          ReplaceValue(value, kValueRoom,
                       record.Value(field == fld::kAccount ? fld::kContraAccount : fld::kAccount));
        return true;
      case fld::kMandant:
        ReplaceValue(value, kValueRoom, run_.settings.mandant.c_str());
        return true;
      case fld::kTaxCode: FormatTaxCode(value, run_.dataType); return true;
      case fld::kTermsCode: ReplaceValue(terms_.data(), terms_.size(), value); return true;
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
      case fld::kTwoDigits230: FormatTwoDigits(static_cast<int>(field), value); return true;
      case fld::kDate146:
      case fld::kDate147:
        if (value[0] == '\0') ReplaceValue(value, kValueRoom, "00.00.00");
        return true;
      case fld::kNewFileMark:
        ReplaceValue(value, kValueRoom, newFileMark_);
        newFileMark_[0] = ' ';
        return true;
      case fld::kRecordKind: ReplaceValue(value, kValueRoom, recordKind_); return true;
      case kSign: ReplaceValue(value, kValueRoom, negative_ ? "-" : "+"); return true;
      default: return false;
    }
  }

  Consolidation groups_;  // consecutive bookings with equal accounts
  std::array<char, kValueRoom> work_{};
  std::array<char, kLineRoom> line_{};

 private:
  char recordKind_[2];
  char newFileMark_[2] = "A";
  bool negative_ = false;
  std::array<char, kValueRoom> terms_{};  // field 140 of the record being built
};

}  // namespace zeko::hs
