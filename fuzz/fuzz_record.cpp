// The record reader: any bytes as the input file, read line by line into
// the field table as a run reads it, in the normal, the sequential (MONA)
// and the HS3 mode and with short and long line limits.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_common.h"
#include "lib/filehandle.h"
#include "run/context.h"
#include "run/fields.h"

using namespace zeko;

namespace {

// What every split must leave: a value is the piece of the line that its
// declared length covers (cut at a zero byte), never more.
void CheckTable(const RunContext& ctx) {
  for (int n = 0; n < FieldTable::kSlots; ++n) {
    const FieldSlot& slot = ctx.fields[n];
    fuzz::Require(slot.value.size() <= slot.length, "a field value longer than its declared length");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t mode = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  RunContext ctx;
  switch (mode & 3) {
    case 1: ctx.settings.targetType = kTargetMONA; break;
    case 2: ctx.settings.targetType = kTargetHS3; break;
    default: ctx.settings.targetType = kTargetDATAX; break;
  }
  // BUFLEN: the default, a short limit that most lines break, or none.
  const int limits[4] = {16384, 40, 1, 0};
  ctx.settings.lineBufferSize = limits[(mode >> 2) & 3];

  // The whole input as one line.
  SplitRecord(ctx, bytes);
  CheckTable(ctx);

  // The input as a file, line by line. A line over the limit is fatal.
  ctx.fields.Clear();
  fuzz::WriteFile("INPUT.$TM", bytes);
  FileHandle file;
  file.Open("INPUT.$TM");
  file.SetDelimiter((mode & 16) ? "\n" : "\r\n");
  fuzz::ArmFatal();
  try {
    int records = 0;
    while (ReadRecord(ctx, file) != -1) {
      fuzz::Require(ctx.line.size() <= bytes.size(), "a line longer than the file");
      fuzz::Require(file.FilePos() <= file.FileSize(), "read past the end of the file");
      CheckTable(ctx);
      fuzz::Require(++records <= static_cast<int>(bytes.size()) + 1, "more lines than bytes");
    }
  } catch (const fuzz::FatalExit&) {
    // "Pufferüberlauf beim Einlesen der Daten": the run ends there.
  }
  return 0;
}
