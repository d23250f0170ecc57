// The settings file: every key written and read back, the exact bytes of
// the file, the rules for odd or damaged input, the 101-byte rule, the
// "&Roots" questions and the messages of every failure.
#include "frame/settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>

#include "frame/ask.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

// The texts of the questions and messages, as the program carries them.
const std::pair<int, const char*> kMessageTexts[] = {
    {503, "Removing Roots..."},
    {504,
     "Do you want to erase the ini file (Yes),\r\nor do you just don't want to save data at exit "
     "time (No)?\r\n Or Cancel, if you hit the wrong button by mistake."},
    {505, "Creating roots..."},
    {506, "Are you sure you want to create roots on the directory this program ran from?"},
    {507, "Unable to \"grow\" roots"},
    {508, "The file"},
    {509, "was not saved due to unknown problem."},
    {510, "was not saved correctly due to unknown problem."},
    {511, "Unable to get previously saved data"},
    {512, "was not read correctly. Don't try \"messing\" with it!"},
};

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [id, text] : kMessageTexts) SetText(id, text);
    SetSoundMode(1);
    SetAlertHandler([this](int) { events.push_back("alert"); });
    SetAskHandler([this](const AskRequest& request) {
      events.push_back("ask");
      asked.push_back(request);
      return answer;
    });
  }
  void TearDown() override {
    SetAskHandler(nullptr);
    SetAlertHandler(nullptr);
  }

  std::vector<std::string> events;
  std::vector<AskRequest> asked;
  int answer = kAnswerOk;
};

// Makes the current folder another one for as long as it lives.
struct InFolder {
  explicit InFolder(const std::string& folder) : before(plat::CurrentFolder()) {
    plat::SetCurrentFolder(folder);
  }
  ~InFolder() { plat::SetCurrentFolder(before); }
  std::string before;
};

std::string FileText(const Settings& settings) {
  std::string text;
  for (const std::string& line : SettingsLines(settings)) text += line;
  return text;
}

Settings ReadBack(const std::string& bytes, Settings settings = Settings()) {
  ReadSettingsText(settings, bytes);
  return settings;
}

void Fill(RememberedList& list, const std::vector<std::string>& values) { list.entries = values; }

struct KeyCase {
  const char* key;
  std::function<void(Settings&)> change;  // gives the key a value other than its default
};

