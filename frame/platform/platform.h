// The platform layer: the only code of the portable core that touches the
// operating system for files, folders, drives, shell file operations,
// temporary names, time and thread parking.
//
// Paths keep their Windows form everywhere ("A:\dir\x.001"). Error codes use
// the Win32 numbering on every platform, so the core reports the same codes
// whether it runs on Windows or on the Linux emulation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// Win32 error codes the core looks at.
enum ErrorCode : uint32_t {
  kErrNone = 0,
  kErrFileNotFound = 2,
  kErrPathNotFound = 3,
  kErrAccessDenied = 5,
  kErrInvalidHandle = 6,
  kErrSharingViolation = 32,
  kErrHandleDiskFull = 39,
  kErrFileExists = 80,
  kErrInvalidParameter = 87,
  kErrDiskFull = 112,
  kErrInvalidName = 123,
  kErrDirNotEmpty = 145,
  kErrAlreadyExists = 183,
  kErrFileTooLarge = 223,
  kErrDirectory = 267,
  kErrShellNoSource = 1026,  // what the shell operation returns for a missing source
  kErrCancelled = 1223,      // the person answered No to the shell's question
};

// File attribute bits, as the platform defines them.
enum Attribute : uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrVolume = 0x08,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
  kAttrReparsePoint = 0x400,  // a junction or a symbolic link
  kAttrInvalid = 0xFFFFFFFF,
};

// Drive types, as the platform numbers them.
enum DriveKind : uint32_t {
  kDriveUnknown = 0,
  kDriveNoRoot = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdRom = 5,
  kDriveRamDisk = 6,
};

// The error code of the calling thread's last failed platform call.
uint32_t LastError();
void SetLastErrorCode(uint32_t code);
// What the system says of an error code, in its own words ("No space left
// on device", "There is not enough space on the disk"), as one clause
// without a line end or full stop.
std::string ErrorText(uint32_t code);

// ---- Files ----------------------------------------------------------------

using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

enum class Disposition {
  OpenAlways,        // open, or create when missing (183 when it existed)
  CreateAlways,      // create, or truncate when present (183 when it existed)
  OpenExisting,      // open; 2 or 3 when missing
  TruncateExisting,  // open and truncate; 2 or 3 when missing
  CreateNew,         // create; 80 when present
};

enum Access : uint32_t { kRead = 1, kWrite = 2, kReadWrite = 3 };
enum Share : uint32_t { kShareNone = 0, kShareRead = 1, kShareWrite = 2 };

// Opens a file. On return LastError() is 0, or 183 when an open-always or
// create-always found the file already there; both count as success.
// Returns kNoFile on failure with the code in LastError().
FileHandle FileOpen(const std::string& path, uint32_t access, Disposition disposition,
                    uint32_t share = kShareRead, bool sequential = true);
// True for the codes a file open counts as success: 0 and 183.
inline bool OpenSucceeded(FileHandle h) {
  return h != kNoFile && (LastError() == kErrNone || LastError() == kErrAlreadyExists);
}
// Reads up to size bytes at the current position; *done gets the bytes read
// (0 at end of file). False on an error.
bool FileRead(FileHandle h, void* buffer, uint32_t size, uint32_t* done);
// Writes up to size bytes; *done gets the bytes written. A full disk gives
// false with 112, or true with *done < size when only part fitted.
bool FileWrite(FileHandle h, const void* buffer, uint32_t size, uint32_t* done);
// Moves up to size bytes from from's position to to's position: through
// buffer (bufferBytes long) a piece at a time, or, where the system copies
// between files itself, without it (one copy of the bytes instead of two).
// *read gets the bytes taken from from (fewer than size only at its end),
// *written the bytes put (fewer than *read when the disk filled up). False
// on an error, with the counts of what moved before it.
bool FileCopy(FileHandle from, FileHandle to, uint64_t size, void* buffer, uint32_t bufferBytes,
              uint64_t* read, uint64_t* written);
// FileCopy's buffered way, for the implementations; adds to *read and *written.
bool CopyThroughBuffer(FileHandle from, FileHandle to, uint64_t size, void* buffer,
                       uint32_t bufferBytes, uint64_t* read, uint64_t* written);
// Moves to the 0-based byte offset from the start (beyond 4 GB too).
bool FileSeek(FileHandle h, int64_t offset);
// Size in bytes, -1 on failure.
int64_t FileSize(FileHandle h);
// Makes the current position the file's end (cuts it short or grows it).
bool FileSetEnd(FileHandle h);
bool FileClose(FileHandle h);

// File times as platform file times (100 ns units since 1601-01-01 UTC).
struct FileTimes {
  uint64_t creation = 0;
  uint64_t access = 0;
  uint64_t write = 0;
};
bool FileGetTimes(FileHandle h, FileTimes* times);
// A time of 0 is left unchanged.
bool FileSetTimes(FileHandle h, const FileTimes& times);

uint32_t GetAttributes(const std::string& path);  // kAttrInvalid when missing
bool SetAttributes(const std::string& path, uint32_t attributes);
bool DeleteOneFile(const std::string& path);
bool RemoveFolder(const std::string& path);  // an empty folder
bool CreateFolder(const std::string& path);  // false with 183 when it exists
bool PathExists(const std::string& path);
// Gives the file from the name to (in the same folder or on the same
// volume). Never replaces: false with 183 (or 80) when to exists.
bool RenameFile(const std::string& from, const std::string& to);
int64_t SizeOfPath(const std::string& path);  // size of a file, -1 when missing

