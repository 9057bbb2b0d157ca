// Setup routines of the nine target writers. Each returns the writer with its
// three entry points; a writer chooses its layout by DataType and RELEASE.
#pragma once
#include <memory>

#include "run/context.h"
#include "run/output.h"

namespace zeko {

std::unique_ptr<OutputWriter> HsSetup(RunContext& ctx);
std::unique_ptr<OutputWriter> Hs3Setup(RunContext& ctx);
std::unique_ptr<OutputWriter> DataxSetup(RunContext& ctx, int dataType);
std::unique_ptr<OutputWriter> SpkSetup(RunContext& ctx, int dataType);
std::unique_ptr<OutputWriter> Khk8Setup(RunContext& ctx);
std::unique_ptr<OutputWriter> GenericSetup(RunContext& ctx);
std::unique_ptr<OutputWriter> PcreweSetup(RunContext& ctx);
std::unique_ptr<OutputWriter> LedaxSetup(RunContext& ctx);
std::unique_ptr<OutputWriter> SlangSetup(RunContext& ctx);

}  // namespace zeko
