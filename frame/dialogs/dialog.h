// The dialog machinery every window of Kestrova is run through: 45 dialog
// records (one per window slot, each thread using records of its own) and
// dialog states (the controls of one dialog, with their values, enabled
// states and routines). Controls are changed through the state from any
// thread; DialogFlush hands the pending changes to the window's own thread.
//
// This part is portable: the records, states, texts and pending changes
// are plain data. The window side (DialogInit from a template, the window
// procedure, DialogRunModal, DialogExit) lives in dialog_win32.cpp and
// window_proc_win32.cpp; natively DialogRunModal and DialogExit run through
// hooks so that tests can drive the protocol without windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frame/dialogs/ask.h"
#include "frame/threads/job_control.h"

namespace kst {

constexpr int kRecordCount = 45;

enum class ControlType {
  Button,    // push button
  CheckBox,  // check box or push-like toggle
  Radio,
  Edit,
  Label,     // static text or picture
  Group,
  ListBox,
  ComboBox,
  Progress,
  Slider,
  Other,
};

struct DialogState;

// What happened to a control, for its routine.
enum Notification : int {
  kClicked = 0,        // a button press or a check box toggle
  kTextChanged = 1,    // an edit field's text changed
  kSelChanged = 2,     // a list or combo selection changed
  kDropped = 3,        // files were dropped on the window (drop target)
  kScrolled = 4,       // a slider moved
  kDoubleClicked = 5,  // a list entry was double-clicked
  kFocusLost = 6,      // an edit field lost the focus
};

// A control's behaviour. dropped holds the dropped paths for kDropped.
using ControlRoutine =
    std::function<void(DialogState& state, int controlId, int notification,
                       const std::vector<std::string>& dropped)>;

// What a DialogSet changed and DialogFlush still has to apply.
enum PendingPart : uint32_t {
  kPendText = 1,
  kPendValue = 2,
  kPendEnabled = 4,
  kPendRange = 8,
  kPendItems = 16,
  kPendTooltip = 32,
  kPendVisible = 64,
  kPendImage = 128,
};

struct Control {
  int id = 0;
  ControlType type = ControlType::Other;
  std::string text;                // label, or an edit field's content
  std::string tooltip;             // "" = no tooltip
  int value = 0;                   // check state, selection (-1 none), position
  int rangeMin = 0, rangeMax = 0;  // progress bar and slider
  int image = 0;                   // bitmap resource id shown on the control (0 none)
  std::vector<std::string> items;  // list and combo entries
  bool enabled = true;
  bool visible = true;
  uint32_t pending = 0;
  ControlRoutine routine;
};

struct DialogState {
  int templateId = -1;  // -1 = not initialised
  int record = 0;
  std::atomic<WindowRef> window{nullptr};
  std::atomic<bool> changesPending{false};
  std::atomic<bool> busy{false};  // set while texts or changes are applied
  // A flush message is on its way to the window: one carries every change
  // made before the window takes it, so no second one is queued behind it.
  std::atomic<bool> flushQueued{false};
  std::atomic<bool> titlePending{false};  // the title changed since it was last applied
  // When a worker's progress last went to the screen (steady milliseconds).
  std::atomic<int64_t> progressShownAt{INT64_MIN / 2};
  std::string title;              // the window title without the on-top suffix
  std::mutex mutex;               // guards controls and title
  std::vector<Control> controls;
  int exitValue = 0;
};

struct Colours {
  uint32_t background = 0xFFFFFF;      // 0x00BBGGRR, as the platform's colour values
  uint32_t text = 0;
  uint32_t textBackground = 0xFFFFFF;
};

struct DialogRecord {
  std::atomic<int> creationMarker{0};  // -1 from the request until the window initialises
  int dropTarget = 0;                  // control receiving dropped files (0 none)
  int icon = 0;                        // icon resource id (0 none)
  Colours colours;
  void* brush = nullptr;               // background brush (platform)
  std::atomic<bool> alwaysOnTop{false};
  bool extendedMenu = false;
  void* systemMenu = nullptr;
  int savedLeft = -1, savedTop = -1;
  bool restorePosition = false;
  bool maximisable = false;
  std::atomic<bool> maximised{false};
  void* tooltipWindow = nullptr;
  std::string title;  // window title without "- OnTop"
  std::vector<std::string> tooltips;  // per control, filled by DialogPrepare
  int extra[4] = {0, 0, 0, 0};
  DialogState* state = nullptr;  // the dialog state bound to the record
  // Lays the controls out for the window's client size (maximisable dialogs).
  std::function<void(DialogState& state, int width, int height)> layout;
};

// The 45 records, numbered 1..45 (index 0 unused).
DialogRecord& Record(int number);
// Clears every record: flags off, saved position -1/-1, title blank,
// extended menu and maximisable flags as the program sets them.
void ClearRecords();
// Binds a dialog state to its record and writes the record number into it.
void BindRecord(int number, DialogState& state);
// Gives the record back to the state it had before (nullptr: none), for a
// state that is about to go (a message box's).
void UnbindRecord(int number, DialogState* previous);
// Runs visit with the state bound to each record (nullptr when none),
// holding the binding meanwhile: a state that is about to go waits.
void ForEachBoundState(const std::function<void(int number, DialogState* state)>& visit);
// Guards the colours and brushes of every record: the window procedure of
// every thread reads them while the Command Center's thread replaces them.
std::mutex& RecordColoursMutex();

// Texts of a dialog: its title and each control's label and tooltip, by
// text id (0 = leave as it is). ApplyTexts sets them from the text table.
struct ControlTexts {
  int controlId;
  int labelText;
  int tooltipText;
};
struct DialogTexts {
  int titleText = 0;
  std::vector<ControlTexts> controls;
};
// Registers the texts of the dialog run on record number.
void SetRecordTexts(int number, DialogTexts texts);
// A copy of the record's texts (none registered: nullopt): the entry may be
// replaced by another thread at any time.
std::optional<DialogTexts> RecordTexts(int number);

// ---- the dialog operations ------------------------------------------------

// Loads template templateId and fills the state with its controls; false
// when the template does not exist. Natively the controls come from a
// registered description (RegisterTemplate), for tests.
bool DialogInit(int templateId, DialogState& state);
struct TemplateControl {
  int id;
  ControlType type;
  std::string text;
};
void RegisterTemplate(int templateId, std::vector<TemplateControl> controls);

// Allocates the record's per-control tooltip table.
void DialogPrepare(int number);
// Sets title, labels and tooltips of the record's dialog from the text table.
void ApplyTexts(int number);

Control* FindControl(DialogState& state, int id);  // call with state.mutex held
void DialogSet(DialogState& state, int id, const std::string& text);
void DialogSetValue(DialogState& state, int id, int value);
void DialogSetEnabled(DialogState& state, int id, bool enabled);
void DialogSetVisible(DialogState& state, int id, bool visible);
void DialogSetRange(DialogState& state, int id, int minimum, int maximum);
void DialogSetItems(DialogState& state, int id, std::vector<std::string> items);
void DialogSetTooltip(DialogState& state, int id, const std::string& tooltip);
void DialogSetImage(DialogState& state, int id, int bitmap);
void DialogSetTitle(DialogState& state, const std::string& title);
std::string DialogGet(DialogState& state, int id);  // text, trailing blanks kept
int DialogGetValue(DialogState& state, int id);
bool DialogGetEnabled(DialogState& state, int id);
std::vector<std::string> DialogGetItems(DialogState& state, int id);
void DialogSetCallback(DialogState& state, int id, ControlRoutine routine);

// Applies pending changes to the window: at once on the window's own
// thread; from another thread by one queued flush message, which also
// carries every change made until the window takes it.
void DialogFlush(DialogState& state);
// The window side took the queued flush message: the next flush queues one.
void TakeQueuedFlush(DialogState& state);
// Runs the dialog modally on the calling thread; returns the value given
// to DialogExit, or -1 when the window could not be created.
int DialogRunModal(DialogState& state, int number);
// Closes an open dialog; callable from any thread.
void DialogExit(DialogState& state, int value = 0);
void DialogUninit(DialogState& state);
void DialogRelease(int number);
void BringWindowToFront(WindowRef window);

// Runs a control's routine as the window procedure does for a user action.
void RunControlRoutine(DialogState& state, int id, int notification,
                       const std::vector<std::string>& dropped = {});

// Where the window side plugs in (Kestrova.exe) and tests observe.
struct DialogHooks {
  // Reads a template's title and controls; false when it does not exist.
  std::function<bool(int templateId, std::vector<TemplateControl>* controls, std::string* title)>
      loadTemplate;
  std::function<int(DialogState& state, int number)> runModal;
  std::function<void(DialogState& state, int value)> exit;
  // Applies the pending changes at once when called on the window's own
  // thread (true); false when they must be queued to the window.
  std::function<bool(DialogState& state)> flush;
  // Queues a flush message to the window's thread; false when none was queued.
  std::function<bool(DialogState& state)> queueFlush;
  std::function<void(WindowRef window)> bringToFront;
};
void SetDialogHooks(DialogHooks hooks);

// The progress bar id of a dialog as a ProgressSink for workers. Every
// change goes into the dialog state at once; the screen is updated at most
// once per kProgressIntervalMs, except for what must be seen: a new range,
// a reset to 0 and the end of the range always go to the screen.
ProgressSink ProgressBarSink(DialogState& state, int progressId);

// About 20 screen updates a second: more only fill the window's queue.
constexpr int64_t kProgressIntervalMs = 50;
// Whether a progress change goes to the screen at nowMs, given when the
// last one went (shownAt, updated when it does).
bool ProgressDue(std::atomic<int64_t>& shownAt, int64_t nowMs, bool mustShow);

// A rectangle of the screen in pixels, right and bottom excluded.
struct ScreenArea {
  int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScreenPoint {
  int left = 0, top = 0;
};
// Where a window of width x height saved at (left, top) opens: moved onto
// the area as far as needed, its top-left corner on the area when it is
// larger than the area. A place saved on a monitor that is gone, or
// edited by hand, must not open the window where nobody sees it.
ScreenPoint PlaceOnArea(int left, int top, int width, int height, const ScreenArea& area);

}  // namespace kst
