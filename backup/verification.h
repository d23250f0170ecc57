// The verification of a Split &/Or Copy run: every disk is read back and
// each split compared with its range of the source; splits that fail are
// cut again into the temporary folder and listed as temporary entries, so
// that the next run carries only what failed.
#pragma once

#include <cstddef>
#include <cstdint>

#include "backup/backup_steps.h"

namespace kst {

enum class VerifyOutcome { Done, Aborted };

// Asks for disk after disk until every split of every copied file was read
// back, or the person stops. Then VerifySummary.
VerifyOutcome VerifyAll(RunState& s, int64_t* redo);
// Compares every split of the list that is on the disk in the drive now.
// False when the pass must stop (aborted).
bool VerifyDisk(RunState& s);
enum class RedoResult {
  Done,    // cut again and listed as a temporary entry
  Kept,    // a file of its name was there and the person kept it: not redone
  Failed,  // could not be cut (told to the person, keep-going cleared)
};

// Cuts split (0-based) of file again into the temporary folder, under its
// partial name until it is whole, and lists it as a temporary entry. A
// file of its name there is replaced only after the person's Yes; on No it
// stays, the person is told, and the split stays not safe.
RedoResult RedoSplit(RunState& s, size_t file, size_t split);
// Marks what must be carried again and tells how much (splits kept not
// safe included); returns the count. Stops at the first RedoSplit that fails.
int64_t VerifySummary(RunState& s);

}  // namespace kst
