#include "targets/common/consolidation.h"

#include <cstring>

#include "lib/text.h"
#include "record/field_numbers.h"
#include "record/record.h"

namespace zeko {

GroupKey::GroupKey() {
  account_.reserve(Record::kValueRoom);
  contra_.reserve(Record::kValueRoom);
}

bool GroupKey::Changed(const Record& record) {
  if (account_ == record.Text(fld::kAccount) && contra_ == record.Text(fld::kContraAccount))
    return false;
  account_.assign(record.Text(fld::kAccount));
  contra_.assign(record.Text(fld::kContraAccount));
  return true;
}

Consolidation::Consolidation(bool on) : on_(on) {
  for (std::string& held : held_) held.reserve(kHeldRoom);
}

bool Consolidation::BeginRecord(const Record& fields) {
  if (!on_) return false;
  if (!key_.Changed(fields)) return false;
  running_ = 0.0;
  const bool flush = current_;
  current_ = false;
  return flush;
}

double Consolidation::AddAmount(const char* text) {
  running_ += AtoF(text);
  return running_;
}

void Consolidation::DropRecord() { current_ = false; }

void Consolidation::Keep(int slot, const char* line) {
  std::string& held = held_[static_cast<std::size_t>(slot)];
  held.assign(line, strnlen(line, kHeldRoom - 1));
}

bool Consolidation::TakeHeldAtClose() {
  const bool flush = on_ && current_;
  current_ = false;
  return flush;
}

}  // namespace zeko
