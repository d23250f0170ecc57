#include "compare/file_comparing.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "compare/checked_output.h"
#include "compare/compare_blocks.h"
#include "frame/clock/clock_counters.h"
#include "frame/files/folders.h"
#include "frame/files/tree_walk.h"
#include "frame/files/typed_path.h"
#include "frame/texts/text_numbers.h"
#include "frame/texts/texts.h"

namespace kst {

namespace {

bool IsPlainFile(const std::string& path) {
  const uint32_t a = plat::GetAttributes(path);
  return a != plat::kAttrInvalid && !(a & (plat::kAttrDirectory | plat::kAttrVolume));
}

// Two named files, no wildcard on either side: they are compared with each
// other whatever their names.
bool SingleFiles(const ComparePath& original, const ComparePath& clone) {
  return !HasWildcard(original.pattern) && !HasWildcard(clone.pattern);
}

// True when file (a normal path) lies in folder (a normal path), or below
// it when deep.
bool LiesIn(const std::string& file, const std::string& folder, bool deep) {
  const size_t cut = file.rfind('\\');
  if (cut == std::string::npos) return false;
  const std::string parent = file.substr(0, cut);
  if (parent == folder) return true;
  return deep && parent.size() > folder.size() && parent.compare(0, folder.size(), folder) == 0 &&
         parent[folder.size()] == '\\';
}

// Whether an existing file at info would be one a run compares on side.
bool CoversFile(const ComparePath& side, bool recursive, const std::string& info,
                const std::string& infoName) {
  if (!HasWildcard(side.pattern)) return NormalPath(side.folder + side.pattern) == info;
  return LiesIn(info, NormalPath(side.folder), recursive) &&
         plat::MatchesPattern(infoName, side.pattern);
}

bool SideMissing(const ComparePath& side) {
  if (side.folder.empty() || !IsFolder(side.folder)) return true;
  return !HasWildcard(side.pattern) && !IsPlainFile(side.folder + side.pattern);
}

// The cloned file that corresponds to an original, looked up directly
// (never by listing its folder again).
struct Match {
  bool found = false;
  bool unreadable = false;  // there, but would not open: compared, unavailable
  std::string path;
  int64_t size = 0;
  std::optional<ComparedFile> file;  // open when found and it would open
};

// Opening the counterpart is its look-up: its size comes from the open
// file. Only a name that will not open is looked up again, to tell a file
// that cannot be read (compared, and reported unavailable) from a folder
// or nothing at all (unmatched).
void FindMatch(const std::string& cloneFolder, const std::string& name, const std::string& clonePattern,
               const std::string& info, Match* match) {
  if (!plat::MatchesPattern(name, clonePattern)) return;
  match->path = cloneFolder + name;
  if (!info.empty() && NormalPath(match->path) == info) return;  // the run's own information file
  match->file.emplace(match->path);
  const uint32_t error = match->file->ok ? 0 : plat::LastError();
  match->size = match->file->ok ? plat::FileSize(match->file->handle) : -1;
  if (match->size < 0) {
    match->file.reset();
    match->size = plat::SizeOfPath(match->path);  // -1 for a folder or nothing
  }
  // Not there is only what the system says is not there: a file in a
  // folder that will not open is no missing file.
  const bool absent = error == 0 || error == plat::kErrFileNotFound || error == plat::kErrPathNotFound;
  if (match->size < 0 && !absent && !IsFolder(match->path)) {
    match->unreadable = true;
    match->size = 0;
  }
  match->found = match->size >= 0;
}

// The state of one run.
struct Run {
  const ComparingInput& input;
  JobControl& job;
  const ComparingScreen& screen;
  ComparePath original, clone;
  std::string info;  // the information file's normal path, "" when none
  bool single = false;
  InfoFile file;
  ComparingResult result;
  ProgressScale scale;
  std::unique_ptr<BlockBuffers> buffers;  // the two blocks every pair is read through
  struct Listed {
    size_t folder;  // index into folders
    plat::FindEntry entry;
  };
  std::vector<std::string> folders;
  std::vector<Listed> files;
  std::vector<std::string> troubles;  // entries for the information file

  void Trouble(const std::string& path, TreeTrouble kind, uint32_t error) {
    const std::string told = TroubleLine(path, kind, error);
    if (result.troubles++ == 0) result.firstTrouble = told;
    troubles.push_back(told + "\r\n\r\n");
    if (screen.trouble) screen.trouble(path, kind, error);
  }

