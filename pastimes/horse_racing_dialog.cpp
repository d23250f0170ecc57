// Intuitive Horse Racing (template 140): the dialog on Horse Racing Main,
// the races on Horse Racing Second. The length and the pick are taken when
// Race is pressed and locked until the race ends; the race moves the bars
// through the dialog machinery.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/run_buttons.h"
#include "frame/threads/subprograms.h"
#include "pastimes/horse_race.h"
#include "pastimes/pastimes_dialogs.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 33, .about = 34};
constexpr uint32_t kStepMs = 100;

using Args = const std::vector<std::string>&;

// The length and statistics: changed by the Main thread only while no race
// runs, by the Second thread only during one.
HorseRace g_race;
Dice g_dice;
int g_pick = 1;                         // the pick of the radio buttons
std::atomic<bool> g_raceActive{false};  // from Race until the controls are idle again

using Phase = RunPhase;

Subprogram& Self() { return GetSubprogram(kHorseRacing); }

DialogTexts TextsOf(Phase phase) {
  const int race = phase == Phase::Running ? 89 : phase == Phase::Paused ? 90 : 486;
  DialogTexts texts{484,
                    {
                        {IDC_HR_LENGTH_LABEL, 488, 0},
                        {IDC_HR_LENGTH, 0, 688},
                        {IDC_HR_TRACKS_GROUP, 489, 0},
                        {IDC_HR_RACES_LABEL, 491, 0},
                        {IDC_HR_RACES, 0, 678},
                        {IDC_HR_HITS_LABEL, 490, 0},
                        {IDC_HR_HITS, 0, 679},
                        {IDC_HR_PERCENT_LABEL, 492, 0},
                        {IDC_HR_PERCENT, 0, 680},
                        {IDC_HR_RACE, race, 682},
                        {IDC_HR_HIDE, 487, 683},
                        {IDC_HR_ABOUT, 485, 689},
                    }};
  for (int h = 0; h < kHorses; ++h) {
    texts.controls.push_back({IDC_HR_PICK1 + h, 684 + h, 690});
    texts.controls.push_back({IDC_HR_TRACK1 + h, 0, 691});
    texts.controls.push_back({IDC_HR_WIN1 + h, 0, 681});
  }
  return texts;
}

// Race is Go; during a race Hide aborts it, without a question.
const RunButtons kButtons{.record = kRecords.window, .go = IDC_HR_RACE, .hide = IDC_HR_HIDE, .textsOf = TextsOf};

void ShowPhase(DialogState& state, Phase phase) { ShowRunPhase(state, kButtons, phase); }

void ShowTracks(DialogState& state) {
  for (int h = 0; h < kHorses; ++h) {
    DialogSetValue(state, IDC_HR_TRACK1 + h, g_race.positions[h]);
    DialogSetValue(state, IDC_HR_WIN1 + h, g_race.winners[h]);
  }
}

void ShowStatistics(DialogState& state) {
  char percent[32];
  snprintf(percent, sizeof percent, "%.2f", HitPercentOfRaces(g_race));
  DialogSet(state, IDC_HR_RACES, std::to_string(g_race.races));
  DialogSet(state, IDC_HR_HITS, std::to_string(g_race.hits));
  DialogSet(state, IDC_HR_PERCENT, percent);
}

void ShowLength(DialogState& state) {
  for (int h = 0; h < kHorses; ++h) DialogSetRange(state, IDC_HR_TRACK1 + h, 0, g_race.length);
}

void Lock(DialogState& state, bool locked) {
  DialogSetEnabled(state, IDC_HR_LENGTH, !locked);
  for (int h = 0; h < kHorses; ++h) DialogSetEnabled(state, IDC_HR_PICK1 + h, !locked);
}

// The length is taken at once; the field is corrected at once above 100
// hundreds and when it loses the focus below 1.
void OnLength(DialogState& state, int id, int notification, Args) {
  if (g_raceActive || (notification != kTextChanged && notification != kFocusLost)) return;
  const std::string typed = Trimmed(DialogGet(state, id));
  const int64_t hundreds = TextToInt64(typed);
  const int length = RaceLengthOf(hundreds);
  if (length != g_race.length) {
    SetRaceLength(g_race, hundreds);
    ShowLength(state);
    ShowStatistics(state);
  }
  const std::string shown = std::to_string(length / 100);
  if ((notification == kFocusLost || hundreds > 100) && typed != shown) DialogSet(state, id, shown);
  DialogFlush(state);
}

