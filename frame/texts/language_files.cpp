#include "frame/texts/language_files.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string_view>

#include "frame/files/whole_files.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

// The built-in English texts, embedded from resources/english.lng.
extern const char kEnglishLng[];
extern const unsigned long kEnglishLng_size;

namespace kst {

namespace {

enum TextId {
  kTextAllFiles = 51,
  kTextTheFile = 508,
  kTextNotSaved = 509,
  kTextNotSavedCorrectly = 510,
  kTextNotReadCorrectly = 512,
  kTextLanguageFilter = 759,
  kTextReplaceFile = 760,
  kTextOverwriteTitle = 761,
  kTextUnableToWrite = 762,
  kTextUnableToLoad = 764,
  kTextNotFoundTitle = 768,
  kTextNotFound = 769,
  kTextScreenSavers = 792,
  kTextWaveFiles = 1075,
};

// Messages about language files use the message-box record 21 and take the
// Command Center's (record 1) icon and colours.
constexpr int kMessageBoxRecord = 21;
constexpr int kCommandCenterRecord = 1;

// The built-in texts 1 and 3 are given to the table in two pieces.
constexpr int kTwoPieceTexts[] = {1, 3};

enum HeaderKey { kKeyTranslator, kKeyUrl, kKeyLanguage, kHeaderKeyCount, kNotHeader = -1 };
constexpr const char* kHeaderKeys[kHeaderKeyCount] = {"Translator", "URL", "Language"};

std::mutex g_filtersMutex;
FileFilters g_filters;

std::string& SettingValue() {
  static std::string setting(kLanguageFieldWidth, ' ');
  return setting;
}

std::string Field(const char* characters, size_t length) {
  return std::string(characters, std::min(length, kLanguageFieldWidth));
}

int32_t SizeField(int64_t size) {
  if (size < 0) return 0;
  return static_cast<int32_t>(std::min<int64_t>(size, std::numeric_limits<int32_t>::max()));
}

std::string* HeaderField(LanguageEntry& entry, int key) {
  if (key == kKeyTranslator) return &entry.translator;
  if (key == kKeyUrl) return &entry.url;
  return &entry.name;
}

int HeaderKeyOf(const char* key, size_t length) {
  while (length > 0 && key[length - 1] == ' ') --length;
  for (int k = 0; k < kHeaderKeyCount; ++k)
    if (length == std::strlen(kHeaderKeys[k]) && SameText(std::string(key, length), kHeaderKeys[k]))
      return k;
  return kNotHeader;
}

// The id of a text line's key: its digits in order, negative when it holds a
// "-". Only the digits that can still matter are handed on, so that a key of
// any length costs no copy of its size; the value saturates as TextToInt does.
int32_t KeyToId(const char* key, size_t length) {
  std::string digits;
  bool negative = false;
  for (size_t i = 0; i < length; ++i) {
    char c = key[i];
    if (c == '-') {
      negative = true;
    } else if (c >= '0' && c <= '9' && !(digits.empty() && c == '0') && digits.size() < 12) {
      digits.push_back(c);
    }
  }
  if (negative) digits.push_back('-');
  return TextToInt(digits);
}

size_t FindFrom(const char* data, size_t size, size_t from, char wanted) {
  if (from >= size) return std::string::npos;
  const void* hit = std::memchr(data + from, wanted, size - from);
  return hit ? static_cast<size_t>(static_cast<const char*>(hit) - data) : std::string::npos;
}

bool IsLineBreak(const char* data, size_t size, size_t pos) {
  return data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n';
}

// The position of the next CR LF at or after from, or size when there is none.
size_t LineEnd(const char* data, size_t size, size_t from) {
  for (size_t pos = from; pos < size;) {
    size_t cr = FindFrom(data, size, pos, '\r');
    if (cr == std::string::npos) break;
    if (cr + 1 < size && data[cr + 1] == '\n') return cr;
    pos = cr + 1;
  }
  return size;
}

// Receives each valid text line: an id from 1 to 1500 and a non-empty text.
using TextSink = std::function<void(int id, const char* text, size_t length)>;

// One pass over a language file's bytes. Header values that are not empty go
// into header; text lines go to onText. Without onText only the header is
// wanted: text lines are passed over and the scan stops once all three
// header keys were seen. Never reads outside data[0, size).
//
// A text line's "{" must be on the line of its "=", so that a line without
// braces cannot take the text of a later line. A "{" never closed leaves the
// rest of the file as an unfinished text: the scan ends there.
void ScanLanguage(const char* data, size_t size, LanguageEntry& header, const TextSink& onText) {
  bool seen[kHeaderKeyCount] = {};
  size_t lineStart = 0;
  size_t pos = 0;
  // Only "=" and CR mean anything between text lines: jump from one to the
  // next, keeping where each was last found.
  size_t nextEquals = FindFrom(data, size, 0, '=');
  size_t nextCr = FindFrom(data, size, 0, '\r');
  while (pos < size) {
    if (nextEquals < pos) nextEquals = FindFrom(data, size, pos, '=');
    if (nextCr < pos) nextCr = FindFrom(data, size, pos, '\r');
    pos = std::min(nextEquals, nextCr);
    if (pos >= size) break;
    if (IsLineBreak(data, size, pos)) {
      pos += 2;
      lineStart = pos;
      continue;
    }
    if (data[pos] != '=') {
      ++pos;
      continue;
    }
    int key = HeaderKeyOf(data + lineStart, pos - lineStart);
    if (key != kNotHeader) {
      size_t lineEnd = LineEnd(data, size, pos + 1);
      seen[key] = true;
      if (lineEnd > pos + 1) *HeaderField(header, key) = Field(data + pos + 1, lineEnd - pos - 1);
      if (!onText && seen[kKeyTranslator] && seen[kKeyUrl] && seen[kKeyLanguage]) return;
      pos = lineEnd;
      continue;
    }
    size_t open = pos + 1;
    while (open < size && data[open] != '{' && !IsLineBreak(data, size, open)) ++open;
    if (open == size || data[open] != '{') {
      pos = open;
      continue;
    }
    size_t close = FindFrom(data, size, open + 1, '}');
    if (close == std::string::npos) return;
    if (onText && close > open + 1) {
      int32_t id = KeyToId(data + lineStart, pos - lineStart);
      if (id >= 1 && id <= kTextCount) onText(id, data + open + 1, close - open - 1);
    }
    pos = close + 1;
    lineStart = pos;
  }
}

// Stores a text read from a file; a help page gets its NUL back. A text too
// big for the memory left is passed over: the entry keeps its text.
void StoreFileText(int id, const char* text, size_t length) {
  try {
    if (id > kHelpPageLast) {
      SetText(id, text, length);
      return;
    }
    std::string page;
    page.reserve(length + 1);
    page.assign(text, length);
    page.push_back('\0');
    SetText(id, page);
  } catch (const std::exception&) {
  }
}

std::string FileMessage(const std::string& path, int tailId) {
  return Trimmed(GetText(kTextTheFile)) + " " + Trimmed(path) + " " + Trimmed(GetText(tailId));
}

void Report(WindowRef owner, int titleId, const std::string& path, int tailId) {
  PlayAlert();
  AskUser(kAskOk, owner, GetText(titleId), FileMessage(path, tailId), kMessageBoxRecord,
          kCommandCenterRecord);
}

// Reads up to want bytes of an open file in one read into a new buffer; got
// receives the bytes that arrived. Null when want cannot be read in one read
// or its memory cannot be had.
std::unique_ptr<char[]> ReadWhole(plat::FileHandle h, uint64_t want, uint32_t* got) {
  *got = 0;
  if (want > std::numeric_limits<uint32_t>::max() || want > std::numeric_limits<size_t>::max() - 1)
    return nullptr;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<size_t>(want)]);
  if (!buffer) return nullptr;
  if (want > 0 && !plat::FileRead(h, buffer.get(), static_cast<uint32_t>(want), got)) *got = 0;
  return buffer;
}

