// The three sound modes of the Command Center's sound button and how the
// button looks in each: No Sounds -> Wave Sounds -> Beep Sounds -> No Sounds.
#pragma once

namespace kst {

enum SoundModeId { kNoSounds = 0, kWaveSounds = 1, kBeepSounds = 2 };

// A mode outside 0..2 (a hand-edited settings file) counts as No Sounds.
int ValidSoundMode(int mode);
int NextSoundMode(int mode);
int PreviousSoundMode(int mode);

struct SoundButtonLook {
  int labelText;    // text id of the label
  int tooltipText;  // text id of the tooltip
  int bitmap;       // resource id of the picture
  bool checked;     // unchecked only for No Sounds
  bool beeper;      // the system's warning beeper on or off
};
SoundButtonLook LookOfSoundMode(int mode);

}  // namespace kst
