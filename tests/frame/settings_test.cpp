#include "frame/settings/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <tuple>

#include "frame/platform/platform.h"
#include "frame/texts/language_files.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadBuiltInTexts();
    SetAskHandler([this](const AskRequest& r) { return asked.push_back(r), answer; });
  }
  void TearDown() override { SetAskHandler(nullptr); }
  std::vector<AskRequest> asked;
  int answer = kAnswerOk;
};

// Makes the current folder another one for as long as it lives.
struct InFolder {
  explicit InFolder(const std::string& folder) : before(plat::CurrentFolder()) { plat::SetCurrentFolder(folder); }
  ~InFolder() { plat::SetCurrentFolder(before); }
  std::string before;
};

std::string FileText(const Settings& settings) {
  std::string text;
  for (const std::string& line : SettingsLines(settings)) text += line;
  return text;
}

// An Arial font of this height and weight, in the file's fixed-width fields.
std::string FontLines(int height, int weight) {
  char lines[64];
  snprintf(lines, sizeof lines, "FontC=Arial\r\nFontI=%9d%9d\r\n", height, weight);
  return lines;
}
const char* const kNoFontI = "FontI=0        0        0        0        0        0";

Settings ReadBack(const std::string& bytes, Settings settings = Settings()) {
  return ReadSettingsText(settings, bytes), settings;
}

std::string Written(const Settings& s, const std::string& key) {
  for (const std::string& line : SettingsLines(s))
    if (line.compare(0, key.size() + 1, key + "=") == 0) {
      size_t value = line.find_first_not_of(' ', key.size() + 1);
      return key + "=" + line.substr(value, line.size() - 2 - value);
    }
  return "";
}

Settings AllChanged() {
  Settings s;
  s.language = "C:\\Program Files\\Kestrova\\KSTVFR.LNG", s.topmost[0] = 1, s.topmost[11] = 1, s.topmost[5] = -1;
  s.winPos[0] = 120, s.winPos[1] = 0, s.winPos[23] = -1200;
  s.winSize = {0, 0, 800, 600, -4, -4, 1028, 772, 1, 2, 99999}, s.maximized[2] = 1, s.maximized[4] = -1;
  s.colors[0].textBackground = {1, 2, 3}, s.colors[6].text = {0, 0, 0}, s.colors[11].dialogBackground.blue = 255;
  s.ywt = -3600, s.buffSize = 1048576, s.listSizes = 1024, s.maxSizeToCopy = 16384;
  s.silentP = s.coloring = s.scrSaver = true, s.noSounds = 2, s.scrSaverI = 2, s.scrSaverL = {1, 0, 1, 1};
  s.scrSaverC = "C:\\WINDOWS\\SYSTEM\\Mystify.scr", s.fontC = "Courier New", s.fontI = {-13, 700, 1, 0, 1, 238};
  s.fsFileName = "D:\\video\\holiday.avi", s.fsFolder = "A:\\", s.fsJoinLog = s.fsAutoLink = s.checkFile = false;
  s.fsFileNameList.entries = {"D:\\a.avi", "D:\\b c.avi"}, s.fsFolderList.entries = {"A:\\", "E:\\out", "F:\\x"};
  s.bSaveListNames = {"C:\\lists\\one.lst", "C:\\lists\\two.lst"}, s.bTmpFolder = "C:\\TEMP";
  s.bTmpFolderList.entries = {"C:\\TEMP"}, s.bDestFolderList.entries = {"A:\\", "B:\\backup"};
  s.bSaveListLog = true, s.bJoinLog = false, s.safeSpace = 6000000000LL;
  s.rDestFolder = "C:\\restored", s.rDestFolderList.entries = {"C:\\restored", "C:\\r2"};
  s.rOrigFolderList.entries = {"A:\\"}, s.rAutoJoin = s.rAutoJoinDel = s.rAutoName = s.rCopyAll = s.rKeepStruct = false;
  s.rDeleteEnd = true, s.rDelAfterJoin = false, s.tdTmpFolder = "R:\\";
  s.csFile = "C:\\orig\\*.*", s.cRecur = s.cSave = true, s.csShowComp = s.csShowUnM = false;
  s.cOrigFileList.entries = {"C:\\orig\\*.*", "C:\\o2"}, s.cCloneFileList.entries = {"A:\\*.*"};
  s.esFile = "C:\\base", s.eRecur = false, s.eSave = s.esSimulation = true;
  s.w2dNameList[0].entries = {"C:\\in.bin"}, s.w2dNameList[1].entries = {"C:\\o.wav", "C:\\p.wav"};
  s.w2dNameList[2].entries = {"C:\\in.wav"}, s.w2dNameList[3].entries = {"C:\\extracted"};
  return s;
}

