// A size typed on the command line, by the size field's rules.
#pragma once

#include <cstdint>
#include <string>

namespace kst {

// "1423.5kB" into bytes (B, kB, MB, GB or TB, case ignored; no unit is
// bytes); false for anything else, and for a size below one byte.
bool ParseSize(const std::string& text, int64_t* bytes);

}  // namespace kst
