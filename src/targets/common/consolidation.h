// Running amount, group key and held lines of a writer that can merge
// consecutive bookings of one account pair into a single line.
#pragma once
#include <array>
#include <cstddef>
#include <string>

namespace zeko {

class Record;

// The key of a group of bookings: the texts of input fields 120 and 110,
// compared as texts and kept whole, however long.
class GroupKey {
 public:
  GroupKey();
  // True when the record's key differs from the saved one; the record's key
  // is saved then.
  bool Changed(const Record& record);

 private:
  std::string account_;
  std::string contra_;
};

// Consolidation merges bookings with equal input fields 120 and 110. Each
// booking adds its amount (field 115) to the running amount; the line built
// last is held back and written when its group ends, so it carries the
// group's total. Outside consolidation mode every line is written at once
// and the running amount is only the current record's own amount.
//
// A held line is written only while it is current: it was built after the
// last write and its group's total is not zero. The line held before the
// total came to zero no longer tells the group's amount, and a line that was
// already written must not appear twice; so neither a stale nor an empty
// held line ever reaches the file. A group whose total comes back from zero
// holds a current line again and is written at its end like any other.
class Consolidation {
 public:
  static constexpr int kHeldSlots = 2;  // LEDAX holds a second line for its second file
  static constexpr std::size_t kHeldRoom = 2048;

  explicit Consolidation(bool on);

  bool on() const { return on_; }
  double running() const { return running_; }

  // In consolidation mode, at the start of each record: when field 120 or
  // 110 differs from the saved key, a new group begins (key saved, running
  // amount zeroed). Returns true when the lines held for the group that just
  // ended are current and must be written now; they are then no longer
  // current. Outside consolidation mode it does nothing and returns false.
  bool BeginRecord(const Record& fields);

  // Adds the amount text (read like atof) to the running amount and returns
  // the new total.
  double AddAmount(const char* text);

  // The record brought the group's total to zero: it gives no line, and the
  // line held so far is stale.
  void DropRecord();

  // Keeps a built line in held slot `slot` (0 or 1).
  void Keep(int slot, const char* line);
  // Marks the lines just kept as the group's current lines.
  void HoldRecord() { current_ = true; }
  // Outside consolidation mode, after a record's lines were written.
  void RecordWritten() { running_ = 0.0; }

  // At Close, in consolidation mode: true when the held lines are current
  // and must be written; they are then no longer current.
  bool TakeHeldAtClose();

  // The held line of a slot, to be converted in place and written.
  std::string& Held(int slot) { return held_[static_cast<std::size_t>(slot)]; }

 private:
  bool on_;
  bool current_ = false;
  double running_ = 0.0;
  GroupKey key_;
  std::array<std::string, kHeldSlots> held_;
};

}  // namespace zeko
