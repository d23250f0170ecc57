#include "remover/remover_batch.h"

#include <gtest/gtest.h>

namespace {

// A "%" is doubled, or the interpreter reads a variable there; the other
// characters it treats specially are safe inside the quotes.
TEST(RemoverBatch, EntriesQuoteEveryNameAndDoubleEveryPercent) {
  struct Case { std::string relative; bool folder; std::string lines; } cases[] = {
      {"\\a.txt", false, "attrib -r -h -s -a \".\\a.txt\"\r\ndel \".\\a.txt\"\r\n"},
      {"\\sub\\deep", true, "attrib -r -h -s \".\\sub\\deep\"\r\nrd \".\\sub\\deep\"\r\n"},
      {"\\a%X%b.txt", false, "attrib -r -h -s -a \".\\a%%X%%b.txt\"\r\ndel \".\\a%%X%%b.txt\"\r\n"},
      {"\\50% off 25%.txt", false,
       "attrib -r -h -s -a \".\\50%% off 25%%.txt\"\r\ndel \".\\50%% off 25%%.txt\"\r\n"},
      {"\\R&D ^x (1)!\\y", true, "attrib -r -h -s \".\\R&D ^x (1)!\\y\"\r\nrd \".\\R&D ^x (1)!\\y\"\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(kst::RemoverBatchEntry(c.relative, c.folder), c.lines) << c.relative;
}

}  // namespace
