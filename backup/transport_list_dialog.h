// The list dialog (the transport list's rows, totals and Done toggle) and
// the split list dialog (one file's splits, their toggles and the kill).
#pragma once

#include <atomic>

#include "backup/transport_list.h"
#include "split/split_writer.h"

namespace kst {

// Runs the list dialog modally on record (the split list on splitRecord),
// dressed like owner's record. Every change is refused while runGoing.
void RunListDialog(TransportList& list, const std::atomic<bool>& runGoing, const MessageOwner& owner,
                   int record, int splitRecord);

}  // namespace kst
