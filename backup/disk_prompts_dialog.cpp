#include "backup/disk_prompts_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "backup/run_settings.h"
#include "frame/dialogs/child_dialog.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "resources/resource_ids.h"

namespace kst {

namespace {

using Args = const std::vector<std::string>&;

// The CD sizes the CD size prompt offers; the first is the default.
const int64_t kCdSizes[] = {681574400, 734003200, 765460480, 838860800, 912261120};
const char* const kCdNames[] = {"650MB", "700MB", "730MB", "800MB", "870MB"};
constexpr int kUnitCount = 7;  // B .. EB

// The exit values of a prompt.
int ValueOf(PromptAnswer answer) { return static_cast<int>(answer) + 100; }
PromptAnswer AnswerOf(int value) {
  if (value < 100 || value > 103) return PromptAnswer::Closed;  // not opened, or closed
  return static_cast<PromptAnswer>(value - 100);
}

void Close(DialogState& state, PromptAnswer answer) { DialogExit(state, ValueOf(answer)); }

// The buttons every prompt has: go on, abort (the abort question decides),
// and the close box, which is an abort without a question.
void AttachCommon(DialogState& state) {
  CloseOnPress(state, IDC_PR_GO, ValueOf(PromptAnswer::Go));
  CloseOnPress(state, IDC_PR_ABORT, ValueOf(PromptAnswer::Abort));
  CloseOnPress(state, IDC_PR_CLOSE, ValueOf(PromptAnswer::Closed));
}

// Runs template on the prompt's record: fill sets the values after the
// texts. The answer; Closed when the template is missing.
template <typename Fill>
PromptAnswer RunPrompt(int templateId, int record, int ownerRecord, DialogTexts texts, Fill fill) {
  // One prompt at a time per record: each Second thread asks its prompts
  // one after the other, on a record of its own.
  DialogState& state = StateOfRecord(record);
  if (!OpenChildDialog(state, templateId, record, ownerRecord, std::move(texts))) return PromptAnswer::Closed;
  AttachCommon(state);
  fill(state);
  return AnswerOf(RunChildDialog(state, record));
}

std::string Number(int64_t value) { return std::to_string(value); }

PromptAnswer InsertDisk(int record, int ownerRecord, const DiskPrompt& prompt, bool* autoErase) {
  DialogTexts texts{207,
                    {{IDC_ND_ERASE, 206, 657},
                     {IDC_PR_GO, 1017, 655},
                     {IDC_PR_ABORT, 1018, 656}}};
  bool erase = autoErase && *autoErase;
  PromptAnswer answer = RunPrompt(IDD_NEW_DISK, record, ownerRecord, texts, [&](DialogState& state) {
    DialogSet(state, IDC_ND_TEXT, prompt.message);
    DialogSetValue(state, IDC_ND_ERASE, erase ? 1 : 0);
    DialogSetVisible(state, IDC_ND_ERASE, prompt.eraseShown && !prompt.verifying);
    DialogSetCallback(state, IDC_ND_ERASE,
                      [&erase](DialogState& s, int id, int, Args) { erase = DialogGetValue(s, id) != 0; });
  });
  if (autoErase && prompt.eraseShown && !prompt.verifying) *autoErase = erase;
  return answer;
}

PromptAnswer DiskNotEmpty(int record, int ownerRecord, const NotEmptyPrompt& prompt, bool* autoErase) {
  DialogTexts texts{208,
                    {{IDC_NE_HEADING, 208, 0},
                     {IDC_NE_TEXT, 209, 0},
                     {IDC_NE_DRIVE_LABEL, 210, 0},
                     {IDC_NE_DRIVE, 0, 663},
                     {IDC_NE_FREE_LABEL, 211, 0},
                     {IDC_NE_FREE, 0, 664},
                     {IDC_NE_TOTAL_LABEL, 212, 0},
                     {IDC_NE_TOTAL, 0, 665},
                     {IDC_NE_FILES_LABEL, 213, 0},
                     {IDC_NE_FILES, 0, 666},
                     {IDC_PR_GO, 214, 658},
                     {IDC_NE_VIEW, 215, 659},
                     {IDC_NE_REFRESH, 216, 660},
                     {IDC_PR_ABORT, 217, 661},
                     {IDC_NE_ERASE, 218, 662}}};
  bool erase = autoErase && *autoErase;
  const std::string root = prompt.drive + "\\";
  PromptAnswer answer = RunPrompt(IDD_DISK_NOT_EMPTY, record, ownerRecord, texts, [&](DialogState& state) {
    DialogSet(state, IDC_NE_DRIVE, prompt.drive);
    DialogSet(state, IDC_NE_FREE, Number(prompt.freeBytes));
    DialogSet(state, IDC_NE_TOTAL, Number(prompt.totalBytes));
    DialogSet(state, IDC_NE_FILES, Number(prompt.files));
    DialogSetValue(state, IDC_NE_ERASE, erase ? 1 : 0);
    DialogSetVisible(state, IDC_NE_ERASE, prompt.eraseShown);
    DialogSetCallback(state, IDC_NE_ERASE,
                      [&erase](DialogState& s, int id, int, Args) { erase = DialogGetValue(s, id) != 0; });
    DialogSetCallback(state, IDC_NE_VIEW, [root](DialogState& s, int, int, Args) {
      ShellExecuteA(WindowOf(s), "explore", root.c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
    });
    // The worker reads the disk again after every answer but "Go ahead".
    DialogSetCallback(state, IDC_NE_REFRESH,
                      [](DialogState& s, int, int, Args) { Close(s, PromptAnswer::Refresh); });
  });
  if (autoErase && prompt.eraseShown) *autoErase = erase;
  return answer;
}

PromptAnswer FilesReady(int record, int ownerRecord, const FilesReadyPrompt& prompt) {
  DialogTexts texts{1005,
                    {{IDC_FR_TEXT, 1006, 0},
                     {IDC_FR_CD_LABEL, 1007, 0},
                     {IDC_FR_CD, 0, 1011},
                     {IDC_FR_SIZE_LABEL, 1008, 0},
                     {IDC_FR_SIZE, 0, 1012},
                     {IDC_FR_EXPLORE, 1009, 1013},
                     {IDC_PR_GO, 1010, 1014},
                     {IDC_PR_ABORT, 1018, 1015}}};
  const std::string folder = prompt.folder;
  return RunPrompt(IDD_FILES_READY, record, ownerRecord, texts, [&](DialogState& state) {
    DialogSet(state, IDC_FR_CD, Number(prompt.cd));
    DialogSet(state, IDC_FR_SIZE, Number(prompt.bytesReady));
    DialogSetCallback(state, IDC_FR_EXPLORE, [folder](DialogState& s, int, int, Args) {
      ShellExecuteA(WindowOf(s), "explore", folder.c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
    });
  });
}

// The size typed in the unit chosen, in bytes; 0 when it is not a number.
int64_t CdBytes(const std::string& text, int unit) {
  int64_t value = TextToInt64(Trimmed(text));
  for (int k = 0; k < unit && value > 0; ++k) value = value > INT64_MAX / 1024 ? INT64_MAX : value * 1024;
  return value;
}

PromptAnswer CdSize(int record, int ownerRecord, int64_t* cdSize) {
  DialogTexts texts{1016,
                    {{IDC_CD_STANDARD_LABEL, 1022, 0},
                     {IDC_CD_STANDARD, 0, 1019},
                     {IDC_CD_SIZE_LABEL, 1023, 0},
                     {IDC_CD_SIZE, 0, 1020},
                     {IDC_CD_UNIT, 0, 1021},
                     {IDC_PR_GO, 1017, 1025},
                     {IDC_PR_ABORT, 1018, 1026}}};
  int64_t shown = cdSize && *cdSize > 0 ? *cdSize : kFirstCdSize;
  int64_t chosen = shown;
  PromptAnswer answer = RunPrompt(IDD_CD_SIZE, record, ownerRecord, texts, [&](DialogState& state) {
    std::vector<std::string> names(std::begin(kCdNames), std::end(kCdNames));
    DialogSetItems(state, IDC_CD_STANDARD, names);
    int standard = -1;
    for (int i = 0; i < 5; ++i)
      if (kCdSizes[i] == shown) standard = i;
    if (standard >= 0) DialogSet(state, IDC_CD_STANDARD, names[standard]);
    DialogSetValue(state, IDC_CD_STANDARD, standard);
    std::vector<std::string> units;
    for (int unit = 0; unit < kUnitCount; ++unit) units.push_back(Trimmed(GetText(1029 + unit)));
    DialogSetItems(state, IDC_CD_UNIT, units);
    DialogSet(state, IDC_CD_UNIT, units.front());
    DialogSetValue(state, IDC_CD_UNIT, 0);
    DialogSet(state, IDC_CD_SIZE, Number(shown));
    DialogSetCallback(state, IDC_CD_STANDARD, [](DialogState& s, int id, int notification, Args) {
      const int pick = DialogGetValue(s, id);
      if (notification != kSelChanged || pick < 0 || pick >= 5) return;
      DialogSetValue(s, IDC_CD_UNIT, 0);
      DialogSet(s, IDC_CD_SIZE, Number(kCdSizes[pick]));
      DialogFlush(s);
    });
    DialogSetCallback(state, IDC_PR_GO, [&chosen](DialogState& s, int, int, Args) {
      chosen = CdBytes(DialogGet(s, IDC_CD_SIZE), DialogGetValue(s, IDC_CD_UNIT));
      Close(s, PromptAnswer::Go);
    });
  });
  if (cdSize && answer == PromptAnswer::Go) *cdSize = chosen > 0 ? chosen : kFirstCdSize;
  return answer;
}

}  // namespace

void CloseOpenPrompt(int record) {
  DialogState& prompt = StateOfRecord(record);
  if (prompt.window.load()) DialogExit(prompt, ValueOf(PromptAnswer::Closed));
}

BackupPerson DiskPromptPerson(int record, int ownerRecord) {
  BackupPerson person;
  person.insertDisk = [=](const DiskPrompt& prompt, bool* autoErase) {
    return InsertDisk(record, ownerRecord, prompt, autoErase);
  };
  person.diskNotEmpty = [=](const NotEmptyPrompt& prompt, bool* autoErase) {
    return DiskNotEmpty(record, ownerRecord, prompt, autoErase);
  };
  person.cdSize = [=](int64_t* size) { return CdSize(record, ownerRecord, size); };
  person.filesReady = [=](const FilesReadyPrompt& prompt) { return FilesReady(record, ownerRecord, prompt); };
  return person;
}

}  // namespace kst
