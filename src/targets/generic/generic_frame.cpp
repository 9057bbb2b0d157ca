#include "targets/generic/generic_frame.h"

#include <algorithm>

#include "targets/generic/generic_conversion.h"

namespace zeko {

GenericFrame::GenericFrame(const Settings& settings)
    : s_(settings), compact_(settings.genericCompactFields != 0) {
  std::size_t room = GenericScratchRoom(0);
  for (const FieldList& list : s_.fieldLists)
    for (const MapEntry& row : list.rows) room = std::max(room, GenericScratchRoom(row.length));
  scratch_.resize(room);
}

std::size_t GenericFrame::LineRoom() const {
  const std::size_t texts = std::max(
      {s_.genericFieldStartNum.size(), s_.genericFieldStartText.size(),
       s_.genericFieldStartDate.size(), s_.genericFieldEndNum.size(), s_.genericFieldEndText.size(),
       s_.genericFieldEndDate.size(), s_.genericFieldSep.size(), s_.genericFieldLast.size()});
  std::size_t lineRoom = 0;
  for (const FieldList& list : s_.fieldLists) {
    std::size_t room = s_.genericRecHead.size() + s_.genericRecSep.size() + 1;
    for (const MapEntry& row : list.rows) room += 3 * texts + GenericFieldRoom(row.length);
    lineRoom = std::max(lineRoom, room);
  }
  return lineRoom;
}

}  // namespace zeko
