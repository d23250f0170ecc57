// Remembered lists: the recent values of a path field (files, folders,
// drives), most recent first, as the history of a combo box shows them and
// the settings file stores them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kst {

constexpr size_t kRememberedWidth = 260;  // the longest value a list keeps

struct RememberedList {
  size_t capacity = 0;               // how many entries the list keeps at most
  std::vector<std::string> entries;  // entries[0] is entry 1, the most recent;
                                     // entries.size() is the count
  bool operator==(const RememberedList&) const = default;
};

// Puts value (without trailing blanks) first. A value already listed
// (case and trailing blanks ignored) moves up from its place; a new one
// pushes the others down, and the last falls off when the list is full.
// A blank value, or one longer than 260 characters, is not remembered and
// gives false.
bool RememberInList(RememberedList& list, const std::string& value);

// The entries a path field's drop-down list shows, and which of them is
// value: the remembered entries, with value first when it is not among
// them, so that the field can show value by selecting it.
struct ShownHistory {
  std::vector<std::string> entries;
  int selected = -1;  // -1 for a blank value
};
ShownHistory HistoryShowing(const RememberedList& list, const std::string& value);

}  // namespace kst
