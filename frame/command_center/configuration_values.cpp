#include "frame/command_center/configuration_values.h"

#include <algorithm>

#include "frame/texts/text_numbers.h"

namespace kst {

int32_t ClampConfiguration(const ConfigurationValue& rule, int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, rule.minimum, rule.maximum));
}

int SliderMinimum(const ConfigurationValue& rule) { return rule.minimum / rule.step; }
int SliderMaximum(const ConfigurationValue& rule) { return rule.maximum / rule.step; }

int32_t ValueOfSlider(const ConfigurationValue& rule, int position) {
  return ClampConfiguration(rule, static_cast<int64_t>(position) * rule.step);
}

int SliderOfValue(const ConfigurationValue& rule, int32_t value) {
  return ClampConfiguration(rule, value) / rule.step;
}

std::string FieldOfValue(const ConfigurationValue& rule, int32_t value) {
  return std::to_string(rule.kilobytes ? value / 1024 : value);
}

TypedValue ValueOfTyped(const ConfigurationValue& rule, const std::string& text) {
  // Capped first, so that the kilobytes never overflow.
  int64_t typed = std::clamp<int64_t>(TextToInt64(text), -(int64_t{1} << 40), int64_t{1} << 40);
  if (rule.kilobytes) typed *= 1024;
  int32_t value = ClampConfiguration(rule, typed);
  return {value, typed > rule.maximum};
}

bool FieldLeft(const ConfigurationValue& rule, const std::string& text, int32_t value) {
  return Trimmed(text) != FieldOfValue(rule, value);
}

}  // namespace kst
