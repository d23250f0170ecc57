#include "frame/files/typed_path.h"

#include <gtest/gtest.h>

namespace {

using kst::NameFault;

TEST(TypedPath, QuotesBlanksAndForwardSlashesAreTakenOff) {
  struct Case {
    const char* typed;
    const char* path;
  } cases[] = {
      {"\"C:\\x y\\f.bin\"", "C:\\x y\\f.bin"},  // "Copy as path"
      {"  \"C:\\x y\\f.bin\"\t ", "C:\\x y\\f.bin"},
      {"\" C:\\x\\ \"", "C:\\x\\"},
      {"\"D:/out\"", "D:\\out"},
      {"\"C:\\a\"b\"", "C:\\a\"b"},  // one pair only
      {"\"C:\\open", "\"C:\\open"},  // not a pair
      {"\"\"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(kst::TypedPath(c.typed), c.path) << c.typed;
}

TEST(WindowsNames, NamesWindowsCannotHoldAreFound) {
  struct Case {
    std::string name;
    NameFault fault;
  } cases[] = {
      {"movie.avi", NameFault::None},
      {"caf\xE9 100%!&^.bin", NameFault::None},
      {".hidden", NameFault::None},
      {"", NameFault::Empty},
      {"a\nb.bin", NameFault::Control},
      {"tab\t.bin", NameFault::Control},
      {"x\".bin", NameFault::Reserved},
      {"x?.bin", NameFault::Reserved},  // what an ANSI program gets for a character it cannot carry
      {"C:x", NameFault::Reserved},
      {"a\\b.bin", NameFault::Separator},
      {"a/b.bin", NameFault::Separator},
      {"x.bin ", NameFault::TrailingBlank},
      {"x.bin.", NameFault::TrailingDot},
  };
  for (const Case& c : cases) EXPECT_EQ(kst::CheckWindowsName(c.name), c.fault) << c.name;
}

}  // namespace
