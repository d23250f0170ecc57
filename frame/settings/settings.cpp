#include "frame/settings/settings.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <type_traits>
#include <unordered_map>

#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

constexpr int kBoxRecord = 21;    // the Command Center's message-box record
constexpr int kOwnerRecord = 1;   // the Command Center
constexpr size_t kLineWidth = 520;  // longest line written, longest value read
constexpr size_t kKeyWidth = 20;    // longest key name
constexpr size_t kReadChunk = size_t(1) << 20;
constexpr size_t kMostEntries = 99;  // entry numbers have two digits
constexpr int32_t kAnyLow = std::numeric_limits<int32_t>::min();
constexpr int32_t kAnyHigh = std::numeric_limits<int32_t>::max();

// The values of one key, each written as a line "KEY=value".
using Values = std::vector<std::string>;

struct KeyRule {
  const char* name;
  std::function<void(Settings&, const std::string& value)> read;
  std::function<void(const Settings&, Values& out)> write;
};

// A text up to its first line break or NUL, at most width characters,
// without trailing blanks: what a one-line field can hold.
std::string TextValue(const std::string& value, size_t width) {
  std::string text = value.substr(0, value.find_first_of(std::string("\r\n\0", 3)));
  return Trimmed(text.substr(0, width));
}

// value kept within what width characters can show, sign included, so
// that a number never loses its sign or leading digits in the file.
int64_t WithinWidth(int64_t value, int width) {
  constexpr int64_t kMost = std::numeric_limits<int64_t>::max();
  int64_t high = 9;
  for (int i = 1; i < width; ++i) high = high > (kMost - 9) / 10 ? kMost : high * 10 + 9;
  int64_t low = -(high / 10);
  return std::clamp(value, low, high);
}

// value right-aligned in width characters, leading zeros blank.
std::string NumberField(int64_t value, int width) {
  std::string text(static_cast<size_t>(width), ' ');
  PutDigits64(WithinWidth(value, width), text, 1, width, true);
  return text;
}

template <class Field>
KeyRule Text(const char* name, Field field, size_t width = kSettingsTextWidth) {
  return {name, [=](Settings& s, const std::string& v) { field(s) = TextValue(v, width); },
          [=](const Settings& s, Values& out) { out.push_back(TextValue(field(s), width)); }};
}

// On reading, any odd number is on.
template <class Field>
KeyRule Flag(const char* name, Field field) {
  return {name, [=](Settings& s, const std::string& v) { field(s) = (TextToInt(v) & 1) != 0; },
          [=](const Settings& s, Values& out) { out.push_back(field(s) ? "-1" : " 0"); }};
}

// What a number read becomes, given the value it replaces.
using Correction = int64_t (*)(int64_t read, int64_t before);
int64_t AsRead(int64_t read, int64_t) { return read; }

template <class Field>
KeyRule Number(const char* name, int width, Field field, Correction correct = AsRead) {
  return {name,
          [=](Settings& s, const std::string& v) {
            auto& value = field(s);
            using T = std::remove_reference_t<decltype(value)>;
            int64_t read = sizeof(T) == 8 ? TextToInt64(v) : TextToInt(v);
            value = static_cast<T>(WithinWidth(correct(read, value), width));
          },
          [=](const Settings& s, Values& out) { out.push_back(NumberField(field(s), width)); }};
}

// count numbers of width characters at fixed places, gap blanks apart. A
// field the value does not reach, or a number outside low..high, keeps the
// value it had.
template <class Field>
KeyRule Fields(const char* name, int count, int width, int gap, Field field, int32_t low = kAnyLow,
               int32_t high = kAnyHigh) {
  return {name,
          [=](Settings& s, const std::string& v) {
            for (int i = 0; i < count; ++i) {
              int first = i * (width + gap) + 1, last = first + width - 1;
              if (static_cast<size_t>(last) > v.size()) break;
              int32_t n = TextToInt(v, first, last);
              if (n >= low && n <= high) field(s, i) = n;
            }
          },
          [=](const Settings& s, Values& out) {
            std::string text;
            for (int i = 0; i < count; ++i) {
              if (i > 0) text.append(static_cast<size_t>(gap), ' ');
              text += NumberField(field(s, i), width);
            }
            out.push_back(text);
          }};
}

