// Language files: writing and reading them byte for byte, partial and
// broken files, the messages of failures, the language list, the choice of
// a language and the file-dialog filters.
#include "frame/language_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "frame/ask.h"
#include "frame/platform/platform.h"
#include "frame/text_numbers.h"
#include "frame/texts.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

using Table = std::vector<std::string>;

Table Snapshot() {
  Table table(kTextCount + 1);
  for (int id = 1; id <= kTextCount; ++id) table[static_cast<size_t>(id)] = FullText(id);
  return table;
}

// The ids whose text differs between two snapshots.
std::vector<int> ChangedIds(const Table& before, const Table& after) {
  std::vector<int> ids;
  for (int id = 1; id <= kTextCount; ++id)
    if (before[static_cast<size_t>(id)] != after[static_cast<size_t>(id)]) ids.push_back(id);
  return ids;
}

void ReadBytes(const std::string& bytes) { ReadLanguageBuffer(bytes.data(), bytes.size()); }

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// A file of size bytes that holds head at its start and tail at its end,
// zeros between (sparse where the file system allows).
bool WriteSparseFile(const std::string& path, int64_t size, const std::string& head,
                     const std::string& tail) {
  plat::FileHandle h = plat::FileOpen(path, plat::kWrite, plat::Disposition::CreateAlways);
  if (h == plat::kNoFile) return false;
  uint32_t done = 0;
  bool ok = plat::FileWrite(h, head.data(), static_cast<uint32_t>(head.size()), &done) &&
            plat::FileSeek(h, size - static_cast<int64_t>(tail.size())) &&
            plat::FileWrite(h, tail.data(), static_cast<uint32_t>(tail.size()), &done) &&
            done == tail.size();
  plat::FileClose(h);
  return ok && plat::SizeOfPath(path) == size;
}

class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Reload();
    savedSoundMode = SoundMode();
    SetSoundMode(1);
    SetAskHandler([this](const AskRequest& request) {
      asked.push_back(request);
      alertsBeforeAsk.push_back(alerts);
      return answer;
    });
    SetAlertHandler([this](int) { ++alerts; });
  }
  void TearDown() override {
    SetAskHandler(nullptr);
    SetAlertHandler(nullptr);
    SetSoundMode(savedSoundMode);
    Reload();
  }
  static void Reload() {
    ClearTexts();
    LoadBuiltInTexts();
    LanguageList().resize(2);
    SetLanguageSetting("");
    RebuildFilters();
  }

  // Checks the one OK message that a failure shows.
  void ExpectOneMessage(int titleId, const std::string& path, int tailId) {
    ASSERT_EQ(asked.size(), 1u);
    const AskRequest& r = asked[0];
    EXPECT_EQ(r.style, kAskOk);
    EXPECT_EQ(r.heading, Trimmed(GetText(titleId)));
    EXPECT_EQ(r.message, "The file " + path + " " + Trimmed(GetText(tailId)));
    EXPECT_EQ(r.boxRecord, 21);
    EXPECT_EQ(r.ownerRecord, 1);
    EXPECT_EQ(alertsBeforeAsk[0], 1) << "the alert sounds before the message";
  }

  std::vector<AskRequest> asked;
  std::vector<int> alertsBeforeAsk;
  int alerts = 0;
  int answer = kAnswerOk;
  int savedSoundMode = 1;
};

}  // namespace

// ---- Writing ----------------------------------------------------------------

TEST_F(LanguageFiles, WritesTheHeaderThenEveryTextInIdOrder) {
  ClearTexts();
  SetText(1200, "last");
  SetText(10, "Error: dialog not found");
  SetText(1, std::string("Help\r\npage\0", 11));
  SetText(999, "a  ");
  LanguageEntry& current = LanguageList()[0];
  current.translator = "Anna   ";
  current.url = "http://x.invalid/  ";
  current.name = "Deutsch";

  EXPECT_EQ(LanguageFileBytes(),
            "Translator=Anna\r\nURL=http://x.invalid/\r\nLanguage=Deutsch\r\n"
            "0001={Help\r\npage}\r\n0010={Error: dialog not found}\r\n0999={a  }\r\n"
            "1200={last}\r\n");
}

