// Placeholder until the writer lands: no entry points bound.
#include "targets/setups.h"

namespace zeko {

std::unique_ptr<OutputWriter> HsSetup(RunContext&) { return nullptr; }

}  // namespace zeko
