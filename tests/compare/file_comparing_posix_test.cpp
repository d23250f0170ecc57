#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

#include "compare/file_comparing.h"
#include "frame/clock/clock_counters.h"
#include "frame/platform/emulation.h"
#include "frame/texts/text_numbers.h"
#include "tests/split/split_test_support.h"
#include "tests/support/cli_run_posix.h"

namespace {

using kst::CompareRefusal, kst::ComparingEnd, testenv::PatternBytes, testenv::WriteFile;

// A tree with every kind of pair.
struct CompareTree : ::testing::Test {
  void SetUp() override {
    splittest::UseSplitTexts();
    std::string changed = PatternBytes(2500, 7);
    changed[1000] ^= 1;  // the first byte of the second 1000-byte block
    for (const char* folder : {"orig", "orig\\sub", "orig\\sub\\deep", "orig\\sub2", "clone", "clone\\sub",
                               "clone\\sub\\deep", "clone\\g_dir.txt"})
      ASSERT_TRUE(plat::CreateFolder(W(folder)));
    const char* none = "none";  // the clone's side of an unmatched file
    const std::string files[][3] = {{"a_equal.txt", "hello world", "hello world"},
        {"b_content.bin", PatternBytes(2500, 7), changed}, {"c_size.txt", "abc", "abcdef"}, {"d_empty.txt", "", ""},
        {"e_halfempty.txt", "", "x"}, {"f_alone.txt", "solo", none}, {"g_dir.txt", "", none}, {".hidden", "x", "y"},
        {"sub\\n_equal.txt", "nested", "nested"}, {"sub\\deep\\m_diff.txt", "abcd", "abXd"},
        {"sub2\\s.txt", "s", none}};
    for (const auto& f : files)
      ASSERT_TRUE(WriteFile(W("orig\\" + f[0]), f[1]) && (f[2] == none || WriteFile(W("clone\\" + f[0]), f[2])));
    input = {W("orig"), W("clone"), true, true, W("info.txt"), true, true, 1000};
  }
  std::string W(const std::string& name) const { return scratch.Path(name); }
  kst::ComparingResult Run() {
    splittest::RunningJob running;
    return kst::RunComparing(input, running.job);
  }
  std::string Entry(const std::string& name, int64_t a, int64_t b, const std::string& lines) const {
    return "Comparing '" + W("orig\\" + name) + "' and '" + W("clone\\" + name) + "'\r\nThe size of each file are: " +
           std::to_string(a) + " vs " + std::to_string(b) + "\r\n" + lines + "\r\n";
  }
  std::string Unmatched(const std::string& name) const {
    return "Unable to find match for '" + W("orig\\" + name) + "'\r\n\r\n";
  }
  testenv::ScratchFolder scratch;
  kst::ComparingInput input;
};

// Linked folders in the original tree (one elsewhere, one a loop) are not entered.
TEST_F(CompareTree, InformationFileHoldsEveryPairAndTheTotals) {
  ASSERT_TRUE(plat::CreateFolder(W("elsewhere")) && WriteFile(W("elsewhere\\far.txt"), "far"));
  ASSERT_EQ(symlink(plat::EmuHostPath(W("elsewhere")).c_str(), plat::EmuHostPath(W("orig\\link")).c_str()), 0);
  ASSERT_EQ(symlink(plat::EmuHostPath(W("orig")).c_str(), plat::EmuHostPath(W("orig\\sub\\loop")).c_str()), 0);
  const kst::ComparingResult result = Run();
  ASSERT_EQ(result.end, ComparingEnd::Done);
  EXPECT_EQ(testenv::ReadFile(W("info.txt")),
      Entry("a_equal.txt", 11, 11, "- They are Equal!... At least in content!\r\n") +
      Entry("b_content.bin", 2500, 2500, "- They have different content, starting at position 1001\r\n") +
      Entry("c_size.txt", 3, 6, "- They have different sizes\r\n- Equal, as far as the shortest goes!\r\n") +
      Entry("d_empty.txt", 0, 0, "- At least one of them is 0 in file size!!\r\n") +
      Entry("e_halfempty.txt", 0, 1, "- They have different sizes\r\n- At least one of them is 0 in file size!!\r\n") +
      Unmatched("f_alone.txt") + Unmatched("g_dir.txt") +
      Entry("sub\\deep\\m_diff.txt", 4, 4, "- They have different content, starting at position 3\r\n") +
      Entry("sub\\n_equal.txt", 6, 6, "- They are Equal!... At least in content!\r\n") + Unmatched("sub2\\s.txt") +
      "Total Number of files that were:\r\nCompared: 7          \r\nUnMatched: 3          \r\n"
      "Different Contents: 2          \r\nDifferent Sizes: 2");
  EXPECT_TRUE(result.totalsWritten);
  EXPECT_EQ(result.counts.processed, 10);
  EXPECT_EQ(result.originalFiles, 10);
  EXPECT_EQ(kst::Clock(kst::kClockComparing).total.load(), 2500 + 11 + 3 + 4 + 6 + 4 + 1);
}

// Refused before anything is read or written.
TEST_F(CompareTree, RefusalsTouchNothing) {
  const std::string o = W("orig"), c = W("clone"), i = W("info.txt"), a = o + "\\a_equal.txt";
  using R = CompareRefusal;
  struct Case { std::string original, clone, info; bool recursive; R refusal; } cases[] = {
      {"", c, i, true, R::BlankOriginal}, {o, "   ", i, true, R::BlankClone}, {o + "x", c, i, true, R::MissingOriginal},
      {o + "\\f_alone.txt", c + "\\f_alone.txt", i, true, R::MissingClone}, {o, o + "\\", i, true, R::SamePath},
      {o, kst::UpperCase(o), i, true, R::SamePath}, {o, c + "\\..\\orig", i, true, R::SamePath},
      {a, o + "\\A_EQUAL.TXT", i, true, R::SamePath}, {o, "R:\\", i, true, R::SamePath},  // R: is the original folder
      {a, "R:\\a_equal.txt", i, true, R::SamePath}, {o, c, " ", true, R::BlankInfo}, {o, c, c, true, R::BlankInfo},
      {o, c, a, false, R::InfoIsCompared}, {o, c, c + "\\sub\\n_equal.txt", true, R::InfoIsCompared},
      {a, c + "\\c_size.txt", c + "\\c_size.txt", false, R::InfoIsCompared},
  };
  plat::EmuMapDrive('R', plat::EmulatedDrive{plat::EmuHostPath(o)});
  for (const Case& r : cases) {
    SCOPED_TRACE(r.original + " | " + r.clone + " | " + r.info);
    input = {r.original, r.clone, r.recursive, true, r.info};
    splittest::ScriptedPerson person;
    const kst::ComparingResult result = Run();
    EXPECT_EQ(result.end, ComparingEnd::Refused);
    EXPECT_EQ(result.refusal, r.refusal);
    EXPECT_FALSE(plat::PathExists(W("info.txt")));
    EXPECT_EQ(testenv::ReadFile(o + "\\a_equal.txt"), "hello world");
    EXPECT_EQ(testenv::ReadFile(W("clone\\c_size.txt")), "abcdef");
    EXPECT_TRUE(person.asked.empty());  // the window tells, through TellRefusal
  }
  plat::EmuUnmapDrive('R');
  // A new information file inside a compared folder is made, and left out.
  input = kst::ComparingInput{o, c, true, true, o + "\\new_info.txt"};
  const kst::ComparingResult result = Run();
  EXPECT_EQ(result.end, ComparingEnd::Done);
  EXPECT_EQ(result.originalFiles, 10);
  EXPECT_EQ(testenv::ReadFile(o + "\\new_info.txt").find("new_info"), std::string::npos);
}

// A file that cannot be read in full is "unavailable"; a failing
// information file stops the run without the closing question.
TEST_F(CompareTree, ReadAndWriteFaults) {
  input.recursive = false;
  // A short read that reports success, of one block or of the block that differs.
  for (const auto& [skip, where, name, size, different] : {std::tuple{0, "clone\\a_equal.txt", "a_equal.txt", 11, 2},
                                                           {1, "orig\\b_content.bin", "b_content.bin", 2500, 1}}) {
    plat::EmuInjectFault(plat::Fault::ShortRead, skip, where);
    EXPECT_EQ(Run().counts.differentContents, different) << where;
    plat::EmuClearFaults();
    EXPECT_NE(testenv::ReadFile(W("info.txt")).find(Entry(name, size, size,
                  "- At least one of them was unavailable for reading!\r\n")), std::string::npos) << where;
  }
  splittest::ScriptedPerson person({kst::kAnswerYes});
  plat::EmuInjectFault(plat::Fault::DiskFull, 1, "info.txt");
  const kst::ComparingResult failed = Run();
  plat::EmuClearFaults();
  EXPECT_EQ(failed.end, ComparingEnd::InfoWriteFailed);
  EXPECT_FALSE(failed.totalsWritten);
  EXPECT_EQ(failed.counts.processed, 1);  // the second entry would not go in
  ASSERT_EQ(person.asked.size(), 1u);
  EXPECT_EQ(person.asked[0].message, "Unable to save information to file! Aborting!!!");
  EXPECT_FALSE(kst::TellRunEnd(input, failed, nullptr));
  EXPECT_EQ(person.asked.size(), 1u);
}

// Shown or not, empty files are always told in the information file.
TEST_F(CompareTree, RunEndAsksAboutTheFileOrPointsAtDifferencesAndShowOptionsLeaveOutEqualAndUnmatchedPairs) {
  struct Case { bool saveInfo; std::string original, clone, heading; bool open; } cases[] = {  // heading "": no box
      {true, W("orig"), W("clone"), "Information Saved to file...", true},
      {false, W("orig"), W("clone"), "There were issues...", false},
      {false, W("orig\\a_equal.txt"), W("clone\\a_equal.txt"), "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.original);
    input = {c.original, c.clone, false, c.saveInfo, W("info.txt"), false, false};
    splittest::ScriptedPerson person({kst::kAnswerYes});
    const kst::ComparingResult result = Run();
    EXPECT_EQ(kst::TellRunEnd(input, result, nullptr), c.open);
    ASSERT_EQ(person.asked.size(), c.heading.empty() ? 0u : 1u);
    EXPECT_EQ(person.asked.empty() ? "" : person.asked[0].heading, c.heading);
  }
  const std::string text = testenv::ReadFile(W("info.txt"));  // of the first case
  for (const char* out : {"a_equal.txt", "Unable to find match", "sub\\"}) EXPECT_EQ(text.find(out), text.npos) << out;
  EXPECT_TRUE(text.find("d_empty.txt") != text.npos && text.find("Compared: 5 ") != text.npos) << text;
}

TEST_F(CompareTree, AbortStopsAfterThePairInHand) {
  splittest::RunningJob running;
  splittest::RecordedBar total;
  kst::ComparingScreen screen;
  screen.totalBar = &total.sink;
  screen.pair = [&running](const kst::PairOutcome&) { running.job.keepGoing = false; };
  const kst::ComparingResult result = kst::RunComparing(input, running.job, screen);
  EXPECT_EQ(result.end, ComparingEnd::Aborted);
  EXPECT_EQ(result.counts.processed, 1);
  EXPECT_EQ(total.ranges, std::vector<int>{10});
  EXPECT_EQ(total.positions.back(), 1);
  EXPECT_NE(testenv::ReadFile(W("info.txt")).find("Compared: 1 "), std::string::npos);
}

// What cannot be read, reached or named is trouble: told, counted, written
// into the information file, and never counted as equal nor unmatched.
TEST_F(CompareTree, UnreadableUnreachableAndUnnamablePartsAreTrouble) {
  const std::string longName(120, 'q'), host = plat::EmuHostPath(W("orig")) + "/";
  // In order: each case keeps what the ones before it made.
  struct Case { const char* name; std::function<void()> stage; int32_t compared, unmatched, differentContents;
                int64_t troubles; const char* told; } cases[] = {
      {"an original subfolder", [] { plat::EmuInjectFault(plat::Fault::ListFails, 0, "\\orig\\sub\\"); },
       5, 3, 1, 1, "Unable to read the folder"},
      {"the original folder", [] { plat::EmuInjectFault(plat::Fault::ListFails, 0, "\\orig\\"); }, 0, 0, 0, 1,
       "Unable to read the folder"},
      {"a folder past the path limit", [&] { std::filesystem::create_directories(host + longName + "/" + longName); },
       7, 3, 2, 1, "deeper than 128 levels or its path is too long"},
      {"a name holding backslashes", [&] { std::ofstream(host + "x\\..\\a_equal.txt") << "hello world"; }, 7, 3, 2, 2,
       "Windows can't hold this name"},
      {"a clone's file that will not open", [this] {
         ASSERT_TRUE(plat::CreateFolder(W("clone\\sub2")) && WriteFile(W("clone\\sub2\\s.txt"), "s"));
         plat::EmuInjectFault(plat::Fault::OpenFails, 0, "\\clone\\sub2\\s.txt");
       }, 8, 2, 3, 2, "was unavailable for reading"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.stage();
    const kst::ComparingResult result = Run();
    plat::EmuClearFaults();
    EXPECT_EQ(result.troubles, c.troubles);
    EXPECT_EQ(result.counts.compared, c.compared);
    EXPECT_EQ(result.counts.unmatched, c.unmatched);
    EXPECT_EQ(result.counts.differentContents, c.differentContents);
    EXPECT_NE(testenv::ReadFile(W("info.txt")).find(c.told), std::string::npos);
    splittest::ScriptedPerson person;
    kst::TellRunEnd(input, result, nullptr);
    ASSERT_FALSE(person.asked.empty());
    EXPECT_EQ(person.asked[0].heading, "Not everything was compared!");
  }
}

TEST_F(CompareTree, AnInformationFileThatIsALinkOrAComparedFileIsLeftWhole) {
  struct Case { const char* compared; bool hard; } cases[] = {
      {"clone\\a_equal.txt", false}, {"clone\\sub\\n_equal.txt", true}, {"orig\\c_size.txt", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.compared);
    const std::string file = plat::EmuHostPath(W(c.compared)), info = plat::EmuHostPath(W("info.txt"));
    const std::string before = testenv::ReadFile(W(c.compared));
    unlink(info.c_str());
    ASSERT_EQ(c.hard ? link(file.c_str(), info.c_str()) : symlink(file.c_str(), info.c_str()), 0);
    splittest::ScriptedPerson person;
    EXPECT_EQ(Run().end, ComparingEnd::InfoOpenFailed);
    EXPECT_EQ(testenv::ReadFile(W(c.compared)), before);
    ASSERT_EQ(person.asked.size(), 1u);
    EXPECT_NE(person.asked[0].message.find("Unable to open file for save list!"), std::string::npos);
  }
}

struct CompareCli : testenv::CliTest {
  void SetUp() override {
    CliTest::SetUp();
    for (const char* folder : {"o", "c", "d", "h"}) ASSERT_TRUE(plat::CreateFolder(Win(folder)));
    const char* files[][2] = {{"o\\a.txt", "x"}, {"o\\b.txt", "yy"}, {"c\\a.txt", "x"}, {"c\\b.txt", "yy"},
                              {"d\\a.txt", "x"}, {"d\\b.txt", "yz"}, {"h\\a.txt", "x"}};
    for (const auto& f : files) ASSERT_TRUE(testenv::WriteFile(Win(f[0]), f[1]));
    ASSERT_TRUE(std::ofstream(host + "/h/b\\..\\a.txt"));
    ASSERT_EQ(link((host + "/d/b.txt").c_str(), (host + "/hard.txt").c_str()), 0);
  }
};

TEST_F(CompareCli, ExitCodesAndWhatIsSaid) {
  const struct { const char* arguments; int exit; const char* says; } cases[] = {
      {"o c", 0, "compared 2, unmatched 0, different contents 0, different sizes 0"}, {"o d", 1, "differ: "},
      {"o d --pattern a.txt", 0, "compared 1,"}, {"o/a.txt c/a.txt", 0, "compared 1,"},
      {"o/b.txt d/a.txt", 1, "different contents 1, different sizes 1"}, {"o o/", 1, "the same files"},
      {"o nope", 2, "nope: no such file or folder"}, {"o c --bogus", 2, "unknown option: --bogus"},
      {"o", 2, "give the original and the clone"}, {"o/a.txt c --pattern a.txt", 2, "--pattern goes with a folder"},
      {"o c --info c/a.txt --pattern '*.*'", 1, "is one of the files compared"},
      {"o d --info hard.txt", 2, "one of the files compared, under another name"},
      {"h c", 2, "Windows can't hold this name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Run(std::string("compare ") + c.arguments), c.exit) << said;
    EXPECT_NE(said.find(c.says), std::string::npos) << said;
  }
  EXPECT_EQ(testenv::ReadFile(Win("c\\a.txt")), "x");
  EXPECT_EQ(testenv::ReadFile(Win("d\\b.txt")), "yz");
  EXPECT_EQ(Run("compare o d --info info.txt"), 1) << said;
  const std::string d = plat::EmuWindowsPath(host + "/d") + "\\";  // as the window writes it
  EXPECT_NE(testenv::ReadFile(Win("info.txt")).find("and '" + d + "b.txt'\r\nThe size of each file are: 2 vs 2\r\n"
            "- They have different content, starting at position 2\r\n\r\n"), std::string::npos);
}

}  // namespace
