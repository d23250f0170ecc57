// The colours of the twelve main dialogs and the colouring switch. Colour
// values are 0x00BBGGRR, as the platform takes them.
#pragma once

#include <atomic>
#include <cstdint>

#include "frame/dialogs/dialog.h"
#include "frame/settings/settings.h"

namespace kst {

constexpr int kColourEntries = 12;

constexpr uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

// Entry 1..12 (index 0 unused).
Colours& ColourEntry(int entry);
void SetDefaultColours();
// Between the settings file's form and the platform's colour values.
Colours ColoursFromSaved(const SavedColors& saved);
SavedColors SavedFromColours(const Colours& colours);
// The dialog record that shows entry's colours, and the entry of a record
// (0 when the record has none of its own).
int RecordOfColourEntry(int entry);
int ColourEntryOfRecord(int record);
// The colour picker lists the dialogs in another order: its position
// (0-based) to the entry, and the text id of each position's name.
int ColourEntryOfPickerPosition(int position);
int PickerNameText(int position);
// Copies every entry's colours into its dialog record (record 2 takes the
// Command Center's).
void CopyColoursToRecords();

std::atomic<bool>& Colouring();

}  // namespace kst