// One line per entry: the entry number as two digits, then its text. An
// entry number beyond the list's capacity is ignored; entries skipped on
// the way to a higher one stay blank.
template <class Field>
KeyRule List(const char* name, Field field) {
  return {name,
          [=](Settings& s, const std::string& v) {
            RememberedList& list = field(s);
            int32_t number = TextToInt(v, 1, 2);
            if (number < 1) return;
            size_t n = static_cast<size_t>(number);
            if (n > std::min(list.capacity, kMostEntries)) return;
            if (list.entries.size() < n) list.entries.resize(n);
            list.entries[n - 1] = TextValue(v.size() > 2 ? v.substr(2) : "", kSettingsTextWidth);
          },
          [=](const Settings& s, Values& out) {
            const RememberedList& list = field(s);
            size_t count = std::min<size_t>(list.entries.size(), kMostEntries);
            for (size_t i = 0; i < count; ++i) {
              std::string text = "00";
              PutDigits(static_cast<int32_t>(i + 1), text, 1, 2, false);
              out.push_back(text + TextValue(list.entries[i], kSettingsTextWidth));
            }
          }};
}

int64_t BuffSizeRead(int64_t read, int64_t) {
  return read <= 0 ? kBuffSizeDefault : std::min<int64_t>(read, kBuffSizeMax);
}
int64_t ListSizesRead(int64_t read, int64_t) {
  return read <= 0 ? kListSizesDefault : std::min<int64_t>(read, kListSizesMax);
}
int64_t MaxSizeToCopyRead(int64_t read, int64_t) {
  return read <= 0 ? kMaxSizeToCopyFallback : std::min<int64_t>(read, kMaxSizeToCopyMax);
}
// Sound modes and screen-saver choices are 0, 1 or 2.
int64_t ModeRead(int64_t read, int64_t before) { return read >= 0 && read <= 2 ? read : before; }
int64_t NotNegative(int64_t read, int64_t before) { return read >= 0 ? read : before; }

// Number k (0-8) of a colour entry: text background, text, dialog
// background, each red, green, blue.
template <class Entry>
auto& ColorPart(Entry& entry, int k) {
  auto& rgb = k < 3 ? entry.textBackground : k < 6 ? entry.text : entry.dialogBackground;
  return k % 3 == 0 ? rgb.red : k % 3 == 1 ? rgb.green : rgb.blue;
}

constexpr int32_t FontValues::*kFontParts[] = {&FontValues::height,    &FontValues::weight,
                                               &FontValues::italic,    &FontValues::underline,
                                               &FontValues::strikeOut, &FontValues::charSet};

