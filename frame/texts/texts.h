// The text table: every word Kestrova shows, by text id (1 to 1400).
// Filled with the built-in English texts and overwritten, entry by entry,
// from language files. Texts are kept at their exact length.
//
// Texts are written on the Command Center's thread (start-up and language
// changes) and read by every thread; each call is atomic, so a reader gets
// either the old or the new text of an entry, never a torn one.
#pragma once

#include <cstddef>
#include <string>

namespace kst {

constexpr int kTextCount = 1500;  // the data-safety texts run to 1499
constexpr size_t kTextWidth = 256;

// The text of id cut to 256 characters and padded with blanks; with
// terminate, a NUL follows it (257 characters). 256 blanks for an id
// outside 1..1400 or without text.
std::string GetText(int id, bool terminate = false);
// The text of id without its trailing blanks, as a message shows it.
std::string TrimmedText(int id);
// The whole text of id without padding ("" when there is none). The help
// pages (ids 1 to 9) end with their stored NUL.
std::string FullText(int id);
// A help page (id 1 to 9) as a field shows it: without its stored NUL.
std::string HelpPage(int id);
// Replaces (or with append, extends) the text of id; a result shorter
// than 1 character is stored as 1 blank. Ids outside 1..1400 are ignored.
void SetText(int id, const char* characters, size_t length, bool append = false);
inline void SetText(int id, const std::string& text, bool append = false) {
  SetText(id, text.data(), text.size(), append);
}
// Empties every entry (length 0), as before the built-in texts are loaded.
void ClearTexts();

}  // namespace kst
