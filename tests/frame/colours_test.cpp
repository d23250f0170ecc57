#include "frame/colours.h"

#include <gtest/gtest.h>

#include <set>

using namespace kst;

TEST(Colours, DefaultsReachTheirDialogRecords) {
  SetDefaultColours();
  EXPECT_EQ(ColourEntry(7).text, Rgb(253, 204, 74));  // File(s) Comparing, red green blue
  ClearRecords();
  CopyColoursToRecords();
  // Dialogs opened from the Command Center take its colours.
  EXPECT_EQ(Record(2).colours.background, ColourEntry(1).background);
  EXPECT_EQ(Record(16).colours.text, ColourEntry(7).text);
  EXPECT_EQ(ColourEntryOfRecord(42), 12);
  EXPECT_EQ(ColourEntryOfRecord(21), 0);  // message boxes take their owner's
}

TEST(Colours, ThePickerListsEveryDialogOnce) {
  std::set<int> entries;
  for (int position = 0; position < kColourEntries; ++position)
    entries.insert(ColourEntryOfPickerPosition(position));
  EXPECT_EQ(entries, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(RecordOfColourEntry(ColourEntryOfPickerPosition(9)), 39);  // The Program Master
}

// The settings file keeps text background, text, dialog background.
TEST(Colours, SettingsFormKeepsEachColourInItsPlace) {
  Colours c{Rgb(1, 2, 3), Rgb(4, 5, 6), Rgb(7, 8, 9)};
  SavedColors saved = SavedFromColours(c);
  EXPECT_EQ(saved, (SavedColors{{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}));
  Colours back = ColoursFromSaved(saved);
  EXPECT_EQ(back.background, c.background);
  EXPECT_EQ(back.text, c.text);
  EXPECT_EQ(back.textBackground, c.textBackground);
}
