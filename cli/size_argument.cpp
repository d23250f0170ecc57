#include "cli/size_argument.h"

#include <cmath>

#include "frame/texts/text_numbers.h"
#include "split/split_sizes.h"

namespace kst {

bool ParseSize(const std::string& text, int64_t* bytes) {
  size_t end = 0;
  int points = 0, digits = 0;
  while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') || text[end] == '.')) {
    if (text[end] == '.') ++points;
    else ++digits;
    ++end;
  }
  if (digits == 0 || points > 1) return false;
  const std::string unitText = text.substr(end);
  int unit = 0;
  if (!unitText.empty()) {
    unit = SizeUnitOf(unitText);
    if (!SameText(unitText, SizeUnitText(unit))) return false;
  }
  const std::string number = text.substr(0, end);
  // The size field would make a floppy's size of less than a byte; nobody asked for that here.
  if (TextToReal(number) * std::pow(1024.0, unit) < 1.0) return false;
  *bytes = SizeFieldBytes(number, unit);
  return true;
}

}  // namespace kst
