// The settings file "Kestrova.INI" in the start folder: one record that
// holds every setting (fields named after their keys), its defaults, and
// the reading and writing of the file. The file is plain text, one
// "KEY=value" line per key (one per entry for lists), CR LF line ends.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/settings/remembered_list.h"

namespace kst {

constexpr int kSettingsKeyCount = 60;
constexpr const char* kSettingsFileName = "Kestrova.INI";
// A file shorter than this is treated as absent.
constexpr int64_t kSettingsMinimumSize = 101;

constexpr size_t kSettingsTextWidth = 260;  // paths, names and list entries
constexpr size_t kSettingsFaceWidth = 32;   // font face names

// The dialogs whose TOPMOST and WINPOS values are kept, by dialog record,
// in the file's order.
constexpr std::array<int, 12> kPlacedRecords = {1, 3, 5, 7, 10, 13, 16, 19, 33, 35, 39, 42};
// The maximisable dialogs (WINSZ, MAXIMIZED), by dialog record.
constexpr std::array<int, 5> kMaximisableRecords = {7, 13, 19, 33, 39};

// The copy buffer, list and one-piece copy sizes that are ever used: larger
// values in the file are brought down to these (they size allocations).
constexpr int32_t kBuffSizeDefault = 512000;
constexpr int32_t kBuffSizeMax = 20971520;
constexpr int32_t kListSizesDefault = 256;
constexpr int32_t kListSizesMax = 16384;
constexpr int32_t kMaxSizeToCopyDefault = 10485760;
constexpr int32_t kMaxSizeToCopyMax = 20971520;
// What a MaxSizeToCopy of 0 or less reads as.
constexpr int32_t kMaxSizeToCopyFallback = 400;

// Entries kept by each remembered list (entry numbers have two digits).
constexpr size_t kSettingsListSize = 10;

struct SavedRgb {
  int32_t red = 0, green = 0, blue = 0;  // 0-255 each
  bool operator==(const SavedRgb&) const = default;
};

// One dialog's colours, in the order the COLORS key holds them.
struct SavedColors {
  SavedRgb textBackground;
  SavedRgb text;
  SavedRgb dialogBackground;
  bool operator==(const SavedColors&) const = default;
};
// COLORS entries 1-12 by dialog: Command Center, File Splitting, Intuitive
// Target Practice, Test Disks, Copy &/Or Join, Split &/Or Copy, File(s)
// Comparing, Format Interface, Intuitive Horse Racing, Excess Files Remover,
// The Program Master, Data2Wav / Wav2Data.
std::array<SavedColors, 12> DefaultColors();

// FontI: the chosen dialog font.
struct FontValues {
  int32_t height = 0, weight = 0, italic = 0, underline = 0, strikeOut = 0, charSet = 0;
  bool operator==(const FontValues&) const = default;
};

// The bounds of a dialog font that can be read: a height (in pixels, either
// sign) or a weight outside them makes every label unreadable, so such a
// font is ignored when the file is read and the templates' font is kept.
// 0 is the face's own height or weight.
constexpr int32_t kFontHeightLeast = 6;
constexpr int32_t kFontHeightMost = 144;
constexpr int32_t kFontWeightMost = 1000;
bool PlausibleFont(const FontValues& font);

// WINPOS before any window was placed: every value -1.
inline std::array<int32_t, 24> UnsavedPlaces() {
  std::array<int32_t, 24> places;
  places.fill(-1);
  return places;
}

// A remembered list of the settings, empty, with its capacity.
inline RememberedList EmptySettingsList() { return RememberedList{kSettingsListSize, {}}; }

// Every setting, with its default. Texts are kept without trailing blanks.
// Flags are bool; the other values are the numbers the file holds.
struct Settings {
  std::string language;               // LANGUAGE: language file, "" = built-in texts
  std::array<int32_t, 12> topmost{};  // TOPMOST: always-on-top (1/0) per kPlacedRecords
  // WINPOS: left, top per kPlacedRecords ([2i] left, [2i+1] top); -1 = not saved
  std::array<int32_t, 24> winPos = UnsavedPlaces();
  std::array<int32_t, 20> winSize{};   // WINSZ: left, top, right, bottom per kMaximisableRecords
  std::array<int32_t, 5> maximized{};  // MAXIMIZED: per kMaximisableRecords
  std::array<SavedColors, 12> colors = DefaultColors();  // COLORS
  int32_t ywt = 0;                                       // YWT: watch offset, seconds
  int32_t buffSize = kBuffSizeDefault;                   // BuffSize: bytes
  int32_t listSizes = kListSizesDefault;                 // ListSizes: entries
  int32_t maxSizeToCopy = kMaxSizeToCopyDefault;         // MaxSizeToCopy: bytes
  bool silentP = false;                                  // SilentP
  int32_t noSounds = 0;                                  // NoSounds: 0 no sounds, 1 wave, 2 beep
  bool coloring = false;                                 // Coloring
  bool scrSaver = false;                                 // ScrSaver
  int32_t scrSaverI = 1;                                 // ScrSaverI: 0 none, 1 system, 2 from disk
  // ScrSaverL: Split &/Or Copy, Copy &/Or Join, Test Disks, Comparing and Remover
  std::array<int32_t, 4> scrSaverL{};
  std::string scrSaverC;  // ScrSaverC: screen saver file
  std::string fontC;      // FontC: face name
  FontValues fontI;       // FontI

