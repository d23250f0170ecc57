// The built-in English texts: every id from 1 to 1103 is there, the help
// pages carry their NUL, every text the program quotes is carried exactly
// (tests/data/texts.tsv lists them), and an export of the built-in table is
// the resource file itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/language_files.h"
#include "frame/texts.h"
#include "tests/support/test_env.h"

using namespace kst;
using testenv::ScratchFolder;

namespace {

constexpr int kBuiltInLast = 1103;

// A file of the source tree, as a Windows path (drive Z: is the root).
std::string SourceFile(const std::string& relative) {
  std::string path = std::string("Z:") + KESTROVA_SOURCE_DIR + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

struct QuotedText {
  int id = 0;
  std::string text;
  bool whole = true;  // false: only part of the text is quoted
};

// texts.tsv escapes \r, \n, \t and \\; every other character is literal.
std::string Unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    char c = field[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

std::vector<QuotedText> ReadQuotedTexts() {
  bool ok = false;
  std::string data = testenv::ReadFile(SourceFile("tests/data/texts.tsv"), &ok);
  EXPECT_TRUE(ok) << "tests/data/texts.tsv";
  std::vector<QuotedText> rows;
  size_t start = data.find('\n');  // past the column names
  while (start != std::string::npos && start + 1 < data.size()) {
    size_t end = data.find('\n', start + 1);
    std::string line = data.substr(start + 1, end == std::string::npos ? end : end - start - 1);
    start = end;
    size_t tab1 = line.find('\t');
    size_t tab2 = line.find('\t', tab1 + 1);
    size_t tab3 = line.find('\t', tab2 + 1);
    if (tab3 == std::string::npos) continue;
    QuotedText row;
    row.id = std::stoi(line.substr(0, tab1));
    row.text = Unescaped(line.substr(tab1 + 1, tab2 - tab1 - 1));
    row.whole = line.substr(tab2 + 1, tab3 - tab2 - 1) == "quoted";
    rows.push_back(row);
  }
  return rows;
}

class BuiltInTexts : public ::testing::Test {
 protected:
  void SetUp() override { Reload(); }
  void TearDown() override {
    Reload();
    LanguageList().resize(2);
  }
  static void Reload() {
    ClearTexts();
    LoadBuiltInTexts();
  }
};

}  // namespace

TEST_F(BuiltInTexts, EveryIdUpTo1103HasATextAndNoOtherDoes) {
  for (int id = 1; id <= kBuiltInLast; ++id) EXPECT_FALSE(FullText(id).empty()) << id;
  for (int id = kBuiltInLast + 1; id <= kTextCount; ++id) EXPECT_EQ(FullText(id), "") << id;
}

TEST_F(BuiltInTexts, HelpPagesEndWithOneNulAndOtherTextsWithout) {
  for (int id = 1; id <= kHelpPageLast; ++id) {
    std::string page = FullText(id);
    ASSERT_GE(page.size(), 1000u) << id;
    EXPECT_LE(page.size(), 11201u) << id;
    EXPECT_EQ(page.back(), '\0') << id;
    EXPECT_EQ(page.find('\0'), page.size() - 1) << id;
  }
  EXPECT_EQ(FullText(1).rfind("This Program can:", 0), 0u);
  EXPECT_EQ(FullText(2).rfind("First: select File you want to split.", 0), 0u);
  for (int id = kHelpPageLast + 1; id <= kBuiltInLast; ++id)
    EXPECT_EQ(FullText(id).find('\0'), std::string::npos) << id;
}

TEST_F(BuiltInTexts, ShortTextsStayWithin251CharactersExceptTheAboutTexts) {
  for (int id = kHelpPageLast + 1; id <= kBuiltInLast; ++id) {
    size_t length = FullText(id).size();
    if (id == 849 || id == 927 || id == 1069)
      EXPECT_GT(length, kTextWidth) << id;
    else
      EXPECT_LE(length, 251u) << id;
  }
}

TEST_F(BuiltInTexts, EveryQuotedTextIsTheBuiltInTextByteForByte) {
  std::vector<QuotedText> rows = ReadQuotedTexts();
  ASSERT_GT(rows.size(), 700u);
  for (const QuotedText& row : rows) {
    std::string builtIn = FullText(row.id);
    if (row.id <= kHelpPageLast) builtIn.pop_back();  // the stored NUL
    if (row.whole)
      EXPECT_EQ(builtIn, row.text) << row.id;
    else
      EXPECT_NE(builtIn.find(row.text), std::string::npos) << row.id;
  }
}

TEST_F(BuiltInTexts, QuotedTextsSurviveAnExportAndImport) {
  ScratchFolder dir;
  std::string file = dir.Path("KSTVBACK.LNG");
  ASSERT_TRUE(WriteLanguageFile(file));
  ClearTexts();
  ASSERT_TRUE(ReadLanguageFile(file));
  for (const QuotedText& row : ReadQuotedTexts())
    if (row.whole) {
      EXPECT_EQ(FullText(row.id), row.text) << row.id;
    }
}

TEST_F(BuiltInTexts, ExportOfTheBuiltInTableIsTheResourceFile) {
  bool ok = false;
  std::string resource = testenv::ReadFile(SourceFile("resources/english.lng"), &ok);
  ASSERT_TRUE(ok);
  std::string exported = LanguageFileBytes();
  EXPECT_EQ(exported.size(), resource.size());
  size_t differ = 0;
  while (differ < exported.size() && differ < resource.size() && exported[differ] == resource[differ])
    ++differ;
  EXPECT_EQ(differ, resource.size()) << "first difference near: "
                                     << resource.substr(differ < 40 ? 0 : differ - 40, 80);
}

TEST_F(BuiltInTexts, ListEntriesZeroAndOneDescribeTheBuiltInLanguage) {
  // Translator and URL are those of the resource file's header.
  bool ok = false;
  std::string resource = testenv::ReadFile(SourceFile("resources/english.lng"), &ok);
  ASSERT_TRUE(ok);
  size_t translatorEnd = resource.find("\r\n");
  size_t urlEnd = resource.find("\r\n", translatorEnd + 2);
  ASSERT_EQ(resource.rfind("Translator=", 0), 0u);
  ASSERT_EQ(resource.compare(translatorEnd + 2, 4, "URL="), 0);
  std::string translator = resource.substr(11, translatorEnd - 11);
  std::string url = resource.substr(translatorEnd + 6, urlEnd - translatorEnd - 6);
  ASSERT_FALSE(translator.empty());
  ASSERT_FALSE(url.empty());

  SetText(1150, "kept");
  LanguageList()[0].name = "Other";
  LanguageList()[0].path = "C:\\KSTVX.LNG";
  LanguageList()[0].size = 99;
  LoadBuiltInTexts();

  const std::vector<LanguageEntry>& list = LanguageList();
  ASSERT_GE(list.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(list[i].name, "Internal Language - English") << i;
    EXPECT_EQ(list[i].path, "") << i;
    EXPECT_EQ(list[i].size, 0) << i;
    EXPECT_EQ(list[i].translator, translator) << i;
    EXPECT_EQ(list[i].url, url) << i;
  }
  EXPECT_EQ(FullText(1150), "kept") << "ids without a built-in text keep theirs";
}
