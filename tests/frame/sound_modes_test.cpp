#include "frame/sound_modes.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace kst {
namespace {

TEST(SoundModes, CycleNoWaveBeepAndBackInThreePresses) {
  EXPECT_EQ(NextSoundMode(kNoSounds), kWaveSounds);
  EXPECT_EQ(NextSoundMode(kWaveSounds), kBeepSounds);
  EXPECT_EQ(NextSoundMode(kBeepSounds), kNoSounds);
  for (int start = 0; start < 3; ++start) {
    EXPECT_EQ(NextSoundMode(NextSoundMode(NextSoundMode(start))), start);
    // Start-up steps back once and presses once: the stored mode again.
    EXPECT_EQ(NextSoundMode(PreviousSoundMode(start)), start);
  }
}

TEST(SoundModes, AnUnknownStoredModeCountsAsNoSounds) {
  EXPECT_EQ(ValidSoundMode(7), kNoSounds);
  EXPECT_EQ(ValidSoundMode(-1), kNoSounds);
  EXPECT_EQ(NextSoundMode(PreviousSoundMode(9)), kNoSounds);
}

TEST(SoundModes, EachModeHasItsLabelTooltipPictureAndBeeper) {
  SoundButtonLook none = LookOfSoundMode(kNoSounds);
  EXPECT_EQ(none.labelText, 24);
  EXPECT_EQ(none.tooltipText, 545);
  EXPECT_EQ(none.bitmap, IDB_NO_SOUNDS);
  EXPECT_FALSE(none.checked);
  EXPECT_FALSE(none.beeper);
  SoundButtonLook wave = LookOfSoundMode(kWaveSounds);
  EXPECT_EQ(wave.labelText, 29);
  EXPECT_EQ(wave.tooltipText, 557);
  EXPECT_EQ(wave.bitmap, IDB_WAVE_SOUNDS);
  EXPECT_TRUE(wave.checked);
  EXPECT_TRUE(wave.beeper);
  SoundButtonLook beep = LookOfSoundMode(kBeepSounds);
  EXPECT_EQ(beep.labelText, 30);
  EXPECT_EQ(beep.tooltipText, 558);
  EXPECT_EQ(beep.bitmap, IDB_BEEP_SOUNDS);
  EXPECT_TRUE(beep.checked);
  EXPECT_TRUE(beep.beeper);
}

}  // namespace
}  // namespace kst