// The built-in texts by id, as views into the embedded file.
std::vector<std::string_view> BuiltInTexts(LanguageEntry& header) {
  std::vector<std::string_view> texts(kTextCount + 1);
  ScanLanguage(kEnglishLng, kEnglishLng_size, header,
               [&texts](int id, const char* text, size_t length) {
                 texts[static_cast<size_t>(id)] = std::string_view(text, length);
               });
  return texts;
}

// Where a text is cut in two: just after the line break nearest its middle
// (at the middle when it has none).
size_t SplitPoint(std::string_view text) {
  size_t middle = text.size() / 2;
  size_t after = text.find("\r\n", middle);
  size_t before = text.rfind("\r\n", middle);
  size_t best = after;
  if (before != std::string_view::npos &&
      (after == std::string_view::npos || middle - before <= after - middle))
    best = before;
  return best == std::string_view::npos ? middle : best + 2;
}

void SetBuiltInText(int id, std::string_view text) {
  std::string_view rest = text;
  bool twoPieces = std::find(std::begin(kTwoPieceTexts), std::end(kTwoPieceTexts), id) !=
                   std::end(kTwoPieceTexts);
  size_t split = twoPieces ? SplitPoint(text) : 0;
  if (split > 0) {
    SetText(id, text.data(), split);
    rest = text.substr(split);
  }
  std::string last(rest);
  if (id <= kHelpPageLast) last.push_back('\0');
  SetText(id, last, split > 0);
}

}  // namespace

