// Intuitive Target Practice (template 104) on its Main thread: the style,
// the value, ten cup buttons and the statistics of the style.
#include <windows.h>

#include <string>
#include <vector>

#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/threads/subprograms.h"
#include "pastimes/pastimes_dialogs.h"
#include "pastimes/target_practice.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 5, .about = 6};

using Args = const std::vector<std::string>&;

// Lives while the program runs; touched only by the game's Main thread.
TargetPractice g_game;
Dice g_dice;


DialogTexts Texts() {
  DialogTexts texts{470,
                    {
                        {IDC_TP_STYLE_ACCURACY, 473, 591},
                        {IDC_TP_STYLE_INTUITIVE, 474, 592},
                        {IDC_TP_VALUE_LABEL, 475, 0},
                        {IDC_TP_CUPS_GROUP, 480, 0},
                        {IDC_TP_TARGET_LABEL, 481, 0},
                        {IDC_TP_STATS_GROUP, 479, 0},
                        {IDC_TP_HITS_LABEL, 476, 0},
                        {IDC_TP_HITS, 0, 597},
                        {IDC_TP_SHOTS_LABEL, 477, 0},
                        {IDC_TP_SHOTS, 0, 598},
                        {IDC_TP_PERCENT_LABEL, 478, 0},
                        {IDC_TP_PERCENT, 0, 596},
                        {IDC_TP_HIDE, 471, 599},
                        {IDC_TP_ABOUT, 472, 1325},
                    }};
  for (int k = 0; k < kCupButtons; ++k) texts.controls.push_back({IDC_TP_CUP1 + k, 0, 594});
  return texts;
}

// The statistics, the cups that can be pressed, and where the target was.
void ShowGame(DialogState& state) {
  DialogSet(state, IDC_TP_HITS, std::to_string(g_game.hits));
  DialogSet(state, IDC_TP_SHOTS, std::to_string(g_game.shots));
  DialogSet(state, IDC_TP_PERCENT, HitPercentText(g_game.hits, g_game.shots));
  DialogSet(state, IDC_TP_TARGET, g_game.targetCup ? std::to_string(g_game.targetCup) : "");
  for (int k = 1; k <= kCupButtons; ++k) {
    DialogSetEnabled(state, IDC_TP_CUP1 + k - 1, CupButtonEnabled(g_game, k));
    DialogSetValue(state, IDC_TP_CUP1 + k - 1, g_game.targetCup == k);
  }
  DialogSetTooltip(state, IDC_TP_VALUE, Trimmed(GetText(g_game.style == kStyleIntuitive ? 593 : 595)));
  DialogFlush(state);
}

void ShowStyle(DialogState& state) {
  DialogSetValue(state, IDC_TP_STYLE_ACCURACY, g_game.style == kStyleAccuracy);
  DialogSetValue(state, IDC_TP_STYLE_INTUITIVE, g_game.style == kStyleIntuitive);
  DialogSet(state, IDC_TP_VALUE, std::to_string(g_game.value));
}

void OnStyle(DialogState& state, int id, int, Args) {
  const int style = id == IDC_TP_STYLE_INTUITIVE ? kStyleIntuitive : kStyleAccuracy;
  ChooseTargetStyle(g_game, style, TextToInt64(DialogGet(state, IDC_TP_VALUE)));
  ShowStyle(state);
  ShowGame(state);
}

// The value takes effect at once; the field is corrected at once when the
// value is too big (more digits cannot mend it) and when it loses the focus.
void OnValue(DialogState& state, int id, int notification, Args) {
  if (notification != kTextChanged && notification != kFocusLost) return;
  const std::string typed = Trimmed(DialogGet(state, id));
  const int64_t value = TextToInt64(typed);
  const int shown = SetTargetValue(g_game, value);
  if (notification == kFocusLost || value > shown) {
    if (typed != std::to_string(shown)) DialogSet(state, id, std::to_string(shown));
  }
  ShowGame(state);
}

void OnCup(DialogState& state, int id, int, Args) {
  const int k = id - IDC_TP_CUP1 + 1;
  if (!CupButtonEnabled(g_game, k)) return;
  Fire(g_game, k, g_dice);
  // In the accuracy style the trigger is never left pressed.
  ShowGame(state);
}


void OnAbout(DialogState&, int, int, Args) { RunGameAbout(kRecords.about, kRecords.window, 482, 483, 8); }

void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  DialogSetCallback(state, IDC_TP_STYLE_ACCURACY, OnStyle);
  DialogSetCallback(state, IDC_TP_STYLE_INTUITIVE, OnStyle);
  DialogSetCallback(state, IDC_TP_VALUE, OnValue);
  for (int k = 0; k < kCupButtons; ++k) DialogSetCallback(state, IDC_TP_CUP1 + k, OnCup);
  CloseOnPress(state, IDC_TP_HIDE);
  DialogSetCallback(state, IDC_TP_ABOUT, OnAbout);
  ShowStyle(state);
  ShowGame(state);
}

}  // namespace

void InstallTargetPractice() {
  g_dice = FreshDice();
  InstallWindow(kTargetPractice, kRecords.window, Texts(), {.setUp = SetUp});
}

}  // namespace kst
