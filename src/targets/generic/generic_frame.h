// The configured texts of a GENERIC record: the record's head and
// separator, and around each field the start and end texts of its kind and
// the separator (after the last field its own text).
#pragma once
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "config/generic_codes.h"
#include "config/settings.h"
#include "convert/mapentry.h"
#include "lib/error.h"
#include "lib/messages.h"
#include "targets/generic/generic_conversion.h"

namespace zeko {

class GenericFrame {
 public:
  explicit GenericFrame(const Settings& settings);

  // Bytes a record buffer needs for a record of any of the layouts (field
  // 011 can switch among them all), so no record is ever cut or overruns.
  std::size_t LineRoom() const;

  char* RecordHead(char* pos) const { return AppendText(pos, s_.genericRecHead); }
  char* RecordEnd(char* pos) const { return AppendText(pos, s_.genericRecSep); }
  // Appends the field of `row` for value (GenericFieldRoom free behind its
  // start text) with its framing texts; returns the position after them.
  // Inline: the writer's record loop takes it in.
  char* WriteGenericField(char* pos, const MapEntry& row, char* value, bool last);

 private:
  static char* AppendText(char* pos, const std::string& text) {
    std::memcpy(pos, text.data(), text.size());
    return pos + text.size();
  }

  const Settings& s_;
  bool compact_;               // GENERICCOMPACTFIELDS
  std::vector<char> scratch_;  // printed numbers
};

inline char* GenericFrame::WriteGenericField(char* pos, const MapEntry& row, char* value,
                                             bool last) {
  const GenericConversion conversion = GenericType(row.type).conversion();
  // A binary number is a number to the framing.
  const bool text = conversion == GenericConversion::kText;
  const bool date = conversion == GenericConversion::kDate;
  if (conversion == GenericConversion::kNone) ErrorExit("%s", msg::kConversionError);
  pos = AppendText(pos, text   ? s_.genericFieldStartText
                        : date ? s_.genericFieldStartDate
                               : s_.genericFieldStartNum);
  bool marked = false;
  std::size_t n = ConvertGenericField(pos, row, value, compact_, scratch_.data(), &marked);
  if (compact_) {
    // A binary number keeps its four bytes, whatever they are.
    if (conversion != GenericConversion::kBinary)
      while (n > 0 && pos[n - 1] == ' ') --n;
    pos += n;
  } else {
    // A fixed-width field is exactly its row's length: a shorter conversion
    // (a date narrower than the row, a trimmed text) is padded with blanks,
    // a longer one cut. A debit or credit mark widens the field by its
    // character instead of being overwritten by what follows.
    const std::size_t width = row.length + (marked ? 1 : 0);
    if (n < width) std::memset(pos + n, ' ', width - n);
    pos += width;
  }
  pos = AppendText(pos, text   ? s_.genericFieldEndText
                        : date ? s_.genericFieldEndDate
                               : s_.genericFieldEndNum);
  return AppendText(pos, last ? s_.genericFieldLast : s_.genericFieldSep);
}

}  // namespace zeko
