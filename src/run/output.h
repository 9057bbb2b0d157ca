// The three entry points of a target writer and the binding of the writer
// that the configuration names.
#pragma once
#include <memory>

namespace zeko {

struct RunContext;

// Open, Process and Close of one target writer; each writer keeps its own
// state. The results are not looked at by the run.
class OutputWriter {
 public:
  virtual ~OutputWriter() = default;
  virtual int Open() = 0;
  virtual int Process() = 0;
  virtual int Close() = 0;
};

// Selects the writer of the configured target, builds the output paths.
void BindOutput(RunContext& ctx);

// Builds ctx.outputPath / ctx.outputPath2 from PATH and NAMEn (with the
// "MM"/"JJ" placeholders from field 105 and the comma second name).
void BuildOutputPaths(RunContext& ctx);

}  // namespace zeko
