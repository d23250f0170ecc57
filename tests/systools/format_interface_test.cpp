#include "systools/format_interface.h"

#include <gtest/gtest.h>

#include <map>

#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"

namespace kst {
namespace {

// Drives A:, B: and E: removable, C: fixed; the format call answers `answer`.
struct FakeDrives {
  std::map<char, uint32_t> types = {{'A', plat::kDriveRemovable}, {'B', plat::kDriveRemovable},
                                    {'C', plat::kDriveFixed}, {'E', plat::kDriveRemovable}};
  uint32_t answer = 0;
  std::vector<int> formatted;
  std::vector<std::string> boxes;  // "title: text"
  std::vector<bool> flags;         // the formatting hook, in order
  std::function<void()> duringFormat;

  FormatSystem System() {
    FormatSystem s;
    s.driveType = [this](const std::string& root) { return types.count(root[0]) ? types[root[0]] : 1u; };
    s.format = [this](int number) {
      formatted.push_back(number);
      if (duringFormat) duringFormat();
      return answer;
    };
    s.systemBox = [this](const std::string& title, const std::string& text) { boxes.push_back(title + ": " + text); };
    s.formatting = [this](bool on) { flags.push_back(on); };
    s.windowsFolder = "C:\\windows";
    s.startFolder = "E:\\Kestrova";
    return s;
  }
};

class FormatInterfaceRuns : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltInTexts();
    SetAskHandler([this](const AskRequest& r) { return asked.push_back(r.heading), askAnswer; });
    LoadDrives(fi, {"A:\\", "B:\\", "E:\\"});
  }
  void TearDown() override { SetAskHandler(nullptr); }
  FakeDrives drives;
  FormatInterface fi;
  std::vector<std::string> asked;
  int askAnswer = kAnswerNo;
};

TEST_F(FormatInterfaceRuns, EveryAnswerOfTheFormat) {
  const struct {
    const char* what;
    int drive;
    uint32_t answer;
    FormatOutcome outcome;
    std::vector<std::string> boxes;
    size_t formats;
  } cases[] = {
      {"cannot format", 0, kFormatImpossible, FormatOutcome::Impossible,
       {"No formatting possible!: Drive A: is not formatable!"}, 1},
      {"error", 1, kFormatError, FormatOutcome::Failed,
       {"Unsuccessful format!: Error on format, although drive may be formatable!"}, 1},
      {"cancelled", 0, kFormatCancelled, FormatOutcome::Done, {}, 1},
      {"done", 0, 0, FormatOutcome::Done, {}, 1},
      {"an answer that is merely negative", 0, 0xFFFFFFFC, FormatOutcome::Done, {}, 1},
      {"the start folder's drive", 2, 0, FormatOutcome::Refused,
       {"No formatting possible!: Drive E: is not formatable!"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    drives = FakeDrives{};
    drives.answer = c.answer;
    ASSERT_TRUE(ChooseDrive(fi, drives.System(), c.drive));
    EXPECT_EQ(FormatSelected(fi, drives.System()), c.outcome);
    EXPECT_EQ(drives.boxes, c.boxes);
    EXPECT_EQ(drives.formatted.size(), c.formats);
    EXPECT_FALSE(fi.formatting);
    EXPECT_TRUE(fi.drives[c.drive].available);
    if (c.formats) {
      EXPECT_EQ(drives.flags, (std::vector<bool>{true, false}));
    }
  }
}

TEST_F(FormatInterfaceRuns, NeverAFixedOrSystemDrive) {
  FormatSystem system = drives.System();
  drives.types['B'] = plat::kDriveFixed;  // the letter now names a hard disk
  ChooseDrive(fi, system, 1);
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Refused);
  system.windowsFolder = "a:\\WIN";
  ChooseDrive(fi, system, 0);
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Refused);
  EXPECT_TRUE(drives.formatted.empty());
  EXPECT_EQ(drives.boxes.size(), 2u);
}

TEST_F(FormatInterfaceRuns, ASecondPressWhileFormattingStartsNothing) {
  FormatSystem system = drives.System();
  FormatOutcome second = FormatOutcome::Done;
  bool closeAllowed = true, viewAllowed = true;
  askAnswer = kAnswerNo;
  // The system's dialog is open: the window still takes presses.
  drives.duringFormat = [&] {
    second = FormatSelected(fi, system);
    closeAllowed = MayClose(fi);
    viewAllowed = MayView(fi);
  };
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Done);
  EXPECT_EQ(second, FormatOutcome::OneAtATime);
  EXPECT_EQ(drives.formatted.size(), 1u);
  ASSERT_EQ(drives.boxes.size(), 1u);
  EXPECT_EQ(drives.boxes[0].substr(0, 28), "No more than one at a time!:");
  EXPECT_FALSE(closeAllowed);
  EXPECT_FALSE(viewAllowed);
  EXPECT_EQ(asked, (std::vector<std::string>{"You do it!", "You do really want to do it!"}));
  EXPECT_TRUE(MayClose(fi));  // after the format
  EXPECT_TRUE(MayView(fi));
}

TEST_F(FormatInterfaceRuns, ABusyDriveAsksFirst) {
  FormatSystem system = drives.System();
  system.inUse = [](const std::string& name) { return name == "B:"; };
  askAnswer = kAnswerNo;
  EXPECT_FALSE(ChooseDrive(fi, system, 1));
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Declined);
  EXPECT_TRUE(drives.formatted.empty());
  askAnswer = kAnswerYes;
  EXPECT_TRUE(ChooseDrive(fi, system, 1));
  EXPECT_EQ(FormatSelected(fi, system), FormatOutcome::Done);
  EXPECT_EQ(drives.formatted, (std::vector<int>{1}));
  EXPECT_EQ(asked.size(), 4u);  // at the choice and again at the press
}

TEST_F(FormatInterfaceRuns, AnEmptyListFormatsNothing) {
  LoadDrives(fi, {});
  EXPECT_EQ(fi.selected, -1);
  EXPECT_FALSE(ChooseDrive(fi, drives.System(), 0));
  EXPECT_EQ(FormatSelected(fi, drives.System()), FormatOutcome::NoDrive);
  LoadDrives(fi, {"x", "?:\\", "d:\\"});
  ASSERT_EQ(fi.drives.size(), 1u);
  EXPECT_EQ(fi.drives[0].name, "D:");
  EXPECT_EQ(fi.drives[0].number, 3);
}

}  // namespace
}  // namespace kst
