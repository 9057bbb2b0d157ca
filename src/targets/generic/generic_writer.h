// GENERIC: a record layout and framing defined wholly by the configuration.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/mapentry.h"
#include "output/safe_output.h"
#include "targets/common/consolidation.h"
#include "targets/writer.h"

namespace zeko {

class GenericWriter final : public Writer {
 public:
  explicit GenericWriter(const RunInfo& run);

  void Open(const RunInfo& run) override;
  void Write(const Record& record) override;
  void Close() override;

 private:
  bool BuildGenericRecord();
  void GenericPrescan();
  // True when the record is to be dropped.
  bool GenericFieldHook(std::uint32_t field);
  char* WriteGenericField(char* pos, const MapEntry& row, bool last);

  void SelectLayout(int list);
  void LoadValue(std::uint32_t field);
  void SetValue(const char* text, std::size_t length);
  void SetValue(const std::string& text) { SetValue(text.data(), text.size()); }
  void SetNumberValue(double x);
  void SetIntValue(std::int64_t n);
  void SplitField217(bool cutValue);

  const RunInfo& run_;
  const Record* rec_ = nullptr;  // the record being written
  const Settings& s_;
  bool compact_;
  bool consolidating_;
  MapTable layout_;
  // Never written in place: a failed run leaves an existing file as it was.

  std::vector<char> line_;     // the record being built
  std::vector<char> value_;    // the current field's value (WorkBuffer)
  std::vector<char> scratch_;  // printed numbers
  std::size_t recordLength_ = 0;

  // Consolidation: the last record built for the current group waits here.
  std::vector<char> held_;
  std::size_t heldLength_ = 0;
  bool recordPending_ = false;
  int groupRecords_ = 0;
  GroupKey key_;

  double total115_ = 0.0;
  double total116_ = 0.0;
  double currentAmount_ = 0.0;
  std::string splitText_;  // field 217 after its first blank, for field 220
};

}  // namespace zeko