// One case per key, in the order the keys are written.
std::vector<KeyCase> KeyCases() {
  return {
      {"LANGUAGE", [](Settings& s) { s.language = "C:\\Program Files\\Kestrova\\KSTVFR.LNG"; }},
      {"TOPMOST", [](Settings& s) { s.topmost[0] = 1, s.topmost[11] = 1, s.topmost[5] = -1; }},
      {"WINPOS", [](Settings& s) { s.winPos[0] = 120, s.winPos[1] = 0, s.winPos[23] = -1200; }},
      {"WINSZ",
       [](Settings& s) { s.winSize = {0, 0, 800, 600, -4, -4, 1028, 772, 1, 2, 3, 4, 99999}; }},
      {"MAXIMIZED", [](Settings& s) { s.maximized[2] = 1, s.maximized[4] = -1; }},
      {"COLORS",
       [](Settings& s) {
         s.colors[0].textBackground = {1, 2, 3};
         s.colors[11].dialogBackground.blue = 255;
         s.colors[6].text = {0, 0, 0};
       }},
      {"YWT", [](Settings& s) { s.ywt = -3600; }},
      {"BuffSize", [](Settings& s) { s.buffSize = 1048576; }},
      {"ListSizes", [](Settings& s) { s.listSizes = 1024; }},
      {"MaxSizeToCopy", [](Settings& s) { s.maxSizeToCopy = 16384; }},
      {"SilentP", [](Settings& s) { s.silentP = true; }},
      {"NoSounds", [](Settings& s) { s.noSounds = 2; }},
      {"Coloring", [](Settings& s) { s.coloring = true; }},
      {"ScrSaver", [](Settings& s) { s.scrSaver = true; }},
      {"ScrSaverI", [](Settings& s) { s.scrSaverI = 2; }},
      {"ScrSaverL", [](Settings& s) { s.scrSaverL = {1, 0, 1, 1}; }},
      {"ScrSaverC", [](Settings& s) { s.scrSaverC = "C:\\WINDOWS\\SYSTEM\\Mystify.scr"; }},
      {"FontC", [](Settings& s) { s.fontC = "Courier New"; }},
      {"FontI", [](Settings& s) { s.fontI = {-13, 700, 1, 0, 1, 238}; }},
      {"FSFileName", [](Settings& s) { s.fsFileName = "D:\\video\\holiday.avi"; }},
      {"FSFolder", [](Settings& s) { s.fsFolder = "A:\\"; }},
      {"FSJoinLog", [](Settings& s) { s.fsJoinLog = false; }},
      {"FSAutoLink", [](Settings& s) { s.fsAutoLink = false; }},
      {"FSFileNameList", [](Settings& s) { Fill(s.fsFileNameList, {"D:\\a.avi", "D:\\b c.avi"}); }},
      {"FSFolderList", [](Settings& s) { Fill(s.fsFolderList, {"A:\\", "E:\\out", "F:\\x"}); }},
      {"BSaveListNames(1)", [](Settings& s) { s.bSaveListNames[0] = "C:\\lists\\one.lst"; }},
      {"BSaveListNames(2)", [](Settings& s) { s.bSaveListNames[1] = "C:\\lists\\two.lst"; }},
      {"BTmpFolder", [](Settings& s) { s.bTmpFolder = "C:\\TEMP"; }},
      {"BTmpFolderList", [](Settings& s) { Fill(s.bTmpFolderList, {"C:\\TEMP"}); }},
      {"BDestFolderList", [](Settings& s) { Fill(s.bDestFolderList, {"A:\\", "B:\\backup"}); }},
      {"BSaveListLog", [](Settings& s) { s.bSaveListLog = true; }},
      {"BJoinLog", [](Settings& s) { s.bJoinLog = false; }},
      {"SafeSpace", [](Settings& s) { s.safeSpace = 6000000000LL; }},
      {"RDestFolder", [](Settings& s) { s.rDestFolder = "C:\\restored"; }},
      {"RDestFolderList", [](Settings& s) { Fill(s.rDestFolderList, {"C:\\restored", "C:\\r2"}); }},
      {"ROrigFolderList", [](Settings& s) { Fill(s.rOrigFolderList, {"A:\\"}); }},
      {"RAutoJoin", [](Settings& s) { s.rAutoJoin = false; }},
      {"RAutoJoinDel", [](Settings& s) { s.rAutoJoinDel = false; }},
      {"RAutoName", [](Settings& s) { s.rAutoName = false; }},
      {"RCopyAll", [](Settings& s) { s.rCopyAll = false; }},
      {"RKeepStruct", [](Settings& s) { s.rKeepStruct = false; }},
      {"RDeleteEnd", [](Settings& s) { s.rDeleteEnd = true; }},
      {"RDelAfterJoin", [](Settings& s) { s.rDelAfterJoin = false; }},
      {"TDTmpFolder", [](Settings& s) { s.tdTmpFolder = "R:\\"; }},
      {"CSFile", [](Settings& s) { s.csFile = "C:\\orig\\*.*"; }},
      {"CRecur", [](Settings& s) { s.cRecur = true; }},
      {"CSave", [](Settings& s) { s.cSave = true; }},
      {"CSShowComp", [](Settings& s) { s.csShowComp = false; }},
      {"CSShowUnM", [](Settings& s) { s.csShowUnM = false; }},
      {"COrigFileList", [](Settings& s) { Fill(s.cOrigFileList, {"C:\\orig\\*.*", "C:\\o2"}); }},
      {"CCloneFileList", [](Settings& s) { Fill(s.cCloneFileList, {"A:\\*.*"}); }},
      {"ESFile", [](Settings& s) { s.esFile = "C:\\base"; }},
      {"ERecur", [](Settings& s) { s.eRecur = false; }},
      {"ESave", [](Settings& s) { s.eSave = true; }},
      {"ESSimulation", [](Settings& s) { s.esSimulation = true; }},
      {"W2D1NameList", [](Settings& s) { Fill(s.w2dNameList[0], {"C:\\in.bin"}); }},
      {"W2D2NameList", [](Settings& s) { Fill(s.w2dNameList[1], {"C:\\out.wav", "C:\\o2.wav"}); }},
      {"W2D3NameList", [](Settings& s) { Fill(s.w2dNameList[2], {"C:\\in.wav"}); }},
      {"W2D4NameList", [](Settings& s) { Fill(s.w2dNameList[3], {"C:\\extracted"}); }},
  };
}

Settings AllChanged() {
  Settings settings;
  for (const KeyCase& c : KeyCases()) c.change(settings);
  return settings;
}

// The default colours as the colour table lists them: dialog background,
// text, text background.
const int kColourTable[12][9] = {
    {38, 250, 255, 0, 0, 0, 38, 250, 255},   {253, 19, 43, 255, 255, 255, 253, 43, 64},
    {0, 0, 0, 245, 245, 245, 60, 60, 60},    {199, 41, 203, 255, 255, 255, 209, 52, 214},
    {0, 217, 0, 0, 0, 0, 0, 230, 0},         {225, 225, 0, 0, 0, 0, 240, 240, 0},
    {0, 0, 112, 253, 204, 74, 0, 0, 128},    {199, 149, 65, 75, 55, 22, 201, 153, 73},
    {0, 40, 0, 235, 235, 235, 20, 60, 20},   {80, 120, 80, 255, 255, 255, 60, 160, 60},
    {60, 60, 60, 240, 220, 200, 60, 90, 60}, {163, 163, 163, 0, 0, 0, 160, 160, 160},
};