std::map<std::string, std::string> LinesByKey(const Settings& s) {
  std::map<std::string, std::string> keys;
  for (int k = 1; k <= kSettingsKeyCount; ++k) keys[SettingsKeyName(k)];
  for (const std::string& line : SettingsLines(s)) keys[line.substr(0, line.find('='))] += line;
  return keys;
}

RememberedList FiveOfFive() { return {5, {"A:\\one", "A:\\two", "A:\\three", "A:\\four", "A:\\five"}}; }

}  // namespace

// Each key read alone gives back its own lines and changes no other key.
TEST_F(SettingsFile, EveryKeyReadsBackTheValueWrittenInFixedWidthFieldsWithCrLfAndNoTrailingBlanks) {
  const Settings all = AllChanged();
  const auto changed = LinesByKey(all), defaults = LinesByKey(Settings());
  ASSERT_EQ(changed.size(), static_cast<size_t>(kSettingsKeyCount));
  for (const auto& [key, lines] : changed) {
    SCOPED_TRACE(key);
    ASSERT_NE(lines, defaults.at(key));
    auto expected = defaults;
    expected[key] = lines;
    EXPECT_EQ(LinesByKey(ReadBack(lines)), expected);
  }

  // Key names in any case, with blanks before "=", are the same keys.
  std::string lower;
  for (std::string line : SettingsLines(all)) {
    size_t equals = line.find('=');
    for (size_t i = 0; i < equals; ++i) line[i] = static_cast<char>(tolower(line[i]));
    lower += line.insert(equals, "    ");
  }
  EXPECT_EQ(ReadBack(lower), all);

  // Through the disk, over an older and longer file that must leave no tail.
  ScratchFolder dir;
  Settings written = all;
  written.settingsPath = dir.Path("Kestrova.INI");
  ASSERT_TRUE(testenv::WriteFile(written.settingsPath, std::string(20000, 'x')) && WriteSettings(written, nullptr));
  EXPECT_EQ(testenv::ReadFile(written.settingsPath), FileText(all));
  EXPECT_TRUE(asked.empty());

  // A number too wide for its field keeps its sign and leading digits.
  Settings s = all;
  s.language = "C:\\Kestrova\\KSTVDE.LNG     ", s.fsFolderList.entries[1] = "E:\\out   ";
  s.fsFileName = "  D:\\leading blanks stay", s.winPos[0] = -32000, s.ywt = -2000000000;
  s.bSaveListNames[0] = "C:\\one.lst\r\nBuffSize=1";  // a line break cannot reach the file
  std::string text = "\r\n" + FileText(s), defaultText = "\r\n" + FileText(Settings());
  EXPECT_TRUE(text.find(" \r\n") == std::string::npos && text.find("BuffSize=1\r") == std::string::npos);
  for (const char* line :
       {"\r\nLANGUAGE=C:\\Kestrova\\KSTVDE.LNG\r\n", "\r\nFSFolderList=02E:\\out\r\n",
        "\r\nFSFileName=  D:\\leading blanks stay\r\n", "\r\nWINPOS=-9999     0    -1",
        "\r\nYWT=-999999999\r\n", "\r\nBSaveListNames(1)=C:\\one.lst\r\n", "\r\nSilentP=-1\r\n",
        "\r\nFSJoinLog= 0\r\n", "\r\nSafeSpace=          6000000000\r\n",
        "\r\nFontI=      -13      700        1        0        1      238\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  for (const char* line :
       {"\r\nTOPMOST= 0 0 0 0 0 0 0 0 0 0 0 0\r\n", "\r\nWINSZ=    0    0",
        "\r\nMAXIMIZED= 0 0 0 0 0\r\n", "\r\nScrSaverL= 0 0 0 0\r\n", "\r\nNoSounds=0\r\n",
        "\r\nCOLORS=  38 250 255   0   0   0  38 250 255 253  43  64 255 255 255 253  19  43"})
    EXPECT_NE(defaultText.find(line), std::string::npos) << line;
}

// Read over a record unlike the defaults: each "KEY=value" listed is then written so; none: nothing changes.
TEST_F(SettingsFile, OddAndDamagedInputChangesOnlyWhatItValidlyCan) {
  struct Case { std::string bytes; std::vector<std::string> expect; };
  // Any odd number sets a flag on; a number is its digits wherever they stand,
  // clamped, never wrapped round; sizes of 0 or less are the default, no more
  // than the dialogs allow; other values out of range leave the value before.
  const Case cases[] = {
      {"SilentP=7", {"SilentP=-1"}}, {"SilentP=2", {"SilentP=0"}}, {"SilentP=", {"SilentP=0"}},
      {"YWT=4x2y", {"YWT=42"}}, {"YWT=12-", {"YWT=-12"}}, {"YWT=abc", {"YWT=0"}},
      {"YWT=99999999999999999999999999999999999999990", {"YWT=2147483647"}},
      {"YWT=-99999999999999999999999999999999999999990", {"YWT=-999999999"}},
      {"SafeSpace=9999999999999999999999999999999999999999", {"SafeSpace=9223372036854775807"}},
      {"BuffSize=-4096", {"BuffSize=512000"}}, {"ListSizes=-1", {"ListSizes=256"}},
      {"BuffSize=9999999999999999999999999999999999999999", {"BuffSize=20971520"}},
      {"ListSizes=2000000000", {"ListSizes=16384"}}, {"MaxSizeToCopy=0", {"MaxSizeToCopy=400"}},
      {"MaxSizeToCopy=50000000", {"MaxSizeToCopy=20971520"}}, {"NoSounds=3", {"NoSounds=2"}},
      {"NoSounds=1", {"NoSounds=1"}}, {"ScrSaverI=17", {"ScrSaverI=0"}}, {"SafeSpace=-5", {"SafeSpace=4096"}},
      {"", {}}, {"\r\n\n\r\r\n", {}}, {"=", {}}, {"BuffSize 2048\r\n", {}}, {" BuffSize=2048\r\n", {}},
      {"BufSize=2048\r\nLanguageURL=x\r\n", {}}, {"BuffSizeBuffSizeBuffSize=2048\r\n", {}},
      {"BuffSize=2048", {"BuffSize=2048"}}, {"ListSizes=300\nBuffSize=2048\n", {"ListSizes=300", "BuffSize=2048"}},
      {"BuffSize=2048\rListSizes=300\r", {"BuffSize=2048", "ListSizes=777"}},
      {std::string("FSFileName=C:\\a\0b\r\n", 19), {"FSFileName=C:\\a"}},
      {"BuffSize" + std::string(5000, ' ') + "=2048", {"BuffSize=2048"}},
      {"LANGUAGE=" + std::string(700, 'a') + "\r\nBuffSize=2048",
       {"LANGUAGE=" + std::string(260, 'a'), "BuffSize=2048"}},
      {"BuffSize=" + std::string(519, ' ') + "12", {"BuffSize=1"}},  // cut at 520
      {"FontC=" + std::string(40, 'F'), {"FontC=" + std::string(32, 'F')}},
      // A font nobody can read gives way to the templates' font, face and all.
      {FontLines(-5000, 400), {"FontC=", kNoFontI}}, {FontLines(-13, 5000), {"FontC=", kNoFontI}},
      {FontLines(5, 0), {"FontC=", kNoFontI}}, {FontLines(-145, 0), {"FontC=", kNoFontI}},
      {FontLines(-13, -1), {"FontC=", kNoFontI}}, {FontLines(0, 0), {"FontC=Arial", kNoFontI}},
      {FontLines(-2147483647 - 1, 400), {"FontC=", kNoFontI}},
      {"FontI=      -13     5000\r\nFontC=Arial\r\n", {"FontC=", kNoFontI}},
      {FontLines(-144, 1000), {"FontC=Arial", "FontI=-144     1000        0        0        0        0"}},
      {FontLines(6, 0), {"FontC=Arial", "FontI=6        0        0        0        0        0"}},
      {testenv::PatternBytes(4096, 7) + "\r\nBuffSize=2048\r\n", {"BuffSize=2048"}},
      {"FSFolder=C:\\a=b\r\n", {"FSFolder=C:\\a=b"}}, {"BuffSize=1000\r\nBuffSize=2048\r\n", {"BuffSize=2048"}},
  };
  Settings before;
  before.buffSize = before.listSizes = before.maxSizeToCopy = 777;
  before.silentP = true, before.ywt = 5, before.noSounds = 2, before.scrSaverI = 0, before.safeSpace = 4096;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 60));
    Settings read = ReadBack(c.bytes, before);
    EXPECT_TRUE(!c.expect.empty() || read == before);
    for (const std::string& line : c.expect)
      EXPECT_EQ(Written(read, line.substr(0, line.find('='))), line);
  }
}