TEST_F(LanguageFiles, LongTextIsWrittenInFull) {
  std::string longText(3000, 'w');
  SetText(500, longText);
  ScratchFolder dir;
  ASSERT_TRUE(WriteLanguageFile(dir.Path("KSTVLONG.LNG")));
  std::string file = testenv::ReadFile(dir.Path("KSTVLONG.LNG"));
  EXPECT_NE(file.find("\r\n0500={" + longText + "}\r\n"), std::string::npos);
  EXPECT_TRUE(asked.empty());
}

TEST_F(LanguageFiles, ExportThenImportReproducesTheTableByteForByte) {
  SetText(1104, std::string(5000, 'z'));
  SetText(1150, "two\r\nlines\r\n");
  SetText(1200, "\tTab and  blanks  ");
  SetText(5, std::string("short help\0", 11));
  LanguageList()[0].translator = "Translator of the test";
  LanguageList()[0].url = "https://example.invalid/";
  LanguageList()[0].name = "Testish";
  Table before = Snapshot();

  ScratchFolder dir;
  std::string file = dir.Path("KSTVTEST.LNG");
  ASSERT_TRUE(WriteLanguageFile(file));
  ClearTexts();
  LanguageList()[0] = LanguageEntry();
  ASSERT_TRUE(ReadLanguageFile(file));

  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>());
  EXPECT_EQ(FullText(5), std::string("short help\0", 11));
  EXPECT_EQ(FullText(1).back(), '\0');
  const LanguageEntry& current = LanguageList()[0];
  EXPECT_EQ(current.translator, "Translator of the test");
  EXPECT_EQ(current.url, "https://example.invalid/");
  EXPECT_EQ(current.name, "Testish");
  EXPECT_EQ(current.path, file);
  EXPECT_EQ(current.size, plat::SizeOfPath(file));
  EXPECT_TRUE(asked.empty());

  // Writing the imported table again gives the same file.
  std::string first = testenv::ReadFile(file);
  EXPECT_EQ(LanguageFileBytes(), first);
}

TEST_F(LanguageFiles, FileThatCannotBeCreatedIsReported) {
  ScratchFolder dir;
  std::string file = dir.Path("missing\\KSTVX.LNG");
  EXPECT_FALSE(WriteLanguageFile(file));
  ExpectOneMessage(762, file, 509);
}

TEST_F(LanguageFiles, ShortWriteIsReportedAndLeavesThePartialFile) {
  testenv::Floppy floppy = testenv::PrepareFloppy();
  if (!floppy.sized) {
    testenv::ReleaseFloppy();
    GTEST_SKIP() << "skipped: drive A: has no floppy-sized file system here";
  }
  SetText(1104, testenv::PatternBytes(2000000, 3));
  std::string file = "A:\\KSTVFULL.LNG";
  EXPECT_FALSE(WriteLanguageFile(file));
  ExpectOneMessage(762, file, 510);
  EXPECT_TRUE(plat::PathExists(file));
  EXPECT_LT(plat::SizeOfPath(file), static_cast<int64_t>(LanguageFileBytes().size()));
  testenv::ReleaseFloppy();
}

TEST_F(LanguageFiles, ExportAsksBeforeReplacingAFile) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVOLD.LNG");
  ASSERT_TRUE(testenv::WriteFile(file, "old"));

  answer = kAnswerNo;
  EXPECT_FALSE(ExportLanguageFile(file));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].style, kAskYesNo);
  EXPECT_EQ(asked[0].heading, "Overwrite this file?");
  EXPECT_EQ(asked[0].message, "Do you want to replace the file " + file);
  EXPECT_EQ(testenv::ReadFile(file), "old");

  answer = kAnswerYes;
  EXPECT_TRUE(ExportLanguageFile(file));
  EXPECT_EQ(testenv::ReadFile(file), LanguageFileBytes());

  asked.clear();
  EXPECT_TRUE(ExportLanguageFile(dir.Path("KSTVNEW.LNG")));
  EXPECT_TRUE(asked.empty()) << "a new file needs no question";
}