// The keys in the order they are written.
const std::vector<KeyRule>& KeyTable() {
  static const std::vector<KeyRule> table = {
      Text("LANGUAGE", [](auto& s) -> auto& { return s.language; }),
      Fields("TOPMOST", 12, 2, 0, [](auto& s, int i) -> auto& { return s.topmost[i]; }),
      Fields("WINPOS", 24, 5, 1, [](auto& s, int i) -> auto& { return s.winPos[i]; }),
      Fields("WINSZ", 20, 5, 0, [](auto& s, int i) -> auto& { return s.winSize[i]; }),
      Fields("MAXIMIZED", 5, 2, 0, [](auto& s, int i) -> auto& { return s.maximized[i]; }),
      Fields("COLORS", 108, 4, 0,
             [](auto& s, int i) -> auto& { return ColorPart(s.colors[i / 9], i % 9); }, 0, 255),
      Number("YWT", 10, [](auto& s) -> auto& { return s.ywt; }),
      Number("BuffSize", 10, [](auto& s) -> auto& { return s.buffSize; }, BuffSizeRead),
      Number("ListSizes", 10, [](auto& s) -> auto& { return s.listSizes; }, ListSizesRead),
      Number("MaxSizeToCopy", 10, [](auto& s) -> auto& { return s.maxSizeToCopy; },
             MaxSizeToCopyRead),
      Flag("SilentP", [](auto& s) -> auto& { return s.silentP; }),
      Number("NoSounds", 1, [](auto& s) -> auto& { return s.noSounds; }, ModeRead),
      Flag("Coloring", [](auto& s) -> auto& { return s.coloring; }),
      Flag("ScrSaver", [](auto& s) -> auto& { return s.scrSaver; }),
      Number("ScrSaverI", 2, [](auto& s) -> auto& { return s.scrSaverI; }, ModeRead),
      Fields("ScrSaverL", 4, 2, 0, [](auto& s, int i) -> auto& { return s.scrSaverL[i]; }),
      Text("ScrSaverC", [](auto& s) -> auto& { return s.scrSaverC; }),
      Text("FontC", [](auto& s) -> auto& { return s.fontC; }, kSettingsFaceWidth),
      Fields("FontI", 6, 9, 0, [](auto& s, int i) -> auto& { return s.fontI.*kFontParts[i]; }),
      Text("FSFileName", [](auto& s) -> auto& { return s.fsFileName; }),
      Text("FSFolder", [](auto& s) -> auto& { return s.fsFolder; }),
      Flag("FSJoinLog", [](auto& s) -> auto& { return s.fsJoinLog; }),
      Flag("FSAutoLink", [](auto& s) -> auto& { return s.fsAutoLink; }),
      Flag("CheckFile", [](auto& s) -> auto& { return s.checkFile; }),
      List("FSFileNameList", [](auto& s) -> auto& { return s.fsFileNameList; }),
      List("FSFolderList", [](auto& s) -> auto& { return s.fsFolderList; }),
      Text("BSaveListNames(1)", [](auto& s) -> auto& { return s.bSaveListNames[0]; }),
      Text("BSaveListNames(2)", [](auto& s) -> auto& { return s.bSaveListNames[1]; }),
      Text("BTmpFolder", [](auto& s) -> auto& { return s.bTmpFolder; }),
      List("BTmpFolderList", [](auto& s) -> auto& { return s.bTmpFolderList; }),
      List("BDestFolderList", [](auto& s) -> auto& { return s.bDestFolderList; }),
      Flag("BSaveListLog", [](auto& s) -> auto& { return s.bSaveListLog; }),
      Flag("BJoinLog", [](auto& s) -> auto& { return s.bJoinLog; }),
      Number("SafeSpace", 20, [](auto& s) -> auto& { return s.safeSpace; }, NotNegative),
      Text("RDestFolder", [](auto& s) -> auto& { return s.rDestFolder; }),
      List("RDestFolderList", [](auto& s) -> auto& { return s.rDestFolderList; }),
      List("ROrigFolderList", [](auto& s) -> auto& { return s.rOrigFolderList; }),
      Flag("RAutoJoin", [](auto& s) -> auto& { return s.rAutoJoin; }),
      Flag("RAutoJoinDel", [](auto& s) -> auto& { return s.rAutoJoinDel; }),
      Flag("RAutoName", [](auto& s) -> auto& { return s.rAutoName; }),
      Flag("RCopyAll", [](auto& s) -> auto& { return s.rCopyAll; }),
      Flag("RKeepStruct", [](auto& s) -> auto& { return s.rKeepStruct; }),
      Flag("RDeleteEnd", [](auto& s) -> auto& { return s.rDeleteEnd; }),
      Flag("RDelAfterJoin", [](auto& s) -> auto& { return s.rDelAfterJoin; }),
      Text("TDTmpFolder", [](auto& s) -> auto& { return s.tdTmpFolder; }),
      Text("CSFile", [](auto& s) -> auto& { return s.csFile; }),
      Flag("CRecur", [](auto& s) -> auto& { return s.cRecur; }),
      Flag("CSave", [](auto& s) -> auto& { return s.cSave; }),
      Flag("CSShowComp", [](auto& s) -> auto& { return s.csShowComp; }),
      Flag("CSShowUnM", [](auto& s) -> auto& { return s.csShowUnM; }),
      List("COrigFileList", [](auto& s) -> auto& { return s.cOrigFileList; }),
      List("CCloneFileList", [](auto& s) -> auto& { return s.cCloneFileList; }),
      Text("ESFile", [](auto& s) -> auto& { return s.esFile; }),
      Flag("ERecur", [](auto& s) -> auto& { return s.eRecur; }),
      Flag("ESave", [](auto& s) -> auto& { return s.eSave; }),
      Flag("ESSimulation", [](auto& s) -> auto& { return s.esSimulation; }),
      List("W2D1NameList", [](auto& s) -> auto& { return s.w2dNameList[0]; }),
      List("W2D2NameList", [](auto& s) -> auto& { return s.w2dNameList[1]; }),
      List("W2D3NameList", [](auto& s) -> auto& { return s.w2dNameList[2]; }),
      List("W2D4NameList", [](auto& s) -> auto& { return s.w2dNameList[3]; }),
  };
  return table;
}