void OnPick(DialogState& state, int id, int, Args) {
  if (g_raceActive) return;
  g_pick = id - IDC_HR_PICK1 + 1;
  for (int h = 0; h < kHorses; ++h) DialogSetValue(state, IDC_HR_PICK1 + h, h + 1 == g_pick);
}

void StartRace(DialogState& state) {
  g_raceActive = true;
  Lock(state, true);
  ShowPhase(state, Phase::Running);
  DialogFlush(state);
  StartWork(kHorseRacing);
}

void OnRace(DialogState& state, int, int, Args) { PressGo(state, kButtons, Self().job, g_raceActive, StartRace); }

void OnHide(DialogState& state, int, int, Args) { PressHide(state, kButtons, Self().job, g_raceActive); }

void OnAbout(DialogState&, int, int, Args) { RunGameAbout(kRecords.about, kRecords.window, 494, 493, 9); }

// A maximised window gives the horses longer tracks.
void LayOut(DialogState& state, int width, int) {
  HWND window = WindowOf(state);
  if (!window) return;
  RECT unit = {0, 0, 4, 8};
  MapDialogRect(window, &unit);
  const int margin = unit.right * 7 / 4;
  for (int h = 0; h < kHorses; ++h) {
    HWND track = GetDlgItem(window, IDC_HR_TRACK1 + h);
    HWND mark = GetDlgItem(window, IDC_HR_WIN1 + h);
    RECT t, m;
    if (!track || !mark || !GetWindowRect(track, &t) || !GetWindowRect(mark, &m)) continue;
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&t), 2);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&m), 2);
    const int markWidth = m.right - m.left;
    const int markLeft = width - margin * 2 - markWidth;
    MoveWindow(mark, markLeft, m.top, markWidth, m.bottom - m.top, TRUE);
    MoveWindow(track, t.left, t.top, markLeft - margin / 2 - t.left, t.bottom - t.top, TRUE);
  }
  HWND group = GetDlgItem(window, IDC_HR_TRACKS_GROUP);
  RECT g;
  if (group && GetWindowRect(group, &g)) {
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&g), 2);
    MoveWindow(group, g.left, g.top, width - margin - g.left, g.bottom - g.top, TRUE);
  }
}

void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  DialogSetCallback(state, IDC_HR_LENGTH, OnLength);
  for (int h = 0; h < kHorses; ++h) DialogSetCallback(state, IDC_HR_PICK1 + h, OnPick);
  DialogSetCallback(state, IDC_HR_RACE, OnRace);
  DialogSetCallback(state, IDC_HR_HIDE, OnHide);
  DialogSetCallback(state, IDC_HR_ABOUT, OnAbout);
  Record(kRecords.window).layout = LayOut;
  DialogSet(state, IDC_HR_LENGTH, std::to_string(g_race.length / 100));
  for (int h = 0; h < kHorses; ++h) DialogSetValue(state, IDC_HR_PICK1 + h, h + 1 == g_pick);
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  ShowLength(state);
  ShowTracks(state);
  ShowStatistics(state);
}

// Horse Racing Second: one race, with the pick latched now.
void Work(Subprogram& self) {
  DialogState& state = self.state;
  self.job.onHold = [&state] { DialogFlush(state); };
  const int pick = g_pick;
  ShowTracks(state);
  RunRace(g_race, pick, g_dice, self.job, [&state] {
    ShowTracks(state);
    DialogFlush(state);
    plat::SleepMs(kStepMs);
  });
  ShowTracks(state);
  ShowStatistics(state);
  DialogFlush(state);
}

void Idle(Subprogram& self) {
  DialogState& state = self.state;
  ShowPhase(state, Phase::Idle);
  Lock(state, false);
  DialogFlush(state);
  g_raceActive = false;
}

}  // namespace

void InstallHorseRacing() {
  g_dice = FreshDice();
  InstallWindow(kHorseRacing, kRecords.window, TextsOf(Phase::Idle), {SetUp, Work, {}, Idle});
}

}  // namespace kst
