#include "record/record.h"

#include <bit>
#include <cstring>
#include <type_traits>

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

namespace {

// The header of nearly every group is nine digits: they are checked and read
// eight bytes at a time, in line, as this runs once per field of the input.
// Anything else takes the general reading below.
GroupHeader ReadGeneralHeader(std::string_view line, std::size_t at);

static_assert(std::endian::native == std::endian::little,
              "headers are read as little-endian words");

// True when the header at p is nine digits, which are then read.
inline bool ReadDigitHeader(const char* p, int& number, int& length, int& format) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ull, kThrees = 0x3030303030303030ull;
  // A byte is a digit when its high half is 3 and adding 6 to it does not
  // carry out of its low half.
  if ((word & kHigh) != kThrees || ((word + 0x0606060606060606ull) & kHigh) != kThrees ||
      static_cast<unsigned>(p[8] - '0') >= 10)
    return false;
  // Each byte of pairs is ten times a digit plus the next one.
  const std::uint64_t d = word - kThrees;
  const std::uint64_t pairs = d * 10 + (d >> 8);
  auto byte = [](std::uint64_t v, int i) { return static_cast<int>((v >> (8 * i)) & 0xFF); };
  number = byte(pairs, 0) * 10 + byte(d, 2);
  length = byte(pairs, 3) * 10 + byte(d, 5);
  format = byte(pairs, 6) * 10 + (p[8] - '0');
  return true;
}

inline GroupHeader ReadHeader(std::string_view line, std::size_t at) {
  GroupHeader h;
  if (at + 9 <= line.size() && ReadDigitHeader(line.data() + at, h.number, h.length, h.format)) {
    h.valid = h.number > 0 && static_cast<std::size_t>(h.length) <= line.size() - at - 9;
    return h;
  }
  return ReadGeneralHeader(line, at);
}

[[gnu::noinline]] GroupHeader ReadGeneralHeader(std::string_view line, std::size_t at) {
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

}  // namespace

GroupHeader ReadGroupHeader(std::string_view line, std::size_t at) { return ReadHeader(line, at); }

std::optional<std::size_t> FindRecordField(std::string_view line, int field) {
  for (std::size_t at = 0;;) {
    const GroupHeader h = ReadHeader(line, at);
    if (!h.valid) return std::nullopt;
    if (h.number == field) return at;
    at += 9 + static_cast<std::size_t>(h.length);
  }
}

Record::Record() : rooms_(new char[std::size_t(kSlots) * kValueRoom]) {
  for (int n = 0; n < kSlots; ++n) {
    Room(n)[0] = '\0';
    slots_[n].value = Room(n);
  }
}

void Record::Set(int slot, std::string_view value, std::uint32_t length, std::uint32_t format) {
  if (!InRange(slot)) return;
  const std::size_t n = value.size() < kValueRoom ? value.size() : kValueRoom - 1;
  // memmove: the value may be this slot's own text.
  std::memmove(Room(slot), value.data(), n);
  Room(slot)[n] = '\0';
  slots_[slot] = Slot{Room(slot), length, format, static_cast<std::uint16_t>(n), false};
}

void Record::Clear() {
  for (int n = 0; n < kSlots; ++n) Set(n, {}, 0, 0);
  groupCount_ = 0;
}

void Record::Evacuate() {
  for (int n = 0; n < kSlots; ++n) {
    Slot& s = slots_[n];
    if (!s.inLine) continue;
    char* room = Room(n);
    std::memcpy(room, s.value, s.size);
    room[s.size] = '\0';
    s.value = room;
    s.inLine = false;
  }
}

int Record::Split(std::string_view line, SlotOrder order) {
  Evacuate();
  own_.assign(line);
  return SplitInPlace(own_.data(), own_.size(), order);
}

int Record::SplitInPlace(char* const text, const std::size_t size, SlotOrder order) {
  text[size] = '\0';
  // Room for every group the line can hold (nine bytes each at least), so
  // that the loop stores them unchecked; the lines of one export are alike,
  // and the list grows only for a longer one than any before.
  if (groups_.size() < size / 9 + 1) groups_.resize(size / 9 + 1);
  FieldGroup* const groups = groups_.data();
  // A zero byte cuts a value short; lines rarely hold one, so the values are
  // searched for it only when the line has one.
  const bool hasZeros = std::memchr(text, '\0', size) != nullptr;
  // The loop once for each slot order and either kind of line, so that
  // neither is asked per group.
  auto split = [&](auto byPlace, auto zeros) {
    std::size_t pos = 0;
    for (int count = 0;; ++count) {
      // ReadHeader spelled out: through its struct this loop takes a
      // third more instructions.
      int number, length, format;
      bool valid;
      if (pos + 9 <= size && ReadDigitHeader(text + pos, number, length, format)) {
        valid = number > 0 && static_cast<std::size_t>(length) <= size - pos - 9;
      } else {
        const GroupHeader h = ReadGeneralHeader(std::string_view(text, size), pos);
        number = h.number;
        length = h.length;
        format = h.format < 0 ? 0 : h.format;
        valid = h.valid;
      }
      // The header is read: its first byte becomes the end of the value
      // before it (at the line's end, the byte behind it).
      text[pos] = '\0';
      // A damaged group (negative number or length, or a value that runs
      // past the line) ends the record there; the groups before it stand.
      if (!valid) return count;
      const int slot = byPlace ? count : number;
      // A number has three digits, so only a place can lie beyond the slots.
      static_assert(kSlots == 1000);
      if (byPlace && slot >= kSlots) return count;
      const char* value = text + pos + 9;
      std::size_t valueSize = static_cast<std::size_t>(length);
      if (zeros) {
        if (const void* zero = std::memchr(value, '\0', valueSize))
          valueSize = static_cast<std::size_t>(static_cast<const char*>(zero) - value);
      }
      Slot& s = slots_[slot];
      s.value = value;
      s.length = static_cast<std::uint32_t>(length);
      s.format = static_cast<std::uint32_t>(format);
      s.size = static_cast<std::uint16_t>(valueSize);
      s.inLine = true;
      groups[count] = {number, slot};
      pos += 9 + static_cast<std::size_t>(length);
    }
  };
  using Yes = std::true_type;
  using No = std::false_type;
  const int count = order == SlotOrder::kByPlace ? (hasZeros ? split(Yes{}, Yes{}) : split(Yes{}, No{}))
                                                 : (hasZeros ? split(No{}, Yes{}) : split(No{}, No{}));
  groupCount_ = static_cast<std::size_t>(count);
  return count;
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
  // The record reads its values in the file's buffer; they go to their own
  // rooms before the buffer moves or goes.
  file->OnBufferMove([this] { record_.Evacuate(); });
  record_.Evacuate();
  file_ = std::move(file);
}

bool RecordReader::Next() {
  if (file_->FEof()) return false;
  char* line;
  std::size_t size;
  if (!file_->GetInPlace(line, size, lineLimit_)) return false;
  if (size > lineLimit_) ErrorExit("Pufferüberlauf beim Einlesen der Daten");
  record_.SplitInPlace(line, size, order_);
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
  record_.Evacuate();
  file_.reset();
  if (progress.adoptCopy) {
    progress.adoptCopy(copyPath);
    path_ = copyPath;
    sorted_ = true;
  } else {
    ReplaceBySortedCopy(copyPath, path_);
  }
  Open();
}

void RecordReader::Close() {
  record_.Evacuate();
  file_.reset();
}

std::optional<InputDigest> RecordReader::Digest() const {
  if (!file_ || sorted_) return std::nullopt;
  return file_->WholeDigest();
}

}  // namespace zeko