std::string Repeat(const std::string& piece, int times, const std::string& between = "") {
  std::string text;
  for (int i = 0; i < times; ++i) text += (i ? between : "") + piece;
  return text;
}

// The file the defaults make, spelled out line by line.
std::string DefaultFile() {
  std::string colours;
  char field[16];
  for (const auto& entry : kColourTable)
    for (int colour : {6, 3, 0})  // text background, text, dialog background
      for (int k = 0; k < 3; ++k) {
        snprintf(field, sizeof field, "%4d", entry[colour + k]);
        colours += field;
      }
  std::string lines[] = {
      "LANGUAGE=",
      "TOPMOST=" + Repeat(" 0", 12),
      "WINPOS=" + Repeat("   -1", 24, " "),
      "WINSZ=" + Repeat("    0", 20),
      "MAXIMIZED=" + Repeat(" 0", 5),
      "COLORS=" + colours,
      "YWT=         0",
      "BuffSize=    512000",
      "ListSizes=       256",
      "MaxSizeToCopy=  10485760",
      "SilentP= 0",
      "NoSounds=0",
      "Coloring= 0",
      "ScrSaver= 0",
      "ScrSaverI= 1",
      "ScrSaverL= 0 0 0 0",
      "ScrSaverC=",
      "FontC=",
      "FontI=" + Repeat("        0", 6),
      "FSFileName=",
      "FSFolder=",
      "FSJoinLog=-1",
      "FSAutoLink=-1",
      "BSaveListNames(1)=",
      "BSaveListNames(2)=",
      "BTmpFolder=",
      "BSaveListLog= 0",
      "BJoinLog=-1",
      "SafeSpace=                   0",
      "RDestFolder=",
      "RAutoJoin=-1",
      "RAutoJoinDel=-1",
      "RAutoName=-1",
      "RCopyAll=-1",
      "RKeepStruct=-1",
      "RDeleteEnd= 0",
      "RDelAfterJoin=-1",
      "TDTmpFolder=",
      "CSFile=",
      "CRecur= 0",
      "CSave= 0",
      "CSShowComp=-1",
      "CSShowUnM=-1",
      "ESFile=",
      "ERecur=-1",
      "ESave= 0",
      "ESSimulation= 0",
  };
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

// ---- Writing and reading back ---------------------------------------------------

TEST_F(SettingsFile, EveryKeyReadsBackTheValueWritten) {
  std::vector<KeyCase> cases = KeyCases();
  ASSERT_EQ(cases.size(), static_cast<size_t>(kSettingsKeyCount));
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].key);
    EXPECT_STREQ(SettingsKeyName(static_cast<int>(i) + 1), cases[i].key);
    Settings changed;
    cases[i].change(changed);
    ASSERT_NE(changed, Settings());
    std::string text = FileText(changed);
    EXPECT_NE(("\r\n" + text).find("\r\n" + std::string(cases[i].key) + "="), std::string::npos);
    EXPECT_EQ(ReadBack(text), changed);
  }
  EXPECT_STREQ(SettingsKeyName(0), "");
  EXPECT_STREQ(SettingsKeyName(kSettingsKeyCount + 1), "");
}

TEST_F(SettingsFile, AFileWrittenIsReadBackWhole) {
  ScratchFolder dir;
  Settings all = AllChanged();
  all.settingsPath = dir.Path("Kestrova.INI");
  ASSERT_TRUE(WriteSettings(all, nullptr));
  Settings read;
  read.settingsPath = all.settingsPath;
  ASSERT_TRUE(ReadSettings(read, all.settingsPath));
  EXPECT_EQ(read, all);
  EXPECT_TRUE(events.empty());
}

TEST_F(SettingsFile, TheDefaultsMakeExactlyThisFile) {
  ScratchFolder dir;
  Settings defaults;
  defaults.settingsPath = dir.Path("Kestrova.INI");
  // An older, longer file is replaced, not overwritten in part.
  ASSERT_TRUE(testenv::WriteFile(defaults.settingsPath, std::string(20000, 'x')));
  ASSERT_TRUE(WriteSettings(defaults, nullptr));
  EXPECT_EQ(testenv::ReadFile(defaults.settingsPath), DefaultFile());
}

