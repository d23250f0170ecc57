#include "frame/texts/language_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <tuple>

#include "frame/files/partial_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "tests/support/test_env.h"

using namespace kst;
using namespace std::string_literals;
using testenv::ScratchFolder;

namespace {

using Table = std::vector<std::string>;

Table Snapshot() {
  Table table(kTextCount + 1);
  for (int id = 1; id <= kTextCount; ++id) table[static_cast<size_t>(id)] = FullText(id);
  return table;
}

std::map<int, std::string> Changes(const Table& before) {
  std::map<int, std::string> changed;
  for (int id = 1; id <= kTextCount; ++id)
    if (FullText(id) != before[static_cast<size_t>(id)]) changed[id] = FullText(id);
  return changed;
}

class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Reload(), savedSoundMode = SoundMode(), SetSoundMode(1);
    SetAskHandler([this](const AskRequest& r) { return asked.push_back(r), alertsAtAsk = alerts, answer; });
    SetAlertHandler([this](int) { ++alerts; });
  }
  void TearDown() override { SetAskHandler(nullptr), SetAlertHandler(nullptr), SetSoundMode(savedSoundMode), Reload(); }
  static void Reload() {
    ClearTexts(), LoadBuiltInTexts(), LanguageList().resize(2), SetLanguageSetting(""), RebuildFilters();
  }

  void ExpectOneMessage(int titleId, const std::string& path, int tailId, WindowRef owner = nullptr) {
    ASSERT_EQ(asked.size(), 1u);
    const AskRequest& r = asked[0];
    EXPECT_EQ(std::tie(r.style, r.owner, r.boxRecord, r.ownerRecord, alertsAtAsk),
              std::make_tuple(int(kAskOk), owner, 21, 1, 1));  // the alert sounds before the message
    EXPECT_EQ(r.heading + "|" + r.message,
              Trimmed(GetText(titleId)) + "|The file " + path + " " + Trimmed(GetText(tailId)));
    asked.clear(), alerts = 0;
  }

  std::vector<AskRequest> asked;
  int alerts = 0, alertsAtAsk = 0, answer = kAnswerOk, savedSoundMode = 1;
};

}  // namespace

TEST_F(LanguageFiles, ExportThenReadGivesBackTheTableByteForByteAndFailedWritesAreReported) {
  for (const auto& [id, text] : {std::pair<int, std::string>{1104, std::string(5000, 'z')}, {1150, "two\r\nlines\r\n"},
                                 {1400, "\tTab and  blanks  "}, {5, "short help\0"s}})
    SetText(id, text);
  LanguageEntry& current = LanguageList()[0];
  current.translator = "Translator of the test   ";  // written without the blanks
  current.url = "https://example.invalid/", current.name = "Testish";
  Table before = Snapshot();
  ScratchFolder dir;
  std::string file = dir.Path("KSTVTEST.LNG");
  ASSERT_TRUE(testenv::WriteFile(file, "old"));
  answer = kAnswerNo;
  EXPECT_FALSE(ExportLanguageFile(file));
  EXPECT_EQ(testenv::ReadFile(file), "old");
  answer = kAnswerYes;
  ASSERT_TRUE(ExportLanguageFile(file));
  EXPECT_TRUE(ExportLanguageFile(dir.Path("KSTVNEW.LNG")));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(asked[1].style == kAskYesNo && asked[1].message == "Do you want to replace the file " + file);
  asked.clear();

  ClearTexts();
  current = LanguageEntry();
  ASSERT_TRUE(ReadLanguageFile(file));
  EXPECT_EQ(Changes(before), (std::map<int, std::string>{}));
  EXPECT_EQ(current.translator + "|" + current.url + "|" + current.name + "|" + current.path,
            "Translator of the test|https://example.invalid/|Testish|" + file);
  EXPECT_TRUE(current.size == plat::SizeOfPath(file) && asked.empty());
  EXPECT_EQ(LanguageFileBytes(), testenv::ReadFile(file));

  std::string uncreatable = dir.Path("missing\\KSTVX.LNG");
  EXPECT_FALSE(WriteLanguageFile(uncreatable));
  ExpectOneMessage(762, uncreatable, 509);

  if (testenv::PrepareFloppy().sized) {
    // A disk without room: the file it was to replace stays, nothing short is left.
    testenv::WriteFile("A:\\KSTVFULL.LNG", "old");
    SetText(1104, testenv::PatternBytes(2000000, 3));
    EXPECT_FALSE(WriteLanguageFile("A:\\KSTVFULL.LNG"));
    ExpectOneMessage(762, "A:\\KSTVFULL.LNG", 510);
    EXPECT_TRUE(testenv::ReadFile("A:\\KSTVFULL.LNG") == "old");
    EXPECT_FALSE(plat::PathExists(PartialNameOf("A:\\KSTVFULL.LNG")));
  }
  testenv::ReleaseFloppy();
}

