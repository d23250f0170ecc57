#include "frame/settings/remembered_list.h"

#include <gtest/gtest.h>

using namespace kst;

namespace {

using Entries = std::vector<std::string>;

RememberedList FiveOfFive() { return {5, {"A:\\one", "A:\\two", "A:\\three", "A:\\four", "A:\\five"}}; }

}  // namespace

TEST(RememberedList, AListedValueMovesToTheTop) {
  RememberedList list = FiveOfFive();
  EXPECT_TRUE(RememberInList(list, "a:\\THREE    "));
  EXPECT_EQ(list.entries, (Entries{"a:\\THREE", "A:\\one", "A:\\two", "A:\\four", "A:\\five"}));
  EXPECT_TRUE(RememberInList(list, "A:\\five"));
  EXPECT_EQ(list.entries, (Entries{"A:\\five", "a:\\THREE", "A:\\one", "A:\\two", "A:\\four"}));
  EXPECT_TRUE(RememberInList(list, "A:\\five"));  // at the top already
  EXPECT_EQ(list.entries[1], "a:\\THREE");
}

TEST(RememberedList, ANewValueGrowsTheListUpToItsCapacity) {
  RememberedList list{10, {}};
  for (int i = 1; i <= 11; ++i) EXPECT_TRUE(RememberInList(list, "C:\\" + std::to_string(i)));
  ASSERT_EQ(list.entries.size(), 10u);
  EXPECT_EQ(list.entries.front() + list.entries.back(), "C:\\11C:\\2");

  RememberedList overfull = FiveOfFive();
  overfull.capacity = 2;
  RememberInList(overfull, "A:\\four");
  EXPECT_EQ(overfull.entries, (Entries{"A:\\four", "A:\\one"}));

  RememberedList none;
  EXPECT_TRUE(RememberInList(none, "x") && none.entries.empty());

  list = FiveOfFive();
  EXPECT_FALSE(RememberInList(list, "   ") || RememberInList(list, "C:\\" + std::string(258, 'x')));
  EXPECT_EQ(list.entries, FiveOfFive().entries);
  EXPECT_TRUE(RememberInList(list, "C:\\" + std::string(257, 'x') + "  "));  // 260 fits
  EXPECT_EQ(list.entries[0].size(), 260u);
}
