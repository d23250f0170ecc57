// Kestrova.exe: the program's entry.
#include <windows.h>

#include "frame/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return kst::RunKestrova(); }
