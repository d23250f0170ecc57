#include "frame/command_center/sound_modes.h"

#include "resources/resource_ids.h"

namespace kst {

int ValidSoundMode(int mode) { return mode >= kNoSounds && mode <= kBeepSounds ? mode : kNoSounds; }

int NextSoundMode(int mode) { return (ValidSoundMode(mode) + 1) % 3; }

int PreviousSoundMode(int mode) { return (ValidSoundMode(mode) + 2) % 3; }

SoundButtonLook LookOfSoundMode(int mode) {
  switch (ValidSoundMode(mode)) {
    case kWaveSounds: return {29, 557, IDB_WAVE_SOUNDS, true, true};
    case kBeepSounds: return {30, 558, IDB_BEEP_SOUNDS, true, true};
    default: return {24, 545, IDB_NO_SOUNDS, false, false};
  }
}

}  // namespace kst
