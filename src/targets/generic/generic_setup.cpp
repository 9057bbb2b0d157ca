// Binds the GENERIC writer; its layout is the FIELDSA..FIELDSE block of the
// run's data type.
#include "targets/generic/generic_writer.h"
#include "targets/setups.h"

namespace zeko {

std::unique_ptr<OutputWriter> GenericSetup(RunContext& ctx) {
  return std::make_unique<GenericWriter>(ctx);
}

}  // namespace zeko
