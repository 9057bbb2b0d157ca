// One row of a layout table and the table itself.
#pragma once
#include <cstdint>
#include <span>

namespace zeko {

struct MapEntry {
  std::uint32_t field;   // input field number (0: constant from a)
  std::uint32_t length;  // output width in characters
  std::uint32_t type;    // conversion code
  const char* a = "";    // addend (numbers) or prefix (texts)
  const char* b = "";    // default value (read by the KHK8 writer only)
};

// Layout tables have no end marker; the span carries the row count.
using MapTable = std::span<const MapEntry>;

// Sum of the row lengths: the record length without line end.
constexpr std::uint32_t RecordLength(MapTable table) {
  std::uint32_t n = 0;
  for (const MapEntry& row : table) n += row.length;
  return n;
}

}  // namespace zeko
