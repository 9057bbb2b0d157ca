// The input fields that mean something fixed to GENERIC, whatever the
// layout: the settings MANDANT and ANWENDER, running totals, the terms of
// payment, the currency code, the debit/credit mark, the postcode split,
// digits only, the key number and the line end. Each rule rewrites the
// field's value before it is converted.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/settings.h"
#include "convert/convert.h"
#include "convert/mapentry.h"
#include "lib/messages.h"
#include "lib/number.h"
#include "record/field_numbers.h"
#include "record/record.h"
#include "targets/common/consolidation.h"
#include "targets/common/field_rules.h"

namespace zeko {

// The value of the field being written (WorkBuffer): the field's text, or
// what a rule puts in its place. Sized once, so that no field allocates.
class GenericValue {
 public:
  explicit GenericValue(const Settings& settings);

  char* data() { return buffer_.data(); }
  std::size_t room() const { return buffer_.size(); }

  void Load(std::uint32_t field, const Record& record) {
    const char* text = record.Value(static_cast<int>(field));
    Set(text, std::strlen(text));
  }
  void Set(const char* text, std::size_t length) {
    // Room behind the text for the "00.00.0000" that a date conversion puts
    // in place of a malformed date.
    if (buffer_.size() < length + 16) buffer_.resize(length + 16);
    std::memmove(buffer_.data(), text, length);
    buffer_[length] = '\0';
  }
  void Set(const std::string& text) { Set(text.data(), text.size()); }
  void SetNumber(double x);  // "%lf": six decimals
  void SetInt(std::int64_t n);

 private:
  std::vector<char> buffer_;
};

class GenericFieldRules {
 public:
  GenericFieldRules(const Settings& settings, Consolidation& groups);

  // The first pass over a record: the current amount (fields 115, 116) and
  // the split text of field 217, so that rows before those fields see them.
  void GenericPrescan(MapTable layout, const Record& record, GenericValue& value);
  // Rewrites the value of input field `field` by its rule; true when the
  // record is to be dropped (GENERICSKIPZERO and a zero total). Both are
  // inline: the writer's record loop takes them in.
  bool GenericFieldHook(std::uint32_t field, const Record& record, GenericValue& value);

 private:
  // Rows above the host's field numbers that GENERIC layouts use for
  // derived values.
  static constexpr int kDigitsOnly801 = 801;  // only the digits of the value
  static constexpr int kDigitsOnly802 = 802;
  static constexpr int kKeyNumber = 803;  // the value * 100 + base + discount key
  static constexpr int kLineEnd = 992;    // carriage return and line feed

  // Field 217 "12345 Town": the text after the postcode's blank becomes the
  // split text for field 220; with cutValue the value keeps the postcode.
  void SplitField217(GenericValue& value, bool cutValue);

  const Settings& s_;
  Consolidation& groups_;
  double currentAmount_ = 0.0;
  std::string splitText_;
};

inline void GenericFieldRules::GenericPrescan(MapTable layout, const Record& record,
                                              GenericValue& value) {
  for (const MapEntry& row : layout) {
    switch (row.field) {
      case fld::kAmount:
      case fld::kAmount2:
        // The row itself judges the value; until then a value that is no
        // number counts as 0.
        currentAmount_ = ReadDecimal(record.Text(static_cast<int>(row.field))).value;
        break;
      case fld::kPostcode:
        value.Load(row.field, record);
        SplitField217(value, false);
        break;
      default: break;
    }
  }
}

inline bool GenericFieldRules::GenericFieldHook(std::uint32_t field, const Record& fields,
                                                GenericValue& value) {
  char* text = value.data();
  switch (field) {
    case fld::kMandant: value.Set(s_.mandant); break;
    case fld::kAnwender: value.Set(s_.anwender); break;
    case fld::kAmount:
    case fld::kAmount2: {
      const double total = groups_.AddAmount(text, field == fld::kAmount ? 0 : 1);
      value.SetNumber(total);
      currentAmount_ = total;
      return s_.genericSkipZero != 0 && total == 0.0;
    }
    case fld::kTermsPercent: {
      const char* terms = fields.Value(fld::kTermsText);
      const char* code = fields.Value(fld::kTermsCode);
      if (*terms) {
        value.SetNumber(ReadTaggedReal(terms));
      } else if (*code) {
        // Characters 4 and 5 of the terms code hold the percentage in tenths.
        char tenths[3] = {};
        const std::size_t length = std::strlen(code);
        for (std::size_t i = 0; i < 2 && 3 + i < length; ++i) tenths[i] = code[3 + i];
        const Decimal percent = ReadDecimal(tenths);
        if (!percent.valid) ValueProblem(msg::kBadNumber, fld::kTermsCode, code);
        value.SetNumber(percent.value / 10.0);
      }
      break;
    }
    case fld::kTermsDiscountDays:
      if (const char* terms = fields.Value(fld::kTermsText); *terms)
        value.SetInt(ReadTaggedInt(terms, 'S'));
      break;
    case fld::kTermsNetDays:
      if (const char* terms = fields.Value(fld::kTermsText); *terms)
        value.SetInt(ReadTaggedInt(terms, 'N'));
      break;
    case fld::kCurrencyCode:
      if (const std::string* code = CurrencyCode(fields, s_)) value.Set(*code);
      break;
    case fld::kDebitCredit:
      if (currentAmount_ < 0.0) {
        if (text[0] == 'S')
          text[0] = 'H';
        else if (text[0] == 'H')
          text[0] = 'S';
      }
      break;
    case fld::kPostcode: SplitField217(value, true); break;
    case fld::kCity: value.Set(splitText_); break;
    case kDigitsOnly801:
    case kDigitsOnly802: {
      char* end =
          std::remove_if(text, text + std::strlen(text), [](char c) { return c < '0' || c > '9'; });
      *end = '\0';
      break;
    }
    case kKeyNumber: {
      auto whole = [&fields](int n) { return FieldInt(n, fields.Text(n)); };
      const int m = fields.Length(fld::kKeyBase) != 0 ? whole(fld::kKeyBase) : 10;
      int k;
      if (fields.Length(fld::kDiscountFlag) != 0 || fields.Format(fld::kDiscountFlag) != 0)
        k = whole(fld::kDiscountFlag) == 0 ? 1 : 0;
      else
        k = whole(fld::kTaxCode);
      if (k == 0 && fields.Length(fld::kDiscountAlt) != 0 && whole(fld::kDiscountAlt) != 0) k = 3;
      // Computed wide and printed as the 32-bit number the import reads.
      const std::int64_t key = static_cast<std::int64_t>(FieldInt(kKeyNumber, text)) * 100 + m + k;
      value.SetInt(static_cast<std::int32_t>(static_cast<std::uint32_t>(key)));
      break;
    }
    case kLineEnd: value.Set("\r\n", 2); break;
    default: break;
  }
  return false;
}

}  // namespace zeko
