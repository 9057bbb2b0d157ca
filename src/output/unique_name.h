// Names that no other run can guess or hit by chance: transactions and
// work files.
#pragma once
#include <string>

namespace zeko {

// 16 random hex digits.
std::string RandomHex();

}  // namespace zeko