  void Tell(int heading, int message, const std::string& more = "") {
    if (!input.messages) return;
    PlayAlert();
    AskUser(kAskOk, nullptr, GetText(heading), Trimmed(GetText(message)) + more, input.boxRecord,
            input.ownerRecord);
  }

  // Walks the original side; visit gets every file but the information file.
  bool Walk(const TreeVisitor& visit) {
    return WalkTree(original.folder, original.pattern, input.recursive && !single,
                    [&](const std::string& folder, const plat::FindEntry& entry) {
                      if (!info.empty() && NormalPath(folder + entry.name) == info) return true;
                      return visit(folder, entry);
                    },
                    [&](const std::string& path, TreeTrouble kind, uint32_t error) {
                      Trouble(path, kind, error);
                    });
  }

  // Lists the original files once: the run counts them, then compares
  // them in the same order, so that the counts and the bar agree with what
  // is compared and no folder is read twice.
  void List() {
    Walk([&](const std::string& folder, const plat::FindEntry& entry) {
      if (!job.keepGoing) return false;
      if (folders.empty() || folders.back() != folder) folders.push_back(folder);
      files.push_back({folders.size() - 1, entry});
      ++result.originalFiles;
      result.originalBytes += static_cast<int64_t>(entry.size);
      return true;
    });
  }

  // The counterpart's path of an original file.
  std::string ClonePathOf(const std::string& folder, const std::string& name) const {
    return single ? clone.folder + clone.pattern : clone.folder + folder.substr(original.folder.size()) + name;
  }

  // Whether id is a file the run reads: the information file must not be
  // one of them under another name (a hard link, a link to it).
  bool IsInput(const plat::ObjectId& id) const {
    plat::ObjectId other;
    for (const Listed& listed : files) {
      const std::string& folder = folders[listed.folder];
      if ((plat::ObjectIdOf(folder + listed.entry.name, &other) && other == id) ||
          (plat::ObjectIdOf(ClonePathOf(folder, listed.entry.name), &other) && other == id))
        return true;
    }
    return false;
  }

  // The information file, opened and checked before it is emptied.
  bool OpenInfo() {
    const std::string path = TypedPath(input.infoPath);
    CheckedOutput out = OpenOutputUncut(path);
    if (out.handle != plat::kNoFile && out.existed && IsInput(out.id)) DropOutput(out, OutputRefusal::Input);
    if (out.handle != plat::kNoFile && CutOutput(out)) {
      file.handle = out.handle;
      return true;
    }
    result.infoProblem = OutputRefusalText(out);
    return false;
  }

  // The pair goes to the screen and, when wanted, into the file; false
  // when the file would not take it.
  bool Settle(const PairOutcome& pair) {
    if (screen.pair) screen.pair(pair);
    if (file.IsOpen() && PairWanted(pair, input.showCompared, input.showUnmatched) &&
        !file.Write(InfoEntry(pair))) {
      result.end = ComparingEnd::InfoWriteFailed;
      AbortJob(job);
      Tell(446, 447);
      return false;
    }
    return true;
  }

  // The pair's bytes, through the counterpart already open; one that
  // would not open is unavailable, as is an original that will not.
  CompareResult CompareMatch(const CompareRequest& request, const Match& match) {
    if (!match.file) return {CompareOutcome::Error, -2};
    const ComparedFile originalFile(request.firstPath);
    if (!originalFile.ok) return {CompareOutcome::Error, -2};
    return CompareOpenFiles(originalFile.handle, match.file->handle, request, job, screen.fileBar);
  }

