// Assembly of one fixed-width line from a layout table.
#pragma once
#include <cstddef>
#include <cstring>
#include <span>
#include <string_view>

#include "convert/convert.h"
#include "convert/mapentry.h"
#include "record/record.h"

namespace zeko {

// Room of a line buffer and of the value buffer of line assembly. A fixed
// line is at most 495 characters; a value has at most 999, and an amount
// printed with six decimals needs at most 360.
inline constexpr std::size_t kLineRoom = 2048;
inline constexpr std::size_t kValueRoom = 1024;
static_assert(kValueRoom > Record::kValueRoom);

// True when a line of the layout fits a line buffer of kLineRoom bytes with
// the room ConvertField needs behind its last field (a date layout's full
// width of at most 10 characters and the terminating zero).
constexpr bool FitsLineRoom(MapTable layout) {
  return RecordLength(layout) + kWidestDate + 1 <= kLineRoom;
}

// Replaces the value being adjusted by text (which may lie inside it), cut
// to the value buffer's room.
inline void ReplaceValue(char* value, std::size_t room, const char* text) {
  const std::size_t length = strnlen(text, room - 1);
  std::memmove(value, text, length);
  value[length] = '\0';
}
inline void ReplaceValue(char* value, std::size_t room, std::string_view text) {
  const std::size_t length = text.size() < room ? text.size() : room - 1;
  std::memmove(value, text.data(), length);
  value[length] = '\0';
}

// Walks the rows of `layout`: the value of each row's field is copied into
// `value`, `adjust(fieldNumber, value, room)` may rewrite it in place or
// return true to stop the line, and the converted field is placed at the
// row's position in `out`. Returns true when adjust stopped the line; the
// line is then incomplete and must not be used. `out` holds the layout's
// line and the room ConvertField needs behind its last field: callers check
// their tables with FitsLineRoom or size their buffer by FieldRoom.
template <class Adjust>
bool BuildLine(MapTable layout, const Record& fields, std::span<char> out,
               std::span<char, kValueRoom> value, Adjust&& adjust) {
  static_assert(kValueRoom > Record::kValueRoom, "a field's text always fits the value buffer");
  char* pos = out.data();
  *pos = '\0';
  for (const MapEntry& row : layout) {
    const std::string_view text = fields.Text(static_cast<int>(row.field));
    std::memcpy(value.data(), text.data(), text.size());
    value[text.size()] = '\0';
    if (adjust(row.field, value.data(), kValueRoom)) return true;
    ConvertField(pos, row, value.data(), fields);
    pos += row.length;
  }
  return false;
}

}  // namespace zeko
