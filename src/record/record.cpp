#include "record/record.h"

#include <bit>
#include <cstring>
#include <type_traits>

#include "lib/error.h"
#include "lib/filehandle.h"
#include "lib/messages.h"
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
    h.kind = h.number > 0 && static_cast<std::size_t>(h.length) <= line.size() - at - 9
                 ? GroupKind::kGroup
                 : (h.number == 0 ? GroupKind::kEnd : GroupKind::kDamaged);
    return h;
  }
  return ReadGeneralHeader(line, at);
}

// Blanks and zero bytes only: what pads a line behind its last group.
bool IsPadding(const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != ' ' && p[i] != '\0') return false;
  return true;
}

// Three characters of a header: blanks, digits, blanks. False for anything
// else, a digit behind a blank among digits ("1 0") too: such a number
// could be read in more than one way.
bool ReadHeaderNumber(const char* p, int& value) {
  int i = 0, v = 0;
  while (i < 3 && p[i] == ' ') ++i;
  while (i < 3 && p[i] >= '0' && p[i] <= '9') v = v * 10 + (p[i++] - '0');
  while (i < 3 && p[i] == ' ') ++i;
  value = v;
  return i == 3;
}

[[gnu::noinline]] GroupHeader ReadGeneralHeader(std::string_view line, std::size_t at) {
  GroupHeader h{0, 0, 0, GroupKind::kEnd};
  if (at >= line.size()) return h;
  const char* p = line.data() + at;
  const std::size_t avail = line.size() - at;
  if (IsPadding(p, avail)) return h;
  h.kind = GroupKind::kDamaged;
  if (avail < 3 || !ReadHeaderNumber(p, h.number)) return h;
  if (h.number == 0) {
    h.kind = GroupKind::kEnd;
    return h;
  }
  if (avail < 9 || !ReadHeaderNumber(p + 3, h.length) || !ReadHeaderNumber(p + 6, h.format) ||
      static_cast<std::size_t>(h.length) > avail - 9)
    return h;
  h.kind = GroupKind::kGroup;
  return h;
}

}  // namespace

GroupHeader ReadGroupHeader(std::string_view line, std::size_t at) { return ReadHeader(line, at); }

ChainEnd ReadChain(std::string_view line) {
  std::size_t at = 0;
  for (int groups = 0;; ++groups) {
    const GroupHeader h = ReadHeader(line, at);
    if (h.kind != GroupKind::kGroup) return {at, groups, h.kind == GroupKind::kDamaged};
    at += 9 + static_cast<std::size_t>(h.length);
  }
}

