// The built-in English texts: every text the program quotes is carried
// exactly (tests/data/texts.tsv lists them), the help pages carry their NUL,
// and an export of the built-in table is the resource file itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "frame/texts/language_files.h"
#include "frame/texts/texts.h"
#include "tests/support/test_env.h"

using namespace kst;

namespace {

constexpr int kBuiltInLast = 1103;

// A file of the source tree, as a Windows path (drive Z: is the root).
std::string SourceFile(const std::string& relative) {
  std::string path = std::string("Z:") + KESTROVA_SOURCE_DIR + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// texts.tsv escapes \r, \n, \t and \\; every other character is literal.
std::string Unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (c == '\\' && i + 1 < field.size()) {
      c = field[++i];
      c = c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    out += c;
  }
  return out;
}

// Every case reads the built-in table alone, and leaves it so.
class BuiltInTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearTexts();
    LoadBuiltInTexts();
  }
};

}  // namespace

TEST_F(BuiltInTexts, EveryQuotedTextIsTheBuiltInTextByteForByte) {
  bool ok = false;
  std::string data = testenv::ReadFile(SourceFile("tests/data/texts.tsv"), &ok);
  ASSERT_TRUE(ok) << "tests/data/texts.tsv";
  // Columns: id, text, "quoted" (the whole text) or "partial" (a piece of it), note.
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
    if (how == "quoted") {
      EXPECT_EQ(builtIn, Unescaped(text)) << id;
    } else {
      EXPECT_NE(builtIn.find(Unescaped(text)), std::string::npos) << id;
    }
  }
  EXPECT_GT(rows, 700);
}

TEST_F(BuiltInTexts, HelpPagesEndWithTheirOnlyNulAndOtherTextsFitTheirFields) {
  for (int id = 1; id <= kHelpPageLast; ++id) {
    std::string page = FullText(id);
    ASSERT_FALSE(page.empty()) << id;
    EXPECT_EQ(page.find('\0'), page.size() - 1) << id;
  }
  // Only the about texts are longer than a dialog field shows.
  for (int id = kHelpPageLast + 1; id <= kBuiltInLast; ++id) {
    std::string text = FullText(id);
    EXPECT_EQ(text.find('\0'), std::string::npos) << id;
    if (id != 849 && id != 927 && id != 1069) {
      EXPECT_LE(text.size(), 251u) << id;
    }
  }
}

// The export holds every text and the header of list entry 0, so this also
// proves that help pages 1 and 3, given in two pieces, are whole, and that
// ids past 1103 stay empty.
TEST_F(BuiltInTexts, ExportOfTheBuiltInTableIsTheResourceFile) {
  bool ok = false;
  std::string resource = testenv::ReadFile(SourceFile("resources/english.lng"), &ok);
  ASSERT_TRUE(ok);
  std::string exported = LanguageFileBytes();
  EXPECT_EQ(exported.size(), resource.size());
  size_t differ = 0;
  while (differ < std::min(exported.size(), resource.size()) && exported[differ] == resource[differ])
    ++differ;
  EXPECT_EQ(differ, resource.size()) << "first difference near: " << resource.substr(differ, 80);
}