std::vector<LanguageEntry>& LanguageList() {
  static std::vector<LanguageEntry> list(2);
  return list;
}

std::string LanguageSetting() { return SettingValue(); }

void SetLanguageSetting(const std::string& path) { SettingValue() = Padded(path, kLanguageFieldWidth); }

void LoadBuiltInTexts() {
  LanguageEntry header;
  std::vector<std::string_view> texts = BuiltInTexts(header);
  for (int id = 1; id <= kTextCount; ++id)
    if (!texts[static_cast<size_t>(id)].empty()) SetBuiltInText(id, texts[static_cast<size_t>(id)]);

  LanguageEntry builtIn;
  builtIn.translator = header.translator;
  builtIn.url = header.url;
  builtIn.name = kBuiltInLanguageName;
  std::vector<LanguageEntry>& list = LanguageList();
  list[0] = builtIn;
  list[1] = builtIn;
}

void ReadLanguageBuffer(const char* data, size_t size) {
  LanguageEntry& current = LanguageList()[0];
  current.translator.clear();
  current.url.clear();
  current.name.clear();
  ScanLanguage(data, size, current, StoreFileText);
}

bool ReadLanguageFile(const std::string& path, WindowRef owner) {
  std::string name = Trimmed(path);
  plat::FileHandle h = plat::FileOpen(name, plat::kRead, plat::Disposition::OpenExisting);
  if (h == plat::kNoFile) {
    Report(owner, kTextNotFoundTitle, name, kTextNotFound);
    return false;
  }
  int64_t size = plat::FileSize(h);
  uint32_t got = 0;
  std::unique_ptr<char[]> buffer;
  if (size >= 0 && size <= kLanguageFileMost) buffer = ReadWhole(h, static_cast<uint64_t>(size), &got);
  plat::FileClose(h);
  if (!buffer || got != static_cast<uint64_t>(size)) {
    Report(owner, kTextUnableToLoad, name, kTextNotReadCorrectly);
    return false;
  }
  ReadLanguageBuffer(buffer.get(), got);
  LanguageEntry& current = LanguageList()[0];
  current.path = Field(name.data(), name.size());
  current.size = SizeField(size);
  return true;
}

std::string LanguageFileBytes() {
  const LanguageEntry& current = LanguageList()[0];
  std::string bytes;
  bytes += "Translator=" + Trimmed(current.translator) + "\r\n";
  bytes += "URL=" + Trimmed(current.url) + "\r\n";
  bytes += "Language=" + Trimmed(current.name) + "\r\n";
  for (int id = 1; id <= kTextCount; ++id) {
    std::string text = FullText(id);
    if (text.empty()) continue;
    if (id <= kHelpPageLast && text.back() == '\0') text.pop_back();
    std::string number = "0000";
    PutDigits(id, number, 1, 4, false);
    bytes += number + "={" + text + "}\r\n";
  }
  return bytes;
}

// Written under a partial name and named when whole: a disk without room
// leaves no short language file under the name chosen, and the file it was
// to replace stays as it was.
bool WriteLanguageFile(const std::string& path, WindowRef owner) {
  const std::string name = Trimmed(path);
  bool created = false;
  if (WriteWholeFile(name, LanguageFileBytes(), true, &created)) return true;
  Report(owner, kTextUnableToWrite, name, created ? kTextNotSavedCorrectly : kTextNotSaved);
  return false;
}

