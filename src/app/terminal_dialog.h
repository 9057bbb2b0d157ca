// The progress dialog of a run started from a terminal.
#pragma once
#include <memory>

#include "run/progress.h"

namespace zeko {

// The terminal dialog when stderr is a terminal, else a silent one.
std::unique_ptr<CZekoDlg> MakeProgressDialog();

}  // namespace zeko
