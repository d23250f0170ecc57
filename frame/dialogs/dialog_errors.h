// The texts that explain the extended errors of the platform's common
// dialogs (open, save, colour, font), as ReportDialogError shows them.
#pragma once

#include <cstdint>

namespace kst {

// The text id for a common-dialog error code: 54..67 for the known codes,
// 68 "Unknown error number" for any other, 0 for 0 (no error: cancelled).
int DialogErrorText(uint32_t code);

}  // namespace kst