// Entry numbers come from the file: none may reach outside its list.
TEST_F(SettingsFile, FieldsAndListEntriesAreReadByPositionAndAHugeFileInBoundedPieces) {
  std::string colours = "COLORS= 300  -1   7";
  for (int i = 3; i < 108; ++i) colours += " 111";
  Settings read = ReadBack(
      "WINPOS=  100   200   300   4\r\nTOPMOST= 1-1 1\r\nFontI=      -13      700\r\n" + colours +
      "\r\nFSFileNameList=03C:\\third   \r\nFSFileNameList=01C:\\first\r\n"
      "FSFileNameList=00C:\\zero\r\nFSFileNameList=99C:\\far\r\nFSFileNameList=11C:\\beyond\r\n"
      "FSFileNameList=-1C:\\negative\r\nFSFolderList=10C:\\tenth\r\nFSFolderList=10C:\\again\r\n");
  // winPos[3]'s value ends inside the field: it stays as it was.
  EXPECT_EQ(std::tie(read.winPos[2], read.winPos[3], read.topmost[1], read.topmost[2], read.fontI.weight),
            std::make_tuple(300, -1, -1, 1, 700));
  // A colour part outside 0-255 keeps its colour; the others are read.
  EXPECT_EQ(read.colors[0].textBackground, (SavedRgb{38, 250, 7}));
  EXPECT_EQ(read.colors[11].dialogBackground.blue, 111);
  EXPECT_EQ(read.fsFileNameList.entries, (std::vector<std::string>{"C:\\first", "", "C:\\third"}));
  ASSERT_EQ(read.fsFolderList.entries.size(), 10u);
  EXPECT_EQ(read.fsFolderList.entries[9], "C:\\again");
  std::string text = FileText(read);
  EXPECT_NE(text.find("List=01C:\\first\r\nFSFileNameList=02\r\nFSFileNameList=03C:\\third\r\n"),
            std::string::npos);
  EXPECT_EQ(ReadBack(text), read);

  ScratchFolder dir;
  std::string path = dir.Path("Kestrova.INI");
  ASSERT_TRUE(testenv::WriteFile(
      path, "FSFileName=" + std::string(6 << 20, 'x') + "\r\nBuffSize=2048\r\n" +
                std::string(6 << 20, ' ') + "ListSizes=300\r\n" + std::string(3 << 20, '=') +
                "\r\nFSFolder=C:\\last"));
  Settings huge;
  ASSERT_TRUE(ReadSettings(huge, path));
  // ListSizes's key starts with six million blanks.
  EXPECT_EQ(std::tie(huge.fsFileName, huge.buffSize, huge.listSizes, huge.fsFolder),
            std::make_tuple(std::string(260, 'x'), 2048, 256, std::string("C:\\last")));
}

