// SPK.NUM, the running diskette number of the savings-bank disk: every run
// that prints its cover note raises it by one.
#pragma once
#include <string>

#include "output/line_sink.h"

namespace zeko {

class DiskNumber {
 public:
  // This run's number: the one in SPK.NUM in configDir plus one, read once.
  // From then on SPK.NUM is held until the run commits: a run that reads it
  // while another holds it waits for the other to commit, so no two payment
  // files carry the same number. After a problem (in a check) it is 1.
  long long Next(const std::string& configDir, Sinks& out);
  // True when the number was read and can be written back.
  bool ready() const { return out_ != nullptr; }
  // Writes the raised number back; it goes in place with the run's commit.
  void WriteBack();

 private:
  LineSink* out_ = nullptr;
  bool looked_ = false;
  long long number_ = 0;
};

// "<path> (<reason>)" for a side file of the savings-bank disk.
std::string SideFileWhere(const std::string& path, const std::string& reason);

}  // namespace zeko
