#include "wav/data2wav_dialog.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "frame/clock/clock_counters.h"
#include "frame/clock/clock_windows.h"
#include "frame/dialogs/about_this_dialog.h"
#include "frame/dialogs/ask.h"
#include "frame/dialogs/dialog.h"
#include "frame/dialogs/dialog_win32.h"
#include "frame/dialogs/file_dialogs_win32.h"
#include "frame/dialogs/path_field.h"
#include "frame/dialogs/subprogram_window.h"
#include "frame/files/folders.h"
#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/settings/remembered_list.h"
#include "frame/settings/settings.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"
#include "frame/texts/times.h"
#include "frame/threads/subprograms.h"
#include "resources/resource_ids.h"
#include "wav/data2wav.h"
#include "wav/wav2data.h"

namespace kst {

namespace {

constexpr WindowRecords kRecords{.window = 42, .about = 43, .mainBox = 41};
// The converting and the extracting thread ask through records of their own.
constexpr int kConvertBoxRecord = 44;
constexpr int kExtractBoxRecord = 45;

using Args = const std::vector<std::string>&;

// The remembered lists of the four path fields.
enum PathList { kSourceList, kTargetList, kWavList, kFolderList };

// What each run works on, set by its Go before its thread is woken.
Data2WavInput g_convert;
Wav2DataInput g_extract;
// From Go until the controls are back in their idle state.
std::atomic<bool> g_converting{false}, g_extracting{false};
// The existing target the person agreed to replace: not asked again.
std::string g_agreedTarget;

// One direction's controls and texts. The two pause buttons differ in
// their mnemonic: the conversion's "&Pause", the extraction's "Pa&use".
struct Side {
  int go, pause, bar, status;
  int goText, goTip, abortTip, pauseText, unpauseText, pauseTip, unpauseTip, abortQuestion;
  std::vector<int> editing;  // the two path fields first and third
  PathList firstList, secondList;
  int boxRecord;
  ClockId clock;
};
const Side kConvert{IDC_DW_GO_D2W, IDC_DW_PAUSE_D2W, IDC_DW_D2W_PROGRESS, IDC_DW_D2W_STATUS,
                    1048, 1061, 1062, 89, 90, 1085, 1086, 1084,
                    {IDC_DW_SOURCE, IDC_DW_BROWSE_SOURCE, IDC_DW_TARGET, IDC_DW_BROWSE_TARGET},
                    kSourceList, kTargetList, kConvertBoxRecord, kClockData2Wav};
const Side kExtract{IDC_DW_GO_W2D, IDC_DW_PAUSE_W2D, IDC_DW_W2D_PROGRESS, IDC_DW_W2D_STATUS,
                    1052, 1063, 1064, 1286, 1287, 1087, 1088, 1083,
                    {IDC_DW_WAV, IDC_DW_BROWSE_WAV, IDC_DW_FOLDER, IDC_DW_BROWSE_FOLDER, IDC_DW_CREATE},
                    kWavList, kFolderList, kExtractBoxRecord, kClockWav2Data};

Subprogram& Self() { return GetSubprogram(kData2Wav); }
std::string Said(int id) { return Trimmed(GetText(id)); }
std::string Field(DialogState& state, int id) { return TypedPath(DialogGet(state, id)); }

DialogTexts Texts() {
  return DialogTexts{1044,
                     {
                         {IDC_DW_D2W_GROUP, 1045, 0},
                         {IDC_DW_SOURCE_LABEL, 1040, 0},
                         {IDC_DW_SOURCE, 0, 1056},
                         {IDC_DW_BROWSE_SOURCE, 1046, 1072},
                         {IDC_DW_TARGET_LABEL, 1041, 0},
                         {IDC_DW_TARGET, 0, 1057},
                         {IDC_DW_BROWSE_TARGET, 1047, 1073},
                         {IDC_DW_CONVERSION_GROUP, 1089, 0},
                         {IDC_DW_DATA_SIZE_LABEL, 1090, 0},
                         {IDC_DW_WAV_SIZE_LABEL, 1091, 0},
                         {IDC_DW_SOUND_LABEL, 1092, 0},
                         {IDC_DW_GO_D2W, 1048, 1061},
                         {IDC_DW_PAUSE_D2W, 89, 1085},
                         {IDC_DW_W2D_GROUP, 1053, 0},
                         {IDC_DW_WAV_LABEL, 1042, 0},
                         {IDC_DW_WAV, 0, 1058},
                         {IDC_DW_BROWSE_WAV, 1054, 1096},
                         {IDC_DW_FOLDER_LABEL, 1043, 0},
                         {IDC_DW_FOLDER, 0, 1059},
                         {IDC_DW_BROWSE_FOLDER, 1055, 1097},
                         {IDC_DW_CREATE, 1077, 1098},
                         {IDC_DW_EXTRACTION_GROUP, 1093, 0},
                         {IDC_DW_IN_WAV_LABEL, 1091, 0},
                         {IDC_DW_ESTIMATE_LABEL, 1094, 0},
                         {IDC_DW_TRACK_LABEL, 1095, 0},
                         {IDC_DW_GO_W2D, 1052, 1063},
                         {IDC_DW_PAUSE_W2D, 1286, 1087},
                         {IDC_DW_PROGRESS_GROUP, 1065, 1099},
                         {IDC_DW_D2W_TIME_SPEED, 0, 1326},
                         {IDC_DW_W2D_TIME_SPEED, 0, 1327},
                         {IDC_DW_HIDE, 1050, 1060},
                         {IDC_DW_ABOUT, 1051, 1074},
                     }};
}

// ---- the estimates ------------------------------------------------------------

void ShowConversionFigures(DialogState& state) {
  WavRecord record;
  const bool found = LookUpSource(Field(state, IDC_DW_SOURCE), &record);
  const int64_t size = static_cast<int64_t>(record.size);
  const int64_t wav = static_cast<int64_t>(WavFileSize(record.size));
  DialogSet(state, IDC_DW_DATA_SIZE, found ? std::to_string(size) : "");
  DialogSet(state, IDC_DW_WAV_SIZE, found ? std::to_string(wav) : "");
  DialogSet(state, IDC_DW_SOUND, found ? FormatDuration(SoundSeconds(wav)) : "");
  if (!g_converting) DialogSetEnabled(state, IDC_DW_GO_D2W, found && !Field(state, IDC_DW_TARGET).empty());
  DialogFlush(state);
}

void ShowExtractionFigures(DialogState& state) {
  const std::string wav = Field(state, IDC_DW_WAV);
  const uint32_t attributes = wav.empty() ? plat::kAttrInvalid : plat::GetAttributes(wav);
  const bool found = attributes != plat::kAttrInvalid && !(attributes & plat::kAttrDirectory);
  const int64_t size = found ? plat::SizeOfPath(wav) : 0;
  DialogSet(state, IDC_DW_IN_WAV, found ? std::to_string(size) : "");
  DialogSet(state, IDC_DW_ESTIMATE, found ? std::to_string(EstimatedDataSize(size)) : "");
  DialogSet(state, IDC_DW_TRACK, found ? FormatDuration(SoundSeconds(size)) : "");
  const std::string folder = Field(state, IDC_DW_FOLDER);
  const bool folderThere = !folder.empty() && plat::PathExists(folder.size() == 2 ? folder + "\\" : folder);
  if (!g_extracting) {
    DialogSetEnabled(state, IDC_DW_GO_W2D, found && folderThere);
    DialogSetEnabled(state, IDC_DW_CREATE, !folder.empty() && !folderThere);
  }
  DialogFlush(state);
}

// ---- the path fields ----------------------------------------------------------

void ShowPath(DialogState& state, int id, PathList list, const std::string& value) {
  ShowPathField(state, id, AppSettings().w2dNameList[list], value);
}

// A chosen target: the target name rule, and a question when it exists
// (No drops the choice).
void ChooseTarget(DialogState& state, const std::string& typed) {
  std::string target = TypedPath(typed);
  if (!target.empty()) {
    const size_t slash = target.find_last_of('\\');
    target = target.substr(0, slash + 1) + WavTargetName(target.substr(slash + 1));
  }
  if (!target.empty() && plat::PathExists(target) && !SameText(target, g_agreedTarget)) {
    PlayAlert();
    const std::string question = Said(1081) + " " + target + Said(1082);
    if (AskUser(kAskYesNo, state.window.load(), GetText(1080), question, kRecords.mainBox, kRecords.window) ==
        kAnswerYes)
      g_agreedTarget = target;
    else
      target.clear();
  }
  DialogSet(state, IDC_DW_TARGET, target);
  ShowConversionFigures(state);
}

// The target folder must lie on a hard disk.
bool FolderOnFixedDrive(DialogState& state, const std::string& folder) {
  if (folder.size() >= 2 && folder[1] == ':' &&
      plat::DriveType(folder.substr(0, 2) + "\\") == plat::kDriveFixed)
    return true;
  PlayAlert();
  AskUser(kAskOk, state.window.load(), GetText(1078), GetText(1079), kRecords.mainBox, kRecords.window);
  return false;
}

void OnSource(DialogState& state, int, int notification, Args) {
  if (!g_converting && (notification == kTextChanged || notification == kSelChanged))
    ShowConversionFigures(state);
}

void OnTarget(DialogState& state, int id, int notification, Args) {
  if (g_converting) return;
  if (notification == kSelChanged || notification == kFocusLost) ChooseTarget(state, DialogGet(state, id));
  else if (notification == kTextChanged) ShowConversionFigures(state);
}

void OnWav(DialogState& state, int, int notification, Args) {
  if (!g_extracting && (notification == kTextChanged || notification == kSelChanged))
    ShowExtractionFigures(state);
}

void OnFolder(DialogState& state, int, int notification, Args) {
  if (!g_extracting && (notification == kTextChanged || notification == kSelChanged))
    ShowExtractionFigures(state);
}

std::string WavFilter() {
  std::string filter = Said(1075) + " (*.wav)";
  filter.push_back('\0');
  filter += "*.wav";
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

// An open or save dialog for one of the path fields; "" when cancelled.
std::string BrowseFile(DialogState& state, int field, int titleText, bool save, bool wavFilter) {
  const std::string title = Said(titleText), folder = FolderOfFile(Field(state, field));
  const std::string filter = wavFilter ? WavFilter() : std::string();
  char file[MAX_PATH] = "";
  OPENFILENAMEA request;
  InitFileDialog(state.window.load(), request, wavFilter ? filter.c_str() : nullptr, file, sizeof file,
                 folder.empty() ? nullptr : folder.c_str(), title.c_str(),
                 (save ? 0 : OFN_FILEMUSTEXIST) | OFN_PATHMUSTEXIST |
                     OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
  if (!(save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request))) {
    ReportDialogError();
    return "";
  }
  return file;
}

// A file to read chosen for field, shown there, and the figures of its side anew.
void ChooseFileFor(DialogState& state, int field, int titleText, bool wavFilter,
                   void (*showFigures)(DialogState& state)) {
  const std::string file = BrowseFile(state, field, titleText, false, wavFilter);
  if (file.empty()) return;
  DialogSet(state, field, file);
  showFigures(state);
}

void OnBrowseSource(DialogState& state, int, int, Args) {
  if (!g_converting) ChooseFileFor(state, IDC_DW_SOURCE, 1040, false, ShowConversionFigures);
}

void OnBrowseTarget(DialogState& state, int, int, Args) {
  if (g_converting) return;
  const std::string file = BrowseFile(state, IDC_DW_TARGET, 1041, true, true);
  if (!file.empty()) ChooseTarget(state, file);
}

void OnBrowseWav(DialogState& state, int, int, Args) {
  if (!g_extracting) ChooseFileFor(state, IDC_DW_WAV, 1042, true, ShowExtractionFigures);
}

void OnBrowseFolder(DialogState& state, int, int, Args) {
  if (g_extracting) return;
  const std::string folder = BrowseForFolder(state.window.load(), GetText(1102));
  if (folder.empty() || !FolderOnFixedDrive(state, folder)) return;
  DialogSet(state, IDC_DW_FOLDER, BareFolder(folder));
  ShowExtractionFigures(state);
}

void OnCreate(DialogState& state, int, int, Args) {
  if (g_extracting) return;
  const std::string folder = Field(state, IDC_DW_FOLDER);
  if (!FolderOnFixedDrive(state, folder)) return;
  MakeFolderPath(folder);
  ShowExtractionFigures(state);
}

bool DroppedOn(DialogState& state, int group) {
  HWND window = WindowOf(state);
  HWND control = window ? GetDlgItem(window, group) : nullptr;
  RECT area;
  if (!control || !GetWindowRect(control, &area)) return false;
  const DWORD position = GetMessagePos();
  POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  return PtInRect(&area, point) != 0;
}

// A drop on the extraction group gives the .wav (or, for a folder, the
// target folder); anywhere else, the file to convert.
void OnDrop(DialogState& state, int, int notification, Args dropped) {
  if (notification != kDropped || dropped.empty()) return;
  const std::string& path = dropped.front();
  if (DroppedOn(state, IDC_DW_W2D_GROUP)) {
    if (g_extracting) return;
    const uint32_t attributes = plat::GetAttributes(path);
    const bool folder = attributes != plat::kAttrInvalid && (attributes & plat::kAttrDirectory);
    if (folder && !FolderOnFixedDrive(state, path)) return;
    DialogSet(state, folder ? IDC_DW_FOLDER : IDC_DW_WAV, folder ? BareFolder(path) : path);
    ShowExtractionFigures(state);
  } else if (!g_converting) {
    DialogSet(state, IDC_DW_SOURCE, path);
    ShowConversionFigures(state);
  }
}

// ---- Go, Pause and Abort --------------------------------------------------------

// The controls of a running or idle direction. A run that starts empties
// the bar and the outcome of the last one; a run that ends leaves both.
void ShowRunning(DialogState& state, const Side& side, bool running) {
  DialogSet(state, side.go, Said(running ? 1049 : side.goText));
  DialogSetTooltip(state, side.go, Said(running ? side.abortTip : side.goTip));
  DialogSet(state, side.pause, Said(side.pauseText));
  DialogSetTooltip(state, side.pause, Said(side.pauseTip));
  DialogSetEnabled(state, side.pause, running);
  DialogSetEnabled(state, side.go, true);
  for (int id : side.editing) DialogSetEnabled(state, id, !running);
  if (running) {
    DialogSetValue(state, side.bar, 0);
    DialogSet(state, side.status, "");
  }
}

// How a run ended, in its status field: "Done!" and what was made, with
// the bar left full; or why it did not, with the bar emptied.
void ShowOutcome(DialogState& state, const Side& side, const WavResult& result) {
  DialogSet(state, side.status, WavStatusText(result));
  if (!result.ok()) DialogSetValue(state, side.bar, 0);
  DialogFlush(state);
}

void Remember(DialogState& state, int id, PathList list, const std::string& value) {
  RememberPathField(state, id, AppSettings().w2dNameList[list], value);
}

// Go pressed while its direction runs: the abort question. False when
// the direction is idle.
bool AskedToAbort(DialogState& state, const Side& side, bool running, JobControl& job) {
  if (!running) return false;
  if (job.running) AskToAbort(job, state.window.load(), side.abortQuestion, kRecords.mainBox, kRecords.window);
  return true;
}

// A direction about to run: its input takes the buffer size and the
// window that asks, its two fields are remembered, its clock starts from
// 0 and its controls show it running.
template <typename Input>
void ShowStarting(DialogState& state, const Side& side, Input& input, const std::string& first,
                  const std::string& second, std::atomic<bool>& running) {
  input.buffSize = static_cast<uint32_t>(AppSettings().buffSize);
  input.person = WavPerson{state.window.load(), side.boxRecord, kRecords.window};
  Remember(state, side.editing[0], side.firstList, first);
  Remember(state, side.editing[2], side.secondList, second);
  Clock(side.clock).done = 0;
  running = true;
  ShowRunning(state, side, true);
  DialogFlush(state);
}

void OnGoConvert(DialogState& state, int, int, Args) {
  if (AskedToAbort(state, kConvert, g_converting, Self().job)) return;
  ChooseTarget(state, DialogGet(state, IDC_DW_TARGET));
  g_convert = Data2WavInput{};
  g_convert.source = Field(state, IDC_DW_SOURCE);
  g_convert.target = Field(state, IDC_DW_TARGET);
  WavRecord record;
  if (!LookUpSource(g_convert.source, &record) || g_convert.target.empty()) return;
  ShowStarting(state, kConvert, g_convert, g_convert.source, g_convert.target, g_converting);
  StartWork(kData2Wav);
}

void OnGoExtract(DialogState& state, int, int, Args) {
  if (AskedToAbort(state, kExtract, g_extracting, Self().extraJob)) return;
  g_extract = Wav2DataInput{};
  g_extract.wav = Field(state, IDC_DW_WAV);
  g_extract.folder = Field(state, IDC_DW_FOLDER);
  if (g_extract.wav.empty() || g_extract.folder.empty() || !FolderOnFixedDrive(state, g_extract.folder)) return;
  ShowStarting(state, kExtract, g_extract, g_extract.wav, g_extract.folder, g_extracting);
  StartExtraWork(kData2Wav);
}

void TogglePauseOf(DialogState& state, JobControl& job, const Side& side) {
  if (!job.running) return;
  const bool paused = TogglePause(job);
  DialogSet(state, side.pause, Said(paused ? side.unpauseText : side.pauseText));
  DialogSetTooltip(state, side.pause, Said(paused ? side.unpauseTip : side.pauseTip));
  DialogFlush(state);
}

void OnPauseConvert(DialogState& state, int, int, Args) { TogglePauseOf(state, Self().job, kConvert); }
void OnPauseExtract(DialogState& state, int, int, Args) { TogglePauseOf(state, Self().extraJob, kExtract); }

void OnHide(DialogState& state, int, int, Args) {
  Subprogram& self = Self();
  if (!g_converting && !g_extracting) {
    DialogExit(state);
    return;
  }
  if (self.job.inQuestion.exchange(true)) return;
  const int answer =
      AskUser(kAskYesNo, state.window.load(), GetText(31), GetText(1076), kRecords.mainBox, kRecords.window);
  self.job.inQuestion = false;
  if (answer != kAnswerYes) return;
  AbortJob(self.job);
  AbortJob(self.extraJob);
}

void OnAbout(DialogState&, int, int, Args) {
  RunAboutThis(kRecords.about, kRecords.window, AboutThisTexts{1070, 1044, 1071, 1069});
}

// ---- the hooks ----------------------------------------------------------------

void SetUp(Subprogram& self) {
  DialogState& state = self.state;
  Record(kRecords.window).dropTarget = IDC_DW_D2W_GROUP;
  DialogSetCallback(state, IDC_DW_SOURCE, OnSource);
  DialogSetCallback(state, IDC_DW_TARGET, OnTarget);
  DialogSetCallback(state, IDC_DW_WAV, OnWav);
  DialogSetCallback(state, IDC_DW_FOLDER, OnFolder);
  DialogSetCallback(state, IDC_DW_BROWSE_SOURCE, OnBrowseSource);
  DialogSetCallback(state, IDC_DW_BROWSE_TARGET, OnBrowseTarget);
  DialogSetCallback(state, IDC_DW_BROWSE_WAV, OnBrowseWav);
  DialogSetCallback(state, IDC_DW_BROWSE_FOLDER, OnBrowseFolder);
  DialogSetCallback(state, IDC_DW_CREATE, OnCreate);
  DialogSetCallback(state, IDC_DW_D2W_GROUP, OnDrop);
  DialogSetCallback(state, IDC_DW_GO_D2W, OnGoConvert);
  DialogSetCallback(state, IDC_DW_GO_W2D, OnGoExtract);
  DialogSetCallback(state, IDC_DW_PAUSE_D2W, OnPauseConvert);
  DialogSetCallback(state, IDC_DW_PAUSE_W2D, OnPauseExtract);
  DialogSetCallback(state, IDC_DW_HIDE, OnHide);
  DialogSetCallback(state, IDC_DW_ABOUT, OnAbout);
  const auto& lists = AppSettings().w2dNameList;
  const int fields[] = {IDC_DW_SOURCE, IDC_DW_TARGET, IDC_DW_WAV, IDC_DW_FOLDER};
  for (int list = 0; list < 4; ++list)
    ShowPath(state, fields[list], static_cast<PathList>(list),
             lists[list].entries.empty() ? std::string() : lists[list].entries.front());
  for (int id : {IDC_DW_D2W_PROGRESS, IDC_DW_W2D_PROGRESS}) {
    DialogSetRange(state, id, 0, 1);
    DialogSetValue(state, id, 0);
  }
  ShowRunning(state, kConvert, g_converting);
  ShowRunning(state, kExtract, g_extracting);
  ShowConversionFigures(state);
  ShowExtractionFigures(state);
}

// A direction's run on its thread: its bar fed, its outcome shown and told.
void RunSide(Subprogram& self, JobControl& job, const Side& side, const WavPerson& person,
             const std::function<WavResult(JobControl&, ProgressSink*)>& run) {
  job.onHold = [&self] { DialogFlush(self.state); };
  ProgressSink bar = ProgressBarSink(self.state, side.bar);
  const WavResult result = run(job, &bar);
  ShowOutcome(self.state, side, result);
  TellWavOutcome(result, person);
}

// A direction's controls back to idle, and the figures of both anew.
void EndSide(DialogState& state, const Side& side, std::atomic<bool>& running) {
  ShowRunning(state, side, false);
  running = false;
  ShowConversionFigures(state);
  ShowExtractionFigures(state);
}

// The Second thread: one conversion.
void Convert(Subprogram& self) {
  RunSide(self, self.job, kConvert, g_convert.person,
          [](JobControl& job, ProgressSink* bar) { return RunData2Wav(g_convert, job, bar); });
}

void ConvertIdle(Subprogram& self) { EndSide(self.state, kConvert, g_converting); }

// The Third thread: one extraction, then its controls back to idle.
void Extract(Subprogram& self) {
  RunSide(self, self.extraJob, kExtract, g_extract.person,
          [](JobControl& job, ProgressSink* bar) { return RunWav2Data(g_extract, job, bar); });
  EndSide(self.state, kExtract, g_extracting);
}

}  // namespace

void InstallData2Wav() {
  // The conversion runs on the Second thread, the extraction on the extra one.
  InstallWindow(kData2Wav, kRecords.window, Texts(), {SetUp, Convert, Extract, ConvertIdle});
  HookClockWindow(kClockData2Wav, kData2Wav, IDC_DW_D2W_TIME_SPEED);
  HookClockWindow(kClockWav2Data, kData2Wav, IDC_DW_W2D_TIME_SPEED, true);
}

}  // namespace kst
