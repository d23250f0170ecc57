// The dialog records of The Program Master and the Format Interface. They
// run no worker: their message boxes come from their Main threads alone,
// on the record of their own About box. A box and the About box are both
// modal to the window, so the thread never holds both at once, and no
// other subprogram's thread ever uses these records.
#pragma once

namespace kst {

constexpr int kProgramMasterRecord = 39;
constexpr int kProgramMasterAboutRecord = 40;
constexpr int kProgramMasterBoxRecord = 40;

constexpr int kFormatRecord = 19;
constexpr int kFormatAboutRecord = 20;
constexpr int kFormatBoxRecord = 20;

}  // namespace kst
