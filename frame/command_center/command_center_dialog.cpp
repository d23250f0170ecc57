// The Command Center: toggles and Show buttons of the subprograms, the
// program-wide options, "&Roots", About and the exit question.
#include "frame/command_center/command_center_dialog.h"

#include <windows.h>

#include "frame/command_center/colours.h"
#include "frame/command_center/sound_modes.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/exit_stop.h"
#include "frame/threads/process_state.h"
#include "frame/threads/startup.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr int kCenterRecord = 1;
constexpr int kChildRecord = 2;
constexpr int kBoxRecord = 21;  // the Command Center's message boxes

DialogState g_center;
DialogState g_child;

using Args = const std::vector<std::string>&;

// Label and tooltip of every control; the sound button's follow its mode.
DialogTexts CenterTexts(int soundMode) {
  SoundButtonLook sound = LookOfSoundMode(soundMode);
  return DialogTexts{27,
                     {
                         {IDC_CC_FILE_SPLITTING, 12, 533},
                         {IDC_CC_SPLIT_OR_COPY, 13, 534},
                         {IDC_CC_COPY_OR_JOIN, 14, 535},
                         {IDC_CC_TEST_DISKS, 15, 536},
                         {IDC_CC_COMPARING, 16, 537},
                         {IDC_CC_EXCESS_REMOVER, 817, 818},
                         {IDC_CC_DATA2WAV, 1066, 1068},
                         {IDC_CC_FORMAT, 17, 538},
                         {IDC_CC_PROGRAM_MASTER, 895, 896},
                         {IDC_CC_TARGET_PRACTICE, 18, 539},
                         {IDC_CC_HORSE_RACING, 19, 540},
                         {IDC_CC_SHOW_FILE_SPLITTING, 20, 541},
                         {IDC_CC_SHOW_SPLIT_OR_COPY, 20, 547},
                         {IDC_CC_SHOW_COPY_OR_JOIN, 20, 548},
                         {IDC_CC_SHOW_TEST_DISKS, 20, 549},
                         {IDC_CC_SHOW_COMPARING, 20, 550},
                         {IDC_CC_SHOW_EXCESS_REMOVER, 20, 820},
                         {IDC_CC_SHOW_DATA2WAV, 20, 1067},
                         {IDC_CC_SHOW_FORMAT, 20, 551},
                         {IDC_CC_SHOW_PROGRAM_MASTER, 20, 897},
                         {IDC_CC_SHOW_TARGET_PRACTICE, 20, 552},
                         {IDC_CC_SHOW_HORSE_RACING, 20, 553},
                         {IDC_CC_ABOUT, 21, 542},
                         {IDC_CC_EXIT, 22, 543},
                         {IDC_CC_COLOURS, 513, 555},
                         {IDC_CC_FONT, 772, 774},
                         {IDC_CC_LANGUAGE, 514, 556},
                         {IDC_CC_SILENT, 23, 544},
                         {IDC_CC_SOUNDS, sound.labelText, sound.tooltipText},
                         {IDC_CC_COLOURING, 25, 546},
                         {IDC_CC_SCREEN_SAVER, 773, 775},
                         {IDC_CC_ROOTS, 502, 554},
                         {IDC_CC_GROUP, 26, 0},
                     }};
}

HWND CenterWindow() { return static_cast<HWND>(g_center.window.load()); }

void SetChecked(int id, bool on) {
  DialogSetValue(g_center, id, on ? 1 : 0);
  DialogFlush(g_center);
}

// ---- subprograms ----------------------------------------------------------

void OnToggle(DialogState& state, int id, int, Args) {
  int subprogram = SubprogramOfToggle(id);
  if (subprogram < 0) return;
  if (DialogGetValue(state, id)) {
    {
      // A dialog that closed in the instant of the press set the button
      // off: it is on again with the new opening.
      std::lock_guard<std::recursive_mutex> lock(ToggleMutex());
      ShowSubprogram(subprogram);
      DialogSetValue(g_center, id, 1);
    }
    DialogFlush(g_center);
    return;
  }
  // Work in progress or an open question keeps the subprogram shown.
  if (SwitchOff(subprogram) != ToggleOff::Closed) SetChecked(id, true);
}

void OnShow(DialogState&, int id, int, Args) {
  int subprogram = SubprogramOfShow(id);
  if (subprogram >= 0) BringWindowToFront(GetSubprogram(subprogram).state.window.load());
}

