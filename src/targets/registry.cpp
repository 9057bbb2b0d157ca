#include "targets/registry.h"

namespace zeko {

// Each writer's setup: the layout chosen by data type and RELEASE.
std::unique_ptr<Writer> MakeHsWriter(const RunInfo& run);
std::unique_ptr<Writer> MakeHs3Writer(const RunInfo& run);
std::unique_ptr<Writer> MakeDataxWriter(const RunInfo& run);
std::unique_ptr<Writer> MakeSpkWriter(const RunInfo& run);
std::unique_ptr<Writer> MakeKhk8Writer(const RunInfo& run);
std::unique_ptr<Writer> MakeGenericWriter(const RunInfo& run);
std::unique_ptr<Writer> MakePcreweWriter(const RunInfo& run);
std::unique_ptr<Writer> MakeLedaxWriter(const RunInfo& run);
std::unique_ptr<Writer> MakeSlangWriter(const RunInfo& run);

SlotOrder ReaderSlotOrder(int targetType) {
  // MONA's host variant numbers the fields of a record by their place.
  return targetType == kTargetMONA ? SlotOrder::kByPlace : SlotOrder::kByNumber;
}

std::unique_ptr<Writer> MakeWriter(const RunInfo& run) {
  switch (run.settings.targetType) {
    case kTargetHS: return MakeHsWriter(run);
    case kTargetHS3: return MakeHs3Writer(run);
    case kTargetDATAX: return MakeDataxWriter(run);
    case kTargetSPK: return MakeSpkWriter(run);
    case kTargetKHK8: return MakeKhk8Writer(run);
    case kTargetGENERIC: return MakeGenericWriter(run);
    case kTargetPCREWE: return MakePcreweWriter(run);
    case kTargetLEDAX: return MakeLedaxWriter(run);
    case kTargetSLANG: return MakeSlangWriter(run);
    default: return nullptr;  // keywords without a writer
  }
}

}  // namespace zeko
