#include "frame/remembered_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "frame/text_numbers.h"

using namespace kst;

namespace {

RememberedList FiveOfFive() {
  RememberedList list;
  list.capacity = 5;
  list.entries = {"A:\\one", "A:\\two", "A:\\three", "A:\\four", "A:\\five"};
  return list;
}

}  // namespace

TEST(RememberedList, ALaterPlaceMovesToTheTop) {
  RememberedList list = FiveOfFive();
  EXPECT_TRUE(RememberInList(list, "A:\\three"));
  EXPECT_EQ(list.entries, (std::vector<std::string>{"A:\\three", "A:\\one", "A:\\two",
                                                    "A:\\four", "A:\\five"}));

  EXPECT_TRUE(RememberInList(list, "A:\\five"));
  EXPECT_EQ(list.entries, (std::vector<std::string>{"A:\\five", "A:\\three", "A:\\one",
                                                    "A:\\two", "A:\\four"}));

  EXPECT_TRUE(RememberInList(list, "A:\\five"));  // already first: nothing moves
  EXPECT_EQ(list.entries[0], "A:\\five");
  EXPECT_EQ(list.entries[1], "A:\\three");
  EXPECT_EQ(list.entries.size(), 5u);
}

TEST(RememberedList, ANewValueOnAFullListDropsTheLast) {
  RememberedList list = FiveOfFive();
  EXPECT_TRUE(RememberInList(list, "A:\\six"));
  EXPECT_EQ(list.entries, (std::vector<std::string>{"A:\\six", "A:\\one", "A:\\two",
                                                    "A:\\three", "A:\\four"}));
}

TEST(RememberedList, GrowsUntilFull) {
  RememberedList list;
  list.capacity = 3;
  for (const char* v : {"x", "y", "z", "w"}) RememberInList(list, v);
  EXPECT_EQ(list.entries, (std::vector<std::string>{"w", "z", "y"}));

  RememberedList none;
  EXPECT_TRUE(RememberInList(none, "x"));
  EXPECT_TRUE(none.entries.empty());
}

TEST(RememberedList, CaseAndTrailingBlanksAreIgnored) {
  RememberedList list = FiveOfFive();
  EXPECT_TRUE(RememberInList(list, "a:\\FOUR    "));
  ASSERT_EQ(list.entries.size(), 5u);
  EXPECT_EQ(list.entries[0], "a:\\FOUR");  // the value as given last, without blanks
  EXPECT_EQ(list.entries[4], "A:\\five");
  EXPECT_EQ(std::count_if(list.entries.begin(), list.entries.end(),
                          [](const std::string& e) { return SameText(e, "A:\\four"); }),
            1);
}

TEST(RememberedList, BlankOrOverlongValuesAreRefused) {
  RememberedList list = FiveOfFive();
  EXPECT_FALSE(RememberInList(list, "   "));
  EXPECT_FALSE(RememberInList(list, "C:\\" + std::string(258, 'x')));
  EXPECT_EQ(list.entries, FiveOfFive().entries);
  EXPECT_TRUE(RememberInList(list, "C:\\" + std::string(257, 'x')));  // 260 fits
  EXPECT_EQ(list.entries[0].size(), 260u);
}

TEST(RememberedList, AnOverfullListIsCutToCapacity) {
  RememberedList list = FiveOfFive();
  list.capacity = 2;
  RememberInList(list, "A:\\four");
  EXPECT_EQ(list.entries, (std::vector<std::string>{"A:\\four", "A:\\one"}));
}
