#include "targets/common/consolidation.h"

#include <cstring>

#include "convert/convert.h"
#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"

namespace zeko {

Consolidation::Consolidation(bool on) : on_(on) {
  account_.reserve(Record::kValueRoom);
  contra_.reserve(Record::kValueRoom);
  for (std::string& held : held_) held.reserve(kHeldRoom);
}

bool Consolidation::NewGroup(const Record& record) {
  if (!on_) return false;
  if (account_ == record.Text(fld::kAccount) && contra_ == record.Text(fld::kContraAccount))
    return false;
  account_.assign(record.Text(fld::kAccount));
  contra_.assign(record.Text(fld::kContraAccount));
  return true;
}

bool Consolidation::BeginRecord(const Record& fields) {
  if (!NewGroup(fields)) return false;
  ResetAmounts();
  return TakeHeld();
}

double Consolidation::AddAmount(const char* text, int amount) {
  double& running = running_[static_cast<std::size_t>(amount)];
  running += FieldNumber(amount == 0 ? fld::kAmount : fld::kAmount2, text ? text : "");
  return running;
}

void Consolidation::DropRecord() { current_ = false; }

void Consolidation::Keep(int slot, const char* line) {
  std::string& held = held_[static_cast<std::size_t>(slot)];
  held.assign(line, strnlen(line, kHeldRoom - 1));
}

void Consolidation::Keep(int slot, const char* line, std::size_t length) {
  held_[static_cast<std::size_t>(slot)].assign(line, length);
}

void Consolidation::Offer(LineSink& sink, char* line) {
  if (on_) {
    Keep(0, line);
    HoldRecord();
  } else {
    sink.PutText(line);
    RecordWritten();
  }
}

bool Consolidation::TakeHeldAtClose() { return on_ && TakeHeld(); }

}  // namespace zeko
