// The texts shown for the extended errors of the platform's common dialogs.
#include "frame/dialogs/dialog_errors.h"

#include <gtest/gtest.h>

#include "frame/texts/language_files.h"
#include "frame/texts/texts.h"

using namespace kst;

TEST(DialogErrorText, EachCodeGetsTheTextThatExplainsIt) {
  LoadBuiltInTexts();
  // A few words from each text, enough to tell a swapped number.
  const std::pair<uint32_t, const char*> cases[] = {
      {1, "lStructSize"},       {2, "initialization"},       {3, "a corresponding template"},
      {4, "instance handle"},   {5, "load a specified string"}, {6, "find a specified resource"},
      {7, "load a specified resource"}, {8, "lock a specified resource"}, {9, "allocate memory"},
      {10, "lock the memory"},  {11, "ENABLEHOOK"},          {12289, "subclass a list box"},
      {12290, "filename is invalid"}, {12291, "too small"},
  };
  for (const auto& c : cases)
    EXPECT_NE(GetText(DialogErrorText(c.first)).find(c.second), std::string::npos) << c.first;
  EXPECT_EQ(DialogErrorText(0), 0);  // a cancelled dialog: no box at all
  for (uint32_t code : {12u, 12288u, 12292u, 0xFFFFFFFFu})
    EXPECT_NE(GetText(DialogErrorText(code)).find("Unknown error"), std::string::npos) << code;
}