std::optional<std::size_t> FindRecordField(std::string_view line, int field) {
  for (std::size_t at = 0;;) {
    const GroupHeader h = ReadHeader(line, at);
    if (h.kind != GroupKind::kGroup) return std::nullopt;
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
      GroupKind kind;
      if (pos + 9 <= size && ReadDigitHeader(text + pos, number, length, format)) {
        kind = number > 0 && static_cast<std::size_t>(length) <= size - pos - 9
                   ? GroupKind::kGroup
                   : (number == 0 ? GroupKind::kEnd : GroupKind::kDamaged);
      } else {
        const GroupHeader h = ReadGeneralHeader(std::string_view(text, size), pos);
        number = h.number;
        length = h.length;
        format = h.format;
        kind = h.kind;
      }
      // The chain ends here; a damaged group ends the record there too, the
      // groups before it standing.
      if (kind != GroupKind::kGroup) [[unlikely]] {
        chainEnd_ = pos;
        chainEndByte_ = text[pos];
        damaged_ = kind == GroupKind::kDamaged;
        text[pos] = '\0';
        return count;
      }
      // The header is read: its first byte becomes the end of the value
      // before it.
      text[pos] = '\0';
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

// --- Record lines -------------------------------------------------------------

namespace {

// What may stand behind an end-of-file mark: more marks, blanks, zero
// bytes, carriage returns.
bool IsMarkTail(const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0x1A && p[i] != ' ' && p[i] != '\0' && p[i] != '\r') return false;
  return true;
}

std::string RecordColumn(long record, std::size_t column) {
  return "Satz " + std::to_string(record) + ", Spalte " + std::to_string(column);
}

}  // namespace

bool RecordLines::Next(char*& text, std::size_t& size) {
  for (;;) {
    if (file_->FEof() || !file_->GetInPlace(text, size, limit_)) return false;
    lineEnd_ = file_->FilePos();
    bool overLong = size > limit_;
    std::size_t bom = 0;
    if (atStart_) [[unlikely]] {
      atStart_ = false;
      if (size >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) {
        bom = 3;
        text += bom;
        size -= bom;
        overLong = file_->LineLength() - bom > limit_;
      }
    }
    // A record line starts with the first digit of its first group's
    // number nearly always: one byte tells it, the rest is asked only of
    // lines that start otherwise.
    if (size == 0 || text[0] == ' ' || text[0] == '\0' || text[0] == 0x1A) [[unlikely]] {
      if (!IsRecordLine(text, size)) continue;
    }
    if (markSeen_) [[unlikely]] MarkFollowedByData();
    SetRecordNumber(++number_);
    if (overLong) [[unlikely]] {
      if (Reporting())
        Problem(WithWhere(msg::kLineTooLong, "Satz " + std::to_string(number_) + ", " +
                                                 std::to_string(file_->LineLength() - bom) +
                                                 " Zeichen, BUFLEN erlaubt " + std::to_string(limit_)));
      continue;
    }
    return true;
  }
}

// A line that starts with a blank, a zero byte or 0x1A: blank lines are no
// record; a 0x1A after the blanks is the end-of-file mark.
[[gnu::noinline]] bool RecordLines::IsRecordLine(const char* text, std::size_t size) {
  std::size_t i = 0;
  while (i < size && (text[i] == ' ' || text[i] == '\0')) ++i;
  if (i == size) return false;
  if (text[i] != 0x1A) return true;
  // The mark stands before the record that would follow it.
  if (IsMarkTail(text + i + 1, size - i - 1)) {
    if (!markSeen_) {
      markSeen_ = true;
      markRecord_ = number_ + 1;
      markColumn_ = i + 1;
      markReported_ = !Reporting();
    }
  } else {
    if (Reporting()) Problem(WithWhere(msg::kEofMark, RecordColumn(number_ + 1, i + 1)));
    // In a check the data behind the mark in its line is passed over: what
    // it was meant to be cannot be told.
  }
  return false;
}

void RecordLines::MarkFollowedByData() {
  markSeen_ = false;
  if (!markReported_) Problem(WithWhere(msg::kEofMark, RecordColumn(markRecord_, markColumn_)));
}

bool RecordLines::ChainBroken(std::string_view line, std::size_t at) {
  if (at < line.size() && line[at] == 0x1A && IsMarkTail(line.data() + at + 1, line.size() - at - 1)) {
    if (!markSeen_) {
      markSeen_ = true;
      markRecord_ = number_;
      markColumn_ = at + 1;
      markReported_ = !Reporting();
    }
    return false;
  }
  if (Reporting()) {
    Problem(WithWhere(msg::kDamagedGroup, RecordColumn(number_, at + 1) + ", Gruppe " +
                                              ShownValue(line.substr(at, 9))));
  }
  return true;
}

void RecordLines::Restart() {
  quietTo_ = reportedTo();
  lineEnd_ = 0;
  atStart_ = true;
  number_ = 0;
  markSeen_ = false;
  SetRecordNumber(0);
}

// --- Record reader -------------------------------------------------------------

RecordReader::RecordReader(std::string path, std::size_t lineLimit, SlotOrder order)
    : path_(std::move(path)), lineLimit_(lineLimit), order_(order) {
  Open();
}

RecordReader::~RecordReader() = default;

void RecordReader::Open() {
  auto file = std::make_unique<FileHandle>();
  try {
    file->Open(path_, 0x40, 0x4000, false);
  } catch (const QVTError& e) {
    ErrorExitText(WithWhere(msg::kInputOpen, PathWhere(path_, e.error())));
  }
  file->SetDelimiter("\r\n");
  // The record reads its values in the file's buffer; they go to their own
  // rooms before the buffer moves or goes.
  file->OnBufferMove([this] { record_.Evacuate(); });
  record_.Evacuate();
  lines_ = std::make_unique<RecordLines>(*file, lineLimit_);
  SetRecordNumber(0);
  file_ = std::move(file);
}

bool RecordReader::Next() {
  char* line;
  std::size_t size;
  while (lines_->Next(line, size)) {
    const int count = record_.SplitInPlace(line, size, order_);
    damaged_ = false;
    if (record_.damaged() || count == 0) [[unlikely]] {
      // The byte that the split replaced by a zero byte, for the message.
      const std::size_t at = record_.chainEnd();
      line[at] = record_.chainEndByte();
      damaged_ = lines_->ChainBroken(std::string_view(line, size), at);
      line[at] = '\0';
      // A record without a single group would only repeat the one before
      // it: in a check it is passed over.
      if (count == 0) continue;
    }
    return true;
  }
  return false;
}

void RecordReader::Rewind() {
  file_->Rewind();
  lines_->Restart();
}
std::int64_t RecordReader::Size() const { return file_->FileSize(); }
std::int64_t RecordReader::Position() const { return file_->FilePos(); }

bool RecordReader::FirstLineHas(int field) {
  Rewind();
  if (!Next()) return false;
  for (const FieldGroup& g : record_.groups())
    if (g.number == field) return true;
  return false;
}

void RecordReader::Presort(int field, const PresortProgress& progress) {
  record_.Evacuate();
  const std::string copyPath =
      WriteSortedCopy(*file_, path_, field, progress, lineLimit_, lines_->reportedTo());
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