TEST_F(SettingsFile, LinesEndWithCrLfAndCarryNoTrailingBlanks) {
  Settings s = AllChanged();
  s.language = "C:\\Kestrova\\KSTVDE.LNG     ";
  s.fsFolderList.entries[1] = "E:\\out   ";
  s.fsFileName = "  D:\\leading blanks stay";
  s.safeSpace = 1457664;
  s.winPos[0] = -32000;  // does not fit 5 characters: kept as large as its sign allows
  s.ywt = -2000000000;
  s.bSaveListNames[0] = "C:\\one.lst\r\nBuffSize=1";  // a line break cannot reach the file
  std::string text = FileText(s);
  EXPECT_EQ(text.find(" \r\n"), std::string::npos);
  size_t lines = 0;
  for (size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at, ++lines)
    EXPECT_EQ(text[at - 1], '\r');
  EXPECT_EQ(lines, SettingsLines(s).size());
  for (const char* line :
       {"\r\nFSFolderList=02E:\\out\r\n", "\r\nFSFileName=  D:\\leading blanks stay\r\n",
        "\r\nSafeSpace=             1457664\r\n", "\r\nWINPOS=-9999     0    -1",
        "\r\nYWT=-999999999\r\n", "\r\nBSaveListNames(1)=C:\\one.lst\r\n", "\r\nSilentP=-1\r\n",
        "\r\nFSJoinLog= 0\r\n", "\r\nNoSounds=2\r\n", "\r\nScrSaverI= 2\r\n",
        "\r\nFontI=      -13      700        1        0        1      238\r\n"})
    EXPECT_NE(("\r\n" + text).find(line), std::string::npos) << line;
  EXPECT_EQ(text.rfind("LANGUAGE=C:\\Kestrova\\KSTVDE.LNG\r\n", 0), 0u);
  EXPECT_EQ(text.find("BuffSize=1"), std::string::npos);
}

TEST_F(SettingsFile, KeyNamesAreReadWhateverTheirCase) {
  Settings all = AllChanged();
  std::string upper, lower, padded;
  for (const std::string& line : SettingsLines(all)) {
    size_t equals = line.find('=');
    std::string key = line.substr(0, equals), rest = line.substr(equals);
    std::string up = key, down = key;
    for (char& c : up) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    for (char& c : down) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    upper += up + rest;
    lower += down + rest;
    padded += key + "    " + rest;  // trailing blanks of a key name are ignored
  }
  EXPECT_EQ(ReadBack(upper), all);
  EXPECT_EQ(ReadBack(lower), all);
  EXPECT_EQ(ReadBack(padded), all);
}

// ---- Reading values ---------------------------------------------------------------

TEST_F(SettingsFile, AnOddNumberSetsAFlagOn) {
  const std::pair<const char*, bool> cases[] = {
      {"-1", true}, {" 0", false}, {"0", false}, {"1", true},   {"2", false},
      {"7", true},  {"-3", true},  {"", false},  {"on", false}, {"x1", true},
  };
  for (const auto& [value, on] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ReadBack(std::string("SilentP=") + value).silentP, on);
    EXPECT_EQ(ReadBack(std::string("BJoinLog=") + value).bJoinLog, on);
  }
}

TEST_F(SettingsFile, NumbersAreTheDigitsOfTheValue) {
  const std::pair<const char*, int32_t> cases[] = {
      {"         0", 0},
      {"-3600", -3600},
      {"1 0", 10},
      {"- 5", -5},
      {"12-", -12},
      {"abc", 0},
      {"4x2y", 42},
      {"", 0},
      {"99999999999999999999999999999999999999990", 2147483647},
      {"-99999999999999999999999999999999999999990", -999999999},  // what 10 characters hold
  };
  for (const auto& [value, number] : cases) {
    SCOPED_TRACE(value);
    EXPECT_EQ(ReadBack(std::string("YWT=") + value).ywt, number);
  }
  EXPECT_EQ(ReadBack("SafeSpace=9999999999999999999999999999999999999999").safeSpace, INT64_MAX);
}

TEST_F(SettingsFile, BufferListAndCopySizesAreCorrectedAsTheyAreRead) {
  struct Case {
    const char* line;
    int32_t Settings::*field;
    int32_t expected;
  };
  const Case cases[] = {
      {"BuffSize=0", &Settings::buffSize, 512000},
      {"BuffSize=-4096", &Settings::buffSize, 512000},
      {"BuffSize=none", &Settings::buffSize, 512000},
      {"BuffSize=1024", &Settings::buffSize, 1024},
      {"BuffSize=9999999999999999999999999999999999999999", &Settings::buffSize, 20971520},
      {"ListSizes=0", &Settings::listSizes, 256},
      {"ListSizes=-1", &Settings::listSizes, 256},
      {"ListSizes=300", &Settings::listSizes, 300},
      {"ListSizes=2000000000", &Settings::listSizes, 16384},
      {"MaxSizeToCopy=0", &Settings::maxSizeToCopy, 400},
      {"MaxSizeToCopy=-1", &Settings::maxSizeToCopy, 400},
      {"MaxSizeToCopy=5000", &Settings::maxSizeToCopy, 5000},
      {"MaxSizeToCopy=50000000", &Settings::maxSizeToCopy, 20971520},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Settings before;
    before.*c.field = 777;  // a correction sets its own value, not the one before
    EXPECT_EQ(ReadBack(c.line, before).*c.field, c.expected);
  }
}