void SubprogramClosed(int subprogram) {
  const Subprogram& s = GetSubprogram(subprogram);
  {
    // A press in the same instant may have shown it again.
    std::lock_guard<std::recursive_mutex> lock(ToggleMutex());
    DialogSetValue(g_center, s.toggleId, s.job.shown.load() ? 1 : 0);
  }
  DialogFlush(g_center);
  BringWindowToFront(g_center.window.load());
}

// ---- options --------------------------------------------------------------

void OnSilent(DialogState& state, int id, int, Args) {
  AppSettings().silentP = DialogGetValue(state, id) != 0;
}

// Shows mode on the sound button and sets the system's warning beeper.
void ShowSoundMode(int mode) {
  SoundButtonLook look = LookOfSoundMode(mode);
  SetRecordTexts(kCenterRecord, CenterTexts(mode));
  DialogSet(g_center, IDC_CC_SOUNDS, Trimmed(GetText(look.labelText)));
  DialogSetTooltip(g_center, IDC_CC_SOUNDS, Trimmed(GetText(look.tooltipText)));
  DialogSetImage(g_center, IDC_CC_SOUNDS_PICTURE, look.bitmap);
  DialogSetValue(g_center, IDC_CC_SOUNDS, look.checked ? 1 : 0);
  DialogFlush(g_center);
  SystemParametersInfoA(SPI_SETBEEP, look.beeper ? TRUE : FALSE, nullptr, 0);
}

void PressSound() {
  int mode = NextSoundMode(SoundMode());
  SetSoundMode(mode);
  AppSettings().noSounds = mode;
  ShowSoundMode(mode);
}

void OnSound(DialogState&, int, int, Args) { PressSound(); }

