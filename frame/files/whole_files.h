// Files written and read in one piece (a batch, a check file): a whole
// file wears its partial name until every byte of it is written.
#pragma once

#include <cstdint>
#include <string>

namespace kst {

// Writes text as the whole file path: under its partial name, named when
// whole; a file of that name is replaced only when replaceAgreed, else
// false with 183. False (plat::LastError() saying why) with no partial left
// when it cannot be created, written in full or named; *created (when
// given) tells whether the partial file could be made at all.
bool WriteWholeFile(const std::string& path, const std::string& text, bool replaceAgreed,
                    bool* created = nullptr);
// Reads the whole file path (a batch or a check file) into *text. False
// when it cannot be opened or read whole, is empty, or is larger than
// limit bytes (plat::LastError() says why when the system said).
bool ReadWholeFile(const std::string& path, int64_t limit, std::string* text);

}  // namespace kst