TEST_F(SettingsFile, ValuesOutOfTheirRangeKeepWhatWasThere) {
  Settings before;
  before.noSounds = 2;
  before.scrSaverI = 0;
  before.safeSpace = 4096;
  EXPECT_EQ(ReadBack("NoSounds=3", before).noSounds, 2);
  EXPECT_EQ(ReadBack("NoSounds=-1", before).noSounds, 2);
  EXPECT_EQ(ReadBack("NoSounds=1", before).noSounds, 1);
  EXPECT_EQ(ReadBack("ScrSaverI=17", before).scrSaverI, 0);
  EXPECT_EQ(ReadBack("ScrSaverI= 2", before).scrSaverI, 2);
  EXPECT_EQ(ReadBack("SafeSpace=-5", before).safeSpace, 4096);

  // A colour part outside 0-255 keeps its colour; the others are read.
  std::string colours = "COLORS= 300  -1   7" + Repeat("  12", 105);
  Settings read = ReadBack(colours);
  EXPECT_EQ(read.colors[0].textBackground.red, 38);
  EXPECT_EQ(read.colors[0].textBackground.green, 250);
  EXPECT_EQ(read.colors[0].textBackground.blue, 7);
  EXPECT_EQ(read.colors[11].dialogBackground.blue, 12);
}

TEST_F(SettingsFile, CompositeValuesAreReadByFieldPosition) {
  Settings read =
      ReadBack("WINPOS=  100   200   300   4\r\nTOPMOST= 1-1 1\r\nFontI=      -13      700");
  EXPECT_EQ(read.winPos[0], 100);
  EXPECT_EQ(read.winPos[1], 200);
  EXPECT_EQ(read.winPos[2], 300);
  EXPECT_EQ(read.winPos[3], -1);  // the value ends inside the field: it stays as it was
  EXPECT_EQ(read.winPos[23], -1);
  EXPECT_EQ(read.topmost[0], 1);
  EXPECT_EQ(read.topmost[1], -1);
  EXPECT_EQ(read.topmost[2], 1);
  EXPECT_EQ(read.topmost[3], 0);
  EXPECT_EQ(read.fontI.height, -13);
  EXPECT_EQ(read.fontI.weight, 700);
  EXPECT_EQ(read.fontI.italic, 0);
}

TEST_F(SettingsFile, ListLinesFillTheEntriesTheirNumbersName) {
  Settings read = ReadBack(
      "FSFileNameList=03C:\\third   \r\n"
      "FSFileNameList=01C:\\first\r\n"
      "FSFileNameList=00C:\\zero\r\n"
      "FSFileNameList=99C:\\far\r\n"
      "FSFileNameList=11C:\\beyond\r\n"
      "FSFileNameList=-1C:\\negative\r\n"
      "FSFolderList=10C:\\tenth\r\n"
      "FSFolderList=10C:\\tenth again\r\n");
  EXPECT_EQ(read.fsFileNameList.entries, (std::vector<std::string>{"C:\\first", "", "C:\\third"}));
  EXPECT_EQ(read.fsFileNameList.capacity, kSettingsListSize);
  ASSERT_EQ(read.fsFolderList.entries.size(), 10u);
  EXPECT_EQ(read.fsFolderList.entries[0], "");
  EXPECT_EQ(read.fsFolderList.entries[9], "C:\\tenth again");

  std::string text = FileText(read);
  EXPECT_NE(
      text.find(
          "FSFileNameList=01C:\\first\r\nFSFileNameList=02\r\nFSFileNameList=03C:\\third\r\n"),
      std::string::npos);
  EXPECT_EQ(ReadBack(text), read);
}

