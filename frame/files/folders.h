// Paths and folders: the name and folder parts of a path, making a folder
// with its missing parents, and the removable drives of the machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kst {

// Makes every missing folder of path (trimmed), parents first. True when
// path is then a folder; false when a creation fails (the folders made so
// far stay), when a file of that name is in the way, or when the path is
// blank or longer than the platform takes (259 characters).
bool MakeFolderPath(const std::string& path);

// True when path names a folder (or a link to one) as the system sees it.
bool IsFolder(const std::string& path);

// The part after the last backslash of path (trimmed); blank when path
// names an existing folder or drive, or ends with a backslash.
std::string FileNameOf(const std::string& path);
// The part up to the last backslash of path (trimmed), or path itself when
// it names an existing folder or drive. Never ends with a backslash except
// a drive root ("C:\").
std::string FolderOf(const std::string& path);
// The folder of a file by the text alone, the disk never looked at: the
// path (trimmed) up to, not including, its last backslash ("C:" for a
// file in a drive's root); "" when the path has no backslash.
std::string FolderOfFile(const std::string& path);
// A folder without trailing blanks and backslashes, as the splits' names
// are made from it ("D:\out\" gives "D:\out", "C:\" gives "C:").
std::string BareFolder(const std::string& folder);
// folder + "\" + name, without doubling a backslash that folder ends with.
std::string JoinPath(const std::string& folder, const std::string& name);

// True when inner is the folder outer or lies somewhere below it, decided
// by object: every folder above inner, as written and as the system
// resolves it (links, junctions, another drive letter), is compared with
// outer's id. False when outer cannot be opened.
bool IsWithinFolder(const std::string& inner, const std::string& outer);

// The roots ("A:\") of the drives A to Z whose type is removable, in
// letter order.
std::vector<std::string> ListRemovableDrives();

// The files and folders at the top of folder (which ends with a
// backslash, a drive root for instance); 0 when it cannot be listed.
int64_t CountEntries(const std::string& folder);

}  // namespace kst