// Key names are found without regard to case.
const KeyRule* FindKey(const std::string& key) {
  static const std::unordered_map<std::string, const KeyRule*> byName = [] {
    std::unordered_map<std::string, const KeyRule*> names;
    for (const KeyRule& rule : KeyTable()) names[UpperCase(rule.name)] = &rule;
    return names;
  }();
  auto found = byName.find(UpperCase(key));
  return found == byName.end() ? nullptr : found->second;
}

// The line being read. Only as much of it is kept as can matter: a key of
// up to 20 characters (trailing blanks counted, not kept) and a value of up
// to 520, so a file of any size or shape is read in bounded memory.
struct LineScan {
  std::string key;
  size_t pendingBlanks = 0;
  bool keyTooLong = false;
  bool inValue = false;
  std::string value;
};

void AddKeyCharacters(LineScan& scan, const char* p, size_t n) {
  for (size_t i = 0; i < n && !scan.keyTooLong; ++i) {
    if (p[i] == ' ') {
      ++scan.pendingBlanks;
    } else if (scan.key.size() + scan.pendingBlanks + 1 > kKeyWidth) {
      scan.keyTooLong = true;
    } else {
      scan.key.append(scan.pendingBlanks, ' ');
      scan.pendingBlanks = 0;
      scan.key.push_back(p[i]);
    }
  }
}

// Part of a line, without its line feed.
void ScanPart(LineScan& scan, const char* p, size_t n) {
  if (!scan.inValue) {
    const char* equals = static_cast<const char*>(memchr(p, '=', n));
    size_t keyLength = equals ? static_cast<size_t>(equals - p) : n;
    AddKeyCharacters(scan, p, keyLength);
    if (!equals) return;
    scan.inValue = true;
    p = equals + 1;
    n -= keyLength + 1;
  }
  scan.value.append(p, std::min(n, kLineWidth - scan.value.size()));
}

// The value ends at the line's carriage return; a line without "=" or with
// an unknown key changes nothing.
void EndLine(Settings& settings, LineScan& scan) {
  if (scan.inValue && !scan.keyTooLong) {
    size_t cr = scan.value.find('\r');
    if (cr != std::string::npos) scan.value.resize(cr);
    if (const KeyRule* rule = FindKey(scan.key)) rule->read(settings, scan.value);
  }
  scan.key.clear();
  scan.value.clear();
  scan.pendingBlanks = 0;
  scan.keyTooLong = false;
  scan.inValue = false;
}

