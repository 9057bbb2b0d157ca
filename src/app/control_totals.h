// The control totals of an export: records and the sum of the amounts
// (field 115) per data type, and the range of document dates (field 105).
// The check prints them and the run's protocol keeps them, so that a check
// and the later run show the same figures.
#pragma once
#include <array>
#include <string>
#include <string_view>

#include "record/data_type.h"
#include "record/record.h"

namespace zeko {

// The figures of one data type (index 0: records without a valid one).
struct Tally {
  long records = 0;
  long long cents = 0;
};

// Cents as a bookkeeper reads them: 1.234,56.
std::string Money(long long cents);

class ControlTotals {
 public:
  // The record's own groups: a slot keeps a value of an earlier record, and
  // that must not be counted again.
  void Add(const Record& record, DataType runDataType);
  // "Sätze: ...", one line per data type, the first and last date.
  void Print(std::string& report) const;

  long records() const { return records_; }
  const std::array<Tally, 6>& tallies() const { return tallies_; }

 private:
  std::array<Tally, 6> tallies_{};
  long records_ = 0;
  long first_ = 0, last_ = 0;
  std::string firstText_, lastText_;
};

}  // namespace zeko