// ---- Reading ----------------------------------------------------------------

TEST_F(LanguageFiles, PartialTranslationChangesOnlyItsIdsAndLeavesTheHeaderBlank) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVPART.LNG");
  std::string bytes = "0010={Fehler: Dialog nicht gefunden}\r\n";
  ASSERT_TRUE(testenv::WriteFile(file, bytes));
  Table before = Snapshot();

  ASSERT_TRUE(ReadLanguageFile(file));
  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>{10});
  EXPECT_EQ(FullText(10), "Fehler: Dialog nicht gefunden");
  const LanguageEntry& current = LanguageList()[0];
  EXPECT_EQ(current.translator, "");
  EXPECT_EQ(current.url, "");
  EXPECT_EQ(current.name, "");
  EXPECT_EQ(current.path, file);
  EXPECT_EQ(current.size, static_cast<int32_t>(bytes.size()));
}

TEST_F(LanguageFiles, TextKeepsTheLineBreaksInsideItsBraces) {
  ReadBytes("0200={first\r\nsecond\r\n}\r\n0201={a\nb\rc}");
  EXPECT_EQ(FullText(200), "first\r\nsecond\r\n");
  EXPECT_EQ(FullText(201), "a\nb\rc");
}

TEST_F(LanguageFiles, HeaderKeysIgnoreCaseAndTrailingBlanks) {
  std::string file = Crlf(
      "translator  =Anna Schmidt\n"
      "url=\n"
      " Language=not a key\n"
      "LANGUAGE=Deutsch  \n"
      "0010={Zehn}\n");
  LanguageList()[0].url = "before";
  ReadBytes(file);
  const LanguageEntry& current = LanguageList()[0];
  EXPECT_EQ(current.translator, "Anna Schmidt");
  EXPECT_EQ(current.url, "") << "an empty value leaves the cleared field";
  EXPECT_EQ(current.name, "Deutsch  ");
  EXPECT_EQ(FullText(10), "Zehn");
}

TEST_F(LanguageFiles, HeaderValuesAreCutToTheirField) {
  std::string file = "Language=" + std::string(1000, 'n') + "\r\n";
  ReadBytes(file);
  EXPECT_EQ(LanguageList()[0].name, std::string(260, 'n'));
}

TEST_F(LanguageFiles, HelpPagesGetTheirNulBack) {
  ReadBytes("0001={Seite eins}\r\n0009={neun}\r\n0010={zehn}");
  EXPECT_EQ(FullText(1), std::string("Seite eins\0", 11));
  EXPECT_EQ(FullText(9), std::string("neun\0", 5));
  EXPECT_EQ(FullText(10), "zehn");
}

TEST_F(LanguageFiles, OnlyValidTextLinesChangeTheTable) {
  std::string file = Crlf(
      "0000={zero}\n"
      "-0010={negative}\n"
      "1201={above the table}\n"
      "9999999999999999999999999999999999999999={forty digits}\n"
      "-9999999999999999999999999999999999999999={forty negative digits}\n"
      "4294967306={wraps to ten in 32 bits}\n"
      "0011={}\n"
      "0012=no braces here\n"
      "0013={thirteen}\n"
      "20={twenty}\n"
      "00000000000000000000000000000000000021={many zeros}\n"
      "i2d2={letters are ignored}\n"
      "1200={top}\n");
  Table before = Snapshot();
  ReadBytes(file);
  EXPECT_EQ(ChangedIds(before, Snapshot()), (std::vector<int>{13, 20, 21, 22, 1200}));
  EXPECT_EQ(FullText(13), "thirteen");
  EXPECT_EQ(FullText(20), "twenty");
  EXPECT_EQ(FullText(21), "many zeros");
  EXPECT_EQ(FullText(22), "letters are ignored");
  EXPECT_EQ(FullText(1200), "top");
}

TEST_F(LanguageFiles, BraceNeverClosedChangesNothingFromThereOn) {
  std::string file = Crlf("0010={ten}\n0011={never closed\n0012={twelve\n");
  Table before = Snapshot();
  ReadBytes(file);
  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>{10});
}