void ScanBytes(Settings& settings, LineScan& scan, const char* p, size_t n) {
  while (n > 0) {
    const char* lf = static_cast<const char*>(memchr(p, '\n', n));
    size_t length = lf ? static_cast<size_t>(lf - p) : n;
    ScanPart(scan, p, length);
    if (!lf) return;
    EndLine(settings, scan);
    p = lf + 1;
    n -= length + 1;
  }
}

// "The file <path> <text>".
std::string FileMessage(const std::string& path, int textId) {
  return Trimmed(GetText(508)) + " " + Trimmed(path) + " " + Trimmed(GetText(textId));
}

void Report(WindowRef owner, int titleId, const std::string& message) {
  PlayAlert();
  AskUser(kAskOk, owner, GetText(titleId), message, kBoxRecord, kOwnerRecord);
}

// Writes all of text, going on after a partial transfer.
bool WriteAll(plat::FileHandle h, const std::string& text) {
  size_t written = 0;
  while (written < text.size()) {
    uint32_t done = 0;
    uint32_t size = static_cast<uint32_t>(text.size() - written);
    if (!plat::FileWrite(h, text.data() + written, size, &done) || done == 0) return false;
    written += done;
  }
  return true;
}

}  // namespace

std::array<SavedColors, 12> DefaultColors() {
  // Per dialog: text background, text, dialog background.
  return {{
      {{38, 250, 255}, {0, 0, 0}, {38, 250, 255}},        // Command Center
      {{253, 43, 64}, {255, 255, 255}, {253, 19, 43}},    // File Splitting
      {{60, 60, 60}, {245, 245, 245}, {0, 0, 0}},         // Intuitive Target Practice
      {{209, 52, 214}, {255, 255, 255}, {199, 41, 203}},  // Test Disks
      {{0, 230, 0}, {0, 0, 0}, {0, 217, 0}},              // Copy &/Or Join
      {{240, 240, 0}, {0, 0, 0}, {225, 225, 0}},          // Split &/Or Copy
      {{0, 0, 128}, {253, 204, 74}, {0, 0, 112}},         // File(s) Comparing
      {{201, 153, 73}, {75, 55, 22}, {199, 149, 65}},     // Format Interface
      {{20, 60, 20}, {235, 235, 235}, {0, 40, 0}},        // Intuitive Horse Racing
      {{60, 160, 60}, {255, 255, 255}, {80, 120, 80}},    // Excess Files Remover
      {{60, 90, 60}, {240, 220, 200}, {60, 60, 60}},      // The Program Master
      {{160, 160, 160}, {0, 0, 0}, {163, 163, 163}},      // Data2Wav / Wav2Data
  }};
}

Settings& AppSettings() {
  static Settings settings;
  return settings;
}

const char* SettingsKeyName(int number) {
  if (number < 1 || number > kSettingsKeyCount) return "";
  return KeyTable()[static_cast<size_t>(number - 1)].name;
}

void SetDefaults(Settings& settings) {
  std::string path = std::move(settings.settingsPath);
  bool saveAtExit = settings.saveAtExit;
  settings = Settings();
  settings.settingsPath = std::move(path);
  settings.saveAtExit = saveAtExit;
}

std::string BuildSettingsPath() {
  std::string folder = Trimmed(plat::CurrentFolder());
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder + kSettingsFileName;
}

bool ReadSettingsAtStart(Settings& settings) {
  settings.settingsPath = BuildSettingsPath();
  settings.saveAtExit = plat::SizeOfPath(settings.settingsPath) >= kSettingsMinimumSize;
  if (!settings.saveAtExit) return false;
  // A file that could not be read is not written over at exit with what
  // little was read: the user's settings stay on disk.
  if (!ReadSettings(settings, settings.settingsPath)) settings.saveAtExit = false;
  return settings.saveAtExit;
}

bool PlausibleFont(const FontValues& font) {
  int64_t height = font.height < 0 ? -int64_t{font.height} : font.height;
  bool heightOk = height == 0 || (height >= kFontHeightLeast && height <= kFontHeightMost);
  return heightOk && font.weight >= 0 && font.weight <= kFontWeightMost;
}

