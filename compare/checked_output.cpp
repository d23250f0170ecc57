#include "compare/checked_output.h"

#include "frame/files/typed_path.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

bool IsLink(uint32_t attributes) {
  return attributes != plat::kAttrInvalid && (attributes & plat::kAttrReparsePoint);
}

}  // namespace

CheckedOutput OpenOutputUncut(const std::string& path) {
  CheckedOutput out;
  const size_t cut = path.find_last_of('\\');
  if (CheckWindowsName(cut == std::string::npos ? path : path.substr(cut + 1)) != NameFault::None) {
    out.refusal = OutputRefusal::NotAFile;
    return out;
  }
  const uint32_t before = plat::GetAttributes(path);
  if (IsLink(before)) {
    out.refusal = OutputRefusal::Link;
    return out;
  }
  if (before != plat::kAttrInvalid && (before & (plat::kAttrDirectory | plat::kAttrVolume))) {
    out.refusal = OutputRefusal::NotAFile;
    return out;
  }
  out.handle = plat::FileOpen(path, plat::kWrite, plat::Disposition::OpenAlways, plat::kShareRead, true);
  if (!plat::OpenSucceeded(out.handle)) {
    out.error = plat::LastError();
    if (out.handle != plat::kNoFile) plat::FileClose(out.handle);
    out.handle = plat::kNoFile;
    out.refusal = OutputRefusal::OpenFailed;
    return out;
  }
  out.existed = plat::LastError() == plat::kErrAlreadyExists;
  // A link put there between the look and the open is caught here: the
  // open went through it, and nothing has been written yet.
  if (IsLink(plat::GetAttributes(path)) || !plat::ObjectIdOf(path, &out.id)) {
    DropOutput(out, OutputRefusal::Link);
    if (!out.existed) plat::DeleteOneFile(path);
  }
  return out;
}

bool CutOutput(CheckedOutput& output) {
  if (output.handle == plat::kNoFile) return false;
  if (!output.existed) return true;
  if (plat::FileSeek(output.handle, 0) && plat::FileSetEnd(output.handle)) return true;
  output.error = plat::LastError();
  DropOutput(output, OutputRefusal::CutFailed);
  return false;
}

void DropOutput(CheckedOutput& output, OutputRefusal refusal) {
  if (output.handle != plat::kNoFile) plat::FileClose(output.handle);
  output.handle = plat::kNoFile;
  output.refusal = refusal;
}

std::string OutputRefusalText(const CheckedOutput& output) {
  switch (output.refusal) {
    case OutputRefusal::Link: return Trimmed(GetText(1203));
    case OutputRefusal::NotAFile: return Trimmed(GetText(1204));
    case OutputRefusal::Input: return Trimmed(GetText(1205));
    case OutputRefusal::OpenFailed: return plat::ErrorText(output.error);
    case OutputRefusal::CutFailed: return Trimmed(GetText(1206)) + " " + plat::ErrorText(output.error);
    case OutputRefusal::None: break;
  }
  return "";
}

}  // namespace kst
