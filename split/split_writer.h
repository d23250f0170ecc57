// The split writer: copies one byte range of a file into a file of its own,
// a split, through one buffer. File Splitting, the backup worker and the
// verification all cut files with it. Also the naming rule of splits.
#pragma once

#include <cstdint>
#include <string>

#include "frame/clock/clock_counters.h"
#include "frame/dialogs/ask.h"
#include "frame/settings/settings.h"
#include "frame/threads/job_control.h"

namespace kst {

// The part of path after its last backslash (trailing blanks ignored): the
// name that split and batch names are made from.
std::string SplitBaseName(const std::string& path);
// The three-digit extension of split k: "001" ... "999" (k modulo 1000).
std::string SplitNumber(int k);
// folder\name.kkk; folder may end with a backslash already (a drive root,
// or the folders of Split &/Or Copy) and then gets no second one.
std::string SplitName(const std::string& folder, const std::string& name, int k);

// Whose messages the writer shows, passed through to AskUser.
struct MessageOwner {
  WindowRef window = nullptr;
  int boxRecord = 0;
  int ownerRecord = 0;
};

// Asks owner's person: the text of heading (an id) over message.
int AskOwner(const MessageOwner& owner, int style, int heading, const std::string& message);

// Why a split was not written.
enum class SplitFailure {
  None,
  BadRange,     // first < 1, last < first, or no buffer size
  NoMemory,     // the buffer could not be had
  SourceOpen,   // the source is missing or cannot be opened
  Refused,      // the split exists and the user would not replace it
  SplitOpen,    // the split cannot be created, or the old one not removed, or the whole one not named
  IsSource,     // the split's name reaches the source itself (a link, another name)
  Stopped,      // keep-going was cleared
  ShortRead,    // the source ended early or a read failed
  ShortWrite,   // a write failed or wrote less (disk full)
  BadName,      // the file's name is one Windows cannot hold
  BatchName,    // a join batch cannot hold the name: the interpreter's code page lacks a character
};

struct SplitRequest {
  std::string sourcePath;
  std::string splitPath;
  int64_t first = 1;  // 1-based, inclusive
  int64_t last = 0;
  uint32_t buffSize = kBuffSizeDefault;  // the BuffSize setting
  int clock = -1;  // the ClockId whose counters grow per buffer, -1 for none
  MessageOwner owner;
  // The caller asked the person already (for a whole set at once) and was
  // told to replace: an existing split is emptied without a question.
  bool replaceAgreed = false;
  // Where the split's CRC-32 goes (the check file's sum), null for none.
  // The sum is taken from the buffer the bytes pass through.
  uint32_t* crc = nullptr;
};

// The replace question for an existing split (or batch): "Error: File
// <path> already exists! Replace?". True on Yes; on No, with startOver,
// the person is told to start over somewhere else.
bool AskReplace(const std::string& path, const MessageOwner& owner, bool startOver = true);

// Writes positions first..last of the source into the split. Refuses a
// split name that is the source by object. Asks before replacing an
// existing split unless the request says replacing was agreed; on Yes the
// old one goes only when the new one is whole. The split is written under
// its partial name (PartialNameOf) and takes its real name only when closed
// whole with its length: a failed or stopped split is deleted, and only a
// kill leaves its partial, which the next write of that split removes.
// Reads keep-going before every buffer (waiting there while paused), moves
// progress once per buffer with a range of at most 65535, and adds each
// buffer to the clock counters the request names (the caller starts them:
// it knows whether a split is an item of its own or a piece of a larger
// job). True only when every byte was read and written.
// On false, plat::LastError() holds the code of the system call that
// failed (0 when none did: refused, stopped, or the source ended early).
bool WriteSplit(const SplitRequest& request, JobControl& job, ProgressSink* progress = nullptr,
                SplitFailure* failure = nullptr);

}  // namespace kst
