#include "frame/command_center/sound_modes.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace kst {
namespace {

TEST(SoundModes, CycleNoWaveBeepAndAnUnknownModeIsNoSounds) {
  EXPECT_EQ(NextSoundMode(kNoSounds), kWaveSounds);
  EXPECT_EQ(NextSoundMode(kWaveSounds), kBeepSounds);
  EXPECT_EQ(NextSoundMode(kBeepSounds), kNoSounds);
  // Start-up steps back once and presses once: the stored mode again.
  for (int start = 0; start < 3; ++start) EXPECT_EQ(NextSoundMode(PreviousSoundMode(start)), start);
  EXPECT_EQ(ValidSoundMode(7), kNoSounds);
  EXPECT_EQ(ValidSoundMode(-1), kNoSounds);
  EXPECT_EQ(NextSoundMode(PreviousSoundMode(9)), kNoSounds);
}

// Only No Sounds leaves the button unchecked and the beeper off.
TEST(SoundModes, EachModeShowsItsOwnPicture) {
  const int pictures[] = {IDB_NO_SOUNDS, IDB_WAVE_SOUNDS, IDB_BEEP_SOUNDS};
  for (int mode = 0; mode < 3; ++mode) {
    SoundButtonLook look = LookOfSoundMode(mode);
    EXPECT_EQ(look.bitmap, pictures[mode]) << mode;
    EXPECT_EQ(look.checked, mode != kNoSounds) << mode;
    EXPECT_EQ(look.beeper, mode != kNoSounds) << mode;
  }
  EXPECT_NE(LookOfSoundMode(kWaveSounds).labelText, LookOfSoundMode(kBeepSounds).labelText);
}

}  // namespace
}  // namespace kst
