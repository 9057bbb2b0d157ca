#include "app/terminal_dialog.h"

namespace zeko {

std::unique_ptr<CZekoDlg> MakeProgressDialog() { return std::make_unique<CZekoDlg>(); }

}  // namespace zeko