TEST_F(SettingsFile, DamagedOrStrangeInputChangesOnlyWhatItValidlyCan) {
  struct Case {
    const char* name;
    std::string bytes;
    std::function<void(const Settings&)> check;
  };
  const Settings defaults;
  auto unchanged = [&](const Settings& s) { EXPECT_EQ(s, defaults); };
  auto buff2048 = [](const Settings& s) { EXPECT_EQ(s.buffSize, 2048); };
  const Case cases[] = {
      {"empty", "", unchanged},
      {"only line ends", "\r\n\n\r\r\n", unchanged},
      {"only an equals sign", "=", unchanged},
      {"no line end", "BuffSize=2048", buff2048},
      {"line feeds only", "ListSizes=300\nBuffSize=2048\n",
       [](const Settings& s) {
         EXPECT_EQ(s.buffSize, 2048);
         EXPECT_EQ(s.listSizes, 300);
       }},
      {"carriage returns only", "BuffSize=2048\rListSizes=300\r",
       [](const Settings& s) {
         EXPECT_EQ(s.buffSize, 2048);
         EXPECT_EQ(s.listSizes, 256);
       }},
      {"no equals sign", "BuffSize 2048\r\n", unchanged},
      {"unknown key", "BufSize=2048\r\nLanguageURL=x\r\n", unchanged},
      {"blank before the key", " BuffSize=2048\r\n", unchanged},
      {"key too long", "BuffSizeBuffSizeBuffSize=2048\r\n", unchanged},
      {"blanks after the key", std::string("BuffSize") + std::string(5000, ' ') + "=2048",
       buff2048},
      {"text longer than a path", "LANGUAGE=" + std::string(700, 'a') + "\r\nBuffSize=2048",
       [](const Settings& s) {
         EXPECT_EQ(s.language, std::string(260, 'a'));
         EXPECT_EQ(s.buffSize, 2048);
       }},
      {"value beyond 520 characters", "BuffSize=" + std::string(519, ' ') + "12",
       [](const Settings& s) { EXPECT_EQ(s.buffSize, 1); }},
      {"face name beyond 32", "FontC=" + std::string(40, 'F'),
       [](const Settings& s) { EXPECT_EQ(s.fontC, std::string(32, 'F')); }},
      {"NUL in a text", std::string("FSFileName=C:\\a\0b\r\n", 19),
       [](const Settings& s) { EXPECT_EQ(s.fsFileName, "C:\\a"); }},
      {"binary", testenv::PatternBytes(4096, 7) + "\r\nBuffSize=2048\r\n", buff2048},
      {"second equals sign", "FSFolder=C:\\a=b\r\n",
       [](const Settings& s) { EXPECT_EQ(s.fsFolder, "C:\\a=b"); }},
      {"repeated key", "BuffSize=1000\r\nBuffSize=2048\r\n", buff2048},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(ReadBack(c.bytes));
  }
}

TEST_F(SettingsFile, AHugeFileIsReadInBoundedPieces) {
  ScratchFolder dir;
  std::string path = dir.Path("Kestrova.INI");
  std::string bytes = "FSFileName=" + std::string(6 << 20, 'x') + "\r\nBuffSize=2048\r\n" +
                      std::string(6 << 20, ' ') + "ListSizes=300\r\n" + std::string(3 << 20, '=') +
                      "\r\nFSFolder=C:\\last";
  ASSERT_TRUE(testenv::WriteFile(path, bytes));
  Settings read;
  ASSERT_TRUE(ReadSettings(read, path));
  EXPECT_EQ(read.fsFileName, std::string(260, 'x'));
  EXPECT_EQ(read.buffSize, 2048);
  EXPECT_EQ(read.listSizes, 256);  // its key starts with six million blanks
  EXPECT_EQ(read.fsFolder, "C:\\last");
  EXPECT_TRUE(events.empty());
}

// ---- The file at start and exit -----------------------------------------------------

TEST_F(SettingsFile, TheFileLivesInTheStartFolder) {
  ScratchFolder dir;
  InFolder in(dir.path);
  EXPECT_EQ(BuildSettingsPath(), dir.path + "\\Kestrova.INI");
}

TEST_F(SettingsFile, AFileOfFewerThan101BytesIsTreatedAsAbsent) {
  ScratchFolder dir;
  InFolder in(dir.path);
  std::string path = dir.path + "\\Kestrova.INI";
  // 15 bytes of setting, then a line of no key that brings the file to size.
  auto fileOf = [](size_t size) {
    std::string head = "BuffSize=2048\r\n";
    return head + "X=" + std::string(size - head.size() - 4, '.') + "\r\n";
  };

  Settings none;
  none.saveAtExit = true;
  EXPECT_FALSE(ReadSettingsAtStart(none));
  EXPECT_FALSE(none.saveAtExit);
  EXPECT_EQ(none.settingsPath, path);
  SaveSettingsAtExit(none, nullptr);
  EXPECT_FALSE(plat::PathExists(path));  // no file is left behind

  ASSERT_TRUE(testenv::WriteFile(path, fileOf(100)));
  Settings small;
  EXPECT_FALSE(ReadSettingsAtStart(small));
  EXPECT_FALSE(small.saveAtExit);
  EXPECT_EQ(small.buffSize, 512000);
  SaveSettingsAtExit(small, nullptr);
  EXPECT_EQ(testenv::ReadFile(path), fileOf(100));  // not overwritten either

  ASSERT_TRUE(testenv::WriteFile(path, fileOf(101)));
  Settings enough;
  EXPECT_TRUE(ReadSettingsAtStart(enough));
  EXPECT_TRUE(enough.saveAtExit);
  EXPECT_EQ(enough.buffSize, 2048);
  SaveSettingsAtExit(enough, nullptr);
  EXPECT_EQ(testenv::ReadFile(path), FileText(enough));
  EXPECT_TRUE(events.empty());
}