TEST_F(LanguageFiles, FileWithoutLineEndsIsReadAsFarAsItIsValid) {
  Table before = Snapshot();
  std::string oneLine = "0010={ten}0011={eleven}Language=Solo";
  ReadBytes(oneLine);
  EXPECT_EQ(ChangedIds(before, Snapshot()), (std::vector<int>{10, 11}));
  EXPECT_EQ(FullText(11), "eleven");

  std::string header = "Language=Solo";
  ReadBytes(header);
  EXPECT_EQ(LanguageList()[0].name, "Solo");

  std::string noEquals(100000, 'x');
  ReadBytes(noEquals);
  ReadLanguageBuffer(nullptr, 0);
  EXPECT_EQ(FullText(10), "ten");
}

TEST_F(LanguageFiles, TruncatedFileChangesTheTextsBeforeTheCut) {
  for (int id = 10; id <= 1103; ++id) SetText(id, "T" + std::to_string(id));
  std::string bytes = LanguageFileBytes();
  size_t cut = bytes.find("0600={") + 4;  // inside text 600's line
  Reload();
  Table before = Snapshot();

  ScratchFolder dir;
  std::string file = dir.Path("KSTVCUT.LNG");
  ASSERT_TRUE(testenv::WriteFile(file, bytes.substr(0, cut)));
  ASSERT_TRUE(ReadLanguageFile(file));
  std::vector<int> changed = ChangedIds(before, Snapshot());
  ASSERT_EQ(changed.size(), 599u - 9u);
  EXPECT_EQ(changed.front(), 10);
  EXPECT_EQ(changed.back(), 599);
  EXPECT_EQ(FullText(599), "T599");
  EXPECT_EQ(FullText(600), before[600]);
  EXPECT_EQ(FullText(1), before[1]);
}

TEST_F(LanguageFiles, BinaryFileChangesNothingOutsideValidLines) {
  std::string bytes = testenv::PatternBytes(200000, 7);
  std::replace(bytes.begin(), bytes.end(), '{', '(');
  Table before = Snapshot();
  ReadBytes(bytes);
  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>());
}

TEST_F(LanguageFiles, MissingFileIsReportedAndChangesNothing) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVNONE.LNG");
  Table before = Snapshot();
  LanguageEntry current = LanguageList()[0];
  int owner = 0;

  EXPECT_FALSE(ReadLanguageFile(file + "   ", &owner));
  ExpectOneMessage(768, file, 769);
  EXPECT_EQ(asked[0].owner, &owner);
  EXPECT_EQ(asked[0].message,
            "The file " + file +
                " was not found. Please choose another language (file) so this message won't "
                "show again next time!");
  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>());
  EXPECT_EQ(LanguageList()[0].name, current.name);
}

TEST_F(LanguageFiles, FileTooBigForOneReadIsReportedAsReadShort) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVHUGE.LNG");
  int64_t size = (int64_t{1} << 32) + 10;  // beyond what one read can carry
  if (!WriteSparseFile(file, size, "Language=Huge\r\n", "\r\n0010={x}\r\n"))
    GTEST_SKIP() << "skipped: no room for a sparse file of 4 GB here";
  Table before = Snapshot();
  std::string name = LanguageList()[0].name;

  EXPECT_FALSE(ReadLanguageFile(file));
  ExpectOneMessage(764, file, 512);
  EXPECT_EQ(asked[0].message,
            "The file " + file + " was not read correctly. Don't try \"messing\" with it!");
  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>());
  EXPECT_EQ(LanguageList()[0].name, name);
}

TEST_F(LanguageFiles, FileOfHundredsOfMegabytesIsReadInOnePiece) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVBIG.LNG");
  int64_t size = int64_t{200} << 20;
  ASSERT_TRUE(WriteSparseFile(file, size, "Language=Big\r\n", "\r\n0010={found at the end}\r\n"));
  ASSERT_TRUE(ReadLanguageFile(file));
  EXPECT_EQ(FullText(10), "found at the end");
  EXPECT_EQ(LanguageList()[0].name, "Big");
  EXPECT_EQ(LanguageList()[0].size, size);
  EXPECT_TRUE(asked.empty());
}

