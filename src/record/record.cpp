#include "record/record.h"

#include <cstring>

#include "lib/error.h"
#include "lib/filehandle.h"
#include "record/presort.h"

namespace zeko {

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

GroupHeader ReadGroupHeader(std::string_view line, std::size_t at) {
  const std::size_t avail = at < line.size() ? line.size() - at : 0;
  const char* p = line.data() + (at < line.size() ? at : line.size());
  GroupHeader h;
  h.number = ParseFixed(p, 3, avail);
  h.length = ParseFixed(p + (avail > 3 ? 3 : avail), 3, avail > 3 ? avail - 3 : 0);
  h.format = ParseFixed(p + (avail > 6 ? 6 : avail), 3, avail > 6 ? avail - 6 : 0);
  h.valid =
      h.number > 0 && h.length >= 0 && at + 9 + static_cast<std::size_t>(h.length) <= line.size();
  return h;
}

std::optional<std::size_t> FindRecordField(std::string_view line, int field) {
  for (std::size_t at = 0;;) {
    const GroupHeader h = ReadGroupHeader(line, at);
    if (!h.valid) return std::nullopt;
    if (h.number == field) return at;
    at += 9 + static_cast<std::size_t>(h.length);
  }
}

Record::Record() : text_(new char[std::size_t(kSlots) * kValueRoom]) {
  for (int n = 0; n < kSlots; ++n) Slot(n)[0] = '\0';
  // More groups than slots are possible (repeated numbers); the list grows
  // once for such a record and keeps its room.
  groups_.reserve(kSlots);
}

void Record::Set(int slot, std::string_view value, std::uint32_t length, std::uint32_t format) {
  if (!InRange(slot)) return;
  const std::size_t n = value.size() < kValueRoom ? value.size() : kValueRoom - 1;
  std::memcpy(Slot(slot), value.data(), n);
  Slot(slot)[n] = '\0';
  size_[slot] = static_cast<std::uint16_t>(n);
  length_[slot] = length;
  format_[slot] = format;
}

void Record::Clear() {
  for (int n = 0; n < kSlots; ++n) Set(n, {}, 0, 0);
  groups_.clear();
}

int Record::Split(std::string_view line, SlotOrder order) {
  groups_.clear();
  std::size_t pos = 0;
  for (int count = 0;; ++count) {
    const GroupHeader h = ReadGroupHeader(line, pos);
    // A damaged group (negative number or length, or a value that runs past
    // the line) ends the record there; the groups before it stand.
    if (!h.valid) return count;
    const int slot = order == SlotOrder::kByPlace ? count : h.number;
    if (slot >= kSlots) return count;
    std::string_view value = line.substr(pos + 9, static_cast<std::size_t>(h.length));
    if (const void* zero = std::memchr(value.data(), '\0', value.size()))
      value =
          value.substr(0, static_cast<std::size_t>(static_cast<const char*>(zero) - value.data()));
    Set(slot, value, static_cast<std::uint32_t>(h.length),
        static_cast<std::uint32_t>(h.format < 0 ? 0 : h.format));
    groups_.push_back({h.number, slot});
    pos += 9 + static_cast<std::size_t>(h.length);
  }
}

RecordReader::RecordReader(std::string path, std::size_t lineLimit, SlotOrder order)
    : path_(std::move(path)), lineLimit_(lineLimit), order_(order) {
  Open();
}

RecordReader::~RecordReader() = default;

void RecordReader::Open() {
  auto file = std::make_unique<FileHandle>();
  try {
    file->Open(path_, 0x40, 0x4000, false);
  } catch (const QVTError&) {
    ErrorExit("Fehler beim öffnen der Eingabedatei");
  }
  file->SetDelimiter("\r\n");
  file_ = std::move(file);
}

bool RecordReader::Next() {
  if (file_->FEof()) return false;
  if (!file_->Get(line_, lineLimit_)) return false;
  if (line_.size() > lineLimit_) ErrorExit("Pufferüberlauf beim Einlesen der Daten");
  record_.Split(line_, order_);
  return true;
}

void RecordReader::Rewind() { file_->Rewind(); }
std::int64_t RecordReader::Size() const { return file_->FileSize(); }
std::int64_t RecordReader::Position() const { return file_->FilePos(); }

bool RecordReader::FirstLineHas(int field) {
  file_->Rewind();
  std::string first;
  file_->Get(first);
  return FindRecordField(first, field).has_value();
}

void RecordReader::Presort(int field, const PresortProgress& progress) {
  const std::string copyPath = WriteSortedCopy(*file_, path_, field, progress);
  file_.reset();
  if (progress.adoptCopy) {
    progress.adoptCopy(copyPath);
    path_ = copyPath;
  } else {
    ReplaceBySortedCopy(copyPath, path_);
  }
  Open();
}

void RecordReader::Close() { file_.reset(); }

}  // namespace zeko