TEST_F(SettingsFile, SetDefaultsKeepsTheFileAndItsFlag) {
  Settings s = AllChanged();
  s.settingsPath = "C:\\Kestrova\\Kestrova.INI";
  s.saveAtExit = true;
  SetDefaults(s);
  Settings expected;
  expected.settingsPath = "C:\\Kestrova\\Kestrova.INI";
  expected.saveAtExit = true;
  EXPECT_EQ(s, expected);
}

// ---- Failures ---------------------------------------------------------------------

TEST_F(SettingsFile, AFileThatCannotBeCreatedIsReported) {
  ScratchFolder dir;
  Settings s;
  s.settingsPath = dir.Path("missing\\Kestrova.INI");
  WindowRef owner = reinterpret_cast<WindowRef>(0x1234);
  EXPECT_FALSE(WriteSettings(s, owner));
  ASSERT_EQ(events, (std::vector<std::string>{"alert", "ask"}));
  EXPECT_EQ(asked[0].style, kAskOk);
  EXPECT_EQ(asked[0].owner, owner);
  EXPECT_EQ(asked[0].heading, "Unable to \"grow\" roots");
  EXPECT_EQ(asked[0].message,
            "The file " + s.settingsPath + " was not saved due to unknown problem.");
  EXPECT_EQ(asked[0].boxRecord, 21);
  EXPECT_EQ(asked[0].ownerRecord, 1);
}

TEST_F(SettingsFile, AFileThatCannotBeReadIsReportedAndNotWrittenOverAtExit) {
  ScratchFolder dir;
  InFolder in(dir.path);
  std::string path = dir.path + "\\Kestrova.INI";
  ASSERT_TRUE(testenv::WriteFile(path, FileText(AllChanged())));
  plat::FileHandle holder =
      plat::FileOpen(path, plat::kWrite, plat::Disposition::OpenExisting, plat::kShareNone);
  ASSERT_NE(holder, plat::kNoFile);
  Settings s;
  EXPECT_FALSE(ReadSettingsAtStart(s));
  plat::FileClose(holder);
  EXPECT_FALSE(s.saveAtExit);
  EXPECT_EQ(s.buffSize, 512000);
  ASSERT_EQ(events, (std::vector<std::string>{"alert", "ask"}));
  EXPECT_EQ(asked[0].style, kAskOk);
  EXPECT_EQ(asked[0].heading, "Unable to get previously saved data");
  EXPECT_EQ(asked[0].message,
            "The file " + path + " was not read correctly. Don't try \"messing\" with it!");
  EXPECT_EQ(asked[0].boxRecord, 21);
  EXPECT_EQ(asked[0].ownerRecord, 1);
}

// ---- The "&Roots" button ---------------------------------------------------------------

TEST_F(SettingsFile, RootsAskBeforeTheyGrowOrGo) {
  struct Case {
    bool switchOn;
    int answer;
    bool saveAtExit;
    bool fileAfter;
  };
  const Case cases[] = {
      {true, kAnswerYes, true, true},     {true, kAnswerNo, false, false},
      {false, kAnswerYes, false, false},  {false, kAnswerNo, false, true},
      {false, kAnswerCancel, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.switchOn ? "on" : "off") << " answered " << c.answer);
    ScratchFolder dir;
    Settings s = AllChanged();
    s.settingsPath = dir.Path("Kestrova.INI");
    s.saveAtExit = !c.switchOn;
    if (!c.switchOn) {
      ASSERT_TRUE(testenv::WriteFile(s.settingsPath, std::string(200, 'k')));
    }
    events.clear();
    asked.clear();
    answer = c.answer;
    if (c.switchOn)
      SwitchRootsOn(s, nullptr);
    else
      SwitchRootsOff(s, nullptr);
    ASSERT_EQ(events, (std::vector<std::string>{"alert", "ask"}));
    EXPECT_EQ(asked[0].style, c.switchOn ? kAskYesNo : kAskYesNoCancel);
    EXPECT_EQ(asked[0].heading, c.switchOn ? "Creating roots..." : "Removing Roots...");
    EXPECT_EQ(asked[0].message, c.switchOn ? kMessageTexts[3].second : kMessageTexts[1].second);
    EXPECT_EQ(asked[0].boxRecord, 21);
    EXPECT_EQ(s.saveAtExit, c.saveAtExit);
    EXPECT_EQ(plat::PathExists(s.settingsPath), c.fileAfter);
    if (c.fileAfter) {
      EXPECT_EQ(testenv::ReadFile(s.settingsPath),
                c.switchOn ? FileText(s) : std::string(200, 'k'));
    }
  }
}

// ---- Random input ----------------------------------------------------------------------

