#include "frame/dialogs/dialog.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/job_control.h"

namespace kst {

namespace {

DialogRecord* Records() {
  static DialogRecord* records = new DialogRecord[kRecordCount + 1];
  return records;
}

std::mutex g_hooksMutex;
DialogHooks g_hooks;

std::mutex g_tablesMutex;
// Guards each record's title, tooltips and bound state: the Command
// Center relabels every record while their own threads open and close.
std::recursive_mutex g_recordsMutex;
std::map<int, DialogTexts> g_texts;
std::map<int, std::vector<TemplateControl>> g_templates;

DialogHooks Hooks() {
  std::lock_guard<std::mutex> lock(g_hooksMutex);
  return g_hooks;
}

bool ValidRecord(int number) { return number >= 1 && number <= kRecordCount; }

// Changes one control under the state's lock and marks what changed.
template <typename Change>
void Modify(DialogState& state, int id, uint32_t part, Change change) {
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    Control* c = FindControl(state, id);
    if (!c) return;
    change(*c);
    c->pending |= part;
  }
  state.changesPending = true;
}

}  // namespace

DialogRecord& Record(int number) {
  return Records()[ValidRecord(number) ? number : 0];
}

void ClearRecords() {
  static const int kExtendedMenu[] = {1, 3, 5, 7, 9, 10, 12, 13, 15, 16, 18, 19, 33, 35, 39, 42};
  static const int kMaximisable[] = {7, 13, 19, 33, 39};
  for (int n = 0; n <= kRecordCount; ++n) {
    DialogRecord& r = Records()[n];
    r.creationMarker = 0;
    r.dropTarget = 0;
    r.icon = 0;
    r.colours = Colours{};
    r.brush = nullptr;
    r.alwaysOnTop = false;
    r.extendedMenu = false;
    r.systemMenu = nullptr;
    r.savedLeft = r.savedTop = -1;
    r.restorePosition = false;
    r.maximisable = false;
    r.maximised = false;
    r.tooltipWindow = nullptr;
    r.title = std::string(kTextWidth, ' ');
    r.tooltips.clear();
    for (int& e : r.extra) e = 0;
    r.state = nullptr;
    r.layout = nullptr;
  }
  for (int n : kExtendedMenu) Records()[n].extendedMenu = true;
  for (int n : kMaximisable) Records()[n].maximisable = true;
}

void BindRecord(int number, DialogState& state) {
  if (!ValidRecord(number)) return;
  std::lock_guard<std::recursive_mutex> lock(g_recordsMutex);
  Records()[number].state = &state;
  state.record = number;
}

void UnbindRecord(int number, DialogState* previous) {
  if (!ValidRecord(number)) return;
  std::lock_guard<std::recursive_mutex> lock(g_recordsMutex);
  Records()[number].state = previous;
}

void ForEachBoundState(const std::function<void(int number, DialogState* state)>& visit) {
  for (int n = 1; n <= kRecordCount; ++n) {
    std::lock_guard<std::recursive_mutex> lock(g_recordsMutex);
    visit(n, Records()[n].state);
  }
}

std::mutex& RecordColoursMutex() {
  static std::mutex mutex;
  return mutex;
}

void SetRecordTexts(int number, DialogTexts texts) {
  std::lock_guard<std::mutex> lock(g_tablesMutex);
  g_texts[number] = std::move(texts);
}

std::optional<DialogTexts> RecordTexts(int number) {
  std::lock_guard<std::mutex> lock(g_tablesMutex);
  auto it = g_texts.find(number);
  if (it == g_texts.end()) return std::nullopt;
  return it->second;
}

void RegisterTemplate(int templateId, std::vector<TemplateControl> controls) {
  std::lock_guard<std::mutex> lock(g_tablesMutex);
  g_templates[templateId] = std::move(controls);
}

