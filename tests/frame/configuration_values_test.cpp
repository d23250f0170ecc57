#include "frame/command_center/configuration_values.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

TEST(ConfigurationSliders, PositionsAndValuesStayWithinTheRange) {
  EXPECT_EQ(ValueOfSlider(kListSizesValue, 16), 256);
  EXPECT_EQ(ValueOfSlider(kListSizesValue, 0), 16);
  EXPECT_EQ(ValueOfSlider(kBuffSizeValue, 30000), 20971520);
  EXPECT_EQ(SliderMinimum(kBuffSizeValue), 16);
  EXPECT_EQ(SliderMaximum(kBuffSizeValue), 20480);
  EXPECT_EQ(SliderOfValue(kBuffSizeValue, 512000), 500);
  // A value from the settings file beyond the range puts the slider at its end.
  EXPECT_EQ(SliderOfValue(kMaxSizeToCopyValue, 400), 16);
  EXPECT_EQ(FieldOfValue(kBuffSizeValue, 512000), "500");
  EXPECT_EQ(FieldOfValue(kListSizesValue, 256), "256");
}

// Below the range the field waits to be left ("5" may still become "512");
// above it no digit to come can help, so it is rewritten at once.
TEST(ConfigurationFields, TypedValuesAreKeptInRangeAndRewrittenWhenTheyMust) {
  TypedValue low = ValueOfTyped(kListSizesValue, "5");
  EXPECT_EQ(low.value, 16);
  EXPECT_FALSE(low.rewrite);
  EXPECT_TRUE(FieldLeft(kListSizesValue, "5", 16));
  EXPECT_FALSE(FieldLeft(kListSizesValue, "512  ", 512));
  TypedValue high = ValueOfTyped(kBuffSizeValue, "30000");
  EXPECT_EQ(high.value, 20971520);
  EXPECT_TRUE(high.rewrite);
  EXPECT_FALSE(ValueOfTyped(kBuffSizeValue, "20480").rewrite);
  EXPECT_EQ(ValueOfTyped(kMaxSizeToCopyValue, "1 0 2 4 kB").value, 1048576);
  EXPECT_EQ(ValueOfTyped(kBuffSizeValue, "-700").value, 16384);
  // Far too many digits neither overflow nor wrap round to a small value.
  TypedValue huge = ValueOfTyped(kBuffSizeValue, "99999999999999999999999999");
  EXPECT_EQ(huge.value, 20971520);
  EXPECT_TRUE(huge.rewrite);
}

}  // namespace
}  // namespace kst
