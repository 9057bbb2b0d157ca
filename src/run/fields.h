// The field table and the reader of the host's self-describing records.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace zeko {

class FileHandle;
struct RunContext;

struct FieldSlot {
  std::uint32_t length = 0;  // declared length; non-zero means present
  std::uint32_t format = 0;
  std::string value;
};

// 1000 slots indexed by input field number. Never cleared between records.
class FieldTable {
 public:
  static constexpr int kSlots = 1000;
  const FieldSlot& operator[](int n) const { return slots_[n]; }
  FieldSlot& operator[](int n) { return slots_[n]; }
  // The value text of field n; empty text for numbers outside 0..999.
  const char* Value(int n) const {
    return (n >= 0 && n < kSlots) ? slots_[n].value.c_str() : "";
  }
  const std::string& Text(int n) const;
  bool Present(int n) const { return n >= 0 && n < kSlots && slots_[n].length != 0; }
  void Clear();

 private:
  std::array<FieldSlot, kSlots> slots_;
};

// Signed decimal number from at most n characters (the record format's rules).
int ParseFixedInt(const char* text, int n);

// Reads the next record into ctx.fields and ctx.line. Returns the number of
// field groups, or -1 at end of input.
int ReadRecord(RunContext& ctx, FileHandle& file);

// Splits one record line into the field table (what ReadRecord does after the
// line has been read). Returns the number of field groups.
int SplitRecord(RunContext& ctx, const std::string& line);

}  // namespace zeko