bool DialogInit(int templateId, DialogState& state) {
  DialogHooks hooks = Hooks();
  std::vector<TemplateControl> controls;
  std::string title;
  if (hooks.loadTemplate) {
    if (!hooks.loadTemplate(templateId, &controls, &title)) return false;
  } else {
    std::lock_guard<std::mutex> lock(g_tablesMutex);
    auto it = g_templates.find(templateId);
    if (it == g_templates.end()) return false;
    controls = it->second;
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  state.controls.clear();
  for (const TemplateControl& t : controls) {
    Control c;
    c.id = t.id;
    c.type = t.type;
    c.text = t.text;
    c.value = (t.type == ControlType::ListBox || t.type == ControlType::ComboBox) ? -1 : 0;
    state.controls.push_back(std::move(c));
  }
  state.title = title;
  state.templateId = templateId;
  state.window = nullptr;
  state.changesPending = false;
  state.flushQueued = false;
  state.titlePending = false;
  return true;
}

void DialogPrepare(int number) {
  if (!ValidRecord(number)) return;
  std::lock_guard<std::recursive_mutex> records(g_recordsMutex);
  DialogRecord& r = Records()[number];
  size_t count = 0;
  if (r.state) {
    std::lock_guard<std::mutex> lock(r.state->mutex);
    count = r.state->controls.size();
  }
  r.tooltips.assign(count, std::string());
}

void ApplyTexts(int number) {
  if (!ValidRecord(number)) return;
  std::lock_guard<std::recursive_mutex> records(g_recordsMutex);
  DialogRecord& r = Records()[number];
  const std::optional<DialogTexts> texts = RecordTexts(number);
  if (!r.state || !texts) return;
  DialogState& state = *r.state;
  if (texts->titleText) {
    r.title = GetText(texts->titleText);
    DialogSetTitle(state, Trimmed(r.title));
  }
  for (const ControlTexts& t : texts->controls) {
    if (t.labelText) DialogSet(state, t.controlId, Trimmed(FullText(t.labelText)));
    if (t.tooltipText) DialogSetTooltip(state, t.controlId, Trimmed(FullText(t.tooltipText)));
  }
  std::lock_guard<std::mutex> lock(state.mutex);
  r.tooltips.resize(state.controls.size());
  for (size_t i = 0; i < state.controls.size(); ++i) r.tooltips[i] = state.controls[i].tooltip;
}

Control* FindControl(DialogState& state, int id) {
  for (Control& c : state.controls)
    if (c.id == id) return &c;
  return nullptr;
}

void DialogSet(DialogState& state, int id, const std::string& text) {
  Modify(state, id, kPendText, [&](Control& c) { c.text = text; });
}

void DialogSetValue(DialogState& state, int id, int value) {
  Modify(state, id, kPendValue, [&](Control& c) { c.value = value; });
}

void DialogSetEnabled(DialogState& state, int id, bool enabled) {
  Modify(state, id, kPendEnabled, [&](Control& c) { c.enabled = enabled; });
}

void DialogSetVisible(DialogState& state, int id, bool visible) {
  Modify(state, id, kPendVisible, [&](Control& c) { c.visible = visible; });
}

void DialogSetRange(DialogState& state, int id, int minimum, int maximum) {
  Modify(state, id, kPendRange, [&](Control& c) {
    c.rangeMin = minimum;
    c.rangeMax = maximum;
  });
}

void DialogSetItems(DialogState& state, int id, std::vector<std::string> items) {
  Modify(state, id, kPendItems | kPendValue, [&](Control& c) {
    c.items = std::move(items);
    if (c.value >= static_cast<int>(c.items.size())) c.value = -1;
  });
}

void DialogSetTooltip(DialogState& state, int id, const std::string& tooltip) {
  Modify(state, id, kPendTooltip, [&](Control& c) { c.tooltip = tooltip; });
}

void DialogSetImage(DialogState& state, int id, int bitmap) {
  Modify(state, id, kPendImage, [&](Control& c) { c.image = bitmap; });
}

void DialogSetTitle(DialogState& state, const std::string& title) {
  std::lock_guard<std::mutex> lock(state.mutex);
  state.title = title;
  state.titlePending = true;
  state.changesPending = true;
}

std::string DialogGet(DialogState& state, int id) {
  std::lock_guard<std::mutex> lock(state.mutex);
  Control* c = FindControl(state, id);
  return c ? c->text : std::string();
}

int DialogGetValue(DialogState& state, int id) {
  std::lock_guard<std::mutex> lock(state.mutex);
  Control* c = FindControl(state, id);
  return c ? c->value : 0;
}

bool DialogGetEnabled(DialogState& state, int id) {
  std::lock_guard<std::mutex> lock(state.mutex);
  Control* c = FindControl(state, id);
  return c && c->enabled;
}

std::vector<std::string> DialogGetItems(DialogState& state, int id) {
  std::lock_guard<std::mutex> lock(state.mutex);
  Control* c = FindControl(state, id);
  return c ? c->items : std::vector<std::string>();
}

void DialogSetCallback(DialogState& state, int id, ControlRoutine routine) {
  std::lock_guard<std::mutex> lock(state.mutex);
  if (Control* c = FindControl(state, id)) c->routine = std::move(routine);
}

void RunControlRoutine(DialogState& state, int id, int notification,
                       const std::vector<std::string>& dropped) {
  ControlRoutine routine;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (Control* c = FindControl(state, id)) routine = c->routine;
  }
  if (routine) routine(state, id, notification, dropped);
}