namespace {

// What was read as a whole: a font nobody can read gives way to the templates'.
void CheckReadValues(Settings& settings) {
  if (PlausibleFont(settings.fontI)) return;
  settings.fontI = FontValues{};
  settings.fontC.clear();
}

}  // namespace

bool ReadSettings(Settings& settings, const std::string& path) {
  plat::FileHandle h = plat::FileOpen(path, plat::kRead, plat::Disposition::OpenExisting);
  int64_t size = h == plat::kNoFile ? -1 : plat::FileSize(h);
  bool ok = size >= 0;
  LineScan scan;
  if (ok) {
    // Read piece by piece: lines end anywhere, and a damaged file may be huge.
    std::vector<char> buffer(static_cast<size_t>(std::clamp<int64_t>(size, 1, kReadChunk)));
    for (int64_t done = 0; ok && done < size;) {
      int64_t left = std::min<int64_t>(size - done, static_cast<int64_t>(buffer.size()));
      uint32_t want = static_cast<uint32_t>(left);
      uint32_t got = 0;
      ok = plat::FileRead(h, buffer.data(), want, &got) && got > 0;
      if (ok) ScanBytes(settings, scan, buffer.data(), got);
      done += got;
    }
  }
  if (h != plat::kNoFile) plat::FileClose(h);
  if (!ok) {
    CheckReadValues(settings);
    Report(nullptr, 511, FileMessage(path, 512));
    return false;
  }
  EndLine(settings, scan);
  CheckReadValues(settings);
  return true;
}

void ReadSettingsText(Settings& settings, std::string_view bytes) {
  LineScan scan;
  ScanBytes(settings, scan, bytes.data(), bytes.size());
  EndLine(settings, scan);
  CheckReadValues(settings);
}

std::vector<std::string> SettingsLines(const Settings& settings) {
  std::vector<std::string> lines;
  Values values;
  for (const KeyRule& rule : KeyTable()) {
    values.clear();
    rule.write(settings, values);
    for (const std::string& value : values) {
      std::string line = std::string(rule.name) + "=" + value;
      lines.push_back(Trimmed(line.substr(0, kLineWidth)) + "\r\n");
    }
  }
  return lines;
}

bool WriteSettings(const Settings& settings, WindowRef owner) {
  const std::string& path = settings.settingsPath;
  plat::FileHandle h = plat::FileOpen(path, plat::kWrite, plat::Disposition::CreateAlways);
  if (!plat::OpenSucceeded(h)) {
    if (h != plat::kNoFile) plat::FileClose(h);
    Report(owner, 507, FileMessage(path, 509));
    return false;
  }
  for (const std::string& line : SettingsLines(settings)) {
    if (!WriteAll(h, line)) {
      plat::FileClose(h);
      Report(owner, 507, FileMessage(path, 510));
      return false;
    }
  }
  plat::FileClose(h);
  return true;
}

void SaveSettingsAtExit(const Settings& settings, WindowRef owner) {
  if (settings.saveAtExit) WriteSettings(settings, owner);
}

void SwitchRootsOn(Settings& settings, WindowRef owner) {
  PlayAlert();
  int answer = AskUser(kAskYesNo, owner, GetText(505), GetText(506), kBoxRecord, kOwnerRecord);
  settings.saveAtExit = answer == kAnswerYes;
  if (settings.saveAtExit) WriteSettings(settings, owner);
}

void SwitchRootsOff(Settings& settings, WindowRef owner) {
  PlayAlert();
  int answer =
      AskUser(kAskYesNoCancel, owner, GetText(503), GetText(504), kBoxRecord, kOwnerRecord);
  settings.saveAtExit = answer == kAnswerCancel;
  if (answer == kAnswerYes) {
    const uint32_t flags = plat::kShellNoConfirmation | plat::QuietShellFlags(settings.silentP);
    plat::ShellFileOperation(plat::ShellOp::Delete, settings.settingsPath, "", flags);
  }
}

}  // namespace kst
