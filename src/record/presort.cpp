#include "record/presort.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <system_error>
#ifndef _WIN32
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

#include "record/field_numbers.h"
#include "lib/error.h"
#include "lib/filehandle.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "record/record.h"

namespace zeko {

namespace {

// The sort key of a record: the item's data read as atof reads it. Key texts
// of any length are taken whole. Nothing when the record has no item `field`.
std::optional<double> ReadSortKey(std::string_view record, int field) {
  const std::optional<std::size_t> at = FindRecordField(record, field);
  if (!at) return std::nullopt;
  // FindRecordField vouches for the length: not negative, within the line.
  const int length = ReadGroupHeader(record, *at).length;
  return AtoF(record.substr(*at + 9, static_cast<std::size_t>(length)));
}

// Fenwick tree of counts over the places 1..n.
template <class Index>
class Fenwick {
 public:
  // Every place holds 0.
  void Zeros(std::size_t n) { tree_.assign(n + 1, 0); }
  // Every place holds 1 (built in linear time).
  void Ones(std::size_t n) {
    tree_.resize(n + 1);
    for (std::size_t i = 1; i <= n; ++i) tree_[i] = static_cast<Index>(i & (~i + 1));
    top_ = 1;
    while (top_ * 2 <= n) top_ *= 2;
  }
  void Add(std::size_t place) {
    for (; place < tree_.size(); place += place & (~place + 1)) ++tree_[place];
  }
  void Remove(std::size_t place) {
    for (; place < tree_.size(); place += place & (~place + 1)) --tree_[place];
  }
  // Sum over the places 1..place.
  Index Prefix(std::size_t place) const {
    Index sum = 0;
    for (; place > 0; place -= place & (~place + 1)) sum += tree_[place];
    return sum;
  }
  // The place holding the (rank + 1)-th one (the tree built by Ones).
  std::size_t Select(std::size_t rank) const {
    std::size_t place = 0, wanted = rank + 1;
    for (std::size_t step = top_; step > 0; step /= 2) {
      if (place + step < tree_.size() && tree_[place + step] < wanted) {
        place += step;
        wanted -= tree_[place];
      }
    }
    return place + 1;
  }

 private:
  std::vector<Index> tree_;
  std::size_t top_ = 1;
};

// Why this gives the exchange sort's order: the keys end ascending, equal
// keys are never exchanged with each other, and the final order of the
// records with one key v depends only on the records whose keys are at most
// v. Following x_1..x_n (the records with key v in input order), with c_i the
// number of smaller keys between x_i and x_{i+1} (after x_n for the last),
// the final order of the v records is what this builds: start empty, for
// i = 1..n append x_i and rotate the list left by c_i mod i. A NaN key
// compares false with everything, so its record keeps its place and the
// others sort around it as if it were not there.
// Index is the narrowest type that numbers the group's records, which keeps
// the working arrays small enough to stay in the caches longer.
template <class Index>
void ExchangeOrder(std::span<const double> keys, std::vector<std::size_t>& order) {
  const std::size_t k = keys.size();
  struct Item {
    double key;
    Index place;  // in the group
  };
  std::vector<Item> items;
  items.reserve(k);
  for (std::size_t i = 0; i < k; ++i) {
    if (!std::isnan(keys[i])) items.push_back({keys[i], static_cast<Index>(i)});
  }
  const std::size_t n = items.size();
  if (n < 2) return;

  // By key, equal keys in input order (-0 and +0 are equal keys).
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return a.key < b.key || (!(b.key < a.key) && a.place < b.place);
  });

