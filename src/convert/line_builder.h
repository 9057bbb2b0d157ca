// Assembly of one line from a layout table: the rows walked in one place,
// the framing (fixed positions, or the writer's own) as a template hook.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

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

// Walks the rows of `layout`. For each row `frame.Load(row, fields)` gives
// the row's value in a buffer of the frame's (frame.room() bytes), or
// nullptr for a row that carries no value; `adjust(fieldNumber, value,
// room)` may rewrite a value in place or return true to stop the line; then
// `frame.Place(row, value, fields, last)` puts the field into the line.
// Returns true when adjust stopped the line; the line is then incomplete.
// The frame is a template argument, so the walk costs no call per field.
template <class Frame, class Adjust>
bool BuildLine(MapTable layout, const Record& fields, Frame& frame, Adjust&& adjust) {
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const MapEntry& row = layout[i];
    char* value = frame.Load(row, fields);
    if (value != nullptr && adjust(row.field, value, frame.room())) return true;
    frame.Place(row, value, fields, i + 1 == layout.size());
  }
  return false;
}

// Fields at fixed positions, each exactly its row's length, converted by
// ConvertField. `out` holds the layout's line and the room ConvertField
// needs behind its last field: callers check their tables with
// FitsLineRoom or size their buffer by FieldRoom.
class FixedFrame {
 public:
  FixedFrame(std::span<char> out, std::span<char, kValueRoom> value)
      : pos_(out.data()), value_(value) {
    *pos_ = '\0';
  }
  static constexpr std::size_t room() { return kValueRoom; }
  char* Load(const MapEntry& row, const Record& fields) {
    static_assert(kValueRoom > Record::kValueRoom, "a field's text always fits the value buffer");
    const std::string_view text = fields.Text(static_cast<int>(row.field));
    CopyShort(value_.data(), text.data(), text.size());
    value_[text.size()] = '\0';
    return value_.data();
  }
  void Place(const MapEntry& row, char* value, const Record& fields, bool /*last*/) {
    ConvertField(pos_, row, value, fields);
    pos_ += row.length;
  }
  // A row that is not a date, from the record's own zero-terminated value:
  // the other conversions only read their value.
  void PlaceFromRecord(const MapEntry& row, const Record& fields) {
    const auto n = static_cast<int>(row.field);
    const std::string_view text = fields.Text(n);
    ConvertField(pos_, row, const_cast<char*>(fields.Value(n)), text.size(), fields);
    pos_ += row.length;
  }
  // A text row without a constant (IsPlainText), from the record.
  void PlacePlainText(const MapEntry& row, const Record& fields) {
    const std::string_view text = fields.Text(static_cast<int>(row.field));
    zeko::PlacePlainText(pos_, row.length, text.data(), text.size());
    pos_ += row.length;
  }

 private:
  char* pos_;
  std::span<char, kValueRoom> value_;
};

// How a row of a fixed-width line gets its field.
enum class RowWay : std::uint8_t {
  kPlainText,   // a text row without a constant, straight from the record
  kFromRecord,  // converted straight from the record's value
  kAdjusted,    // through the value buffer and the writer's adjust
};

// A layout with the way of each of its rows, decided once for a writer
// rather than for every line: rows of fields that adjusts(field) leaves alone
// (dates excepted, which are rewritten in place) are converted straight from
// the record, where the value is neither copied nor measured again. That is
// most of a line's work.
class LinePlan {
 public:
  LinePlan() = default;
  template <class Adjusts>
  LinePlan(MapTable layout, Adjusts&& adjusts) : layout_(layout) {
    ways_.reserve(layout.size());
    for (const MapEntry& row : layout) {
      ways_.push_back(adjusts(row.field) || IsDate(row.type) ? RowWay::kAdjusted
                      : IsPlainText(row)                     ? RowWay::kPlainText
                                                             : RowWay::kFromRecord);
    }
  }
  MapTable layout() const { return layout_; }
  RowWay way(std::size_t i) const { return ways_[i]; }

 private:
  MapTable layout_;
  std::vector<RowWay> ways_;
};

// A fixed-width line of `layout` in `out`, the values passing through
// `value`, each row the way wayOf(index) says; true when adjust stopped the
// line.
template <class Adjust, class WayOf>
bool BuildFixedLine(MapTable layout, const Record& fields, std::span<char> out,
                    std::span<char, kValueRoom> value, Adjust&& adjust, WayOf&& wayOf) {
  FixedFrame frame(out, value);
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const MapEntry& row = layout[i];
    switch (wayOf(i)) {
      case RowWay::kPlainText: frame.PlacePlainText(row, fields); continue;
      case RowWay::kFromRecord: frame.PlaceFromRecord(row, fields); continue;
      case RowWay::kAdjusted: break;
    }
    char* text = frame.Load(row, fields);
    if (adjust(row.field, text, frame.room())) return true;
    frame.Place(row, text, fields, i + 1 == layout.size());
  }
  return false;
}

// The line of a plan.
template <class Adjust>
bool BuildLine(const LinePlan& plan, const Record& fields, std::span<char> out,
               std::span<char, kValueRoom> value, Adjust&& adjust) {
  return BuildFixedLine(plan.layout(), fields, out, value, adjust,
                        [&plan](std::size_t i) { return plan.way(i); });
}

// The same where adjust may rewrite any field.
template <class Adjust>
bool BuildLine(MapTable layout, const Record& fields, std::span<char> out,
               std::span<char, kValueRoom> value, Adjust&& adjust) {
  return BuildFixedLine(layout, fields, out, value, adjust,
                        [](std::size_t) { return RowWay::kAdjusted; });
}

}  // namespace zeko
