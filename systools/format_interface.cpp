#include "systools/format_interface.h"

#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

// Whether path lies on the drive named name ("A:").
bool OnDrive(const std::string& path, const std::string& name) {
  std::string p = Trimmed(path);
  return p.size() >= 2 && p[1] == ':' && name.size() >= 2 && UpperLetter(p[0]) == UpperLetter(name[0]);
}

FormatDrive* Selected(FormatInterface& fi) {
  if (fi.selected < 0 || fi.selected >= static_cast<int>(fi.drives.size())) return nullptr;
  return &fi.drives[fi.selected];
}

bool Busy(const FormatSystem& system, const FormatDrive& drive) {
  return !drive.available || (system.inUse && system.inUse(drive.name));
}

bool AskBusy(FormatInterface& fi) {
  PlayAlert();
  return AskUser(kAskYesNo, fi.owner, GetText(468), GetText(469), fi.boxRecord, fi.ownerRecord) == kAnswerYes;
}

void SystemBox(const FormatSystem& system, int title, const std::string& text) {
  if (system.systemBox) system.systemBox(Trimmed(GetText(title)), text);
}

// The formatting flag and the drive's availability are set for the time
// of one format call and put back on every way out of it.
struct FormattingTime {
  FormatInterface& fi;
  const FormatSystem& system;
  int index;
  FormattingTime(FormatInterface& f, const FormatSystem& s, int i) : fi(f), system(s), index(i) {
    fi.formatting = true;
    fi.drives[index].available = false;
    if (system.formatting) system.formatting(true);
  }
  ~FormattingTime() {
    fi.formatting = false;
    if (index < static_cast<int>(fi.drives.size())) fi.drives[index].available = true;
    if (system.formatting) system.formatting(false);
  }
};

}  // namespace

void LoadDrives(FormatInterface& fi, const std::vector<std::string>& roots) {
  fi.drives.clear();
  for (const std::string& root : roots) {
    if (root.size() < 2 || root[1] != ':') continue;
    char letter = UpperLetter(root[0]);
    if (letter < 'A' || letter > 'Z') continue;
    fi.drives.push_back(FormatDrive{std::string(1, letter) + ":", letter - 'A', true});
  }
  fi.selected = fi.drives.empty() ? -1 : 0;
}

bool ChooseDrive(FormatInterface& fi, const FormatSystem& system, int index) {
  if (index < 0 || index >= static_cast<int>(fi.drives.size())) return false;
  fi.selected = index;
  if (!Busy(system, fi.drives[index])) return true;
  return AskBusy(fi);
}

FormatOutcome FormatSelected(FormatInterface& fi, const FormatSystem& system) {
  FormatDrive* drive = Selected(fi);
  if (!drive) return FormatOutcome::NoDrive;
  if (fi.formatting) {
    // The format dialog that is open waits for its person: a second one
    // would leave it standing.
    SystemBox(system, 462, Trimmed(GetText(461)));
    return FormatOutcome::OneAtATime;
  }
  if (Busy(system, *drive) && !AskBusy(fi)) return FormatOutcome::Declined;
  // Letters move between drives while the window is open: the drive must
  // still be removable now, and never hold Windows or this program.
  std::string root = drive->name + "\\";
  bool removable = system.driveType && system.driveType(root) == plat::kDriveRemovable;
  if (!removable || OnDrive(system.windowsFolder, drive->name) || OnDrive(system.startFolder, drive->name)) {
    SystemBox(system, 467, Trimmed(GetText(465)) + " " + drive->name + Trimmed(GetText(466)));
    return FormatOutcome::Refused;
  }
  uint32_t result = kFormatError;
  {
    FormattingTime time(fi, system, fi.selected);
    if (system.format) result = system.format(drive->number);
  }
  drive = Selected(fi);
  std::string name = drive ? drive->name : std::string();
  if (result == kFormatImpossible) {
    SystemBox(system, 467, Trimmed(GetText(465)) + " " + name + Trimmed(GetText(466)));
    return FormatOutcome::Impossible;
  }
  if (result == kFormatError) {
    SystemBox(system, 464, Trimmed(GetText(463)));
    return FormatOutcome::Failed;
  }
  return FormatOutcome::Done;
}

bool MayClose(FormatInterface& fi) {
  if (!fi.formatting) return true;
  PlayAlert();
  AskUser(kAskOk, fi.owner, GetText(456), GetText(457), fi.boxRecord, fi.ownerRecord);
  return false;
}

bool MayView(FormatInterface& fi) {
  if (!fi.formatting) return true;
  PlayAlert();
  return AskUser(kAskYesNo, fi.owner, GetText(454), GetText(455), fi.boxRecord, fi.ownerRecord) == kAnswerYes;
}

}  // namespace kst
