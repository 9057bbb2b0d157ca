#include "app/control_totals.h"

#include <cmath>

#include "app/context.h"
#include "lib/number.h"
#include "record/field_numbers.h"

namespace zeko {
namespace {

// A date of the input's form as a number that sorts (YYYYMMDD); 0 for an
// empty one or one that is no calendar date, which the conversion reports
// where a layout reads it.
long SortableDate(std::string_view d) {
  if (d.size() != 8 && d.size() != 10) return 0;
  auto two = [&](std::size_t at) {
    return IsDigit(d[at]) && IsDigit(d[at + 1]) ? (d[at] - '0') * 10 + (d[at + 1] - '0') : -1;
  };
  const int day = two(0), month = two(3), high = two(6);
  const int low = d.size() == 10 ? two(8) : high;
  if (day <= 0 || month <= 0 || month > 12 || high < 0 || low < 0) return 0;
  // A two-digit year counts from 1900, as the conversion writes it.
  const int year = d.size() == 10 ? high * 100 + low : 1900 + high;
  static constexpr int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (day > kDays[month - 1] || (month == 2 && day == 29 && !leap)) return 0;
  return (year * 100L + month) * 100 + day;
}

}  // namespace

// Cents as a bookkeeper reads them: 1.234,56.
std::string Money(long long cents) {
  const bool negative = cents < 0;
  unsigned long long v = negative ? 0ull - static_cast<unsigned long long>(cents)
                                  : static_cast<unsigned long long>(cents);
  // Written backwards: cents, comma, then the euros in groups of three.
  std::string back;
  back += char('0' + v % 10);
  back += char('0' + v / 10 % 10);
  back += ',';
  v /= 100;
  int digits = 0;
  do {
    if (digits > 0 && digits % 3 == 0) back += '.';
    back += char('0' + v % 10);
    v /= 10;
    ++digits;
  } while (v > 0);
  if (negative) back += '-';
  return std::string(back.rbegin(), back.rend());
}

void ControlTotals::Add(const Record& record, DataType runDataType) {
  DataType dataType = runDataType;
  std::string_view amount, date;
  for (const FieldGroup& g : record.groups()) {
    if (g.number == fld::kDataType) {
      const Decimal d = ReadDecimal(record.Text(g.slot));
      const bool digit = d.valid && d.decimals == 0 && d.integerDigits == 1;
      dataType = digit ? DataTypeOf(static_cast<int>(d.value)) : DataType::kNone;
    } else if (g.number == fld::kAmount) {
      amount = record.Text(g.slot);
    } else if (g.number == fld::kDocumentDate) {
      date = record.Text(g.slot);
    }
  }
  Tally& t = tallies_[static_cast<std::size_t>(DataTypeNumber(dataType))];
  ++t.records;
  ++records_;
  const Decimal d = ReadDecimal(amount);
  // std::llround rounds halves away from zero, as every amount is rounded.
  // An amount too long for any field is refused by the conversion; it
  // does not count here.
  if (d.valid && d.integerDigits <= kExactDigits) t.cents += std::llround(d.value * 100.0);
  if (const long key = SortableDate(date)) {
    if (first_ == 0 || key < first_) {
      first_ = key;
      firstText_ = date;
    }
    if (key > last_) {
      last_ = key;
      lastText_ = date;
    }
  }
}

void ControlTotals::Print(std::string& report) const {
  report += "Sätze: " + std::to_string(records_) + "\n";
  for (std::size_t i = 0; i < tallies_.size(); ++i) {
    const Tally& t = tallies_[i];
    if (t.records == 0) continue;
    report += std::string("  ") + (i == 0 ? "ohne gültige Datenart" : kDataTypeNames[i]) + ": " +
              std::to_string(t.records) + (t.records == 1 ? " Satz" : " Sätze") +
              ", Summe der Beträge " + Money(t.cents) + "\n";
  }
  if (first_ != 0) {
    report += "Erstes Datum: " + firstText_ + "\n";
    report += "Letztes Datum: " + lastText_ + "\n";
  } else {
    report += "Kein Datum (Feld 105)\n";
  }
}

}  // namespace zeko