  // Compares one original with its counterpart; false when the run stops.
  bool Compare(const std::string& folder, const plat::FindEntry& entry) {
    ComparingCounts& counts = result.counts;
    PairOutcome pair;
    pair.originalPath = folder + entry.name;
    pair.originalSize = static_cast<int64_t>(entry.size);
    Match match;
    if (single) FindMatch(clone.folder, clone.pattern, clone.pattern, info, &match);
    else FindMatch(clone.folder + folder.substr(original.folder.size()), entry.name, clone.pattern, info, &match);
    if (!match.found) {
      pair.unmatched = true;
      ++counts.unmatched;
      result.bytesDone += pair.originalSize;
      ClockAdd(Clock(kClockComparing), pair.originalSize);
    } else {
      pair.clonePath = match.path;
      pair.cloneSize = match.size;
      pair.differentSizes = pair.originalSize != pair.cloneSize;
      const int64_t count = std::min(pair.originalSize, pair.cloneSize);
      bool equal = true;
      if (match.unreadable) {
        equal = false;
        pair.position = -2;
      } else if (count > 0) {
        CompareRequest request{pair.originalPath, pair.clonePath, 1, 1, count, input.buffSize,
                               kClockComparing, buffers.get()};
        const CompareResult compared = CompareMatch(request, match);
        if (compared.outcome == CompareOutcome::Aborted) return false;
        equal = compared.outcome == CompareOutcome::Equal;
        pair.position = compared.position;
        result.bytesDone += count;
      } else {
        // An empty file holds nothing that can differ: equal in content,
        // and listed under different sizes when the other is not empty.
        pair.zeroSize = true;
      }
      if (!job.keepGoing) return false;
      ++counts.compared;
      if (pair.differentSizes) ++counts.differentSizes;
      if (!equal) {
        pair.differentContent = true;
        ++counts.differentContents;
      }
    }
    if (!Settle(pair)) return false;
    ++counts.processed;
    if (screen.counts) screen.counts(counts);
    if (screen.totalBar && screen.totalBar->setPosition)
      screen.totalBar->setPosition(static_cast<int>(counts.processed / scale.step));
    return true;
  }