// A deterministic stream of broken language files: mutations of valid ones
// and raw noise. Whatever the input, the table may only take texts that the
// input holds between braces, at ids 1 to 1200.
TEST_F(LanguageFiles, FuzzedInputsOnlyEverStoreTextsThatTheyHold) {
  std::mt19937 random(20240611u);
  auto below = [&random](size_t n) { return n == 0 ? 0 : static_cast<size_t>(random() % n); };
  const std::string tokens[] = {"=", "{", "}", "\r\n", "\r", "\n", "-", "0", "9", "0001",
                                "1200", "1201", "-0001", "9999999999999999999999999999999999999999",
                                "Translator", "URL", "Language", " ", "\0"};
  const std::string small = Crlf(
      "Translator=Fuzz\nURL=u\nLanguage=Fuzzish\n0001={help\none}\n0003={three}\n"
      "0010={ten}\n0100={hundred}\n1200={last}\n");
  std::string builtIn = LanguageFileBytes();
  const std::string kMarker = "~";

  for (int round = 0; round < 3000; ++round) {
    std::string input;
    if (round % 10 == 9) {
      input = testenv::PatternBytes(below(3000), static_cast<uint32_t>(round));
    } else if (round % 3 == 0) {
      size_t from = below(builtIn.size());
      input = builtIn.substr(from, 1 + below(4000));
    } else {
      input = small;
    }
    for (size_t m = 1 + below(8); m > 0; --m) {
      size_t at = below(input.size() + 1);
      switch (random() % 5) {
        case 0:
          if (at < input.size()) input[at] = static_cast<char>(random());
          break;
        case 1: {
          const std::string& t = tokens[below(std::size(tokens))];
          input.insert(at, t.empty() ? std::string(1, '\0') : t);
          break;
        }
        case 2:
          input.erase(at, below(50));
          break;
        case 3:
          input.resize(at);
          break;
        default:
          input.insert(at, input.substr(below(input.size() + 1), below(200)));
      }
    }

    // Every entry starts as a marker, so that a change shows without a copy
    // of the whole table.
    for (int id = 1; id <= kTextCount; ++id) SetText(id, kMarker);
    // Exactly sized, so that a read past the end is caught by the sanitizer.
    std::vector<char> bytes(input.begin(), input.end());
    ReadLanguageBuffer(bytes.data(), bytes.size());
    for (int id = 1; id <= kTextCount; ++id) {
      std::string text = FullText(id);
      if (text == kMarker) continue;
      if (id <= kHelpPageLast) {
        ASSERT_EQ(text.back(), '\0') << "round " << round << " id " << id;
        text.pop_back();
      }
      ASSERT_FALSE(text.empty()) << "round " << round << " id " << id;
      ASSERT_EQ(text.find('}'), std::string::npos) << "round " << round << " id " << id;
      ASSERT_NE(input.find("{" + text + "}"), std::string::npos)
          << "round " << round << " id " << id;
    }
    const LanguageEntry& current = LanguageList()[0];
    ASSERT_LE(current.translator.size(), kLanguageFieldWidth);
    ASSERT_LE(current.url.size(), kLanguageFieldWidth);
    ASSERT_LE(current.name.size(), kLanguageFieldWidth);
  }

  // The same through files, and through the header reading of the list.
  ScratchFolder dir;
  for (int round = 0; round < 100; ++round) {
    std::string input = builtIn.substr(below(builtIn.size()), below(2000));
    input.insert(below(input.size() + 1), tokens[below(std::size(tokens))]);
    input.resize(below(input.size() + 1));
    std::string file = dir.Path("KSTVFUZZ.LNG");
    ASSERT_TRUE(testenv::WriteFile(file, input));
    ASSERT_TRUE(ReadLanguageFile(file));
    LanguageEntry entry;
    entry.path = file;
    entry.size = static_cast<int32_t>(input.size());
    ASSERT_TRUE(ReadLanguageHeader(entry));
  }
  EXPECT_TRUE(asked.empty());
}

