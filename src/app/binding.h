// The output binding: output paths and the writer of the configured target.
#pragma once
#include <string_view>

#include "app/context.h"

namespace zeko {

// Builds ctx.outputPath / ctx.outputPath2 from PATH and NAMEn (with the
// "MM"/"JJ" placeholders from field 105 of the first record, given as
// documentDate, and the comma second name).
void BuildOutputPaths(RunContext& ctx, std::string_view documentDate);

// Output paths, then the writer of the configured target, set up with what
// the first record (the reader's record now) fixes. "Zuweisung Open fehlt"
// for a target without a writer.
void BindOutput(RunContext& ctx, const Record& first);

}  // namespace zeko
