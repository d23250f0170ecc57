// Kestrova.exe: the program's entry.
#include <windows.h>

#include "app/startup_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return kst::RunKestrova(); }
