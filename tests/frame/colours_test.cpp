#include "frame/command_center/colours.h"

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
