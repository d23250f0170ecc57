// The text table: fixed-width reading, replacing and extending entries, and
// reading while another thread replaces texts.
#include "frame/texts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "frame/language_files.h"
#include "frame/text_numbers.h"

using namespace kst;

namespace {

// Every case starts from, and leaves behind, the built-in table.
class TextTable : public ::testing::Test {
 protected:
  void SetUp() override { Reload(); }
  void TearDown() override { Reload(); }
  static void Reload() {
    ClearTexts();
    LoadBuiltInTexts();
  }
};

const std::string kBlanks(kTextWidth, ' ');

}  // namespace

TEST_F(TextTable, IdsOutsideTheTableOrWithoutTextGiveBlanks) {
  EXPECT_EQ(GetText(0), kBlanks);
  EXPECT_EQ(GetText(-5), kBlanks);
  EXPECT_EQ(GetText(1201), kBlanks);
  EXPECT_EQ(GetText(1150), kBlanks) << "1104 to 1200 have no built-in text";
  EXPECT_EQ(FullText(1150), "");
  EXPECT_EQ(GetText(1201, true), kBlanks + '\0');

  SetText(1201, "outside");
  SetText(0, "outside");
  EXPECT_EQ(GetText(1201), kBlanks);
  EXPECT_EQ(GetText(0), kBlanks);
}

TEST_F(TextTable, TextIsPaddedToTheWidthAndOptionallyTerminated) {
  std::string text = GetText(11);
  ASSERT_EQ(text.size(), kTextWidth);
  EXPECT_EQ(text, std::string("Big Whoops") + std::string(kTextWidth - 10, ' '));

  std::string terminated = GetText(11, true);
  ASSERT_EQ(terminated.size(), kTextWidth + 1);
  EXPECT_EQ(terminated.back(), '\0');
  EXPECT_EQ(terminated.substr(0, kTextWidth), text);
}

TEST_F(TextTable, LongTextIsCutByGetTextButKeptWhole) {
  std::string longText(300, 'x');
  longText[255] = 'L';
  longText[256] = 'M';
  SetText(1104, longText);
  EXPECT_EQ(GetText(1104), longText.substr(0, 256));
  EXPECT_EQ(GetText(1104).back(), 'L');
  EXPECT_EQ(FullText(1104), longText);
  EXPECT_EQ(GetText(1104, true), longText.substr(0, 256) + '\0');
}

TEST_F(TextTable, SetTextReplacesOrAppendsAndNeverLeavesAnEmptyEntry) {
  SetText(1110, "first");
  SetText(1110, std::string(" and second"), true);
  EXPECT_EQ(FullText(1110), "first and second");
  SetText(1110, "new");
  EXPECT_EQ(FullText(1110), "new");

  SetText(1111, "", 0);
  EXPECT_EQ(FullText(1111), " ") << "a length below 1 is stored as 1";
  SetText(1111, "x", 0, true);
  EXPECT_EQ(FullText(1111), " ");

  SetText(1112, "", 0, true);
  EXPECT_EQ(FullText(1112), " ");

  // A NUL is an ordinary character of a text.
  SetText(1113, std::string("ab\0c", 4));
  EXPECT_EQ(FullText(1113), std::string("ab\0c", 4));
}

TEST_F(TextTable, ClearTextsEmptiesEveryEntry) {
  SetText(1200, "last");
  ClearTexts();
  for (int id = 1; id <= kTextCount; ++id) ASSERT_EQ(FullText(id), "") << id;
  EXPECT_EQ(GetText(10), kBlanks);
}

// A language change replaces texts while other threads fetch theirs: every
// fetch sees either the old or the new text, whole.
TEST_F(TextTable, ReadersSeeWholeTextsWhileTheyAreReplaced) {
  const std::string first(5000, 'A');
  const std::string second(7000, 'B');
  std::atomic<bool> started{false};
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  SetText(1120, first);
  std::thread reader([&] {
    started = true;
    while (!done.load()) {
      std::string t = FullText(1120);
      if (t != first && t != second) ++torn;
      std::string g = GetText(1120);
      if (g != std::string(kTextWidth, 'A') && g != std::string(kTextWidth, 'B')) ++torn;
    }
  });
  while (!started.load()) std::this_thread::yield();
  for (int i = 0; i < 100000; ++i) SetText(1120, i % 2 ? first : second);
  done = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
}
