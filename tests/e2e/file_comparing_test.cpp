// File(s) Comparing as a person uses it: the original folder dropped, the
// clone typed, the options ticked, Compare, the counters read, the
// closing question answered, and the information file read.
#include <algorithm>

#include "tests/e2e/command_center_steps.h"

namespace {

using namespace cc_steps;
using namespace e2e;

struct FileComparingWindow : WindowTest {
  void SetUp() override {
    Begin(IDC_CC_COMPARING, "File(s) Comparing");
    if (HasFatalFailure()) return;
    for (const char* folder : {"orig", "orig\\sub", "clone", "clone\\sub"})
      ASSERT_TRUE(CreateDirectoryA(Path(folder).c_str(), nullptr));
    const char* files[][2] = {{"orig\\a.txt", "same"}, {"clone\\a.txt", "same"},       {"orig\\b.txt", "one"},
                              {"clone\\b.txt", "two"}, {"orig\\c.txt", "alone"},       {"orig\\sub\\d.txt", "deeper"},
                              {"clone\\sub\\d.txt", "deeper"}};
    for (const auto& file : files) ASSERT_TRUE(WriteBytes(Path(file[0]), file[1]));
  }
};

TEST_F(FileComparingWindow, ComparesTwoFoldersAndWritesTheInformationFile) {
  const std::string f = session->folder, info = f + "\\info.txt";
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FC_ORIGINAL_GROUP, {f + "\\orig"}));
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FC_ORIGINAL_COUNT) == "3"; }, 5000, "original-count"));
  EXPECT_EQ(Text(dialog, IDC_FC_ORIGINAL), f + "\\orig\\*.*");

  // The same folder on the other side is refused at once.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FC_CLONE_GROUP, {f + "\\orig"}));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("No way!", IDOK, &message));
  EXPECT_EQ(message, "You Can't compare 'Me' with 'Myself'... get it?");
  EXPECT_EQ(Text(dialog, IDC_FC_CLONE), "");

  TypeInCombo(dialog, IDC_FC_CLONE, f + "\\clone");
  Click(Control(dialog, IDC_FC_RECURSIVE));
  Click(Control(dialog, IDC_FC_SAVE));
  SetText(Control(dialog, IDC_FC_INFO), info);
  EXPECT_EQ(Text(dialog, IDC_FC_INFO_BROWSE), "O&verwrite / CREATE");

  PostClick(Control(dialog, IDC_FC_COMPARE));
  ASSERT_TRUE(AnswerQuestion("Information Saved to file...", IDNO, &message));
  EXPECT_EQ(message, "Do you want to view the file with the more detailed information?");
  ASSERT_TRUE(WaitUntil([&] { return Text(dialog, IDC_FC_COMPARE) == "&Compare"; }, 5000, "compare-idle"));
  const std::pair<int, const char*> shown[] = {{IDC_FC_COMPARED, "3"},  {IDC_FC_UNMATCHED, "1"},
                                               {IDC_FC_CONTENTS, "1"},  {IDC_FC_SIZES, "0"},
                                               {IDC_FC_STATUS, "File Comparison done!"},
                                               {IDC_FC_INFO_BROWSE, "O&VERWRITE / Create"}};
  for (const auto& [id, text] : shown) EXPECT_EQ(Text(dialog, id), text) << id;
  Shot(dialog, "file-comparing-done");

  // The listing order is the file system's: each entry is looked for whole.
  const std::string o = f + "\\orig\\", c = f + "\\clone\\";
  const std::string entries[] = {
      "Comparing '" + o + "a.txt' and '" + c + "a.txt'\r\nThe size of each file are: 4 vs 4\r\n"
      "- They are Equal!... At least in content!\r\n\r\n",
      "Comparing '" + o + "b.txt' and '" + c + "b.txt'\r\nThe size of each file are: 3 vs 3\r\n"
      "- They have different content, starting at position 1\r\n\r\n",
      "Unable to find match for '" + o + "c.txt'\r\n\r\n",
      "Comparing '" + o + "sub\\d.txt' and '" + c + "sub\\d.txt'\r\nThe size of each file are: 6 vs 6\r\n"
      "- They are Equal!... At least in content!\r\n\r\n",
  };
  const std::string totals =
      "Total Number of files that were:\r\nCompared: 3          \r\nUnMatched: 1          \r\n"
      "Different Contents: 1          \r\nDifferent Sizes: 0";
  const std::string text = ReadBytes(info);
  size_t length = totals.size();
  for (const std::string& entry : entries) {
    EXPECT_NE(text.find(entry), std::string::npos) << entry;
    length += entry.size();
  }
  EXPECT_EQ(text.size(), length);
  EXPECT_EQ(text.substr(text.size() - std::min(text.size(), totals.size())), totals);
}

}  // namespace
