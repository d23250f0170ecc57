// Language files ("KSTV*.LNG"): the texts of the text table in a plain text
// form that Kestrova reads, writes (exports) and lists, the list of known
// languages, the language setting and the file-dialog filters built from the
// texts.
//
// A language file is lines ended by CR LF: header lines "Translator=...",
// "URL=..." and "Language=..." (keys compared without regard to case,
// trailing blanks ignored), then one text line per text, "0010={text}": the
// id, "=", and the text between braces, which may span several lines but
// never holds "}". The help pages (ids 1 to 9) are kept in the table with a
// NUL after the text; the file leaves it out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"

namespace kst {

constexpr size_t kLanguageFieldWidth = 260;  // translator, URL, path, name, setting
constexpr int kHelpPageLast = 9;             // ids 1..9 are stored with a NUL
constexpr const char* kLanguagePattern = "KSTV*.LNG";
constexpr const char* kBuiltInLanguageName = "Internal Language - English";
// The largest language file read: every text of the table exported is
// about 90 KB, and a file is read whole at start, before any window shows.
constexpr int64_t kLanguageFileMost = int64_t{4} << 20;

// One language of the list. Fields hold at most 260 characters; trailing
// blanks carry no meaning.
struct LanguageEntry {
  std::string translator;
  std::string url;   // where updates of the translation are published
  std::string path;  // "" for the built-in language
  std::string name;
  int32_t size = 0;  // bytes of the file
};

// Entry 0 is the language loaded now, entry 1 the built-in language, entries
// 2 and on the language files found on disk. Never shrinks below 2 entries
// and only grows; used on the Command Center's thread only.
std::vector<LanguageEntry>& LanguageList();

// The path of the language file the user chose, 260 characters blank-padded;
// blank means the built-in language. Kept in the settings file as LANGUAGE.
std::string LanguageSetting();
void SetLanguageSetting(const std::string& path);

// Fills the text table with the built-in English texts (ids 1 to 1103) and
// resets list entries 0 and 1 to the built-in language. Entries without a
// built-in text keep what they had. At start, ClearTexts() comes first.
void LoadBuiltInTexts();

// Reads a language file over the current table: every valid text line
// replaces its entry, the header goes into list entry 0. A file that is
// missing, larger than kLanguageFileMost or cannot be read in full is
// reported to the user (owner: the window the message belongs to) and
// leaves the table as it was. True when the file was read.
bool ReadLanguageFile(const std::string& path, WindowRef owner = nullptr);
// Applies the contents of a language file that is already in memory: texts
// into the table, header values into list entry 0 (after clearing them).
void ReadLanguageBuffer(const char* data, size_t size);

// Writes the current table (and entry 0's header) as a language file,
// replacing any file of that name once the new one is whole. A file that
// cannot be created or is written short is reported and leaves nothing
// behind. True when written in full.
bool WriteLanguageFile(const std::string& path, WindowRef owner = nullptr);
// The bytes WriteLanguageFile writes.
std::string LanguageFileBytes();

// Export as the user asked for it: when path exists, asks whether to
// replace it and writes nothing on No. True when written.
bool ExportLanguageFile(const std::string& path, WindowRef owner = nullptr);

// Adds every "KSTV*.LNG" file of folder that the list does not hold yet
// (paths compared without regard to case) and reads the header of every
// entry from 2 on.
void ScanLanguageFolder(const std::string& folder);
// Reads only the header of the entry's file (of the entry's size) into the
// entry. False when the file cannot be read or is too large to be a
// language file.
bool ReadLanguageHeader(LanguageEntry& entry);

// Loads the language of list entry index, as "Load Selected Language" does:
// entry 1 loads the built-in texts and blanks the setting; any other entry
// becomes the setting and its file is read. True when the texts changed.
bool ChooseLanguage(size_t index, WindowRef owner = nullptr);
// At start, after the settings are read: reads the language file of the
// setting, if any, and rebuilds the file-dialog filters.
void ApplyLanguageSetting(WindowRef owner = nullptr);

// The four file-dialog filters: description/pattern pairs, each part ended
// by NUL, the list ended by an empty pair (so the strings hold NULs).
struct FileFilters {
  std::string general;       // "All Files (*.*)" with "*.*"
  std::string languages;     // text 759 "(KSTV*.LNG)", then the general pair
  std::string screenSavers;  // text 792 with "*.scr", then the general pair
  std::string waves;         // text 1075 with "*.wav", then the general pair
};
// Rebuilds the filters from the current texts.
void RebuildFilters();
// A copy, so that a file dialog on another thread keeps its strings while
// a language change rebuilds them.
FileFilters Filters();

}  // namespace kst