  void Go() {
    original = SplitComparePath(input.original);
    clone = SplitComparePath(input.clone);
    single = SingleFiles(original, clone);
    if (input.saveInfo) info = NormalPath(TypedPath(input.infoPath));
    List();
    buffers.reset(new (std::nothrow) BlockBuffers(input.buffSize));
    ClockStart(Clock(kClockComparing), result.originalBytes);
    scale = ScaleProgress(result.originalFiles);
    if (screen.totalBar && screen.totalBar->setRange) screen.totalBar->setRange(scale.range);
    if (screen.totalBar && screen.totalBar->setPosition) screen.totalBar->setPosition(0);
    if (screen.fileBar && screen.fileBar->setPosition) screen.fileBar->setPosition(0);
    if (input.saveInfo && !OpenInfo()) {
      result.end = ComparingEnd::InfoOpenFailed;
      AbortJob(job);
      Tell(436, 437, " " + input.infoPath + ": " + result.infoProblem);
      return;
    }
    for (const std::string& told : troubles) {
      if (file.IsOpen() && !file.Write(told)) {
        result.end = ComparingEnd::InfoWriteFailed;
        AbortJob(job);
        Tell(446, 447);
        break;
      }
    }
    for (const Listed& listed : files)
      if (!CheckPoint(job) || !Compare(folders[listed.folder], listed.entry)) break;
    if (result.end == ComparingEnd::Done && !job.keepGoing) result.end = ComparingEnd::Aborted;
    if (file.IsOpen() && result.end != ComparingEnd::InfoWriteFailed) {
      if (file.Write(InfoTotals(result.counts))) {
        result.totalsWritten = true;
      } else {
        result.end = ComparingEnd::InfoWriteFailed;
        Tell(446, 447);
      }
    }
    // A write the system finishes only on the close fails there.
    const bool wasOpen = file.IsOpen();
    const uint32_t closed = file.Close() ? 0 : plat::LastError();
    if (wasOpen && closed && result.end != ComparingEnd::InfoWriteFailed) {
      result.end = ComparingEnd::InfoWriteFailed;
      result.totalsWritten = false;
      result.infoProblem = plat::ErrorText(closed);
      Tell(446, 447, " " + plat::ErrorText(closed));
    }
  }
};

}  // namespace

ComparePath SplitComparePath(const std::string& path) {
  const std::string typed = Trimmed(TypedPath(path));
  ComparePath side;
  if (typed.empty()) return side;
  if (IsFolder(typed)) {
    side.folder = typed.back() == '\\' ? typed : typed + "\\";
    side.pattern = "*.*";
    return side;
  }
  const size_t cut = typed.rfind('\\');
  if (cut == std::string::npos) {
    side.pattern = typed;
    return side;
  }
  side.folder = typed.substr(0, cut + 1);
  side.pattern = typed.substr(cut + 1);
  return side;
}

std::string NormalPath(const std::string& path) {
  // The first name (the drive) stays whatever ".." follow.
  const std::vector<std::string> parts = ResolvedNames(UpperCase(Trimmed(TypedPath(path))), 0, 1);
  std::string normal;
  for (const std::string& part : parts) normal += (normal.empty() ? "" : "\\") + part;
  return normal;
}

CompareRefusal CheckComparing(const ComparingInput& input) {
  if (Trimmed(TypedPath(input.original)).empty()) return CompareRefusal::BlankOriginal;
  if (Trimmed(TypedPath(input.clone)).empty()) return CompareRefusal::BlankClone;
  const ComparePath original = SplitComparePath(input.original);
  const ComparePath clone = SplitComparePath(input.clone);
  if (SideMissing(original)) return CompareRefusal::MissingOriginal;
  if (SideMissing(clone)) return CompareRefusal::MissingClone;
  if (NormalPath(original.folder + original.pattern) == NormalPath(clone.folder + clone.pattern))
    return CompareRefusal::SamePath;
  // One file or folder under two names: another drive letter, a short name, a link.
  if (SingleFiles(original, clone) ? plat::SameObject(original.folder + original.pattern, clone.folder + clone.pattern)
                                   : UpperCase(original.pattern) == UpperCase(clone.pattern) &&
                                         plat::SameObject(original.folder, clone.folder))
    return CompareRefusal::SamePath;
  if (!input.saveInfo) return CompareRefusal::None;
  const std::string infoPath = Trimmed(TypedPath(input.infoPath));
  if (infoPath.empty() || infoPath.back() == '\\' || IsFolder(infoPath)) return CompareRefusal::BlankInfo;
  const std::string info = NormalPath(infoPath);
  const std::string name = infoPath.substr(infoPath.rfind('\\') + 1);
  // A file that exists would be emptied first; one that does not yet is
  // left out of the walks.
  const bool single = SingleFiles(original, clone);
  const bool exists = IsPlainFile(infoPath);
  if ((single || exists) && (CoversFile(original, input.recursive, info, name) ||
                             CoversFile(clone, input.recursive, info, name)))
    return CompareRefusal::InfoIsCompared;
  return CompareRefusal::None;
}

void TellRefusal(CompareRefusal refusal, WindowRef owner, int boxRecord, int ownerRecord) {
  int heading = 0, message = 0;
  switch (refusal) {
    case CompareRefusal::BlankOriginal:
    case CompareRefusal::BlankClone: heading = 430, message = 431; break;
    case CompareRefusal::MissingOriginal: heading = 441, message = 442; break;
    case CompareRefusal::MissingClone: heading = 443, message = 444; break;
    case CompareRefusal::SamePath: heading = 423, message = 424; break;
    case CompareRefusal::BlankInfo: heading = 436, message = 1201; break;
    case CompareRefusal::InfoIsCompared: heading = 423, message = 1202; break;
    case CompareRefusal::None: return;
  }
  PlayAlert();
  AskUser(kAskOk, owner, GetText(heading), GetText(message), boxRecord, ownerRecord);
}

int64_t CountCovered(const std::string& path, bool recursive) {
  const ComparePath side = SplitComparePath(path);
  if (side.folder.empty()) return 0;
  int64_t files = 0;
  WalkTree(side.folder, side.pattern, recursive && HasWildcard(side.pattern),
           [&files](const std::string&, const plat::FindEntry&) {
             ++files;
             return true;
           });
  return files;
}

ComparingResult RunComparing(const ComparingInput& input, JobControl& job, const ComparingScreen& screen) {
  ComparingResult refused;
  refused.refusal = CheckComparing(input);
  if (refused.refusal != CompareRefusal::None) {
    refused.end = ComparingEnd::Refused;
    return refused;
  }
  Run run{input, job, screen, {}, {}, {}, false, {}, {}, {}, {}, {}, {}, {}};
  run.Go();
  return run.result;
}

bool TellRunEnd(const ComparingInput& input, const ComparingResult& result, WindowRef owner) {
  if (result.troubles > 0) {
    PlayAlert();
    AskUser(kAskOk, owner, GetText(1210),
            std::to_string(result.troubles) + " " + Trimmed(GetText(1211)) + " " + result.firstTrouble,
            input.boxRecord, input.ownerRecord);
  }
  if (input.saveInfo) {
    if (!result.totalsWritten) return false;
    return AskUser(kAskYesNo, owner, GetText(434), GetText(435), input.boxRecord, input.ownerRecord) ==
           kAnswerYes;
  }
  const ComparingCounts& c = result.counts;
  if (c.unmatched > 0 || c.differentContents > 0 || c.differentSizes > 0)
    AskUser(kAskOk, owner, GetText(960), GetText(961), input.boxRecord, input.ownerRecord);
  return false;
}

}  // namespace kst
