// The text table: fixed-width reading, replacing and extending entries, and
// reading while another thread replaces texts.
#include "frame/texts/texts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "frame/texts/language_files.h"

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

TEST_F(TextTable, GetTextGivesTheFieldWidthAndSetTextNeverLeavesAnEmptyEntry) {
  EXPECT_EQ(GetText(11, true), "Big Whoops" + std::string(kTextWidth - 10, ' ') + '\0');
  std::string longText(300, 'x');
  longText[255] = 'L';
  SetText(1104, longText);
  EXPECT_EQ(GetText(1104), longText.substr(0, kTextWidth));
  EXPECT_EQ(FullText(1104), longText) << "only the reading is cut";
  // Outside the table, or without a text, gives blanks; storing there does nothing.
  SetText(0, "outside");
  SetText(kTextCount + 1, "outside");
  for (int id : {-5, 0, kTextCount - 1, kTextCount + 1}) EXPECT_EQ(GetText(id), kBlanks) << id;
  EXPECT_EQ(FullText(kTextCount + 1), "");

  SetText(1110, "first");
  SetText(1110, std::string(" and second"), true);
  EXPECT_EQ(FullText(1110), "first and second");
  SetText(1111, "", 0);
  EXPECT_EQ(FullText(1111), " ");
  ClearTexts();  // appending nothing to an entry without text
  SetText(1112, "", 0, true);
  EXPECT_EQ(FullText(1112), " ");
  SetText(1113, std::string("ab\0c", 4));
  EXPECT_EQ(FullText(1113), std::string("ab\0c", 4)) << "a NUL is an ordinary character";

  ClearTexts();
  for (int id = 1; id <= kTextCount; ++id) ASSERT_EQ(FullText(id), "") << id;
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
