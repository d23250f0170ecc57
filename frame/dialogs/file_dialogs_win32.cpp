#include "frame/dialogs/file_dialogs_win32.h"

#include <shlobj.h>

#include <cstddef>
#include <cstring>

#include "frame/dialogs/dialog_errors.h"
#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

// The request has the size of its 95/NT 4 form (up to lpTemplateName),
// which every Windows from 95 on accepts: 76 bytes in a 32-bit build. Wider
// pointers make the same form longer in a 64-bit build, where 76 would be
// refused as a wrong structure size.
constexpr DWORD kRequestSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(sizeof(void*) != 4 || kRequestSize == 76);

void InitFileDialog(WindowRef owner, OPENFILENAMEA& request, const char* filter, char* file,
                    DWORD length, const char* folder, const char* title, DWORD flags) {
  thread_local std::string generalFilter;
  if (!filter || !*filter) {
    generalFilter = Filters().general;
    filter = generalFilter.empty() ? nullptr : generalFilter.c_str();
  }
  request = OPENFILENAMEA{};
  request.lStructSize = kRequestSize;
  request.hwndOwner = static_cast<HWND>(owner);
  request.hInstance = nullptr;
  request.lpstrFilter = filter;
  request.lpstrCustomFilter = nullptr;
  request.nFilterIndex = 1;
  request.lpstrFile = file;
  request.nMaxFile = length;
  request.lpstrFileTitle = nullptr;
  request.lpstrInitialDir = folder;
  request.lpstrTitle = title;
  request.Flags = flags;
  request.lpstrDefExt = nullptr;
  request.lpfnHook = nullptr;
}

bool ChooseFilesToOpen(WindowRef owner, const std::string& title, DWORD bufferSize,
                       std::string (*asFolder)(const std::string& folder), std::vector<std::string>* paths) {
  std::vector<char> names(bufferSize, '\0');
  OPENFILENAMEA request;
  InitFileDialog(owner, request, nullptr, names.data(), bufferSize, nullptr, title.c_str(),
                 OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                     OFN_NOCHANGEDIR);
  if (!GetOpenFileNameA(&request)) return false;
  std::vector<std::string> parts;
  for (const char* p = names.data(); *p; p += strlen(p) + 1) parts.emplace_back(p);
  paths->clear();
  if (parts.size() == 1) {
    *paths = parts;
  } else if (!parts.empty()) {
    const std::string folder = asFolder(parts.front());
    for (size_t i = 1; i < parts.size(); ++i) paths->push_back(folder + parts[i]);
  }
  return true;
}

uint32_t ReportDialogError() {
  DWORD code = CommDlgExtendedError();
  int text = DialogErrorText(code);
  if (text)
    MessageBoxA(nullptr, Trimmed(GetText(text)).c_str(), "FILE OPEN DIALOG FAILURE", MB_OK);
  return code;
}

std::string BrowseForFolder(WindowRef owner, const std::string& title) {
  // The shell wants COM on the thread that browses; dialogs run on many threads.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string shownTitle = Trimmed(title);
  char display[MAX_PATH] = "";
  BROWSEINFOA info = {};
  info.hwndOwner = static_cast<HWND>(owner);
  info.pszDisplayName = display;
  info.lpszTitle = shownTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  std::string folder;
  if (LPITEMIDLIST chosen = SHBrowseForFolderA(&info)) {
    char path[MAX_PATH] = "";
    if (SHGetPathFromIDListA(chosen, path)) folder = path;
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return folder;
}

void FillFromList(DialogState& state, int controlId, const RememberedList& list) {
  std::vector<std::string> items;
  items.reserve(list.entries.size());
  for (const std::string& entry : list.entries) items.push_back(Trimmed(entry));
  DialogSetItems(state, controlId, std::move(items));
}

}  // namespace kst
