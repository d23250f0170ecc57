#include "systools/format_interface.h"

#include <gtest/gtest.h>

#include <map>

#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"

namespace kst {
namespace {

// A:, B: and E: removable, C: fixed, the program started from E:.
struct FormatInterfaceRuns : ::testing::Test {
  void SetUp() override {
    LoadBuiltInTexts();
    SetAskHandler([this](const AskRequest& r) { return asked.push_back(r.heading), askAnswer; });
    LoadDrives(fi, {"A:\\", "B:\\", "E:\\"});
    system.driveType = [this](const std::string& root) { return types.count(root[0]) ? types[root[0]] : 1u; };
    system.format = [this](int number) {
      formatted.push_back(number);
      if (duringFormat) duringFormat();
      return answer;
    };
    system.systemBox = [this](const std::string& title, const std::string& text) { boxes.push_back(title + ": " + text); };
    system.formatting = [this](bool on) { flags.push_back(on); };
    system.windowsFolder = "C:\\windows";
    system.startFolder = "E:\\Kestrova";
  }
  void TearDown() override { SetAskHandler(nullptr); }

  std::map<char, uint32_t> types = {{'A', plat::kDriveRemovable}, {'B', plat::kDriveRemovable},
                                    {'C', plat::kDriveFixed}, {'E', plat::kDriveRemovable}};
  uint32_t answer = 0;
  std::vector<int> formatted;
  std::vector<std::string> boxes, asked;  // boxes: "title: text"
  std::vector<bool> flags;                // the formatting hook, in order
  std::function<void()> duringFormat;
  FormatSystem system;
  FormatInterface fi;
  int askAnswer = kAnswerNo;
};

// Never a drive that is fixed now, nor the drive of Windows or the program.
TEST_F(FormatInterfaceRuns, EveryAnswerOfTheFormat) {
  const std::string win = "C:\\windows", no = "No formatting possible!: Drive ";
  using O = FormatOutcome;
  const struct { const char* what; int drive; uint32_t answer; std::string windows; bool fixedNow; O outcome;
    std::vector<std::string> boxes; } cases[] = {
      {"cannot format", 0, kFormatImpossible, win, false, O::Impossible, {no + "A: is not formatable!"}},
      {"error", 1, kFormatError, win, false, O::Failed,
       {"Unsuccessful format!: Error on format, although drive may be formatable!"}},
      {"cancelled", 0, kFormatCancelled, win, false, O::Done, {}},
      {"done", 0, 0, win, false, O::Done, {}},
      {"an answer that is merely negative", 0, 0xFFFFFFFC, win, false, O::Done, {}},
      {"the start folder's drive", 2, 0, win, false, O::Refused, {no + "E: is not formatable!"}},
      {"Windows's drive", 0, 0, "a:\\WIN", false, O::Refused, {no + "A: is not formatable!"}},
      {"a letter that now names a hard disk", 1, 0, win, true, O::Refused, {no + "B: is not formatable!"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    boxes.clear(), formatted.clear(), flags.clear();
    answer = c.answer;
    system.windowsFolder = c.windows;
    types['B'] = c.fixedNow ? plat::kDriveFixed : plat::kDriveRemovable;
    ASSERT_TRUE(ChooseDrive(fi, system, c.drive));
    EXPECT_EQ(FormatSelected(fi, system), c.outcome);
    EXPECT_EQ(boxes, c.boxes);
    const bool formats = c.outcome != O::Refused;
    EXPECT_EQ(formatted.size(), formats ? 1u : 0u);
    EXPECT_TRUE(!fi.formatting && fi.drives[c.drive].available);
    EXPECT_EQ(flags, formats ? (std::vector<bool>{true, false}) : std::vector<bool>{});
  }
}

// The system's dialog is open: the window still takes presses.
TEST_F(FormatInterfaceRuns, ASecondPressWhileFormattingStartsNothing) {
  FormatOutcome second = FormatOutcome::Done;
  bool closeAllowed = true, viewAllowed = true;
  duringFormat = [&] { second = FormatSelected(fi, system), closeAllowed = MayClose(fi), viewAllowed = MayView(fi); };
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Done);
  EXPECT_EQ(second, FormatOutcome::OneAtATime);
  EXPECT_EQ(formatted.size(), 1u);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].substr(0, 28), "No more than one at a time!:");
  EXPECT_FALSE(closeAllowed || viewAllowed);
  EXPECT_EQ(asked, (std::vector<std::string>{"You do it!", "You do really want to do it!"}));
  EXPECT_TRUE(MayClose(fi) && MayView(fi));  // after the format
}

TEST_F(FormatInterfaceRuns, ABusyDriveAsksFirstAndAnEmptyListFormatsNothing) {
  system.inUse = [](const std::string& name) { return name == "B:"; };
  EXPECT_FALSE(ChooseDrive(fi, system, 1));
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Declined);
  askAnswer = kAnswerYes;
  EXPECT_TRUE(ChooseDrive(fi, system, 1));
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Done);
  EXPECT_EQ(formatted, (std::vector<int>{1}));  // not the declined one
  EXPECT_EQ(asked.size(), 4u);  // at the choice and again at the press

  LoadDrives(fi, {});
  EXPECT_FALSE(ChooseDrive(fi, system, 0));
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::NoDrive);
  LoadDrives(fi, {"x", "?:\\", "d:\\"});
  ASSERT_EQ(fi.drives.size(), 1u);
  EXPECT_EQ(fi.drives[0].name + " " + std::to_string(fi.drives[0].number), "D: 3");
}

}  // namespace
}  // namespace kst