bool ExportLanguageFile(const std::string& path, WindowRef owner) {
  std::string name = Trimmed(path);
  if (plat::PathExists(name)) {
    std::string question = Trimmed(GetText(kTextReplaceFile)) + " " + name;
    if (AskUser(kAskYesNo, owner, GetText(kTextOverwriteTitle), question, kMessageBoxRecord,
                kCommandCenterRecord) != kAnswerYes)
      return false;
  }
  return WriteLanguageFile(name, owner);
}

bool ReadLanguageHeader(LanguageEntry& entry) {
  plat::FileHandle h = plat::FileOpen(Trimmed(entry.path), plat::kRead,
                                      plat::Disposition::OpenExisting);
  if (h == plat::kNoFile) return false;
  if (entry.size > kLanguageFileMost) {
    plat::FileClose(h);
    return false;
  }
  uint32_t got = 0;
  std::unique_ptr<char[]> buffer = ReadWhole(h, static_cast<uint64_t>(std::max(entry.size, 0)), &got);
  plat::FileClose(h);
  if (!buffer) return false;
  LanguageEntry header;
  ScanLanguage(buffer.get(), got, header, nullptr);
  entry.translator = header.translator;
  entry.url = header.url;
  entry.name = header.name;
  return true;
}

void ScanLanguageFolder(const std::string& folder) {
  std::vector<LanguageEntry>& list = LanguageList();
  std::string base = Trimmed(folder);
  if (!base.empty() && base.back() != '\\') base += '\\';
  plat::FindEntry found;
  plat::FindHandle h = plat::FindFirst(base + kLanguagePattern, &found);
  if (h != plat::kNoFind) {
    do {
      // The long name must match too: Windows also matches short names.
      if ((found.attributes & plat::kAttrDirectory) ||
          !plat::MatchesPattern(found.name, kLanguagePattern))
        continue;
      std::string path = base + found.name;
      bool known = std::any_of(list.begin() + 2, list.end(), [&path](const LanguageEntry& e) {
        return SameText(e.path, path);
      });
      if (known) continue;
      LanguageEntry entry;
      entry.path = Field(path.data(), path.size());
      entry.size = SizeField(static_cast<int64_t>(std::min<uint64_t>(found.size, std::numeric_limits<int64_t>::max())));
      list.push_back(entry);
    } while (plat::FindNext(h, &found));
    plat::FindClose(h);
  }
  for (size_t i = 2; i < list.size(); ++i) ReadLanguageHeader(list[i]);
}

bool ChooseLanguage(size_t index, WindowRef owner) {
  std::vector<LanguageEntry>& list = LanguageList();
  if (index >= list.size()) return false;
  std::string path = Trimmed(list[index].path);
  if (path.empty()) {
    LoadBuiltInTexts();
    SetLanguageSetting("");
    return true;
  }
  SetLanguageSetting(path);
  return ReadLanguageFile(path, owner);
}

void ApplyLanguageSetting(WindowRef owner) {
  std::string path = Trimmed(LanguageSetting());
  if (!path.empty()) ReadLanguageFile(path, owner);
  RebuildFilters();
}

void RebuildFilters() {
  using namespace std::string_literals;
  std::string generalPair = Trimmed(GetText(kTextAllFiles)) + "\0*.*\0"s;
  std::string end = "\0\0"s;
  FileFilters filters;
  filters.general = generalPair + end;
  filters.languages = Trimmed(GetText(kTextLanguageFilter)) + " (" + kLanguagePattern + ")\0"s +
                      kLanguagePattern + "\0"s + generalPair + end;
  filters.screenSavers = Trimmed(GetText(kTextScreenSavers)) + "\0*.scr\0"s + generalPair + end;
  filters.waves = Trimmed(GetText(kTextWaveFiles)) + "\0*.wav\0"s + generalPair + end;
  std::lock_guard<std::mutex> lock(g_filtersMutex);
  g_filters = filters;
}

FileFilters Filters() {
  std::lock_guard<std::mutex> lock(g_filtersMutex);
  return g_filters;
}

}  // namespace kst
