// Record layouts of the KHK8 import: the standard booking and address lines
// and the "97" lines of RELEASE 2.
#pragma once
#include <cstdint>

#include "convert/mapentry.h"
#include "record/data_type.h"

namespace zeko::khk8 {

// The layout for a data type; an empty table for payments and no data type.
MapTable Layout(DataType dataType, bool release2);

// Row field numbers above the host's fields that mean something only in
// these layouts. The tables print them as numbers, as the import's own
// description does.
inline constexpr std::uint32_t kLineBreak = 910;  // ends the physical line
inline constexpr std::uint32_t kSignCode = 920;   // "2" for a negative amount, else "0"
// A tax block has a column per tax index 0 to 8: field base + index.
inline constexpr int kTaxIndexes = 9;
inline constexpr std::uint32_t kTax117Columns = 901;
inline constexpr std::uint32_t kTax118Columns = 911;
inline constexpr std::uint32_t kTax130Columns = 921;
inline constexpr std::uint32_t kTax131Columns = 931;
inline constexpr std::uint32_t kTaxRateTexts = 940;  // STEUER_FASSTS texts

}  // namespace zeko::khk8
