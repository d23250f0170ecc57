#include "tests/support/screenshot.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace testenv {

std::string SaveScreenshot(const std::string& name) {
  const char* folder = getenv("KESTROVA_SHOTS");
  char current[MAX_PATH + 1] = ".";
  if (!folder || !*folder) GetCurrentDirectoryA(sizeof current, current), folder = current;
  std::string path = std::string(folder) + "\\";
  for (char c : name) path += isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ? c : '_';
  path += ".bmp";
  Sleep(300);  // windows just shown may not have painted their controls yet
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::string pixels(((width * 3 + 3) / 4) * 4 * height, '\0');  // rows padded to 4 bytes
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42, file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(&file, sizeof file, 1, f), fwrite(&info, sizeof info, 1, f), fwrite(pixels.data(), 1, pixels.size(), f);
    fclose(f);
  }
  DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
  return path;
}

}  // namespace testenv
