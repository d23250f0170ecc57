// What the File Splitting window holds, apart from the window: the file,
// the folder, the split size with its unit, and the rules that tie them
// together after every change, with the texts the window shows for them.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "frame/files/folders.h"
#include "frame/settings/remembered_list.h"
#include "frame/threads/process_state.h"
#include "split/file_splitting.h"
#include "split/split_sizes.h"

namespace kst {

struct SplitForm {
  std::string file;    // the file to split (a typed path, see TypedPath)
  std::string folder;  // the folder for the splits (a typed path)
  bool fileOk = false;
  bool folderOk = false;
  int64_t fileSize = 0;
  int64_t wantedSize = kFloppyBytes;  // the size asked for in the size field
  int64_t splitSize = kFloppyBytes;   // S: the wanted size after the rules for this file
  int unit = 0;                      // u: the size field shows S / 1024^u
  SplitPlan plan;                    // N and the last split's size
  bool same = true;                  // "Same": the folder follows the file
  bool joinBatch = true;             // "&Do Join Batch"
  bool checkFile = true;             // "Write &Check File"
};


// The file check after a change of the file path; with "Same" on and the
// file ok, the folder becomes the file's folder and is checked. Then the
// size rules.
void SetFormFile(SplitForm& form, const std::string& path);
// The folder check after a change of the folder path.
void SetFormFolder(SplitForm& form, const std::string& folder);
// A folder the person typed or chose: as SetFormFolder, and "Same" goes
// off when the folder is not the file's own, so that the next file does
// not take the chosen folder away.
void ChooseFormFolder(SplitForm& form, const std::string& folder);
// "Same" toggled: switched on, the folder becomes the file's folder at once.
void SetFormSame(SplitForm& form, bool on);
// The split size field changed: its number in the current unit, then the
// size rules.
void SetFormSize(SplitForm& form, const std::string& field);
// A unit picked: u is its position among the unit texts (0 for a text
// that is none of them); the size field's number is read in it.
void SetFormUnit(SplitForm& form, const std::string& unitText, const std::string& field);
// The size rules on the wanted size for the current file: S, N and the
// last split size. A size raised for a big file is not carried to the next.
void ApplyFormRules(SplitForm& form);

// "Create directory" is offered for a folder that does not exist and
// whose path has at least 4 characters.
bool CanCreateFolder(const std::string& folder);
// "&Go" is enabled: file and folder ok, at least two splits, no run.
bool CanGo(const SplitForm& form, bool running);

// The texts the window shows for the form.
struct SplitFormTexts {
  std::string total;      // the file's size, or "No File" (96)
  std::string bytes;      // S in bytes
  std::string sizeField;  // S / 1024^u
  std::string count;      // N
  std::string lastSize;   // the last split's size
};
SplitFormTexts FormTexts(const SplitForm& form);

// What a run is given when Go is pressed.
FileSplittingInput RunInput(const SplitForm& form, uint32_t buffSize, int boxRecord,
                            int ownerRecord);

}  // namespace kst
