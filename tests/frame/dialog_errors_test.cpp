// The texts shown for the extended errors of the platform's common dialogs.
#include "frame/dialog_errors.h"

#include <gtest/gtest.h>

#include <cstring>

#include "frame/language_files.h"
#include "frame/texts.h"

using namespace kst;

TEST(DialogErrorText, EveryKnownCodeHasTheTextThatExplainsIt) {
  LoadBuiltInTexts();
  struct Case {
    uint32_t code;
    const char* startOfText;
  };
  const Case cases[] = {
      {1, "The lStructSize member"},
      {2, "The common dialog box procedure failed during initialization."},
      {3, "The ENABLETEMPLATE flag was specified in the Flags member of a structure for the "
          "corresponding common dialog box, but the application failed to provide a "
          "corresponding template."},
      {4, "The ENABLETEMPLATE flag was specified in the Flags member of a structure for the "
          "corresponding common dialog box, but the application failed to provide a "
          "corresponding instance handle."},
      {5, "The common dialog box procedure failed to load a specified string."},
      {6, "The common dialog box procedure failed to find a specified resource."},
      {7, "The common dialog box procedure failed to load a specified resource."},
      {8, "The common dialog box procedure failed to lock a specified resource."},
      {9, "The common dialog box procedure was unable to allocate memory"},
      {10, "The common dialog box procedure was unable to lock the memory"},
      {11, "The ENABLEHOOK flag"},
      {12289, "An attempt to subclass a list box failed"},
      {12290, "A filename is invalid."},
      {12291, "The buffer for a filename is too small."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::string text = GetText(DialogErrorText(c.code));
    EXPECT_EQ(text.compare(0, strlen(c.startOfText), c.startOfText), 0) << text;
  }
}

TEST(DialogErrorText, NoErrorHasNoTextAndAnyOtherCodeIsUnknown) {
  EXPECT_EQ(DialogErrorText(0), 0);  // a cancelled dialog
  for (uint32_t code : {12u, 4096u, 12288u, 12292u, 0xFFFFu, 0xFFFFFFFFu}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(DialogErrorText(code), 68);
  }
}