  std::vector<Index> smaller;   // per record of the run: smaller keys ahead of it
  std::vector<Index> rotation;  // c_i mod i of the run, i counted from 0
  std::vector<Index> arranged;  // the run's places in their final order
  Fenwick<Index> seen, slots;
  seen.Zeros(k);
  for (std::size_t first = 0; first < n;) {
    std::size_t last = first + 1;
    while (last < n && !(items[first].key < items[last].key)) ++last;
    const std::size_t m = last - first;
    if (m == 1) {
      seen.Add(items[first].place + std::size_t{1});
      first = last;
      continue;
    }
    smaller.resize(m);
    for (std::size_t i = 0; i < m; ++i) smaller[i] = seen.Prefix(items[first + i].place);
    for (std::size_t i = 0; i < m; ++i) seen.Add(items[first + i].place + std::size_t{1});

    // `first` keys in all are smaller than this run's.
    rotation.resize(m);
    bool moves = false;
    for (std::size_t i = 0; i < m; ++i) {
      const std::size_t upTo = i + 1 < m ? smaller[i + 1] : first;
      rotation[i] = static_cast<Index>((upTo - smaller[i]) % (i + 1));
      moves = moves || rotation[i] != 0;
    }
    if (moves) {
      // Undo the append-and-rotate steps from the last: the list of i records
      // fills the free slots cyclically from rank `start`; its last record
      // x_i sits (i - 1 - rotation) places on, and the list as it was before
      // the step continues right after that slot.
      arranged.resize(m);
      slots.Ones(m);
      std::size_t start = 0;
      for (std::size_t i = m; i >= 1; --i) {
        const std::size_t rank = (start + i - 1 - rotation[i - 1]) % i;
        const std::size_t slot = slots.Select(rank);
        arranged[slot - 1] = items[first + i - 1].place;
        slots.Remove(slot);
        start = i > 1 ? rank % (i - 1) : 0;
      }
      for (std::size_t i = 0; i < m; ++i) items[first + i].place = arranged[i];
    }
    first = last;
  }

  // The records without NaN keys fill their own places in the new order.
  std::size_t next = 0;
  for (std::size_t i = 0; i < k; ++i) {
    if (!std::isnan(keys[i])) order[i] = items[next++].place;
  }
}

}  // namespace

std::vector<std::size_t> PresortOrder(std::span<const double> keys) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (keys.size() <= std::numeric_limits<std::uint32_t>::max()) {
    ExchangeOrder<std::uint32_t>(keys, order);
  } else {
    ExchangeOrder<std::size_t>(keys, order);
  }
  return order;
}

namespace {

constexpr std::size_t kStoreChunk = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// A chunk's bytes are written before they are read: nothing zeroes them.
// Where the system has huge pages, a chunk asks for them: a group of a
// million records otherwise takes some seventy thousand page faults of
// fresh memory.
char* NewChunk(std::size_t size) {
#ifdef __linux__
  if (void* p = std::aligned_alloc(kHugePage, size)) {
    ::madvise(p, size, MADV_HUGEPAGE);
    return static_cast<char*>(p);
  }
  throw std::bad_alloc();
#else
  if (void* p = std::malloc(size)) return static_cast<char*>(p);
  throw std::bad_alloc();
#endif
}

}  // namespace

void GroupStore::FreeChunk::operator()(char* p) const { std::free(p); }

void GroupStore::Add(std::string_view line) {
  if (chunks_.empty() || chunks_[current_].size - used_ < line.size()) {
    if (!chunks_.empty()) ++current_;
    used_ = 0;
    // Whole huge pages, big enough for the line.
    const std::size_t size =
        std::max(kStoreChunk, (line.size() + kHugePage - 1) / kHugePage * kHugePage);
    if (current_ == chunks_.size()) {
      chunks_.push_back({ChunkPtr(NewChunk(size)), size});
    } else if (chunks_[current_].size < size) {
      chunks_[current_] = {ChunkPtr(NewChunk(size)), size};
    }
  }
  char* at = chunks_[current_].data.get() + used_;
  if (!line.empty()) std::memcpy(at, line.data(), line.size());
  used_ += line.size();
  lines_.emplace_back(at, line.size());
}

void GroupStore::Clear() {
  current_ = 0;
  used_ = 0;
  lines_.clear();
}

void SortGroup(const GroupStore& store, SortedCopy& out, int field) {
  const std::size_t k = store.size();
  if (k == 0) return;
  // A lone record is never compared, so its key is never looked at: it is
  // written as it is even without the sort field.
  if (k == 1) {
    out.WriteLine(store[0]);
    return;
  }
  std::vector<double> keys(k);
  for (std::size_t i = 0; i < k; ++i) {
    const std::optional<double> value = ReadSortKey(store[i], field);
    if (!value) {
      out.Flush();
      ErrorExit("Sortierfeld fehlt");
    }
    keys[i] = *value;
  }
  for (const std::size_t i : PresortOrder(keys)) out.WriteLine(store[i]);
}