// Only texts between braces on their key's line, at ids 1 to 1500, are taken.
TEST_F(LanguageFiles, DamagedInputChangesOnlyTheTextsItValidlyHolds) {
  const std::string forty(40, '9');
  std::string binary = testenv::PatternBytes(200000, 7);
  std::replace(binary.begin(), binary.end(), '{', '(');
  std::string manyEquals;
  while (manyEquals.size() < (1u << 22)) manyEquals += "={}";
  const struct { std::string bytes; std::map<int, std::string> texts; std::string language; } cases[] = {
      {"", {}, ""}, {"0010={Fehler}\r\n", {{10, "Fehler"}}, ""},
      {"0200={first\r\nsecond\r\n}\r\n0201={a\nb\rc}", {{200, "first\r\nsecond\r\n"}, {201, "a\nb\rc"}}, ""},
      {"0001={Seite eins}\r\n0009={neun}", {{1, "Seite eins\0"s}, {9, "neun\0"s}}, ""},
      {"translator  =Anna\r\n Language=not a key\r\nLANGUAGE=Deutsch  \r\n0010={Zehn}", {{10, "Zehn"}}, "Deutsch  "},
      {"Language=" + std::string(1000, 'n'), {}, std::string(kLanguageFieldWidth, 'n')},
      {"0000={zero}\r\n-0010={neg}\r\n1501={above}\r\n" + forty + "={big}\r\n-" + forty +
           "={small}\r\n4294967306={wraps to ten}\r\n000000000000000000000000000021={zeros}\r\n"
           "i2d2={letters ignored}\r\n1500={top}\r\n",
       {{21, "zeros"}, {22, "letters ignored"}, {1500, "top"}}, ""},
      {"0011={}\r\n0012=no braces here\r\n0013={thirteen}\r\n20={twenty}", {{13, "thirteen"}, {20, "twenty"}}, ""},
      {"0010={ten}\r\n0011={never closed\r\n0012={twelve\r\n", {{10, "ten"}}, ""},
      {"0010={ten}0011={eleven}Language=Solo", {{10, "ten"}, {11, "eleven"}}, "Solo"},
      {"0010={ten}\r\n0600", {{10, "ten"}}, ""}, {"0010={ten}\r\n0011=", {{10, "ten"}}, ""},
      {"0010={ten}\r\n0011={", {{10, "ten"}}, ""}, {"0010={ten}\r\nLanguage=", {{10, "ten"}}, ""},
      {"0010={ten}\r\nURL=x\r", {{10, "ten"}}, ""}, {binary, {}, ""},
      // Megabytes of lone CRs or of "=" without a CR: scanned once, not once per line.
      {std::string(1 << 22, '\r') + "0010={end}", {{10, "end"}}, ""}, {manyEquals + "0010={end}", {{10, "end"}}, ""},
  };
  auto start = std::chrono::steady_clock::now();
  for (const auto& c : cases) {
    Reload();
    Table before = Snapshot();
    // Exactly sized, so that a read past the end is caught by the sanitizer.
    std::vector<char> bytes(c.bytes.begin(), c.bytes.end());
    ReadLanguageBuffer(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    EXPECT_EQ(Changes(before), c.texts) << c.bytes.substr(0, 60);
    EXPECT_EQ(LanguageList()[0].name, c.language);
  }
  // A scan that searches again from every line takes minutes here.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// A file is read whole, so one far larger than every text (3 GB named by mistake) is refused unread.
TEST_F(LanguageFiles, FilesUpTo4MiBAreReadLargerOrMissingOnesReportedAndChangeNothing) {
  ScratchFolder dir;
  const struct { const char* name; int64_t size; bool read; } cases[] = {  // size 0: no file
      {"KSTVMOST.LNG", kLanguageFileMost, true}, {"KSTVOVER.LNG", kLanguageFileMost + 1, false},
      {"KSTVHUGE.LNG", int64_t{3} << 30, false}, {"KSTVNONE.LNG", 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Reload();
    Table before = Snapshot();
    std::string path = dir.Path(c.name);
    const std::string head = "Language=Big\r\n", tail = "\r\n0010={found at the end}\r\n";
    if (c.size > 0 && !(testenv::WriteFile(path, head) &&  // zeros between, sparse where the disk allows
                        testenv::WriteFile(path, tail, c.size - static_cast<int64_t>(tail.size())) &&
                        plat::SizeOfPath(path) == c.size))
      GTEST_SKIP() << "skipped: no room for a sparse file of " << c.size << " bytes here";
    auto start = std::chrono::steady_clock::now();
    int owner = 0;
    EXPECT_EQ(ReadLanguageFile(path + "   ", &owner), c.read);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    using Texts = std::map<int, std::string>;
    EXPECT_EQ(Changes(before), (c.read ? Texts{{10, "found at the end"}} : Texts()));
    EXPECT_EQ(LanguageList()[0].name, c.read ? "Big" : "Internal Language - English");
    EXPECT_TRUE(!c.read || LanguageList()[0].size == c.size);
    if (!c.read) ExpectOneMessage(c.size ? 764 : 768, path, c.size ? 512 : 769, &owner);
    EXPECT_TRUE(asked.empty());
  }
  // Listed, the oversized files show no header: it is not read either.
  ScanLanguageFolder(dir.path);
  for (size_t i = 2; i < LanguageList().size(); ++i)
    EXPECT_EQ(LanguageList()[i].name, LanguageList()[i].size <= kLanguageFileMost ? "Big" : "")
        << LanguageList()[i].path;
  EXPECT_EQ(LanguageList().size(), 5u);
}

TEST_F(LanguageFiles, ListingTheFolderAndChoosingALanguage) {
  Table builtIn = Snapshot();
  ScratchFolder dir;
  std::string file = dir.Path("KSTVDE.LNG");
  std::string german =
      "Translator=Anna\r\nLanguage=Deutsch\r\n0001={Hilfe}\r\n0051={Alle Dateien (*.*)}\r\n"
      "0759={Sprachdateien}\r\n0792={Bildschirmschoner}\r\n1075={Wellen}\r\n1399={Nur hier}\r\n";
  for (const char* other : {"KSTVDE.LNG", "KSTVDE.TXT", "ENGLISH.LNG"})
    ASSERT_TRUE(testenv::WriteFile(dir.Path(other), german));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("kstvfr.lng"), "0010={y}\r\nlanguage=Francais\r\n"));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("KSTVDIR.LNG")));
  ScanLanguageFolder(dir.path);
  std::vector<LanguageEntry>& list = LanguageList();
  ASSERT_EQ(list.size(), 4u);
  if (SameText(list[2].path, dir.Path("kstvfr.lng"))) std::swap(list[2], list[3]);
  EXPECT_EQ(list[2].path + "|" + list[2].name + "|" + list[2].translator + "|" + std::to_string(list[2].size),
            file + "|Deutsch|Anna|" + std::to_string(german.size()));
  EXPECT_EQ(list[3].path + "|" + list[3].name, dir.Path("kstvfr.lng") + "|Francais");
  EXPECT_EQ(Changes(builtIn), (std::map<int, std::string>{}));
  // A second scan adds nothing, also when a known path differs in case.
  list[3].path = UpperCase(list[3].path);
  ScanLanguageFolder(dir.path + "\\");
  EXPECT_EQ(list.size(), 4u);

  SetLanguageSetting(file);
  ApplyLanguageSetting();
  FileFilters f = Filters();
  std::string all = "Alle Dateien (*.*)\0*.*\0\0\0"s;
  EXPECT_EQ(f.general + "|" + f.languages + "|" + f.screenSavers + "|" + f.waves,
            all + "|Sprachdateien (KSTV*.LNG)\0KSTV*.LNG\0"s + all + "|Bildschirmschoner\0*.scr\0"s + all +
                "|Wellen\0*.wav\0"s + all);

  // The built-in language brings back every built-in text; ids without one keep the file's.
  ASSERT_TRUE(ChooseLanguage(1));
  EXPECT_EQ(LanguageSetting(), std::string(kLanguageFieldWidth, ' '));
  EXPECT_EQ(Changes(builtIn), (std::map<int, std::string>{{1399, "Nur hier"}}));
  EXPECT_EQ(list[0].name + "|" + list[0].path, "Internal Language - English|");
  ASSERT_TRUE(ChooseLanguage(2));
  EXPECT_EQ(LanguageSetting() + FullText(1) + list[0].name, Padded(file, kLanguageFieldWidth) + "Hilfe\0Deutsch"s);
  EXPECT_FALSE(ChooseLanguage(4));
  EXPECT_TRUE(asked.empty());

  // A chosen file that vanished is reported but stays the setting.
  ASSERT_TRUE(plat::DeleteOneFile(file));
  EXPECT_FALSE(ChooseLanguage(2));
  ExpectOneMessage(768, file, 769);
  EXPECT_EQ(LanguageSetting(), Padded(file, kLanguageFieldWidth));
  SetLanguageSetting(std::string(300, 'p'));
  EXPECT_EQ(LanguageSetting(), std::string(kLanguageFieldWidth, 'p'));
}