namespace {

// What every settings record read from any input must satisfy.
void ExpectSane(const Settings& s) {
  auto textOk = [](const std::string& t, size_t width) {
    return t.size() <= width && t.find_first_of(std::string("\r\n\0", 3)) == std::string::npos &&
           (t.empty() || t.back() != ' ');
  };
  for (const std::string* t :
       {&s.language, &s.scrSaverC, &s.fsFileName, &s.fsFolder, &s.bSaveListNames[0],
        &s.bSaveListNames[1], &s.bTmpFolder, &s.rDestFolder, &s.tdTmpFolder, &s.csFile, &s.esFile})
    ASSERT_TRUE(textOk(*t, kSettingsTextWidth)) << *t;
  ASSERT_TRUE(textOk(s.fontC, kSettingsFaceWidth));
  for (const RememberedList* list :
       {&s.fsFileNameList, &s.fsFolderList, &s.bTmpFolderList, &s.bDestFolderList,
        &s.rDestFolderList, &s.rOrigFolderList, &s.cOrigFileList, &s.cCloneFileList,
        &s.w2dNameList[0], &s.w2dNameList[1], &s.w2dNameList[2], &s.w2dNameList[3]}) {
    ASSERT_EQ(list->capacity, kSettingsListSize);
    ASSERT_LE(list->entries.size(), kSettingsListSize);
    for (const std::string& entry : list->entries) ASSERT_TRUE(textOk(entry, kSettingsTextWidth));
  }
  ASSERT_TRUE(s.buffSize >= 1 && s.buffSize <= kBuffSizeMax) << s.buffSize;
  ASSERT_TRUE(s.listSizes >= 1 && s.listSizes <= kListSizesMax) << s.listSizes;
  ASSERT_TRUE(s.maxSizeToCopy >= 1 && s.maxSizeToCopy <= kMaxSizeToCopyMax) << s.maxSizeToCopy;
  ASSERT_TRUE(s.noSounds >= 0 && s.noSounds <= 2);
  ASSERT_TRUE(s.scrSaverI >= 0 && s.scrSaverI <= 2);
  ASSERT_GE(s.safeSpace, 0);
  for (const SavedColors& entry : s.colors)
    for (const SavedRgb& rgb : {entry.textBackground, entry.text, entry.dialogBackground})
      for (int32_t part : {rgb.red, rgb.green, rgb.blue}) ASSERT_TRUE(part >= 0 && part <= 255);
  // Whatever was read is written so that it reads back the same.
  ASSERT_EQ(ReadBack(FileText(s)), s);
}

// A damaged copy of base: bytes flipped, inserted, removed, repeated, cut.
std::string Mutated(const std::string& base, std::mt19937& random) {
  std::string bytes = base;
  const char special[] = {'=', '\r', '\n', '-', ' ', '0', '9', '\0'};
  auto pick = [&](size_t n) { return n == 0 ? size_t(0) : static_cast<size_t>(random() % n); };
  int edits = 1 + static_cast<int>(random() % 12);
  for (int e = 0; e < edits; ++e) {
    size_t at = pick(bytes.size() + 1);
    switch (random() % 7) {
      case 0:
        if (at < bytes.size()) bytes[at] = static_cast<char>(random());
        break;
      case 1:
        bytes.insert(at, 1, special[pick(sizeof special)]);
        break;
      case 2:
        bytes.erase(at, pick(40));
        break;
      case 3:
        bytes.insert(at, bytes.substr(pick(bytes.size()), pick(600)));
        break;
      case 4:
        bytes.insert(at, std::string(pick(700), special[pick(sizeof special)]));
        break;
      case 5:
        bytes.resize(std::min(bytes.size(), at));
        break;
      default:
        bytes.insert(at, std::string(pick(45), '9'));
        break;
    }
  }
  return bytes;
}

}  // namespace

TEST_F(SettingsFile, RandomDamageNeverBreaksTheReader) {
  std::mt19937 random(20240611);
  const std::string bases[] = {FileText(AllChanged()), DefaultFile(),
                               "FSFileNameList=05x\r\nCOLORS=1 2 3\r\nWINPOS=1\r\n"};
  for (int round = 0; round < 4000; ++round) {
    std::string bytes = Mutated(bases[round % 3], random);
    Settings read;
    ReadSettingsText(read, bytes);
    ExpectSane(read);
    if (HasFatalFailure()) {
      ADD_FAILURE() << "round " << round;
      return;
    }
  }
  // A few of them through the file.
  ScratchFolder dir;
  std::string path = dir.Path("Kestrova.INI");
  for (int round = 0; round < 100; ++round) {
    std::string bytes = Mutated(bases[round % 3], random);
    ASSERT_TRUE(testenv::WriteFile(path, bytes));
    Settings fromFile, fromMemory;
    ASSERT_TRUE(ReadSettings(fromFile, path));
    ReadSettingsText(fromMemory, bytes);
    ASSERT_EQ(fromFile, fromMemory) << "round " << round;
  }
  EXPECT_TRUE(events.empty());
}
