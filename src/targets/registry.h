// The one place below the application that knows every target.
#pragma once
#include <memory>

#include "record/record.h"
#include "targets/writer.h"

namespace zeko {

// How the reader fills the record's slots for a target.
SlotOrder ReaderSlotOrder(int targetType);

// The writer of the configured target, set up for the run's data type and
// RELEASE; nullptr when the target has no writer.
std::unique_ptr<Writer> MakeWriter(const RunInfo& run);

}  // namespace zeko
