#include "frame/command_center/colours.h"

namespace kst {

namespace {

Colours g_entries[kColourEntries + 1];

const int kRecords[kColourEntries + 1] = {0, 1, 3, 5, 10, 13, 7, 16, 19, 33, 35, 39, 42};


// Picker order: Command Center, File Splitting, Split &/Or Copy, Copy &/Or
// Join, Test Disks, File(s) Comparing, Excess Files Remover, Data2Wav,
// Format Interface, The Program Master, Target Practice, Horse Racing.
const int kPickerEntries[kColourEntries] = {1, 2, 6, 5, 4, 7, 10, 12, 8, 11, 3, 9};
const int kPickerNames[kColourEntries] = {27, 87, 99, 254, 354, 389, 816, 1044, 448, 894, 470, 484};

}  // namespace

Colours& ColourEntry(int entry) {
  return g_entries[entry >= 1 && entry <= kColourEntries ? entry : 0];
}

void SetDefaultColours() {
  std::array<SavedColors, 12> defaults = DefaultColors();
  for (int e = 1; e <= kColourEntries; ++e) g_entries[e] = ColoursFromSaved(defaults[static_cast<size_t>(e - 1)]);
}

Colours ColoursFromSaved(const SavedColors& saved) {
  Colours c;
  c.background = Rgb(saved.dialogBackground.red, saved.dialogBackground.green, saved.dialogBackground.blue);
  c.text = Rgb(saved.text.red, saved.text.green, saved.text.blue);
  c.textBackground = Rgb(saved.textBackground.red, saved.textBackground.green, saved.textBackground.blue);
  return c;
}

SavedColors SavedFromColours(const Colours& colours) {
  auto rgb = [](uint32_t v) {
    return SavedRgb{static_cast<int32_t>(v & 0xFF), static_cast<int32_t>((v >> 8) & 0xFF),
                    static_cast<int32_t>((v >> 16) & 0xFF)};
  };
  return SavedColors{rgb(colours.textBackground), rgb(colours.text), rgb(colours.background)};
}

int RecordOfColourEntry(int entry) {
  return entry >= 1 && entry <= kColourEntries ? kRecords[entry] : 0;
}

int ColourEntryOfRecord(int record) {
  if (record == 2) return 1;
  for (int e = 1; e <= kColourEntries; ++e)
    if (kRecords[e] == record) return e;
  return 0;
}

int ColourEntryOfPickerPosition(int position) {
  return position >= 0 && position < kColourEntries ? kPickerEntries[position] : 0;
}

int PickerNameText(int position) {
  return position >= 0 && position < kColourEntries ? kPickerNames[position] : 0;
}

void CopyColoursToRecords() {
  std::lock_guard<std::mutex> lock(RecordColoursMutex());
  for (int record = 1; record <= kRecordCount; ++record) {
    int entry = ColourEntryOfRecord(record);
    if (entry) Record(record).colours = g_entries[entry];
  }
}

std::atomic<bool>& Colouring() {
  static std::atomic<bool> colouring{false};
  return colouring;
}

}  // namespace kst
