#include "targets/common/consolidation.h"

#include <cstring>

#include "lib/text.h"
#include "record/record.h"

namespace zeko {

namespace {
constexpr int kKeyAccount = 120;
constexpr int kKeyContra = 110;
constexpr std::size_t kKeyRoom = 1000;  // a field value has at most 999 characters
}  // namespace

Consolidation::Consolidation(bool on) : on_(on) {
  key120_.reserve(kKeyRoom);
  key110_.reserve(kKeyRoom);
  for (std::string& held : held_) held.reserve(kHeldRoom);
}

bool Consolidation::BeginRecord(const Record& fields) {
  if (!on_) return false;
  const char* account = fields.Value(kKeyAccount);
  const char* contra = fields.Value(kKeyContra);
  if (key120_ == account && key110_ == contra) return false;
  key120_.assign(account);
  key110_.assign(contra);
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
