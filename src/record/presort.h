// Presort: the input file rewritten in the order of one field, group by group.
// A line holding field 998 ends a group and keeps its place; the records
// between two such lines are ordered among themselves by the numeric value of
// the sort field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zeko {

class FileHandle;
struct PresortProgress;

// Writes the sorted copy of the input beside it (the input's name with
// ".$TO" in place of ".$TM") and returns its path; the copy is on the disk
// when this returns. Fatal on a group record without the sort field
// ("Sortierfeld fehlt"). RecordReader::Presort is the caller.
// The input is read as the reader reads it (RecordLines, lines of at most
// lineLimit characters), so the copy holds exactly the records the reader
// would see, numbered in the messages as in the input; the problems of its
// bytes before reportedTo were reported already. In a check, a record that the reader
// would cut at a damaged group goes into the copy cut there, and one that
// it would pass over is left out, so that reading the copy reports nothing
// twice.
std::string WriteSortedCopy(FileHandle& input, const std::string& inputPath, int field,
                            const PresortProgress& progress,
                            std::size_t lineLimit = static_cast<std::size_t>(-1),
                            std::int64_t reportedTo = 0);
// Puts the sorted copy in the input's place in one rename (the input file
// closed first); on failure the unsorted input stays.
void ReplaceBySortedCopy(const std::string& copyPath, const std::string& inputPath);

// The sorted copy: bytes as they are, each line ending in CR LF. Write
// errors end the run with "Fehler in e_write: <path> (<reason>)".
class SortedCopy {
 public:
  // The copy at `path`, opened by `file` (nullptr when it could not be
  // made: "Fehler beim öffnen Outputdatei <path>").
  SortedCopy(const std::string& path, std::FILE* file);
  ~SortedCopy();
  SortedCopy(const SortedCopy&) = delete;
  SortedCopy& operator=(const SortedCopy&) = delete;
  void WriteLine(std::string_view line);
  void Flush();
  // Flushed, synced to the disk and closed.
  void Close();

 private:
  void Write(const char* data, std::size_t length);
  // "Fehler in e_write: <path> (<reason>)".
  [[noreturn]] void WriteError(int error) const;
  std::string path_;
  std::FILE* file_;
};

// The records of one group, each held once, in chunks of a few megabytes.
// Chunks rather than one growing buffer: a group may be the whole input, and
// a growing buffer copies everything it holds at each growth and touches
// twice the memory. Chunks rather than an index of file offsets read twice:
// writing a million records in sorted order by offset costs a seek and a
// read each. The chunks stay for the next group, whose pages are then
// already in memory.
class GroupStore {
 public:
  GroupStore() = default;
  GroupStore(const GroupStore&) = delete;
  GroupStore& operator=(const GroupStore&) = delete;
  void Add(std::string_view line);
  std::size_t size() const { return lines_.size(); }
  std::string_view operator[](std::size_t i) const { return lines_[i]; }
  // Forgets the records but keeps the memory for the next group.
  void Clear();

 private:
  struct FreeChunk {
    void operator()(char* p) const;
  };
  using ChunkPtr = std::unique_ptr<char, FreeChunk>;
  struct Chunk {
    ChunkPtr data;
    std::size_t size;
  };
  std::vector<Chunk> chunks_;
  std::size_t current_ = 0;  // the chunk being filled
  std::size_t used_ = 0;     // bytes of it taken
  std::vector<std::string_view> lines_;
};

// Writes the group in store to out in sorted order, each line ending in CR LF.
// A group of two or more records in which one lacks `field` ends the run with
// "Sortierfeld fehlt" (out is flushed first, so earlier groups stay written).
void SortGroup(const GroupStore& store, SortedCopy& out, int field);

// The order in which the pairwise exchange sort leaves a group with these
// keys: element m of the result is the index of the record that ends at place
// m. Every pair (i < j) is compared once, in the order i = 0.., j = i+1..,
// and exchanged when keys[i] > keys[j] as doubles compare (so a NaN key never
// moves and -0 equals +0); equal keys come out in the order those exchanges
// leave them in, computed here in O(k log k) time and O(k) memory.
std::vector<std::size_t> PresortOrder(std::span<const double> keys);

}  // namespace zeko
