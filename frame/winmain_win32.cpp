// Kestrova.exe: the program's entry.
#include <windows.h>

#include "resources/resource_ids.h"

namespace {

INT_PTR CALLBACK CommandCenterProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_CC_EXIT || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, 0);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(window, 0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_COMMAND_CENTER), nullptr,
                                   CommandCenterProc, 0);
  return result == -1 ? 1 : 0;
}
