#include "frame/texts/texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>

#include "frame/texts/language_files.h"
#include "tests/support/test_env.h"

using namespace kst;

namespace {

class TextTable : public ::testing::Test {
 protected:
  void SetUp() override { ClearTexts(), LoadBuiltInTexts(); }
  void TearDown() override { SetUp(); }
};

// A file of the source tree, as a Windows path (drive Z: is the root).
std::string SourceFile(const std::string& relative) {
  std::string path = std::string("Z:") + KESTROVA_SOURCE_DIR + "/" + relative;
  return std::replace(path.begin(), path.end(), '/', '\\'), path;
}

// texts.tsv escapes \r, \n, \t and \\; every other character is literal.
std::string Unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const char c = field[i] == '\\' && i + 1 < field.size() ? field[++i] : '\0';  // the escaped letter
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c ? c : field[i];
  }
  return out;
}

}  // namespace

TEST_F(TextTable, GetTextGivesTheFieldWidthSetTextNeverLeavesAnEmptyEntryAndReadersSeeWholeTexts) {
  EXPECT_EQ(GetText(11, true), "Big Whoops" + std::string(kTextWidth - 10, ' ') + '\0');
  std::string longText(300, 'x');
  longText[255] = 'L';
  SetText(1104, longText);
  EXPECT_EQ(GetText(1104), longText.substr(0, kTextWidth));
  EXPECT_EQ(FullText(1104), longText) << "only the reading is cut";
  // Outside the table, or without a text, gives blanks; storing there does nothing.
  SetText(0, "outside"), SetText(kTextCount + 1, "outside");
  for (int id : {-5, 0, kTextCount - 1, kTextCount + 1}) EXPECT_EQ(GetText(id), std::string(kTextWidth, ' ')) << id;
  EXPECT_EQ(FullText(kTextCount + 1), "");

  SetText(1110, "first"), SetText(1110, std::string(" and second"), true), SetText(1111, "", 0);
  SetText(1113, std::string("ab\0c", 4));  // a NUL is an ordinary character
  EXPECT_EQ(FullText(1110) + "|" + FullText(1111) + "|" + FullText(1113), std::string("first and second| |ab\0c", 23));
  ClearTexts();  // appending nothing to an entry without text
  SetText(1112, "", 0, true);
  EXPECT_EQ(FullText(1112) + FullText(1111), " ");

  const std::string first(5000, 'A'), second(7000, 'B');
  std::atomic<bool> started{false}, done{false};
  std::atomic<int> torn{0};
  SetText(1120, first);
  std::thread reader([&] {
    for (started = true; !done.load();) {
      std::string t = FullText(1120), g = GetText(1120);
      torn += (t != first && t != second) + (g != std::string(kTextWidth, 'A') && g != std::string(kTextWidth, 'B'));
    }
  });
  while (!started.load()) std::this_thread::yield();
  for (int i = 0; i < 100000; ++i) SetText(1120, i % 2 ? first : second);
  done = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
}

TEST_F(TextTable, EveryQuotedTextIsBuiltInAndTheExportIsTheResourceFile) {
  bool ok = false;
  std::string data = testenv::ReadFile(SourceFile("tests/data/texts.tsv"), &ok);
  ASSERT_TRUE(ok) << "tests/data/texts.tsv";
  // Columns: id, text, "quoted" (whole) or "partial", note.
  std::istringstream lines(data);
  std::string line, id, text, how;
  std::getline(lines, line);  // the column names
  int rows = 0;
  for (; std::getline(lines, line); ++rows) {
    std::istringstream fields(line);
    ASSERT_TRUE(std::getline(fields, id, '\t') && std::getline(fields, text, '\t') &&
                std::getline(fields, how, '\t')) << line;
    std::string builtIn = FullText(std::stoi(id));
    if (std::stoi(id) <= kHelpPageLast) builtIn.pop_back();  // the stored NUL
    EXPECT_TRUE(how == "quoted" ? builtIn == Unescaped(text) : builtIn.find(Unescaped(text)) != std::string::npos)
        << id << ": " << builtIn;
  }
  EXPECT_GT(rows, 700);
  // The help pages are quoted in pieces: their NUL is theirs alone.
  for (int id = 1; id <= kHelpPageLast; ++id) {
    const std::string page = FullText(id);
    EXPECT_TRUE(!page.empty() && page.find('\0') == page.size() - 1) << id;
  }

  // This also proves that help pages given in two pieces are whole, and ids past 1103 empty.
  std::string resource = testenv::ReadFile(SourceFile("resources/english.lng"), &ok), exported = LanguageFileBytes();
  ASSERT_TRUE(ok);
  size_t differ = 0;
  while (differ < std::min(exported.size(), resource.size()) && exported[differ] == resource[differ]) ++differ;
  EXPECT_EQ(differ, std::max(resource.size(), exported.size())) << "differs near: " << resource.substr(differ, 80);
}
