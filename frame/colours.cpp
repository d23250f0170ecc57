#include "frame/colours.h"

namespace kst {

namespace {

Colours g_entries[kColourEntries + 1];

const int kRecords[kColourEntries + 1] = {0, 1, 3, 5, 10, 13, 7, 16, 19, 33, 35, 39, 42};

const Colours kDefaults[kColourEntries + 1] = {
    {},
    {Rgb(38, 250, 255), Rgb(0, 0, 0), Rgb(38, 250, 255)},
    {Rgb(253, 19, 43), Rgb(255, 255, 255), Rgb(253, 43, 64)},
    {Rgb(0, 0, 0), Rgb(245, 245, 245), Rgb(60, 60, 60)},
    {Rgb(199, 41, 203), Rgb(255, 255, 255), Rgb(209, 52, 214)},
    {Rgb(0, 217, 0), Rgb(0, 0, 0), Rgb(0, 230, 0)},
    {Rgb(225, 225, 0), Rgb(0, 0, 0), Rgb(240, 240, 0)},
    {Rgb(0, 0, 112), Rgb(253, 204, 74), Rgb(0, 0, 128)},
    {Rgb(199, 149, 65), Rgb(75, 55, 22), Rgb(201, 153, 73)},
    {Rgb(0, 40, 0), Rgb(235, 235, 235), Rgb(20, 60, 20)},
    {Rgb(80, 120, 80), Rgb(255, 255, 255), Rgb(60, 160, 60)},
    {Rgb(60, 60, 60), Rgb(240, 220, 200), Rgb(60, 90, 60)},
    {Rgb(163, 163, 163), Rgb(0, 0, 0), Rgb(160, 160, 160)},
};

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
  for (int e = 1; e <= kColourEntries; ++e) g_entries[e] = kDefaults[e];
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