void DialogFlush(DialogState& state) {
  DialogHooks hooks = Hooks();
  if (hooks.flush && hooks.flush(state)) return;
  if (!hooks.queueFlush || !state.changesPending.load()) return;
  // A worker flushing every buffer would otherwise fill the window's queue
  // with flushes that clicks and closes wait behind.
  if (state.flushQueued.exchange(true)) return;
  if (!hooks.queueFlush(state)) state.flushQueued = false;
}

void TakeQueuedFlush(DialogState& state) { state.flushQueued = false; }

int DialogRunModal(DialogState& state, int number) {
  DialogHooks hooks = Hooks();
  if (!hooks.runModal) return -1;
  return hooks.runModal(state, number);
}

void DialogExit(DialogState& state, int value) {
  DialogHooks hooks = Hooks();
  if (hooks.exit) hooks.exit(state, value);
}

void DialogUninit(DialogState& state) {
  std::lock_guard<std::mutex> lock(state.mutex);
  state.controls.clear();
  state.templateId = -1;
  state.window = nullptr;
  state.changesPending = false;
}

void DialogRelease(int number) {
  if (!ValidRecord(number)) return;
  std::lock_guard<std::recursive_mutex> records(g_recordsMutex);
  Records()[number].tooltips.clear();
}

void BringWindowToFront(WindowRef window) {
  DialogHooks hooks = Hooks();
  if (window && hooks.bringToFront) hooks.bringToFront(window);
}

void SetDialogHooks(DialogHooks hooks) {
  std::lock_guard<std::mutex> lock(g_hooksMutex);
  g_hooks = std::move(hooks);
}

bool ProgressDue(std::atomic<int64_t>& shownAt, int64_t nowMs, bool mustShow) {
  int64_t last = shownAt.load();
  // A clock that went back counts as due, so the bar never freezes.
  if (!mustShow && nowMs >= last && nowMs - last < kProgressIntervalMs) return false;
  shownAt = nowMs;
  return true;
}

namespace {

int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

enum class BarChange { None, Held, MustShow };

// Sets the bar's position and tells what the change is: nothing new, a step
// that may wait, or one that must be seen (a reset, the end of the range).
BarChange SetBarPosition(DialogState& state, int id, int position) {
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    Control* c = FindControl(state, id);
    if (!c || c->value == position) return BarChange::None;
    c->value = position;
    c->pending |= kPendValue;
    if (position <= c->rangeMin || (c->rangeMax > c->rangeMin && position >= c->rangeMax)) {
      state.changesPending = true;
      return BarChange::MustShow;
    }
  }
  state.changesPending = true;
  return BarChange::Held;
}

}  // namespace

ProgressSink ProgressBarSink(DialogState& state, int progressId) {
  ProgressSink sink;
  DialogState* s = &state;
  sink.setRange = [s, progressId](int range) {
    DialogSetRange(*s, progressId, 0, range);
    ProgressDue(s->progressShownAt, SteadyMs(), true);
    DialogFlush(*s);
  };
  sink.setPosition = [s, progressId](int position) {
    BarChange change = SetBarPosition(*s, progressId, position);
    if (change == BarChange::None) return;
    // A held position stays in the state: the next flush of the dialog,
    // whoever makes it, shows it.
    if (ProgressDue(s->progressShownAt, SteadyMs(), change == BarChange::MustShow)) DialogFlush(*s);
  };
  return sink;
}

ScreenPoint PlaceOnArea(int left, int top, int width, int height, const ScreenArea& area) {
  auto fit = [](int64_t at, int64_t size, int64_t low, int64_t high) {
    // Past the far edge first, so that a window larger than the area keeps
    // its top-left corner (title bar and system menu) on it.
    if (at + size > high) at = high - size;
    return static_cast<int>(std::max(at, low));
  };
  return ScreenPoint{fit(left, std::max(width, 0), area.left, area.right),
                     fit(top, std::max(height, 0), area.top, area.bottom)};
}

}  // namespace kst
