// The windows of the two games (Kestrova.exe only): installed on their
// subprograms at start, each with its own random engine seeded then.
#pragma once

namespace kst {

void InstallTargetPractice();
void InstallHorseRacing();

// The About box of a game (template 105): its help page and an OK button,
// run modally on the calling thread through record, dressed like ownerRecord.
void RunGameAbout(int record, int ownerRecord, int titleText, int okText, int helpPage);

}  // namespace kst
