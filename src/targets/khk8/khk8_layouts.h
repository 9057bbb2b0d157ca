// Record layouts of the KHK8 import: the standard booking and address lines
// and the "97" lines of RELEASE 2.
#pragma once
#include <cstdint>

#include "convert/mapentry.h"
#include "record/field_numbers.h"

namespace zeko {
// Tables are aligned by column by hand.
// clang-format off

// Row field numbers with a meaning of their own in the KHK8 layouts.
inline constexpr std::uint32_t kKhk8LineBreak = fld::kLineBreak;  // ends the physical line

// The layout for a data type (1 to 4); an empty table for every other one.
MapTable Khk8Layout(int dataType, bool release2);

// clang-format on
}  // namespace zeko