namespace {

// The sorted copy lies beside the input file (same directory, so the rename
// that puts it in the input's place never crosses file systems): the input's
// name with ".$TO" in place of ".$TM".
std::string SortedCopyPath(const std::string& inputPath) {
  std::string stem = inputPath;
  if (stem.size() >= 4 && UpperAsciiCopy(stem.substr(stem.size() - 4)) == ".$TM") {
    stem.resize(stem.size() - 4);
  }
  return ResolvePath(stem + ".$TO");
}

}  // namespace

// Lines of the sorted copy carry their bytes unchanged (a binary stream: a
// text stream would turn a carriage return or a 0x1A inside a value into
// something else on some systems), each line ending in CR LF.
SortedCopy::SortedCopy(const std::string& path, std::FILE* file) : path_(path), file_(file) {
  if (!file_) ErrorExit("Fehler beim öffnen Outputdatei %s", path.c_str());
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

SortedCopy::~SortedCopy() {
  if (file_) std::fclose(file_);
}

void SortedCopy::WriteError(int error) const {
  ErrorExitText(WithWhere(msg::kWriteError, PathWhere(path_, error)));
}

void SortedCopy::Write(const char* data, std::size_t length) {
  if (length && std::fwrite(data, 1, length, file_) != length) WriteError(errno);
}

void SortedCopy::WriteLine(std::string_view line) {
  Write(line.data(), line.size());
  Write("\r\n", 2);
}

void SortedCopy::Flush() {
  if (std::fflush(file_) != 0) WriteError(errno);
}

void SortedCopy::Close() {
  // On disk before the input is given up for it.
  Flush();
#ifndef _WIN32
  if (::fsync(::fileno(file_)) != 0) WriteError(errno);
#endif
  std::FILE* f = file_;
  file_ = nullptr;
  const bool bad = std::ferror(f) != 0;
  errno = 0;
  if (std::fclose(f) != 0 || bad) WriteError(errno);
}

std::string WriteSortedCopy(FileHandle& input, const std::string& inputPath, int field,
                            const PresortProgress& progress, std::size_t lineLimit,
                            std::int64_t reportedTo) {
  const std::string copyPath = SortedCopyPath(inputPath);
  SortedCopy out(copyPath, progress.createCopy ? progress.createCopy(copyPath)
                                               : std::fopen(copyPath.c_str(), "wb"));
  input.Rewind();
  if (progress.start) progress.start(input.FileSize());

  GroupStore group;
  RecordLines lines(input, lineLimit);
  lines.QuietTo(reportedTo);
  char* text;
  std::size_t size;
  while (lines.Next(text, size)) {
    std::string_view line(text, size);
    const ChainEnd chain = ReadChain(line);
    if (chain.damaged || chain.groups == 0) {
      lines.ChainBroken(line, chain.at);
      if (chain.groups == 0) continue;
    }
    // What lies behind the chain's end is not read by anyone: the end mark,
    // or the rest of a damaged record in a check. Padding stays as it came.
    if (chain.damaged) line = line.substr(0, chain.at);
    if (FindRecordField(line, fld::kGroupEnd)) {
      if (progress.step) progress.step(input.FilePos());
      SortGroup(group, out, field);
      group.Clear();
      out.WriteLine(line);
    } else {
      group.Add(line);
    }
  }
  SortGroup(group, out, field);
  out.Close();
  return copyPath;
}

void ReplaceBySortedCopy(const std::string& copyPath, const std::string& inputPath) {
  const std::string resolved = ResolvePath(inputPath);
  std::error_code error;
  std::filesystem::rename(copyPath, resolved, error);
  if (error) {
    ErrorExit("Fehler beim Umbenennen der Datei %s in %s", copyPath.c_str(), resolved.c_str());
  }
}

}  // namespace zeko
