#include "run/fields.h"

#include <cstring>

#include "lib/filehandle.h"
#include "lib/number.h"
#include "run/context.h"
#include "run/error.h"

namespace zeko {

const std::string& FieldTable::Text(int n) const {
  static const std::string kEmpty;
  return (n >= 0 && n < kSlots) ? slots_[n].value : kEmpty;
}

void FieldTable::Clear() {
  for (FieldSlot& s : slots_) {
    s.length = 0;
    s.format = 0;
    s.value.clear();
  }
}

namespace {

// ParseFixedInt over at most n characters of which only `avail` exist.
int ParseFixed(const char* p, int n, std::size_t avail) {
  int value = 0;
  bool negative = false;
  for (int i = 0; i < n && static_cast<std::size_t>(i) < avail; ++i) {
    char c = p[i];
    if (c == '\0') break;
    if (c == ' ' && value > 0) break;
    if (c == '-') {
      negative = true;
    } else if (c >= '0' && c <= '9') {
      value = value * 10 + (c - '0');
    }
  }
  return negative ? -value : value;
}

}  // namespace

int ParseFixedInt(const char* text, int n) {
  return ParseFixed(text, n, static_cast<std::size_t>(-1));
}

int SplitRecord(RunContext& ctx, const std::string& line) {
  const char* p = line.data();
  const std::size_t len = line.size();
  const bool sequential = ctx.settings.targetType == kTargetMONA;
  const bool hs3 = ctx.settings.targetType == kTargetHS3;
  std::size_t pos = 0;
  int count = 0;
  for (;;) {
    std::size_t avail = pos < len ? len - pos : 0;
    int number = ParseFixed(p + pos, 3, avail);
    if (number == 0) return count;
    int length = ParseFixed(p + pos + 3, 3, avail > 3 ? avail - 3 : 0);
    int format = ParseFixed(p + pos + 6, 3, avail > 6 ? avail - 6 : 0);
    // A damaged group (negative number or length, or a value that runs past
    // the line) ends the record there; the groups before it stand.
    if (number < 0 || length < 0 || pos + 9 + static_cast<std::size_t>(length) > len) return count;
    int slot = sequential ? count : number;
    if (slot >= FieldTable::kSlots) return count;
    const char* value = p + pos + 9;
    std::size_t vlen = static_cast<std::size_t>(length);
    if (const void* zero = std::memchr(value, '\0', vlen))
      vlen = static_cast<std::size_t>(static_cast<const char*>(zero) - value);
    if (sequential) {
      if (number == 10) ctx.capturedDataType = AtoI(std::string_view(value, vlen));
      if (number == 15) ctx.capturedConsolidation = AtoI(std::string_view(value, vlen));
      if (number == 198) ctx.capturedDate.assign(value, vlen);
      if (number == 105 && ctx.capturedDate.empty()) ctx.capturedDate.assign(value, vlen);
    } else if (hs3) {
      if (number == 295) ctx.field295Seen = 1;
      if (number == 296) ctx.field296Seen = 1;
    }
    FieldSlot& s = ctx.fields[slot];
    s.value.assign(value, vlen);
    s.length = static_cast<std::uint32_t>(length);
    s.format = static_cast<std::uint32_t>(format < 0 ? 0 : format);
    pos += 9 + static_cast<std::size_t>(length);
    ++count;
  }
}

int ReadRecord(RunContext& ctx, FileHandle& file) {
  if (file.FEof()) return -1;
  const std::size_t limit = static_cast<std::size_t>(ctx.settings.lineBufferSize > 0
                                                          ? ctx.settings.lineBufferSize - 1
                                                          : 0);
  if (!file.Get(ctx.line, limit)) return -1;
  if (ctx.line.size() > limit) ErrorExit("Pufferüberlauf beim Einlesen der Daten");
  return SplitRecord(ctx, ctx.line);
}

}  // namespace zeko
