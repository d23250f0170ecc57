#include "frame/threads/startup.h"

#include "frame/command_center/colours.h"
#include "frame/command_center/windows_version.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/texts/language_files.h"
#include "frame/texts/texts.h"
#include "frame/threads/process_state.h"
#include "frame/threads/subprograms.h"

namespace kst {

void LoadProgramState(Settings& settings, void (*progress)(int step)) {
  LoadBuiltInTexts();
  SetDefaults(settings);
  if (progress) progress(1);
  ReadSettingsAtStart(settings);
  SetLanguageSetting(settings.language);
  ApplyLanguageSetting();
  RebuildFilters();
  LoadSlotNames();
  if (progress) progress(2);
  QueryWindowsVersion();
  ApplySettingsToFrame(settings);
}

void ApplySettingsToFrame(const Settings& settings) {
  for (size_t i = 0; i < kPlacedRecords.size(); ++i) {
    DialogRecord& r = Record(kPlacedRecords[i]);
    r.alwaysOnTop = settings.topmost[i] != 0;
    r.savedLeft = settings.winPos[2 * i];
    r.savedTop = settings.winPos[2 * i + 1];
    r.restorePosition = true;
  }
  for (int entry = 1; entry <= kColourEntries; ++entry) {
    ColourEntry(entry) = ColoursFromSaved(settings.colors[static_cast<size_t>(entry - 1)]);
  }
  CopyColoursToRecords();
  Colouring() = settings.coloring;
  SetSoundMode(settings.noSounds);
}

void CollectFrameIntoSettings(Settings& settings) {
  for (size_t i = 0; i < kPlacedRecords.size(); ++i) {
    const DialogRecord& r = Record(kPlacedRecords[i]);
    settings.topmost[i] = r.alwaysOnTop ? 1 : 0;
    settings.winPos[2 * i] = r.savedLeft;
    settings.winPos[2 * i + 1] = r.savedTop;
  }
  for (int entry = 1; entry <= kColourEntries; ++entry) {
    settings.colors[static_cast<size_t>(entry - 1)] = SavedFromColours(ColourEntry(entry));
  }
  settings.coloring = Colouring().load();
  settings.noSounds = SoundMode();
  settings.language = LanguageSetting();
  while (!settings.language.empty() && settings.language.back() == ' ') settings.language.pop_back();
}

}  // namespace kst
