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
  // The chain of groups ends at the end of the line, at a group number of
  // 0 (000 or blanks) or at trailing blanks; a damaged group ends it too,
  // the groups before it standing: chainEnd() and damaged() tell where and
  // how the last split ended, for the reader's message.
  int Split(std::string_view line, SlotOrder order = SlotOrder::kByNumber);
  // The same for a line that stays where it is: the record writes zero
  // bytes into it and at text[size], and reads its values there until
  // Evacuate.
  int SplitInPlace(char* text, std::size_t size, SlotOrder order = SlotOrder::kByNumber);
  // Copies every value still read in a line into its slot's room.
  void Evacuate();
  // Where the chain of the line split last ended (its offset in the line),
  // the byte that stood there before the split put a zero byte in its
  // place, and whether a damaged group ended it.
  std::size_t chainEnd() const { return chainEnd_; }
  char chainEndByte() const { return chainEndByte_; }
  bool damaged() const { return damaged_; }
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
  std::size_t chainEnd_ = 0;
  char chainEndByte_ = '\0';
  bool damaged_ = false;
};

// Signed decimal number from at most n characters (the record format's rules).
int ParseFixedInt(const char* text, int n);

// How a group header reads. Its number, length and format are three
// characters each of digits and blanks (blanks before and behind the
// digits: " 10" and "10 " are both 10); anything else there, a "-" too, as
// no number, length or format can be negative, is damage. A number of 0
// (000 or three blanks) ends the chain, whatever follows; so do the end of
// the line and trailing blanks or zero bytes (padding). A header cut short
// by the line's end or a value running past it is damage.
enum class GroupKind : std::uint8_t { kGroup, kEnd, kDamaged };

// The header of the group that starts at `at`; number, length and format
// are meaningful for a kGroup only.
struct GroupHeader {
  int number;
  int length;
  int format;
  GroupKind kind;
};
GroupHeader ReadGroupHeader(std::string_view line, std::size_t at);

// How the chain of groups of a record line ends: where, after how many
// groups, and whether at a damaged group.
struct ChainEnd {
  std::size_t at;
  int groups;
  bool damaged;
};
ChainEnd ReadChain(std::string_view line);

// Offset of the group of `field` in a record line, or nothing when the line
// has no such group before the chain ends: the presort sees exactly the
// groups that the reader sees.
std::optional<std::size_t> FindRecordField(std::string_view line, int field);

// The record lines of an export as the reader and the presort take them,
// in place in the file's buffer (see FileHandle::GetInPlace). What is not
// data is passed over: a UTF-8 byte-order mark at the very start, lines
// that are empty or hold only blanks and zero bytes (they are no record,
// so they never repeat the record before them), and the DOS end-of-file
// mark 0x1A with whatever blank lines or further marks follow it at the
// end of the file. Every other line is a record and is numbered
// (SetRecordNumber): 1 for the first, also when it cannot be used, so that
// a message names a record by its place among the records of the file.
// Problems (each a Problem, so a check names them all and goes on):
// - a line longer than the limit: "Pufferüberlauf beim Einlesen der Daten:
//   Satz N, <length> Zeichen, BUFLEN erlaubt <limit>"; the line is passed
//   over;
// - a 0x1A followed by further data. Old DOS programs stopped reading at
//   it, so a record behind it was never meant to be lost or kept silently:
//   "Dateiendezeichen (1A) vor weiteren Daten: Satz N, Spalte C", N the
//   record whose line holds the mark or, for a mark in a line of its own,
//   the record that follows it; the data goes on being read;
// - a damaged group (reported by the caller through ChainBroken).
// A problem that was reported once is not reported again when the file is
// read over once more (the run reads its first record twice), by a
// RecordLines told so (QuietTo) or after Restart.
class RecordLines {
 public:
  RecordLines(FileHandle& file, std::size_t limit) : file_(&file), limit_(limit) {}
  // The next record line; false at the end of the input.
  bool Next(char*& text, std::size_t& size);
  // Reads from the file's start again (the file rewound by the caller).
  void Restart();
  // The number of the record handed out last.
  long number() const { return number_; }
  // The problems of the file's bytes before `position` were reported
  // already, in an earlier pass over the same file.
  void QuietTo(std::int64_t position) { quietTo_ = position; }
  // How far the problems of the file have been reported.
  std::int64_t reportedTo() const { return lineEnd_ > quietTo_ ? lineEnd_ : quietTo_; }
  // The chain of the record line handed out last ended at `at` where it
  // should not have: at a damaged group, or without any group at all. A
  // 0x1A there followed only by padding is the end-of-file mark, which
  // ends the record (false); anything else is reported as "Satz beschädigt:
  // Satz N, Spalte C, Gruppe "<header>"" (true).
  bool ChainBroken(std::string_view line, std::size_t at);

 private:
  bool IsRecordLine(const char* text, std::size_t size);
  void MarkFollowedByData();
  // The line read last lies beyond what an earlier pass reported.
  bool Reporting() const { return lineEnd_ > quietTo_; }

  FileHandle* file_;
  std::size_t limit_;
  bool atStart_ = true;
  long number_ = 0;
  std::int64_t lineEnd_ = 0;  // file position behind the line read last
  std::int64_t quietTo_ = 0;
  // A 0x1A was seen with nothing but padding behind it in its line; a
  // record after it is a problem. Where it stood:
  bool markSeen_ = false;
  long markRecord_ = 0;
  std::size_t markColumn_ = 0;
  bool markReported_ = false;  // in an earlier pass over the file
};

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
  // Opens the input; "Fehler beim öffnen der Eingabedatei: <path>
  // (<reason>)" ends the run when it cannot. A line longer than lineLimit
  // characters is a problem (see RecordLines).
  RecordReader(std::string path, std::size_t lineLimit, SlotOrder order);
  ~RecordReader();

  // The next record into record(); false at the end of the input. A record
  // whose chain breaks is a problem; in a check it is handed on with the
  // groups before the break, or passed over when it has none.
  bool Next();
  const Record& record() const { return record_; }
  Record& record() { return record_; }
  // The record handed on last is damaged (in a check: cut at a damaged
  // group). Also when it was reported in an earlier pass over the file and
  // not again, as the first record is when the file is read over again.
  bool damaged() const { return damaged_; }

  void Rewind();
  std::int64_t Size() const;
  std::int64_t Position() const;
  const std::string& path() const { return path_; }

  // True when the input's first record holds a group of `field`.
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
  std::unique_ptr<RecordLines> lines_;
  bool sorted_ = false;  // file_ is the sorted copy, not the input
  bool damaged_ = false;
  Record record_;
};

}  // namespace zeko
