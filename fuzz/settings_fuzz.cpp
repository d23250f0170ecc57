// Any bytes read as a settings file. The values read must stay within what
// the program can use, the file written from them must be well formed, and
// reading that file back must give the same values (and the same file).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/settings/settings.h"
#include "fuzz/fuzz_check.h"

namespace {

void CheckValues(const kst::Settings& s) {
  FUZZ_CHECK(s.buffSize >= 1 && s.buffSize <= kst::kBuffSizeMax);
  FUZZ_CHECK(s.listSizes >= 1 && s.listSizes <= kst::kListSizesMax);
  FUZZ_CHECK(s.maxSizeToCopy >= 1 && s.maxSizeToCopy <= kst::kMaxSizeToCopyMax);
  FUZZ_CHECK(s.noSounds >= 0 && s.noSounds <= 2);
  FUZZ_CHECK(s.scrSaverI >= 0 && s.scrSaverI <= 2);
  FUZZ_CHECK(s.safeSpace >= 0);
  for (const kst::SavedColors& c : s.colors)
    for (const kst::SavedRgb& rgb : {c.textBackground, c.text, c.dialogBackground})
      for (int32_t v : {rgb.red, rgb.green, rgb.blue}) FUZZ_CHECK(v >= 0 && v <= 255);
  FUZZ_CHECK(s.language.size() <= kst::kSettingsTextWidth);
  FUZZ_CHECK(s.fontC.size() <= kst::kSettingsFaceWidth);
  for (const kst::RememberedList* list : {&s.fsFileNameList, &s.fsFolderList, &s.bTmpFolderList})
    FUZZ_CHECK(list->entries.size() <= list->capacity);
}

// Every line "KEY=value" CR LF, one line break each, at most 520 characters.
void CheckLines(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.size() >= 3 && line.size() <= 522);
    FUZZ_CHECK(line.compare(line.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(line.find_first_of(std::string("\r\n", 2)) == line.size() - 2);
    FUZZ_CHECK(line.find('=') != std::string::npos);
  }
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  kst::Settings read;
  kst::ReadSettingsText(read, input);
  CheckValues(read);
  const std::vector<std::string> lines = kst::SettingsLines(read);
  CheckLines(lines);

  kst::Settings again;
  kst::ReadSettingsText(again, Joined(lines));
  FUZZ_CHECK(again == read);
  FUZZ_CHECK(kst::SettingsLines(again) == lines);
  return 0;
}
