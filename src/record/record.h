// The host's self-describing records: one Record holds the fields of the
// record read last, RecordReader reads them from the input file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/hash.h"

namespace zeko {

class FileHandle;

// Where a field's value goes: the slot of its number, or (the sequential
// mode of one host variant) the slot of its place in the record.
enum class SlotOrder { kByNumber, kByPlace };

// One field group of the current record, in the order of the line.
struct FieldGroup {
  int number;  // field number as written
  int slot;    // the slot that holds its value
};

// The fields of the record read last: 1000 slots indexed by field number.
// Slots are never cleared between records: a slot keeps the last value that
// any record gave it. A value of the current record is read in place, in the
// line it came in (a zero byte put behind it), wherever the reader keeps
// that line. Before the reader moves or reuses its buffer, Evacuate copies
// every value still read from there into its slot's own room of kValueRoom
// bytes (a value has at most 999 characters, the length having three
// digits). So reading a record never allocates and copies no value that a
// later record of the same buffer gives again, and a view handed out stays
// valid until the next record is read.
class Record {
 public:
  static constexpr int kSlots = 1000;
  static constexpr std::size_t kValueRoom = 1000;  // 999 characters and a zero byte

  Record();
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  // The value of field n; empty for numbers outside 0..999.
  std::string_view Text(int n) const {
    return InRange(n) ? std::string_view(slots_[n].value, slots_[n].size) : std::string_view();
  }
  // The same as a zero-terminated text.
  const char* Value(int n) const { return InRange(n) ? slots_[n].value : ""; }
  // A declared length other than 0 makes a field present.
  bool Present(int n) const { return InRange(n) && slots_[n].length != 0; }
  std::uint32_t Length(int n) const { return InRange(n) ? slots_[n].length : 0; }
  std::uint32_t Format(int n) const { return InRange(n) ? slots_[n].format : 0; }
  // The groups of the record read last, in the order of its line.
  std::span<const FieldGroup> groups() const { return {groups_.data(), groupCount_}; }

  // Splits one record line into the slots. Returns the number of groups.
  int Split(std::string_view line, SlotOrder order = SlotOrder::kByNumber);
  // The same for a line that stays where it is: the record writes zero
  // bytes into it and at text[size], and reads its values there until
  // Evacuate.
  int SplitInPlace(char* text, std::size_t size, SlotOrder order = SlotOrder::kByNumber);
  // Copies every value still read in a line into its slot's room.
  void Evacuate();
  // Sets one slot (value cut at its room).
  void Set(int slot, std::string_view value, std::uint32_t length, std::uint32_t format);
  void Clear();

 private:
  static bool InRange(int n) { return n >= 0 && n < kSlots; }
  char* Room(int n) { return rooms_.get() + std::size_t(n) * kValueRoom; }

  std::unique_ptr<char[]> rooms_;
  // What a record's group sets, together: a group touches one cache line.
  struct Slot {
    const char* value;
    std::uint32_t length = 0;  // as declared
    std::uint32_t format = 0;
    std::uint16_t size = 0;  // of the value, cut at a zero byte
    bool inLine = false;     // the value is in a line, not in the slot's room
  };
  Slot slots_[kSlots];
  std::string own_;                 // the line that Split copied
  std::vector<FieldGroup> groups_;  // of the record read last: the first groupCount_
  std::size_t groupCount_ = 0;
};

// Signed decimal number from at most n characters (the record format's rules).
int ParseFixedInt(const char* text, int n);

// The header of the group that starts at `at`. Characters beyond the end of
// the line read as the end of the text. `valid` is false where the chain
// ends: field number 0, a negative number or length, or a value that runs
// past the line.
struct GroupHeader {
  int number;
  int length;
  int format;
  bool valid;
};
GroupHeader ReadGroupHeader(std::string_view line, std::size_t at);

// Offset of the group of `field` in a record line, or nothing when the line
// has no such group before the chain ends (field number 0, a damaged group
// or the end of the line): the presort sees exactly the groups that the
// reader sees.
std::optional<std::size_t> FindRecordField(std::string_view line, int field);

// What the presort shows (the input's size once, then positions) and how
// its sorted copy is made and adopted. Without createCopy the copy is
// simply created; without adoptCopy it takes the input's place at once.
struct PresortProgress {
  std::function<void(std::int64_t total)> start;
  std::function<void(std::int64_t position)> step;
  std::function<std::FILE*(const std::string& path)> createCopy;  // nullptr: fatal
  std::function<void(const std::string& path)> adoptCopy;  // the run reads the copy from now on
};

// Reads the input file record by record into one Record.
class RecordReader {
 public:
  // Opens the input; "Fehler beim öffnen der Eingabedatei" when it cannot.
  // A line longer than lineLimit characters ends the run.
  RecordReader(std::string path, std::size_t lineLimit, SlotOrder order);
  ~RecordReader();

  // The next record into record(); false at the end of the input.
  bool Next();
  const Record& record() const { return record_; }
  Record& record() { return record_; }

  void Rewind();
  std::int64_t Size() const;
  std::int64_t Position() const;
  const std::string& path() const { return path_; }

  // True when the input's first line holds a group of `field`.
  bool FirstLineHas(int field);
  // Rewrites the input in the order of `field` (see presort.h); the sorted
  // copy is read from its start.
  void Presort(int field, const PresortProgress& progress);
  // Size and hash of the input as read from its start to its end, if it
  // was (not for a sorted copy).
  std::optional<InputDigest> Digest() const;
  // Releases the input file.
  void Close();

 private:
  void Open();

  std::string path_;
  std::size_t lineLimit_;
  SlotOrder order_;
  std::unique_ptr<FileHandle> file_;
  bool sorted_ = false;  // file_ is the sorted copy, not the input
  Record record_;
};

}  // namespace zeko