TEST_F(SettingsFile, AFileTooShortOrUnreadableIsNotWrittenOverAndRootsAskBeforeTheyGrowOrGo) {
  ScratchFolder dir;
  InFolder in(dir.path);
  std::string path = dir.path + "\\Kestrova.INI";
  auto fileOf = [](size_t size) { return "BuffSize=2048\r\nX=" + std::string(size - 19, '.') + "\r\n"; };
  for (size_t size : {size_t{0}, size_t{100}, size_t{101}}) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(!size || testenv::WriteFile(path, fileOf(size)));
    plat::FileHandle holder = size == 101 ? plat::FileOpen(path, plat::kWrite, plat::Disposition::OpenExisting,
                                                           plat::kShareNone) : plat::kNoFile;
    Settings s;
    s.saveAtExit = true;
    EXPECT_FALSE(ReadSettingsAtStart(s));
    plat::FileClose(holder);
    EXPECT_EQ(std::tie(s.saveAtExit, s.buffSize, s.settingsPath), std::make_tuple(false, 512000, path));
    SaveSettingsAtExit(s, nullptr);
    EXPECT_EQ(testenv::ReadFile(path), size ? fileOf(size) : "");
    EXPECT_EQ(plat::PathExists(path), size > 0);
  }
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].heading + "|" + asked[0].message, "Unable to get previously saved data|The file " + path +
                                                         " was not read correctly. Don't try \"messing\" with it!");

  Settings enough;
  EXPECT_TRUE(ReadSettingsAtStart(enough));
  EXPECT_EQ(std::tie(enough.saveAtExit, enough.buffSize), std::make_tuple(true, 2048));
  SaveSettingsAtExit(enough, nullptr);
  EXPECT_EQ(testenv::ReadFile(path), FileText(enough));
  // The Defaults button must not lose where the file goes, or whether it does.
  SetDefaults(enough);
  EXPECT_EQ(std::tie(enough.saveAtExit, enough.buffSize, enough.settingsPath), std::make_tuple(true, 512000, path));

  // Off: Yes deletes the file, No keeps it, both stop saving; Cancel changes nothing.
  asked.clear();
  Settings s = AllChanged();
  s.settingsPath = dir.Path("Roots.INI");
  for (int answered : {kAnswerNo, kAnswerYes}) {
    answer = answered;
    SwitchRootsOn(s, nullptr);
    EXPECT_EQ(s.saveAtExit, answered == kAnswerYes);
    EXPECT_EQ(testenv::ReadFile(s.settingsPath), answered == kAnswerYes ? FileText(s) : "");
  }
  const std::string written = FileText(s);

  s.ywt = 1;  // switching off never writes
  for (int answered : {kAnswerCancel, kAnswerNo, kAnswerYes}) {
    answer = answered;
    SwitchRootsOff(s, nullptr);
    EXPECT_EQ(s.saveAtExit, answered == kAnswerCancel);
    EXPECT_EQ(testenv::ReadFile(s.settingsPath), answered == kAnswerYes ? "" : written);
  }
  EXPECT_FALSE(plat::PathExists(s.settingsPath));
  ASSERT_EQ(asked.size(), 5u);
  EXPECT_EQ(asked[0].heading + asked[4].heading, "Creating roots...Removing Roots...");
  EXPECT_EQ(asked[0].style * 10 + asked[4].style, kAskYesNo * 10 + kAskYesNoCancel);

  s.settingsPath = dir.Path("missing\\Kestrova.INI");
  WindowRef owner = reinterpret_cast<WindowRef>(0x1234);
  EXPECT_FALSE(WriteSettings(s, owner));
  ASSERT_EQ(asked.size(), 6u);
  EXPECT_EQ(asked[5].owner, owner);
  EXPECT_EQ(asked[5].heading + "|" + asked[5].message,
            "Unable to \"grow\" roots|The file " + s.settingsPath + " was not saved due to unknown problem.");
}