void RepaintOpenDialogs() {
  for (int n = 1; n <= kRecordCount; ++n) {
    DialogState* state = Record(n).state;
    HWND window = state ? static_cast<HWND>(state->window.load()) : nullptr;
    if (window) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void OnColouring(DialogState& state, int id, int, Args) {
  bool on = DialogGetValue(state, id) != 0;
  Colouring() = on;
  AppSettings().coloring = on;
  UpdateTooltipColours();
  RepaintOpenDialogs();
}

void OnScreenSaver(DialogState& state, int id, int, Args) {
  bool on = DialogGetValue(state, id) != 0;
  AppSettings().scrSaver = on;
  if (on) RunScreenSaverDialog();
}

void OnRoots(DialogState& state, int id, int, Args) {
  Settings& settings = AppSettings();
  if (DialogGetValue(state, id)) {
    // The file written now holds what is shown now.
    CollectFrameIntoSettings(settings);
    SwitchRootsOn(settings, CenterWindow());
  } else {
    SwitchRootsOff(settings, CenterWindow());
  }
  SetChecked(id, settings.saveAtExit);
}

void OnAbout(DialogState&, int, int, Args) { RunAboutDialog(); }
void OnColours(DialogState&, int, int, Args) { RunColourPicker(); }
void OnFont(DialogState&, int, int, Args) { ChooseDialogFont(); }
void OnLanguage(DialogState&, int, int, Args) { RunLanguageDialog(); }

// The Command Center's own messages while the work stops: the flushes and
// closes of the subprograms' windows; no person's press (it is disabled).
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Bounded: a worker stuck in a system call must not keep the program.
constexpr int kStopWorkMs = 15000;

// The close box, Esc and "E&xit". Work that runs is named in the question;
// Yes stops it as its Abort would, waits for its roll-back, then exits.
void OnExit(DialogState&, int, int, Args) {
  static bool stopping = false;
  if (stopping) return;
  PlayAlert();
  const std::string question = ExitQuestion(SubprogramsAtWork());
  int answer = AskUser(kAskYesNo, CenterWindow(), GetText(39), question, kBoxRecord, kCenterRecord);
  if (answer != kAnswerYes) return;
  // Whatever runs now stops, even work started while the question stood.
  stopping = true;
  HWND center = CenterWindow();
  if (center) EnableWindow(center, FALSE);
  StopAllWork(kStopWorkMs, PumpMessages);
  if (center) EnableWindow(center, TRUE);
  CloseStartUpDialog();
  g_process.exiting = true;
  // A dialog opened from here runs inside the Command Center's loop: it
  // must end too, or the Command Center's run could never return.
  DialogExit(g_child);
  DialogExit(g_center);
}

void AttachRoutines() {
  for (int id = 0; id < kSubprogramCount; ++id) {
    const Subprogram& s = GetSubprogram(id);
    DialogSetCallback(g_center, s.toggleId, OnToggle);
    DialogSetCallback(g_center, s.showId, OnShow);
  }
  DialogSetCallback(g_center, IDC_CC_SILENT, OnSilent);
  DialogSetCallback(g_center, IDC_CC_SOUNDS, OnSound);
  DialogSetCallback(g_center, IDC_CC_COLOURING, OnColouring);
  DialogSetCallback(g_center, IDC_CC_SCREEN_SAVER, OnScreenSaver);
  DialogSetCallback(g_center, IDC_CC_ROOTS, OnRoots);
  DialogSetCallback(g_center, IDC_CC_ABOUT, OnAbout);
  DialogSetCallback(g_center, IDC_CC_COLOURS, OnColours);
  DialogSetCallback(g_center, IDC_CC_FONT, OnFont);
  DialogSetCallback(g_center, IDC_CC_LANGUAGE, OnLanguage);
  DialogSetCallback(g_center, IDC_CC_EXIT, OnExit);
}

void InstallSlotHooks() {
  SlotHooks hooks;
  hooks.dialogClosed = SubprogramClosed;
  hooks.missingTemplate = [] { ShowDialogNotFound(); };
  hooks.currentThreadId = [] { return static_cast<uint32_t>(GetCurrentThreadId()); };
  SetSlotHooks(hooks);
}

}  // namespace

DialogState& CommandCenterState() { return g_center; }
DialogState& CommandCenterChild() { return g_child; }

bool PrepareCommandCenter() {
  BindRecord(kCenterRecord, g_center);
  if (!DialogInit(IDD_COMMAND_CENTER, g_center)) return false;
  DialogPrepare(kCenterRecord);
  SetRecordTexts(kCenterRecord, CenterTexts(SoundMode()));
  ApplyTexts(kCenterRecord);
  AttachRoutines();
  const Settings& settings = AppSettings();
  for (int id = 0; id < kSubprogramCount; ++id) {
    const Subprogram& s = GetSubprogram(id);
    DialogSetValue(g_center, s.toggleId, s.job.shown.load() ? 1 : 0);
  }
  DialogSetValue(g_center, IDC_CC_SILENT, settings.silentP ? 1 : 0);
  DialogSetValue(g_center, IDC_CC_COLOURING, Colouring().load() ? 1 : 0);
  DialogSetValue(g_center, IDC_CC_SCREEN_SAVER, settings.scrSaver ? 1 : 0);
  DialogSetValue(g_center, IDC_CC_ROOTS, settings.saveAtExit ? 1 : 0);
  // The stored mode is reached the way a press reaches it.
  SetSoundMode(PreviousSoundMode(SoundMode()));
  PressSound();
  Record(kCenterRecord).icon = IDI_KESTROVA;
  CreateDialogFont();
  InstallSlotHooks();
  return true;
}

void RunCommandCenter() {
  DialogRunModal(g_center, kCenterRecord);
  DialogUninit(g_center);
  DialogRelease(kCenterRecord);
}

bool RunFromCommandCenter(int templateId, DialogTexts texts,
                          const std::function<void(DialogState& state)>& setUp) {
  if (g_child.templateId != -1) {
    BringWindowToFront(g_child.window.load());
    return false;
  }
  if (!DialogInit(templateId, g_child)) return false;
  BindRecord(kChildRecord, g_child);
  DialogRecord& r = Record(kChildRecord);
  r.icon = IDI_KESTROVA;
  r.alwaysOnTop = false;
  SetRecordTexts(kChildRecord, std::move(texts));
  DialogPrepare(kChildRecord);
  ApplyTexts(kChildRecord);
  if (setUp) setUp(g_child);
  DialogRunModal(g_child, kChildRecord);
  DialogUninit(g_child);
  DialogRelease(kChildRecord);
  return true;
}

void RelabelOpenDialogs() {
  // The texts go into each state under its lock; a window of another
  // thread takes its labels, tooltips and title in the flush, on its own
  // thread. A state bound for a moment (a message box's) stays while held.
  ForEachBoundState([](int number, DialogState* state) {
    if (!state || state->templateId == -1) return;
    ApplyTexts(number);
    DialogFlush(*state);
  });
}

}  // namespace kst
