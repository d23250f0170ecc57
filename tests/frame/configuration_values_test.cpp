#include "frame/configuration_values.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

TEST(ConfigurationSliders, PositionTimesStepWithinTheRange) {
  EXPECT_EQ(ValueOfSlider(kListSizesValue, 16), 256);
  EXPECT_EQ(ValueOfSlider(kListSizesValue, 0), 16);
  EXPECT_EQ(ValueOfSlider(kListSizesValue, 5000), 16384);
  EXPECT_EQ(ValueOfSlider(kBuffSizeValue, 500), 512000);
  EXPECT_EQ(ValueOfSlider(kBuffSizeValue, 3), 16384);
  EXPECT_EQ(ValueOfSlider(kMaxSizeToCopyValue, 20481), 20971520);
}

TEST(ConfigurationSliders, RangeAndPositionOfAValue) {
  EXPECT_EQ(SliderMinimum(kListSizesValue), 1);
  EXPECT_EQ(SliderMaximum(kListSizesValue), 1024);
  EXPECT_EQ(SliderMinimum(kBuffSizeValue), 16);
  EXPECT_EQ(SliderMaximum(kBuffSizeValue), 20480);
  EXPECT_EQ(SliderOfValue(kBuffSizeValue, 512000), 500);
  EXPECT_EQ(SliderOfValue(kListSizesValue, 256), 16);
  // A value from the settings file beyond the range puts the slider at its end.
  EXPECT_EQ(SliderOfValue(kMaxSizeToCopyValue, 400), 16);
}

TEST(ConfigurationFields, ShowEntriesOrKilobytes) {
  EXPECT_EQ(FieldOfValue(kListSizesValue, 256), "256");
  EXPECT_EQ(FieldOfValue(kBuffSizeValue, 512000), "500");
  EXPECT_EQ(FieldOfValue(kMaxSizeToCopyValue, 20971520), "20480");
}

TEST(ConfigurationFields, TypingBelowTheRangeSetsTheMinimumAndWaitsForTheFieldToBeLeft) {
  TypedValue typed = ValueOfTyped(kListSizesValue, "5");
  EXPECT_EQ(typed.value, 16);
  EXPECT_FALSE(typed.rewrite);  // "5" may still become "512"
  EXPECT_EQ(ValueOfTyped(kListSizesValue, "512").value, 512);
  EXPECT_TRUE(FieldLeft(kListSizesValue, "5", 16));
  EXPECT_FALSE(FieldLeft(kListSizesValue, "512", 512));
  EXPECT_FALSE(FieldLeft(kListSizesValue, "512  ", 512));
}

TEST(ConfigurationFields, TypingAboveTheRangeRewritesAtOnce) {
  TypedValue typed = ValueOfTyped(kBuffSizeValue, "30000");
  EXPECT_EQ(typed.value, 20971520);
  EXPECT_TRUE(typed.rewrite);
  EXPECT_EQ(FieldOfValue(kBuffSizeValue, typed.value), "20480");
  EXPECT_FALSE(ValueOfTyped(kBuffSizeValue, "20480").rewrite);
}

TEST(ConfigurationFields, KilobytesAreMultipliedAndOddInputIsRead) {
  EXPECT_EQ(ValueOfTyped(kBuffSizeValue, "500").value, 512000);
  EXPECT_EQ(ValueOfTyped(kMaxSizeToCopyValue, "1 0 2 4 kB").value, 1048576);
  EXPECT_EQ(ValueOfTyped(kBuffSizeValue, "").value, 16384);
  EXPECT_EQ(ValueOfTyped(kBuffSizeValue, "-700").value, 16384);
  // Far too many digits neither overflow nor wrap round to a small value.
  TypedValue huge = ValueOfTyped(kBuffSizeValue, "99999999999999999999999999");
  EXPECT_EQ(huge.value, 20971520);
  EXPECT_TRUE(huge.rewrite);
}

}  // namespace
}  // namespace kst
