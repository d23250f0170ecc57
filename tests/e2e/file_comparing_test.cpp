// File(s) Comparing as a person uses it, to its information file.
#include "tests/e2e/command_center_steps.h"

using namespace e2e;

using FileComparingWindow = WindowTest;

TEST_F(FileComparingWindow, ComparesTwoFoldersAndWritesTheInformationFile) {
  ASSERT_NO_FATAL_FAILURE(Begin(IDC_CC_COMPARING, "File(s) Comparing"));
  for (const char* folder : {"orig", "orig\\sub", "clone", "clone\\sub"})
    ASSERT_TRUE(CreateDirectoryA(Path(folder).c_str(), nullptr));
  const char* files[][2] = {{"orig\\a.txt", "same"}, {"clone\\a.txt", "same"}, {"orig\\b.txt", "one"},
                            {"clone\\b.txt", "two"}, {"orig\\c.txt", "alone"}, {"orig\\sub\\d.txt", "deeper"},
                            {"clone\\sub\\d.txt", "deeper"}};
  for (const auto& file : files) ASSERT_TRUE(WriteBytes(Path(file[0]), file[1]));
  const std::string info = Path("info.txt");
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FC_ORIGINAL_GROUP, {Path("orig")}));
  Walk(dialog, {{kWaits, IDC_FC_ORIGINAL_COUNT, "3"}, {kSees, IDC_FC_ORIGINAL, Path("orig\\*.*")}});
  // The same folder on the other side is refused at once.
  ASSERT_TRUE(DropFiles(session->program, dialog, IDC_FC_CLONE_GROUP, {Path("orig")}));
  Walk(dialog, {{kAnswer, IDOK, "No way!", "You Can't compare 'Me' with 'Myself'"}, {kSees, IDC_FC_CLONE, ""},
                {kCombo, IDC_FC_CLONE, Path("clone")}, {kClick, IDC_FC_RECURSIVE}, {kClick, IDC_FC_SAVE},
                {kType, IDC_FC_INFO, info}, {kSees, IDC_FC_INFO_BROWSE, "O&verwrite / CREATE"},
                {kPost, IDC_FC_COMPARE}, {kAnswer, IDNO, "Information Saved to file..."},
                {kWaits, IDC_FC_COMPARE, "&Compare"}, {kSees, IDC_FC_COMPARED, "3"}, {kSees, IDC_FC_UNMATCHED, "1"},
                {kSees, IDC_FC_CONTENTS, "1"}, {kSees, IDC_FC_SIZES, "0"},
                {kSees, IDC_FC_STATUS, "File Comparison done!"}, {kSees, IDC_FC_INFO_BROWSE, "O&VERWRITE / Create"}});
  Shot(dialog, "file-comparing-done");
  const std::string text = ReadBytes(info);
  for (const std::string& entry : {"Unable to find match for '" + Path("orig\\c.txt") + "'\r\n\r\n",
                                   "Comparing '" + Path("orig\\sub\\d.txt") + "' and '" + Path("clone\\sub\\d.txt")})
    EXPECT_NE(text.find(entry), std::string::npos) << entry;
  EXPECT_TRUE(EndsWith(text, "Compared: 3          \r\nUnMatched: 1          \r\n"
                             "Different Contents: 1          \r\nDifferent Sizes: 0")) << text;
}