// What names one file or folder, whatever path reaches it (another drive
// letter, a short name, "..", a link): its volume and its number there.
struct ObjectId {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const ObjectId&) const = default;
};
// The id of the file or folder path names (a link is followed). False with
// the code in LastError() when nothing there can be opened.
bool ObjectIdOf(const std::string& path, ObjectId* id);
// True when both paths name one file or folder (another drive letter, a
// short name, a link); false when either cannot be opened.
bool SameObject(const std::string& a, const std::string& b);
// The path of what path names with every link, junction and ".." followed
// to the object itself (in the emulation a path on Z:). False when it
// cannot be opened or the system cannot tell.
bool FinalPath(const std::string& path, std::string* final);

// ---- Directory listing --------------------------------------------------------

struct FindEntry {
  uint32_t attributes = 0;
  FileTimes times;
  uint64_t size = 0;
  std::string name;  // the entry's name, no folder
};

using FindHandle = intptr_t;
constexpr FindHandle kNoFind = -1;

// Starts a listing of pattern ("A:\dir\*.*", "C:\x\KSTV*.LNG"; "*" and "?"
// match as on Windows, case ignored). A folder other than a drive root lists
// "." and ".." first, as Windows does. kNoFind with 2 (no match), 3 (folder
// missing) or another code.
FindHandle FindFirst(const std::string& pattern, FindEntry* entry);
bool FindNext(FindHandle h, FindEntry* entry);  // false with 18 at the end
void FindClose(FindHandle h);

// True when name matches the Windows wildcard pattern (case ignored).
bool MatchesPattern(const std::string& name, const std::string& pattern);

// ---- Drives -------------------------------------------------------------------

// root is "A:\" (a drive root with its backslash).
uint32_t DriveType(const std::string& root);

struct DiskGeometry {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;
  uint32_t totalClusters = 0;
};
bool DiskFreeSpace(const std::string& root, DiskGeometry* geometry);

// ---- Shell file operations ----------------------------------------------------

enum class ShellOp { Copy, Move, Delete, Rename };
enum ShellFlags : uint32_t {
  kShellSilent = 1,          // no progress window
  kShellNoConfirmation = 2,  // answer every question with yes
  kShellFilesOnly = 4,       // wildcards match files only, keep folders
  kShellNoConfirmMkdir = 8,  // make missing target folders without asking
  kShellNoErrorBox = 16,     // report a failure by the result only, never in a box
};
// The flags of the user's silent setting, to which a call adds its own.
constexpr uint32_t QuietShellFlags(bool silent) { return silent ? kShellSilent : 0u; }

// Copies, moves, deletes or renames like the shell does. from may hold a
// wildcard in its last component; a folder is handled with its content.
// Returns 0 on success, else a nonzero code. A copy or move of a single
// file is checked afterwards: a target that is missing or of another size
// than the source is a failed copy (kErrDiskFull), since the shell does not
// always report a full disk.
uint32_t ShellFileOperation(ShellOp op, const std::string& from, const std::string& to,
                            uint32_t flags);

// ---- Standard error ---------------------------------------------------------------

// Writes text to the process's standard error in one piece, each "\n" as
// the C runtime writes it there ("\r\n" on Windows). Windows' C runtime
// writes an unbuffered stream a character at a time, and under Wine every
// write is a round trip to the Wine server. Failures are ignored.
void WriteStandardError(const std::string& text);

// ---- Names, folders and time --------------------------------------------------

// Makes "<folder>\<prefix><hex>.tmp" with a unique hex number, creates it
// empty and returns the number; 0 on failure (267 for a missing folder).
uint32_t TempFileName(const std::string& folder, const std::string& prefix, std::string* path);
// The folder for temporary files, ending with a backslash.
std::string TempFolder();
std::string CurrentFolder();  // without trailing backslash except for a root
// A name in the code page the command interpreter reads batch files in
// (the OEM code page; ASCII stays as it is) from the program's own (ANSI)
// code page. False when a character of name has no form there. The
// emulation keeps the bytes as they are.
bool OemName(const std::string& name, std::string* oem);
bool SetCurrentFolder(const std::string& path);

struct LocalTime {
  int year = 0, month = 0, dayOfWeek = 0, day = 0;
  int hour = 0, minute = 0, second = 0, milliseconds = 0;
};
LocalTime Now();
// Milliseconds from an arbitrary start, monotonic.
uint64_t TickCount();
// The 64-bit count that follows last when a 32-bit millisecond counter (one
// that wraps every 49.7 days) now reads now: never less than last, so a
// reading taken a moment before last was stored gives last. Right while the
// count is asked at least once every 24 days.
uint64_t WidenTick(uint64_t last, uint32_t now);
void SleepMs(uint32_t ms);

// ---- Windows version ------------------------------------------------------------

struct VersionInfo {
  bool ok = false;
  uint32_t platformId = 0;  // 1 = 95/98/Me, 2 = NT family
  uint32_t major = 0, minor = 0, build = 0;
  std::string servicePack;
};
VersionInfo QueryVersion();

}  // namespace plat
