// The check file "<name>.SFV" on the restore side: recognising it by its
// name, reading the sums it holds for the splits of its file, and summing
// a split's bytes to compare with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/threads/job_control.h"

namespace kst {

// A check file name ends with ".SFV" in any case, and the dot does not
// start the file's own name. *base gets the name without ".SFV".
bool CheckNameBase(const std::string& name, std::string* base);

// The sums the check file at path holds for the splits of base (a path;
// its file name is what the lines name): (*sums)[k-1] for split k,
// (*listed)[k-1] false for a split it has no line for; both end at the
// last split listed. False, with both empty, when the file cannot be read
// (plat::LastError() says why, when the system said), is empty, larger
// than a check file of 999 splits can be, or lists no sum for base.
bool ReadCheckFile(const std::string& path, const std::string& base, std::vector<uint32_t>* sums,
                   std::vector<bool>* listed);

// The CRC-32 of the file at path, read once from start to end through
// buffer. False when it cannot be read whole, or when job (if given) stops.
bool FileCrc32(const std::string& path, char* buffer, uint32_t buffSize, JobControl* job, uint32_t* crc);

}  // namespace kst
