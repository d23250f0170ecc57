// The dialog font: chosen with the platform's font chooser, kept in the
// settings (FontC, FontI) and made into the font every dialog takes when
// it opens. Open dialogs keep their font until they are opened again.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "frame/command_center/command_center_dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"

namespace kst {

namespace {

LOGFONTA StoredFont(const Settings& settings) {
  LOGFONTA font = {};
  font.lfHeight = settings.fontI.height;
  font.lfWeight = settings.fontI.weight;
  font.lfItalic = static_cast<BYTE>(settings.fontI.italic);
  font.lfUnderline = static_cast<BYTE>(settings.fontI.underline);
  font.lfStrikeOut = static_cast<BYTE>(settings.fontI.strikeOut);
  font.lfCharSet = static_cast<BYTE>(settings.fontI.charSet);
  std::string face = Trimmed(settings.fontC).substr(0, LF_FACESIZE - 1);
  memcpy(font.lfFaceName, face.c_str(), face.size() + 1);
  return font;
}

}  // namespace

void CreateDialogFont() {
  const Settings& settings = AppSettings();
  if (Trimmed(settings.fontC).empty()) return;
  LOGFONTA font = StoredFont(settings);
  HFONT made = CreateFontIndirectA(&font);
  // The previous font stays alive: windows that are open still use it.
  if (made) DialogFont() = made;
}

void ChooseDialogFont() {
  Settings& settings = AppSettings();
  LOGFONTA font = StoredFont(settings);
  CHOOSEFONTA request = {};
  request.lStructSize = sizeof request;
  request.hwndOwner = static_cast<HWND>(CommandCenterState().window.load());
  request.lpLogFont = &font;
  request.Flags = CF_SCREENFONTS | CF_EFFECTS;
  if (font.lfFaceName[0]) request.Flags |= CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&request)) {
    ReportDialogError();
    return;
  }
  settings.fontC = Trimmed(FromCString(std::string(font.lfFaceName, LF_FACESIZE)));
  settings.fontI = FontValues{font.lfHeight, font.lfWeight,   font.lfItalic,
                              font.lfUnderline, font.lfStrikeOut, font.lfCharSet};
  CreateDialogFont();
}

}  // namespace kst
