// The record reader: any bytes as the input file, read line by line into
// the field table as a run reads it, in the normal, the sequential (MONA)
// and the by-place mode and with short and long line limits.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_common.h"
#include "record/record.h"

using namespace zeko;

namespace {

// What every split must leave: a value is the piece of the line that its
// declared length covers (cut at a zero byte), never more.
void CheckTable(const Record& record) {
  for (int n = 0; n < Record::kSlots; ++n) {
    fuzz::Require(record.Text(n).size() <= record.Length(n), "a field value longer than its declared length");
  }
  for (const FieldGroup& g : record.groups()) {
    fuzz::Require(g.slot >= 0 && g.slot < Record::kSlots, "a group outside the slots");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const SlotOrder order = (mode & 3) == 1 ? SlotOrder::kByPlace : SlotOrder::kByNumber;
  // BUFLEN: the default, a short limit that most lines break, or none.
  const std::size_t limits[4] = {16383, 39, 0, 0};
  const std::size_t limit = limits[(mode >> 2) & 3];

  // The whole input as one line.
  auto record = std::make_unique<Record>();
  record->Split(bytes, order);
  CheckTable(*record);

  // The input as a file, line by line. A line over the limit, a damaged
  // group and data after the end mark are fatal.
  fuzz::WriteFile("INPUT.$TM", bytes);
  fuzz::ArmFatal();
  try {
    RecordReader reader("INPUT.$TM", limit, order);
    int records = 0;
    while (reader.Next()) {
      fuzz::Require(reader.Position() <= reader.Size(), "read past the end of the file");
      CheckTable(reader.record());
      fuzz::Require(++records <= static_cast<int>(bytes.size()) + 1, "more lines than bytes");
    }
  } catch (const fuzz::FatalExit&) {
    // The run ends there, with its message.
  }
  return 0;
}
