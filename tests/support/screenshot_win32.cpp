#include "tests/support/screenshot.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace testenv {

namespace {

std::string FileSafe(std::string name) {
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
  return name;
}

std::string ShotFolder() {
  const char* folder = getenv("KESTROVA_SHOTS");
  if (folder && *folder) return folder;
  char current[MAX_PATH + 1] = ".";
  GetCurrentDirectoryA(sizeof current, current);
  return current;
}

}  // namespace

std::string SaveScreenshot(const std::string& name) {
  std::string path = ShotFolder() + "\\" + FileSafe(name) + ".bmp";
  Sleep(300);  // windows just shown may not have painted their controls yet
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  DWORD rowBytes = ((width * 3 + 3) / 4) * 4;
  std::string pixels(rowBytes * height, '\0');
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  if (FILE* f = fopen(path.c_str(), "wb")) {
    fwrite(&file, sizeof file, 1, f);
    fwrite(&info, sizeof info, 1, f);
    fwrite(pixels.data(), 1, pixels.size(), f);
    fclose(f);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return path;
}

}  // namespace testenv