TEST(RememberedList, AListedValueMovesToTheTopAndANewOneGrowsTheListUpToItsCapacity) {
  RememberedList list = FiveOfFive();
  EXPECT_TRUE(RememberInList(list, "a:\\THREE    "));
  EXPECT_EQ(list.entries, (std::vector<std::string>{"a:\\THREE", "A:\\one", "A:\\two", "A:\\four", "A:\\five"}));
  EXPECT_TRUE(RememberInList(list, "A:\\five"));
  EXPECT_EQ(list.entries, (std::vector<std::string>{"A:\\five", "a:\\THREE", "A:\\one", "A:\\two", "A:\\four"}));
  EXPECT_TRUE(RememberInList(list, "A:\\five"));  // at the top already
  EXPECT_EQ(list.entries[1], "a:\\THREE");

  list = {10, {}};
  for (int i = 1; i <= 11; ++i) EXPECT_TRUE(RememberInList(list, "C:\\" + std::to_string(i)));
  ASSERT_EQ(list.entries.size(), 10u);
  EXPECT_EQ(list.entries.front() + list.entries.back(), "C:\\11C:\\2");

  RememberedList overfull = FiveOfFive();
  overfull.capacity = 2;
  RememberInList(overfull, "A:\\four");
  EXPECT_EQ(overfull.entries, (std::vector<std::string>{"A:\\four", "A:\\one"}));

  RememberedList none;
  EXPECT_TRUE(RememberInList(none, "x") && none.entries.empty());

  list = FiveOfFive();
  EXPECT_FALSE(RememberInList(list, "   ") || RememberInList(list, "C:\\" + std::string(258, 'x')));
  EXPECT_EQ(list.entries, FiveOfFive().entries);
  EXPECT_TRUE(RememberInList(list, "C:\\" + std::string(257, 'x') + "  "));  // 260 fits
  EXPECT_EQ(list.entries[0].size(), 260u);
}
