#include "frame/colours.h"

#include <gtest/gtest.h>

#include <set>

using namespace kst;

TEST(Colours, DefaultsAndTheirRecords) {
  SetDefaultColours();
  EXPECT_EQ(ColourEntry(1).background, Rgb(38, 250, 255));
  EXPECT_EQ(ColourEntry(7).text, Rgb(253, 204, 74));  // File(s) Comparing
  EXPECT_EQ(ColourEntry(12).textBackground, Rgb(160, 160, 160));
  ClearRecords();
  CopyColoursToRecords();
  EXPECT_EQ(Record(2).colours.background, ColourEntry(1).background);  // opened from the Command Center
  EXPECT_EQ(Record(16).colours.text, ColourEntry(7).text);
  EXPECT_EQ(ColourEntryOfRecord(42), 12);
  EXPECT_EQ(ColourEntryOfRecord(21), 0);  // message boxes take their owner's
}

TEST(Colours, ThePickerListsEveryDialogOnceInItsOwnOrder) {
  std::set<int> entries;
  for (int position = 0; position < kColourEntries; ++position) entries.insert(ColourEntryOfPickerPosition(position));
  EXPECT_EQ(entries.size(), 12u);
  EXPECT_EQ(ColourEntryOfPickerPosition(2), 6);   // Split &/Or Copy
  EXPECT_EQ(ColourEntryOfPickerPosition(10), 3);  // Intuitive Target Practice
  EXPECT_EQ(PickerNameText(6), 816);
  EXPECT_EQ(RecordOfColourEntry(ColourEntryOfPickerPosition(9)), 39);  // The Program Master
}

TEST(Colours, SettingsFormRoundTrips) {
  Colours c{Rgb(1, 2, 3), Rgb(4, 5, 6), Rgb(7, 8, 9)};
  SavedColors saved = SavedFromColours(c);
  EXPECT_EQ(saved.dialogBackground, (SavedRgb{1, 2, 3}));
  EXPECT_EQ(saved.textBackground, (SavedRgb{7, 8, 9}));
  Colours back = ColoursFromSaved(saved);
  EXPECT_EQ(back.background, c.background);
  EXPECT_EQ(back.text, c.text);
  EXPECT_EQ(back.textBackground, c.textBackground);
}
