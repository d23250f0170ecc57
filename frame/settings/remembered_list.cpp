#include "frame/settings/remembered_list.h"

#include "frame/texts/text_numbers.h"

namespace kst {

bool RememberInList(RememberedList& list, const std::string& value) {
  std::string text = Trimmed(value);
  if (text.empty() || text.size() > kRememberedWidth) return false;
  std::vector<std::string>& e = list.entries;
  size_t place = 0;
  while (place < e.size() && !SameText(e[place], text)) ++place;
  if (place == e.size()) {
    if (list.capacity == 0) return true;
    e.insert(e.begin(), text);
  } else {
    // Entries above it move down one place; those below stay where they are.
    for (size_t i = place; i > 0; --i) e[i] = e[i - 1];
    e[0] = text;
  }
  if (e.size() > list.capacity) e.resize(list.capacity);
  return true;
}

ShownHistory HistoryShowing(const RememberedList& list, const std::string& value) {
  ShownHistory shown;
  std::string wanted = Trimmed(value);
  for (const std::string& entry : list.entries) {
    if (shown.selected < 0 && !wanted.empty() && SameText(entry, wanted))
      shown.selected = static_cast<int>(shown.entries.size());
    shown.entries.push_back(Trimmed(entry));
  }
  if (shown.selected < 0 && !wanted.empty()) {
    shown.entries.insert(shown.entries.begin(), wanted);
    shown.selected = 0;
  }
  return shown;
}

}  // namespace kst
