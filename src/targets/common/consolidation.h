// Running amount, group key and held lines of a writer that can merge
// consecutive bookings of one account pair into a single line.
#pragma once
#include <array>
#include <cstddef>
#include <string>

#include "output/line_sink.h"

namespace zeko {

class Record;

// Consolidation merges bookings with equal input fields 120 and 110 (the
// group key, compared as texts and kept whole, however long). Each booking
// adds its amounts (fields 115 and 116) to the running amounts; the line
// built last is held back and written when its group ends, so it carries
// the group's totals. Outside consolidation mode every line is written at
// once and the running amounts are only the current record's own.
//
// A held line is written only while it is current: it was built after the
// last write and its group's total is not zero. The line held before the
// total came to zero no longer tells the group's amount, and a line that was
// already written must not appear twice; so neither a stale nor an empty
// held line ever reaches the file. A group whose total comes back from zero
// holds a current line again and is written at its end like any other.
// Writers whose groups end by other rules use the parts (NewGroup,
// TakeHeld, the amounts) directly.
class Consolidation {
 public:
  static constexpr int kHeldSlots = 2;  // LEDAX holds a second line for its second file
  static constexpr std::size_t kHeldRoom = 2048;

  explicit Consolidation(bool on);

  bool on() const { return on_; }
  // The running amount of field 115 (amount 0) or 116 (amount 1).
  double running(int amount = 0) const { return running_[static_cast<std::size_t>(amount)]; }

  // In consolidation mode: true when field 120 or 110 differs from the saved
  // key, which then takes the record's texts. Outside it: false.
  bool NewGroup(const Record& fields);

  // In consolidation mode, at the start of each record: when field 120 or
  // 110 differs from the saved key, a new group begins (key saved, running
  // amount zeroed). Returns true when the lines held for the group that just
  // ended are current and must be written now; they are then no longer
  // current. Outside consolidation mode it does nothing and returns false.
  bool BeginRecord(const Record& fields);

  // Adds the amount text (a decimal number; another text is a problem of
  // field 115 or 116) to running amount `amount` and returns the new total.
  double AddAmount(const char* text, int amount = 0);
  void ResetAmounts() { running_ = {}; }

  // The record brought the group's total to zero: it gives no line, and the
  // line held so far is stale.
  void DropRecord();

  // Keeps a built line in held slot `slot` (0 or 1): a text cut to the held
  // room, or bytes kept whole.
  void Keep(int slot, const char* line);
  void Keep(int slot, const char* line, std::size_t length);
  // Marks the lines just kept as the group's current lines.
  void HoldRecord() { current_ = true; }
  // Outside consolidation mode, after a record's lines were written.
  void RecordWritten() { ResetAmounts(); }
  // A built text line of a one-file writer: held as the group's current line
  // in consolidation mode, else written at once.
  void Offer(LineSink& sink, char* line);

  // True when the held lines are current; they are then no longer current.
  bool TakeHeld() {
    const bool current = current_;
    current_ = false;
    return current;
  }

  // At Close, in consolidation mode: true when the held lines are current
  // and must be written; they are then no longer current.
  bool TakeHeldAtClose();

  // The held line of a slot, to be converted in place and written.
  std::string& Held(int slot) { return held_[static_cast<std::size_t>(slot)]; }

 private:
  bool on_;
  bool current_ = false;
  std::array<double, 2> running_{};
  std::string account_;  // the key: field 120
  std::string contra_;   // field 110
  std::array<std::string, kHeldSlots> held_;
};

}  // namespace zeko
