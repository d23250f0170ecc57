// Any bytes read as a language file. What was read must come from the file
// (each text the exact contents of a pair of braces, each header value a
// piece of a line), and exporting the table and reading the export again
// must give the same texts and header.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/texts/language_files.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "fuzz/fuzz_check.h"

namespace {

struct Table {
  std::vector<std::string> texts;  // by id - 1
  std::string translator, url, name;
  bool operator==(const Table&) const = default;
};

// Header values keep trailing blanks when read, and an export leaves them out.
Table Current() {
  Table t;
  for (int id = 1; id <= kst::kTextCount; ++id) t.texts.push_back(kst::FullText(id));
  const kst::LanguageEntry& header = kst::LanguageList()[0];
  t.translator = kst::Trimmed(header.translator);
  t.url = kst::Trimmed(header.url);
  t.name = kst::Trimmed(header.name);
  return t;
}

void CheckHeaderValue(const std::string& value, std::string_view input) {
  FUZZ_CHECK(value.size() <= kst::kLanguageFieldWidth);
  FUZZ_CHECK(value.find("\r\n") == std::string::npos);
  FUZZ_CHECK(input.find(value) != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  kst::ClearTexts();
  kst::ReadLanguageBuffer(input.data(), input.size());
  const Table read = Current();

  for (int id = 1; id <= kst::kTextCount; ++id) {
    std::string text = read.texts[static_cast<size_t>(id - 1)];
    if (text.empty()) continue;
    if (id <= kst::kHelpPageLast) {  // a help page is kept with a NUL after it
      FUZZ_CHECK(text.back() == '\0');
      text.pop_back();
    }
    FUZZ_CHECK(!text.empty());
    FUZZ_CHECK(text.find('}') == std::string::npos);
    FUZZ_CHECK(input.find("{" + text + "}") != std::string_view::npos);
  }
  CheckHeaderValue(read.translator, input);
  CheckHeaderValue(read.url, input);
  CheckHeaderValue(read.name, input);

  const std::string exported = kst::LanguageFileBytes();
  kst::ClearTexts();
  kst::ReadLanguageBuffer(exported.data(), exported.size());
  FUZZ_CHECK(Current() == read);
  return 0;
}
