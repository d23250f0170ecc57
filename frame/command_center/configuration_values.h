// The "Other Configurations" of the language dialog: list size, buffer size
// and largest one-piece copy, each shown in an edit field (entries or
// kilobytes) and on a slider, and always kept within its range.
#pragma once

#include <cstdint>
#include <string>

namespace kst {

struct ConfigurationValue {
  int32_t step;     // what one slider position is worth (entries or bytes)
  int32_t minimum;  // range, in entries or bytes
  int32_t maximum;
  bool kilobytes;   // the edit field shows bytes / 1024
};

constexpr ConfigurationValue kListSizesValue{16, 16, 16384, false};
constexpr ConfigurationValue kBuffSizeValue{1024, 16384, 20971520, true};
constexpr ConfigurationValue kMaxSizeToCopyValue{1024, 16384, 20971520, true};

int32_t ClampConfiguration(const ConfigurationValue& rule, int64_t value);

// The slider's range in positions (minimum / step .. maximum / step).
int SliderMinimum(const ConfigurationValue& rule);
int SliderMaximum(const ConfigurationValue& rule);

// A slider moved to position: position × step, kept within the range.
int32_t ValueOfSlider(const ConfigurationValue& rule, int position);
// Where the slider stands for value.
int SliderOfValue(const ConfigurationValue& rule, int32_t value);

// What the edit field shows for value (kilobytes where the unit is kBytes).
std::string FieldOfValue(const ConfigurationValue& rule, int32_t value);

// The user typed text into the edit field: the value it stands for, kept
// within the range, and whether the field must be written again.
// Only a number above the range is rewritten while typing: the digits
// still to come can only make it larger. One below the range is kept as
// typed until the field is left (FieldLeft), or no number starting with a
// small digit could ever be typed.
struct TypedValue {
  int32_t value;
  bool rewrite;
};
TypedValue ValueOfTyped(const ConfigurationValue& rule, const std::string& text);
// The field was left: rewrite it when what it shows is not value.
bool FieldLeft(const ConfigurationValue& rule, const std::string& text, int32_t value);

}  // namespace kst