// ---- The language list --------------------------------------------------------

TEST_F(LanguageFiles, ScanningAFolderListsItsLanguageFilesOnceWithTheirHeaders) {
  ScratchFolder dir;
  std::string german = Crlf("Translator=Anna\nURL=http://de.invalid/\nLanguage=Deutsch\n0010={x}\n");
  std::string french = Crlf("0010={y}\nlanguage=Francais\n");
  ASSERT_TRUE(testenv::WriteFile(dir.Path("KSTVDE.LNG"), german));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("kstvfr.lng"), french));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("KSTVDE.TXT"), german));
  ASSERT_TRUE(testenv::WriteFile(dir.Path("ENGLISH.LNG"), german));
  ASSERT_TRUE(plat::CreateFolder(dir.Path("KSTVDIR.LNG")));
  Table before = Snapshot();

  ScanLanguageFolder(dir.path);
  std::vector<LanguageEntry>& list = LanguageList();
  ASSERT_EQ(list.size(), 4u);
  std::sort(list.begin() + 2, list.end(),
            [](const LanguageEntry& a, const LanguageEntry& b) { return UpperCase(a.path) < UpperCase(b.path); });
  EXPECT_EQ(list[2].path, dir.Path("KSTVDE.LNG"));
  EXPECT_EQ(list[2].name, "Deutsch");
  EXPECT_EQ(list[2].translator, "Anna");
  EXPECT_EQ(list[2].url, "http://de.invalid/");
  EXPECT_EQ(list[2].size, static_cast<int32_t>(german.size()));
  EXPECT_EQ(list[3].path, dir.Path("kstvfr.lng"));
  EXPECT_EQ(list[3].name, "Francais");
  EXPECT_EQ(list[3].translator, "");
  EXPECT_EQ(ChangedIds(before, Snapshot()), std::vector<int>()) << "headers only";

  ScanLanguageFolder(dir.path);
  ScanLanguageFolder(dir.path + "\\");
  EXPECT_EQ(list.size(), 4u) << "a second scan adds nothing";

  // Paths are compared without regard to case.
  list.resize(2);
  LanguageEntry known;
  known.path = UpperCase(dir.Path("kstvfr.lng"));
  list.push_back(known);
  ScanLanguageFolder(dir.path);
  EXPECT_EQ(list.size(), 4u);
  EXPECT_EQ(std::count_if(list.begin(), list.end(),
                          [&](const LanguageEntry& e) { return SameText(e.path, known.path); }),
            1);
}

TEST_F(LanguageFiles, HeaderReadingStopsOnceAllThreeKeysWereSeen) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVHDR.LNG");
  std::string bytes = Crlf("0010={x}\nURL=u\nTranslator=first\nLanguage=L\nTranslator=later\n");
  ASSERT_TRUE(testenv::WriteFile(file, bytes));
  LanguageEntry entry;
  entry.path = file;
  entry.size = static_cast<int32_t>(bytes.size());
  entry.name = "stale";
  ASSERT_TRUE(ReadLanguageHeader(entry));
  EXPECT_EQ(entry.translator, "first");
  EXPECT_EQ(entry.url, "u");
  EXPECT_EQ(entry.name, "L");

  ASSERT_TRUE(ReadLanguageFile(file));
  EXPECT_EQ(LanguageList()[0].translator, "later") << "the whole file is read when loading";

  entry.path = dir.Path("KSTVGONE.LNG");
  EXPECT_FALSE(ReadLanguageHeader(entry));
  EXPECT_EQ(entry.name, "L");
  EXPECT_TRUE(asked.empty()) << "listing never shows a message";
}

// ---- Choosing a language ------------------------------------------------------

