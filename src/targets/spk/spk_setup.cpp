// Placeholder until the writer lands: no entry points bound.
#include "targets/setups.h"

namespace zeko {

std::unique_ptr<OutputWriter> SpkSetup(RunContext&, int) { return nullptr; }

}  // namespace zeko
