#include "split/file_splitting_form.h"

#include "frame/files/typed_path.h"
#include "frame/platform/platform.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

void ApplyFormRules(SplitForm& form) {
  form.plan = PlanSplits(form.fileSize, form.wantedSize);
  form.splitSize = form.plan.splitSize;
}

void SetFormFolder(SplitForm& form, const std::string& folder) {
  form.folder = TypedPath(folder);
  form.folderOk = CheckSplitFolder(form.folder);
}

void ChooseFormFolder(SplitForm& form, const std::string& folder) {
  SetFormFolder(form, folder);
  const std::string own = FolderOfFile(form.file);
  if (form.same && !own.empty() && !SameText(BareFolder(form.folder), own)) form.same = false;
}

void SetFormFile(SplitForm& form, const std::string& path) {
  form.file = TypedPath(path);
  FileCheck check = CheckFileToSplit(form.file);
  form.fileOk = check.ok;
  form.fileSize = check.size;
  if (check.ok && form.same) SetFormFolder(form, FolderOfFile(form.file));
  ApplyFormRules(form);
}

void SetFormSame(SplitForm& form, bool on) {
  form.same = on;
  if (!on) return;
  std::string folder = FolderOfFile(form.file);
  if (!folder.empty()) SetFormFolder(form, folder);
}

void SetFormSize(SplitForm& form, const std::string& field) {
  form.wantedSize = SizeFieldBytes(field, form.unit);
  ApplyFormRules(form);
}

void SetFormUnit(SplitForm& form, const std::string& unitText, const std::string& field) {
  form.unit = SizeUnitOf(Trimmed(unitText));
  SetFormSize(form, field);
}

bool CanCreateFolder(const std::string& folder) {
  std::string path = Trimmed(folder);
  return path.size() >= 4 && !plat::PathExists(path);
}

bool CanGo(const SplitForm& form, bool running) {
  return CanStartSplitting(form.fileOk, form.folderOk, form.fileSize, form.plan, running);
}

SplitFormTexts FormTexts(const SplitForm& form) {
  SplitFormTexts texts;
  texts.total = form.fileOk ? std::to_string(form.fileSize) : Trimmed(GetText(96));
  texts.bytes = std::to_string(form.splitSize);
  texts.sizeField = SizeFieldText(form.splitSize, form.unit);
  texts.count = std::to_string(form.plan.count);
  texts.lastSize = std::to_string(form.plan.lastSize);
  return texts;
}

FileSplittingInput RunInput(const SplitForm& form, uint32_t buffSize, int boxRecord,
                            int ownerRecord) {
  FileSplittingInput input;
  input.file = Trimmed(form.file);
  input.folder = BareFolder(form.folder);
  input.splitSize = form.splitSize;
  input.joinBatch = form.joinBatch;
  input.checkFile = form.checkFile;
  input.buffSize = buffSize;
  input.boxRecord = boxRecord;
  input.ownerRecord = ownerRecord;
  return input;
}

}  // namespace kst