TEST_F(LanguageFiles, BuiltInLanguageRestoresEveryBuiltInTextAndKeepsFileOnlyTexts) {
  Table builtIn = Snapshot();
  ScratchFolder dir;
  std::string file = dir.Path("KSTVDE.LNG");
  ASSERT_TRUE(testenv::WriteFile(
      file, Crlf("Language=Deutsch\n0001={Hilfe}\n0010={Zehn}\n0503={Ja}\n1150={Nur hier}\n")));
  ScanLanguageFolder(dir.path);
  ASSERT_EQ(LanguageList().size(), 3u);

  ASSERT_TRUE(ChooseLanguage(2));
  EXPECT_EQ(Trimmed(LanguageSetting()), file);
  EXPECT_EQ(LanguageSetting().size(), kLanguageFieldWidth);
  EXPECT_EQ(FullText(10), "Zehn");
  EXPECT_EQ(LanguageList()[0].name, "Deutsch");

  ASSERT_TRUE(ChooseLanguage(1));
  EXPECT_EQ(Trimmed(LanguageSetting()), "");
  EXPECT_EQ(ChangedIds(builtIn, Snapshot()), std::vector<int>{1150});
  EXPECT_EQ(FullText(1150), "Nur hier");
  EXPECT_EQ(LanguageList()[0].name, "Internal Language - English");
  EXPECT_EQ(LanguageList()[0].path, "");

  EXPECT_FALSE(ChooseLanguage(3));
  EXPECT_TRUE(asked.empty());
}

TEST_F(LanguageFiles, ChosenFileThatVanishedIsReportedButStaysTheSetting) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVGO.LNG");
  ASSERT_TRUE(testenv::WriteFile(file, "0010={weg}"));
  ScanLanguageFolder(dir.path);
  ASSERT_TRUE(plat::DeleteOneFile(file));
  EXPECT_FALSE(ChooseLanguage(2));
  ExpectOneMessage(768, file, 769);
  EXPECT_EQ(Trimmed(LanguageSetting()), file);
}

TEST_F(LanguageFiles, LanguageSettingIsReadAtStartAndFiltersFollowTheTexts) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVFLT.LNG");
  ASSERT_TRUE(testenv::WriteFile(
      file, Crlf("0051={Alle Dateien (*.*)}\n0759={Sprachdateien}\n0792={Bildschirmschoner}\n"
                 "1075={Wellen}\n")));
  using namespace std::string_literals;
  FileFilters english = Filters();
  EXPECT_EQ(english.general, "All Files (*.*)\0*.*\0\0\0"s);
  EXPECT_EQ(english.languages.substr(english.languages.find('\0')),
            "\0KSTV*.LNG\0All Files (*.*)\0*.*\0\0\0"s);
  EXPECT_EQ(english.waves, "Wave Audio Files\0*.wav\0All Files (*.*)\0*.*\0\0\0"s);
  EXPECT_EQ(english.screenSavers, "Screen Saver files\0*.scr\0All Files (*.*)\0*.*\0\0\0"s);

  SetLanguageSetting(file);
  ApplyLanguageSetting();
  FileFilters german = Filters();
  std::string all = "Alle Dateien (*.*)\0*.*\0\0\0"s;
  EXPECT_EQ(german.general, all);
  EXPECT_EQ(german.languages, "Sprachdateien (KSTV*.LNG)\0KSTV*.LNG\0"s + all);
  EXPECT_EQ(german.screenSavers, "Bildschirmschoner\0*.scr\0"s + all);
  EXPECT_EQ(german.waves, "Wellen\0*.wav\0"s + all);
  EXPECT_TRUE(asked.empty());

  SetLanguageSetting(dir.Path("KSTVNO.LNG"));
  ApplyLanguageSetting();
  ExpectOneMessage(768, dir.Path("KSTVNO.LNG"), 769);
  EXPECT_EQ(Filters().general, all);
}

TEST_F(LanguageFiles, SettingIsAPaddedFieldOf260Characters) {
  SetLanguageSetting("C:\\KSTVX.LNG");
  EXPECT_EQ(LanguageSetting(), Padded("C:\\KSTVX.LNG", 260));
  SetLanguageSetting(std::string(300, 'p'));
  EXPECT_EQ(LanguageSetting(), std::string(260, 'p'));
}
