// The check file "<name>.SFV": beside the splits and the join batch, one
// CRC-32 per split, in the layout every SFV reader takes. A join compares
// each split's sum with it, so a split damaged on its way is found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst {

// folder\name.SFV, without doubling a backslash that folder ends with.
std::string CheckFilePath(const std::string& folder, const std::string& sourcePath);
// The whole content for the sums of splits 1, 2, ...: a ";" line saying
// what made it and how many splits, then "<name>.<kkk> <8 hex digits>" per
// split, 8-bit with CR LF ends. The name is in the OEM code page, as in the
// batch; "" when it has no form there.
std::string CheckFileText(const std::string& sourcePath, const std::vector<uint32_t>& sums);
// Writes it into folder (*checkPath gets its name) under its partial name,
// named when whole; an existing one is replaced only when replaceAgreed
// (else false with 183). False, with nothing left, when it cannot be
// written (plat::LastError() says why: 123 for a name with no OEM form).
bool WriteCheckFile(const std::string& folder, const std::string& sourcePath,
                    const std::vector<uint32_t>& sums, std::string* checkPath, bool replaceAgreed = false);

// The sums a check file's text holds for the splits of name: (*sums)[k-1]
// for split k, (*listed)[k-1] false for a split it has no line for. Lines
// that are comments, blank, for other files or not "<name> <8 hex>" are
// passed over.
void ReadCheckSums(const std::string& text, const std::string& name, int count,
                   std::vector<uint32_t>* sums, std::vector<bool>* listed);

}  // namespace kst