  std::string fsFileName;                               // FSFileName
  std::string fsFolder;                                 // FSFolder
  bool fsJoinLog = true;                                // FSJoinLog
  bool checkFile = true;                                // CheckFile: <name>.SFV beside a split set
  bool fsAutoLink = true;                               // FSAutoLink
  RememberedList fsFileNameList = EmptySettingsList();  // FSFileNameList
  RememberedList fsFolderList = EmptySettingsList();    // FSFolderList

  std::array<std::string, 2> bSaveListNames;             // BSaveListNames(1), BSaveListNames(2)
  std::string bTmpFolder;                                // BTmpFolder
  RememberedList bTmpFolderList = EmptySettingsList();   // BTmpFolderList
  RememberedList bDestFolderList = EmptySettingsList();  // BDestFolderList
  bool bSaveListLog = false;                             // BSaveListLog
  bool bJoinLog = true;                                  // BJoinLog
  int64_t safeSpace = 0;                                 // SafeSpace: bytes kept free per disk

  std::string rDestFolder;                               // RDestFolder
  RememberedList rDestFolderList = EmptySettingsList();  // RDestFolderList
  RememberedList rOrigFolderList = EmptySettingsList();  // ROrigFolderList
  bool rAutoJoin = true;                                 // RAutoJoin
  bool rAutoJoinDel = true;                              // RAutoJoinDel
  bool rAutoName = true;                                 // RAutoName
  bool rCopyAll = true;                                  // RCopyAll
  bool rKeepStruct = true;                               // RKeepStruct
  bool rDeleteEnd = false;                               // RDeleteEnd
  bool rDelAfterJoin = true;                             // RDelAfterJoin

  std::string tdTmpFolder;  // TDTmpFolder

  std::string csFile;                                   // CSFile
  bool cRecur = false;                                  // CRecur
  bool cSave = false;                                   // CSave
  bool csShowComp = true;                               // CSShowComp
  bool csShowUnM = true;                                // CSShowUnM
  RememberedList cOrigFileList = EmptySettingsList();   // COrigFileList
  RememberedList cCloneFileList = EmptySettingsList();  // CCloneFileList

  std::string esFile;         // ESFile
  bool eRecur = true;         // ERecur
  bool eSave = false;         // ESave
  bool esSimulation = false;  // ESSimulation

  // W2D1NameList .. W2D4NameList
  std::array<RememberedList, 4> w2dNameList = {EmptySettingsList(), EmptySettingsList(),
                                               EmptySettingsList(), EmptySettingsList()};

  // Not keys: where the file is, and whether it is written at exit.
  std::string settingsPath;
  bool saveAtExit = false;

  bool operator==(const Settings&) const = default;
};

// The settings the program runs with (shared by every thread).
Settings& AppSettings();

// Name of key number (1..59), as written; "" outside.
const char* SettingsKeyName(int number);

// Every setting back to its default; path and save-at-exit flag are kept.
void SetDefaults(Settings& settings);
// The current folder, a backslash and "Kestrova.INI".
std::string BuildSettingsPath();

// At start: finds the settings file in the current folder, sets the
// save-at-exit flag when it has at least 101 bytes and then reads it; a
// file that cannot be read clears the flag, so the exit keeps it as it is.
// Returns true when the file was read.
bool ReadSettingsAtStart(Settings& settings);
// Reads the file over the current values. False (after telling the user)
// when it cannot be read in full; what was read stays.
bool ReadSettings(Settings& settings, const std::string& path);
// Reads settings lines from memory over the current values.
void ReadSettingsText(Settings& settings, std::string_view bytes);

// The file's lines in key order, each ending with CR LF.
std::vector<std::string> SettingsLines(const Settings& settings);
// Writes the whole file to settings.settingsPath. False (after telling the
// user) when it cannot be written in full.
bool WriteSettings(const Settings& settings, WindowRef owner);
// At exit: writes the file when saving at exit is on.
void SaveSettingsAtExit(const Settings& settings, WindowRef owner);

// The "&Roots" button switched on: asks, and on Yes writes the file at once
// and keeps saving at exit on; on No saving at exit is off.
void SwitchRootsOn(Settings& settings, WindowRef owner);
// Switched off: asks; Yes deletes the file, No keeps it (both stop saving
// at exit), Cancel keeps saving at exit on.
void SwitchRootsOff(Settings& settings, WindowRef owner);

}  // namespace kst
